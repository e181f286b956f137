#include "addressbar/SiteIcons.h"

#include "platform/files/SafeFile.h"
#include "platform/urlmon/DownloadToFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

// An icon is small; a site that sends more, or takes longer, has none.
constexpr DownloadLimits kIconLimits{std::chrono::milliseconds(10000), 512 * 1024};
constexpr int kPollIntervalMs = 15;

} // namespace

struct TSiteIcons::Running {
    QString file;
    std::unique_ptr<TFileDownload> download;
};

TSiteIcons& TSiteIcons::Instance()
{
    static auto* icons = new TSiteIcons; // lives as long as the icon list it indexes
    return *icons;
}

TSiteIcons::TSiteIcons()
{
    poller_.setInterval(kPollIntervalMs);
    connect(&poller_, &QTimer::timeout, this, &TSiteIcons::poll);
}

TSiteIcons::~TSiteIcons() = default;

int TSiteIcons::IndexOf(const QString& host) const { return indexOfHost_.value(host, Unknown); }

void TSiteIcons::Remember(const QString& host, int index) { indexOfHost_.insert(host, index); }

void TSiteIcons::MarkFailed(const QString& host) { indexOfHost_.insert(host, -1); }

QString TSiteIcons::FileFor(const QString& cacheFolder, const QString& host)
{
    const std::string name = SafeFileName((host + QStringLiteral(".ico")).toStdString(), "site.ico");
    return cacheFolder + QStringLiteral("SiteIcons/") + QString::fromStdString(name);
}

bool TSiteIcons::Fetching(const QString& host) const { return running_.contains(host); }

void TSiteIcons::Fetch(const QString& host, const QString& address, const QString& file)
{
    if (Fetching(host))
        return;
    QDir().mkpath(QFileInfo(file).absolutePath());
    auto running = std::make_shared<Running>();
    running->file = file;
    running->download = std::make_unique<TFileDownload>(address.toStdU16String(), file.toStdString(), kIconLimits);
    running_.insert(host, running);
    running->download->Start();
    poller_.start();
}

void TSiteIcons::poll()
{
    UrlMonProcessPending(0);
    // A copy: a handler of Fetched may start another fetch.
    const auto running = running_;
    for (auto it = running.begin(); it != running.end(); ++it) {
        if (!it.value()->download->Done())
            continue;
        running_.remove(it.key());
        emit Fetched(it.key(), it.value()->file, it.value()->download->Result() == S_OK);
    }
    if (running_.isEmpty())
        poller_.stop();
}
