#include "FontSetup.h"
#include "Numbers.h"
#include <QFontMetricsF>
#include <QHash>
#include <algorithm>

namespace qv {

namespace {
const QString kIpaP = QStringLiteral("IPAPGothic");
const QString kIpa = QStringLiteral("IPAGothic");
const QString kNoto = QStringLiteral("Noto Sans CJK JP");
// Metrics of a face are taken once at this size, where rounding no longer matters.
constexpr int kMetricsEm = 1000;
// Cell height over em size, per face.
QHash<QString, double> cellPerEm;
} // namespace

const QStringList& standardFaces()
{
    static const QStringList faces{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("ＭＳ ゴシック"),
                                   QStringLiteral("MS UI Gothic")};
    return faces;
}

void installFontSubstitutions()
{
    cellPerEm.clear(); // a face may now stand for another font
    const QStringList& faces = standardFaces();
    QFont::insertSubstitutions(faces[0], {kIpaP, kNoto});
    QFont::insertSubstitutions(faces[1], {kIpa, kNoto});
    QFont::insertSubstitutions(faces[2], {kIpaP, kNoto});
}

bool isVerticalFace(const QString& fontName) { return fontName.startsWith(QLatin1Char('@')); }

QString faceOf(const QString& fontName) { return isVerticalFace(fontName) ? fontName.mid(1) : fontName; }

const QStringList& japaneseFallbackFaces()
{
    static const QStringList faces{kIpaP, kNoto};
    return faces;
}

QFont itemFont(const QString& face, int emPx)
{
    QFont f;
    // Qt tries the families in order, both for a face that is not installed and for
    // characters the face lacks, so Japanese text always finds a Japanese face. The face's
    // own substitutes go first: Qt would otherwise try them only after the whole list.
    QStringList families{face};
    families += QFont::substitutes(face);
    families += japaneseFallbackFaces();
    families.removeDuplicates();
    f.setFamilies(families);
    f.setPixelSize(std::max(1, emPx));
    f.setWeight(QFont::Normal);
    f.setStyle(QFont::StyleNormal);
    return f;
}

int emPixelsForCell(const QString& face, int cellPx)
{
    auto it = cellPerEm.constFind(face);
    if (it == cellPerEm.constEnd()) {
        const QFontMetricsF m(itemFont(face, kMetricsEm));
        const double cell = m.ascent() + m.descent();
        it = cellPerEm.insert(face, cell > 0 ? cell / kMetricsEm : 1.0);
    }
    return std::max(1, nearest(cellPx / it.value()));
}

} // namespace qv
