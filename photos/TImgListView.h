#pragma once
// The thumbnail list view of the photo browser: one folder's entries with their thumbnails,
// multi-select (Shift, Ctrl, Ctrl+A, arrow keys), a drag source for the chosen-photo grid.
#include "ImgListModel.h"
#include <QListView>
#include <functional>

class QMenu;

namespace qv {

class TImgListView : public QListView {
    Q_OBJECT
public:
    static constexpr int kRowSpacing = 28;   // below each thumbnail
    static constexpr int kThumbMargin = 4;   // thumbnail box from the item's left edge

    explicit TImgListView(QWidget* parent = nullptr);

    TImgListModel& items() { return list; }
    const TImgListModel& items() const { return list; }

    // the folder
    QString currentPath() const { return list.folder(); }
    /// @brief The folder's identity for the path box's history (its canonical path).
    QString currentFolderId() const { return list.folder(); }
    /// @brief Opens the folder a text names ("~" is the home folder); anything but Readable
    /// leaves the list as it was.
    FolderState openPath(const QString& text);
    bool goToPath(const QString& text) { return openPath(text) == FolderState::Readable; }
    FolderState goToFolderId(const QString& id) { return openPath(id); }
    FolderState goToParent() { return list.goUp(); }
    int thumbWidth() const { return list.thumbnailSize(); }

    // the items
    int count() const { return list.rowCount(); }
    const ShellItem& item(int row) const { return list.item(row); }
    bool isItemSelected(int row) const;
    void setItemSelected(int row, bool on);
    /// @brief The selected item with the lowest index, -1 when none.
    int firstSelected() const;
    int selectedCount() const;
    /// @brief The item's whole cell, which the thumbnail and the texts share.
    QRect iconRect(int row) const;
    /// @brief Opens a folder in the list (when it cannot be read, the list stays and
    /// folderUnreadable is emitted); hands a file to the system.
    FolderState defaultAction(int row);
    /// @brief The right-click menu for the item at row (-1: the empty part of the list), as
    /// the right button shows it: open, show in the file manager, add the selected photos, refresh.
    QMenu* contextMenu(int row);

    // the thumbnail cache on disk: a folder, and in it one file per folder name
    /// @brief Points the cache at a folder and switches it on or off.
    void setThumbCache(const QString& folder, bool enabled);
    /// @brief The cache file for the folder now listed (the panel names it after the folder).
    void setThumbCacheFile(const QString& name);
    QString thumbCacheFilePath() const;

    /// Draws the texts of an item beside its thumbnail (the panel's handler).
    std::function<void(QPainter&, int row, const QRect& iconRect, const QColor& background)> customDrawItem;

    /// @brief Asks the model for the thumbnails on screen now, and the next screenful.
    void requestVisibleThumbnails();

signals:
    void changeFolder(const QString& path);
    void selectionChange();
    /// Enter on the list: the same as a double-click.
    void openRequested();
    /// Backspace on the list: up one folder.
    void parentRequested();
    /// The menu's add entry: the same as the add button.
    void addRequested();
    /// A folder opened from the list (double-click, Enter, the menu) cannot be read.
    void folderUnreadable(const QString& path);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    TImgListModel list;
    QString cacheFolder, cacheFile;
    bool cacheOn = false;
    bool requestQueued = false;
    void queueThumbnailRequest();
};

/// @brief The picture shown for a photo file that cannot be read.
const QPixmap& brokenPicture(int size);

} // namespace qv
