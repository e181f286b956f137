// Fetches <base>/small/1.txt ... <base>/small/<count>.txt one after another
// with one TIEDownload into <folder>, as the links checker does.
#include "download/IEDownload.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: download-many BASE_URL COUNT FOLDER\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    const std::string base = argv[1];
    const int count = std::atoi(argv[2]);
    const std::string folder = argv[3];
    TIEDownload download;
    download.Loaded();
    int failed = 0;
    download.OnStopBinding = [&](TBSCB*, HRESULT hr, const WideString&) { failed += FAILED(hr) ? 1 : 0; };
    for (int i = 1; i <= count; ++i)
        download.Download(base + "/small/" + std::to_string(i) + ".txt", {}, nullptr, nullptr, folder);
    if (failed)
        std::fprintf(stderr, "download-many: %d of %d failed\n", failed, count);
    return failed ? 1 : 0;
}
