// The favorites list view filling a folder of 2,000 shortcuts: the shell
// listing, the records and the first paint of the rows in sight (their
// icons are read then), as the user waits for them after opening the folder.
#include "favorites/FavoritesListView.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/SpecialFolders.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr int kShortcuts = 2000;

QString seedFolder()
{
    const QString folder = SpecialFolderPath(CSIDL_FAVORITES) + QStringLiteral("/Large");
    QDir().mkpath(folder);
    for (int i = 0; i < kShortcuts; ++i) {
        QFile file(folder + QStringLiteral("/Site %1.url").arg(i));
        if (file.open(QIODevice::WriteOnly))
            file.write(QStringLiteral("[InternetShortcut]\r\nURL=https://site%1.example/\r\n").arg(i).toUtf8());
    }
    return folder;
}

void FillLargeFolder(benchmark::State& state)
{
    UniquePidl folder;
    if (FAILED(SHParseDisplayName(seedFolder(), folder))) {
        state.SkipWithError("the folder cannot be named");
        return;
    }
    TFavoritesListView view;
    view.resize(200, 300);
    view.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        view.BrowseFolder(folder.get());
        view.viewport()->repaint();
    }
    state.counters["items"] = double(view.ItemNames().size());
}
BENCHMARK(FillLargeFolder)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir profile;
    qputenv("ZARNWEB_HOME", profile.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
