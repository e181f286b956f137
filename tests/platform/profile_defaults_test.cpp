// The profile folder and the defaults a first run seeds into it.
#include "platform/registry/Profile.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

namespace {

// Sets or unsets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

TEST(ProfileFolder, ChosenFromZarnHomeThenXdgDataHomeThenHome)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray base = dir.path().toUtf8();
    const struct {
        QByteArray zarnHome, xdgDataHome, home;
        QString expected;
    } cases[] = {
        {base + "/z/../zarn", base + "/xdg", base, dir.path() + "/zarn"},
        {QByteArray(), base + "/xdg", base, dir.path() + "/xdg/ZarnWeb"},
        {"", "", base + "/home", dir.path() + "/home/.local/share/ZarnWeb"},
    };
    for (const auto& c : cases) {
        ScopedEnv zarn("ZARNWEB_HOME", c.zarnHome), xdg("XDG_DATA_HOME", c.xdgDataHome), home("HOME", c.home);
        EXPECT_EQ(ProfileFolder(), c.expected);
        EXPECT_TRUE(QDir(c.expected).exists()) << "created when missing";
    }
}

class ProfileDefaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        qputenv("ZARNWEB_HOME", home.path().toUtf8());
    }
    void TearDown() override { ::chmod(QFile::encodeName(HiveFilePath(HKEY_LOCAL_MACHINE)).constData(), 0600); }
    static QString read(HKEY root, const QString& key, const QString& name)
    {
        TRegistry reg(root);
        if (!reg.OpenKeyReadOnly(key) || !reg.ValueExists(name))
            return "<missing>";
        return reg.ReadString(name);
    }
    QTemporaryDir home;
};

TEST_F(ProfileDefaults, FreshProfileStartsOnTheShippedStartPageAndPointsIntoTheProfile)
{
    EnsureProfileDefaults();
    const QString startPage = read(HKEY_CURRENT_USER, "\\Software\\Microsoft\\Internet Explorer\\Main", "Start Page");
    EXPECT_EQ(startPage, StartPageUrl());
    const QUrl url(startPage);
    ASSERT_TRUE(url.isLocalFile());
    EXPECT_EQ(url.toLocalFile(), home.path() + "/start.html");
    QFile page(url.toLocalFile());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_TRUE(page.readAll().contains("<title>ZarnWeb"));

    const QString shellFolders = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    for (const char* folder : {"Favorites", "Cookies", "History", "Cache"}) {
        const QString path = read(HKEY_CURRENT_USER, shellFolders, folder);
        EXPECT_EQ(path, home.path() + "/" + folder);
        EXPECT_TRUE(QDir(path).exists()) << folder;
    }
    EXPECT_TRUE(QDir(home.path() + "/Favorites/Links").exists());
    EXPECT_TRUE(QDir(home.path() + "/Outbox").exists());

    // What the tools read from the other hives.
    EXPECT_EQ(
        read(HKEY_LOCAL_MACHINE, "\\Software\\Microsoft\\Internet Explorer", "Version").section(QLatin1Char('.'), 0, 0),
        "11");
    const QString mail = read(HKEY_LOCAL_MACHINE, "\\Software\\Clients\\Mail", "");
    EXPECT_NE(
        read(HKEY_LOCAL_MACHINE, "\\Software\\Clients\\Mail\\" + mail + "\\shell\\open\\command", ""), "<missing>");
    EXPECT_NE(read(HKEY_CLASSES_ROOT, "\\htmlfile\\shell\\open\\command", ""), "<missing>");
    EXPECT_EQ(read(HKEY_CLASSES_ROOT, "\\InternetShortcut", ""), "Internet Shortcut");
    EXPECT_EQ(read(HKEY_CLASSES_ROOT, "\\CLSID\\{FF393560-C2A7-11CF-BFF4-444553540000}", ""), "History");
    EXPECT_EQ(
        read(HKEY_CURRENT_USER, "\\Software\\Microsoft\\Internet Explorer\\PageSetup", "margin_left"), "0.750000");
}

// A copied profile points into the copy: what lies inside the profile is
// stored relative to it.
TEST_F(ProfileDefaults, ACopiedProfilePointsIntoItself)
{
    EnsureProfileDefaults();
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\Software\\ZarnTest", true));
        reg.WriteString("inside", home.path() + "/Favorites/Links");
        reg.WriteString("folder", home.path());
        reg.WriteString("outside", home.path() + "-other/x");
        reg.WriteString("address", "http://example.test" + home.path());
    }
    QTemporaryDir copy;
    ASSERT_TRUE(copy.isValid());
    for (const QString& name : QDir(home.path()).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(home.path() + "/" + name, copy.path() + "/" + name)) << name.toStdString();
    qputenv("ZARNWEB_HOME", copy.path().toUtf8());

    const QString shellFolders = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    for (const char* folder : {"Favorites", "Cookies", "History", "Cache"})
        EXPECT_EQ(read(HKEY_CURRENT_USER, shellFolders, folder), copy.path() + "/" + folder);
    EXPECT_EQ(read(HKEY_CURRENT_USER, "\\Software\\Microsoft\\Internet Explorer\\Main", "Start Page"),
        QUrl::fromLocalFile(copy.path() + "/start.html").toString());
    EXPECT_EQ(read(HKEY_CURRENT_USER, "\\Software\\ZarnTest", "inside"), copy.path() + "/Favorites/Links");
    EXPECT_EQ(read(HKEY_CURRENT_USER, "\\Software\\ZarnTest", "folder"), copy.path());
    EXPECT_EQ(read(HKEY_CURRENT_USER, "\\Software\\ZarnTest", "outside"), home.path() + "-other/x");
    EXPECT_EQ(read(HKEY_CURRENT_USER, "\\Software\\ZarnTest", "address"), "http://example.test" + home.path());
}

TEST_F(ProfileDefaults, LaterRunsKeepWhatTheUserChanged)
{
    EnsureProfileDefaults();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Internet Explorer\\Main", false));
    reg.WriteString("Start Page", "http://home.example/");
    // Sounds switched off: the seeded key moved away must not come back.
    ASSERT_TRUE(reg.OpenKey("\\AppEvents\\Schemes\\Apps\\Explorer\\Navigating", false));
    reg.MoveKey(".Current", "Old_Current", true);
    QFile::remove(home.path() + "/start.html");

    EnsureProfileDefaults();
    EXPECT_EQ(read(HKEY_CURRENT_USER, "\\Software\\Microsoft\\Internet Explorer\\Main", "Start Page"),
        "http://home.example/");
    EXPECT_FALSE(reg.KeyExists("\\AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\.Current"));
    EXPECT_TRUE(QFile::exists(home.path() + "/start.html")) << "the shipped page is written again";
}

TEST_F(ProfileDefaults, ReadOnlyHiveIsSkippedQuietlyAndSeededOnceWritable)
{
    { // an existing, empty local-machine hive that may not be written
        TRegistry reg(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey("\\Other", true));
    }
    ASSERT_EQ(::chmod(QFile::encodeName(HiveFilePath(HKEY_LOCAL_MACHINE)).constData(), 0444), 0);
    EXPECT_NO_THROW(EnsureProfileDefaults());
    EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "\\Software\\Microsoft\\Internet Explorer", "Version"), "<missing>");
    EXPECT_NE(read(HKEY_CLASSES_ROOT, "\\InternetShortcut", ""), "<missing>");

    ASSERT_EQ(::chmod(QFile::encodeName(HiveFilePath(HKEY_LOCAL_MACHINE)).constData(), 0644), 0);
    EnsureProfileDefaults();
    EXPECT_NE(read(HKEY_LOCAL_MACHINE, "\\Software\\Microsoft\\Internet Explorer", "Version"), "<missing>");
}

TEST_F(ProfileDefaults, EachHiveIsSeededOnItsOwn)
{
    // One value each hive is seeded with.
    const struct {
        HKEY root;
        const char* key;
        const char* name;
    } seeded[] = {
        {HKEY_CURRENT_USER, "\\Software\\Microsoft\\Internet Explorer\\Main", "Start Page"},
        {HKEY_LOCAL_MACHINE, "\\Software\\Microsoft\\Internet Explorer", "Version"},
        {HKEY_CLASSES_ROOT, "\\InternetShortcut", ""},
    };
    const struct {
        const char* name;
        HKEY broken;
        bool notADatabase; // otherwise a hive of ours whose writes fail
    } cases[] = {
        {"current user not a database", HKEY_CURRENT_USER, true},
        {"current user failing", HKEY_CURRENT_USER, false},
        {"local machine failing", HKEY_LOCAL_MACHINE, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir profile;
        qputenv("ZARNWEB_HOME", profile.path().toUtf8());
        if (c.notADatabase) {
            QFile file(HiveFilePath(c.broken));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(4096, 'x'));
        } else {
            TRegistry reg(c.broken);
            ASSERT_TRUE(reg.OpenKey("\\Other", true));
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(QFile::encodeName(HiveFilePath(c.broken)).constData(), &db), SQLITE_OK);
            EXPECT_EQ(sqlite3_exec(db,
                          "CREATE TRIGGER refuse BEFORE INSERT ON keys"
                          " BEGIN SELECT RAISE(ABORT, 'disk full'); END",
                          nullptr, nullptr, nullptr),
                SQLITE_OK);
            sqlite3_close(db);
        }
        EXPECT_NO_THROW(EnsureProfileDefaults());
        for (const auto& value : seeded) {
            const QString stored = read(value.root, value.key, value.name);
            if (value.root != c.broken)
                EXPECT_NE(stored, "<missing>") << value.key;
            else if (c.notADatabase) // reads as the defaults, from memory
                EXPECT_EQ(stored, StartPageUrl());
            else
                EXPECT_EQ(stored, "<missing>");
        }
    }
}

} // namespace
