// The mail component and its thread: recipients and attachment names as the
// message gets them, the error texts, the default profile, and sends through
// the real xdg-email with a recording mail program: the caller's files stay,
// failures are shown, a component freed during its send is no trouble.
#include "ScriptedDialogs.h"
#include "TempHome.h"
#include "platform/registry/Registry.h"
#include "tools/SendMail.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using K = TMailRecipientKind;

TEST(MailMessageFor, RecipientPrefixes)
{
    const struct {
        const char* line;
        K kind;
        const char* address; // null: no recipient
    } cases[] = {
        {"to@example.org", K::To, "to@example.org"},
        {"CC:c@example.org", K::Cc, "c@example.org"},
        {"cc:lower@example.org", K::Cc, "lower@example.org"},
        {"Cc: spaced@example.org", K::Cc, "spaced@example.org"},
        {"BCC:b@example.org", K::Bcc, "b@example.org"},
        {"bCc:mixed@example.org", K::Bcc, "mixed@example.org"},
        // The two letters without the colon are part of a main address.
        {"cchris@example.org", K::To, "cchris@example.org"},
        {"BCCfoo@example.org", K::To, "BCCfoo@example.org"},
        {"", K::To, nullptr},
        {"CC:", K::To, nullptr},
    };
    for (const auto& c : cases) {
        for (const bool resolve : {false, true}) {
            const TMailMessage message
                = MailMessageFor({}, {}, {}, {}, {QString::fromUtf8(c.line)}, {}, {}, resolve, false);
            if (!c.address) {
                EXPECT_TRUE(message.recipients.empty()) << c.line;
                continue;
            }
            ASSERT_EQ(message.recipients.size(), 1u) << c.line;
            EXPECT_EQ(message.recipients[0].kind, c.kind) << c.line;
            EXPECT_EQ(message.recipients[0].address, QString::fromUtf8(c.address)) << c.line;
            EXPECT_EQ(message.recipients[0].name, QString::fromUtf8(c.address)) << c.line;
        }
    }
}

TEST(MailMessageFor, AttachmentNamesByPositionAndTheOriginator)
{
    const TMailMessage message = MailMessageFor(QStringLiteral("Name"), {}, {}, {}, {},
        {QStringLiteral("/a/one.txt"), QStringLiteral("/b/two.txt"), QStringLiteral("/c/three.txt")},
        {QStringLiteral("Shown"), QString()}, false, true);
    ASSERT_EQ(message.attachments.size(), 3u);
    EXPECT_EQ(message.attachments[0].name, "Shown");
    EXPECT_EQ(message.attachments[1].name, "two.txt");
    EXPECT_EQ(message.attachments[2].name, "three.txt");
    EXPECT_EQ(message.attachments[2].path, "/c/three.txt");
    // A name without an address makes no originator.
    EXPECT_TRUE(message.senderAddress.isEmpty());
    EXPECT_TRUE(message.senderName.isEmpty());

    const TMailMessage withAddress
        = MailMessageFor({}, QStringLiteral("me@example.org"), {}, {}, {}, {}, {}, false, false);
    EXPECT_EQ(withAddress.senderName, "me@example.org");
    EXPECT_EQ(withAddress.senderAddress, "me@example.org");
}

TEST(MapiErrorText, Table)
{
    const std::pair<int, const char*> cases[] = {{1, "User cancelled request"}, {2, "General MAPI failure"},
        {3, "Logon failure"}, {7, "Unknown Error Code: 7"}, {11, "Attachment not found"},
        {12, "Failed to open attachment"}, {18, "Text too large."}, {26, "Not supported"},
        {27, "Unknown Error Code: 27"}, {0, "Unknown Error Code: 0"}, {-5, "Unknown Error Code: -5"}};
    for (const auto& [code, text] : cases)
        EXPECT_EQ(MapiErrorText(code).toStdString(), text);
}

TEST(GetDefaultProfile, ReadsEitherKey)
{
    TempHome home;
    QString profile = QStringLiteral("untouched");
    EXPECT_FALSE(GetDefaultProfile(profile));
    EXPECT_EQ(profile, "untouched");

    TRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.OpenKey(
        QStringLiteral("\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles"),
        true));
    registry.WriteString(QStringLiteral("DefaultProfile"), QStringLiteral("NT profile"));
    EXPECT_TRUE(GetDefaultProfile(profile));
    EXPECT_EQ(profile, "NT profile");

    ASSERT_TRUE(registry.OpenKey(QStringLiteral("\\Software\\Microsoft\\Windows Messaging Subsystem\\Profiles"), true));
    registry.WriteString(QStringLiteral("DefaultProfile"), QStringLiteral("Outlook"));
    EXPECT_TRUE(GetDefaultProfile(profile));
    EXPECT_EQ(profile, "Outlook");
}

class MailSend : public ::testing::Test {
protected:
    MailSend()
    {
        home.set("MAILER", home.path(QStringLiteral("mailer.sh")));
        home.set("BROWSER", QStringLiteral("false"));
        home.set("XDG_DATA_DIRS", home.path(QStringLiteral("none")));
        home.set("XDG_CURRENT_DESKTOP", QString());
        mailer(0);
    }
    void mailer(int exitStatus)
    {
        QFile script(home.path(QStringLiteral("mailer.sh")));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\nexit %2\n")
                         .arg(home.path(QStringLiteral("calls")))
                         .arg(exitStatus)
                         .toUtf8());
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    QStringList calls() const
    {
        QFile file(home.path(QStringLiteral("calls")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                              : QStringList();
    }
    // Sends and waits for the result on this (the user-interface) thread.
    int send(TSxtMapiMail& mail)
    {
        int result = -1;
        mail.OnSent = [&](TSxtMapiMail*, int code, const TMailSendReport& sent) {
            result = code;
            report = sent;
        };
        EXPECT_TRUE(mail.Send());
        EXPECT_FALSE(mail.Send()) << "a second send while the first runs";
        EXPECT_TRUE(QTest::qWaitFor([&] { return result != -1; }, 30000));
        return result;
    }
    TempHome home;
    ScriptedDialogs dialogs;
    TMailSendReport report;
};

TEST_F(MailSend, TheMailProgramGetsItAndTheCallersFileStays)
{
    QFile mine(home.path(QStringLiteral("mine.txt")));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("keep me");
    mine.close();
    TSxtMapiMail mail;
    mail.Subject = QStringLiteral("\u00c9t\u00e9");
    mail.Body = QStringLiteral("body");
    mail.Recipients = {QStringLiteral("to@example.org"), QStringLiteral("cc:c@example.org")};
    mail.Attachments = {mine.fileName()};
    mail.AttachmentNames = {QStringLiteral("say \"hi\".txt")};
    EXPECT_EQ(send(mail), SUCCESS_SUCCESS);
    EXPECT_EQ(mail.LastResult(), SUCCESS_SUCCESS);
    EXPECT_TRUE(dialogs.Calls().empty());
    ASSERT_EQ(calls().size(), 1);
    EXPECT_TRUE(calls()[0].contains(QStringLiteral("subject=%C3%89t%C3%A9"))) << calls()[0].toStdString();
    EXPECT_TRUE(calls()[0].contains(QStringLiteral("cc=c@example.org"))) << calls()[0].toStdString();
    EXPECT_TRUE(QFile::exists(mine.fileName()));
    EXPECT_TRUE(report.folder.startsWith(OutboxFolder()));
    EXPECT_TRUE(QFile::exists(report.messageFile));
    EXPECT_TRUE(QFile::exists(report.folder + QStringLiteral("/1/say \"hi\".txt")));
}

TEST_F(MailSend, FailuresAreShown)
{
    TSxtMapiMail mail;
    mail.Attachments = {home.path(QStringLiteral("gone.txt"))};
    EXPECT_EQ(send(mail), MAPI_E_ATTACHMENT_NOT_FOUND);
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Last().Text, "MAPI Error 11: Attachment not found");
    EXPECT_TRUE(calls().isEmpty());

    // No mail program: said so, with the Outbox offered.
    mailer(4);
    dialogs.Clear();
    dialogs.Answer(mrNo);
    mail.Attachments.clear();
    EXPECT_EQ(send(mail), MAPI_E_FAILURE);
    EXPECT_TRUE(report.noMailProgram);
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_TRUE(dialogs.Last().Text.startsWith(QStringLiteral("No mail program could take the message.")));
    EXPECT_TRUE(dialogs.Last().Text.contains(report.messageFile));
    EXPECT_EQ(dialogs.Last().Buttons, mbYesNo);
}

TEST_F(MailSend, AComponentFreedDuringItsSendIsNoTrouble)
{
    // The mail program takes its time, as a composer does.
    QFile script(home.path(QStringLiteral("mailer.sh")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nsleep 1\nprintf '%s\\n' \"$1\" >> '%1'\n")
                     .arg(home.path(QStringLiteral("calls")))
                     .toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    auto* owner = new QObject;
    QPointer<TSxtMapiMail> mail = new TSxtMapiMail(owner);
    mail->Subject = QStringLiteral("closing");
    bool sent = false;
    mail->OnSent = [&](TSxtMapiMail*, int, const TMailSendReport&) { sent = true; };
    ASSERT_TRUE(mail->Send());
    delete owner;
    EXPECT_TRUE(mail.isNull());
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls().size() == 1; }, 30000));
    QTest::qWait(200);
    EXPECT_FALSE(sent);
    EXPECT_TRUE(dialogs.Calls().empty());
}

} // namespace
