#pragma once
// The web-browser control on Qt WebEngine. QWebEnginePage's signals and
// overrides become the control's events, in the order the control raises them
// for a navigation: before-navigate (page and frames), download-begin,
// progress, status text, title, back/forward command state, navigate-complete,
// document-complete (frames, then the page), download-complete. A file://
// address of a local folder shows a folder view (a list of the folder's
// items) in place of the page; the engine loads its own listing of the
// folder behind it, so that folders take part in the engine's history.
// Addresses of schemes the engine does not load are offered to the desktop's
// programs only with the user's word, as IWebBrowser2 describes
// (WebBrowser.h).
#include "platform/webcontrol/WebBrowser.h"
#include "platform/webengine/EngineProfile.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <map>
#include <optional>

class QListWidget;
class QPrinter;
class QListWidgetItem;
class QStackedLayout;
class QWebEngineDownloadRequest;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;
class QWebEnginePage;
class QWebEngineHttpRequest;

// Makes CreateWebBrowser() answer a QtWebBrowser: the program and the engine
// tests call it once at start-up, before the first browser host is created.
void InstallQtWebBrowser();

class QtWebBrowser : public QObject, public IWebBrowser2, public IOleControl {
    Q_OBJECT
public:
    QtWebBrowser();
    ~QtWebBrowser() override;

    QWidget* window() override;
    void SetClientSite(IOleClientSite* site) override { site_ = site; }
    void Advise(DWebBrowserEvents2* sink) override { sink_ = sink; }

    HRESULT Navigate(const WideString& url, const Variant& flags, const Variant& targetFrameName,
        const Variant& postData, const Variant& headers) override;
    HRESULT Navigate2(const Variant& url, const Variant& flags, const Variant& targetFrameName, const Variant& postData,
        const Variant& headers) override;
    HRESULT GoBack() override;
    HRESULT GoForward() override;
    HRESULT GoHome() override;
    HRESULT Refresh() override;
    HRESULT Refresh2(const Variant& level) override;
    HRESULT Stop() override;
    HRESULT ExecWB(std::int32_t cmdId, std::int32_t cmdExecOpt, const Variant& in, Variant& out) override;
    HRESULT GetProperty(DISPID dispId, Variant& value) override;
    HRESULT PutProperty(DISPID dispId, const Variant& value) override;
    HRESULT DoVerb(std::int32_t verb) override;
    // DISPID_AMBIENT_USERAGENT: asks the site for its user agent (IAmbientUserAgent).
    HRESULT OnAmbientPropertyChange(DISPID dispId) override;

    // The page engine behind the control, for the document operations.
    QWebEnginePage* page() const;
    QWebEngineView* view() const { return view_; }
    // The folder view while one is shown, else nullptr.
    QListWidget* folderView() const;
    // The printer that ExecWB prints to and page setup configures.
    QPrinter* printer();

private:
    class Page;
    class HtmlDocument;
    class FolderDocument;
    class FrameDispatch;
    friend class Page;

    HRESULT fire(DISPID dispId, std::vector<Variant>& args);
    void fireNotify(DISPID dispId);
    // Raises OnBeforeNavigate2; True when a handler cancelled.
    bool beforeNavigate(IDispatch* disp, const QUrl& url, std::int32_t flags, const WideString& targetFrame,
        const Variant& postData, const WideString& headers);
    bool acceptNavigation(const QUrl& url, int type, bool isMainFrame);
    // An address for a program of the desktop, past before-navigate: the
    // user's question once the engine's call has returned, unless the
    // control has navigated since.
    void offerToDesktop(const QUrl& url);
    void askToOpenWithDesktop(const QUrl& url, unsigned generation);
    bool engineRefusesLocalLink(const QUrl& url, int type);
    void openRefusedLocalLink(const QUrl& url);
    void startLoading();
    void beginDownload(const QUrl& url);
    void loadingChanged(const QWebEngineLoadingInfo& info);
    void completeNavigation(const QUrl& url);
    void completeDocument(const QStringList& frameUrls);
    void finishLoading();
    // The navigation ends without a new page: the page shown stays, complete.
    void endWithShownPage();
    void stopped(const QUrl& url);
    void fireCommandStates();
    void notifyViewCreated();
    void titleChanged(const QString& title);
    void statusText(const QString& text);
    void geometryRequested(const QRect& geometry);
    void closeRequested();
    void downloadRequested(QWebEngineDownloadRequest* download);
    QWebEnginePage* newWindow();
    HRESULT print(bool prompt, const Variant& headerFooter);
    HRESULT printPreview();
    HRESULT pageSetup();

    HRESULT goInHistory(bool possible, int action);
    void showFolder(const QString& path);
    void openFolderItem(QListWidgetItem* item);
    void showWebView();
    void showWebViewFor(const QUrl& url);
    void load(const QWebEngineHttpRequest& request);

    QPointer<QWidget> container_;
    QStackedLayout* stack_ = nullptr;
    QWebEngineView* view_ = nullptr;
    Page* page_ = nullptr;
    QListWidget* folder_ = nullptr;
    std::unique_ptr<FrameDispatch> frames_;
    std::unique_ptr<IDispatch> document_;

    DWebBrowserEvents2* sink_ = nullptr;
    IOleClientSite* site_ = nullptr;
    std::map<DISPID, Variant> properties_;

    bool busy_ = false;
    std::int32_t readyState_ = READYSTATE_UNINITIALIZED;
    QString locationUrl_;
    QString locationName_;
    QString reportedTitle_;
    // A navigation that Navigate already announced with before-navigate, so
    // that the engine's own request for it is not announced twice.
    unsigned announced_ = 0; // the generation of that navigation; 0: none
    bool refreshing_ = false;
    bool downloadBegun_ = false;
    // Stop was called; the engine's late reports of the stopped page are
    // dropped until the next navigation.
    bool stopping_ = false;
    // GoBack or GoForward asked the engine to move; its navigation has not
    // arrived yet.
    bool historyMove_ = false;
    // The last main-frame navigation the host refused; the engine still
    // reports its start and abort, which are dropped.
    QUrl refused_;
    // The address the current main-frame navigation is loading.
    QUrl navigating_;
    // Counts navigations, so that work queued for one (its frame query, a
    // refused local link, a question to the desktop) is dropped once a newer
    // one has started.
    unsigned generation_ = 0;
    // The navigation (generation) during which the user refused to open an
    // address with the desktop; its further requests are not asked.
    std::optional<unsigned> desktopRefusedIn_;
    std::unique_ptr<QPrinter> printer_;
    bool printing_ = false;
};
