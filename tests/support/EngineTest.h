#pragma once
// Helpers for tests of the real page engine (QtWebBrowser offscreen): waiting
// for a navigation, running a script in the page, and taking the desktop's
// hand-over of addresses so that no test starts a real program.
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <cstdint>

class IWebBrowser2;
class QWebEnginePage;

// Navigates the control and waits until it is no longer busy; false when it
// still is after timeoutMs.
bool NavigateAndWait(IWebBrowser2& browser, const QString& url, int timeoutMs = 20000);

// The control's Busy property, and a property read as text
// (DISPID_LOCATIONURL, DISPID_LOCATIONNAME, ...).
bool IsBusy(IWebBrowser2& browser);
QString TextProperty(IWebBrowser2& browser, std::int32_t dispId);

// Runs a script in the page's main world and waits for its result; an
// invalid QVariant when none came within timeoutMs.
QVariant RunScript(QWebEnginePage* page, const QString& script, int timeoutMs = 20000);

// For its life, takes QDesktopServices::openUrl of the given schemes in place
// of the user's programs, and records the addresses handed over.
class DesktopUrlRecorder : public QObject {
    Q_OBJECT
public:
    explicit DesktopUrlRecorder(const QStringList& schemes);
    ~DesktopUrlRecorder() override;

    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl& url);

private:
    QStringList schemes_;
};
