// qorvale-tool: inspect, pack and unpack project files and item files from the command line.
// A new subcommand is one more source file and one more row in kCommands.
#include "ToolCommand.h"
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>

namespace qv::tool {

const ToolCommand kCommands[] = {
    {"info", "list what a project file holds (JSON)",
     "usage: qorvale-tool info BOOK.qvb\n"
     "Prints the type code, the version and every stored file of each section\n"
     "(folder, name, size) as JSON.\n",
     runInfo},
    {"unpack", "unpack a project file into a folder laid out like the work folder",
     "usage: qorvale-tool unpack BOOK.qvb DIR\n"
     "Writes the stored files into DIR/0..16, DIR/img and DIR/thumb (DIR is created if missing).\n"
     "Files are written as stored; item files of version 2.0.0.0 keep their older layout.\n",
     runUnpack},
    {"pack", "pack a folder laid out like the work folder into a project file",
     "usage: qorvale-tool pack DIR BOOK.qvb --type KEY\n"
     "Saves DIR (page folders 0..16, img, thumb) as BOOK.qvb, exactly as the editor saves a book.\n"
     "KEY is a book type: Palm, Cedar, Maple, Reed, \"Fern S\", \"Fern M\" or \"Fern L\".\n",
     runPack},
    {"items", "print the records of an item file (qor.dat) as JSON",
     "usage: qorvale-tool items QOR.DAT [--v2]\n"
     "Prints every stored field of every record; texts as UTF-8.\n"
     "--v2 reads the 2.0.0.0 layout (records without textAlign).\n",
     runItems},
    {"import", "add photo files to the photo pool of a work folder",
     "usage: qorvale-tool import --work DIR --type KEY FILE...\n"
     "Adds each JPEG or BMP FILE to the photo pool in DIR/img exactly as the editor does: the pool\n"
     "is first rebuilt from DIR/img, then every file becomes the next entry with its copy and\n"
     "thumbnail. KEY is the book type, which sets the thumbnail size. The editor's messages appear\n"
     "on standard error as \"dialog: message: TEXT\"; the pool is printed as JSON. Exit status 2\n"
     "when a file could not be added.\n",
     runImport},
    {"render", "draw one page of a work folder or a book into a PNG file",
     "usage: qorvale-tool render (--work DIR --type KEY | --book BOOK.qvb) --out FILE.png [options]\n"
     "Draws one page as the editor (targets 0 and 1) or the print flow (targets 5 and 6) draws it\n"
     "and writes it as PNG. DIR and BOOK.qvb are only read. Prints a JSON summary.\n"
     "  --work DIR    a work folder (page folders 0..16, img)\n"
     "  --book FILE   a project file (.qvb), unpacked into a temporary folder\n"
     "  --out FILE    the PNG file to write\n"
     "  --type KEY    book type: Palm, Cedar, Maple, Reed, \"Fern S\", \"Fern M\" or \"Fern L\";\n"
     "                needed with --work, a book's own type otherwise\n"
     "  --page N      page folder 0..16 (0 the cover); default 0\n"
     "  --side S      side of a spread: 0 none, 1 left, 2 right; default 0\n"
     "  --target T    0 editor canvas, 1 navigator thumbnail, 5 print preview, 6 printer bitmap;\n"
     "                default 0\n"
     "  --zoom Z      zoom level 1..8 of the editor canvas; default 5\n"
     "  --size WxH    picture size for targets 0, 1 and 5; default: the page area with room\n"
     "                around it (0), the page area (1), the page at 0.2 pixels per 0.1 mm (5)\n"
     "  --dpi D       printer resolution of target 6, 1..1200; default 300\n",
     runRender},
    {"pdf", "write a book's pages into a PDF file at their true size",
     "usage: qorvale-tool pdf BOOK.qvb OUT.pdf [--pages all|odd|even|N] [--dpi D]\n"
     "Writes one PDF page per book page (0 the cover, 1 to 30), each of the page's own size and\n"
     "upright, with the pixels the printer gets at D dots per inch (1..1200, default 300).\n"
     "BOOK.qvb is only read. Prints a JSON summary.\n",
     runPdf},
};

const ToolCommand* findCommand(const QString& name)
{
    for (const ToolCommand& c : kCommands) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

namespace {
int printCommandList(FILE* out)
{
    std::fprintf(out, "usage: qorvale-tool COMMAND [ARGS]   (qorvale-tool COMMAND --help for details)\n\ncommands:\n");
    for (const ToolCommand& c : kCommands)
        std::fprintf(out, "  %-8s %s\n", c.name, c.summary);
    return out == stdout ? kExitOk : kExitFailed;
}
} // namespace

} // namespace qv::tool

int main(int argc, char* argv[])
{
    using namespace qv::tool;
    // Drawing pages needs fonts, and fonts need the GUI application (off screen).
    const bool gui = argc > 1 && (std::strcmp(argv[1], "render") == 0 || std::strcmp(argv[1], "pdf") == 0);
    if (gui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(gui ? new QGuiApplication(argc, argv) : new QCoreApplication(argc, argv));
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return printCommandList(stderr);
    if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h"))
        return printCommandList(stdout);
    const ToolCommand* command = findCommand(args.takeFirst());
    if (!command) {
        std::fprintf(stderr, "qorvale-tool: unknown command \"%s\"\n\n", argv[1]);
        return printCommandList(stderr);
    }
    return wantsHelp(args) ? printUsage(*command) : command->run(args);
}
