// Creation of the document and its defaults.
#include "Unit2.h"
#include "BmpCodec.h"
#include "PoolFiles.h"
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace qv {
namespace {
bool processorHasSimd()
{
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_cpu_supports("sse2");
#else
    return false;
#endif
}

// Stands in for a photo whose pool file cannot be read: a grey card with a cross.
TBigBitmap makePlaceholder()
{
    TBigBitmap b(160, 120, 24);
    QPainter p(&b.image());
    p.fillRect(0, 0, 160, 120, QColor(200, 200, 200));
    p.setPen(QColor(128, 128, 128));
    p.drawRect(0, 0, 159, 119);
    p.drawLine(0, 0, 159, 119);
    p.drawLine(0, 119, 159, 0);
    return b;
}

int mainFontWidth(const QString& text)
{
    QFont f(kDefaultFontName);
    f.setPixelSize(12);
    return QFontMetrics(f).horizontalAdvance(text);
}
} // namespace

TForm2::TForm2(TMainState& mainState, const QString& baseDirectory)
    : main(mainState), workFolder(baseDirectory)
{
    items.resize(1); // the scratch element
    useMMX = processorHasSimd();
    main.useMMX = useMMX;
    main.restorePending = true;
    deleteTree(workFolder.discardFolder()); // links a killed run left there
    setQorType();
    placeholder = makePlaceholder();
    textWidthPx = mainFontWidth;
    loadPoolImage = [this](int r) -> TBigBitmap {
        const TInfos& e = main.pool.at(r);
        const QString path = poolCopyPath(workFolder.imgFolder(), r, e.isPicture);
        return e.isPicture ? readBmpFile(path).bitmap : loadJpegScaled(path).bitmap;
    };
    loadPoolThumb = [this](int r) -> TBigBitmap {
        const TInfos& e = main.pool.at(r);
        return readBmpFile(poolThumbPath(workFolder.imgFolder(), r, e.isPicture)).bitmap;
    };
}

} // namespace qv
