// Dropping the design strip's photo on the page: accepted only for a pool entry, refused with
// the message on a full page, otherwise an image item with its undo snapshot.
#include "BrowserTestSupport.h"
#include "PoolBrowser.h"
#include "Unit2.h"
#include "PaintBox.h"
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace qv::test {

TEST(StripDrop, AddsTheStripPhotoUnlessThePageIsFull)
{
    ScriptedDialogs dialogs;
    TMainState st;
    TForm2 doc(st, baseDir());
    QStringList calls;
    int stripRow = -1;
    st.window.photoStripRow = [&] { return stripRow; };
    st.window.selectSelectionTool = [&] { calls << "selection tool"; };
    st.pool = {{kPoolPhotoName, false, 400, 300}};
    doc.currentPage = 0; // the cover is one page: 8 photos fill it
    doc.setQorType();

    EXPECT_FALSE(pageAcceptsStripPhoto(st)) << "no strip row";
    stripRow = 1;
    EXPECT_FALSE(pageAcceptsStripPhoto(st)) << "a row past the pool";
    stripRow = 0;
    ASSERT_TRUE(pageAcceptsStripPhoto(st));

    for (int i = 0; i < kMaxPageImages; ++i)
        ASSERT_TRUE(dropStripPhoto(doc, 0, 0));
    EXPECT_EQ(doc.countImages(), kMaxPageImages);
    EXPECT_EQ(calls.size(), kMaxPageImages);
    EXPECT_EQ(doc.undoLevel, 2);
    EXPECT_TRUE(st.modified);
    st.modified = false;
    EXPECT_FALSE(dropStripPhoto(doc, 0, 0));
    EXPECT_EQ(dialogs.messages, QStringList({"message: 最大数を超えました"}));
    EXPECT_EQ(doc.countImages(), kMaxPageImages);
    EXPECT_FALSE(st.modified);
}

TEST_F(FormTest, ThePageCanvasTakesOnlyTheStripsPhotos)
{
    makeForm();
    form->state.pool = {{kPoolPhotoName, false, 400, 300}};
    form->state.window.photoStripRow = [] { return 0; };
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(baseDir() + "a.jpg")});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(form->PBMain, &enter);
    EXPECT_FALSE(enter.isAccepted()) << "a drag from elsewhere than the design strip";
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(form->PBMain, &drop);
    EXPECT_EQ(form->Form2->itemCount(), 0);
}

} // namespace qv::test
