// zarn-download: fetches one address into a file with TIEDownload, shows its
// progress on a terminal, and prints the server's answer and the path of the
// saved file. Exit status: 0 saved, 1 failed, 2 bad usage.
#include "download/DownloadStatus.h"
#include "download/IEDownload.h"
#include "platform/cli/CommandLine.h"
#include "platform/files/SafeFile.h"

#include <QCoreApplication>
#include <QTimer>

#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr const char* kUsage
    = "usage: zarn-download URL [-o FILE] [--folder DIR] [--timeout SECONDS] [--stall SECONDS]\n";

constexpr const char* kHelp
    = "\n"
      "Fetches URL into a file and prints the server's answer and the path of the saved file.\n"
      "\n"
      "  -o, --output FILE    save as FILE (a path names the folder too), replacing it;\n"
      "                       otherwise the name comes from the server or the address, kept\n"
      "                       inside the folder, without leading dots, never replacing a\n"
      "                       file or writing through a link (\"name (2).ext\" instead)\n"
      "  --folder DIR         save into DIR (default: the current folder)\n"
      "  --timeout SECONDS    give up when the whole download takes longer\n"
      "  --stall SECONDS      give up when no data arrives for this long (default 60)\n"
      "  -h, --help           show this help\n"
      "\n"
      "The file appears under its name only when it is complete; a failed or interrupted\n"
      "download (also by Ctrl-C or a closed terminal) leaves no file behind. Progress is shown while standard\n"
      "error is a terminal.\n"
      "Exit status: 0 saved, 1 download failed, 2 bad usage.\n";

struct Options {
    std::string url;
    std::string file;
    std::string folder = ".";
    double timeoutSeconds = 0;
    double stallSeconds = 0;
};

enum class Parsed { Run, Help, BadUsage };

// A positive number of seconds; false for anything else.
bool parseSeconds(const char* text, double& seconds)
{
    char* end = nullptr;
    seconds = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(seconds) && seconds > 0;
}

Parsed parseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "-h" || arg == "--help")
            return Parsed::Help;
        if ((arg == "-o" || arg == "--output") && hasValue)
            options.file = argv[++i];
        else if (arg == "--folder" && hasValue)
            options.folder = argv[++i];
        else if (arg == "--timeout" && hasValue) {
            if (!parseSeconds(argv[++i], options.timeoutSeconds))
                return Parsed::BadUsage;
        } else if (arg == "--stall" && hasValue) {
            if (!parseSeconds(argv[++i], options.stallSeconds))
                return Parsed::BadUsage;
        } else if (arg.empty() || arg[0] == '-' || !options.url.empty())
            return Parsed::BadUsage;
        else
            options.url = arg;
    }
    if (options.url.empty())
        return Parsed::BadUsage;
    // "-o some/dir/name" names both the folder and the file.
    if (const auto slash = options.file.rfind('/'); slash != std::string::npos) {
        options.folder = options.file.substr(0, slash + 1);
        options.file.erase(0, slash + 1);
    }
    return Parsed::Run;
}

std::string secondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

// One line of progress on a terminal, redrawn in place: it never reaches the
// last column (the terminal would wrap it), and it is erased at the end.
class ProgressLine {
public:
    explicit ProgressLine(FILE* out) : out_(out), shown_(isatty(fileno(out))) {}

    void Draw(std::uint64_t progress, std::uint64_t maximum)
    {
        const auto now = Clock::now();
        if (!shown_ || now - lastDraw_ < std::chrono::milliseconds(100))
            return;
        lastDraw_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const Figures figures{progress, maximum, seconds > 0 ? progress / seconds : 0, seconds};
        const int room = Columns() - 1;
        // The least telling figures give way first when the line is short.
        std::string line;
        for (int detail = Figures::kMostDetail; detail >= 0; --detail) {
            line = figures.Text(detail);
            if (static_cast<int>(line.size()) <= room)
                break;
        }
        const int barWidth = room - static_cast<int>(line.size()) - 3;
        if (figures.Sized() && barWidth >= 10) {
            const auto filled = static_cast<int>(static_cast<double>(progress) / maximum * barWidth);
            const auto afterPercent = line.find(' ') + 1;
            line.insert(afterPercent, "[" + std::string(filled, '#') + std::string(barWidth - filled, '.') + "] ");
        }
        if (static_cast<int>(line.size()) > room)
            line.resize(room > 0 ? room : 0);
        std::fprintf(out_, "\r%s\033[K", line.c_str());
        std::fflush(out_);
        drawn_ = true;
    }

    void Clear()
    {
        if (drawn_)
            std::fprintf(out_, "\r\033[K");
        std::fflush(out_);
        drawn_ = false;
    }

private:
    using Clock = std::chrono::steady_clock;

    // What the line tells: a percentage and the total only when the size is
    // known, speed and time left only once they can be worked out.
    struct Figures {
        static constexpr int kMostDetail = 3;

        std::uint64_t progress;
        std::uint64_t maximum;
        double rate; // bytes per second
        double seconds;

        bool Sized() const { return maximum > 0 && progress <= maximum; }

        // detail 3: everything; 2: without the time left; 1: without the
        // speed; 0: the percentage, the bytes and the elapsed time.
        std::string Text(int detail) const
        {
            std::string text;
            if (Sized()) {
                char percent[16];
                std::snprintf(percent, sizeof percent, "%.1f%% ", 100.0 * progress / maximum);
                text = percent;
            }
            text += sizeText(progress);
            if (Sized() && detail >= 1)
                text += " of " + sizeText(maximum);
            if (rate > 0 && detail >= 2)
                text += "  " + FormatSize(rate) + "/s";
            text += "  " + FormatTime(static_cast<std::int32_t>(seconds));
            if (Sized() && rate > 0 && progress < maximum && detail >= 3)
                text += "  ETA " + FormatTime(static_cast<std::int32_t>(std::ceil((maximum - progress) / rate)));
            return text;
        }

        static std::string sizeText(std::uint64_t bytes)
        {
            return bytes ? FormatSize(static_cast<double>(bytes)) : "0 b";
        }
    };

    // The terminal's width, or COLUMNS, or 80.
    int Columns() const
    {
        winsize size{};
        if (ioctl(fileno(out_), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
            return size.ws_col;
        if (const char* columns = std::getenv("COLUMNS"); columns && std::atoi(columns) > 0)
            return std::atoi(columns);
        return 80;
    }

    FILE* out_;
    bool shown_;
    bool drawn_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastDraw_ = start_ - std::chrono::seconds(1);
};

} // namespace

int main(int argc, char** argv)
{
    RemoveTemporaryFilesOnSignals();
    QCoreApplication app(argc, argv);
    Options options;
    const cli::Tool tool{"zarn-download", kUsage, kHelp};
    switch (parseArguments(argc, argv, options)) {
    case Parsed::Help:
        return tool.Help();
    case Parsed::BadUsage:
        return tool.BadUsage();
    case Parsed::Run:
        break;
    }
    if (options.stallSeconds > 0)
        UrlMonSetReceiveTimeout(static_cast<DWORD>(std::ceil(options.stallSeconds * 1000)));

    TIEDownload download;
    download.Loaded();
    DWORD answer = 0;
    std::string firstError;
    HRESULT result = S_OK;
    bool timedOut = false;
    ProgressLine progressLine(stderr);
    download.OnResponse = [&](TBSCB*, DWORD code, const WideString&, const WideString&, char16_t*&) {
        answer = code;
        return code >= 400 ? E_ABORT : S_OK;
    };
    download.OnError = [&](int, const std::string& text) {
        if (firstError.empty())
            firstError = text;
    };
    // The size the server announced; the progress reports cannot tell an
    // unknown size from a known one.
    std::uint32_t announcedSize = 0;
    download.OnBeforeDownload
        = [&](TInfoData*, const std::string&, const std::string&, const std::string&, const std::string&,
              const std::string&, int size, bool&) { announcedSize = static_cast<std::uint32_t>(size); };
    download.OnProgress
        = [&](TBSCB*, ULONG progress, ULONG, ULONG status, ULONG, const WideString&, const std::string&,
              const std::string&, const std::string&, const std::string&, const std::string&, const std::string&) {
              if (status == BINDSTATUS_DOWNLOADINGDATA)
                  progressLine.Draw(progress, announcedSize);
          };
    download.OnStopBinding = [&](TBSCB*, HRESULT hr, const WideString&) { result = hr; };
    if (options.timeoutSeconds > 0)
        QTimer::singleShot(
            std::chrono::milliseconds(static_cast<std::int64_t>(std::ceil(options.timeoutSeconds * 1000))), [&] {
                timedOut = true;
                download.Cancelled = true;
            });

    const bool ran = download.Download(options.url, options.file, nullptr, nullptr, options.folder);
    progressLine.Clear();
    if (answer != 0)
        std::printf(
            "%u %s\n", static_cast<unsigned>(answer), ResponseCodeText(static_cast<std::int32_t>(answer)).c_str());
    if (ran && SUCCEEDED(result) && !timedOut && !download.SavedFilePath.empty()) {
        if (download.NewNameChosen)
            std::fprintf(stderr, "zarn-download: that name was taken in the folder; saved under a new one\n");
        // The path is always escaped: a script reading it gets one line.
        std::printf("%s\n", cli::Escaped(download.SavedFilePath).c_str());
        return tool.Done();
    }
    std::string reason = firstError;
    if (timedOut)
        reason = "it took longer than " + secondsText(options.timeoutSeconds) + " seconds";
    else if (!ran && reason.empty())
        reason = "it was refused";
    else if (reason.empty())
        reason = FAILED(result) ? ResponseCodeText(result) : "nothing was saved";
    return tool.Fail(options.url + " was not downloaded: " + reason);
}
