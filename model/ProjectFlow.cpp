// Saving and loading the whole book: the dialogs, messages and panels around the project
// file, and the conversion of older item files after a load.
#include "Dialogs.h"
#include "Pause.h"
#include "Unit2.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <optional>

namespace qv {
namespace {

const QString kProjectFilter = QStringLiteral("Qorvaleファイル(*.qvb)|*.qvb");
const QString kProjectSuffix = QStringLiteral("qvb");
const QString kMsgBackupFailed = QStringLiteral("バックアップファイルの作成に失敗しました");
const QString kMsgNotFound = QStringLiteral("指定されたファイルが見つかりません。ファイル名=");
const QString kMsgNotProject = QStringLiteral("Qorvale用のファイルではありません。");
const QString kMsgOtherVersion = QStringLiteral("異なるバージョンのファイルです。");
const QString kMsgLoadFailed = QStringLiteral("読込みに失敗しました。");
const QString kBusySaving = QStringLiteral("保存中...");
const QString kBusyLoading = QStringLiteral("読み込み中...");
constexpr int kPhotoSelectionMode = 7;

/// "Name(*.x)|*.x|..." pairs as the file dialogs take them: "Name(*.x);;...".
QString dialogFilter(const QString& pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        const QString& pattern = parts[i + 1];
        filters << (name.contains('(' + pattern + ')') ? name : name + " (" + pattern + ')');
    }
    return filters.join(QStringLiteral(";;"));
}

/// A name typed without an extension is saved as a project file, so the open dialog finds it.
QString withProjectSuffix(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    return QFileInfo(absolute).suffix().isEmpty() ? absolute + '.' + kProjectSuffix : absolute;
}

QString captionFor(const QString& path)
{
    return QCoreApplication::applicationName() + ' ' + QFileInfo(path).absoluteFilePath();
}

/// The items of an item file as the reader gives them; nullopt when it cannot be opened.
std::optional<TItemList> readItemsForConversion(const QString& file, ItemLayout layout, uint32_t itemColor)
{
    ItemFileReader reader(layout);
    if (!reader.open(file))
        return std::nullopt;
    TItemList list(1); // the scratch element
    TItemStatus fresh;
    fresh.lineColor = itemColor;
    for (int32_t k = 1; k <= reader.count() && !reader.atEnd(); ++k) {
        list.append(fresh);
        reader.readRecord(list.last());
    }
    reader.close();
    return list;
}

} // namespace

void TForm2::setKnownVersion(const ProjectVersion& version)
{
    knownVersion = version;
    itemLayout = version == kVersion2000 ? ItemLayout::V2000 : ItemLayout::Current;
}

bool TForm2::SaveFile()
{
    BusyHooks& busy = main.busy;
    busy.hourglass(true);
    const auto cursorBack = qScopeGuard([&busy] { busy.hourglass(false); });
    deleteUndoFolder();
    // A book without the page being edited would be reported saved while its changes are not.
    if (!writeCurrentPage())
        return false;
    saveData();

    const QString chosen = dialogs().saveFile(QString(), dialogFilter(kProjectFilter), lastProjectPath);
    if (chosen.isEmpty())
        return false;
    const QString path = withProjectSuffix(chosen);
    lastProjectPath = path;
    codeFromType(bookType);

    busy.setCaption(kBusySaving);
    busy.show();
    main.window.showQorPanel(false);
    const ProjectSaveResult result = saveProjectFile(workFolder.root(), typeCode, path);
    const bool saved = result.outcome == SaveOutcome::Saved;
    if (saved) {
        main.window.setWindowCaption(captionFor(path));
        main.modified = false;
    } else {
        dialogs().showmess(result.outcome == SaveOutcome::BackupFailed ? kMsgBackupFailed : kMsgSaveFailed);
    }
    main.window.showQorPanel(true);
    busy.hide();
    return saved;
}

bool TForm2::LoadFile(const QString& givenPath)
{
    BusyHooks& busy = main.busy;
    WindowHooks& window = main.window;
    busy.hourglass(true);
    const auto cursorBack = qScopeGuard([&busy] { busy.hourglass(false); });
    window.enableQorPanel(false);

    const QString path = givenPath.isEmpty() ? dialogs().openFile(QString(), dialogFilter(kProjectFilter)) : givenPath;
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        if (!path.isEmpty())
            dialogs().showmess(kMsgNotFound + path);
        window.enableQorPanel(true);
        return false;
    }
    lastProjectPath = QFileInfo(path).absoluteFilePath();
    busy.setCaption(kBusyLoading);
    busy.show();
    window.showQorPanel(false);

    deleteTmpFolder();
    pause(100);
    QDir().mkpath(workFolder.root());
    // The page in memory belonged to the book just removed; it must never be written into this one.
    items.resize(1);
    main.cache.clear();
    undoLevel = 0;

    const ProjectReadResult read = readProjectFile(path, workFolder.root());
    if (read.versionAccepted)
        setKnownVersion(read.version);
    switch (read.code) {
    case kReadOk: window.setWindowCaption(captionFor(path)); break;
    case kReadNoHeader: dialogs().showmess(kMsgNotProject); break;
    case kReadBadVersion: dialogs().showmess(kMsgOtherVersion); break;
    default: dialogs().showmess(kMsgLoadFailed); break;
    }

    ConvertFileVer2000to2010();
    main.editSide = 0;
    typeFromCode(read.typeCode);
    window.selectTypeInList(bookType);
    window.restoreWork();
    main.modified = false;
    window.showQorPanel(true);
    window.enableQorPanel(true);
    busy.hide();
    // A book of another version ends the program, once the state above is consistent again.
    if (read.code == kReadBadVersion)
        window.closeMainWindow();
    return true;
}

void TForm2::ConvertFileVer2000to2010()
{
    for (int p = 0; p < kPageFolderCount; ++p) {
        const QString file = workFolder.pageFolder(p) + kItemFileName;
        if (!QFileInfo(file).isFile())
            continue;
        pause(100);
        // A file that cannot even be opened is kept as it is rather than emptied.
        if (const auto list = readItemsForConversion(file, itemLayout, defaultItemColor))
            writeItemFile(file, *list);
    }
    setKnownVersion(kVersionConverted);
}

void TForm2::LabelLoadClick()
{
    main.window.highlightCurrentPage(false);
    if (dialogs().confirm(kMsgLoseEdits) && !LoadFile(QString()))
        main.window.highlightCurrentPage(true);
    main.window.changeMenu(kPhotoSelectionMode);
}

} // namespace qv
