// A user mails from the Mail Tools menu: the page goes to the mail program as
// an attachment, the page's address with its title as the subject, a new
// message opens empty; with no mail program the user is told where the
// message was kept; closing the window while a message is handed over is no
// trouble. The mail program is a script ($MAILER) that notes what it got.
#include "Journey.h"

#include "platform/mapi/MailMessage.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// Takes the desktop's opening of mailto: addresses for its life.
class OpenedMailTo : public QObject {
    Q_OBJECT
public:
    OpenedMailTo() { QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "open"); }
    ~OpenedMailTo() override { QDesktopServices::unsetUrlHandler(QStringLiteral("mailto")); }
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

class Mail : public Journey {
protected:
    void SetUp() override
    {
        // Neither a web browser nor a desktop's mail handler may stand in
        // for the mail program.
        qputenv("BROWSER", "false");
        mailer(QString());
        QFile::remove(callsFile());
        JourneyPages::Serve("/mail.html",
            "<html><head><meta charset=\"utf-8\"><title>Caf\xc3\xa9 \"quoted\" page</title></head><body><p id=t>mail "
            "me</p></body></html>");
    }
    void TearDown() override
    {
        qunsetenv("MAILER");
        qunsetenv("BROWSER");
        Journey::TearDown();
    }
    QString callsFile() const { return QDir::current().filePath(QStringLiteral("mailer-calls")); }
    // The mail program: a script that notes the mailto: address it is given,
    // after running before.
    void mailer(const QString& before)
    {
        const QString script = QDir::current().filePath(QStringLiteral("bin/journey-mailer"));
        writeFile(
            script, QStringLiteral("#!/bin/sh\n%1\nprintf '%s\\n' \"$1\" >> '%2'\n").arg(before, callsFile()).toUtf8());
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("MAILER", script.toUtf8());
    }
    QStringList calls() const { return QString::fromUtf8(readFile(callsFile())).split(u'\n', Qt::SkipEmptyParts); }
    static QString item(const QUrlQuery& query, const char* name)
    {
        return query.queryItemValue(QString::fromLatin1(name), QUrl::FullyDecoded);
    }
};

TEST_F(Mail, ThePageGoesAsAnAttachmentAndTheUsersSiteFileStays)
{
    // What "Save Page to file" wrote before must survive the mailing.
    const QString userFile = QDir::current().filePath(QStringLiteral("Site.html"));
    writeFile(userFile, "the user's own file");
    OpenWindow(JourneyPages::Url("/mail.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/mail.html"), QStringLiteral("quoted")));

    ChooseMenu({"Tools", "Mail Tools", "Send The Page In Mail"});
    ASSERT_TRUE(WaitFor([&] { return calls().size() == 1; }));
    const QUrl address(calls().first());
    EXPECT_EQ(address.scheme(), "mailto");
    const QUrlQuery query(address);
    EXPECT_EQ(item(query, "subject"), "Check this site");
    EXPECT_EQ(item(query, "body"), "With regards");
    const QString attached = item(query, "attach");
    EXPECT_TRUE(attached.startsWith(OutboxFolder() + u'/')) << attached.toStdString();
    EXPECT_TRUE(attached.endsWith(QStringLiteral("/Site.html"))) << attached.toStdString();
    EXPECT_TRUE(readFile(attached).contains("mail me"));

    // The whole message, as a mail reader gets it, beside the page.
    const QByteArray eml = readFile(QFileInfo(attached).absolutePath() + QStringLiteral("/message.eml"));
    EXPECT_TRUE(eml.contains("Subject: Check this site")) << eml.left(600).toStdString();
    EXPECT_TRUE(eml.contains("filename=Site.html")) << eml.left(600).toStdString();
    EXPECT_EQ(readFile(userFile), "the user's own file");
    EXPECT_FALSE(Window().findChild<QWidget*>(QStringLiteral("qt_msgbox_label")));
}

TEST_F(Mail, TheAddressGoesWithThePageTitleAndANewMessageOpensEmpty)
{
    OpenWindow(JourneyPages::Url("/mail.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/mail.html"), QStringLiteral("quoted")));

    ChooseMenu({"Tools", "Mail Tools", "Send The Url In Mail"});
    ASSERT_TRUE(WaitFor([&] { return calls().size() == 1; }));
    const QUrlQuery query{QUrl(calls().first())};
    EXPECT_EQ(item(query, "subject"), QStringLiteral("Caf\u00e9 \"quoted\" page"));
    EXPECT_EQ(item(query, "body"), JourneyPages::Url("/mail.html"));

    OpenedMailTo desktop;
    ChooseMenu({"Tools", "Mail Tools", "Create New Mail"});
    ASSERT_TRUE(WaitFor([&] { return !desktop.opened.isEmpty(); }));
    EXPECT_EQ(desktop.opened.first().toString(QUrl::FullyEncoded), "mailto:?subject=&body=");
}

TEST_F(Mail, WithoutAMailProgramTheUserIsToldWhereTheMessageIs)
{
    qunsetenv("MAILER");
    OpenWindow(JourneyPages::Url("/mail.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/mail.html"), QStringLiteral("quoted")));
    const SeenDialog told = AnswerDialog(
        "No",
        [&] {
            ChooseMenu({"Tools", "Mail Tools", "Send The Url In Mail"});
        },
        60000);
    ASSERT_TRUE(told.Shown);
    EXPECT_TRUE(told.Text.contains(QStringLiteral("No mail program could take the message.")))
        << told.Text.toStdString();
    EXPECT_TRUE(told.Text.contains(OutboxFolder())) << told.Text.toStdString();
    EXPECT_EQ(told.Buttons, QStringList({"Yes", "No"}));
}

TEST_F(Mail, ClosingTheWindowWhileTheMailProgramStartsIsNoTrouble)
{
    mailer(QStringLiteral("sleep 2"));
    OpenWindow(JourneyPages::Url("/mail.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/mail.html"), QStringLiteral("quoted")));
    ChooseMenu({"Tools", "Mail Tools", "Send The Page In Mail"});
    CloseWindow();
    // The mail program still gets the message, and nothing is left to go
    // wrong once it has.
    ASSERT_TRUE(WaitFor([&] { return calls().size() == 1; }));
    WaitFor([] { return false; }, 500);
    EXPECT_TRUE(QUrlQuery(QUrl(calls().first())).hasQueryItem(QStringLiteral("attach")));
}

} // namespace

#include "mail_journey.moc"
