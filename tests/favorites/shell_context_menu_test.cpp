// The context menu of shell items: what it offers and what each command
// does to files in a temporary folder.
#include "favorites/ShellContextMenu.h"

#include "ScriptedDialogs.h"
#include "TempHome.h"
#include "platform/shell/ContextMenu.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/shell/SpecialFolders.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

// Records what would start, and the cursor at that moment.
class RecordingLauncher final : public IProgramLauncher {
public:
    RecordingLauncher() { SetProgramLauncher(this); }
    ~RecordingLauncher() override { SetProgramLauncher(nullptr); }
    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        starts.push_back(QStringList{program} + arguments);
        noteCursor();
        return true;
    }
    bool openWithDesktop(const QUrl& url) override
    {
        opened << url.toString();
        noteCursor();
        return true;
    }
    std::vector<QStringList> starts;
    QStringList opened;
    bool waitCursorSeen = false;

private:
    void noteCursor()
    {
        waitCursorSeen = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    }
};

QString plain(QString caption) { return caption.remove(QLatin1Char('&')); }

// A folder with a text file, an internet shortcut and a sub-folder; a
// program registered for text; the menu picked from by caption.
class ContextMenuCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        home_.set("XDG_CONFIG_DIRS", home_.path("etc"));
        folderPath_ = home_.path("work");
        writeFile(folderPath_ + "/doc.txt", "text\n");
        writeFile(folderPath_ + "/Site.url", "[InternetShortcut]\r\nURL=http://site.example/\r\n");
        QDir().mkpath(folderPath_ + "/sub");
        writeFile(home_.path(".local/share/applications/editor.desktop"),
            "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor --new %F\nMimeType=text/plain;\n");
        std::shared_ptr<IShellFolder> desktop;
        ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(desktop)));
        UniquePidl list;
        ASSERT_TRUE(SUCCEEDED(SHParseDisplayName(folderPath_, list)));
        ASSERT_TRUE(SUCCEEDED(desktop->BindToObject(list.get(), folder_)));
        SetContextMenuTracker([this](QMenu& menu, const QPoint&) { return pick(menu); });
    }
    void TearDown() override
    {
        SetContextMenuTracker({});
        SetShortcutOpener({});
    }

    QAction* pick(QMenu& menu)
    {
        ++menusShown_;
        captions_.clear();
        for (QAction* action : menu.actions()) {
            if (action->isSeparator())
                continue;
            captions_ << plain(action->text()) + (action->isEnabled() ? "" : " (off)");
            if (action->menu())
                for (QAction* sub : action->menu()->actions())
                    captions_ << "  " + plain(sub->text());
        }
        for (QAction* action : menu.actions()) {
            if (plain(action->text()) == picked_)
                return action;
            if (action->menu())
                for (QAction* sub : action->menu()->actions())
                    if (plain(sub->text()) == picked_)
                        return sub;
        }
        return nullptr;
    }

    // Shows the menu of the named items of the folder and picks the command.
    bool run(const QStringList& names, const QString& command)
    {
        picked_ = command;
        std::vector<UniquePidl> owned;
        std::vector<LPCITEMIDLIST> items;
        for (const QString& name : names) {
            owned.push_back(
                MakeItem(QFileInfo(folderPath_ + "/" + name).isDir() ? ITEM_FS_FOLDER : ITEM_FS_FILE, name.toUtf8()));
            items.push_back(owned.back().get());
        }
        const bool result
            = ShowShellContextMenu(*folder_, items.data(), unsigned(items.size()), QPoint(10, 10), nullptr);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the cursor is restored";
        return result;
    }

    QString path(const QString& name) const { return folderPath_ + "/" + name; }

    TempHome home_;
    QString folderPath_;
    std::shared_ptr<IShellFolder> folder_;
    RecordingLauncher launcher_;
    ScriptedDialogs dialogs_;
    QString picked_;
    QStringList captions_;
    int menusShown_ = 0;
};

TEST_F(ContextMenuCommands, OfferWhatAFileManagerOffers)
{
    EXPECT_TRUE(run({"doc.txt"}, ""));
    ASSERT_TRUE(captions_.size() > 2);
    EXPECT_EQ(captions_.front(), "Open");
    EXPECT_EQ(captions_[1], "Open With");
    EXPECT_TRUE(captions_.contains("  Editor"));
    const QStringList tail = captions_.mid(captions_.size() - 5);
    EXPECT_EQ(tail, QStringList({"Cut", "Copy", "Delete", "Rename", "Properties"}));

    EXPECT_TRUE(run({"doc.txt", "sub"}, ""));
    EXPECT_TRUE(captions_.contains("Rename (off)")) << "one item is renamed at a time";

    std::shared_ptr<IShellFolder> desktop;
    ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(desktop)));
    UniquePidl favorites;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_FAVORITES, favorites)));
    LPCITEMIDLIST item = favorites.get();
    EXPECT_TRUE(ShowShellContextMenu(*desktop, &item, 1, QPoint(), nullptr));
    const QStringList special = captions_.mid(captions_.size() - 5);
    EXPECT_EQ(special, QStringList({"Cut (off)", "Copy", "Delete (off)", "Rename (off)", "Properties"}));
}

TEST_F(ContextMenuCommands, MenuObjectNumbersItsCommandsAndKnowsTheirVerbs)
{
    const std::shared_ptr<IContextMenu> menuObject = CreateFileContextMenu(nullptr, {path("doc.txt")});
    QMenu menu;
    EXPECT_EQ(menuObject->QueryContextMenu(&menu, 0, 1, 3, CMF_NORMAL), E_FAIL) << "too few numbers";
    QMenu defaultOnly;
    EXPECT_EQ(menuObject->QueryContextMenu(&defaultOnly, 0, 100, 200, CMF_DEFAULTONLY), 1);
    ASSERT_EQ(defaultOnly.actions().size(), 1);
    EXPECT_EQ(defaultOnly.actions().front()->data().toInt(), 100);
    EXPECT_EQ(defaultOnly.defaultAction(), defaultOnly.actions().front());

    const struct {
        int offset;
        QString verb;
        HRESULT result;
    } cases[] = {
        {-1, "COPY", S_OK},
        {0, "", S_OK}, // Open, by number
        {1, "", E_INVALIDARG}, // beyond the default-only menu
        {-1, "explore", E_INVALIDARG},
    };
    for (const auto& c : cases) {
        CMINVOKECOMMANDINFO info;
        info.verbOffset = c.offset;
        info.verb = c.verb;
        EXPECT_EQ(menuObject->InvokeCommand(info), c.result) << c.offset << c.verb.toStdString();
    }
    EXPECT_EQ(launcher_.opened, QStringList({"file://" + path("doc.txt")}));

    CMINVOKECOMMANDINFO remove;
    remove.verb = "delete";
    const std::shared_ptr<IContextMenu> special = CreateFileContextMenu(nullptr, {SpecialFolderPath(CSIDL_FAVORITES)});
    EXPECT_EQ(special->InvokeCommand(remove), E_INVALIDARG) << "special folders stay";
    EXPECT_TRUE(QFileInfo::exists(SpecialFolderPath(CSIDL_FAVORITES)));
}

TEST_F(ContextMenuCommands, DismissingTheMenuCarriesOutNothing)
{
    EXPECT_TRUE(run({"doc.txt"}, "no such command"));
    EXPECT_EQ(menusShown_, 1);
    EXPECT_TRUE(launcher_.starts.empty());
    EXPECT_TRUE(launcher_.opened.empty());
    EXPECT_TRUE(dialogs_.Calls().empty());
    EXPECT_TRUE(QFileInfo::exists(path("doc.txt")));
}

TEST_F(ContextMenuCommands, ItemsWithoutAMenuShowNone)
{
    std::shared_ptr<IShellFolder> desktop;
    ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(desktop)));
    UniquePidl internet;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_INTERNET, internet)));
    LPCITEMIDLIST item = internet.get();
    EXPECT_FALSE(ShowShellContextMenu(*desktop, &item, 1, QPoint(), nullptr));
    const UniquePidl missing = MakeItem(ITEM_FS_FILE, "missing.txt");
    item = missing.get();
    EXPECT_FALSE(ShowShellContextMenu(*folder_, &item, 1, QPoint(), nullptr));
    EXPECT_EQ(menusShown_, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(dialogs_.Calls().empty()) << "no message";
}

TEST_F(ContextMenuCommands, OpenHandsFilesToTheDesktopAndShortcutsToTheBrowser)
{
    EXPECT_TRUE(run({"doc.txt", "sub"}, "Open"));
    EXPECT_EQ(launcher_.opened, QStringList({"file://" + path("doc.txt"), "file://" + path("sub")}));
    EXPECT_TRUE(launcher_.waitCursorSeen);

    QStringList opened;
    SetShortcutOpener([&](const QString& address) {
        opened << address;
        return true;
    });
    EXPECT_TRUE(run({"Site.url"}, "Open"));
    EXPECT_EQ(opened, QStringList({"http://site.example/"}));

    SetShortcutOpener({});
    EXPECT_TRUE(run({"Site.url"}, "Open"));
    ASSERT_EQ(launcher_.starts.size(), 1u);
    EXPECT_EQ(launcher_.starts.front(), QStringList({QCoreApplication::applicationFilePath(), "http://site.example/"}));

    writeFile(path("Option.url"), "[InternetShortcut]\nURL=--load-extension=/tmp/x\n");
    EXPECT_FALSE(run({"Option.url"}, "Open")) << "an address read as an option is refused";
    EXPECT_EQ(launcher_.starts.size(), 1u);
}

TEST_F(ContextMenuCommands, OpenWithStartsTheProgramFromAnArgumentList)
{
    writeFile(path("it's; $(x).txt"), "text\n");
    EXPECT_TRUE(run({"doc.txt", "it's; $(x).txt"}, "Editor"));
    ASSERT_EQ(launcher_.starts.size(), 1u);
    EXPECT_EQ(launcher_.starts.front(), QStringList({"editor", "--new", path("doc.txt"), path("it's; $(x).txt")}));
    EXPECT_TRUE(launcher_.waitCursorSeen);
}

TEST_F(ContextMenuCommands, CutAndCopyPutTheFilesOnTheClipboardForFileManagers)
{
    const struct {
        QString command;
        QByteArray gnomeFirstLine;
        bool kdeCutMark;
    } cases[] = {{"Copy", "copy", false}, {"Cut", "cut", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command.toStdString());
        EXPECT_TRUE(run({"doc.txt", "sub"}, c.command));
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->urls(), QList<QUrl>({QUrl::fromLocalFile(path("doc.txt")), QUrl::fromLocalFile(path("sub"))}));
        EXPECT_EQ(data->data("x-special/gnome-copied-files"),
            c.gnomeFirstLine + "\n" + QUrl::fromLocalFile(path("doc.txt")).toEncoded() + "\n"
                + QUrl::fromLocalFile(path("sub")).toEncoded());
        EXPECT_EQ(data->hasFormat("application/x-kde-cutselection"), c.kdeCutMark);
        EXPECT_TRUE(QFileInfo::exists(path("doc.txt"))) << "nothing moves before pasting";
    }
}

TEST_F(ContextMenuCommands, DeleteMovesIntoTheTrash)
{
    EXPECT_TRUE(run({"doc.txt", "sub"}, "Delete"));
    EXPECT_FALSE(QFileInfo::exists(path("doc.txt")));
    EXPECT_FALSE(QFileInfo::exists(path("sub")));
    const QString trash = home_.path(".local/share/Trash");
    EXPECT_TRUE(QFileInfo(trash + "/files/doc.txt").isFile());
    EXPECT_TRUE(QFileInfo(trash + "/files/sub").isDir());
    QFile info(trash + "/info/doc.txt.trashinfo");
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    EXPECT_TRUE(info.readAll().contains("\nPath=" + QUrl::toPercentEncoding(path("doc.txt"), "/") + "\n"));
}

TEST_F(ContextMenuCommands, RenameAsksForTheNameAndKeepsAShortcutsExtension)
{
    const struct {
        QString item;
        QString answer; // null: cancelled
        bool result;
        QString afterwards; // the file that exists then
        QString message; // an error shown
    } cases[] = {
        {"doc.txt", "notes.txt", true, "notes.txt", ""},
        {"Site.url", "Other site", true, "Other site.url", ""},
        {"notes.txt", QString(), false, "notes.txt", ""},
        {"notes.txt", "../escaped.txt", false, "notes.txt", "\"../escaped.txt\" is not a valid name."},
        {"notes.txt", "sub", false, "notes.txt", "\"sub\" already exists."},
        {"notes.txt", "  ", false, "notes.txt", "\"\" is not a valid name."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        dialogs_.Clear();
        if (c.answer.isNull())
            dialogs_.Cancel();
        else
            dialogs_.AnswerText(c.answer);
        EXPECT_EQ(run({c.item}, "Rename"), c.result);
        EXPECT_TRUE(QFileInfo::exists(path(c.afterwards)));
        ASSERT_FALSE(dialogs_.Calls().empty());
        EXPECT_EQ(dialogs_.Calls().front().Kind, "InputQuery");
        EXPECT_EQ(dialogs_.Calls().front().Value, QFileInfo(c.item).suffix() == "url" ? "Site" : c.item);
        EXPECT_EQ(dialogs_.Calls().size() > 1 ? dialogs_.Last().Text : QString(), c.message);
    }
    EXPECT_FALSE(QFileInfo::exists(home_.path("escaped.txt")));
}

TEST_F(ContextMenuCommands, PropertiesShowWhatTheItemIs)
{
    EXPECT_TRUE(run({"Site.url"}, "Properties"));
    const DialogCall& box = dialogs_.Last();
    EXPECT_EQ(box.Kind, "MessageBox");
    EXPECT_EQ(box.Caption, "Site.url Properties");
    for (const QString& line : {QString("Name: Site.url"), QString("Type: Internet Shortcut"),
             "Location: " + folderPath_, QString("Size: 46 bytes"), QString("Address: http://site.example/")})
        EXPECT_TRUE(box.Text.contains(line)) << box.Text.toStdString();
}

} // namespace
