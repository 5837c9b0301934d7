#include "FaceList.h"
#include "FontSetup.h"
#include "Sjis.h"
#include <QFont>
#include <QFontDatabase>
#include <algorithm>

namespace qv {

QStringList offeredFaces(const QStringList& installed, const QStringList& substituted)
{
    QStringList faces = installed + substituted;
    // A face whose name the page file cannot spell would come back as another name.
    faces.removeIf([](const QString& f) {
        return f.isEmpty() || f.startsWith(QLatin1Char('@')) || !unstorableCharacters(f).isEmpty()
            || withSjisTwins(f) != f;
    });
    faces.sort();
    faces.removeDuplicates();
    return faces;
}

QStringList japaneseFaces()
{
    const QStringList installed = QFontDatabase::families(QFontDatabase::Japanese);
    QStringList substituted;
    // Qt keeps substitutions in lower case: the names items store come from the program itself.
    for (const QString& name : standardFaces()) {
        const QStringList targets = QFont::substitutes(name);
        if (std::any_of(targets.begin(), targets.end(),
                        [&](const QString& t) { return installed.contains(t, Qt::CaseInsensitive); }))
            substituted << name;
    }
    return offeredFaces(installed, substituted);
}

} // namespace qv
