#include "PageNavigator.h"
#include "Pause.h"
#include "SafeAssert.h"
#include "Unit2.h"
#include <QScopeGuard>

namespace qv {

namespace {
const QString kCaptionLoading = QStringLiteral("読み込み中...");
constexpr int kPauseBeforeSave = 100;
constexpr int kPauseAfterSave = 500;

template <class F, class... A>
void callHost(const F& f, const char* name, A&&... args)
{
    if (safeAssert(bool(f), name))
        f(std::forward<A>(args)...);
}
} // namespace

PageNavigator::PageNavigator(TForm2& document, TMainState& state) : doc(document), st(state) {}

void PageNavigator::openPage(int page)
{
    doc.currentPage = page;
    doc.setQorType();
    st.cache.clear();
    doc.PbfLoad(-1);
}

void PageNavigator::buildNavigator()
{
    st.navEntryCount = navEntryCountFor(doc.sheetCount, doc.spreadMode);
    layout = navigatorLayout(doc.bookType, st.navEntryCount, doc.sheetCount, doc.spreadMode);
    callHost(host.applyLayout, "navigator applyLayout", layout);
    for (int k = 0; k < layout.entryCount; ++k) {
        openPage(k);
        callHost(host.drawThumbnail, "navigator drawThumbnail");
    }
    openPage(layout.startPage);
    // The start page is edited as a click on its entry would choose: page 1 alone is a right page.
    st.editSide = navClickSide(layout.startPage, 0, 0, layout.entryCount, doc.spreadMode);
    st.window.selectPageRect(layout.markedLabel, true);
}

void PageNavigator::pageClick(int t, int pictureWidth)
{
    if (t < 0 || t >= layout.entryCount || (host.busyCursorShowing && host.busyCursorShowing()))
        return;
    const auto cleanUp = qScopeGuard([this] { finishClick(); });
    callHost(host.showPrintFrame, "navigator showPrintFrame", false);
    callHost(host.enableWindow, "navigator enableWindow", false);
    // Failures of a click are not reported: the window comes back usable whatever happened.
    try {
        st.window.selectPageRect(doc.whatPageNo(doc.currentPage), false);
        previousSide = st.editSide;
        st.editSide = navClickSide(t, pressXInPicture, pictureWidth, layout.entryCount, doc.spreadMode);
        st.window.selectPageRect(doc.whatPageNo(t), true);
        const bool printStep = doc.menuMode == kMenuModePrint;
        if (!navClickSwitches(t, doc.currentPage, st.editSide, previousSide, printStep))
            return;
        if (!switchPage(t)) {
            // The page being left could not be written: it stays open, as it was.
            st.window.selectPageRect(doc.whatPageNo(t), false);
            st.editSide = previousSide;
            st.window.selectPageRect(doc.whatPageNo(doc.currentPage), true);
            return;
        }
        if (printStep)
            st.print.PrintStart();
        else
            callHost(host.repaintCanvas, "navigator repaintCanvas");
    } catch (...) {
    }
}

void PageNavigator::finishClick()
{
    callHost(host.showPrintFrame, "navigator showPrintFrame", true);
    st.busy.hide();
    callHost(host.enableWindow, "navigator enableWindow", true);
    st.busy.hourglass(false);
}

bool PageNavigator::switchPage(int t)
{
    if (t < 0 || t >= kPageFolderCount)
        return false;
    st.busy.hourglass(true);
    st.busy.setCaption(kCaptionLoading);
    st.busy.show();
    pause(kPauseBeforeSave);
    if (!doc.writeCurrentPage())
        return false;
    pause(kPauseAfterSave);
    const bool coverInvolved = t == 0 || doc.currentPage == 0;
    openPage(t);
    doc.notSelect();
    st.window.returnToSelectTool();
    if (coverInvolved && host.autoPaperTicked && host.autoPaperTicked())
        st.print.clearPaperName();
    callHost(host.drawThumbnail, "navigator drawThumbnail");
    return true;
}

} // namespace qv
