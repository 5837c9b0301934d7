// Project files: the structure walk and a real unpack into a scratch work folder.
#include "FuzzSupport.h"
#include "ProjectFile.h"
#include "WorkFolder.h"
#include <QDir>
#include <QFileInfo>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = qv::fuzz::writeInput(data, size);
    QVector<qv::ProjectEntry> entries;
    (void)qv::listProjectFile(path, &entries);

    const QString work = qv::fuzz::scratchDir() + "work/";
    qv::deleteTree(work);
    (void)qv::readProjectFile(path, work);
    // Nothing may appear beside the work folder: names that leave it are refused.
    const QStringList beside = QDir(qv::fuzz::scratchDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const QString& name : beside)
        if (name != "work" && name != "input.bin")
            std::abort();
    return 0;
}
