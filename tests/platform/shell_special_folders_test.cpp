// Where the shell's special folders lie and what they are called.
#include "platform/shell/SpecialFolders.h"

#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

void writeUserDirs(const TempHome& home, const QByteArray& text)
{
    QFile file(home.path(".config/user-dirs.dirs"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST(SpecialFolders, MapToUserFoldersBaseFoldersAndTheProfile)
{
    TempHome home;
    writeUserDirs(home,
        "# written by xdg-user-dirs-update\n"
        "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n"
        "XDG_TEMPLATES_DIR=\""
            + home.path("tpl").toUtf8()
            + "\"\n"
              "XDG_MUSIC_DIR=\"relative/ignored\"\n");
    const struct {
        int csidl;
        QString path; // under the temporary home; "" for none
        QString displayName;
    } cases[] = {
        {CSIDL_DESKTOP, "Desktop", "Desktop"},
        {CSIDL_DESKTOPDIRECTORY, "Desktop", "Desktop"},
        {CSIDL_PERSONAL, "Papers", "My Documents"},
        {CSIDL_TEMPLATES, "tpl", "Templates"},
        {CSIDL_MYMUSIC, "Music", "My Music"},
        {CSIDL_FAVORITES, "profile/Favorites", "Favorites"},
        {CSIDL_COOKIES, "profile/Cookies", "Cookies"},
        {CSIDL_HISTORY, "profile/History", "History"},
        {CSIDL_INTERNET_CACHE, "profile/Cache", "Temporary Internet Files"},
        {CSIDL_BITBUCKET, ".local/share/Trash/files", "Recycle Bin"},
        {CSIDL_APPDATA, ".config", "Application Data"},
        {CSIDL_STARTUP, ".config/autostart", "Startup"},
        {CSIDL_PROGRAMS, ".local/share/applications", "Programs"},
        {CSIDL_PROFILE, "", "Home"},
        {CSIDL_INTERNET, "", "The Internet"},
        {CSIDL_CONTROLS, "", "Control Panel"},
        {CSIDL_SENDTO, "", "SendTo"},
        {3000, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.csidl);
        const bool inHome = !c.path.isEmpty() || c.csidl == CSIDL_PROFILE;
        EXPECT_EQ(SpecialFolderPath(c.csidl), inHome ? QDir::cleanPath(home.path(c.path)) : QString());
        EXPECT_EQ(SpecialFolderDisplayName(c.csidl), c.displayName);
    }
    EXPECT_EQ(SpecialFolderPath(CSIDL_DRIVES), "/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_COMMON_PROGRAMS), "/usr/share/applications");
}

TEST(SpecialFolders, FavoritesAreCreatedWithTheirLinksFolder)
{
    TempHome home;
    EXPECT_EQ(SpecialFolderOfPath(home.path("profile/Favorites")), CSIDL_FAVORITES);
    EXPECT_FALSE(QDir(home.path("profile/Favorites")).exists()) << "naming the path creates nothing";
    EXPECT_TRUE(SpecialFolderExists(CSIDL_FAVORITES));
    EXPECT_TRUE(QDir(home.path("profile/Favorites/Links")).exists());
}

TEST(SpecialFolders, ExistWhenVirtualOrPresentOnDisk)
{
    TempHome home;
    QDir().mkpath(home.path("Desktop"));
    const struct {
        int csidl;
        bool exists;
    } cases[] = {
        {CSIDL_DESKTOP, true},
        {CSIDL_INTERNET, true},
        {CSIDL_PRINTERS, true},
        {CSIDL_DRIVES, true},
        {CSIDL_PROFILE, true},
        {CSIDL_PERSONAL, false}, // not made yet
        {CSIDL_SENDTO, false},
        {CSIDL_NETHOOD, false},
        {-1, false},
        {3000, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpecialFolderExists(c.csidl), c.exists) << c.csidl;
}

TEST(SpecialFolders, FoundByTheirPath)
{
    TempHome home;
    const struct {
        QString path;
        int csidl;
    } cases[] = {
        {home.path("Desktop"), CSIDL_DESKTOP}, // the lower of two numbers sharing it
        {home.path("Desktop/"), CSIDL_DESKTOP},
        {home.path("profile/./Cookies"), CSIDL_COOKIES},
        {home.path(), CSIDL_PROFILE},
        {"/", CSIDL_DRIVES},
        {home.path("Desktop/sub"), -1},
        {"", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpecialFolderOfPath(c.path), c.csidl) << c.path.toStdString();
}

} // namespace
