#pragma once
// Writing the book's pages into a PDF file at their true size, with the pixels the printer
// would get (the printer target at the chosen resolution), upright.
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

namespace qv {

class PageRenderer;

constexpr int kBookPages = 31;      // the cover (0) and pages 1 to 30
constexpr int kDefaultPdfDpi = 300;

/// Where a book page lives: its page index and the side of the spread.
struct BookPageRef {
    int index = 0;
    int side = 0;
};

/// @brief Page index and side of book page p (0 the cover, 1 to 30).
BookPageRef bookPageRef(int bookPage);
/// @brief The book pages of "all", "odd", "even" or a single number 0..30; nullopt otherwise.
std::optional<QVector<int>> parsePageChoice(const QString& choice);

/// @brief Writes the given book pages, one PDF page each of the page's own size, reading every
/// page from the work folder; the current page and side are put back afterwards (read again).
/// progress(k) is called after the k-th page. False with *error set when the file cannot be
/// written or a page cannot be drawn.
bool exportPdf(PageRenderer& r, const QString& path, const QVector<int>& bookPages, int dpi,
               const std::function<void(int)>& progress, QString* error);

} // namespace qv
