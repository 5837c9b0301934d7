// The photo browser panel: its controls, the add and delete buttons, the chosen-photo grid and
// the folder navigation. What adding and deleting do to the pool lives in PoolBrowser.
#include "Unit11.h"
#include "NamedWidget.h"
#include "BmpCodec.h"
#include "Dialogs.h"
#include "FileNames.h"
#include "PhotoPool.h"
#include "Platform.h"
#include "PoolBrowser.h"
#include "PoolGrid.h"
#include "TImgListView.h"
#include "Unit2.h"
#include <QBoxLayout>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

namespace qv {
namespace {

// A picture and, on top of it at the same place, a transparent label that takes the mouse.
TMouseLabel* pictureButton(QWidget* parent, const char* pictureName, const char* labelName, const QRect& r,
                           int labelHeight, const QPixmap& picture, QLabel** image)
{
    *image = named<QLabel>(parent, pictureName);
    (*image)->setGeometry(r);
    (*image)->setPixmap(picture);
    auto* label = named<TMouseLabel>(parent, labelName);
    label->setGeometry(r.x(), r.y(), r.width(), labelHeight);
    return label;
}

const QColor kGrey(128, 128, 128);
const QColor kSilver(192, 192, 192);
const QColor kBlue(0, 0, 255);

struct AddLookColours {
    QColor fill, arrows; // an invalid arrow colour leaves the arrows as they are
    int picture;         // -1 leaves the picture
};

AddLookColours coloursOf(TimgFrame::AddLook look)
{
    switch (look) {
    case TimgFrame::AddLook::Off:
        return {QColor(255, 251, 240), QColor(246, 242, 231), -1};
    case TimgFrame::AddLook::Ready:
        return {QColor(90, 90, 90), QColor(201, 201, 201), 0};
    case TimgFrame::AddLook::Hover:
        return {QColor(128, 128, 192), QColor(179, 179, 243), 1};
    case TimgFrame::AddLook::Pressed:
        return {QColor(143, 143, 255), QColor(), 2};
    }
    return {};
}

} // namespace

QStringList droppedPhotoFiles(const QList<QUrl>& urls)
{
    QStringList out;
    for (const QUrl& u : urls)
        if (u.isLocalFile() && photoFileKind(u.toLocalFile()) != kFileKindOther && QFileInfo(u.toLocalFile()).isFile())
            out << u.toLocalFile();
    return out;
}

TimgFrame::TimgFrame(TMainState& state, std::function<TForm2*()> document, QWidget* parent)
    : QFrame(parent), st(state), doc(std::move(document))
{
    setObjectName(QStringLiteral("TimgFrame"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildPathBar();
    column->addWidget(Panel6);
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    column->addLayout(row, 1);
    ImgListView1 = named<TImgListView>(this, "ImgListView1");
    ImgListView1->setMinimumWidth(120);
    row->addWidget(ImgListView1, 1);
    buildButtons();
    row->addWidget(Imgnav);
    buildGrid();
    row->addWidget(Panel4);
    wireList();
    addButtonOff();
    delButtonOff();
    setPoolGridRows(poolGridRows(int(st.pool.size())));
    // No start folder is set: the list opens at the desktop.
    const QString desktop = platform().desktopPath();
    if (!ImgListView1->goToPath(desktop))
        ImgListView1->goToPath(QDir::homePath());
}

void TimgFrame::buildPathBar()
{
    Panel6 = named<QFrame>(this, "Panel6");
    Panel6->setFixedHeight(29);
    Bevel1 = named<QFrame>(Panel6, "Bevel1");
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Bevel1->setGeometry(2, 3, 26, 22);
    Bevel1->hide();
    Image6 = named<QLabel>(Panel6, "Image6");
    Image6->setGeometry(2, 3, 26, 22);
    Image6->setPixmap(parentFolderPicture());
    Label1 = named<TMouseLabel>(Panel6, "Label1");
    Label1->setGeometry(2, 3, 26, 22);
    Label1->setToolTip(kHintParentFolder);
    Label1->onEnter = [this] { Bevel1->show(); };
    Label1->onLeave = [this] { Bevel1->hide(); };
    Label1->onPress = [this] { Bevel1->setFrameShadow(QFrame::Sunken); };
    Label1->onRelease = [this] { Bevel1->setFrameShadow(QFrame::Raised); };
    Label1->onClick = [this] { ParentFolderClick(); };

    ComboBox3 = named<QComboBox>(Panel6, "ComboBox3");
    ComboBox3->setEditable(true);
    ComboBox3->setInsertPolicy(QComboBox::NoInsert);
    ComboBox3->setCompleter(nullptr);
    ComboBox3->setGeometry(32, 3, 400, 23);
    ComboBox3->lineEdit()->installEventFilter(this);
    connect(ComboBox3, &QComboBox::activated, this, [this] { ComboBox3Click(); });
    connect(ComboBox3->lineEdit(), &QLineEdit::textEdited, this, [this] {
        typingPath = true;
        ComboBox3Click();
        typingPath = false;
    });
}

void TimgFrame::buildButtons()
{
    Imgnav = named<QFrame>(this, "Imgnav");
    Imgnav->setFixedWidth(175);
    // The arrows are drawn on this colour; a style sheet keeps it whatever the window's scheme says.
    Imgnav->setStyleSheet(QStringLiteral("QFrame#Imgnav, QFrame#Panel2 { background: rgb(255, 251, 240); }"));
    auto* column = new QVBoxLayout(Imgnav);
    column->setContentsMargins(0, 0, 0, 0);

    panelAdd = named<QFrame>(Imgnav, "panelAdd");
    panelAdd->setFixedHeight(140);
    Image2 = named<QLabel>(panelAdd, "Image2");
    Image3 = named<QLabel>(panelAdd, "Image3");
    Image36 = named<QLabel>(panelAdd, "Image36");
    for (int i = 0; QLabel* arrow : {Image2, Image3, Image36})
        arrow->setGeometry(19 + 50 * i++, 12, 30, 37);
    imgLstPicAdd = addButtonPictures();
    photoAdd = pictureButton(panelAdd, "imgPicAdd", "photoAdd", QRect(42, 62, 91, 41), 33, imgLstPicAdd[0], &imgPicAdd);
    photoAdd->setAccessibleName(QStringLiteral("写真追加")); // the caption is drawn into the picture
    photoAdd->setAcceptDrops(true);
    photoAdd->onEnter = [this] { if (addLook() == AddLook::Ready) setAddLook(AddLook::Hover); };
    photoAdd->onLeave = [this] {
        if (addLook() == AddLook::Hover || addLook() == AddLook::Pressed)
            setAddLook(AddLook::Ready);
    };
    photoAdd->onPress = [this] {
        if (addLook() == AddLook::Ready || addLook() == AddLook::Hover)
            setAddLook(AddLook::Pressed);
    };
    photoAdd->onRelease = [this] { imgPicAdd->setPixmap(imgLstPicAdd[0]); };
    photoAdd->onClick = [this] { photoAddClick(); };
    photoAdd->dropTarget.accepts = [](const QDropEvent&) { return true; };
    photoAdd->dropTarget.drop = [this](const QDropEvent& e) { dropOnPool(e); };
    // Panel4 and Panel5 are also names of the tool area's panels: the window finds those by name.
    Panel5 = named<QFrame>(panelAdd, "imgPanel5");
    Panel5->setGeometry(42, 108, 91, 20);
    imgAdd = named<TShape>(Panel5, "imgAdd");
    imgAdd->setGeometry(0, 0, 91, 20);
    imgAdd->penColor = Qt::white;
    imgAdd->hide();
    Label3 = named<QLabel>(Panel5, "Label3");
    Label3->setText(QStringLiteral("写真追加"));
    Label3->hide();
    column->addWidget(panelAdd);
    column->addStretch(1);

    Panel2 = named<QFrame>(Imgnav, "Panel2");
    Panel2->setFixedHeight(110);
    imgLstDelete = deleteButtonPictures();
    L11 = pictureButton(Panel2, "imgDelete", "L11", QRect(71, 8, 32, 53), 53, imgLstDelete[0], &imgDelete);
    L11->onEnter = [this] { imgDelete->setPixmap(imgLstDelete[1]); };
    L11->onLeave = [this] { imgDelete->setPixmap(imgLstDelete[0]); };
    L11->onPress = [this] {
        imgDelete->setPixmap(imgLstDelete[2]);
        S11->setBrushColor(QColor(255, 128, 0));
    };
    L11->onRelease = [this] { L11MouseUp(); };
    S11 = named<TShape>(Panel2, "S11");
    S11->setGeometry(72, 66, 31, 31);
    Label2 = named<QLabel>(Panel2, "Label2");
    Label2->setText(QStringLiteral("削除"));
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setGeometry(62, 66, 51, 31);
    column->addWidget(Panel2);
}

void TimgFrame::buildGrid()
{
    Panel4 = named<QFrame>(this, "imgPanel4");
    auto* l = new QVBoxLayout(Panel4);
    l->setContentsMargins(0, 0, 0, 0);
    Grid1 = named<TPoolGrid>(Panel4, "Grid1");
    l->addWidget(Grid1);
    const int scrollBar = Grid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    Panel4->setFixedWidth(kPoolGridColumns * kPoolCellWidth + scrollBar + 2 * Grid1->frameWidth());
    Grid1->drawCell = [this](QPainter& p, int c, int r, const QRect& cell, bool sel) { Grid1DrawCell(p, c, r, cell, sel); };
    Grid1->dropTarget.accepts = [this](const QDropEvent& e) {
        return acceptsListDrop(e) || (e.source() == nullptr && !droppedPhotoFiles(e.mimeData()->urls()).isEmpty());
    };
    Grid1->dropTarget.drop = [this](const QDropEvent& e) { dropOnPool(e); };
    connect(Grid1, &QTableWidget::cellClicked, this, [this] { imgFrame1Grid1Click(); });
}

void TimgFrame::wireList()
{
    TImgListView* v = ImgListView1;
    connect(v, &QAbstractItemView::clicked, this, [this] { ImgListView1Click(); });
    connect(v, &TImgListView::selectionChange, this, [this] { ImgListView1Click(); });
    connect(v, &QAbstractItemView::doubleClicked, this, [this] { ImgListView1DblClick(); });
    connect(v, &TImgListView::changeFolder, this, [this] { ImgListView1ChangeFolder(); });
    connect(v, &TImgListView::openRequested, this, [this] { ImgListView1DblClick(); });
    connect(v, &TImgListView::parentRequested, this, [this] { ParentFolderClick(); });
    connect(v, &TImgListView::addRequested, this, [this] { photoAddClick(); });
    connect(v, &TImgListView::folderUnreadable, this,
            [this](const QString& path) { reportFolder(FolderState::Unreadable, path); });
    v->customDrawItem = [this](QPainter& p, int row, const QRect& r, const QColor& bg) {
        ImgListView1CustomDrawItem(p, row, r, bg);
    };
}

// --- the add and delete buttons' looks ---

void TimgFrame::setAddLook(AddLook look)
{
    const AddLookColours c = coloursOf(look);
    imgAdd->setBrushColor(c.fill);
    if (c.arrows.isValid())
        paintArrows(c.arrows);
    if (c.picture >= 0)
        imgPicAdd->setPixmap(imgLstPicAdd[c.picture]);
}

TimgFrame::AddLook TimgFrame::addLook() const
{
    for (AddLook l : {AddLook::Ready, AddLook::Hover, AddLook::Pressed})
        if (imgAdd->brushColor == coloursOf(l).fill)
            return l;
    return AddLook::Off;
}

void TimgFrame::paintArrows(const QColor& colour)
{
    const QPixmap arrow = arrowPicture(colour);
    for (QLabel* l : {Image2, Image3, Image36})
        l->setPixmap(arrow);
    QPalette pal = Label3->palette();
    pal.setColor(QPalette::WindowText, colour);
    Label3->setPalette(pal);
}

void TimgFrame::addButtonOn() { setAddLook(AddLook::Ready); }
void TimgFrame::addButtonOff() { setAddLook(AddLook::Off); }

void TimgFrame::delButtonOn()
{
    L11->show();
    Label2->setStyleSheet(QStringLiteral("color: rgb(128, 128, 128); background: transparent;"));
    S11->setBrushColor(QColor(63, 192, 147));
}

void TimgFrame::delButtonOff()
{
    L11->hide();
    Label2->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255); background: transparent;"));
    S11->setBrushColor(QColor(246, 242, 231));
}

// --- adding and deleting ---

void TimgFrame::photoAddClick()
{
    TForm2* d = doc();
    if (!d || ImgListView1->selectedCount() == 0)
        return;
    QVector<BrowserEntry> entries(ImgListView1->count());
    for (int i = 0; i < entries.size(); ++i)
        entries[i] = {ImgListView1->item(i).path, ImgListView1->isItemSelected(i), ImgListView1->item(i).isPhoto()};
    const PoolAddOutcome out = addPhotosToPool(*d, entries, [this](int i) { ImgListView1->setItemSelected(i, false); });
    if (out.poolFull)
        setAddLook(AddLook::Pressed);
    Grid1->viewport()->update();
}

void TimgFrame::addDroppedFiles(const QStringList& paths)
{
    TForm2* d = doc();
    if (!d || paths.isEmpty())
        return;
    QVector<BrowserEntry> entries;
    for (const QString& p : paths)
        entries.append({p, true, true});
    if (addPhotosToPool(*d, entries, [](int) {}).poolFull)
        setAddLook(AddLook::Pressed);
    Grid1->viewport()->update();
}

bool TimgFrame::acceptsListDrop(const QDropEvent& e) const
{
    return e.source() == ImgListView1 && firstSelectedIsPhoto();
}

void TimgFrame::dropOnPool(const QDropEvent& e)
{
    if (e.source() == ImgListView1)
        photoAddClick();
    else
        addDroppedFiles(droppedPhotoFiles(e.mimeData()->urls()));
}

void TimgFrame::L11MouseUp()
{
    TForm2* d = doc();
    if (d)
        deletePoolEntryChecked(*d, Grid1->currentPoolIndex());
    imgFrame1Grid1Click();
    imgDelete->setPixmap(imgLstDelete[0]);
    Grid1->viewport()->update();
}

void TimgFrame::imgFrame1Grid1Click()
{
    const int n = Grid1->currentPoolIndex();
    if (n >= 0 && n < st.pool.size())
        delButtonOn();
    else
        delButtonOff();
}

void TimgFrame::setPoolGridRows(int rows)
{
    cellPictures.clear(); // entries were added, moved or removed
    Grid1->setRowCount(rows);
    if (rows > 0 && !Grid1->currentIndex().isValid())
        Grid1->setCurrentCell(0, 0);
    Grid1->viewport()->update();
}

void TimgFrame::setThumbCache(const QString& folder, bool enabled)
{
    ImgListView1->setThumbCache(folder, enabled);
}

// --- drawing ---

QImage TimgFrame::cellPicture(const QString& file, const QSize& size)
{
    const QString key = file + QLatin1Char('@') + QString::number(size.width()) + 'x' + QString::number(size.height());
    auto it = cellPictures.constFind(key);
    if (it != cellPictures.constEnd())
        return *it;
    const ImageLoadResult r = readBmpFile(file);
    const QImage img = r.ok() ? r.bitmap.image().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation) : QImage();
    cellPictures.insert(key, img);
    return img;
}

void TimgFrame::Grid1DrawCell(QPainter& p, int col, int row, const QRect& cell, bool selected)
{
    p.fillRect(cell, Qt::white);
    const int n = col + row * kPoolGridColumns;
    if (n >= st.pool.size())
        return;
    const TInfos& e = st.pool[n];
    if (e.srcWidth == 0 || e.srcHeight == 0)
        return;
    const QRect picture = poolCellPictureRect(cell, e.srcWidth, e.srcHeight);
    const TForm2* d = doc();
    const QString file = d ? poolCellThumbFile(d->work().imgFolder(), n) : QString();
    if (file.isEmpty())
        return;
    const QImage img = cellPicture(file, picture.size());
    if (!img.isNull())
        p.drawImage(picture.topLeft(), img);
    QFont f = font();
    f.setPixelSize(12);
    p.setFont(f);
    p.setPen(kGrey);
    const QRect strip(cell.left(), cell.top() + cell.height() - 13, cell.width(), 13);
    p.save();
    p.setClipRect(strip);
    p.drawText(strip.adjusted(5, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, e.name);
    p.restore();
    if (selected) {
        p.setPen(kBlue);
        p.setBrush(Qt::NoBrush);
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        p.drawRect(cell.adjusted(1, 1, -2, -2));
        delButtonOn();
    }
}

void TimgFrame::ImgListView1CustomDrawItem(QPainter& p, int row, const QRect& iconRect, const QColor& background)
{
    const ShellItem& it = ImgListView1->item(row);
    const QColor grey = kGrey == background ? kSilver : kGrey;
    const QRect area = iconRect.adjusted(ImgListView1->thumbWidth() + 8, 16, -8, 0);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs | Qt::TextSingleLine;
    QFont f = p.font();
    f.setBold(true);
    p.setFont(f);
    p.drawText(area, flags, it.displayName);
    f.setBold(false);
    p.setFont(f);
    p.setPen(grey);
    p.drawText(area.adjusted(0, 16, 0, 0), flags, it.typeName);
    if (!it.isFolder)
        p.drawText(area.adjusted(0, 32, 0, 0), flags, it.sizeText());
}

// --- the folder list ---

bool TimgFrame::firstSelectedIsPhoto() const
{
    const int r = ImgListView1->firstSelected();
    return r >= 0 && ImgListView1->item(r).isPhoto();
}

void TimgFrame::ImgListView1Click()
{
    if (firstSelectedIsPhoto())
        addButtonOn();
    else
        addButtonOff();
}

void TimgFrame::ImgListView1DblClick()
{
    const int r = ImgListView1->firstSelected();
    if (r < 0)
        return;
    const ShellImageType t = ImgListView1->item(r).imageType;
    if (t == ShellImageType::Folder || t == ShellImageType::None)
        ImgListView1->defaultAction(r);
    else if (t == ShellImageType::Bmp || t == ShellImageType::Jpeg)
        photoAddClick();
}

void TimgFrame::ImgListView1ChangeFolder()
{
    const QString path = ImgListView1->currentPath();
    if (path.isEmpty())
        return;
    ImgListView1->setThumbCacheFile(QFileInfo(path).fileName());
    const QString id = ImgListView1->currentFolderId();
    // While the user types in the box, the list follows the text but the text stays as typed.
    const QString typed = ComboBox3->currentText();
    const int cursor = ComboBox3->lineEdit()->cursorPosition();
    const int known = ComboBox3->findData(id);
    if (known < 0) {
        ComboBox3->insertItem(0, path, id);
        if (!typingPath)
            ComboBox3->setCurrentIndex(0);
    } else if (!typingPath) {
        ComboBox3->setCurrentIndex(known);
    }
    if (typingPath) {
        ComboBox3->setEditText(typed);
        ComboBox3->lineEdit()->setCursorPosition(cursor);
    }
}

void TimgFrame::ComboBox3Click()
{
    const QString text = ComboBox3->currentText();
    const int known = ComboBox3->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    // A text that names no folder leaves the list; so does one still being typed that names a
    // folder which cannot be read, without a word until Enter.
    if (known >= 0) {
        const QString id = ComboBox3->itemData(known).toString();
        const FolderState state = ImgListView1->goToFolderId(id);
        if (!typingPath)
            reportFolder(state, id);
    } else {
        ImgListView1->goToPath(text);
    }
}

bool TimgFrame::ComboBox3KeyDown(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    const QString text = ComboBox3->currentText();
    reportFolder(ImgListView1->openPath(text), text);
    return true;
}

void TimgFrame::ParentFolderClick()
{
    const QString here = ImgListView1->currentPath();
    reportFolder(ImgListView1->goToParent(), parentFolder(here));
    addButtonOff();
}

void TimgFrame::reportFolder(FolderState state, const QString& path)
{
    if (state == FolderState::Unreadable)
        dialogs().showmess(kMsgFolderUnreadable + displayFileName(QDir::toNativeSeparators(path.trimmed())));
}

bool TimgFrame::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == ComboBox3->lineEdit() && e->type() == QEvent::KeyPress)
        return ComboBox3KeyDown(static_cast<QKeyEvent*>(e)->key());
    return QFrame::eventFilter(watched, e);
}

} // namespace qv
