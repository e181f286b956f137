// Messages as a mail reader sees them: written files read back by GMime and
// by munpack; the Outbox keeping copies and leaving the caller's files alone;
// the hand-over through the real xdg-email with a recording mail program.
#include "TempHome.h"
#include "platform/mapi/MailMessage.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#pragma push_macro("signals")
#undef signals
#include <gmime/gmime.h>
#pragma pop_macro("signals")

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <utime.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

// A parsed message; released with the fixture.
struct Parsed {
    GMimeMessage* message = nullptr;
    explicit Parsed(const QString& path)
    {
        g_mime_init();
        GError* error = nullptr;
        GMimeStream* stream = g_mime_stream_fs_open(QFile::encodeName(path).constData(), O_RDONLY, 0, &error);
        if (!stream) {
            g_clear_error(&error);
            return;
        }
        GMimeParser* parser = g_mime_parser_new_with_stream(stream);
        message = g_mime_parser_construct_message(parser, nullptr);
        g_object_unref(parser);
        g_object_unref(stream);
    }
    ~Parsed()
    {
        if (message)
            g_object_unref(message);
    }
    QString header(const char* name) const
    {
        const char* value = g_mime_object_get_header(GMIME_OBJECT(message), name);
        return value ? QString::fromUtf8(value) : QString();
    }
    QString addresses(GMimeAddressType type) const
    {
        char* text = internet_address_list_to_string(g_mime_message_get_addresses(message, type), nullptr, FALSE);
        const QString result = QString::fromUtf8(text ? text : "");
        g_free(text);
        return result;
    }
};

QByteArray partContent(GMimeObject* object)
{
    GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(object));
    GMimeStream* memory = g_mime_stream_mem_new();
    g_mime_data_wrapper_write_to_stream(content, memory);
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory));
    QByteArray result(reinterpret_cast<const char*>(bytes->data), static_cast<qsizetype>(bytes->len));
    g_object_unref(memory);
    return result;
}

class MailMessageFiles : public ::testing::Test {
protected:
    TempHome home;
    QString file(const QString& name) const { return home.path(QStringLiteral("files/") + name); }
};

TEST_F(MailMessageFiles, ReadBackByGMimeWithEveryHeaderAttachmentAndNonAsciiText)
{
    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary.append(static_cast<char>(i * 7 % 256));
    writeFile(file("data.bin"), binary);
    writeFile(file("page.html"), "<p>caf\xc3\xa9</p>");

    TMailMessage message;
    message.senderName = QStringLiteral("Zo\u00eb Sender");
    message.senderAddress = QStringLiteral("zoe@example.org");
    // A line break in a page title must not start a header of its own.
    message.subject = QStringLiteral("Caf\u00e9 \u65e5\u672c\r\nBcc: evil@example.com");
    message.body = QStringLiteral("Hello \u00fc\nsecond line");
    message.recipients = {{TMailRecipientKind::To, QStringLiteral("to@example.org"), QStringLiteral("to@example.org")},
        {TMailRecipientKind::Cc, QStringLiteral("Copy"), QStringLiteral("cc@example.org")},
        {TMailRecipientKind::Bcc, {}, QStringLiteral("bcc@example.org")}};
    message.attachments = {{file("data.bin"), QStringLiteral("say \"hi\".bin")},
        {file("page.html"), QStringLiteral("s\u00e9jour.html")}, {file("data.bin"), {}}};
    message.requestReceipt = true;

    const QString eml = home.path(QStringLiteral("out.eml"));
    const TMailResult result = WriteMailMessage(message, eml);
    ASSERT_EQ(result.code, SUCCESS_SUCCESS) << result.detail.toStdString();

    const QByteArray raw = readAll(eml);
    EXPECT_FALSE(raw.contains("\nBcc: evil")) << "a header from the subject";
    EXPECT_TRUE(raw.toLower().contains("subject: =?utf-8?")) << "the subject is not encoded for a header";
    EXPECT_TRUE(raw.toLower().contains("filename*=utf-8''s%c3%a9jour.html"))
        << "the non-ASCII name is not in RFC 2231 form";

    Parsed parsed(eml);
    ASSERT_TRUE(parsed.message);
    EXPECT_EQ(QString::fromUtf8(g_mime_message_get_subject(parsed.message)),
        QStringLiteral("Caf\u00e9 \u65e5\u672c  Bcc: evil@example.com"));
    EXPECT_EQ(parsed.addresses(GMIME_ADDRESS_TYPE_FROM), QStringLiteral("Zo\u00eb Sender <zoe@example.org>"));
    EXPECT_EQ(parsed.addresses(GMIME_ADDRESS_TYPE_TO), QStringLiteral("to@example.org"));
    EXPECT_EQ(parsed.addresses(GMIME_ADDRESS_TYPE_CC), QStringLiteral("Copy <cc@example.org>"));
    EXPECT_EQ(parsed.addresses(GMIME_ADDRESS_TYPE_BCC), QStringLiteral("bcc@example.org"));
    EXPECT_TRUE(parsed.header("Disposition-Notification-To").contains(QStringLiteral("zoe@example.org")));
    EXPECT_FALSE(parsed.header("Message-Id").isEmpty());
    EXPECT_FALSE(parsed.header("Date").isEmpty());

    GMimeObject* body = g_mime_message_get_mime_part(parsed.message);
    ASSERT_TRUE(GMIME_IS_MULTIPART(body));
    GMimeMultipart* mixed = GMIME_MULTIPART(body);
    ASSERT_EQ(g_mime_multipart_get_count(mixed), 4);
    char* text = g_mime_text_part_get_text(GMIME_TEXT_PART(g_mime_multipart_get_part(mixed, 0)));
    EXPECT_EQ(QString::fromUtf8(text), QStringLiteral("Hello \u00fc\r\nsecond line"));
    g_free(text);
    const struct {
        const char* name;
        QByteArray content;
    } parts[] = {{"say \"hi\".bin", binary}, {"s\xc3\xa9jour.html", "<p>caf\xc3\xa9</p>"}, {"data.bin", binary}};
    for (int i = 0; i < 3; ++i) {
        GMimeObject* part = g_mime_multipart_get_part(mixed, i + 1);
        EXPECT_STREQ(g_mime_part_get_filename(GMIME_PART(part)), parts[i].name);
        EXPECT_EQ(g_mime_part_get_content_encoding(GMIME_PART(part)), GMIME_CONTENT_ENCODING_BASE64);
        EXPECT_EQ(partContent(part), parts[i].content) << parts[i].name;
    }
}

TEST_F(MailMessageFiles, WithoutSenderAddressThereIsNoFromAndNoReceiptRequest)
{
    TMailMessage message;
    message.senderName = QStringLiteral("Name only");
    message.requestReceipt = true;
    message.body = QStringLiteral("x");
    const QString eml = home.path(QStringLiteral("out.eml"));
    ASSERT_EQ(WriteMailMessage(message, eml).code, SUCCESS_SUCCESS);
    Parsed parsed(eml);
    ASSERT_TRUE(parsed.message);
    EXPECT_TRUE(parsed.header("From").isEmpty());
    EXPECT_TRUE(parsed.header("Disposition-Notification-To").isEmpty());
    EXPECT_FALSE(GMIME_IS_MULTIPART(g_mime_message_get_mime_part(parsed.message)));
}

TEST_F(MailMessageFiles, MunpackExtractsTheAttachments)
{
    writeFile(file("report.txt"), "line one\nline two\n");
    QByteArray binary(5000, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(255 - i % 256);
    writeFile(file("b.dat"), binary);
    TMailMessage message;
    message.subject = QStringLiteral("files");
    message.attachments = {{file("report.txt"), {}}, {file("b.dat"), QStringLiteral("pic.bin")}};
    const QString eml = home.path(QStringLiteral("out.eml"));
    ASSERT_EQ(WriteMailMessage(message, eml).code, SUCCESS_SUCCESS);

    const QString unpacked = home.path(QStringLiteral("unpacked"));
    QDir().mkpath(unpacked);
    QProcess munpack;
    munpack.setWorkingDirectory(unpacked);
    munpack.start(QStringLiteral("munpack"), {QStringLiteral("-q"), eml});
    ASSERT_TRUE(munpack.waitForFinished(30000));
    ASSERT_EQ(munpack.exitCode(), 0) << munpack.readAllStandardError().toStdString();
    EXPECT_EQ(readAll(unpacked + QStringLiteral("/report.txt")), QByteArray("line one\nline two\n"));
    EXPECT_EQ(readAll(unpacked + QStringLiteral("/pic.bin")), binary);
}

TEST_F(MailMessageFiles, AttachmentFailuresHaveTheirCodesAndLeaveNoFile)
{
    writeFile(file("unreadable"), "x");
    QFile::setPermissions(file("unreadable"), QFileDevice::Permissions());
    QDir().mkpath(file("folder"));
    const struct {
        QString path;
        int code;
    } cases[] = {{file("missing"), MAPI_E_ATTACHMENT_NOT_FOUND}, {file("missing/below"), MAPI_E_ATTACHMENT_NOT_FOUND},
        {file("folder"), MAPI_E_ATTACHMENT_OPEN_FAILURE},
        {file("unreadable"), ::geteuid() == 0 ? SUCCESS_SUCCESS : MAPI_E_ATTACHMENT_OPEN_FAILURE}};
    for (const auto& c : cases) {
        TMailMessage message;
        message.attachments = {{c.path, {}}};
        const QString eml = home.path(QStringLiteral("out.eml"));
        QFile::remove(eml);
        EXPECT_EQ(WriteMailMessage(message, eml).code, c.code) << c.path.toStdString();
        EXPECT_EQ(QFile::exists(eml), c.code == SUCCESS_SUCCESS) << c.path.toStdString();
    }
}

TEST_F(MailMessageFiles, OutboxKeepsCopiesAndLeavesTheCallersFiles)
{
    writeFile(file("mine.txt"), "mine");
    writeFile(file("other/mine.txt"), "other");
    const QString folder = NewOutboxMessageFolder();
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(folder.startsWith(OutboxFolder() + u'/'));
    EXPECT_NE(NewOutboxMessageFolder(), folder);
    writeFile(folder + QStringLiteral("/Site.html"), "<p>page</p>");

    TMailMessage message;
    message.attachments = {{file("mine.txt"), {}}, {file("other/mine.txt"), {}},
        {folder + QStringLiteral("/Site.html"), {}}, {file("mine.txt"), QStringLiteral("../../escape.txt")}};
    TMailMessage written;
    ASSERT_EQ(WriteOutboxMessage(message, folder, written).code, SUCCESS_SUCCESS);
    ASSERT_EQ(written.attachments.size(), 4u);
    EXPECT_EQ(written.attachments[0].path, folder + QStringLiteral("/1/mine.txt"));
    EXPECT_EQ(written.attachments[1].path, folder + QStringLiteral("/2/mine.txt"));
    EXPECT_EQ(written.attachments[2].path, folder + QStringLiteral("/Site.html"));
    EXPECT_EQ(written.attachments[3].path, folder + QStringLiteral("/4/escape.txt"));
    EXPECT_EQ(readAll(written.attachments[1].path), "other");
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/message.eml")));
    EXPECT_EQ(readAll(file("mine.txt")), "mine");
    EXPECT_EQ(readAll(file("other/mine.txt")), "other");

    // Only folders older than the limit go.
    const QString old = NewOutboxMessageFolder();
    writeFile(old + QStringLiteral("/message.eml"), "x");
    const time_t eightDaysAgo = QDateTime::currentDateTimeUtc().addDays(-8).toSecsSinceEpoch();
    const utimbuf times{eightDaysAgo, eightDaysAgo};
    ASSERT_EQ(::utime(QFile::encodeName(old).constData(), &times), 0);
    EXPECT_EQ(PruneOutbox(7), 1);
    EXPECT_FALSE(QFile::exists(old));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/message.eml")));
}

TEST(XdgEmail, ArgumentsLeaveEmptyOptionsOutAndKeepEveryValueApart)
{
    TMailMessage message;
    message.recipients = {{TMailRecipientKind::To, {}, QStringLiteral("-x@example.org")},
        {TMailRecipientKind::Cc, {}, QStringLiteral("c@example.org")}, {TMailRecipientKind::To, {}, QString()},
        {TMailRecipientKind::Bcc, {}, QStringLiteral("b@example.org")}};
    message.body = QStringLiteral("a&b=c\nd");
    message.attachments = {{QStringLiteral("/tmp/a b.txt"), {}}};
    EXPECT_EQ(XdgEmailArguments(message),
        QStringList({"--utf8", "--to", "-x@example.org", "--cc", "c@example.org", "--bcc", "b@example.org", "--body",
            "a&b=c\nd", "--attach", "/tmp/a b.txt"}));
    message = {};
    message.subject = QStringLiteral("S");
    EXPECT_EQ(XdgEmailArguments(message), QStringList({"--utf8", "--subject", "S"}));
}

TEST(XdgEmail, ExitStatusMapping)
{
    const std::pair<int, int> cases[] = {{0, 0}, {1, 2}, {2, 11}, {3, 2}, {4, 2}, {5, 12}, {-1, 2}, {137, 2}};
    for (const auto& [status, code] : cases)
        EXPECT_EQ(MapXdgEmailExit(status), code) << status;
}

// The real xdg-email with $MAILER as the mail program.
class HandOver : public ::testing::Test {
protected:
    HandOver()
    {
        home.set("MAILER", home.path(QStringLiteral("mailer.sh")));
        // Neither a browser nor a desktop's mail handler may stand in.
        home.set("BROWSER", QStringLiteral("false"));
        home.set("XDG_DATA_DIRS", home.path(QStringLiteral("none")));
        home.set("XDG_CURRENT_DESKTOP", QString());
        home.set("DE", QString());
    }
    void mailer(int exitStatus)
    {
        writeFile(home.path(QStringLiteral("mailer.sh")),
            QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\nexit %2\n")
                .arg(home.path(QStringLiteral("calls")))
                .arg(exitStatus)
                .toUtf8());
        QFile::setPermissions(home.path(QStringLiteral("mailer.sh")), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    QStringList calls() const
    {
        return QString::fromUtf8(readAll(home.path(QStringLiteral("calls")))).split(u'\n', Qt::SkipEmptyParts);
    }
    TempHome home;
};

TEST_F(HandOver, TheMailProgramGetsTheMessage)
{
    mailer(0);
    writeFile(home.path(QStringLiteral("a.txt")), "a");
    TMailMessage message;
    message.subject = QStringLiteral("Caf\u00e9");
    message.body = QStringLiteral("x&y");
    message.recipients = {{TMailRecipientKind::To, {}, QStringLiteral("to@example.org")}};
    message.attachments = {{home.path(QStringLiteral("a.txt")), {}}};
    const THandOver result = HandOverMessage(message, home.path(QStringLiteral("none.eml")));
    EXPECT_EQ(result.code, SUCCESS_SUCCESS);
    EXPECT_FALSE(result.openedMessageFile);
    ASSERT_EQ(calls().size(), 1);
    const QString call = calls().first();
    EXPECT_TRUE(call.startsWith(QStringLiteral("mailto:?to=to@example.org&"))) << call.toStdString();
    EXPECT_TRUE(call.contains(QStringLiteral("subject=Caf%C3%A9"))) << call.toStdString();
    EXPECT_TRUE(call.contains(QStringLiteral("body=x%26y"))) << call.toStdString();
    EXPECT_TRUE(call.contains(QStringLiteral("attach="))) << call.toStdString();

    // An empty subject is left out, not refused.
    message.subject.clear();
    EXPECT_EQ(HandOverMessage(message, home.path(QStringLiteral("none.eml"))).code, SUCCESS_SUCCESS);
    EXPECT_FALSE(calls().last().contains(QStringLiteral("subject="))) << calls().last().toStdString();
}

TEST_F(HandOver, MissingAttachmentAndNoMailProgram)
{
    mailer(0);
    TMailMessage message;
    message.attachments = {{home.path(QStringLiteral("gone.txt")), {}}};
    EXPECT_EQ(HandOverMessage(message, home.path(QStringLiteral("none.eml"))).code, MAPI_E_ATTACHMENT_NOT_FOUND);
    EXPECT_TRUE(calls().isEmpty());

    // The mail program fails, and nothing opens the message file either.
    mailer(4);
    message.attachments.clear();
    message.subject = QStringLiteral("s");
    const THandOver result = HandOverMessage(message, home.path(QStringLiteral("none.eml")));
    EXPECT_EQ(result.code, MAPI_E_FAILURE);
    EXPECT_TRUE(result.noMailProgram);
    EXPECT_FALSE(result.openedMessageFile);
    EXPECT_EQ(calls().size(), 1);
}

} // namespace
