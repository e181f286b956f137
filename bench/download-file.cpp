// Fetches one address into one file with the browser tools' DownloadFile,
// for bench-download-file.sh. Prints the seconds the call took and how far
// it raised the process's peak memory (KiB), so that the program's own
// start-up is left out. Usage: download-file <address> <file>; exits 0 when
// the file was written.
#include "tools/DocumentTools.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

namespace {

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: download-file <address> <file>\n");
        return 2;
    }
    const QString address = QString::fromLocal8Bit(argv[1]);
    const QString file = QString::fromLocal8Bit(argv[2]);
    const long peakBefore = peakKiB();
    const auto start = std::chrono::steady_clock::now();
    const bool written = DownloadFile(address, file);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.3f %ld\n", took.count(), peakKiB() - peakBefore);
    return written ? 0 : 1;
}
