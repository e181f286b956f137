// A user works with the Local Folders tab and the programs of the desktop: a
// double-clicked file opens with the desktop's program for it, the Editor tab
// is a click away, a client program that runs in a terminal starts in the
// user's terminal emulator, and the default browser is named as the user
// knows it.
#include "Journey.h"

#include "browserhost/Sextant.h"
#include "platform/registry/Registry.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUrl>

namespace {

// Takes the desktop's opening of file: addresses for its life.
class OpenedFiles : public QObject {
    Q_OBJECT
public:
    OpenedFiles() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedFiles() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

class LocalFolders : public Journey {
protected:
    QListWidget* folderView() const { return Window().Sextant2->findChild<QListWidget*>(); }

    // Double-clicks the item named name in the Local Folders view.
    void openItem(const QString& name)
    {
        QListWidget* view = nullptr;
        QListWidgetItem* item = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            view = folderView();
            if (!view || !view->isVisible() || Window().Sextant2->Busy())
                return false;
            const QList<QListWidgetItem*> found = view->findItems(name, Qt::MatchExactly);
            item = found.isEmpty() ? nullptr : found.first();
            return item != nullptr;
        })) << name.toStdString();
        view->scrollToItem(item);
        DoubleClick(view->viewport(), view->visualItemRect(item).center());
    }
};

TEST_F(LocalFolders, ADoubleClickedFileOpensWithTheDesktopsProgram)
{
    QTemporaryDir folder(QDir::currentPath() + "/folders-XXXXXX");
    writeFile(folder.filePath("notes.txt"), "some notes\n");
    OpenedFiles desktop;
    OpenWindow();
    Click(Window().MainToolBar->widgetForAction(Window().ToolBtnAccesories));
    QTabBar* tabs = Window().PageCtrl->tabBar();
    Click(tabs, tabs->tabRect(4).center());
    ASSERT_EQ(Window().PageCtrl->tabText(Window().PageCtrl->currentIndex()), "Local Folders");
    // From the root down to the folder, as a user goes.
    for (const QString& part : QDir(folder.path()).absolutePath().split('/', Qt::SkipEmptyParts))
        openItem(part);
    openItem("notes.txt");
    ASSERT_TRUE(WaitFor([&] { return !desktop.opened.isEmpty(); }));
    EXPECT_EQ(desktop.opened.first(), QUrl::fromLocalFile(folder.filePath("notes.txt")));
}

TEST_F(LocalFolders, TheEditorTabIsAClickAway)
{
    OpenWindow();
    QTabBar* tabs = Window().pctrlWB->tabBar();
    int editor = -1;
    for (int tab = 0; tab < tabs->count(); ++tab)
        if (tabs->isTabVisible(tab) && tabs->tabText(tab) == "Editor")
            editor = tab;
    ASSERT_GE(editor, 0) << "no Editor tab to click";
    Click(tabs, tabs->tabRect(editor).center());
    EXPECT_EQ(Window().pctrlWB->currentWidget(), Window().tabEditor);
    EXPECT_TRUE(Window().tabEditor->isVisible());
}

TEST_F(LocalFolders, ATerminalProgramStartsInTheUsersTerminal)
{
    // A contacts program that runs in a terminal, registered as the desktop
    // registers one, and a terminal emulator that notes what it was asked
    // to run.
    const QString home = QDir::currentPath();
    writeFile(home + "/.local/share/applications/journey-contacts.desktop",
        "[Desktop Entry]\nType=Application\nName=Journey Contacts\nExec=journey-contacts %f\n"
        "Terminal=true\nMimeType=text/vcard;\n");
    writeFile(home + "/bin/journey-terminal", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$HOME/terminal-ran\"\n");
    QFile::setPermissions(home + "/bin/journey-terminal", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    TRegistry machine(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(machine.OpenKey("\\Software\\Clients\\Contacts", true));
    machine.WriteString("", "Journey Contacts");
    ASSERT_TRUE(machine.OpenKey("\\Software\\Clients\\Contacts\\Journey Contacts\\shell\\open\\command", true));
    machine.WriteString("", "journey-contacts %f");
    qputenv("TERMINAL", (home + "/bin/journey-terminal").toUtf8());

    OpenWindow();
    ChooseMenu({"Tools", "Mail Tools", "Open Address Book"});
    EXPECT_TRUE(WaitFor([&] { return QFile::exists(home + "/terminal-ran"); }));
    QFile ran(home + "/terminal-ran");
    ASSERT_TRUE(ran.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        QString::fromUtf8(ran.readAll()).split('\n', Qt::SkipEmptyParts), QStringList({"-e", "journey-contacts"}));
    qunsetenv("TERMINAL");
}

TEST_F(LocalFolders, TheDefaultBrowserIsNamedAsTheUserKnowsIt)
{
    const QString home = QDir::currentPath();
    writeFile(home + "/.local/share/applications/journey-browser.desktop",
        "[Desktop Entry]\nType=Application\nName=Journey Browser\nExec=/usr/bin/journey-browser %U\n"
        "MimeType=text/html;\n");
    TRegistry classes(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(classes.OpenKey("\\htmlfile\\shell\\open\\command", true));
    classes.WriteString("", "/usr/bin/journey-browser %U");

    OpenWindow();
    const SeenDialog told = AnswerDialog("OK", [&] {
        ChooseMenu({"Tools", "Sextant Functions", "Get Default Web Browser From Resistry"});
    });
    ASSERT_TRUE(told.Shown);
    EXPECT_TRUE(told.Text.contains("Current Default Web Browser is: Journey Browser")) << told.Text.toStdString();
}

} // namespace

#include "local_folders_journey.moc"
