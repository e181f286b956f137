// What the shell tells about items of the favorites and the file system:
// names, type names, attributes, icons, tips and shortcut targets.
#include "tools/ShellItems.h"

#include "TempHome.h"
#include "platform/registry/Registry.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/shell/SystemImageList.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

// A favorites folder holding an internet shortcut, a folder with a desktop
// link to a local file, and a plain file.
class FavoritesItems : public ::testing::Test {
protected:
    void SetUp() override
    {
        favorites_ = SpecialFolderPath(CSIDL_FAVORITES);
        writeFile(favorites_ + "/Example.url", "[InternetShortcut]\r\nURL=http://example.com/a?b=1\r\n");
        QDir().mkpath(favorites_ + "/News");
        writeFile(home_.path("target.html"), "<html></html>");
        writeFile(favorites_ + "/News/Local.desktop",
            "[Desktop Entry]\nType=Link\nName=Local\nURL=file://" + home_.path("target.html").toUtf8() + "\n");
        writeFile(favorites_ + "/notes.txt", "plain text\n");
        ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(desktop_)));
        UniquePidl favoritesList;
        ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_FAVORITES, favoritesList)));
        ASSERT_TRUE(SUCCEEDED(desktop_->BindToObject(favoritesList.get(), folder_)));
    }

    // The item of the favorites folder with the display name.
    UniquePidl item(const QString& displayName)
    {
        std::vector<UniquePidl> items;
        EXPECT_TRUE(SUCCEEDED(folder_->EnumObjects(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items)));
        for (UniquePidl& candidate : items)
            if (GetDisplayName(*folder_, candidate.get()) == displayName)
                return std::move(candidate);
        ADD_FAILURE() << "no item " << displayName.toStdString();
        return nullptr;
    }

    TempHome home_;
    QString favorites_;
    std::shared_ptr<IShellFolder> desktop_;
    std::shared_ptr<IShellFolder> folder_;
};

TEST_F(FavoritesItems, AreListedFoldersFirstWithTheirNames)
{
    std::vector<UniquePidl> items;
    ASSERT_TRUE(SUCCEEDED(folder_->EnumObjects(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items)));
    QStringList names, parsing;
    for (const UniquePidl& each : items) {
        names << GetDisplayName(*folder_, each.get());
        parsing << GetParsingName(*folder_, each.get());
    }
    EXPECT_EQ(names, QStringList({"Links", "News", "Example", "notes.txt"}));
    EXPECT_EQ(parsing,
        QStringList(
            {favorites_ + "/Links", favorites_ + "/News", favorites_ + "/Example.url", favorites_ + "/notes.txt"}));
    items.clear();
    ASSERT_TRUE(SUCCEEDED(folder_->EnumObjects(SHCONTF_FOLDERS, items)));
    EXPECT_EQ(items.size(), 2u);
}

TEST_F(FavoritesItems, TellTheirTypesAndAttributes)
{
    const QString internetShortcut = InternetShortcutTypeName();
    EXPECT_EQ(internetShortcut, "Internet Shortcut"); // the registry's name for the type
    const struct {
        QString name;
        bool folder;
        bool internetShortcutType;
        unsigned attributes; // those that must be set
    } cases[] = {
        {"Example", false, true, SFGAO_LINK | SFGAO_FILESYSTEM | SFGAO_CANRENAME},
        {"notes.txt", false, false, SFGAO_FILESYSTEM | SFGAO_STREAM | SFGAO_CANDELETE},
        {"News", true, false, SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_HASPROPSHEET},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const UniquePidl each = item(c.name);
        ASSERT_TRUE(each);
        EXPECT_EQ(IsFolderItem(*folder_, each.get()), c.folder);
        EXPECT_EQ(ItemTypeNameIs(internetShortcut, *folder_, each.get()), c.internetShortcutType);
        EXPECT_EQ(IsFolderNotOfType(ChannelShortcutTypeName(), *folder_, each.get()), c.folder);
        LPCITEMIDLIST one = each.get();
        unsigned attributes = ~0u;
        ASSERT_TRUE(SUCCEEDED(folder_->GetAttributesOf(1, &one, attributes)));
        EXPECT_EQ(attributes & c.attributes, c.attributes);
        EXPECT_EQ(bool(attributes & SFGAO_LINK), c.internetShortcutType);
    }
    const UniquePidl news = item("News");
    SHFILEINFO folderInfo;
    ASSERT_NE(SHGetFileInfo(favorites_ + "/News", 0, folderInfo, SHGFI_TYPENAME), 0u);
    EXPECT_FALSE(IsFolderNotOfType(folderInfo.szTypeName, *folder_, news.get())) << "a folder of the given type";
}

TEST_F(FavoritesItems, ShortcutTypeNameFollowsTheRegistry)
{
    TRegistry classes(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(classes.OpenKey("InternetShortcut", true));
    classes.WriteString("", "Raccourci Internet");
    EXPECT_EQ(InternetShortcutTypeName(), "Raccourci Internet");
    const UniquePidl example = item("Example");
    EXPECT_TRUE(ItemTypeNameIs("Raccourci Internet", *folder_, example.get()));
    EXPECT_FALSE(ItemTypeNameIs("Internet Shortcut", *folder_, example.get()));
}

TEST_F(FavoritesItems, HaveIconsFromTheSharedList)
{
    SystemImageList& icons = SystemImageList::instance();
    UniquePidl favoritesList;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_FAVORITES, favoritesList)));
    const struct {
        QString name; // empty: the favorites folder itself
        int expected;
    } cases[] = {
        {"", icons.indexOfSpecialFolder(CSIDL_FAVORITES)}, {"News", icons.indexOfFolder()},
        {"notes.txt", icons.indexOfFileType("*.txt")},
        {"Example", icons.indexOfFileType("*.htm")}, // a shortcut shows a page
    };
    for (const auto& c : cases) {
        const UniquePidl relative = c.name.isEmpty() ? nullptr : item(c.name);
        const UniquePidl absolute = JoinLists(favoritesList.get(), relative.get());
        const int index = GetSmallIconIndex(absolute.get());
        EXPECT_EQ(index, c.expected) << c.name.toStdString();
        EXPECT_FALSE(icons.icon(index).isNull());
    }
    EXPECT_EQ(GetSmallIconIndex(MakeItem(ITEM_SPECIAL_FOLDER, QByteArray("\x09\x00", 2)).get()), -1) << "SendTo";
}

TEST_F(FavoritesItems, GiveTheirAddressesThroughTipsAndLinks)
{
    const UniquePidl example = item("Example");
    EXPECT_EQ(GetInfoTipUrl(*folder_, example.get()), "http://example.com/a?b=1");
    const UniquePidl notes = item("notes.txt");
    EXPECT_EQ(GetInfoTipUrl(*folder_, notes.get()), favorites_ + "/notes.txt");
    UniquePidl favoritesList;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_FAVORITES, favoritesList)));
    EXPECT_EQ(GetInfoTipUrl(*desktop_, favoritesList.get()), "Favorites") << "a tip of one line";

    QString target;
    EXPECT_EQ(GetLinkTargetDisplayName(*folder_, example.get(), target), 0);
    EXPECT_EQ(target, "http://example.com/a?b=1");
    QString none = "kept";
    EXPECT_EQ(GetLinkTargetDisplayName(*folder_, notes.get(), none), 1);
    EXPECT_EQ(none, "kept");

    std::shared_ptr<IShellFolder> news;
    ASSERT_TRUE(SUCCEEDED(folder_->BindToObject(item("News").get(), news)));
    std::vector<UniquePidl> inNews;
    ASSERT_TRUE(SUCCEEDED(news->EnumObjects(SHCONTF_NONFOLDERS, inNews)));
    ASSERT_EQ(inNews.size(), 1u);
    EXPECT_EQ(GetDisplayName(*news, inNews.front().get()), "Local");
    EXPECT_EQ(GetLinkTargetDisplayName(*news, inNews.front().get(), target), 0);
    EXPECT_EQ(target, "target.html");
}

TEST_F(FavoritesItems, ShortcutFilesResolveToTheirTargets)
{
    const struct {
        QString file;
        QString readUrl, resolvedUrl, linkPath;
    } cases[] = {
        {favorites_ + "/Example.url", "http://example.com/a?b=1", "http://example.com/a?b=1",
            "http://example.com/a?b=1"},
        {favorites_ + "/News/Local.desktop", "", "", home_.path("target.html")},
        {favorites_ + "/notes.txt", "", "", ""},
        {favorites_ + "/missing.url", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        EXPECT_EQ(ReadUrlFromShortcut(c.file), c.readUrl);
        EXPECT_EQ(ResolveUrlShortcut(c.file), c.resolvedUrl);
        EXPECT_EQ(ResolveShellLink(c.file), c.linkPath);
    }
}

TEST_F(FavoritesItems, ForeignListsCannotLeaveTheirFolder)
{
    for (const QByteArray& name : {QByteArray(".."), QByteArray("../profile"), QByteArray(""), QByteArray("a\0b", 3)}) {
        const UniquePidl hostile = MakeItem(ITEM_FS_FOLDER, name);
        std::shared_ptr<IShellFolder> bound;
        EXPECT_EQ(folder_->BindToObject(hostile.get(), bound), E_INVALIDARG) << name.toStdString();
        EXPECT_EQ(GetDisplayName(*folder_, hostile.get()), "");
        EXPECT_FALSE(IsFolderItem(*folder_, hostile.get()));
    }
    const std::vector<std::uint8_t> truncated = {1, 0, 0, 0}; // a count below the item's own header
    EXPECT_EQ(GetDisplayName(*folder_, reinterpret_cast<LPCITEMIDLIST>(truncated.data())), "");
}

TEST(SpecialFolderItems, AreNamedTypedAndShownFromTheDesktop)
{
    TempHome home;
    std::shared_ptr<IShellFolder> desktop;
    ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(desktop)));
    std::vector<UniquePidl> items;
    ASSERT_TRUE(SUCCEEDED(desktop->EnumObjects(SHCONTF_FOLDERS, items)));
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(GetDisplayName(*desktop, items.front().get()), "Favorites") << "the favorites come first";
    EXPECT_EQ(GetParsingName(*desktop, items.front().get()), home.path("profile/Favorites"));
    const struct {
        int csidl;
        QString name;
        bool fileSystem;
    } cases[] = {
        {CSIDL_FAVORITES, "Favorites", true},
        {CSIDL_DRIVES, "My Computer", true},
        {CSIDL_INTERNET, "The Internet", false},
    };
    for (const auto& c : cases) {
        UniquePidl list;
        ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, c.csidl, list)));
        SHFILEINFO info;
        ASSERT_NE(SHGetFileInfo(list.get(), 0, info,
                      SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ATTRIBUTES | SHGFI_SYSICONINDEX),
            0u);
        EXPECT_EQ(info.szDisplayName, c.name);
        EXPECT_FALSE(info.szTypeName.isEmpty());
        EXPECT_TRUE(info.dwAttributes & SFGAO_FOLDER);
        EXPECT_EQ(bool(info.dwAttributes & SFGAO_FILESYSTEM), c.fileSystem);
        EXPECT_EQ(info.iIcon, SystemImageList::instance().indexOfSpecialFolder(c.csidl));
        EXPECT_TRUE(IsFolderItem(*desktop, list.get()));
    }
    UniquePidl sendTo;
    EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_SENDTO, sendTo), E_INVALIDARG);
}

TEST(PathItems, ParseIntoListsBelowTheFavoritesOrMyComputer)
{
    TempHome home;
    QDir().mkpath(home.path("a/a"));
    writeFile(home.path("a/a/file.txt"), "x");
    const QString favorites = SpecialFolderPath(CSIDL_FAVORITES);
    writeFile(favorites + "/Site.url", "[InternetShortcut]\nURL=http://site/\n");
    const struct {
        QString name;
        int firstCsidl; // of the list's first item; -1: refused
        int items;
        QString path; // back from the list
    } cases[] = {
        {home.path("a/a/file.txt"), CSIDL_DRIVES, 1 + int(home.path("a/a/file.txt").count('/')),
            home.path("a/a/file.txt")},
        {"file://" + home.path("a/a"), CSIDL_DRIVES, 1 + int(home.path("a/a").count('/')), home.path("a/a")},
        {favorites + "/Site.url", CSIDL_FAVORITES, 2, favorites + "/Site.url"},
        {"http://example.com/", CSIDL_INTERNET, 2, ""},
        {"relative/path", -1, 0, ""},
        {home.path("missing"), -1, 0, ""},
        {"", -1, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        UniquePidl list;
        const HRESULT parsed = SHParseDisplayName(c.name, list);
        if (c.firstCsidl < 0) {
            EXPECT_EQ(parsed, E_INVALIDARG);
            continue;
        }
        ASSERT_EQ(parsed, S_OK);
        EXPECT_EQ(ItemPayload(list.get()), QByteArray(1, char(c.firstCsidl)) + QByteArray(1, 0));
        int count = 0;
        for (LPCITEMIDLIST each = list.get(); ItemByteCount(each); each = NextItem(each))
            ++count;
        EXPECT_EQ(count, c.items);
        EXPECT_EQ(SHGetPathFromIDList(list.get()), c.path);
    }
}

} // namespace
