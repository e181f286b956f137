#include "addressbar/SiteIcons.h"

#include "platform/files/SafeFile.h"
#include "platform/urlmon/DownloadToFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <utility>

namespace {

// An icon is small, and the head of a page names its icon early; a site that
// sends more, or takes longer, has none.
constexpr DownloadLimits kIconLimits{std::chrono::milliseconds(10000), 512 * 1024};
constexpr int kPollIntervalMs = 15;

// The address of the first icon a page names in a <link rel="icon"> (or
// "shortcut icon"), resolved against the page's address; only a web address
// is taken. Empty when the page names none.
QString linkedIconAddress(const QByteArray& page, const QString& pageAddress)
{
    static const QRegularExpression link(QStringLiteral("<link\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression iconRel(
        QStringLiteral("\\brel\\s*=\\s*[\"']?[^\"'>]*\\bicon\\b"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression href(QStringLiteral("\\bhref\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QString text = QString::fromUtf8(page);
    for (auto tags = link.globalMatch(text); tags.hasNext();) {
        const QString tag = tags.next().captured(0);
        const QRegularExpressionMatch target = href.match(tag);
        if (!iconRel.match(tag).hasMatch() || !target.hasMatch())
            continue;
        const QString value = target.captured(1) + target.captured(2) + target.captured(3);
        const QUrl icon = QUrl(pageAddress).resolved(QUrl(value.trimmed()));
        if (icon.isValid() && (icon.scheme() == QLatin1String("http") || icon.scheme() == QLatin1String("https")))
            return icon.toString(QUrl::FullyEncoded);
    }
    return {};
}

} // namespace

// One host's fetch: its icon at the root first; when that fails and a page
// was given, the page, then the icon the page names.
struct TSiteIcons::Running {
    enum class Step { RootIcon, Page, LinkedIcon };
    QString file;
    QString page;
    Step step = Step::RootIcon;
    std::unique_ptr<TFileDownload> download;

    QString pageFile() const { return file + QStringLiteral(".page"); }

    void start(const QString& address, const QString& target)
    {
        download = std::make_unique<TFileDownload>(address.toStdU16String(), target.toStdString(), kIconLimits);
        download->Start();
    }

    // Moves on once the current download is done. True when the fetch has
    // ended; fetched then tells whether the icon file was written.
    bool advance(bool& fetched)
    {
        if (!download->Done())
            return false;
        fetched = download->Result() == S_OK;
        switch (step) {
        case Step::RootIcon:
            if (fetched || page.isEmpty())
                return true;
            step = Step::Page;
            start(page, pageFile());
            return false;
        case Step::Page: {
            const QString icon = fetched ? iconNamedByPage() : QString();
            QFile::remove(pageFile());
            fetched = false;
            if (icon.isEmpty())
                return true;
            step = Step::LinkedIcon;
            start(icon, file);
            return false;
        }
        case Step::LinkedIcon:
            return true;
        }
        return true;
    }

    QString iconNamedByPage() const
    {
        QFile content(pageFile());
        if (!content.open(QIODevice::ReadOnly))
            return {};
        return linkedIconAddress(content.read(kIconLimits.maxBytes), page);
    }
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

void TSiteIcons::Fetch(const QString& host, const QString& address, const QString& file, const QString& page)
{
    if (Fetching(host) || (address.isEmpty() && page.isEmpty()))
        return;
    QDir().mkpath(QFileInfo(file).absolutePath());
    auto running = std::make_shared<Running>();
    running->file = file;
    running->page = page;
    if (!page.isEmpty())
        pageTried_.insert(host);
    if (address.isEmpty()) {
        running->step = Running::Step::Page;
        running->start(page, running->pageFile());
    } else {
        running->start(address, file);
    }
    running_.insert(host, running);
    poller_.start();
}

void TSiteIcons::poll()
{
    UrlMonProcessPending(0);
    // A copy: a handler of Fetched may start another fetch.
    const auto running = running_;
    for (auto it = running.begin(); it != running.end(); ++it) {
        bool fetched = false;
        if (!it.value()->advance(fetched))
            continue;
        running_.remove(it.key());
        emit Fetched(it.key(), it.value()->file, fetched);
    }
    if (running_.isEmpty())
        poller_.stop();
}
