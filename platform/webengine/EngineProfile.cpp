#include "platform/webengine/EngineProfile.h"

#include "platform/inet/ProcessProxy.h"
#include "platform/inet/UrlCache.h"
#include "platform/inet/UrlHistory.h"
#include "platform/registry/Profile.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace {

// No folder can be made below this path, by any user.
constexpr char UncreatableFolder[] = "/dev/null";
// The longest wait for the engine to take a change of the proxy.
constexpr int ProxyChangeTimeoutMs = 5000;

// Gives an environment variable a value for the life of the object; the
// variable is restored afterwards, unset when it was unset.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(const char* name, const QByteArray& value)
        : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), saved_(qgetenv(name))
    {
        qputenv(name_, value);
    }
    ~ScopedEnvironmentVariable()
    {
        if (wasSet_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    const char* name_;
    bool wasSet_;
    QByteArray saved_;
};

// Drops the engine's warning that it could not make its folder below the
// uncreatable path; every other message goes on as before.
class ScopedFolderWarningFilter {
public:
    ScopedFolderWarningFilter() { previous() = qInstallMessageHandler(&filter); }
    ~ScopedFolderWarningFilter() { qInstallMessageHandler(previous()); }
    ScopedFolderWarningFilter(const ScopedFolderWarningFilter&) = delete;
    ScopedFolderWarningFilter& operator=(const ScopedFolderWarningFilter&) = delete;

private:
    static QtMessageHandler& previous()
    {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    static void filter(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type == QtWarningMsg && message.contains(QLatin1String(UncreatableFolder)))
            return;
        if (previous())
            previous()(type, context, message);
    }
};

// A persistent profile that has not written anything yet. Qt WebEngine 6.4
// sets up a new profile's preferences in the standard data location
// ($XDG_DATA_HOME/<application>/QtWebEngine/<name>) before a storage path
// can be given, and writes them there once the path changes. With that
// location uncreatable for the moment of construction, the first
// preferences stay in memory and the profile's files start at the path set
// afterwards. The engine is started first (the default profile keeps
// nothing on disk), so that its start-up reads the true environment.
QWebEngineProfile* createUnwrittenProfile(const QString& name)
{
    QWebEngineProfile::defaultProfile();
    ScopedFolderWarningFilter quiet;
    ScopedEnvironmentVariable dataHome("XDG_DATA_HOME", UncreatableFolder);
    return new QWebEngineProfile(name, qApp);
}

// The engine reads Qt's application proxy when it next resolves a proxy, and
// the request that makes it read still goes the old way. One request to a
// closed loopback port (never sent through a proxy) makes it take a change
// before the next page is asked for.
void takeProxyChange()
{
    if (QCoreApplication::closingDown())
        return;
    QWebEnginePage page(EngineProfile());
    QEventLoop loop;
    QObject::connect(&page, &QWebEnginePage::loadFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(ProxyChangeTimeoutMs, &loop, &QEventLoop::quit);
    page.load(QUrl(QStringLiteral("http://127.0.0.1:9/")));
    loop.exec();
}

// The bytes of the files below folder.
qint64 folderSize(const QString& folder)
{
    qint64 bytes = 0;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
         it.hasNext();) {
        it.next();
        bytes += it.fileInfo().size();
    }
    return bytes;
}

} // namespace

QWebEngineProfile* EngineProfile()
{
    static QPointer<QWebEngineProfile> profile;
    if (!profile) {
        const QString folder = ProfileFolder();
        profile = createUnwrittenProfile(QStringLiteral("ZarnWeb"));
        profile->setPersistentStoragePath(folder + QStringLiteral("/Engine"));
        profile->setCachePath(folder + QStringLiteral("/Cache/Engine"));
        SetProcessProxyChangedHandler(takeProxyChange);
        AddUrlHistoryListener([](TUrlHistoryChange change) {
            if (profile && change == TUrlHistoryChange::hcCleared)
                profile->clearAllVisitedLinks();
        });
        // clearHttpCache would hold every load started before it finishes,
        // without a word of when that is; closing the disk cache for a
        // moment instead lets the folder be emptied at once.
        SetHttpCacheClearHandler([]() -> qint64 {
            if (!profile)
                return 0;
            const QString folder = profile->cachePath();
            const qint64 held = folderSize(folder);
            profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
            QDir(folder).removeRecursively();
            profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
            return held;
        });
    }
    return profile;
}
