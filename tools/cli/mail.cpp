// zarn-mail: writes a mail message as an RFC 5322 file and, without -o,
// hands it to the user's mail program as ZarnWeb's mail tools do.
#include "platform/cli/CommandLine.h"
#include "platform/mapi/MailMessage.h"
#include "tools/SendMail.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <string>

namespace {

constexpr const char* kUsage = "usage: zarn-mail [--to|--cc|--bcc ADDR]... [--subject S] [--body TEXT|--body-file F]\n"
                               "                 [--attach FILE[=NAME]]... [--from ADDR] [--receipt] [-o OUT.eml]\n";

constexpr const char* kHelp
    = "Writes a mail message: From (only with --from), To, Cc, Bcc, the subject (encoded where it\n"
      "is not ASCII), the body as UTF-8 text and every attachment base64-encoded under its name.\n"
      "\n"
      "  --to, --cc, --bcc ADDR  a recipient; each may be given more than once\n"
      "  --subject S             the subject\n"
      "  --body TEXT             the message text; --body-file F reads it from the file F\n"
      "  --attach FILE[=NAME]    attaches FILE, shown as NAME (default: FILE's own name); a FILE\n"
      "                          that exists as given is never split at its \"=\"\n"
      "  --from ADDR             the sender's address\n"
      "  --receipt               asks the reader's program for a read receipt (needs --from)\n"
      "  -o OUT.eml              writes the message to OUT.eml and hands it to nobody\n"
      "  -h, --help              show this help\n"
      "\n"
      "Without -o the message is written into the Outbox of ZarnWeb's profile, beside copies of\n"
      "its attachments, handed to the mail program with xdg-email (or, when that fails, the\n"
      "message file is opened with the desktop's program for mail messages), and the message\n"
      "file's path is printed. The files given are never changed or removed.\n"
      "Exit status: 0 written (and handed over), 1 it failed (the reason on standard error),\n"
      "2 bad usage.\n";

const cli::Tool tool{"zarn-mail", kUsage, kHelp};

QString local(const char* text) { return QString::fromLocal8Bit(text); }

} // namespace

int main(int argc, char** argv)
{
    QStringList recipients, attachments, names;
    QString subject, body, bodyFile, from, output;
    bool haveBody = false, receipt = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help")
            return tool.Help();
        if (arg == "--receipt") {
            receipt = true;
            continue;
        }
        const bool takesValue = arg == "--to" || arg == "--cc" || arg == "--bcc" || arg == "--subject"
            || arg == "--body" || arg == "--body-file" || arg == "--attach" || arg == "--from" || arg == "-o";
        if (!takesValue)
            return tool.BadUsage("unknown argument: " + arg);
        if (i + 1 >= argc)
            return tool.BadUsage(arg + " needs a value");
        const QString value = local(argv[++i]);
        if (arg == "--to")
            recipients << value;
        else if (arg == "--cc")
            recipients << QStringLiteral("CC:") + value;
        else if (arg == "--bcc")
            recipients << QStringLiteral("BCC:") + value;
        else if (arg == "--subject")
            subject = value;
        else if (arg == "--body" || arg == "--body-file") {
            if (haveBody)
                return tool.BadUsage("give one --body or --body-file");
            haveBody = true;
            (arg == "--body" ? body : bodyFile) = value;
        } else if (arg == "--attach") {
            const qsizetype equals = value.lastIndexOf(u'=');
            if (equals > 0 && !QFileInfo::exists(value)) {
                attachments << value.left(equals);
                names << value.mid(equals + 1);
            } else {
                attachments << value;
                names << QString();
            }
        } else if (arg == "--from")
            from = value;
        else
            output = value;
    }
    if (!bodyFile.isEmpty()) {
        QFile file(bodyFile);
        if (!file.open(QIODevice::ReadOnly))
            return tool.Fail(bodyFile.toStdString() + ": " + file.errorString().toStdString());
        body = QString::fromUtf8(file.readAll());
    }

    if (!output.isEmpty()) {
        const TMailMessage message
            = MailMessageFor(QString(), from, subject, body, recipients, attachments, names, false, receipt);
        const TMailResult result = WriteMailMessage(message, output);
        if (result.code != SUCCESS_SUCCESS)
            return tool.Fail((MapiErrorText(result.code) + QStringLiteral(": ") + result.detail).toStdString());
        return cli::Success;
    }

    TMailSendReport report;
    const int code = SendMailMessage(
        QString(), from, subject, body, recipients, attachments, names, true, false, receipt, QString(), &report);
    if (!report.messageFile.isEmpty())
        cli::PrintLine(report.messageFile.toStdString());
    if (report.noMailProgram)
        return tool.Fail("no mail program could take the message; it was kept as " + report.messageFile.toStdString());
    if (code != SUCCESS_SUCCESS && !report.openedMessageFile)
        return tool.Fail(MapiErrorText(code).toStdString());
    if (report.openedMessageFile)
        std::fputs("zarn-mail: xdg-email failed; the message file was opened instead\n", stderr);
    return tool.Done();
}
