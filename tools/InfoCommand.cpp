// qorvale-tool info BOOK.qvb: what a project file holds, as JSON.
#include "BookTypes.h"
#include "ProjectFile.h"
#include "ToolCommand.h"
#include <QJsonArray>
#include <QJsonObject>

namespace qv::tool {
namespace {

QString versionText(const ProjectVersion& v)
{
    return QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
}

QJsonArray sectionsJson(const QVector<ProjectEntry>& entries)
{
    QJsonArray sections;
    for (ProjectSection s : {ProjectSection::PageInfo, ProjectSection::PageImage, ProjectSection::OriginalImage,
                             ProjectSection::Thumb}) {
        QJsonArray list;
        for (const ProjectEntry& e : entries) {
            if (e.section == s)
                list.append(QJsonObject{{"folder", e.folder}, {"name", e.name}, {"size", double(e.size)}});
        }
        sections.append(QJsonObject{{"tag", sectionTag(s)}, {"entries", list}});
    }
    return sections;
}

} // namespace

int runInfo(const QStringList& args)
{
    if (args.size() != 1)
        return usageError("info");
    const QString& path = args.first();
    QVector<ProjectEntry> entries;
    const ProjectReadResult r = listProjectFile(path, &entries);
    if (r.code != kReadOk)
        return fail("info", path, r.reason);
    const BookType* type = findBookTypeByCode(r.typeCode);
    printJson(QJsonDocument(QJsonObject{
        {"file", path},
        {"typeCode", r.typeCode},
        {"bookType", type ? QJsonValue(type->key) : QJsonValue()},
        {"version", versionText(r.version)},
        {"thumbCutShort", r.thumbCutShort},
        {"sections", sectionsJson(entries)},
    }));
    return kExitOk;
}

} // namespace qv::tool
