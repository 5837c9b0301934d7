#include "FaceList.h"
#include <QFont>
#include <QFontDatabase>
#include <algorithm>

namespace qv {

QStringList offeredFaces(const QStringList& installed, const QStringList& substituted)
{
    QStringList faces = installed + substituted;
    faces.removeIf([](const QString& f) { return f.isEmpty() || f.startsWith(QLatin1Char('@')); });
    faces.sort();
    faces.removeDuplicates();
    return faces;
}

QStringList japaneseFaces()
{
    const QStringList installed = QFontDatabase::families(QFontDatabase::Japanese);
    QStringList substituted;
    for (const QString& name : QFont::substitutions()) {
        const QStringList targets = QFont::substitutes(name);
        if (std::any_of(targets.begin(), targets.end(), [&](const QString& t) { return installed.contains(t); }))
            substituted << name;
    }
    return offeredFaces(installed, substituted);
}

} // namespace qv
