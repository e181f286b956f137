// zarn-history: lists, searches and removes the browsing history, grouped as
// the History menu and list group it (by local day, by site).
// Exit status: 0 success, 1 the operation failed, 2 bad usage.
#include "platform/cli/CommandLine.h"
#include "platform/inet/UrlHistory.h"
#include "platform/shell/HistoryFolder.h"

#include <QCoreApplication>
#include <QHash>

#include <climits>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: zarn-history list [--by day|site|visits] [--day N] [--site HOST]\n"
                               "       zarn-history search TEXT\n"
                               "       zarn-history delete URL|--site HOST|--before DATE\n";

constexpr const char* kHelp
    = "Works on ZarnWeb's history (History/history.sqlite in the profile: $ZARNWEB_HOME, else\n"
      "$XDG_DATA_HOME/ZarnWeb), one entry per address with its last visit.\n"
      "\n"
      "  list [--by day]           every page by local day (today, this week's days, then last\n"
      "                            week, 2 and 3 weeks ago), in each by site, newest first\n"
      "  list --by site            every page by site, newest first in each\n"
      "  list --by visits          every page, the most visited first\n"
      "  list --day N              the pages of the day N days ago (0 today), by site\n"
      "  list --site HOST          only the pages of HOST (\"\" for local files)\n"
      "  search TEXT               the pages whose address or title holds TEXT, newest first\n"
      "  delete URL                removes the address\n"
      "  delete --site HOST        removes every address of HOST\n"
      "  delete --before DATE      removes every address last visited before DATE (local time,\n"
      "                            yyyy-mm-dd or yyyy-mm-ddThh:mm:ss)\n"
      "  -h, --help                show this help\n"
      "\n"
      "Listed lines: last visit (local time), visits, title, address, separated by tabs; line\n"
      "breaks and tabs in titles become blanks, and addresses are shown without a user name\n"
      "and password. delete ends with a line \"N removed\".\n"
      "Exit status: 0 success, 1 the operation failed (the message says why), 2 bad usage.\n";

const cli::Tool tool{"zarn-history", kUsage, kHelp};

struct Command {
    QString name;
    QString by = QStringLiteral("day");
    int day = -1;
    bool haveSite = false;
    QString site;
    QString text; // search TEXT, delete URL
    QDateTime before;
};

bool takeValue(const QStringList& args, qsizetype& i, QString& value)
{
    if (i + 1 >= args.size())
        return false;
    value = args.at(++i);
    return true;
}

// Empty when the arguments are right; else why not (an empty why for the
// bare usage is "?").
QString parseArguments(const QStringList& args, Command& command)
{
    if (args.isEmpty())
        return QStringLiteral("?");
    command.name = args.front();
    bool haveBy = false, haveText = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        QString value;
        if (command.name == QLatin1String("list") && arg == QLatin1String("--by") && !haveBy) {
            if (!takeValue(args, i, command.by)
                || !QStringList({QStringLiteral("day"), QStringLiteral("site"), QStringLiteral("visits")})
                        .contains(command.by))
                return QStringLiteral("--by takes day, site or visits");
            haveBy = true;
        } else if (command.name == QLatin1String("list") && arg == QLatin1String("--day") && command.day < 0) {
            bool number = false;
            command.day = takeValue(args, i, value) ? value.toInt(&number) : -1;
            if (!number || command.day < 0)
                return QStringLiteral("--day takes a number of days ago, 0 or more");
        } else if ((command.name == QLatin1String("list") || command.name == QLatin1String("delete"))
            && arg == QLatin1String("--site") && !command.haveSite && !haveText) {
            if (!takeValue(args, i, command.site))
                return QStringLiteral("--site takes a host");
            command.haveSite = true;
        } else if (command.name == QLatin1String("delete") && arg == QLatin1String("--before")
            && !command.before.isValid() && !haveText) {
            if (!takeValue(args, i, value))
                return QStringLiteral("--before takes a date");
            command.before = QDateTime::fromString(value, Qt::ISODate);
            if (!command.before.isValid())
                command.before = QDateTime(QDate::fromString(value, Qt::ISODate), QTime(0, 0));
            if (!command.before.isValid())
                return QStringLiteral("not a date: ") + value;
        } else if ((command.name == QLatin1String("search") || command.name == QLatin1String("delete")) && !haveText
            && !command.haveSite && !command.before.isValid() && !arg.startsWith(QLatin1String("--"))) {
            command.text = arg;
            haveText = true;
        } else {
            return QStringLiteral("unexpected argument: ") + arg;
        }
    }
    if (command.name == QLatin1String("list"))
        return {};
    if (command.name == QLatin1String("search"))
        return haveText ? QString() : QStringLiteral("search takes a text");
    if (command.name == QLatin1String("delete")) {
        const int ways = int(haveText) + int(command.haveSite) + int(command.before.isValid());
        return ways == 1 ? QString() : QStringLiteral("delete takes one of URL, --site HOST, --before DATE");
    }
    return QStringLiteral("unknown command: ") + command.name;
}

QString field(const QString& text)
{
    QString one = text;
    for (QChar& c : one)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x2028)
            || c == QChar(0x2029) || c == QChar(0x85))
            c = QLatin1Char(' ');
    return one;
}

// Local time as the C library gives it: a listing of 100,000 lines spends
// most of its time here otherwise.
std::string localTime(const QDateTime& when)
{
    const time_t seconds = time_t(when.toMSecsSinceEpoch() / 1000);
    struct tm parts {};
    char text[32] = {};
    if (!localtime_r(&seconds, &parts) || !std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts))
        return {};
    return text;
}

bool print(const TUrlHistoryEntry& entry)
{
    std::string line = localTime(entry.LastVisit);
    line += '\t';
    line += std::to_string(entry.VisitCount);
    line += '\t';
    line += field(entry.Title).toStdString();
    line += '\t';
    line += field(HistoryShownAddress(entry.Url)).toStdString();
    // Asked once: whether standard output is a terminal does not change.
    static const bool terminal = cli::IsTerminal(stdout);
    if (terminal)
        return cli::PrintLine(line);
    line += '\n';
    return std::fwrite(line.data(), 1, line.size(), stdout) == line.size();
}

// The pages of a span, by site in the order the history folder lists its
// sites, newest first within a site.
bool printBySite(const std::vector<TUrlHistoryPage>& pages, const Command& command)
{
    QHash<QString, std::vector<const TUrlHistoryEntry*>> bySite;
    std::vector<QString> hosts;
    for (const TUrlHistoryPage& page : pages) {
        if (command.haveSite && page.Host != command.site.toLower())
            continue;
        auto& site = bySite[page.Host];
        if (site.empty())
            hosts.push_back(page.Host);
        site.push_back(&page.Entry);
    }
    SortHistoryHosts(hosts);
    for (const QString& host : hosts)
        for (const TUrlHistoryEntry* page : bySite[host])
            if (!print(*page))
                return false;
    return true;
}

int list(TUrlHistory& history, const Command& command)
{
    const QDateTime now = QDateTime::currentDateTime();
    bool written = true;
    if (command.day >= 0) {
        const QDate day = now.date().addDays(-command.day);
        written = printBySite(
            history.Pages(QDateTime(day, QTime(0, 0)).toUTC(), QDateTime(day.addDays(1), QTime(0, 0)).toUTC()),
            command);
    } else if (command.by == QLatin1String("site")) {
        written = printBySite(history.Pages({}, {}), command);
    } else if (command.by == QLatin1String("visits")) {
        for (const TUrlHistoryEntry& page : history.MostVisited(INT_MAX))
            if (!command.haveSite || TUrlHistory::HostOf(page.Url) == command.site.toLower())
                written = written && print(page);
    } else {
        for (const THistoryGroup& group : HistoryGroups(now))
            written = written && printBySite(history.Pages(group.From, group.To), command);
    }
    if (!history.LastError().isEmpty())
        return tool.Fail(history.LastError().toStdString());
    return written ? tool.Done() : tool.Fail("the output could not be written");
}

int removeEntries(TUrlHistory& history, const Command& command)
{
    int removed = 0;
    if (command.haveSite)
        removed = history.DeleteSite(command.site);
    else if (command.before.isValid())
        removed = history.DeleteBefore(command.before.toUTC());
    else if (history.Delete(command.text))
        removed = 1;
    else if (history.LastError().isEmpty())
        return tool.Fail("not in the history: " + command.text.toStdString());
    else
        removed = -1;
    if (removed < 0)
        return tool.Fail(history.LastError().toStdString());
    cli::PrintLine(std::to_string(removed) + " removed");
    return tool.Done();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ZarnWeb"));
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.contains(QLatin1String("-h")) || args.contains(QLatin1String("--help")))
        return tool.Help();
    Command command;
    const QString wrong = parseArguments(args, command);
    if (!wrong.isEmpty())
        return tool.BadUsage(wrong == QLatin1String("?") ? std::string() : wrong.toStdString());
    TUrlHistory history;
    if (!history.IsUsable())
        return tool.Fail(history.LastError().toStdString());
    if (command.name == QLatin1String("list"))
        return list(history, command);
    if (command.name == QLatin1String("search")) {
        bool written = true;
        for (const TUrlHistoryEntry& page : history.Search(command.text, INT_MAX))
            written = written && print(page);
        return written ? tool.Done() : tool.Fail("the output could not be written");
    }
    return removeEntries(history, command);
}
