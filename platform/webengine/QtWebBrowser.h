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
//
// The page's encryption state (OnSetSecureLockIcon) goes out before each
// navigate-complete of the page. The engine tells which address it committed
// and whether its certificate failed, but nothing of the connection's cipher
// or key size, so of the control's values it tells apart:
// - secureLockIconSecure128Bit: a page that came over https. The engine
//   commits one only with a certificate it verified (a failed one is refused
//   below) and negotiates TLS 1.2 or later with ciphers of 128 bits or more.
// - secureLockIconUnsecure: any other page, the engine's error page for an
//   https address that failed included.
// The others never come: the engine has no 40-bit, 56-bit or Fortezza
// ciphers; unknown bits would mean a page shown despite a failed
// certificate; mixed would mean insecure content on a secure page, which the
// engine blocks (scripts, frames, requests) or fetches over https instead
// (pictures, media).
//
// The control asks its client site the host questions of HostInterfaces.h:
// - GetHostInfo and the ambient download control before each page of the
//   main frame: DOCHOSTUIFLAG_DIALOG (no text selection), _SCROLL_NO (no
//   scroll bars) and _LOCAL_MACHINE_ACCESS_CHECK (no file: resources below
//   a page) apply, and the host's style sheet is added to every frame; of the
//   download control, DLCTL_DLIMAGES (pictures), _VIDEOS (media), _NO_SCRIPTS,
//   _NO_JAVA and _NO_RUNACTIVEXCTLS (plug-ins), _NO_FRAMEDOWNLOAD (frames) and
//   _OFFLINE/_FORCEOFFLINE (no network requests) apply. The other flags mean
//   nothing to this engine and are left to the host. GetDropTarget is asked
//   then too.
// - ShowContextMenu for each right click, with the context kind (image,
//   editable field, selected text, link, else default) and the control's
//   menus (IContextMenuSource); the control's own menu unless the host
//   answers S_OK.
// - TranslateAccelerator for each key before the page sees it.
// - ShowMessage for alert, confirm and prompt; the control's own box through
//   the application's dialogs unless the host answers S_OK.
// - OLECMDID_SHOWSCRIPTERROR (CGID_DocHostCommandHandler) for each uncaught
//   script error of a page, with the error event (IScriptErrorEvent): out
//   True lets scripts run on, False stops the page's scripts until the next
//   page, S_FALSE asks the user with the control's script-error box.
// - The services INewWindowManager (a page opening a window: the address,
//   target name and features its script or link gave; a window opened
//   another way is evaluated without them), IDownloadManager
//   (a response the page cannot show) and IAuthenticate (a 401 or 407 log-in).
#include "platform/webcontrol/HostInterfaces.h"
#include "platform/webcontrol/PageForms.h"
#include "platform/webcontrol/WebBrowser.h"
#include "platform/webengine/EngineProfile.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <map>
#include <optional>

class QListWidget;
class QPrinter;
class QListWidgetItem;
class QStackedLayout;
class QWebEngineCertificateError;
class QWebEngineDownloadRequest;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;
class QWebEnginePage;
class QWebEngineHttpRequest;
class QAuthenticator;
class QKeyEvent;
class QMenu;

// Makes CreateWebBrowser() answer a QtWebBrowser: the program and the engine
// tests call it once at start-up, before the first browser host is created.
void InstallQtWebBrowser();

class QtWebBrowser : public QObject,
                     public IWebBrowser2,
                     public IOleControl,
                     public IContextMenuSource,
                     public IFileChoosers {
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
    // IOleControl: a changed download control applies from the next page; a
    // changed user agent (DISPID_AMBIENT_USERAGENT) is asked from the site's
    // ambient properties at once: a text answered (its trailing CR LF
    // dropped) goes to servers in the User-Agent header and to pages as
    // navigator.userAgent; no answer gives back the engine's own agent. The
    // engine keeps one agent for all controls of the process, so the last
    // answer holds for every browser.
    HRESULT OnAmbientPropertyChange(DISPID dispId) override;
    void RegisterDragDrop(IDropTarget* target) override;
    // IContextMenuSource: the control's menus per context kind.
    //   default: Back, Forward, Save Background As, Set as Background, Copy
    //     Background, Set as Desktop Item, Select All, Paste, Create Shortcut,
    //     Add to Favorites, View Source, Encoding, Print, Refresh, Properties
    //   image: Open Link, Open Link in New Window (on a linked picture), Save
    //     Picture As, Set as Background, Copy, Properties
    //   editable field: Cut, Copy, Paste, Select All
    //   table: Select All, Print, Refresh, Properties
    //   selected text: Copy, Select All, Print
    //   link: Open Link, Open Link in New Window, Save Target As, Copy
    //     Shortcut, Add to Favorites, Properties
    // Items without meaning on this desktop (the background and desktop
    // items) are shown disabled.
    QMenu* CreateContextMenu(DWORD kind) override;
    QWidget* MenuOwner() override;
    void ExecMenuCommand(int commandId) override;

    // The page engine behind the control, for the document operations.
    QWebEnginePage* page() const;
    QWebEngineView* view() const { return view_; }
    // The folder view while one is shown, else nullptr.
    QListWidget* folderView() const;
    // The printer that ExecWB prints to and page setup configures.
    QPrinter* printer();

    // The page's next file chooser goes to answer (PageForms.h), and done
    // learns whether a file was chosen once it is answered; nullptr gives
    // the choosers back to the user. A file chooser is always a non-native
    // Qt file dialog of this process, so that keys typed in the process
    // reach it.
    void ExpectFileChooser(IFileChooserAnswer* answer, std::function<void(bool chosen)> done);
    // A left mouse press and release at position of the view, as a user's.
    void PressAt(const QPointF& position);
    void RefuseUnexpectedChoosers(bool refuse) override { choosersRefused_ += refuse ? 1 : -1; }

private:
    class Page;
    class HtmlDocument;
    class FolderDocument;
    class FrameDispatch;
    class RequestFilter;
    class ScriptErrorEvent;
    friend class Page;

    // Host questions.
    void connectHostQuestions();
    template <class Interface> Interface* hostInterface() const { return dynamic_cast<Interface*>(site_); }
    template <class Interface> Interface* hostService(const GUID& service, const GUID& iid) const;
    void applyHostSettings();
    void showContextMenu(const QPoint& position);
    DWORD contextKind() const;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool translateAccelerator(const QKeyEvent* key);
    bool routeDrop(QEvent* event);
    void pageReport(const QString& report);
    void askScriptError(const QMap<QString, QString>& error);
    void stopScripts();
    bool askHost(const QString& text, DWORD type, std::intptr_t& answer);
    void alert(const QString& text);
    bool confirm(const QString& text);
    bool prompt(const QString& text, const QString& defaultValue, QString* result);
    bool newWindowAllowed();
    void authenticate(const QUrl& url, QAuthenticator* authenticator, const QString& proxyHost);
    bool hostTookDownload(QWebEngineDownloadRequest* download);
    void offerDownload(QWebEngineDownloadRequest* download);
    void saveDownload(QWebEngineDownloadRequest* download, const QString& target, bool openAfterwards);
    HRESULT documentExec(DWORD cmdId, const Variant& in, Variant& out);
    // A command of the document's command target; nothing without one.
    void documentCommand(const GUID* group, DWORD commandId);
    void applyZoom();

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
    // The page at url is shown; failed: the engine's error page for it.
    void completeNavigation(const QUrl& url, bool failed = false);
    void completeDocument(const QStringList& frameUrls);
    void finishLoading();
    // The navigation ends without a new page: the page shown stays, complete.
    void endWithShownPage();
    void stopped(const QUrl& url);
    void showOfflinePage(const QUrl& url);
    void fireCommandStates();
    // The encryption state of the page that came from url.
    std::int32_t secureLockOf(const QUrl& url) const;
    // A secure site's certificate failed: the user decides whether to go on
    // (see certificateQuestion in the source).
    void certificateFailed(QWebEngineCertificateError error);
    void refuseCertificate(QWebEngineCertificateError& error);
    void fireSecureLock(std::int32_t secureLock);
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

    QStringList chooseFiles(int mode, const QStringList& oldFiles);
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

    RequestFilter* requestFilter_ = nullptr; // a child of this object
    // The host's drop target; nullptr while the engine takes drops itself.
    IDropTarget* dropTarget_ = nullptr;
    // Marks the page's reports (script errors, windows opened), so that
    // nothing else in the console passes for one.
    QString reportMark_;
    // The page's scripts were stopped after an error; the next page runs them.
    bool scriptsStopped_ = false;
    // The window a page is opening, reported before the engine asks for it.
    QUrl openingUrl_;
    QString openingName_;
    QString openingFeatures_;
    bool openingUserInitiated_ = false;
    // Where the right click was: the link and the picture under it.
    QUrl contextLink_;
    // The page the user refused to open for its certificate: once the engine
    // has shown its error page for it, the control goes back to the page
    // before.
    QUrl backAfterRefusal_;
    QString contextLinkText_;
    QUrl contextMedia_;
    IFileChooserAnswer* chooserAnswer_ = nullptr;
    std::function<void(bool)> chooserDone_;
    int choosersRefused_ = 0;
    int textSize_ = 2;
    int opticalZoom_ = 100;
};
