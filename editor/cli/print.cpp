// zarn-print: prints a text, HTML or RTF file on pages as the editor prints
// them, to a PDF file or to the default printer.
//   zarn-print FILE [-o OUT.pdf] [--selection FROM:TO]

#include "editor/TextPrint.h"
#include "platform/cli/CommandLine.h"
#include "platform/files/PlainFiles.h"
#include "platform/files/SafeFile.h"
#include "platform/richedit/RtfDocument.h"

#include <QApplication>
#include <QBuffer>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextCursor>
#include <QTextDocument>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr const char* kUsage = "usage: zarn-print FILE [-o OUT.pdf] [--selection FROM:TO]\n";

constexpr const char* kHelp = "Prints a text, HTML (.htm, .html) or RTF file with 1\" side and 1.5\" top and\n"
                              "bottom margins.\n"
                              "\n"
                              "  FILE                 the file to print\n"
                              "  -o OUT.pdf           write a PDF file, replaced only by a complete one;\n"
                              "                       without it the default printer prints\n"
                              "  --selection FROM:TO  print only characters FROM to TO (counted from 0)\n"
                              "  -h, --help           show this help\n"
                              "\n"
                              "Exit status: 0 printed, 1 the file could not be read, nothing was left to\n"
                              "print or the output failed, 2 bad usage.\n";

const cli::Tool tool{"zarn-print", kUsage, kHelp};

// Files read whole: larger ones are refused.
constexpr std::size_t kMaxInput = 256u << 20;

bool ParseRange(const std::string& text, int& from, int& to)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos)
        return false;
    try {
        std::size_t used = 0;
        const long a = std::stol(text.substr(0, colon), &used);
        if (used != colon)
            return false;
        const std::string second = text.substr(colon + 1);
        const long b = std::stol(second, &used);
        if (used != second.size() || a < 0 || b < a || b > 0x7FFFFFFF)
            return false;
        from = static_cast<int>(a);
        to = static_cast<int>(b);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void LoadDocument(QTextDocument& document, const std::string& name, const std::string& bytes)
{
    const QString lower = QString::fromStdString(name).toLower();
    if (IsRtf(bytes)) {
        QTextCursor cursor(&document);
        InsertRtf(cursor, bytes);
    } else if (lower.endsWith(QLatin1String(".htm")) || lower.endsWith(QLatin1String(".html"))) {
        document.setHtml(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
    } else {
        document.setPlainText(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::string input, output;
    bool selection = false;
    int from = 0, to = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help")
            return tool.Help();
        if (arg == "-o" || arg == "--selection") {
            if (i + 1 >= argc)
                return tool.BadUsage(arg + " needs a value");
            const std::string value = argv[++i];
            if (arg == "-o") {
                output = value;
            } else if (!ParseRange(value, from, to)) {
                return tool.BadUsage("--selection takes FROM:TO, two numbers with FROM <= TO");
            } else {
                selection = true;
            }
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return tool.BadUsage("unknown option " + arg);
        } else if (input.empty()) {
            input = arg;
        } else {
            return tool.BadUsage("more than one file given");
        }
    }
    if (input.empty())
        return tool.BadUsage("no file given");
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    std::string bytes;
    if (!ReadWholeFile(input, bytes, kMaxInput))
        return tool.Fail("cannot read " + input + ": " + std::strerror(errno));
    QTextDocument whole;
    LoadDocument(whole, input, bytes);
    const std::unique_ptr<QTextDocument> document(selection ? PrintRange(whole, from, to) : PrintRange(whole));
    const QString title = PrintTitle(document->toPlainText());

    if (output.empty()) {
        if (QPrinterInfo::defaultPrinter().isNull())
            return tool.Fail("there is no default printer; give -o OUT.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(title);
        if (PrintDocument(*document, printer) == 0)
            return tool.Fail("nothing to print");
        return cli::Success;
    }
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("zarn-print"));
        writer.setPageSize(QPageSize(QPageSize::Letter));
        if (PrintDocument(*document, writer) == 0)
            return tool.Fail("nothing to print");
    }
    SafeFileWriter file(output);
    if (!file.Open() || !file.Write(pdf.constData(), static_cast<std::size_t>(pdf.size())) || !file.Commit())
        return tool.Fail("cannot write " + output + ": " + std::strerror(errno));
    return cli::Success;
}
