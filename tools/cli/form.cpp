// zarn-form: lists a page's form elements, or fills a page's form from a
// record and attaches files through the page's file choosers, without a
// window on the screen. Exit status: 0 done, 1 the page failed or something
// could not be set, 2 bad usage.
#include "tools/FormAutomation.h"
#include "tools/pagetool/HeadlessPage.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <string>
#include <vector>

namespace {

constexpr const char* Usage
    = "usage: zarn-form list URL [--timeout MS]\n"
      "       zarn-form fill URL RECORD.json [--attach FIELD=FILE]... [--click TYPE:NAME[:N]]..."
      " [--timeout MS]\n";

constexpr const char* Help
    = "Loads URL in ZarnWeb's page engine, without a window on the screen, and:\n"
      "  list  prints every element of every form of the page, one per line:\n"
      "        name - type - value (a password's value masked)\n"
      "  fill  clicks the elements named by --click (in order), fills the fields of RECORD.json,\n"
      "        then attaches each --attach file through the file chooser that a click on the\n"
      "        file field FIELD opens; prints one line per click, field and file. The form is\n"
      "        not submitted.\n"
      "\n"
      "  RECORD.json            an object {\"field\": \"value\", ...} (filled in the order of its\n"
      "                         names) or an array of [\"field\", \"value\"] pairs (in its order);\n"
      "                         each value sets the first INPUT, SELECT or TEXTAREA of that name\n"
      "  --attach FIELD=FILE    the file field named FIELD takes FILE (an absolute path of\n"
      "                         printable ASCII characters)\n"
      "  --click TYPE:NAME[:N]  clicks the N-th (default 1) form element of that type and name\n"
      "  --timeout MS           how long the page may take to load (default 30000)\n"
      "  -h, --help             show this help\n"
      "\n"
      "Exit status: 0 done, 1 the page did not load, is not an HTML page, or a field, click or\n"
      "file could not be set, 2 bad usage.\n";

// The largest record read: far beyond any form, short of exhausting memory.
constexpr qint64 MaxRecordBytes = 64 * 1024 * 1024;

struct Click {
    QString type;
    QString name;
    int occurrence = 1;
};

struct Options {
    bool fill = false;
    bool haveCommand = false;
    QString url;
    QString record;
    std::vector<std::pair<QString, QString>> attachments;
    std::vector<Click> clicks;
    unsigned timeoutMs = 30000;
};

std::optional<Click> parseClick(const QString& text)
{
    const QStringList parts = text.split(u':');
    if (parts.size() < 2 || parts.size() > 3 || parts[0].isEmpty())
        return std::nullopt;
    Click click{parts[0], parts[1], 1};
    if (parts.size() == 3) {
        const auto occurrence = ParseNumber(parts[2].toStdString(), 1, 1000000);
        if (!occurrence)
            return std::nullopt;
        click.occurrence = *occurrence;
    }
    return click;
}

Parsed parseArguments(int argc, char** argv, Options& options)
{
    std::vector<QString> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help")
            return Parsed::Help;
        const bool hasValue = i + 1 < argc;
        if (arg == "--timeout") {
            const auto timeout = hasValue ? ParseNumber(argv[++i], 1, 3600000) : std::nullopt;
            if (!timeout)
                return Parsed::BadUsage;
            options.timeoutMs = unsigned(*timeout);
        } else if (arg == "--attach") {
            const QString value = hasValue ? QString::fromLocal8Bit(argv[++i]) : QString();
            const qsizetype equals = value.indexOf(u'=');
            if (equals <= 0 || equals + 1 >= value.size())
                return Parsed::BadUsage;
            options.attachments.emplace_back(value.left(equals), value.mid(equals + 1));
        } else if (arg == "--click") {
            const auto click = hasValue ? parseClick(QString::fromLocal8Bit(argv[++i])) : std::nullopt;
            if (!click)
                return Parsed::BadUsage;
            options.clicks.push_back(*click);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Parsed::BadUsage;
        } else {
            positional.push_back(QString::fromLocal8Bit(arg.c_str()));
        }
    }
    if (positional.empty())
        return Parsed::BadUsage;
    if (positional[0] == QLatin1String("list")) {
        if (positional.size() != 2 || !options.attachments.empty() || !options.clicks.empty())
            return Parsed::BadUsage;
    } else if (positional[0] == QLatin1String("fill")) {
        if (positional.size() != 3)
            return Parsed::BadUsage;
        options.fill = true;
        options.record = positional[2];
    } else {
        return Parsed::BadUsage;
    }
    options.url = positional[1];
    return Parsed::Run;
}

// The record's fields in order; an error text when it is not a record.
std::optional<TFieldValues> readRecord(const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > MaxRecordBytes) {
        error = QStringLiteral("%1: the record is larger than %2 bytes").arg(path).arg(MaxRecordBytes);
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(file.read(MaxRecordBytes), &parseError);
    const auto asText = [](const QJsonValue& value) -> std::optional<QString> {
        if (value.isString())
            return value.toString();
        if (value.isDouble())
            return QString::number(value.toDouble(), 'g', 17);
        return std::nullopt;
    };
    TFieldValues fields;
    if (json.isObject()) {
        const QJsonObject object = json.object();
        for (auto it = object.begin(); it != object.end(); ++it) {
            const auto value = asText(it.value());
            if (!value) {
                error = QStringLiteral("%1: the value of \"%2\" is not a text or a number").arg(path, it.key());
                return std::nullopt;
            }
            fields.emplace_back(it.key(), *value);
        }
        return fields;
    }
    if (json.isArray()) {
        for (const QJsonValue& item : json.array()) {
            const QJsonArray pair = item.toArray();
            const auto value = pair.size() == 2 && pair[0].isString() ? asText(pair[1]) : std::nullopt;
            if (!value) {
                error = QStringLiteral("%1: every item must be a [\"field\", \"value\"] pair").arg(path);
                return std::nullopt;
            }
            fields.emplace_back(pair[0].toString(), *value);
        }
        return fields;
    }
    error = QStringLiteral("%1: not a JSON object or array%2")
                .arg(path,
                    parseError.error == QJsonParseError::NoError
                        ? QString()
                        : QStringLiteral(" (%1 at offset %2)").arg(parseError.errorString()).arg(parseError.offset));
    return std::nullopt;
}

void print(const QString& line) { cli::PrintLine(line.toStdString()); }

int fill(const PageTool& tool, HeadlessPage& page, const Options& options, const TFieldValues& fields)
{
    TSextant& browser = page.Browser();
    TFormRun run(browser);
    if (!run.Adopt())
        return tool.Fail(run.Error());
    bool allSet = true;
    for (const Click& click : options.clicks) {
        TFormElementPos pos;
        const QString what = click.type + u':' + click.name + u':' + QString::number(click.occurrence);
        if (FindFormElement(browser, click.type, click.name, pos, click.occurrence) && ClickFormElement(browser, pos)) {
            print(QStringLiteral("clicked ") + what);
        } else {
            print(QStringLiteral("not clicked ") + what + QStringLiteral(": no such element"));
            allSet = false;
        }
    }
    bool completed = false;
    const QStringList missing = FillFields(run, fields, &completed);
    if (!completed)
        return tool.Fail(run.Error());
    for (const auto& [name, value] : fields) {
        if (missing.contains(name)) {
            print(QStringLiteral("not set ") + name + QStringLiteral(": the page has no such field"));
            allSet = false;
        } else {
            print(QStringLiteral("set ") + name);
        }
    }
    for (const auto& [field, file] : options.attachments) {
        if (!run.StillOnPage())
            return tool.Fail(run.Error());
        TFormElementPos pos;
        TAttachResult result = TAttachResult::NoElement;
        if (FindFormElement(browser, QStringLiteral("file"), field, pos, 1))
            result = AttachFile(browser, pos, file);
        if (result == TAttachResult::Attached) {
            print(QStringLiteral("attached ") + field + u' ' + file);
        } else {
            print(field + u' ' + file + QStringLiteral(": ") + AttachFailureText(result));
            allSet = false;
        }
    }
    if (!run.StillOnPage())
        return tool.Fail(run.Error());
    if (!cli::Flushed())
        return tool.Fail(QStringLiteral("the output could not be written"));
    return allSet ? cli::Success : cli::Failure;
}

} // namespace

int main(int argc, char** argv)
{
    const PageTool tool{{"zarn-form", Usage, Help}};
    Options options;
    const Parsed parsed = parseArguments(argc, argv, options);
    // The record is read before the engine starts: a bad one costs nothing.
    TFieldValues fields;
    if (parsed == Parsed::Run && options.fill) {
        QString error;
        const auto record = readRecord(options.record, error);
        if (!record)
            return tool.Fail(error);
        fields = *record;
    }
    return tool.Run(parsed, argc, argv, options.url, QSize(1024, 768), options.timeoutMs, [&](HeadlessPage& page) {
        try {
            if (options.fill)
                return fill(tool, page, options, fields);
            for (const QString& line : ListFormElements(page.Browser()))
                print(line);
        } catch (const std::exception& error) {
            return tool.Fail(QString::fromLocal8Bit(error.what()));
        }
        return tool.Done();
    });
}
