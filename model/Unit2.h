#pragma once
// TForm2: the book being edited. Book type and page geometry, the item list of the current
// page and its operations, and the page store with its one-level undo. It shows no window.
#include "FileReaper.h"
#include "MainState.h"
#include "ProjectFile.h"
#include "QorDef.h"
#include "QorIO.h"
#include "WorkFolder.h"
#include <QPoint>
#include <QRect>
#include <functional>
#include <optional>

namespace qv {

class StagedPage;

/// The question before the work in progress is replaced by a book.
inline const QString kMsgLoseEdits = QStringLiteral("編集中のデータがある場合、そのデータは失われますがよろしいですか？");
/// A book, or the page being left, could not be written.
inline const QString kMsgSaveFailed = QStringLiteral("保存できませんでした。");

/// @brief Multiplies positions, sizes, font sizes and line spacings of every element (the
/// scratch element too) by ratio, rounding halves to even; the list is unchanged on overflow.
bool rescaleItemList(TItemList& items, double ratio);

/// Bounding rectangle in page units.
struct ItemRect {
    int32_t left, top, right, bottom;
};

class TForm2 {
public:
    /// @brief Creates the document with its defaults on the window's state; sets restorePending.
    TForm2(TMainState& mainState, const QString& baseDirectory);

    // --- book type and page geometry ---
    QString bookType = QStringLiteral("Palm");
    QString typeCode;
    int32_t currentPage = 0;
    int32_t pageWidth = 0;
    int32_t pageHeight = 0;
    bool spreadMode = true;
    int32_t sheetCount = 15;

    void setQorType();
    bool isDouble() const;
    bool isDblPMax() const;
    int32_t whatPageNo(int32_t n) const;
    void typeFromCode(const QString& code);
    void codeFromType(const QString& key);
    /// @brief Scales the item list from one type's page width to another's.
    void rescaleItems(const QString& oldKey, const QString& newKey);

    // --- zoom ---
    int32_t zoomLevel = 5;
    static int32_t zoomTable(int32_t level);
    /// @brief Pixels per page unit.
    double amp() const;
    void ampL();
    void ampS();
    bool hideGuides = false;

    // --- colours and modes ---
    uint32_t defaultItemColor = kColorBlue;
    uint32_t canvasColor = rgbColor(102, 102, 102);
    uint32_t shapeColor = 0;
    uint32_t textColor = 0;
    int32_t menuMode = 0;
    bool useMMX = false;

    // --- items ---
    TItemList items;           // element 0 is the scratch element
    bool anySelected = false;

    // --- editing state shared by the tools, the overlay and the panels ---
    int32_t currentTool = 0;   // kToolSelect, ...
    QPoint pressPoint;         // pixels from the canvas origin at the last press
    QPoint pointerPoint;       // pixels from the canvas origin, latest
    bool buttonDown = false;
    bool freshSelect = true;   // the last press selected an unselected item: no move on release
    bool bandArmed = false;    // the last press hit empty canvas: the release may select by band
    bool ctrlReleased = true;  // no Ctrl key is held
    int itemCount() const { return int(items.size()) - 1; }

    void addItem();
    void addImg(int x, int y);
    void addText(int x, int y, const QString& text);
    void addRect(QRect pixels, bool rectangle);
    void setCopyItems();
    void copyItems();
    void deleteItem();
    void allSelect();
    void notSelect();
    void setItemSelect();
    void LFItem();
    void LBItem();
    void FontTateYoko(bool horizontalDown, bool verticalDown);
    ItemRect SelectMaxRect() const;
    bool CountPageImg(int limit) const;
    bool CountPageITEM(int limit) const;
    bool sameCenterExists(int32_t x, int32_t y) const;
    int countImages() const;
    int cacheWidth(int slot) const { return main.cache.cacheWidth(slot); }
    int cacheHeight(int slot) const { return main.cache.cacheHeight(slot); }

    /// Pixel width of a single line in the main window's font (replaceable for tests).
    std::function<int(const QString&)> textWidthPx;
    /// Reads pool files for a new image item; the pool fills these in.
    std::function<TBigBitmap(int poolIndex)> loadPoolImage;
    std::function<TBigBitmap(int poolIndex)> loadPoolThumb;
    /// Drawn in place of a photo whose pool file cannot be read.
    TBigBitmap placeholder;

    // --- photo pool ---
    TBigBitmap scratch; // the photo being imported, later its thumbnail
    /// @brief Imports a photo file as a new pool entry (hint 0 by extension, 1 photo, 2 picture).
    bool FileExtSub(const QString& path, int hint);
    /// @brief Removes pool entry `index` and moves the later entries and their files down.
    void gaDelete(int index);
    /// @brief Rebuilds the pool from the files in the work folder's img folder.
    void infosLoad();
    int gaCount() const { return int(main.pool.size()); }

    // --- page store and undo ---
    bool itemFileBusy = false;
    int32_t undoLevel = 0;
    /// Item layout used by the reader; V2000 only while such a project is being converted.
    ItemLayout itemLayout = ItemLayout::Current;

    bool PbfSave(int level);
    bool PbfLoad(int level);
    void mement(int level);
    void undo(int level);
    void afterLoadCleanup();
    bool saveData();
    void deleteTmpFolder();
    void deleteUndoFolder();
    void ListFilesDeleteWork(const QString& subPath);
    /// @brief PbfSave(-1) for a page about to be left or packed: when it fails, says so with
    /// kMsgSaveFailed and gives false, and the caller keeps the page open, since its changes
    /// exist nowhere else.
    bool writeCurrentPage();
    /// @brief Makes page folder n (0..16) the current page and reads it; the page in memory is
    /// dropped unwritten.
    void openPage(int32_t n);
    /// @brief Writes the current page, opens page folder n and reads it; false (on the same
    /// page) when the current page could not be written.
    bool switchPage(int32_t n);

    // --- project file ---
    /// Version of the project file last read; itemLayout follows it (set through setKnownVersion).
    ProjectVersion knownVersion = kVersionUnknown;
    QString lastProjectPath; // last saved or loaded, offered by the save dialog
    void setKnownVersion(const ProjectVersion& version);
    bool SaveFile();
    bool LoadFile(const QString& path);
    void ConvertFileVer2000to2010();
    void LabelLoadClick();

    const WorkFolder& work() const { return workFolder; }
    TMainState& mainState() { return main; }

private:
    TMainState& main;
    WorkFolder workFolder;
    SlotFileLedger slotFiles; // lets a page write skip slot files that already hold the picture
    FileReaper discards{workFolder.discardFolder()}; // frees replaced page files off this thread

    int32_t pagePlacementWidth() const;
    void placeNewImage(TItemStatus& item, int x, int y, int w, int h);
    bool stageSlots(const QString& folder, StagedPage& page);
    void removeSlotsAfter(const QString& folder, int c);
    void readSlots(const QString& folder);
    /// @brief Reads the item file: nothing when it cannot be opened, else whether it held items.
    std::optional<bool> readItems(const QString& file);
};

} // namespace qv
