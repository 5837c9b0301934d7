#pragma once
// The pictures of the print preview: the edited side of the current page as it lies on its
// sheet in the printer picture (turned, margins painted out, binding marks), and the smaller
// picture of the page on the back of the same sheet.
#include "SheetLayout.h"
#include <QImage>
#include <QString>

namespace qv {

class PageRenderer;

inline const QRgb kMarkColor = qRgb(166, 202, 240);

struct PreviewPictures {
    QImage printImage;  // the page area's size
    QImage backImage;   // Image4; null on the cover
    QRect backRect;     // Image4's place in the frame
};

/// @brief Draws the preview of the current page and side for a sheet layout (items and
/// template at the preview target), and the back-side picture, which reads the other page of
/// the sheet from the work folder and then reads the current page again.
PreviewPictures buildPreview(PageRenderer& r, const SheetLayout& layout);

/// @brief Binding marks of a book type on a picture of the page (turned as in the preview);
/// `back` for the back-side picture. sx, sy are pixels per 0.1 mm.
void drawMarks(QImage& image, const QString& bookType, bool back, int side, double sx, double sy);

} // namespace qv
