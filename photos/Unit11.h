#pragma once
// TimgFrame: the photo browser panel of the photo-choosing step. The folder list on the left,
// the add and delete buttons in the middle, the chosen-photo grid (the photo pool) on the right.
#include "FolderListing.h"
#include "FrameParts.h"
#include "MainState.h"
#include <QFrame>
#include <QHash>
#include <QImage>
#include <functional>

class QComboBox;

namespace qv {

class TForm2;
class TImgListView;
class TPoolGrid;

inline const QString kHintParentFolder = QStringLiteral("1つ上のフォルダへ");
/// Shown, followed by the folder's path, for a folder whose contents cannot be read.
inline const QString kMsgFolderUnreadable = QStringLiteral("フォルダを開けませんでした。フォルダ名=");

class TimgFrame : public QFrame {
    Q_OBJECT
public:
    /// Looks of the add button, held as the fill colour of imgAdd.
    enum class AddLook { Off, Ready, Hover, Pressed };

    /// `document` gives the book once it exists (nullptr before).
    TimgFrame(TMainState& state, std::function<TForm2*()> document, QWidget* parent = nullptr);

    // --- controls, named as the window's tests find them ---
    QFrame* Panel6 = nullptr;
    TMouseLabel* Label1 = nullptr;
    QLabel* Image6 = nullptr;
    QFrame* Bevel1 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    TImgListView* ImgListView1 = nullptr;
    QFrame* Imgnav = nullptr;
    QFrame* panelAdd = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Image3 = nullptr;
    QLabel* Image36 = nullptr;
    TMouseLabel* photoAdd = nullptr;
    QLabel* imgPicAdd = nullptr;
    QFrame* Panel5 = nullptr;
    TShape* imgAdd = nullptr;
    QLabel* Label3 = nullptr;
    QFrame* Panel2 = nullptr;
    TMouseLabel* L11 = nullptr;
    QLabel* imgDelete = nullptr;
    TShape* S11 = nullptr;
    QLabel* Label2 = nullptr;
    QFrame* Panel4 = nullptr;
    TPoolGrid* Grid1 = nullptr;
    QVector<QPixmap> imgLstPicAdd;   // 0 normal, 1 hover, 2 pressed
    QVector<QPixmap> imgLstDelete;

    // --- operations for the window ---
    void addButtonOn();
    void addButtonOff();
    void delButtonOn();
    void delButtonOff();
    AddLook addLook() const;
    /// @brief Row count of the chosen-photo grid; repaints it.
    void setPoolGridRows(int rows);
    /// @brief Points the folder list's thumbnail cache at a folder.
    void setThumbCache(const QString& folder, bool enabled);

    // --- handlers ---
    void photoAddClick();
    void ImgListView1Click();
    void ImgListView1DblClick();
    void ImgListView1ChangeFolder();
    void ComboBox3Click();
    bool ComboBox3KeyDown(int key);
    void ParentFolderClick();
    void ImgListView1CustomDrawItem(QPainter& p, int row, const QRect& iconRect, const QColor& background);
    void Grid1DrawCell(QPainter& p, int col, int row, const QRect& cell, bool selected);
    void imgFrame1Grid1Click();
    void L11MouseUp();
    /// @brief Adds the photo files of a drop from another program, in the drop's order.
    void addDroppedFiles(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    TMainState& st;
    std::function<TForm2*()> doc;
    bool typingPath = false;
    QHash<QString, QImage> cellPictures; // pool thumbnails at their cell size

    void buildPathBar();
    void buildButtons();
    void buildGrid();
    void wireList();
    void setAddLook(AddLook look);
    void paintArrows(const QColor& colour);
    bool firstSelectedIsPhoto() const;
    /// Says that a folder the user asked for cannot be read (the list stays as it was).
    void reportFolder(FolderState state, const QString& path);
    bool acceptsListDrop(const QDropEvent& e) const;
    void dropOnPool(const QDropEvent& e);
    QImage cellPicture(const QString& file, const QSize& size);
};

/// @brief The local photo files (BMP, JPEG) among the addresses of a drop.
QStringList droppedPhotoFiles(const QList<QUrl>& urls);

} // namespace qv
