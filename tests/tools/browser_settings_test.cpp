// Settings in the registry, folder paths, the default browser, starting the
// registered client programs without a shell, and the machine's name and
// address.
#include "browserhost/SystemTools.h"
#include "platform/registry/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/shell/SpecialFolders.h"
#include "tools/BrowserSettings.h"

#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QHostInfo>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

const QString ShellFolders = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");

struct Started {
    QString program;
    QStringList arguments;
};

class RecordingLauncher : public IProgramLauncher {
public:
    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        started.push_back({program, arguments});
        return starts;
    }
    bool openWithDesktop(const QUrl&) override { return false; }

    std::vector<Started> started;
    bool starts = true;
};

void writeFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QString readValue(HKEY root, const QString& key, const QString& name)
{
    TRegistry reg(root);
    if (!reg.OpenKeyReadOnly(key) || !reg.ValueExists(name))
        return QStringLiteral("<missing>");
    return reg.ReadString(name);
}

// Writes a value, or deletes it for nullopt.
void writeValue(HKEY root, const QString& key, const QString& name, const std::optional<QString>& value)
{
    TRegistry reg(root);
    ASSERT_TRUE(reg.OpenKey(key, true));
    if (value)
        reg.WriteString(name, *value);
    else
        reg.DeleteValue(name);
}

class BrowserSettings : public ::testing::Test {
protected:
    void SetUp() override { SetProgramLauncher(&launcher); }
    void TearDown() override { SetProgramLauncher(nullptr); }

    TempHome home;
    RecordingLauncher launcher;
};

TEST(SplitCommandLine, FollowsTheDesktopEntryRulesNeverAShell)
{
    const struct {
        const char* line;
        std::optional<QStringList> expected; // program first
    } cases[] = {
        {"thunderbird -mail", QStringList{"thunderbird", "-mail"}},
        {"/usr/bin/evolution /switch", QStringList{"/usr/bin/evolution", "/switch"}},
        {"\"/opt/My Mail/mail\" --compose", QStringList{"/opt/My Mail/mail", "--compose"}},
        {"gnome-calendar %u", QStringList{"gnome-calendar"}},
        {"prog; rm -rf ~", QStringList{"prog;", "rm", "-rf", "~"}},
        {"prog $(reboot)", QStringList{"prog", "$(reboot)"}},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"\"unclosed", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const auto command = SplitCommandLine(QString::fromUtf8(c.line));
        ASSERT_EQ(command.has_value(), c.expected.has_value());
        if (command) {
            EXPECT_EQ(QStringList{command->program} + command->arguments, *c.expected);
        }
    }
}

TEST_F(BrowserSettings, OpenClientProgramStartsTheRegisteredCommandAndReportsTheStart)
{
    const QString clients = QStringLiteral("Software\\Clients\\News");
    const QString command = clients + QStringLiteral("\\Reader\\shell\\open\\command");
    const struct {
        const char* name;
        std::optional<QString> client;
        std::optional<QString> commandLine;
        bool starts;
        bool expected;
        QStringList started; // program first; empty: nothing started
    } cases[] = {
        {"started", "Reader", "/usr/bin/reader /news", true, true, {"/usr/bin/reader", "/news"}},
        {"start failed", "Reader", "/usr/bin/reader", false, false, {"/usr/bin/reader"}},
        {"no client", std::nullopt, "/usr/bin/reader", true, false, {}},
        {"empty command", "Reader", "", true, false, {}},
        {"no command", "Reader", std::nullopt, true, false, {}},
        {"broken quoting", "Reader", "\"/usr/bin/reader", true, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeValue(HKEY_LOCAL_MACHINE, clients, QString(), c.client);
        writeValue(HKEY_LOCAL_MACHINE, command, QString(), c.commandLine);
        launcher.started.clear();
        launcher.starts = c.starts;
        EXPECT_EQ(OpenClientProgram(QStringLiteral("News")), c.expected);
        if (c.started.isEmpty()) {
            EXPECT_TRUE(launcher.started.empty());
        } else {
            ASSERT_EQ(launcher.started.size(), 1u);
            EXPECT_EQ(QStringList{launcher.started[0].program} + launcher.started[0].arguments, c.started);
        }
    }
}

TEST_F(BrowserSettings, RunProgramReportsWhetherTheProgramStarted)
{
    EXPECT_TRUE(RunProgram(QStringLiteral("regedit")));
    launcher.starts = false;
    EXPECT_FALSE(RunProgram(QStringLiteral("regedit")));
    EXPECT_FALSE(RunProgram(QStringLiteral(" ")));
    ASSERT_EQ(launcher.started.size(), 2u);
    EXPECT_TRUE(launcher.started[0].arguments.isEmpty());
}

TEST_F(BrowserSettings, ShellFolderPathIsEmptyForAMissingOrBlankValue)
{
    const struct {
        std::optional<QString> value;
        QString expected;
    } cases[] = {
        {QStringLiteral("/home/u/Cookies"), QStringLiteral("/home/u/Cookies")},
        {QStringLiteral(" \t"), QString()},
        {QString(), QString()},
        {std::nullopt, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.value_or(QStringLiteral("<missing>")).toStdString());
        writeValue(HKEY_CURRENT_USER, ShellFolders, QStringLiteral("Cookies"), c.value);
        EXPECT_EQ(GetCookiesPath(), c.expected);
    }
    writeValue(HKEY_CURRENT_USER, ShellFolders, QStringLiteral("History"), QStringLiteral("/h"));
    EXPECT_EQ(GetHistoryPath(), QStringLiteral("/h"));
}

TEST_F(BrowserSettings, SpecialFolderPathCreatesFileSystemFoldersOnly)
{
    const QString history = GetSpecialFolderPath(CSIDL_HISTORY);
    EXPECT_EQ(history, SpecialFolderPath(CSIDL_HISTORY));
    EXPECT_TRUE(QFileInfo(history).isDir());
    EXPECT_TRUE(GetSpecialFolderPath(CSIDL_INTERNET).isEmpty());
    EXPECT_TRUE(GetSpecialFolderPath(12345).isEmpty());
}

TEST_F(BrowserSettings, DefaultBrowserIsTheHtmlFileCommand)
{
    const QString key = QStringLiteral("htmlfile\\shell\\open\\command");
    writeValue(HKEY_CLASSES_ROOT, key, QString(), QStringLiteral("zarnweb %u"));
    EXPECT_EQ(GetDefaultBrowserFromRegistry(), QStringLiteral("zarnweb %u"));
    TRegistry(HKEY_CLASSES_ROOT).DeleteKey(QStringLiteral("htmlfile"));
    EXPECT_EQ(GetDefaultBrowserFromRegistry(), QStringLiteral("No default browser found."));
}

TEST_F(BrowserSettings, HomePageAndTypedAddressesChangeInTheRegistry)
{
    SetNewHomePage(QStringLiteral("http://home.example/"));
    TRegistry reg(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main")));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Start Page")), QStringLiteral("http://home.example/"));

    const QString typed = QStringLiteral("Software\\Microsoft\\Internet Explorer\\TypedURLs");
    writeValue(HKEY_CURRENT_USER, typed, QStringLiteral("url1"), QStringLiteral("http://a.example/"));
    ClearTypedUrls();
    EXPECT_FALSE(TRegistry(HKEY_CURRENT_USER).KeyExists(typed));
    ClearTypedUrls();
}

TEST_F(BrowserSettings, FreshRegistryTakesTheEngineVersionAndTheDesktopsPrograms)
{
    home.set("XDG_DATA_DIRS", home.path("system") + QStringLiteral(":/usr/share"));
    home.set("XDG_CONFIG_DIRS", home.path("etc"));
    writeFile(home.path(".local/share/applications/post.desktop"),
        "[Desktop Entry]\nType=Application\nName=Post\\Office\nExec=\"/opt/post office/post\" --compose %u\n"
        "MimeType=x-scheme-handler/mailto;\n");
    writeFile(home.path(".local/share/applications/view.desktop"),
        "[Desktop Entry]\nType=Application\nName=View\nExec=view %U\nMimeType=text/html;\n");
    writeFile(home.path(".config/mimeapps.list"),
        "[Default Applications]\nx-scheme-handler/mailto=post.desktop;\ntext/html=view.desktop;\n");

    SetSystemDefaults(DesktopSystemDefaults(QStringLiteral("108.0.5359.220")));
    EnsureProfileDefaults();
    SetSystemDefaults({});

    const QString browser = QStringLiteral("Software\\Microsoft\\Internet Explorer");
    EXPECT_EQ(readValue(HKEY_LOCAL_MACHINE, browser, QStringLiteral("Version")), QStringLiteral("108.0.5359.220"));
    EXPECT_TRUE(IsIE5OrLater());
    EXPECT_EQ(IEMajorVersion(), 108);
    EXPECT_EQ(readValue(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Clients\\Mail"), QString()),
        QStringLiteral("Post Office"));
    EXPECT_EQ(GetDefaultBrowserFromRegistry(), QStringLiteral("view %U"));

    EXPECT_TRUE(OpenClientProgram(QStringLiteral("Mail")));
    EXPECT_TRUE(OpenClientProgram(QStringLiteral("Internet Call"))); // the fixed client: none on the desktop
    ASSERT_EQ(launcher.started.size(), 2u);
    EXPECT_EQ(launcher.started[0].program, QStringLiteral("/opt/post office/post"));
    EXPECT_EQ(launcher.started[0].arguments, QStringList{QStringLiteral("--compose")});
    EXPECT_EQ(launcher.started[1].program, QStringLiteral("linphone"));
}

TEST(HostNameAndAddress, GivesANonLoopbackAddressOrSaysWhy)
{
    QString host, address, error;
    if (GetIPAndHostName(host, address, error)) {
        EXPECT_EQ(host, QHostInfo::localHostName());
        const QHostAddress parsed(address);
        EXPECT_FALSE(parsed.isNull());
        EXPECT_FALSE(parsed.isLoopback());
    } else {
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(address.isEmpty());
    }
}

} // namespace
