#include "ToolCommand.h"
#include <cstdio>

namespace qv::tool {

int fail(const char* command, const QString& what, const QString& why)
{
    std::fprintf(stderr, "qorvale-tool %s: %s: %s\n", command, what.toUtf8().constData(), why.toUtf8().constData());
    return kExitFailed;
}

bool wantsHelp(const QStringList& args)
{
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

int printUsage(const ToolCommand& command)
{
    std::fputs(command.usage, stdout);
    return kExitOk;
}

int usageError(const char* name)
{
    if (const ToolCommand* c = findCommand(QString::fromLatin1(name)))
        std::fputs(c->usage, stderr);
    return kExitFailed;
}

void printJson(const QJsonDocument& doc)
{
    const QByteArray text = doc.toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
}

} // namespace qv::tool
