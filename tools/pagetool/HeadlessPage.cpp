#include "tools/pagetool/HeadlessPage.h"

#include "browserhost/PagePrinting.h"
#include "platform/webcontrol/FeatureControl.h"
#include "platform/webengine/QtWebBrowser.h"
#include "platform/webengine/WebEngineEnvironment.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QUrl>

#include <charconv>
#include <cstdio>

#include <unistd.h>

void PrepareHeadlessProcess()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareWebEngineEnvironment();
    InstallQtWebBrowser();
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

LoadWatch::LoadWatch(const QString& message, unsigned ms)
    : message_(QStringLiteral("%1: %2\n").arg(QCoreApplication::applicationName(), message).toLocal8Bit()),
      thread_([this, ms] {
          std::unique_lock lock(mutex_);
          if (!done_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return finished_; })) {
              [[maybe_unused]] const auto written = ::write(STDERR_FILENO, message_.constData(), message_.size());
              ::_exit(1);
          }
      })
{}

LoadWatch::~LoadWatch()
{
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    done_.notify_all();
    thread_.join();
}

std::optional<int> ParseNumber(const std::string& text, int low, int high)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<QSize> ParseSize(const std::string& text)
{
    constexpr int Largest = 20000;
    const auto cross = text.find('x');
    if (cross == std::string::npos)
        return std::nullopt;
    const auto width = ParseNumber(text.substr(0, cross), 1, Largest);
    const auto height = ParseNumber(text.substr(cross + 1), 1, Largest);
    if (!width || !height)
        return std::nullopt;
    return QSize(*width, *height);
}

HeadlessPage::HeadlessPage(const QSize& size) : browser_(new TSextant(&window_))
{
    window_.resize(size);
    browser_->setGeometry(QRect(QPoint(0, 0), size));
    browser_->SetSilent(true);
    // A command-line run loads pages for its caller, not visits of the user.
    browser_->SetRecordHistory(false);
    // A tool has no use for a page's pop-ups, and a page opening a thousand
    // of them would exhaust the machine: scripts may not open windows (so
    // window.open answers null at once), and any other new window is refused.
    CoInternetSetFeatureEnabled(FEATURE_WEBOC_POPUPMANAGEMENT, true);
    browser_->OnNewWindow2 = [](QObject*, IDispatch*&, WordBool& cancel) { cancel = true; };
    browser_->OnNavigateError
        = [this](TObject*, IDispatch* pDisp, OleVariant& URL, OleVariant&, OleVariant& StatusCode, WordBool&) {
              if (pDisp == browser_->Application())
                  error_ = QStringLiteral("%1 could not be loaded (error %2)")
                               .arg(QString::fromStdU16String(URL.toWideString()))
                               .arg(StatusCode.toInt());
          };
    window_.show();
}

QString HeadlessPage::Load(const QString& url, unsigned timeoutMs)
{
    error_.clear();
    if (!QUrl(url).isValid() || url.trimmed().isEmpty())
        return QStringLiteral("not an address: %1").arg(url);
    const QString late = QStringLiteral("%1 was not loaded within %2 ms").arg(url).arg(timeoutMs);
    // A page keeping the event loop busy must not hold the tool past its
    // time-out: a watch of its own ends the process a little after it.
    LoadWatch watch(late, timeoutMs + kWatchGraceMs);
    if (!browser_->Go(url, timeoutMs))
        return late;
    return error_;
}

int PageTool::Run(Parsed parsed, int argc, char** argv, const QString& url, const QSize& size, unsigned timeoutMs,
    const std::function<int(HeadlessPage&)>& work) const
{
    switch (parsed) {
    case Parsed::Help:
        return Help();
    case Parsed::BadUsage:
        return BadUsage();
    case Parsed::Run:
        break;
    }
    PrepareHeadlessProcess();
    QApplication application(argc, argv);
    HeadlessPage page(size);
    if (const QString error = page.Load(url, timeoutMs); !error.isEmpty())
        return Fail(error);
    if (!IsHtmlDocument(page.Browser().Document()))
        return Fail(QStringLiteral("%1 is not an HTML page").arg(url));
    return work(page);
}
