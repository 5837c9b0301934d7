#pragma once
// TFrame4: the page navigator's column inside the scroll box SB6: a frame, a picture and the
// page-number labels per entry. Clicks go to PageNavigator; this class only shows.
#include "NavigatorLayout.h"
#include <QImage>
#include <QWidget>
#include <array>
#include <functional>

class QFrame;
class QLabel;
class QScrollArea;

namespace qv {

/// A navigator picture: shows its thumbnail, reports the press and the click.
class TNavPicture : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    int tag = 99;          // page folder number
    QImage canvas;         // what MPaint(1) draws into
    std::function<void(TNavPicture&, int x)> onPress;
    std::function<void(TNavPicture&)> onClick;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};

class TFrame4 : public QWidget {
    Q_OBJECT
public:
    /// @brief Makes the column's controls and puts the column into the scroll box.
    explicit TFrame4(QScrollArea* scrollBox);

    /// @brief Hides everything, clears the pictures and tags, then places and shows the
    /// controls of the layout, scrolled to the top.
    void applyLayout(const NavigatorLayout& layout);
    /// @brief Marks (white on blue) or unmarks (grey on cream) every label of page number tag.
    void SelectPageRect(int tag, bool on);
    /// @brief The picture of page folder tag; nullptr when no picture has that tag.
    TNavPicture* pictureOf(int tag) const;
    QLabel* label(int n) const { return labels[size_t(n)]; }

    std::function<void(TNavPicture&, int x)> onPicturePress;   // Image1MouseDown
    std::function<void(TNavPicture&)> onPictureClick;          // pageClick

private:
    QScrollArea* box;
    std::array<QFrame*, kNavEntries> shapes{};
    std::array<TNavPicture*, kNavEntries> pictures{};
    std::array<QLabel*, kNavLabels> labels{};

    void hideAll();
    void nameByPageNumbers(int entryCount);
};

} // namespace qv
