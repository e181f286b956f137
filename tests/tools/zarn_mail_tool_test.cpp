// zarn-mail: the message file it writes, the hand-over without -o, and its
// exit statuses.
#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

class ZarnMail : public ::testing::Test {
protected:
    ZarnMail()
    {
        home.set("MAILER", home.path(QStringLiteral("mailer.sh")));
        home.set("BROWSER", QStringLiteral("false"));
        home.set("XDG_DATA_DIRS", home.path(QStringLiteral("none")));
        home.set("XDG_CURRENT_DESKTOP", QString());
        write(QStringLiteral("mailer.sh"),
            QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n")
                .arg(home.path(QStringLiteral("calls")))
                .toUtf8());
        QFile::setPermissions(home.path(QStringLiteral("mailer.sh")), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    void write(const QString& name, const QByteArray& data)
    {
        QFile file(home.path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    ToolRun run(const QStringList& arguments)
    {
        QProcess tool;
        tool.setWorkingDirectory(home.path());
        tool.start(ZARN_MAIL_EXE, arguments);
        EXPECT_TRUE(tool.waitForFinished(60000));
        return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
            QString::fromUtf8(tool.readAllStandardError())};
    }
    TempHome home;
};

TEST_F(ZarnMail, WritesTheMessageWithOutput)
{
    write(QStringLiteral("body.txt"), "from a file \xc3\xa9\n");
    write(QStringLiteral("a=b.txt"), "equals");
    write(QStringLiteral("data.bin"), "data");
    const ToolRun done = run({"--to", "t@example.org", "--cc", "c@example.org", "--bcc", "b@example.org", "--subject",
        "Gr\u00fc\u00dfe", "--body-file", "body.txt", "--attach", "a=b.txt", "--attach", "data.bin=shown.bin", "--from",
        "me@example.org", "--receipt", "-o", "out.eml"});
    ASSERT_EQ(done.ExitCode, 0) << done.Err.toStdString();
    const QString eml = QString::fromUtf8(read(home.path(QStringLiteral("out.eml"))));
    for (const char* expected : {"From: me@example.org", "To: t@example.org", "Cc: c@example.org", "Bcc: b@example.org",
             "Subject: =?UTF-8?", "Disposition-Notification-To: me@example.org", "filename=\"a=b.txt\"",
             "filename=shown.bin", "from a file =C3=A9"})
        EXPECT_TRUE(eml.contains(QString::fromUtf8(expected))) << expected << "\n" << eml.toStdString();
    EXPECT_TRUE(QFile::exists(home.path(QStringLiteral("a=b.txt"))));
    EXPECT_FALSE(QFile::exists(home.path(QStringLiteral("calls")))) << "-o hands nothing over";
}

TEST_F(ZarnMail, HandsOverWithoutOutputAndPrintsTheMessageFile)
{
    const ToolRun done = run({"--subject", "s", "--body", "b"});
    ASSERT_EQ(done.ExitCode, 0) << done.Err.toStdString();
    const QString eml = done.Out.trimmed();
    EXPECT_TRUE(eml.startsWith(home.path(QStringLiteral("profile/Outbox/")))) << eml.toStdString();
    EXPECT_TRUE(QFile::exists(eml));
    EXPECT_EQ(QString::fromUtf8(read(home.path(QStringLiteral("calls")))), "mailto:?subject=s&body=b\n");
}

TEST_F(ZarnMail, ExitStatuses)
{
    const struct {
        QStringList arguments;
        int exitCode;
        const char* error;
    } cases[] = {
        {{"--attach", "missing.txt", "-o", "x.eml"}, 1, "zarn-mail: Attachment not found"},
        {{"--body-file", "missing.txt", "-o", "x.eml"}, 1, "zarn-mail: missing.txt"},
        {{"--body", "a", "--body-file", "b"}, 2, "give one --body or --body-file"},
        {{"--subject"}, 2, "--subject needs a value"},
        {{"extra"}, 2, "unknown argument: extra"},
    };
    for (const auto& c : cases) {
        const ToolRun done = run(c.arguments);
        EXPECT_EQ(done.ExitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(done.Err.contains(QString::fromUtf8(c.error))) << done.Err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(home.path(QStringLiteral("x.eml"))));
    EXPECT_EQ(run({"--help"}).ExitCode, 0);
}

} // namespace
