// zarn-download URL [-o FILE] [--folder DIR]: fetches one address with
// TIEDownload, showing progress on standard error, and prints the server's
// answer and the saved path.
#include "download/DownloadStatus.h"
#include "download/IEDownload.h"

#include <QCoreApplication>

#include <chrono>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: zarn-download URL [-o FILE] [--folder DIR]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::string url, file, folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "-o" || arg == "--output") && i + 1 < argc)
            file = argv[++i];
        else if (arg == "--folder" && i + 1 < argc)
            folder = argv[++i];
        else if (arg.empty() || arg[0] == '-' || !url.empty())
            return usage();
        else
            url = arg;
    }
    if (url.empty())
        return usage();
    // "-o some/dir/name" names both the folder and the file.
    if (const auto slash = file.rfind('/'); slash != std::string::npos) {
        folder = file.substr(0, slash + 1);
        file.erase(0, slash + 1);
    }
    if (folder.empty())
        folder = ".";

    TIEDownload download;
    download.Loaded();
    const bool tty = isatty(STDERR_FILENO);
    DWORD answer = 0;
    std::string answerText;
    std::string firstError;
    HRESULT result = S_OK;
    download.OnResponse = [&](TBSCB*, DWORD code, const WideString&, const WideString&, char16_t*&) {
        answer = code;
        answerText = ResponseCodeText(static_cast<std::int32_t>(code));
        return code >= 400 ? E_ABORT : S_OK;
    };
    download.OnError = [&](int code, const std::string& text) {
        char number[16];
        std::snprintf(number, sizeof number, code < 0 ? "0x%08X" : "%d", code < 0 ? static_cast<unsigned>(code) : code);
        if (firstError.empty())
            firstError = text + " (" + number + ")";
    };
    auto lastDraw = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    download.OnProgress = [&](TBSCB*, ULONG progress, ULONG maximum, ULONG status, ULONG, const WideString&,
                              const std::string& downloaded, const std::string& elapsed, const std::string& speed,
                              const std::string& remaining, const std::string&, const std::string& percent) {
        const auto now = std::chrono::steady_clock::now();
        if (status != 5 || now - lastDraw < std::chrono::milliseconds(200))
            return;
        lastDraw = now;
        constexpr int width = 24;
        const int filled = maximum > 0 ? static_cast<int>(static_cast<double>(progress) / maximum * width) : 0;
        const std::string bar = maximum > 0 ? "[" + std::string(filled, '#') + std::string(width - filled, ' ') + "] " : "";
        std::fprintf(stderr, "%s%s%-8s %-12s %-16s elapsed %s  left %s%s", tty ? "\r" : "", bar.c_str(),
            percent.c_str(), downloaded.c_str(), speed.c_str(), elapsed.c_str(), remaining.c_str(),
            tty ? "   " : "\n");
    };
    download.OnStopBinding = [&](TBSCB*, HRESULT hr, const WideString&) { result = hr; };

    const bool ran = download.Download(url, file, nullptr, nullptr, folder);
    if (tty)
        std::fprintf(stderr, "\r%80s\r", "");
    if (answer != 0)
        std::printf("%u %s\n", static_cast<unsigned>(answer), answerText.c_str());
    if (!ran) {
        std::fprintf(stderr, "zarn-download: %s was not downloaded%s%s\n", url.c_str(),
            firstError.empty() ? "" : ": ", firstError.c_str());
        return 1;
    }
    if (FAILED(result)) {
        std::fprintf(stderr, "zarn-download: %s failed: %s\n", url.c_str(),
            firstError.empty() ? ResponseCodeText(result).c_str() : firstError.c_str());
        return 1;
    }
    std::printf("%s\n", download.FileNameAndPath.c_str());
    return 0;
}
