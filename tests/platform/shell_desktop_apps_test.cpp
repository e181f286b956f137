// The programs the desktop registers for a type, and the argument lists that
// start them.
#include "platform/shell/DesktopApps.h"

#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

QByteArray entry(const QByteArray& name, const QByteArray& mimeTypes, const QByteArray& extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + name.toLower() + " %F\nMimeType=" + mimeTypes
        + "\n" + extra;
}

TEST(DesktopApps, DefaultFirstThenAddedThenTheOthersNamingTheType)
{
    TempHome home;
    home.set("XDG_DATA_DIRS", home.path("system") + ":/usr/share"); // the MIME database stays
    home.set("XDG_CONFIG_DIRS", home.path("etc"));
    const QString user = home.path(".local/share/applications/"), system = home.path("system/applications/");
    writeFile(system + "zeta.desktop", entry("Zeta", "text/plain;"));
    writeFile(system + "alpha.desktop", entry("Alpha", "text/plain;text/html;"));
    writeFile(system + "viewer.desktop", entry("Viewer", "image/png;"));
    writeFile(system + "gone.desktop", entry("Gone", "text/plain;"));
    writeFile(system + "hidden.desktop", entry("Hidden", "text/plain;"));
    writeFile(user + "hidden.desktop", entry("Hidden", "text/plain;", "Hidden=true\n")); // the user's wins
    writeFile(system + "quiet.desktop", entry("Quiet", "text/plain;", "NoDisplay=true\n"));
    writeFile(system + "added.desktop", entry("Added", "image/png;", "NoDisplay=true\n"));
    writeFile(system + "kde/editor.desktop", entry("Editor", "application/x-other;"));
    writeFile(system + "noexec.desktop", "[Desktop Entry]\nType=Application\nName=NoExec\nMimeType=text/plain;\n");
    writeFile(system + "link.desktop", "[Desktop Entry]\nType=Link\nName=L\nURL=x\nMimeType=text/plain;\n");
    writeFile(home.path(".config/mimeapps.list"),
        "[Default Applications]\ntext/plain=missing.desktop;kde-editor.desktop;\n"
        "[Added Associations]\ntext/plain=added.desktop;\n"
        "[Removed Associations]\ntext/plain=gone.desktop;\n");
    writeFile(home.path("etc/mimeapps.list"), "[Default Applications]\ntext/plain=zeta.desktop;\n");

    // The programs of the machine itself are left out of the comparison.
    const auto ours = [&](const QString& mimeType) {
        QStringList ids;
        for (const DesktopApp& app : AppsForMimeType(mimeType))
            if (app.file.startsWith(home.path()))
                ids << app.id;
        return ids;
    };
    const QStringList expected{"kde-editor.desktop", "zeta.desktop", "added.desktop", "alpha.desktop"};
    EXPECT_EQ(ours("text/plain"), expected);
    EXPECT_EQ(ours("text/x-csrc"), expected) << "a kind of text/plain";
    EXPECT_EQ(ours("image/png"), QStringList({"viewer.desktop"}));
    EXPECT_TRUE(AppsForMimeType("application/x-nothing-registered").empty());
}

TEST(DesktopApps, ExecBecomesArgumentListsByTheDesktopEntryRules)
{
    const QStringList two{"/tmp/a b.txt", "/tmp/$(rm -rf x);.txt"};
    const QStringList one{"/tmp/a b.txt"};
    const struct {
        QString exec;
        QStringList files;
        std::vector<QStringList> starts;
    } cases[] = {
        {"editor %F", two, {{"editor", "/tmp/a b.txt", "/tmp/$(rm -rf x);.txt"}}},
        {"editor %f", two, {{"editor", "/tmp/a b.txt"}, {"editor", "/tmp/$(rm -rf x);.txt"}}},
        {"editor %U", one, {{"editor", "file:///tmp/a b.txt"}}},
        {"editor --file=%u", one, {{"editor", "--file=file:///tmp/a b.txt"}}},
        {"editor %f", {}, {{"editor"}}},
        {"editor", two, {{"editor"}}},
        {"\"/opt/my app/run\" --title \"A \\\"quoted\\\" \\\\ \\$x\" %F", one,
            {{"/opt/my app/run", "--title", "A \"quoted\" \\ $x", "/tmp/a b.txt"}}},
        {"viewer %i --name %c --from %k 100%% %d %n %F", one,
            {{"viewer", "--icon", "icon-name", "--name", "Viewer", "--from", "/apps/viewer.desktop", "100%",
                "/tmp/a b.txt"}}},
        {"  spaced   out  ", {}, {{"spaced", "out"}}},
        {"broken \"quote %F", one, {}},
        {"", one, {}},
    };
    for (const auto& c : cases) {
        DesktopApp app;
        app.exec = c.exec;
        app.name = "Viewer";
        app.icon = "icon-name";
        app.file = "/apps/viewer.desktop";
        EXPECT_EQ(ExecArguments(app, c.files), c.starts) << c.exec.toStdString();
    }
}

} // namespace
