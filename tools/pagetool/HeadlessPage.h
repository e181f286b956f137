#pragma once
// What the page tools (zarn-capture, zarn-page) share: the process made
// ready for the engine, a browser component in a window of its own that
// loads one address with a time-out, and their argument helpers.
#include "browserhost/Sextant.h"
#include "platform/cli/CommandLine.h"

#include <QSize>
#include <QString>
#include <QWidget>

#include <QByteArray>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// Before the QApplication: without a display the tool runs offscreen; the
// engine's environment is prepared and the Qt WebEngine control installed.
void PrepareHeadlessProcess();

// "WxH" with both between 1 and 20000; nothing otherwise.
std::optional<QSize> ParseSize(const std::string& text);
// A whole number between low and high; nothing otherwise.
std::optional<int> ParseNumber(const std::string& text, int low, int high);

// Ends the process with status 1 and message on stderr ("<tool>: message")
// unless it is destroyed within ms: the time-out holds whatever the page
// does to the event loop.
class LoadWatch {
public:
    LoadWatch(const QString& message, unsigned ms);
    ~LoadWatch();
    LoadWatch(const LoadWatch&) = delete;
    LoadWatch& operator=(const LoadWatch&) = delete;

private:
    QByteArray message_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

// How long after its time-out a load stuck in a busy page is ended.
constexpr unsigned kWatchGraceMs = 1000;

class HeadlessPage {
public:
    // A window of the given size holding the browser component.
    explicit HeadlessPage(const QSize& size);

    // Loads url and waits until it is complete. An empty text on success;
    // otherwise what went wrong (not reached within timeoutMs, the
    // engine's error). The page's new windows are refused. A load still
    // running kWatchGraceMs after timeoutMs (a page keeping the event loop
    // busy) ends the process with status 1 and the time-out message.
    QString Load(const QString& url, unsigned timeoutMs);
    TSextant& Browser() { return *browser_; }

private:
    QWidget window_;
    TSextant* browser_;
    QString error_;
};

// What parsing a page tool's command line found.
enum class Parsed { Run, Help, BadUsage };

// The frame every page tool's main() shares (on the command-line frame of
// every zarn-* tool), so each tool holds only its arguments and its work.
struct PageTool : cli::Tool {
    // Writes "<name>: message" to stderr and returns exit status 1.
    int Fail(const QString& message) const { return cli::Tool::Fail(message.toStdString()); }

    // Help: prints the usage and help, 0. BadUsage: the usage on stderr, 2.
    // Run: prepares the process, loads url into a page of the given size
    // and, once it holds an HTML document, returns work's exit status; a
    // page that fails to load or is not HTML gives 1 with its reason.
    int Run(Parsed parsed, int argc, char** argv, const QString& url, const QSize& size, unsigned timeoutMs,
        const std::function<int(HeadlessPage&)>& work) const;
};
