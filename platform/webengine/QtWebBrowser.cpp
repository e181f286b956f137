#include "platform/webengine/QtWebBrowser.h"

#include "platform/inet/ProcessProxy.h"
#include "platform/print/PageSetup.h"
#include "platform/registry/Registry.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/webcontrol/FeatureControl.h"
#include "platform/webcontrol/TypedAddress.h"
#include "platform/webcontrol/WindowClass.h"
#include "platform/webengine/EngineDocument.h"
#include "platform/webengine/PagePrinter.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QListWidget>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSet>
#include <QSslCertificate>
#include <QStackedLayout>
#include <QTimer>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>
#include <QWindow>

namespace {

// Chromium's net error for a request that was cancelled (stop, or a
// navigation refused by the host).
constexpr int NetErrorAborted = -3;
// Chromium's net error for a request the request filter refused.
constexpr int NetErrorBlockedByClient = -20;
// The control's status code for a page whose certificate failed.
constexpr std::int32_t INET_E_INVALID_CERTIFICATE = makeHResult(0x800C0019);
// How long the page may take to name its frames before the page's
// document-complete goes out without them.
constexpr int FrameQueryTimeoutMs = 2000;
// The grid of the folder view's icons.
constexpr QSize FolderGridSize(96, 72);
// How much of an address the question to open it with the desktop shows.
constexpr qsizetype ShownAddressLength = 300;

QString toQString(const WideString& text) { return QString::fromStdU16String(text); }
WideString toWideString(const QString& text) { return text.toStdU16String(); }
Variant toVariant(const QString& text) { return Variant(toWideString(text)); }

// The local folder a file: address names, or an empty text.
QString folderOf(const QUrl& url)
{
    if (!url.isLocalFile())
        return {};
    const QString path = QDir::cleanPath(url.toLocalFile());
    return QFileInfo(path).isDir() ? path : QString();
}

// A folder view's title: the folder's name, or the path of the root.
QString folderTitle(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

QByteArray postDataOf(const Variant& postData)
{
    if (const auto* bytes = postData.get<Variant::Bytes>())
        return QByteArray(reinterpret_cast<const char*>(bytes->data()), qsizetype(bytes->size()));
    if (const auto* text = postData.get<WideString>())
        return toQString(*text).toUtf8();
    return {};
}

// Whether the engine loads addresses of this scheme itself; the others
// belong to programs of the desktop.
bool engineLoads(const QUrl& url)
{
    static const QStringList ownSchemes
        = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file"), QStringLiteral("about"),
            QStringLiteral("data"), QStringLiteral("blob"), QStringLiteral("filesystem"), QStringLiteral("javascript"),
            QStringLiteral("view-source"), QStringLiteral("qrc"), QStringLiteral("chrome"), QStringLiteral("devtools")};
    const QString scheme = url.scheme();
    return scheme.isEmpty() || ownSchemes.contains(scheme) || EngineProfile()->urlSchemeHandler(scheme.toLatin1());
}

// "host:port" of an address, the unit a certificate is trusted for.
QString siteOf(const QUrl& url) { return url.host().toLower() + u':' + QString::number(url.port(443)); }

// Certificates the user chose to trust despite their failure ("site
// digest"), and the sites they belong to, for as long as the program runs.
QSet<QString>& acceptedCertificates()
{
    static QSet<QString> accepted;
    return accepted;
}
QSet<QString>& untrustedSites()
{
    static QSet<QString> sites;
    return sites;
}

QString desktopQuestion(const QUrl& url)
{
    QString address = QString::fromLatin1(url.toEncoded());
    if (address.size() > ShownAddressLength)
        address = address.left(ShownAddressLength) + QStringLiteral("...");
    return QStringLiteral("Open this address with the program for \"%1\" addresses?\n\n%2").arg(url.scheme(), address);
}

// "Name: value" lines separated by CR LF, as the headers argument carries them.
void applyHeaders(QWebEngineHttpRequest& request, const QString& headers)
{
    for (const QString& line : headers.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(u':');
        if (colon > 0)
            request.setHeader(line.left(colon).trimmed().toLatin1(), line.mid(colon + 1).trimmed().toUtf8());
    }
}

} // namespace

// The object that stands for a frame of the page in frame events (pDisp):
// Qt WebEngine does not expose frames, so all of them share one.
class QtWebBrowser::FrameDispatch : public IDispatch {};

class QtWebBrowser::HtmlDocument : public EngineDocument {
public:
    explicit HtmlDocument(QtWebBrowser* owner) : EngineDocument(owner) {}
    WideString get_URL() const override { return toWideString(browser_->locationUrl_); }
    WideString get_title() const override { return toWideString(browser_->locationName_); }
    // Zoom and optical zoom with their ranges first, then the document's
    // editing and command windows.
    HRESULT Exec(const GUID* cmdGroup, DWORD cmdId, DWORD cmdExecOpt, const Variant& in, Variant& out) override
    {
        if (!cmdGroup) {
            const HRESULT zoom = browser_->documentExec(cmdId, in, out);
            if (zoom != OLECMDERR_E_NOTSUPPORTED)
                return zoom;
        }
        return EngineDocument::Exec(cmdGroup, cmdId, cmdExecOpt, in, out);
    }
};

// A folder view's document: not an HTML document.
class QtWebBrowser::FolderDocument : public IDispatch {};

class QtWebBrowser::Page : public QWebEnginePage {
public:
    explicit Page(QtWebBrowser* owner) : QWebEnginePage(EngineProfile(), owner), owner_(owner) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        return owner_->acceptNavigation(url, type, isMainFrame);
    }
    QWebEnginePage* createWindow(WebWindowType) override
    {
        return owner_->newWindowAllowed() ? owner_->newWindow() : nullptr;
    }
    void javaScriptAlert(const QUrl&, const QString& text) override
    {
        if (!owner_->properties_[DISPID_SILENT].toBool())
            owner_->alert(text);
    }
    bool javaScriptConfirm(const QUrl&, const QString& text) override { return owner_->confirm(text); }
    // With input prompts blocked, prompt() answers null without asking.
    bool javaScriptPrompt(const QUrl&, const QString& text, const QString& value, QString* result) override
    {
        return !CoInternetIsFeatureEnabled(FEATURE_BLOCK_INPUT_PROMPTS) && owner_->prompt(text, value, result);
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int, const QString&) override
    {
        owner_->pageReport(message);
    }
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles, const QStringList&) override
    {
        return owner_->chooseFiles(mode, oldFiles);
    }

private:
    QtWebBrowser* owner_;
};

QtWebBrowser::QtWebBrowser() : frames_(std::make_unique<FrameDispatch>())
{
    properties_ = {
        {DISPID_VISIBLE, Variant::fromBool(true)},
        {DISPID_STATUSBAR, Variant::fromBool(false)},
        {DISPID_STATUSTEXT, Variant(WideString())},
        {DISPID_TOOLBAR, Variant(std::int32_t(0))},
        {DISPID_MENUBAR, Variant::fromBool(false)},
        {DISPID_FULLSCREEN, Variant::fromBool(false)},
        {DISPID_SILENT, Variant::fromBool(false)},
        {DISPID_REGISTERASBROWSER, Variant::fromBool(false)},
        {DISPID_REGISTERASDROPTARGET, Variant::fromBool(true)},
        {DISPID_THEATERMODE, Variant::fromBool(false)},
        {DISPID_ADDRESSBAR, Variant::fromBool(false)},
        {DISPID_RESIZABLE, Variant::fromBool(true)},
        {DISPID_LOCALFILEACCESS, Variant::fromBool(false)},
    };
    container_ = new QWidget;
    SetWindowClassName(container_, WC_SHELLEMBEDDING);
    stack_ = new QStackedLayout(container_);
    view_ = new QWebEngineView(container_);
    SetWindowClassName(view_, WC_DOCOBJECTVIEW);
    page_ = new Page(this);
    view_->setPage(page_);
    // Every address the engine does not load reaches acceptNavigation, which
    // asks the user; the engine itself never hands one to the desktop.
    page_->settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowAllUnknownUrlSchemes);
    page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    stack_->addWidget(view_);
    container_->setFocusProxy(view_);

    connect(page_, &QWebEnginePage::loadingChanged, this, &QtWebBrowser::loadingChanged);
    connect(page_, &QWebEnginePage::loadProgress, this, [this](int progress) {
        if (busy_) {
            std::vector<Variant> args{std::int32_t(progress), std::int32_t(100)};
            fire(DISPID_PROGRESSCHANGE, args);
        }
    });
    // The engine lists a folder as a page of its own behind the folder view;
    // that page's title is not the view's.
    connect(page_, &QWebEnginePage::titleChanged, this, [this](const QString& title) {
        if (folderOf(page_->url()).isEmpty())
            titleChanged(title);
    });
    connect(page_, &QWebEnginePage::linkHovered, this, &QtWebBrowser::statusText);
    connect(page_, &QWebEnginePage::geometryChangeRequested, this, &QtWebBrowser::geometryRequested);
    connect(page_, &QWebEnginePage::windowCloseRequested, this, &QtWebBrowser::closeRequested);
    connect(EngineProfile(), &QWebEngineProfile::downloadRequested, this, &QtWebBrowser::downloadRequested);
    connect(view_, &QWebEngineView::printFinished, this, [this](bool) { printing_ = false; });
    connect(page_, &QWebEnginePage::certificateError, this, &QtWebBrowser::certificateFailed);
    connectHostQuestions();
}

QtWebBrowser::~QtWebBrowser()
{
    qApp->removeEventFilter(this);
    sink_ = nullptr;
    busy_ = false;
    // The view goes before its page, and the page before this object's
    // members, since the page answers pending script calls as it dies.
    delete container_;
    delete page_;
}

QWidget* QtWebBrowser::window() { return container_; }
QWebEnginePage* QtWebBrowser::page() const { return page_; }
QListWidget* QtWebBrowser::folderView() const { return stack_->currentWidget() == folder_ ? folder_ : nullptr; }

HRESULT QtWebBrowser::fire(DISPID dispId, std::vector<Variant>& args)
{
    return sink_ ? sink_->Invoke(dispId, args) : S_OK;
}

void QtWebBrowser::fireNotify(DISPID dispId)
{
    std::vector<Variant> none;
    fire(dispId, none);
}

bool QtWebBrowser::beforeNavigate(IDispatch* disp, const QUrl& url, std::int32_t flags, const WideString& targetFrame,
    const Variant& postData, const WideString& headers)
{
    std::vector<Variant> args{disp, toVariant(url.toString()), Variant(flags), Variant(targetFrame), postData,
        Variant(headers), Variant::fromBool(false)};
    fire(DISPID_BEFORENAVIGATE2, args);
    return args[6].toBool();
}

HRESULT QtWebBrowser::Navigate(const WideString& url, const Variant& flags, const Variant& targetFrameName,
    const Variant& postData, const Variant& headers)
{
    return Navigate2(Variant(url), flags, targetFrameName, postData, headers);
}

HRESULT QtWebBrowser::Navigate2(const Variant& url, const Variant& flags, const Variant& targetFrameName,
    const Variant& postData, const Variant& headers)
{
    const QUrl target = FixUpAddress(toQString(url.toWideString()), QDir::currentPath());
    if (!target.isValid())
        return E_INVALIDARG;
    if (beforeNavigate(this, target, flags.toInt(), targetFrameName.toWideString(), postData, headers.toWideString()))
        return S_OK;
    if (!engineLoads(target)) {
        offerToDesktop(target);
        return S_OK;
    }
    ++generation_;
    QWebEngineHttpRequest request(target);
    if (const QByteArray body = postDataOf(postData); !body.isEmpty()) {
        request.setMethod(QWebEngineHttpRequest::Post);
        request.setPostData(body);
    }
    applyHeaders(request, toQString(headers.toWideString()));
    announced_ = generation_;
    load(request);
    return S_OK;
}

void QtWebBrowser::load(const QWebEngineHttpRequest& request)
{
    showWebViewFor(request.url());
    refreshing_ = false;
    stopping_ = false;
    downloadBegun_ = false;
    refused_.clear();
    // The engine may finish the page it replaces inside load(); the new
    // navigation is busy from here on.
    const unsigned generation = generation_;
    navigating_ = request.url();
    page_->load(request);
    if (generation == generation_) // not stopped by a handler meanwhile
        startLoading();
}

void QtWebBrowser::startLoading()
{
    page_->settings()->setAttribute(
        QWebEngineSettings::JavascriptCanOpenWindows, !CoInternetIsFeatureEnabled(FEATURE_WEBOC_POPUPMANAGEMENT));
    stopping_ = false;
    busy_ = true;
    readyState_ = READYSTATE_LOADING;
}

bool QtWebBrowser::acceptNavigation(const QUrl& url, int type, bool isMainFrame)
{
    if (!engineLoads(url)) {
        IDispatch* disp = isMainFrame ? static_cast<IDispatch*>(this) : frames_.get();
        if (!beforeNavigate(disp, url, 0, WideString(), Variant(), WideString()))
            offerToDesktop(url);
        return false;
    }
    if (!isMainFrame)
        return !beforeNavigate(frames_.get(), url, 0, WideString(), Variant(), WideString());
    if (type == QWebEnginePage::NavigationTypeRedirect) {
        navigating_ = url;
        return true;
    }
    if (type == QWebEnginePage::NavigationTypeTyped && announced_) {
        // Announced by Navigate; refused when stopped or superseded since.
        if (std::exchange(announced_, 0u) != generation_)
            return false;
    } else if (type != QWebEnginePage::NavigationTypeReload) {
        const bool askedByHost
            = type == QWebEnginePage::NavigationTypeBackForward && std::exchange(historyMove_, false);
        if (beforeNavigate(this, url, 0, WideString(), Variant(), WideString())) {
            refused_ = url;
            // GoBack and GoForward are busy from the call on; refused, the
            // page shown stays, complete.
            if (askedByHost)
                endWithShownPage();
            return false;
        }
        ++generation_;
        if (engineRefusesLocalLink(url, type)) {
            openRefusedLocalLink(url);
            return false;
        }
        downloadBegun_ = false;
    }
    applyHostSettings();
    showWebViewFor(url);
    navigating_ = url;
    startLoading();
    beginDownload(url);
    return true;
}

// The engine lets a local page open another local file only where it may
// also read local files; a link followed there is refused.
bool QtWebBrowser::engineRefusesLocalLink(const QUrl& url, int type)
{
    return url.isLocalFile() && page_->url().isLocalFile() && !properties_[DISPID_LOCALFILEACCESS].toBool()
        && (type == QWebEnginePage::NavigationTypeLinkClicked || type == QWebEnginePage::NavigationTypeOther);
}

// The control opens the refused link itself, as Navigate does, once the
// engine's call has returned; before-navigate has been raised already.
void QtWebBrowser::openRefusedLocalLink(const QUrl& url)
{
    refused_ = url;
    const unsigned generation = generation_;
    QTimer::singleShot(0, this, [this, url, generation] {
        if (generation != generation_)
            return;
        announced_ = generation_;
        load(QWebEngineHttpRequest(url));
    });
}

void QtWebBrowser::offerToDesktop(const QUrl& url)
{
    if (properties_[DISPID_SILENT].toBool())
        return;
    // The question's own event loop must not run inside the engine's call.
    const unsigned generation = generation_;
    QMetaObject::invokeMethod(
        this, [this, url, generation] { askToOpenWithDesktop(url, generation); }, Qt::QueuedConnection);
}

void QtWebBrowser::askToOpenWithDesktop(const QUrl& url, unsigned generation)
{
    static bool asking = false;
    if (asking || generation != generation_ || generation == desktopRefusedIn_)
        return;
    QPointer<QtWebBrowser> self(this);
    asking = true;
    const int answer
        = Dialogs().MessageBox(desktopQuestion(url), ApplicationTitle(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    asking = false;
    if (answer != IDYES) {
        if (self)
            desktopRefusedIn_ = generation;
        return;
    }
    if (!QDesktopServices::openUrl(url)) {
        Dialogs().MessageBox(QStringLiteral("No program could be started for \"%1\" addresses.").arg(url.scheme()),
            ApplicationTitle(), MB_OK | MB_ICONERROR);
    }
}

// Download-begin, first progress and the status text of a main-frame
// navigation, once per navigation. The engine's own start report is not
// relied on: after a stopped page it may not come.
void QtWebBrowser::beginDownload(const QUrl& url)
{
    if (std::exchange(downloadBegun_, true))
        return;
    reportedTitle_.clear(); // every navigation reports its title
    fireNotify(DISPID_DOWNLOADBEGIN);
    std::vector<Variant> args{std::int32_t(0), std::int32_t(100)};
    fire(DISPID_PROGRESSCHANGE, args);
    statusText(url.toString());
}

void QtWebBrowser::loadingChanged(const QWebEngineLoadingInfo& info)
{
    // Addresses offered to the desktop are not the engine's loads, though it
    // reports their start and abort. When nothing else loads after such an
    // abort, the navigation that led there (a server's redirect) has ended.
    if (!engineLoads(info.url())) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus && busy_ && !page_->isLoading())
            endWithShownPage();
        return;
    }
    // The engine reports a failure as its error page; only the failure
    // itself counts.
    if (info.isErrorPage() && info.status() != QWebEngineLoadingInfo::LoadFailedStatus)
        return;
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        if (stopping_) {
            page_->triggerAction(QWebEnginePage::Stop);
            return;
        }
        if (info.url() == refused_)
            return;
        if (!busy_) // started by the engine itself (a reload from the page)
            navigating_ = info.url();
        startLoading();
        beginDownload(info.url());
        break;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        completeNavigation(info.url());
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        if (stopping_ || info.errorCode() == NetErrorAborted) {
            stopped(info.url());
            break;
        }
        {
            std::vector<Variant> args{static_cast<IDispatch*>(this), toVariant(info.url().toString()),
                Variant(WideString()), Variant(std::int32_t(info.errorCode())), Variant::fromBool(false)};
            fire(DISPID_NAVIGATEERROR, args);
        }
        completeNavigation(info.url(), true);
        if (info.errorCode() == NetErrorBlockedByClient && ProcessOffline())
            showOfflinePage(info.url());
        if (!backAfterRefusal_.isEmpty() && info.url() == std::exchange(backAfterRefusal_, QUrl())
            && page_->history()->canGoBack())
            QTimer::singleShot(0, this, [this] { GoBack(); });
        break;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        stopped(info.url());
        break;
    }
}

// In place of the engine's "blocked" page, which blames the wrong party:
// the page says in our words that the program works offline.
void QtWebBrowser::showOfflinePage(const QUrl& url)
{
    const QString script
        = QStringLiteral("document.title = 'You are working offline';"
                         "document.documentElement.innerHTML = '<head><title>You are working offline</title></head>"
                         "<body style=\"font-family: sans-serif; margin: 40px\"><h1>You are working offline</h1>"
                         "<p>ZarnWeb does not fetch pages from the network while File &gt; Work Offline is checked.</p>"
                         "<p>Uncheck it and refresh to load <b></b>.</p></body>';"
                         "document.querySelector('b').textContent = %1;")
              .arg(QString::fromUtf8(QJsonDocument(QJsonArray{url.toString()}).toJson(QJsonDocument::Compact))
                       .mid(1)
                       .chopped(1));
    page_->runJavaScript(script);
}

void QtWebBrowser::stopped(const QUrl& url)
{
    // A navigation the host refused, or a page replaced by a newer
    // navigation, reports its end late: not ours.
    if (url == std::exchange(refused_, QUrl()) || (!stopping_ && url != navigating_))
        return;
    // Aborted by the engine itself (a download, window.stop()): the page
    // that stays is complete.
    if (!stopping_ && busy_)
        readyState_ = READYSTATE_COMPLETE;
    finishLoading();
}

// A local folder's address completes as a folder view (the engine's own
// listing of it stays behind), any other as the page.
void QtWebBrowser::completeNavigation(const QUrl& url, bool failed)
{
    if (!busy_)
        return;
    const QString folder = folderOf(url);
    if (folder.isEmpty())
        showWebView();
    else
        showFolder(folder);
    locationUrl_ = folder.isEmpty() ? url.toString() : QUrl::fromLocalFile(folder).toString();
    if (refreshing_) {
        readyState_ = READYSTATE_COMPLETE;
        finishLoading();
        return;
    }
    if (!folder.isEmpty()) {
        document_ = std::make_unique<FolderDocument>();
        titleChanged(folderTitle(folder));
    } else {
        if (!dynamic_cast<HtmlDocument*>(document_.get()))
            document_ = std::make_unique<HtmlDocument>(this);
        if (auto* proxy = view_->focusProxy())
            SetWindowClassName(proxy, WC_IESERVER);
        titleChanged(page_->title());
    }
    fireCommandStates();
    notifyViewCreated();
    fireSecureLock(failed ? secureLockIconUnsecure : secureLockOf(url));
    std::vector<Variant> args{static_cast<IDispatch*>(this), toVariant(locationUrl_)};
    fire(DISPID_NAVIGATECOMPLETE2, args);
    if (!folder.isEmpty()) {
        completeDocument({});
        return;
    }
    // The frames' document-complete events come before the page's; the
    // engine names no frames, so the page is asked for its frames' addresses
    // (in an isolated script world that the page's scripts cannot alter).
    QPointer<QtWebBrowser> self(this);
    const unsigned generation = generation_;
    auto answered = std::make_shared<bool>(false);
    // A PDF or a picture is shown by the engine's own viewer page, which is
    // not an HTML document of the control.
    auto complete = [self, generation, answered](const QVariant& answer) {
        if (std::exchange(*answered, true) || !self || generation != self->generation_ || !self->busy_)
            return;
        const QVariantMap page = answer.toMap();
        if (page.value(QStringLiteral("type"), QStringLiteral("text/html")).toString().startsWith(u"image/")
            || page.value(QStringLiteral("type")).toString() == QLatin1String("application/pdf"))
            self->document_ = std::make_unique<NonHtmlDocument>();
        self->completeDocument(page.value(QStringLiteral("frames")).toStringList());
    };
    page_->runJavaScript(QStringLiteral("({frames: Array.from(document.querySelectorAll('iframe, frame'), f => f.src),"
                                        " type: document.contentType})"),
        QWebEngineScript::ApplicationWorld, complete);
    QTimer::singleShot(FrameQueryTimeoutMs, this, [complete] { complete(QVariant()); });
}

void QtWebBrowser::completeDocument(const QStringList& frameUrls)
{
    for (const QString& frameUrl : frameUrls) {
        std::vector<Variant> args{static_cast<IDispatch*>(frames_.get()), toVariant(frameUrl)};
        fire(DISPID_DOCUMENTCOMPLETE, args);
    }
    readyState_ = READYSTATE_COMPLETE;
    std::vector<Variant> args{static_cast<IDispatch*>(this), toVariant(locationUrl_)};
    fire(DISPID_DOCUMENTCOMPLETE, args);
    finishLoading();
}

void QtWebBrowser::finishLoading()
{
    if (!busy_)
        return;
    busy_ = false;
    refreshing_ = false;
    downloadBegun_ = false;
    fireNotify(DISPID_DOWNLOADCOMPLETE);
}

// A page committed over https had a verified certificate, unless the user
// went on past a failed one for its site; the engine's ciphers all have 128
// bits or more.
std::int32_t QtWebBrowser::secureLockOf(const QUrl& url) const
{
    const bool https = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    return https && !untrustedSites().contains(siteOf(url)) ? secureLockIconSecure128Bit : secureLockIconUnsecure;
}

// A secure site whose certificate the engine could not verify (self-signed,
// expired, for another name) is the user's decision, as in every browser:
// the question shows the site, the certificate's subject and issuer and the
// engine's error, and offers "Continue" and "Go back", "Go back" being the
// default. A "Continue" holds for that certificate of that site until the
// program ends, and the site's pages then show as not secure. An error the
// engine does not let anyone pass, and any while the control is silent, is
// refused without a question. A refusal is reported as a failed navigation,
// and the page shown before stays.
void QtWebBrowser::certificateFailed(QWebEngineCertificateError error)
{
    const QList<QSslCertificate> chain = error.certificateChain();
    const QSslCertificate certificate = chain.isEmpty() ? QSslCertificate() : chain.first();
    const QString site = siteOf(error.url());
    const QString accepted = site + u' ' + QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex());
    if (!error.isOverridable() || properties_[DISPID_SILENT].toBool()) {
        refuseCertificate(error);
        return;
    }
    if (acceptedCertificates().contains(accepted)) {
        error.acceptCertificate();
        return;
    }
    // The question's own event loop must not run inside the engine's call.
    error.defer();
    QPointer<QtWebBrowser> self(this);
    QMetaObject::invokeMethod(
        this,
        [this, self, error, certificate, site, accepted]() mutable {
            const auto names = [](const QStringList& parts) {
                return parts.isEmpty() ? QStringLiteral("(not named)") : parts.join(QStringLiteral(", "));
            };
            const QString text
                = QStringLiteral("The certificate of %1 is not trusted.\n\n"
                                 "Issued to: %2\nIssued by: %3\nProblem: %4\n\n"
                                 "Someone may be pretending to be this site. Continue only if you know why the "
                                 "certificate is not trusted.")
                      .arg(error.url().host(), names(certificate.subjectInfo(QSslCertificate::CommonName)),
                          names(certificate.issuerInfo(QSslCertificate::CommonName)), error.description());
            const int answer = Dialogs().MessageBox(text, QStringLiteral("Security Warning"),
                MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, container_,
                {QStringLiteral("Continue"), QStringLiteral("Go back")});
            if (!self)
                return;
            if (answer == IDYES) {
                acceptedCertificates().insert(accepted);
                untrustedSites().insert(site);
                error.acceptCertificate();
            } else {
                backAfterRefusal_ = error.url();
                refuseCertificate(error);
            }
        },
        Qt::QueuedConnection);
}

void QtWebBrowser::refuseCertificate(QWebEngineCertificateError& error)
{
    std::vector<Variant> args{static_cast<IDispatch*>(this), toVariant(error.url().toString()), Variant(WideString()),
        Variant(INET_E_INVALID_CERTIFICATE), Variant::fromBool(false)};
    fire(DISPID_NAVIGATEERROR, args);
    error.rejectCertificate();
}

void QtWebBrowser::fireSecureLock(std::int32_t secureLock)
{
    std::vector<Variant> args{Variant(secureLock)};
    fire(DISPID_SETSECURELOCKICON, args);
}

void QtWebBrowser::fireCommandStates()
{
    std::vector<Variant> args{CSC_NAVIGATEBACK, Variant::fromBool(page_->history()->canGoBack())};
    fire(DISPID_COMMANDSTATECHANGE, args);
    args = {CSC_NAVIGATEFORWARD, Variant::fromBool(page_->history()->canGoForward())};
    fire(DISPID_COMMANDSTATECHANGE, args);
}

void QtWebBrowser::notifyViewCreated()
{
    if (auto* target = dynamic_cast<IOleCommandTarget*>(site_)) {
        Variant out;
        target->Exec(&CGID_Explorer, SHDVID_VIEWCREATED, 0, Variant(), out);
    }
}

void QtWebBrowser::titleChanged(const QString& title)
{
    locationName_ = title;
    if (title == reportedTitle_)
        return;
    reportedTitle_ = title;
    std::vector<Variant> args{toVariant(title)};
    fire(DISPID_TITLECHANGE, args);
}

void QtWebBrowser::statusText(const QString& text)
{
    properties_[DISPID_STATUSTEXT] = toVariant(text);
    std::vector<Variant> args{toVariant(text)};
    fire(DISPID_STATUSTEXTCHANGE, args);
}

void QtWebBrowser::geometryRequested(const QRect& geometry)
{
    const QWidget* top = container_->window();
    auto* services = dynamic_cast<IHTMLOMWindowServices*>(site_);
    if (geometry.topLeft() != top->pos()) {
        if (!services || services->moveTo(geometry.x(), geometry.y()) == E_NOTIMPL) {
            std::vector<Variant> args{std::int32_t(geometry.x())};
            fire(DISPID_WINDOWSETLEFT, args);
            args = {std::int32_t(geometry.y())};
            fire(DISPID_WINDOWSETTOP, args);
        }
    }
    if (geometry.size() != top->size()) {
        if (!services || services->resizeTo(geometry.width(), geometry.height()) == E_NOTIMPL) {
            std::vector<Variant> args{std::int32_t(geometry.width())};
            fire(DISPID_WINDOWSETWIDTH, args);
            args = {std::int32_t(geometry.height())};
            fire(DISPID_WINDOWSETHEIGHT, args);
        }
    }
}

void QtWebBrowser::closeRequested()
{
    std::vector<Variant> args{Variant::fromBool(false), Variant::fromBool(false)};
    fire(DISPID_WINDOWCLOSING, args);
    if (!args[1].toBool() && container_ && container_->parentWidget())
        QMetaObject::invokeMethod(container_->parentWidget(), "close", Qt::QueuedConnection);
}

// A page opens a new window: OnNewWindow2 and OnNewWindow3 may cancel it or
// hand over a control of their own; otherwise the page opens in a new
// top-level window of its own, deleted when it is closed.
QWebEnginePage* QtWebBrowser::newWindow()
{
    std::vector<Variant> args{static_cast<IDispatch*>(nullptr), Variant::fromBool(false)};
    fire(DISPID_NEWWINDOW2, args);
    if (args[1].toBool())
        return nullptr;
    IDispatch* const* given = args[0].get<IDispatch*>();
    if (!given || !*given) {
        args = {static_cast<IDispatch*>(nullptr), Variant::fromBool(false), Variant(std::int32_t(0)),
            toVariant(locationUrl_), Variant(WideString())};
        fire(DISPID_NEWWINDOW3, args);
        if (args[1].toBool())
            return nullptr;
        given = args[0].get<IDispatch*>();
    }
    if (given && *given) {
        auto* other = dynamic_cast<QtWebBrowser*>(*given);
        return other ? other->page_ : nullptr;
    }
    auto* popup = new QtWebBrowser;
    QWidget* window = popup->window();
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &QObject::destroyed, popup, [popup] {
        popup->container_ = nullptr;
        popup->deleteLater();
    });
    window->resize(800, 600);
    window->show();
    return popup->page_;
}

// A response the page cannot show: OnFileDownload may cancel it, the host's
// download manager may take it over; otherwise the user decides.
void QtWebBrowser::downloadRequested(QWebEngineDownloadRequest* download)
{
    if (download->page() != page_ || download->state() != QWebEngineDownloadRequest::DownloadRequested)
        return;
    std::vector<Variant> args{Variant::fromBool(false)};
    fire(DISPID_FILEDOWNLOAD, args);
    if (args[0].toBool() || hostTookDownload(download))
        download->cancel();
    else
        offerDownload(download);
    if (busy_ && download->url() == navigating_)
        endWithShownPage();
}

void QtWebBrowser::endWithShownPage()
{
    readyState_ = READYSTATE_COMPLETE;
    finishLoading();
}

void QtWebBrowser::showWebView()
{
    if (stack_->currentWidget() != view_) {
        stack_->setCurrentWidget(view_);
        view_->lower();
        container_->setFocusProxy(view_);
    }
}

// A page comes to the front as soon as it starts loading; a folder view
// replaces what is shown only once it is listed.
void QtWebBrowser::showWebViewFor(const QUrl& url)
{
    if (folderOf(url).isEmpty())
        showWebView();
}

void QtWebBrowser::showFolder(const QString& path)
{
    if (!folder_) {
        folder_ = new QListWidget(container_);
        SetWindowClassName(folder_, WC_LISTVIEW);
        folder_->setViewMode(QListView::IconMode);
        folder_->setResizeMode(QListView::Adjust);
        folder_->setMovement(QListView::Static);
        folder_->setGridSize(FolderGridSize);
        folder_->setWordWrap(true);
        folder_->setSelectionMode(QAbstractItemView::ExtendedSelection);
        connect(folder_, &QListWidget::itemActivated, this, &QtWebBrowser::openFolderItem);
        stack_->addWidget(folder_);
    }
    folder_->clear();
    QFileIconProvider icons;
    const QFileInfoList entries = QDir(path).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::DirsFirst | QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries) {
        auto* item = new QListWidgetItem(icons.icon(entry), entry.fileName(), folder_);
        item->setData(Qt::UserRole, entry.absoluteFilePath());
    }
    if (folder_->count() > 0)
        folder_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    stack_->setCurrentWidget(folder_);
    folder_->lower();
    container_->setFocusProxy(folder_);
}

// A folder opens in the view; a file opens with the desktop's program for
// its type, as in a file manager's folder view.
void QtWebBrowser::openFolderItem(QListWidgetItem* item)
{
    const QString path = item->data(Qt::UserRole).toString();
    const QUrl url = QUrl::fromLocalFile(path);
    if (QFileInfo(path).isDir()) {
        Navigate(toWideString(url.toString()), Variant(), Variant(), Variant(), Variant());
        return;
    }
    if (!ProgramLauncher().openWithDesktop(url))
        Dialogs().MessageBox(
            QStringLiteral("No program could be started to open \"%1\".").arg(QFileInfo(path).fileName()),
            ApplicationTitle(), MB_OK | MB_ICONERROR, container_);
}

HRESULT QtWebBrowser::GoBack() { return goInHistory(page_->history()->canGoBack(), QWebEnginePage::Back); }

HRESULT QtWebBrowser::GoForward() { return goInHistory(page_->history()->canGoForward(), QWebEnginePage::Forward); }

// The engine's history holds pages and folders alike: a folder view's entry
// is the engine's listing of that folder.
HRESULT QtWebBrowser::goInHistory(bool possible, int action)
{
    if (!possible)
        return E_FAIL;
    startLoading();
    historyMove_ = true;
    page_->triggerAction(static_cast<QWebEnginePage::WebAction>(action));
    return S_OK;
}

HRESULT QtWebBrowser::GoHome()
{
    QString home = QStringLiteral("about:blank");
    try {
        TRegistry registry(HKEY_CURRENT_USER);
        if (registry.OpenKeyReadOnly(QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main"))
            && registry.ValueExists(QStringLiteral("Start Page"))) {
            const QString page = registry.ReadString(QStringLiteral("Start Page")).trimmed();
            if (!page.isEmpty())
                home = page;
        }
    } catch (const ERegistryException&) {
        // An unreadable setting leaves the blank page.
    }
    return Navigate(toWideString(home), Variant(), Variant(), Variant(), Variant());
}

HRESULT QtWebBrowser::Refresh() { return Refresh2(Variant(REFRESH_NORMAL)); }

HRESULT QtWebBrowser::Refresh2(const Variant& level)
{
    if (page_->url().isEmpty())
        return S_OK;
    startLoading();
    refreshing_ = true;
    page_->triggerAction(
        level.toInt() >= REFRESH_COMPLETELY ? QWebEnginePage::ReloadAndBypassCache : QWebEnginePage::Reload);
    return S_OK;
}

HRESULT QtWebBrowser::Stop()
{
    ++generation_;
    stopping_ = true;
    historyMove_ = false;
    page_->triggerAction(QWebEnginePage::Stop);
    if (auto* target = dynamic_cast<IOleCommandTarget*>(site_)) {
        Variant out;
        target->Exec(nullptr, OLECMDID_STOP, 0, Variant(), out);
    }
    // A stopped page is not complete: what arrived of it stays interactive.
    if (readyState_ == READYSTATE_LOADING && document_)
        readyState_ = READYSTATE_INTERACTIVE;
    finishLoading();
    return S_OK;
}

HRESULT QtWebBrowser::ExecWB(std::int32_t cmdId, std::int32_t cmdExecOpt, const Variant& in, Variant&)
{
    switch (cmdId) {
    case OLECMDID_STOP:
        return Stop();
    case OLECMDID_PRINT:
        return print(cmdExecOpt != OLECMDEXECOPT_DONTPROMPTUSER, in);
    case OLECMDID_PRINTPREVIEW:
        return printPreview();
    case OLECMDID_PAGESETUP:
        return pageSetup();
    }
    return OLECMDERR_E_NOTSUPPORTED;
}

QPrinter* QtWebBrowser::printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return printer_.get();
}

// Printing runs on in the engine after the call returns; the printer stays
// with the control, so a page setup applies to the next print. The header
// and footer are the page setup's unless the call gives both.
HRESULT QtWebBrowser::print(bool prompt, const Variant& headerFooter)
{
    if (!dynamic_cast<HtmlDocument*>(document_.get()) || printing_)
        return OLECMDERR_E_DISABLED;
    if (prompt && !Dialogs().PrintDialog(*printer(), container_))
        return OLECMDERR_E_CANCELED;
    if (!printer()->isValid())
        return E_FAIL;
    PageSetupValues setup = ReadPageSetup();
    if (const auto* texts = std::get_if<Variant::Array>(&headerFooter.value()); texts && texts->size() == 2) {
        setup.Header = toQString((*texts)[0].toWideString());
        setup.Footer = toQString((*texts)[1].toWideString());
    }
    printing_ = true;
    QPointer<QtWebBrowser> self(this);
    PrintPage(view_, *printer(), setup.Header, setup.Footer, [self](bool) {
        if (self)
            self->printing_ = false;
    });
    return S_OK;
}

HRESULT QtWebBrowser::printPreview()
{
    if (!dynamic_cast<HtmlDocument*>(document_.get()) || printing_)
        return OLECMDERR_E_DISABLED;
    QPrintPreviewDialog preview(printer(), container_);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        // The preview paints synchronously; the engine prints asynchronously.
        QEventLoop loop;
        connect(view_, &QWebEngineView::printFinished, &loop, &QEventLoop::quit);
        printing_ = true;
        view_->print(target);
        loop.exec();
    });
    preview.exec();
    return S_OK;
}

HRESULT QtWebBrowser::pageSetup()
{
    PageSetupDialog dialog(*printer(), container_);
    return dialog.exec() == QDialog::Accepted ? S_OK : OLECMDERR_E_CANCELED;
}

HRESULT QtWebBrowser::GetProperty(DISPID dispId, Variant& value)
{
    switch (dispId) {
    case DISPID_APPLICATION:
        value = Variant(static_cast<IDispatch*>(this));
        return S_OK;
    case DISPID_DOCUMENT:
        value = Variant(document_.get());
        return S_OK;
    case DISPID_LOCATIONNAME:
        value = toVariant(locationName_);
        return S_OK;
    case DISPID_LOCATIONURL:
        value = toVariant(locationUrl_);
        return S_OK;
    case DISPID_BUSY:
        value = Variant::fromBool(busy_);
        return S_OK;
    case DISPID_READYSTATE:
        value = Variant(readyState_);
        return S_OK;
    case DISPID_OFFLINE:
        value = Variant::fromBool(ProcessOffline());
        return S_OK;
    }
    const auto found = properties_.find(dispId);
    if (found == properties_.end())
        return DISP_E_MEMBERNOTFOUND;
    value = found->second;
    return S_OK;
}

HRESULT QtWebBrowser::PutProperty(DISPID dispId, const Variant& value)
{
    // Settable properties and the event each change raises (0: none).
    static const std::map<DISPID, DISPID> changeEvents = {
        {DISPID_VISIBLE, DISPID_ONVISIBLE},
        {DISPID_STATUSBAR, DISPID_ONSTATUSBAR},
        {DISPID_STATUSTEXT, DISPID_STATUSTEXTCHANGE},
        {DISPID_TOOLBAR, DISPID_ONTOOLBAR},
        {DISPID_MENUBAR, DISPID_ONMENUBAR},
        {DISPID_FULLSCREEN, DISPID_ONFULLSCREEN},
        {DISPID_OFFLINE, 0},
        {DISPID_SILENT, 0},
        {DISPID_REGISTERASBROWSER, 0},
        {DISPID_REGISTERASDROPTARGET, 0},
        {DISPID_THEATERMODE, DISPID_ONTHEATERMODE},
        {DISPID_ADDRESSBAR, DISPID_ONADDRESSBAR},
        {DISPID_RESIZABLE, DISPID_WINDOWSETRESIZABLE},
        {DISPID_LOCALFILEACCESS, 0},
    };
    const auto found = changeEvents.find(dispId);
    if (found == changeEvents.end())
        return DISP_E_MEMBERNOTFOUND;
    const bool isText = dispId == DISPID_STATUSTEXT;
    const bool isInt = dispId == DISPID_TOOLBAR;
    const Variant stored = isText ? Variant(value.toWideString())
        : isInt                   ? Variant(value.toInt())
                                  : Variant::fromBool(value.toBool());
    if (dispId == DISPID_OFFLINE)
        SetProcessOffline(stored.toBool());
    else
        properties_[dispId] = stored;
    if (dispId == DISPID_REGISTERASDROPTARGET)
        view_->setAcceptDrops(stored.toBool());
    if (dispId == DISPID_LOCALFILEACCESS)
        page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, stored.toBool());
    if (found->second) {
        std::vector<Variant> args{dispId == DISPID_TOOLBAR ? Variant::fromBool(stored.toInt() != 0) : stored};
        fire(found->second, args);
    }
    return S_OK;
}

HRESULT QtWebBrowser::DoVerb(std::int32_t verb)
{
    if (verb != OLEIVERB_UIACTIVATE)
        return E_NOTIMPL;
    QWidget* current = stack_->currentWidget();
    if (!current || !document_)
        return E_FAIL;
    current->setFocus(Qt::OtherFocusReason);
    return S_OK;
}

HRESULT QtWebBrowser::OnAmbientPropertyChange(DISPID dispId)
{
    if (dispId != DISPID_AMBIENT_USERAGENT)
        return S_OK;
    // The engine's own agent, kept before the first change.
    static const QString engineAgent = EngineProfile()->httpUserAgent();
    QString text;
    if (auto* ambient = hostInterface<IAmbientProperties>()) {
        std::vector<Variant> none;
        Variant value;
        if (ambient->Invoke(DISPID_AMBIENT_USERAGENT, DISPATCH_PROPERTYGET, none, &value, nullptr) == S_OK)
            text = toQString(value.toWideString()).trimmed();
    }
    EngineProfile()->setHttpUserAgent(text.isEmpty() ? engineAgent : text);
    return S_OK;
}

void InstallQtWebBrowser()
{
    SetWebBrowserFactory([] { return std::make_unique<QtWebBrowser>(); });
}

// Qt's delivery of a mouse event from the window system, exported for its
// test library.
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
    Qt::MouseButtons state, Qt::MouseButton button, QEvent::Type type, Qt::KeyboardModifiers mods, int timestamp);

void QtWebBrowser::ExpectFileChooser(IFileChooserAnswer* answer, std::function<void(bool chosen)> done)
{
    chooserAnswer_ = answer;
    chooserDone_ = answer ? std::move(done) : std::function<void(bool)>();
}

void QtWebBrowser::PressAt(const QPointF& position)
{
    QWidget* target = view_->focusProxy() ? view_->focusProxy() : view_;
    QWindow* window = target->window()->windowHandle();
    if (!window)
        return;
    // Through the window, as the window system delivers a user's mouse: the
    // engine's view takes a press sent to it directly for no click.
    const QPointF local = target->mapTo(target->window(), position);
    const QPointF global = target->mapToGlobal(position);
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    const auto send = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons) {
        qt_handleMouseEvent(window, local, global, buttons, button, type, Qt::NoModifier, int(clock.elapsed()));
    };
    send(QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
}

QStringList QtWebBrowser::chooseFiles(int mode, const QStringList& oldFiles)
{
    // Taken at once: a chooser the page opens while this one is open is the
    // user's.
    IFileChooserAnswer* answer = std::exchange(chooserAnswer_, nullptr);
    const std::function<void(bool)> done = std::exchange(chooserDone_, {});
    const QString folder = oldFiles.isEmpty() ? QDir::homePath() : QFileInfo(oldFiles.first()).absolutePath();
    QFileDialog dialog(view_, QStringLiteral("Choose File to Upload"), folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    switch (mode) {
    case QWebEnginePage::FileSelectOpenMultiple:
        dialog.setFileMode(QFileDialog::ExistingFiles);
        break;
    case QWebEnginePage::FileSelectUploadFolder:
        dialog.setFileMode(QFileDialog::Directory);
        break;
    case QWebEnginePage::FileSelectSave:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    default:
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    }
    QPointer<QtWebBrowser> self(this);
    if (answer) {
        dialog.setModal(true);
        dialog.show();
        answer->ChooserShown(&dialog);
        if (dialog.isVisible())
            dialog.reject();
    } else if (choosersRefused_ <= 0) {
        dialog.exec();
    }
    const QStringList chosen = dialog.result() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
    if (self && done)
        done(!chosen.isEmpty());
    return chosen;
}
