#pragma once
// The subcommands of qorvale-tool and the helpers they share.
#include <QJsonDocument>
#include <QString>
#include <QStringList>

namespace qv::tool {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 2;

struct ToolCommand {
    const char* name;
    const char* summary; // one line for the command list
    const char* usage;   // the whole --help text
    int (*run)(const QStringList& args); // args after the command name
};

// One function per subcommand, each in its own file.
int runInfo(const QStringList& args);
int runUnpack(const QStringList& args);
int runPack(const QStringList& args);
int runItems(const QStringList& args);
int runImport(const QStringList& args);
int runRender(const QStringList& args);
int runPdf(const QStringList& args);

/// @brief Prints "qorvale-tool COMMAND: WHAT: WHY" to standard error; returns kExitFailed.
int fail(const char* command, const QString& what, const QString& why);
/// @brief True when args ask for help.
bool wantsHelp(const QStringList& args);
/// @brief Prints the command's usage to standard output; returns kExitOk.
int printUsage(const ToolCommand& command);
/// @brief Prints the usage of a command called with wrong arguments to standard error;
/// returns kExitFailed.
int usageError(const char* name);
/// @brief The table entry of a command by name; nullptr when none.
const ToolCommand* findCommand(const QString& name);
/// @brief Writes a JSON document, indented, to standard output.
void printJson(const QJsonDocument& doc);

} // namespace qv::tool
