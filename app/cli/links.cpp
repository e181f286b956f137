// zarn-links: checks a list of addresses, or the links of a page, and says
// what each server answered, in the Links Checker tab's words.
#include "download/LinkChecker.h"
#include "platform/cli/CommandLine.h"
#include "tools/DocumentTools.h"
#include "tools/pagetool/HeadlessPage.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* Usage = "usage: zarn-links [FILE|-] [--page URL] [--jobs N] [--timeout S] [--csv]\n";

constexpr const char* Help
    = "Asks each address for its answer and prints, in input order, one line per address: the address,\n"
      "the Status and Result texts of ZarnWeb's Links Checker, the address that answered (after\n"
      "redirects) and the seconds it took, separated by tabs. Bodies are not downloaded.\n"
      "\n"
      "  FILE         one address per line (blank lines are skipped); - or nothing: standard input\n"
      "  --page URL   check the links of that page instead (loaded as zarn-page links loads it)\n"
      "  --jobs N     check N addresses at a time (default 8; 1 checks them one after the other)\n"
      "  --timeout S  give up on an address after S seconds without a byte moving (default 60)\n"
      "  --csv        print comma-separated values with a heading line instead\n"
      "  -h, --help   show this help\n"
      "\n"
      "Addresses without a scheme get http://; other schemes than http and https are not asked for.\n"
      "A summary goes to standard error (\"240 checked, 9 broken\").\n"
      "\n"
      "Exit status: 0 every address answered below 400, 1 an address failed or answered 400 or more\n"
      "(or the list or page could not be read), 2 bad usage.\n";

struct Options {
    std::string file; // empty or "-": standard input
    bool haveFile = false;
    std::string page;
    int jobs = 8;
    int timeoutSeconds = 60;
    bool csv = false;
};

Parsed parseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help")
            return Parsed::Help;
        if (arg == "--csv") {
            options.csv = true;
        } else if (arg == "--page" && i + 1 < argc && options.page.empty()) {
            options.page = argv[++i];
        } else if (arg == "--jobs" || arg == "--timeout") {
            const auto value = i + 1 < argc ? ParseNumber(argv[++i], 1, arg == "--jobs" ? 256 : 86400) : std::nullopt;
            if (!value)
                return Parsed::BadUsage;
            (arg == "--jobs" ? options.jobs : options.timeoutSeconds) = *value;
        } else if (arg == "-" || (!arg.empty() && arg[0] != '-')) {
            if (options.haveFile)
                return Parsed::BadUsage;
            options.file = arg;
            options.haveFile = true;
        } else {
            return Parsed::BadUsage;
        }
    }
    if (options.haveFile && !options.page.empty())
        return Parsed::BadUsage;
    return Parsed::Run;
}

// The list's addresses: a UTF-8 byte-order mark and line ends (LF, CR LF)
// dropped, blank lines skipped. A NUL or other control byte stays in its line
// and makes that address fail.
std::vector<std::string> readList(std::istream& in)
{
    std::vector<std::string> entries;
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (first && line.rfind("\xEF\xBB\xBF", 0) == 0)
            line.erase(0, 3);
        first = false;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t\r\f\v") == std::string::npos)
            continue;
        entries.push_back(line);
    }
    return entries;
}

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

int checkAndPrint(const cli::Tool& tool, const std::vector<std::string>& entries, const Options& options)
{
    const std::vector<TLinkOutcome> outcomes = CheckLinkList(entries, options.jobs, options.timeoutSeconds * 1000);
    if (options.csv)
        cli::PrintLine("url,status,result,final_url,seconds");
    int checked = 0;
    int broken = 0;
    for (const TLinkOutcome& outcome : outcomes) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f", outcome.Seconds);
        const std::string finalUrl = outcome.Fetched ? outcome.FinalUrl : std::string();
        const std::string time = outcome.Fetched ? std::string(seconds) : std::string();
        std::string line;
        if (options.csv)
            line = csvField(outcome.Entry) + ',' + csvField(outcome.StatusText) + ',' + csvField(outcome.ResultText)
                + ',' + csvField(finalUrl) + ',' + time;
        else
            line
                = outcome.Entry + '\t' + outcome.StatusText + '\t' + outcome.ResultText + '\t' + finalUrl + '\t' + time;
        cli::PrintLine(line);
        checked += outcome.Fetched ? 1 : 0;
        broken += OutcomeBroken(outcome) ? 1 : 0;
    }
    const int done = tool.Done();
    std::fprintf(stderr, "%d checked, %d broken\n", checked, broken);
    if (done != cli::Success)
        return done;
    return broken > 0 ? cli::Failure : cli::Success;
}

} // namespace

int main(int argc, char** argv)
{
    const PageTool tool{{"zarn-links", Usage, Help}};
    Options options;
    const Parsed parsed = parseArguments(argc, argv, options);
    if (parsed == Parsed::Help)
        return tool.Help();
    if (parsed == Parsed::BadUsage)
        return tool.BadUsage();
    if (!options.page.empty()) {
        return tool.Run(parsed, argc, argv, QString::fromLocal8Bit(options.page.c_str()), QSize(1024, 768), 30000,
            [&](HeadlessPage& page) {
                QStringList links;
                GetPageLinks(page.Browser().DefaultInterface(), links);
                std::vector<std::string> entries;
                for (const QString& link : links) {
                    if (link != QLatin1String("No Links found in the page body") && !link.trimmed().isEmpty())
                        entries.push_back(link.toStdString());
                }
                return checkAndPrint(tool, entries, options);
            });
    }
    std::vector<std::string> entries;
    if (options.file.empty() || options.file == "-") {
        entries = readList(std::cin);
    } else {
        std::ifstream in(options.file, std::ios::binary);
        if (!in)
            return tool.Fail(QString::fromStdString("cannot read " + options.file));
        entries = readList(in);
    }
    return checkAndPrint(tool, entries, options);
}
