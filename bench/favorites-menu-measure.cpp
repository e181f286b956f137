// The Favorites menu over a folder of 2,000 favorites: building the menu
// (1,500 favorites and a folder at the top) and opening the folder holding the
// other 500, each timed several times; prints the medians in milliseconds.
#include "favorites/FavoritesMenu.h"
#include "platform/shell/SpecialFolders.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void writeShortcut(const QString& path, int n)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("[InternetShortcut]\r\nURL=http://site" + QByteArray::number(n) + ".test/\r\n");
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    constexpr int Runs = 7;
    QTemporaryDir profile;
    qputenv("ZARNWEB_HOME", profile.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString favorites = SpecialFolderPath(CSIDL_FAVORITES);
    QDir().mkpath(favorites + "/Big");
    for (int i = 0; i < 1500; ++i)
        writeShortcut(favorites + QStringLiteral("/Favorite number %1 of the list.url").arg(i), i);
    for (int i = 0; i < 500; ++i)
        writeShortcut(favorites + QStringLiteral("/Big/Page %1.url").arg(i), i);

    TFavoritesMenu menu;
    std::vector<double> build, open;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        if (run == 0)
            menu.CreateMenu();
        else
            menu.RebuildMenu();
        build.push_back(double(timer.nsecsElapsed()) / 1e6);
        QMenu* big = nullptr;
        for (QAction* item : menu.TopMenu()->actions())
            if (item->text() == QLatin1String("Big"))
                big = item->menu();
        if (!big)
            return 1;
        timer.restart();
        QMetaObject::invokeMethod(big, "aboutToShow");
        open.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (big->actions().size() != 500)
            return 1;
    }
    std::printf(
        "menu of 2,000 favorites built: %.1f ms (median of %d; first %.1f ms)\n", median(build), Runs, build[0]);
    std::printf("folder of 500 favorites opened: %.1f ms (median of %d)\n", median(open), Runs);
    return 0;
}
