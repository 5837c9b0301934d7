#include "PhotoStrip.h"
#include "Dialogs.h"
#include "Unit2.h"

namespace qv {

int stripDragRow(int y, int topRow, int poolSize, int currentRow)
{
    if (y <= 0)
        return currentRow;
    const int r = y / kStripRowHeight + topRow;
    return r < poolSize ? r : currentRow;
}

bool stripPhotoDroppable(const TMainState& st)
{
    const int r = st.window.photoStripRow();
    return r >= 0 && r < st.pool.size();
}

PhotoDrop dropStripPhoto(TForm2& doc, int x, int y)
{
    TMainState& st = doc.mainState();
    if (!stripPhotoDroppable(st))
        return PhotoDrop::NoPhoto;
    if (doc.CountPageImg(kMaxPageImages) || doc.CountPageITEM(kMaxPageItems)) {
        dialogs().showmess(kMsgMaxExceeded);
        return PhotoDrop::PageFull;
    }
    st.window.selectSelectionTool();
    doc.mement(2);
    doc.addImg(x, y);
    st.modified = true;
    return PhotoDrop::Added;
}

} // namespace qv
