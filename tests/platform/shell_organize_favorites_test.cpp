// The organize-favorites dialog driven through its buttons: what it shows,
// new folders and new names made safe, moves, deleting into the trash, and
// every way out of the favorites folder refused.
#include "platform/shell/OrganizeFavoritesDialog.h"

#include "ScriptedDialogs.h"
#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class OrganizeFavorites : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : {"Favorites/News", "Favorites/News/Local", "Favorites/Work", "outside"})
            QDir().mkpath(home.path(folder));
        for (const char* file : {"Favorites/Zarn.url", "Favorites/News/Paper.url", "Favorites/notes.txt"})
            write(file, "[InternetShortcut]\r\nURL=http://a.test/\r\n");
        QFile::link(home.path("outside"), home.path("Favorites/Escape"));
        dialog = std::make_unique<TOrganizeFavoritesDialog>(
            home.path("Favorites"), [](const QString& name, const QString& extension) {
                return maker ? maker(name, extension)
                             : QString(name).replace(QLatin1Char('/'), QLatin1Char('_')) + extension;
            });
    }
    void TearDown() override { maker = nullptr; }

    void write(const QString& relative, const QByteArray& content)
    {
        QFile file(home.path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    bool exists(const QString& relative) const { return QFileInfo::exists(home.path(relative)); }
    void select(const QString& relative)
    {
        ASSERT_TRUE(dialog->SelectPath(home.path(relative))) << relative.toStdString();
    }
    QPushButton* button(const char* name) const { return dialog->findChild<QPushButton*>(QLatin1String(name)); }
    void press(const char* name)
    {
        QPushButton* pressed = button(name);
        ASSERT_TRUE(pressed && pressed->isEnabled()) << name;
        pressed->click();
    }
    // The files below the favorites folder, as relative paths.
    QStringList favoritesFiles() const
    {
        QStringList files;
        const QDir top(home.path("Favorites"));
        for (const QString& path : top.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
            files << path;
        for (const char* sub : {"News", "News/Local", "Work"}) {
            for (const QString& path : QDir(top.filePath(sub)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
                files << QLatin1String(sub) + QLatin1Char('/') + path;
        }
        return files;
    }

    static inline FavoriteNameMaker maker;
    TempHome home;
    ScriptedDialogs dialogs;
    std::unique_ptr<TOrganizeFavoritesDialog> dialog;
};

QStringList treeLines(const QTreeWidget* tree)
{
    QStringList lines;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it; ++it) {
        int depth = 0;
        for (auto* up = (*it)->parent(); up; up = up->parent())
            ++depth;
        lines << QString(depth * 2, QLatin1Char(' ')) + (*it)->text(0);
    }
    return lines;
}

TEST_F(OrganizeFavorites, ShowsFoldersThenShortcutsWithoutOtherFilesOrLinks)
{
    EXPECT_EQ(treeLines(dialog->findChild<QTreeWidget*>("tvFavorites")),
        (QStringList{"News", "  Local", "  Paper", "Work", "Zarn"}));
    for (const char* name : {"btnRename", "btnMoveToFolder", "btnDelete"})
        EXPECT_FALSE(button(name)->isEnabled()) << name << " without a selection";
    EXPECT_TRUE(button("btnCreateFolder")->isEnabled());
    EXPECT_EQ(button("btnClose")->text(), "Close");
}

TEST_F(OrganizeFavorites, NewFoldersAndNewNamesAreMadeSafeAndShortcutsKeepTheirExtension)
{
    const struct {
        const char* selected; // empty: nothing selected
        const char* command;
        const char* typed;
        const char* madeFile;
        const char* goneFile;
    } cases[] = {
        {"", "btnCreateFolder", "Sport/../..", "Favorites/Sport_.._..", ""},
        {"Favorites/News", "btnCreateFolder", "Radio", "Favorites/News/Radio", ""},
        {"Favorites/News/Paper.url", "btnCreateFolder", "  TV  ", "Favorites/News/TV", ""},
        {"Favorites/Zarn.url", "btnRename", "Zarn home/../../x", "Favorites/Zarn home_.._.._x.url",
            "Favorites/Zarn.url"},
        {"Favorites/Work", "btnRename", "Office", "Favorites/Office", "Favorites/Work"},
    };
    for (const auto& c : cases) {
        if (*c.selected)
            select(c.selected);
        else
            dialog->findChild<QTreeWidget*>("tvFavorites")->clearSelection();
        dialogs.AnswerText(c.typed);
        press(c.command);
        EXPECT_TRUE(exists(c.madeFile)) << c.typed;
        if (*c.goneFile) {
            EXPECT_FALSE(exists(c.goneFile)) << c.typed;
        }
        EXPECT_EQ(dialog->SelectedPath(), home.path(c.madeFile)) << "the new entry is selected";
    }
    EXPECT_TRUE(dialogs.Texts().filter("cannot").isEmpty()) << dialogs.Texts().join('\n').toStdString();
}

TEST_F(OrganizeFavorites, NamesThatWouldLeaveTheFolderOrClashAreRefused)
{
    const QStringList before = favoritesFiles();
    const struct {
        const char* typed;
        FavoriteNameMaker made; // nullptr: the fixture's maker
    } cases[] = {
        {"..", [](const QString& name, const QString&) { return name; }},
        {".", [](const QString& name, const QString&) { return name; }},
        {"   ", [](const QString& name, const QString&) { return name; }},
        {"x", [](const QString&, const QString&) { return QStringLiteral("../../outside/x"); }},
        {"Work", nullptr},
    };
    for (const auto& c : cases) {
        maker = c.made;
        select("Favorites/News");
        dialogs.AnswerText(c.typed);
        press("btnRename");
        EXPECT_EQ(dialogs.Last().Kind, "MessageDlg") << c.typed;
        EXPECT_EQ(dialogs.Last().Type, mtError) << c.typed;
    }
    EXPECT_EQ(favoritesFiles(), before);
    EXPECT_TRUE(QDir(home.path("outside")).isEmpty());
}

TEST_F(OrganizeFavorites, MovesStayInsideTheFavoritesAndNeverPutAFolderIntoItself)
{
    const struct {
        const char* selected;
        QString target;
        bool moved;
        const char* afterwards;
    } cases[] = {
        {"Favorites/News", home.path("Favorites/News"), false, "Favorites/News/Paper.url"},
        {"Favorites/News", home.path("Favorites/News/Local"), false, "Favorites/News/Local"},
        {"Favorites/Zarn.url", home.path("outside"), false, "Favorites/Zarn.url"},
        {"Favorites/Zarn.url", home.path("Favorites/Escape"), false, "Favorites/Zarn.url"},
        {"Favorites/Zarn.url", home.path("Favorites/../outside"), false, "Favorites/Zarn.url"},
        {"Favorites/Zarn.url", home.path("Favorites/Work"), true, "Favorites/Work/Zarn.url"},
        {"Favorites/News", home.path("Favorites/Work"), true, "Favorites/Work/News/Local"},
        {"Favorites/Work/News/Paper.url", home.path("Favorites"), true, "Favorites/Paper.url"},
    };
    for (const auto& c : cases) {
        select(c.selected);
        dialogs.Clear();
        dialogs.AnswerText(c.target);
        press("btnMoveToFolder");
        EXPECT_TRUE(exists(c.afterwards)) << c.selected << " to " << c.target.toStdString();
        EXPECT_EQ(!exists(c.selected), c.moved) << c.selected << " to " << c.target.toStdString();
        if (!c.moved) {
            EXPECT_EQ(dialogs.Last().Type, mtError) << "told why: " << c.target.toStdString();
        }
    }
    EXPECT_TRUE(QDir(home.path("outside")).isEmpty());
}

TEST_F(OrganizeFavorites, DeleteMovesToTheTrashOnlyWhenTheUserAgrees)
{
    select("Favorites/News");
    dialogs.Answer(mrNo);
    press("btnDelete");
    EXPECT_TRUE(exists("Favorites/News/Paper.url"));

    dialogs.Answer(mrYes);
    press("btnDelete");
    EXPECT_FALSE(exists("Favorites/News"));
    EXPECT_TRUE(exists(".local/share/Trash/files/News/Paper.url"));
    EXPECT_TRUE(dialog->SelectedPath().isEmpty());
    EXPECT_EQ(treeLines(dialog->findChild<QTreeWidget*>("tvFavorites")), (QStringList{"Work", "Zarn"}));
}

} // namespace
