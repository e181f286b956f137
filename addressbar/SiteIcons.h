#pragma once
// The site icons of the process, one per host: their icon list indices, the
// hosts that have none, and the fetches still running. A fetch runs in the
// background on the user-interface thread (driven by a timer), bounded in
// time and size, and writes the icon file into the profile's cache, where a
// later start finds it. A host whose fetch failed is not fetched again while
// the program runs.
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <memory>

class TFileDownload;

class TSiteIcons : public QObject {
    Q_OBJECT
public:
    static TSiteIcons& Instance();

    // The icon list index of the host's icon; -1 when it has none (a failed
    // fetch); Unknown when it was not looked at yet.
    static constexpr int Unknown = -2;
    int IndexOf(const QString& host) const;
    void Remember(const QString& host, int index);
    void MarkFailed(const QString& host);

    // The host's icon file in the cache folder (cacheFolder + "SiteIcons/").
    static QString FileFor(const QString& cacheFolder, const QString& host);

    bool Fetching(const QString& host) const;
    // Starts fetching the icon at address into file for host; Fetched
    // follows. When that fails (or address is empty) and page is the
    // address of a page of the host, the icon the page names in a
    // <link rel="icon"> is fetched instead (web addresses only).
    void Fetch(const QString& host, const QString& address, const QString& file, const QString& page = QString());
    // Whether a fetch of the host already looked at a page of it.
    bool PageTried(const QString& host) const { return pageTried_.contains(host); }

signals:
    // A fetch ended: ok when the file was written.
    void Fetched(const QString& host, const QString& file, bool ok);

private:
    TSiteIcons();
    ~TSiteIcons() override;
    void poll();

    struct Running;
    QHash<QString, int> indexOfHost_;
    QSet<QString> pageTried_;
    QHash<QString, std::shared_ptr<Running>> running_;
    QTimer poller_;
};
