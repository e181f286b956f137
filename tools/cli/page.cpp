// zarn-page: loads a page and prints its links, source, text or picture
// addresses. Exit status: 0 printed, 1 the page failed, 2 bad usage.
#include "browserhost/DocumentOps.h"
#include "tools/DocumentTools.h"
#include "tools/pagetool/HeadlessPage.h"

#include <string>

namespace {

constexpr const char* Usage = "usage: zarn-page links|source|text|images URL [--timeout MS]\n";

constexpr const char* Help = "Loads URL in ZarnWeb's page engine, without a window on the screen, and prints:\n"
                             "  links   the page's links, one per line, then those of each of its frames in order\n"
                             "          (a frame of another site is left out; a page body without links prints\n"
                             "          \"No Links found in the page body\")\n"
                             "  source  the page's HTML as the engine holds it (after its scripts ran)\n"
                             "  text    the page's text\n"
                             "  images  the addresses of the page's pictures, one per line\n"
                             "\n"
                             "  --timeout MS  how long the page may take to load (default 30000)\n"
                             "  -h, --help    show this help\n"
                             "\n"
                             "Exit status: 0 printed, 1 the page did not load or is not an HTML page, 2 bad usage.\n";

enum class What { Links, Source, Text, Images };

struct Options {
    What what = What::Links;
    bool haveWhat = false;
    QString url;
    unsigned timeoutMs = 30000;
};

Parsed parseArguments(int argc, char** argv, Options& options)
{
    static const std::pair<const char*, What> commands[]
        = {{"links", What::Links}, {"source", What::Source}, {"text", What::Text}, {"images", What::Images}};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help")
            return Parsed::Help;
        if (arg == "--timeout") {
            const auto timeout = i + 1 < argc ? ParseNumber(argv[++i], 1, 3600000) : std::nullopt;
            if (!timeout)
                return Parsed::BadUsage;
            options.timeoutMs = unsigned(*timeout);
        } else if (!options.haveWhat) {
            for (const auto& [name, what] : commands)
                if (arg == name) {
                    options.what = what;
                    options.haveWhat = true;
                }
            if (!options.haveWhat)
                return Parsed::BadUsage;
        } else if ((arg.size() > 1 && arg[0] == '-') || !options.url.isEmpty()) {
            return Parsed::BadUsage;
        } else {
            options.url = QString::fromLocal8Bit(arg.c_str());
        }
    }
    return options.haveWhat && !options.url.isEmpty() ? Parsed::Run : Parsed::BadUsage;
}

QStringList linesOf(What what, TSextant& browser)
{
    IWebBrowser2* control = browser.DefaultInterface();
    QStringList lines;
    switch (what) {
    case What::Links:
        GetPageLinks(control, lines);
        break;
    case What::Source:
        SaveToStrings(browser, lines);
        break;
    case What::Text:
        GetPageSourceText(control, browser.Document(), lines);
        break;
    case What::Images:
        lines = PageImageAddresses(control);
        break;
    }
    return lines;
}

} // namespace

int main(int argc, char** argv)
{
    const PageTool tool{{"zarn-page", Usage, Help}};
    Options options;
    const Parsed parsed = parseArguments(argc, argv, options);
    return tool.Run(parsed, argc, argv, options.url, QSize(1024, 768), options.timeoutMs, [&](HeadlessPage& page) {
        try {
            // What the page holds may be escape sequences for the terminal.
            for (const QString& line : linesOf(options.what, page.Browser()))
                cli::PrintLine(line.toStdString());
        } catch (const std::exception& error) {
            return tool.Fail(QString::fromLocal8Bit(error.what()));
        }
        return tool.Done();
    });
}
