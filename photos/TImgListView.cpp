#include "TImgListView.h"
#include "FileNames.h"
#include "Platform.h"
#include <QContextMenuEvent>
#include <QDir>
#include <QFileIconProvider>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

namespace qv {
namespace {

const QColor kSelectionBlue(0, 0, 255);

class ItemDelegate : public QStyledItemDelegate {
public:
    explicit ItemDelegate(TImgListView* v) : QStyledItemDelegate(v), view(v) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {std::max(1, view->viewport()->width() - 1), view->thumbWidth() + TImgListView::kRowSpacing};
    }

    void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override
    {
        const int row = index.row();
        const int box = view->thumbWidth();
        const QRect cell = opt.rect;
        const QRect thumbBox(cell.left() + TImgListView::kThumbMargin, cell.top() + TImgListView::kRowSpacing / 2,
                             box, box);
        p->save();
        drawPicture(*p, row, thumbBox);
        if (opt.state & QStyle::State_Selected) {
            // Also without the focus, so the user sees what the add button will take.
            p->setPen(QPen(kSelectionBlue, 2));
            p->setBrush(Qt::NoBrush);
            p->drawRect(thumbBox.adjusted(-1, -1, 1, 1));
        }
        const QColor bg = view->viewport()->palette().color(QPalette::Base);
        p->setPen(view->palette().color(QPalette::Text));
        if (view->customDrawItem)
            view->customDrawItem(*p, row, cell, bg);
        else
            p->drawText(cell.adjusted(box + 8, 16, -8, 0), Qt::AlignLeft | Qt::AlignTop, view->item(row).displayName);
        p->restore();
    }

private:
    TImgListView* view;
    QFileIconProvider icons;

    void drawPicture(QPainter& p, int row, const QRect& box) const
    {
        const TImgListModel& m = view->items();
        const ShellItem& it = m.item(row);
        if (it.isPhoto() && m.thumbState(row) == TImgListModel::ThumbReady) {
            const QImage img = m.thumbnail(row);
            const QRect r = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, img.size(), box);
            p.drawImage(r.topLeft(), img);
            return;
        }
        if (it.isPhoto() && m.thumbState(row) == TImgListModel::ThumbBroken) {
            p.drawPixmap(box.topLeft(), brokenPicture(box.width()));
            return;
        }
        if (it.isPhoto())
            return; // still being made
        const QIcon icon = it.isFolder ? icons.icon(QFileIconProvider::Folder) : icons.icon(QFileInfo(it.path));
        icon.paint(&p, box.adjusted(18, 18, -18, -18));
    }
};

} // namespace

const QPixmap& brokenPicture(int size)
{
    static QPixmap pm;
    if (pm.width() == size)
        return pm;
    pm = QPixmap(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF page(size * 0.2, size * 0.15, size * 0.6, size * 0.7);
    p.setPen(QPen(QColor(128, 128, 128), 2));
    p.setBrush(QColor(240, 240, 240));
    p.drawRect(page);
    // a torn picture: a jagged tear across the sheet and a red mark
    const QPointF tear[] = {{page.left(), page.center().y()}, {page.left() + page.width() * 0.3, page.center().y() - 6},
                            {page.left() + page.width() * 0.55, page.center().y() + 5}, {page.right(), page.center().y() - 3}};
    p.drawPolyline(tear, 4);
    p.setPen(QPen(QColor(200, 40, 40), 3));
    const QPointF c(page.right() - 4, page.bottom() - 4);
    p.drawLine(c + QPointF(-7, -7), c + QPointF(7, 7));
    p.drawLine(c + QPointF(-7, 7), c + QPointF(7, -7));
    return pm;
}

TImgListView::TImgListView(QWidget* parent) : QListView(parent), list(this)
{
    setModel(&list);
    setItemDelegate(new ItemDelegate(this));
    setViewMode(QListView::ListMode);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont f(QStringLiteral("MS UI Gothic"));
    f.setPixelSize(16);
    setFont(f);
    connect(&list, &TImgListModel::folderChanged, this, [this](const QString& path) {
        scrollToTop();
        emit changeFolder(path);
        queueThumbnailRequest();
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { emit selectionChange(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { queueThumbnailRequest(); });
    connect(&list, &QAbstractItemModel::rowsInserted, this, [this] { queueThumbnailRequest(); });
    connect(&list, &QAbstractItemModel::rowsRemoved, this, [this] { queueThumbnailRequest(); });
    connect(&list, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& a, const QModelIndex&, const QList<int>& roles) {
        if (roles.isEmpty() && list.thumbState(a.row()) == TImgListModel::NoThumb)
            queueThumbnailRequest(); // a file changed on disk: its thumbnail is made again
    });
}

FolderState TImgListView::openPath(const QString& text)
{
    QString path = text.trimmed();
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    return list.openFolder(path);
}

void TImgListView::setThumbCache(const QString& folder, bool enabled)
{
    cacheFolder = folder;
    cacheOn = enabled;
    list.setDiskCacheFile(thumbCacheFilePath());
}

void TImgListView::setThumbCacheFile(const QString& name)
{
    // A name that could leave the cache folder (or the file system's root, which has none)
    // gets a plain one.
    cacheFile = name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String("..") ? QStringLiteral("_") : name;
    list.setDiskCacheFile(thumbCacheFilePath());
}

QString TImgListView::thumbCacheFilePath() const
{
    return cacheOn && !cacheFolder.isEmpty() && !cacheFile.isEmpty() ? QDir(cacheFolder).filePath(cacheFile) : QString();
}

bool TImgListView::isItemSelected(int row) const { return selectionModel()->isSelected(list.index(row)); }

void TImgListView::setItemSelected(int row, bool on)
{
    selectionModel()->select(list.index(row), on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

int TImgListView::firstSelected() const
{
    int first = -1;
    for (const QModelIndex& i : selectionModel()->selectedIndexes())
        if (first < 0 || i.row() < first)
            first = i.row();
    return first;
}

int TImgListView::selectedCount() const { return int(selectionModel()->selectedIndexes().size()); }

QRect TImgListView::iconRect(int row) const { return visualRect(list.index(row)); }

FolderState TImgListView::defaultAction(int row)
{
    if (row < 0 || row >= count())
        return FolderState::NoFolder;
    const ShellItem& it = item(row);
    if (it.isFolder) {
        const QString path = it.path; // the rows change when it opens
        const FolderState state = openPath(path);
        if (state == FolderState::Unreadable)
            emit folderUnreadable(path);
        return state;
    }
    platform().openUrl(fileUrl(it.path));
    return FolderState::Readable;
}

QMenu* TImgListView::contextMenu(int row)
{
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("ImgListMenu"));
    const bool onItem = row >= 0 && row < count();
    menu->addAction(QStringLiteral("開く"), this, [this, row] { defaultAction(row); })->setEnabled(onItem);
    // A folder is shown itself, a file or the empty part of the list in the folder listed now.
    const QString shown = onItem && item(row).isFolder ? item(row).path : currentPath();
    menu->addAction(QStringLiteral("フォルダを開く"), this, [shown] {
        platform().openUrl(fileUrl(shown));
    })->setEnabled(!shown.isEmpty());
    menu->addSeparator();
    bool photoSelected = false;
    for (int r = 0; r < count() && !photoSelected; ++r)
        photoSelected = isItemSelected(r) && item(r).isPhoto();
    menu->addAction(QStringLiteral("写真追加"), this, &TImgListView::addRequested)->setEnabled(photoSelected);
    menu->addSeparator();
    menu->addAction(QStringLiteral("最新の情報に更新"), this, [this] { list.rescan(); });
    return menu;
}

void TImgListView::contextMenuEvent(QContextMenuEvent* e)
{
    // As in file managers: a right click on an unselected item selects it alone first.
    const int row = indexAt(e->pos()).row();
    if (row >= 0 && !isItemSelected(row)) {
        clearSelection();
        setItemSelected(row, true);
        setCurrentIndex(model()->index(row, 0));
    }
    QMenu* menu = contextMenu(row);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void TImgListView::queueThumbnailRequest()
{
    if (requestQueued)
        return;
    requestQueued = true;
    QTimer::singleShot(0, this, [this] {
        requestQueued = false;
        requestVisibleThumbnails();
    });
}

void TImgListView::requestVisibleThumbnails()
{
    if (count() == 0 || !isVisible())
        return; // a hidden list makes no thumbnails
    const QRect vp = viewport()->rect();
    const QModelIndex top = indexAt(vp.topLeft() + QPoint(1, 1));
    const QModelIndex bottom = indexAt(QPoint(1, vp.bottom() - 1));
    const int first = top.isValid() ? top.row() : 0;
    const int last = bottom.isValid() ? bottom.row() : count() - 1;
    list.requestThumbnails(first, last, last - first + 1);
}

void TImgListView::resizeEvent(QResizeEvent* e)
{
    QListView::resizeEvent(e);
    doItemsLayout(); // the items take the new width
    queueThumbnailRequest();
}

void TImgListView::keyPressEvent(QKeyEvent* e)
{
    if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            return emit openRequested();
        if (e->key() == Qt::Key_Backspace)
            return emit parentRequested();
    }
    QListView::keyPressEvent(e); // arrows, Shift and Ctrl selection, Ctrl+A
}

void TImgListView::showEvent(QShowEvent* e)
{
    QListView::showEvent(e);
    queueThumbnailRequest();
}

} // namespace qv
