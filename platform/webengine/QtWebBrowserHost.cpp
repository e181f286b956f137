// The control's host questions on Qt WebEngine: host flags and style sheet,
// context menus, keys, drops, script errors, message boxes, new windows,
// downloads, log-in and zoom.
#include "platform/files/SafeFile.h"
#include "platform/inet/ProcessProxy.h"
#include "platform/registry/Profile.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/webcontrol/HtmlDocument.h"
#include "platform/webengine/QtWebBrowser.h"

#include <QAction>
#include <QApplication>
#include <QAuthenticator>
#include <QDesktopServices>
#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QStandardPaths>
#include <QUuid>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace {

constexpr char MessageCaption[] = "Message from webpage";
constexpr char HostStyleScript[] = "zarn-host-style";
constexpr char PageReporterScript[] = "zarn-page-reports";
// Text sizes 0 (smallest) to 4 (largest) as zoom factors.
constexpr std::array<double, 5> TextSizeFactors = {0.6, 0.8, 1.0, 1.2, 1.5};
constexpr int MinimumZoomPercent = 25;
constexpr int MaximumZoomPercent = 500;
constexpr int CopyBlockSize = 64 * 1024;

QString toQString(const WideString& text) { return QString::fromStdU16String(text); }
WideString toWideString(const QString& text) { return text.toStdU16String(); }

std::int32_t packedRange(int minimum, int maximum) { return std::int32_t((std::uint32_t(maximum) << 16) | minimum); }

// A style sheet added to the document of the frame the script runs in.
QString styleScript(const QString& css)
{
    const QString text = QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("css"), css}}).toJson());
    return QStringLiteral("(() => { const style = document.createElement('style'); style.textContent = %1.css;"
                          " (document.head || document.documentElement).appendChild(style); })();")
        .arg(text);
}

// Reports to the control, on the console and marked: each uncaught error of
// the page's scripts (the error event's properties) and each window the page
// opens (window.open, links into another window), before the engine asks for
// the window. The reporting function is taken before any script of the page
// runs, so the page cannot silence it.
QString pageReporter(const QString& mark)
{
    return QStringLiteral(
        "(() => { const report = console.debug.bind(console); const mark = '%1';"
        " const send = (fields) => report(mark + JSON.stringify(fields));"
        " const text = (value) => value === undefined ? '' : String(value);"
        " const address = (url) => { try { return new URL(text(url), document.baseURI).href; } catch (e) { return ''; "
        "} };"
        " const active = () => !!(navigator.userActivation && navigator.userActivation.isActive);"
        " addEventListener('error', (event) => { if (!(event instanceof ErrorEvent)) return;"
        " send({kind: 'error', errorLine: String(event.lineno), errorCharacter: String(event.colno),"
        " errorCode: '0', errorMessage: String(event.message), errorUrl: String(event.filename)}); });"
        " const open = window.open;"
        " window.open = function (url, name, features) {"
        " send({kind: 'open', url: url === undefined || url === '' ? '' : address(url), name: text(name),"
        " features: text(features), user: active()});"
        " return open.apply(this, arguments); };"
        " addEventListener('click', (event) => {"
        " const link = event.target instanceof Element ? event.target.closest('a[target], area[target]') : null;"
        " if (link && !['', '_self', '_parent', '_top'].includes(link.target))"
        " send({kind: 'open', url: link.href, name: link.target, features: '', user: true}); }, true); })();")
        .arg(mark);
}

void replaceScript(QWebEngineScriptCollection& scripts, const QString& name, const QString& source,
    QWebEngineScript::InjectionPoint point, QWebEngineScript::ScriptWorldId world)
{
    for (const QWebEngineScript& old : scripts.find(name))
        scripts.remove(old);
    if (source.isEmpty())
        return;
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(point);
    script.setWorldId(world);
    script.setRunsOnSubFrames(true);
    scripts.insert(script);
}

bool isNetworkScheme(const QString& scheme)
{
    return scheme == u"http" || scheme == u"https" || scheme == u"ftp" || scheme == u"ws" || scheme == u"wss";
}

// A name from outside reduced to one that stays in its folder.
QString safeName(const QString& fromOutside)
{
    return QString::fromStdString(SafeFileName(fromOutside.toStdString(), "download"));
}

} // namespace

// Refuses the requests the host's flags rule out.
class QtWebBrowser::RequestFilter : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void Apply(DWORD downloadControl, DWORD hostFlags)
    {
        downloadControl_ = downloadControl;
        hostFlags_ = hostFlags;
    }
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const auto type = info.resourceType();
        const QString scheme = info.requestUrl().scheme();
        bool refused = ((downloadControl_ & (DLCTL_OFFLINE | DLCTL_FORCEOFFLINE)) || ProcessOffline())
            && isNetworkScheme(scheme);
        refused
            = refused || (!(downloadControl_ & DLCTL_VIDEOS) && type == QWebEngineUrlRequestInfo::ResourceTypeMedia);
        refused = refused
            || ((downloadControl_ & DLCTL_NO_FRAMEDOWNLOAD) && type == QWebEngineUrlRequestInfo::ResourceTypeSubFrame);
        refused = refused
            || ((hostFlags_ & DOCHOSTUIFLAG_LOCAL_MACHINE_ACCESS_CHECK) && info.requestUrl().isLocalFile()
                && type != QWebEngineUrlRequestInfo::ResourceTypeMainFrame);
        if (refused)
            info.block(true);
    }

private:
    DWORD downloadControl_ = DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS;
    DWORD hostFlags_ = 0;
};

class QtWebBrowser::ScriptErrorEvent : public IScriptErrorEvent {
public:
    explicit ScriptErrorEvent(const QMap<QString, QString>& properties) : properties_(properties) {}
    bool GetProperty(const QString& name, QString& value) const override
    {
        const auto found = properties_.find(name);
        if (found == properties_.end())
            return false;
        value = *found;
        return true;
    }

private:
    QMap<QString, QString> properties_;
};

template <class Interface> Interface* QtWebBrowser::hostService(const GUID& service, const GUID& iid) const
{
    auto* provider = hostInterface<IServiceProvider>();
    void* object = nullptr;
    if (!provider || provider->QueryService(service, iid, &object) != S_OK)
        return nullptr;
    return static_cast<Interface*>(object);
}

void QtWebBrowser::connectHostQuestions()
{
    requestFilter_ = new RequestFilter(this);
    page()->setUrlRequestInterceptor(requestFilter_);
    reportMark_ = QStringLiteral("zarn-report-") + QUuid::createUuid().toString(QUuid::WithoutBraces) + u':';
    replaceScript(page()->scripts(), QString::fromLatin1(PageReporterScript), pageReporter(reportMark_),
        QWebEngineScript::DocumentCreation, QWebEngineScript::MainWorld);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    // Queued: the request arrives inside one of the engine's own tasks, and a
    // command chosen from the menu that waits for the page (View Source reads
    // it through a script) would wait for that task to end, which it cannot.
    connect(view_, &QWidget::customContextMenuRequested, this, &QtWebBrowser::showContextMenu,
        Qt::QueuedConnection);
    connect(page(), &QWebEnginePage::authenticationRequired, this,
        [this](const QUrl& url, QAuthenticator* authenticator) { authenticate(url, authenticator, QString()); });
    connect(page(), &QWebEnginePage::proxyAuthenticationRequired, this,
        [this](const QUrl& url, QAuthenticator* authenticator, const QString& proxyHost) {
            authenticate(url, authenticator, proxyHost);
        });
    qApp->installEventFilter(this);
}

void QtWebBrowser::RegisterDragDrop(IDropTarget* target) { dropTarget_ = target; }

// Before each page of the main frame: the host's flags, style sheet,
// download control and drop target apply to it.
void QtWebBrowser::applyHostSettings()
{
    DOCHOSTUIINFO info;
    auto* handler = hostInterface<IDocHostUIHandler>();
    if (handler)
        handler->GetHostInfo(&info);
    DWORD download = DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS;
    if (auto* ambient = hostInterface<IAmbientProperties>()) {
        std::vector<Variant> none;
        Variant value;
        if (ambient->Invoke(DISPID_AMBIENT_DLCONTROL, DISPATCH_PROPERTYGET, none, &value, nullptr) == S_OK)
            download = DWORD(value.toInt());
    }
    QWebEngineSettings* settings = page()->settings();
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, download & DLCTL_DLIMAGES);
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, !(download & DLCTL_NO_SCRIPTS));
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, !(download & (DLCTL_NO_JAVA | DLCTL_NO_RUNACTIVEXCTLS)));
    settings->setAttribute(QWebEngineSettings::ShowScrollBars, !(info.dwFlags & DOCHOSTUIFLAG_SCROLL_NO));
    scriptsStopped_ = false;
    openingUrl_.clear();
    requestFilter_->Apply(download, info.dwFlags);
    QString css = toQString(info.pchHostCss);
    if (info.dwFlags & DOCHOSTUIFLAG_DIALOG)
        css += QStringLiteral("\n* { user-select: none !important; }");
    replaceScript(page()->scripts(), QString::fromLatin1(HostStyleScript), css.isEmpty() ? QString() : styleScript(css),
        QWebEngineScript::DocumentReady, QWebEngineScript::ApplicationWorld);
    IDropTarget* target = nullptr;
    if (handler && handler->GetDropTarget(nullptr, &target) == S_OK)
        dropTarget_ = target;
}

DWORD QtWebBrowser::contextKind() const
{
    const QWebEngineContextMenuRequest* request = view_->lastContextMenuRequest();
    if (!request)
        return CONTEXT_MENU_DEFAULT;
    if (request->mediaType() == QWebEngineContextMenuRequest::MediaTypeImage)
        return CONTEXT_MENU_IMAGE;
    if (request->isContentEditable())
        return CONTEXT_MENU_CONTROL;
    if (!request->selectedText().isEmpty())
        return CONTEXT_MENU_TEXTSELECT;
    if (request->linkUrl().isValid())
        return CONTEXT_MENU_ANCHOR;
    return CONTEXT_MENU_DEFAULT;
}

void QtWebBrowser::showContextMenu(const QPoint& position)
{
    const QWebEngineContextMenuRequest* request = view_->lastContextMenuRequest();
    contextLink_ = request ? request->linkUrl() : QUrl();
    contextLinkText_ = request ? request->linkText().simplified() : QString();
    contextMedia_ = request ? request->mediaUrl() : QUrl();
    const QPoint global = view_->mapToGlobal(position);
    const POINT at{global.x(), global.y()};
    const DWORD kind = contextKind();
    auto* handler = hostInterface<IDocHostUIHandler>();
    if (handler && handler->ShowContextMenu(kind, &at, this, nullptr) == S_OK)
        return;
    std::unique_ptr<QMenu> menu(CreateContextMenu(kind));
    if (!menu)
        return;
    QPointer<QtWebBrowser> self(this);
    const QAction* chosen = menu->exec(global);
    bool ok = false;
    const int command = chosen ? chosen->data().toInt(&ok) : 0;
    if (self && ok)
        ExecMenuCommand(command);
}

QMenu* QtWebBrowser::CreateContextMenu(DWORD kind)
{
    struct Item {
        int id; // 0: a separator
        const char* caption;
    };
    static const Item back{IDM_GOBACKWARD, "&Back"}, forward{IDM_GOFORWARD, "F&orward"},
        saveBackground{IDM_SAVEBACKGROUND, "Save &Background As..."},
        setBackground{IDM_SETWALLPAPER, "Set as Back&ground"}, copyBackground{IDM_COPYBACKGROUND, "&Copy Background"},
        desktopItem{IDM_SETDESKTOPITEM, "Set as &Desktop Item..."}, selectAll{IDM_SELECTALL, "Select &All"},
        paste{IDM_PASTE, "&Paste"}, cut{IDM_CUT, "Cu&t"}, copy{IDM_COPY, "&Copy"},
        shortcut{IDM_CREATESHORTCUT, "Create Shor&tcut"}, favorites{IDM_ADDFAVORITES, "Add to &Favorites..."},
        source{IDM_VIEWSOURCE, "&View Source"}, encoding{IDM_LANGUAGE, "Encoding"}, print{IDM_PRINT, "&Print"},
        refresh{IDM_REFRESH, "R&efresh"}, properties{IDM_PROPERTIES, "P&roperties"},
        openLink{IDM_FOLLOWLINKC, "&Open Link"}, newWindow{IDM_FOLLOWLINKN, "Open Link in &New Window"},
        saveTarget{IDM_SAVETARGET, "Save Target &As..."}, copyShortcut{IDM_COPYSHORTCUT, "Cop&y Shortcut"},
        savePicture{IDM_SAVEPICTURE, "Save Picture &As..."}, separator{0, ""};
    std::vector<Item> items;
    switch (kind) {
    case CONTEXT_MENU_DEFAULT:
        items = {back, forward, separator, saveBackground, setBackground, copyBackground, desktopItem, separator,
            selectAll, paste, separator, shortcut, favorites, source, separator, encoding, separator, print, refresh,
            separator, properties};
        break;
    case CONTEXT_MENU_IMAGE:
        if (contextLink_.isValid())
            items = {openLink, newWindow, separator};
        items.insert(items.end(), {savePicture, setBackground, copy, separator, properties});
        break;
    case CONTEXT_MENU_CONTROL:
        items = {cut, copy, paste, separator, selectAll};
        break;
    case CONTEXT_MENU_TABLE:
        items = {selectAll, separator, print, refresh, separator, properties};
        break;
    case CONTEXT_MENU_TEXTSELECT:
        items = {copy, selectAll, separator, print};
        break;
    case CONTEXT_MENU_ANCHOR:
        items = {openLink, newWindow, saveTarget, separator, copyShortcut, separator, favorites, separator, properties};
        break;
    default:
        return nullptr;
    }
    auto* menu = new QMenu(container_);
    for (const Item& item : items) {
        if (!item.id) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromLatin1(item.caption));
        action->setData(item.id);
        if (item.id == IDM_LANGUAGE) {
            auto* encodings = new QMenu(menu);
            encodings->addAction(QStringLiteral("Auto-Select"))->setEnabled(false);
            action->setMenu(encodings);
        }
        const bool noDesktopMeaning = item.id == IDM_SAVEBACKGROUND || item.id == IDM_SETWALLPAPER
            || item.id == IDM_COPYBACKGROUND || item.id == IDM_SETDESKTOPITEM;
        action->setEnabled(!noDesktopMeaning);
    }
    return menu;
}

QWidget* QtWebBrowser::MenuOwner() { return container_; }

void QtWebBrowser::documentCommand(const GUID* group, DWORD commandId)
{
    if (auto* target = dynamic_cast<IOleCommandTarget*>(document_.get())) {
        Variant none;
        target->Exec(group, commandId, OLECMDEXECOPT_DODEFAULT, none, none);
    }
}

void QtWebBrowser::ExecMenuCommand(int commandId)
{
    Variant none;
    switch (commandId) {
    case IDM_GOBACKWARD:
        GoBack();
        break;
    case IDM_GOFORWARD:
        GoForward();
        break;
    case IDM_REFRESH:
        Refresh();
        break;
    // Editing and the source window go through the document's command
    // target, which the document operations use as well.
    case IDM_SELECTALL:
        documentCommand(nullptr, OLECMDID_SELECTALL);
        break;
    case IDM_PASTE:
        documentCommand(nullptr, OLECMDID_PASTE);
        break;
    case IDM_COPY:
        documentCommand(nullptr, OLECMDID_COPY);
        break;
    case IDM_CUT:
        documentCommand(nullptr, OLECMDID_CUT);
        break;
    case IDM_VIEWSOURCE:
        documentCommand(&CGID_IWebBrowser, HTMLID_VIEWSOURCE);
        break;
    case IDM_PRINT:
        ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_PROMPTUSER, none, none);
        break;
    case IDM_FOLLOWLINKC:
        Navigate(toWideString(contextLink_.toString()), none, none, none, none);
        break;
    case IDM_FOLLOWLINKN:
        page()->triggerAction(QWebEnginePage::OpenLinkInNewWindow);
        break;
    case IDM_SAVETARGET:
        page()->triggerAction(QWebEnginePage::DownloadLinkToDisk);
        break;
    case IDM_SAVEPICTURE:
        page()->triggerAction(QWebEnginePage::DownloadImageToDisk);
        break;
    case IDM_COPYSHORTCUT:
        page()->triggerAction(QWebEnginePage::CopyLinkToClipboard);
        break;
    case IDM_PROPERTIES:
        Dialogs().MessageBox(QStringLiteral("Title: %1\nAddress: %2")
                                 .arg(locationName_, contextLink_.isValid() ? contextLink_.toString() : locationUrl_),
            QStringLiteral("Properties"), MB_OK | MB_ICONINFORMATION);
        break;
    case IDM_ADDFAVORITES:
    case IDM_CREATESHORTCUT: {
        // Favorites and shortcuts are internet-shortcut files, in the
        // profile's Favorites folder or on the desktop.
        const QUrl target = contextLink_.isValid() ? contextLink_ : QUrl(locationUrl_);
        TFileDialogOptions options;
        options.Title = QStringLiteral("Save Shortcut");
        options.Filter = QStringLiteral("Internet shortcut|*.url");
        options.DefaultExt = QStringLiteral("url");
        options.InitialDir = commandId == IDM_ADDFAVORITES
            ? SpecialFolderPath(CSIDL_FAVORITES)
            : QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        // Named as the user knows what it points to: a link by its text, the
        // page by its title, either by its site when it has no name.
        QString name = contextLink_.isValid() ? contextLinkText_ : locationName_;
        if (name.isEmpty())
            name = target.host();
        options.FileName = safeName(name) + QStringLiteral(".url");
        if (!Dialogs().SaveDialog(options))
            break;
        if (!WriteInternetShortcutUrl(options.FileName, QString::fromLatin1(target.toEncoded())))
            Dialogs().MessageBox(QStringLiteral("The shortcut could not be saved as %1.").arg(options.FileName),
                ApplicationTitle(), MB_OK | MB_ICONERROR);
        break;
    }
    }
}

bool QtWebBrowser::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return watched == view_->focusProxy() && translateAccelerator(static_cast<QKeyEvent*>(event));
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        return watched == view_->focusProxy() && routeDrop(event);
    default:
        return false;
    }
}

// Every key meant for the page goes to the host first; S_OK consumes it.
bool QtWebBrowser::translateAccelerator(const QKeyEvent* key)
{
    auto* handler = hostInterface<IDocHostUIHandler>();
    const std::uint16_t vk = VirtualKeyFromQtKey(key->key());
    if (!handler || vk == 0)
        return false;
    const bool down = key->type() == QEvent::KeyPress;
    const bool alt = key->modifiers() & Qt::AltModifier;
    MSG msg;
    msg.message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
    msg.wParam = vk;
    msg.lParam = LPARAM(1) | (LPARAM(key->nativeScanCode() & 0xFF) << 16) | (alt ? KF_ALTDOWN : 0)
        | (down ? 0 : (LPARAM(3) << 30));
    msg.shiftDown = key->modifiers() & Qt::ShiftModifier;
    msg.ctrlDown = key->modifiers() & Qt::ControlModifier;
    return handler->TranslateAccelerator(&msg, nullptr, 0) == S_OK;
}

// With a host's drop target, drags over the view go to it instead of the page.
bool QtWebBrowser::routeDrop(QEvent* event)
{
    if (!dropTarget_)
        return false;
    DWORD effect = DROPEFFECT_NONE;
    if (event->type() == QEvent::DragLeave) {
        dropTarget_->DragLeave();
        return true;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const QPoint global = view_->mapToGlobal(drop->position().toPoint());
    const POINT at{global.x(), global.y()};
    if (event->type() == QEvent::DragEnter)
        dropTarget_->DragEnter(drop->mimeData(), 0, at, &effect);
    else if (event->type() == QEvent::DragMove)
        dropTarget_->DragOver(0, at, &effect);
    else
        dropTarget_->Drop(drop->mimeData(), 0, at, &effect);
    if (effect == DROPEFFECT_NONE) {
        drop->ignore();
    } else {
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
    }
    return true;
}

void QtWebBrowser::pageReport(const QString& report)
{
    if (!report.startsWith(reportMark_))
        return;
    const QJsonObject fields = QJsonDocument::fromJson(report.mid(reportMark_.size()).toUtf8()).object();
    const QString kind = fields.value(QStringLiteral("kind")).toString();
    if (kind == u"open") {
        openingUrl_ = QUrl(fields.value(QStringLiteral("url")).toString());
        openingName_ = fields.value(QStringLiteral("name")).toString();
        openingFeatures_ = fields.value(QStringLiteral("features")).toString();
        openingUserInitiated_ = fields.value(QStringLiteral("user")).toBool();
        return;
    }
    if (kind != u"error" || scriptsStopped_)
        return;
    QMap<QString, QString> error;
    for (auto field = fields.begin(); field != fields.end(); ++field)
        error.insert(field.key(), field.value().toString());
    ScriptErrorEvent event(error);
    Variant in(static_cast<IDispatch*>(&event));
    Variant out;
    HRESULT answer = S_FALSE;
    if (auto* target = hostInterface<IOleCommandTarget>()) {
        try {
            answer = target->Exec(&CGID_DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, in, out);
        } catch (const std::exception& failure) {
            // The host's answer stands; only its report of the error failed.
            qWarning("The host could not read the script error: %s", failure.what());
            answer = out.isEmpty() ? S_FALSE : S_OK;
        }
    }
    if (answer == S_OK) {
        if (!out.toBool())
            stopScripts();
        return;
    }
    if (properties_[DISPID_SILENT].toBool())
        return;
    // The question's own event loop must not run inside the engine's call.
    const unsigned generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, error, generation] {
            if (generation == generation_)
                askScriptError(error);
        },
        Qt::QueuedConnection);
}

void QtWebBrowser::askScriptError(const QMap<QString, QString>& error)
{
    const QString text
        = QStringLiteral("An error has occurred in the script on this page.\n\nLine: %1\nChar: %2\n"
                         "Error: %3\nCode: %4\nURL: %5\n\nDo you want to continue running scripts on "
                         "this page?")
              .arg(error.value(QStringLiteral("errorLine")), error.value(QStringLiteral("errorCharacter")),
                  error.value(QStringLiteral("errorMessage")), error.value(QStringLiteral("errorCode")),
                  error.value(QStringLiteral("errorUrl")));
    QPointer<QtWebBrowser> self(this);
    const int answer
        = Dialogs().MessageBox(text, QStringLiteral("Script Error"), MB_YESNO | MB_ICONWARNING, container_);
    if (self && answer != IDYES)
        stopScripts();
}

// The page's scripts stop (timers, handlers, new scripts) until the next page.
void QtWebBrowser::stopScripts()
{
    scriptsStopped_ = true;
    page()->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
}

bool QtWebBrowser::askHost(const QString& text, DWORD type, std::intptr_t& answer)
{
    auto* showUI = hostInterface<IDocHostShowUI>();
    return showUI
        && showUI->ShowMessage(container_, toWideString(text), toWideString(QString::fromLatin1(MessageCaption)), type,
               WideString(), 0, &answer)
        == S_OK;
}

void QtWebBrowser::alert(const QString& text)
{
    constexpr DWORD style = MB_OK | MB_ICONWARNING;
    std::intptr_t answer = IDOK;
    if (!askHost(text, style, answer))
        Dialogs().MessageBox(text, QString::fromLatin1(MessageCaption), style, container_);
}

bool QtWebBrowser::confirm(const QString& text)
{
    constexpr DWORD style = MB_OKCANCEL | MB_ICONQUESTION;
    std::intptr_t answer = IDCANCEL;
    if (askHost(text, style, answer))
        return answer == IDOK;
    return Dialogs().MessageBox(text, QString::fromLatin1(MessageCaption), style, container_) == IDOK;
}

bool QtWebBrowser::prompt(const QString& text, const QString& defaultValue, QString* result)
{
    std::intptr_t answer = IDCANCEL;
    if (askHost(text, MB_OKCANCEL | MB_ICONQUESTION, answer)) {
        if (answer == IDOK)
            *result = defaultValue;
        return answer == IDOK;
    }
    QString value = defaultValue;
    if (!Dialogs().InputQuery(QString::fromLatin1(MessageCaption), text, value, container_))
        return false;
    *result = value;
    return true;
}

// The window the page reported it is opening (none when it opened one
// without a report) goes to the host's new-window manager.
bool QtWebBrowser::newWindowAllowed()
{
    const QUrl url = std::exchange(openingUrl_, QUrl());
    const QString name = std::exchange(openingName_, QString());
    const QString features = std::exchange(openingFeatures_, QString());
    const bool userInitiated = std::exchange(openingUserInitiated_, false);
    auto* manager = hostService<INewWindowManager>(SID_SNewWindowManager, IID_INewWindowManager);
    if (!manager)
        return true;
    const HRESULT answer = manager->EvaluateNewWindow(toWideString(url.toString()), toWideString(name),
        toWideString(locationUrl_), toWideString(features), false, userInitiated ? NWMF_USERINITIATED : 0, 0);
    return answer != S_FALSE;
}

// Without an answer the request goes unanswered and the page shows the
// server's refusal.
void QtWebBrowser::authenticate(const QUrl& url, QAuthenticator* authenticator, const QString& proxyHost)
{
    if (auto* host = hostService<IAuthenticate>(IID_IAuthenticate, IID_IAuthenticate)) {
        QWidget* window = container_;
        WideString user;
        WideString password;
        if (host->Authenticate(&window, &user, &password) == S_OK && !user.empty()) {
            authenticator->setUser(toQString(user));
            authenticator->setPassword(toQString(password));
        } else {
            *authenticator = QAuthenticator();
        }
        return;
    }
    const QString site = proxyHost.isEmpty() ? url.host() : proxyHost;
    TLogInOptions logIn;
    logIn.Caption = QStringLiteral("Connect to %1").arg(site);
    logIn.Prompt = authenticator->realm().isEmpty()
        ? QStringLiteral("The server %1 asks for a user name and password.").arg(site)
        : QStringLiteral("The server %1 at %2 asks for a user name and password.").arg(site, authenticator->realm());
    logIn.Owner = container_;
    QPointer<QtWebBrowser> self(this);
    if (Dialogs().LogInDialog(logIn) && self) {
        authenticator->setUser(logIn.UserName);
        authenticator->setPassword(logIn.Password);
    } else {
        *authenticator = QAuthenticator();
    }
}

bool QtWebBrowser::hostTookDownload(QWebEngineDownloadRequest* download)
{
    auto* manager = hostService<IDownloadManager>(SID_SDownloadManager, IID_IDownloadManager);
    if (!manager)
        return false;
    BINDINFO info;
    info.szExtraInfo = toWideString(download->suggestedFileName());
    return manager->Download(
               toWideString(download->url().toString()), nullptr, BINDVERB_GET, 0, &info, WideString(), WideString(), 0)
        == S_OK;
}

// The control's file-download question: Open (IDYES) opens the file, Save
// (IDNO) saves it where the user says, Cancel drops it. Nothing is written
// before the answer.
void QtWebBrowser::offerDownload(QWebEngineDownloadRequest* download)
{
    const QString name = safeName(download->suggestedFileName());
    const QString question = QStringLiteral("Do you want to open or save this file?\n\nName: %1\nType: %2\nFrom: %3")
                                 .arg(name, download->mimeType(), download->url().host());
    QPointer<QWebEngineDownloadRequest> request(download);
    const int answer = Dialogs().MessageBox(question, QStringLiteral("File Download"),
        MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2, container_,
        {QStringLiteral("Open"), QStringLiteral("Save"), QStringLiteral("Cancel")});
    if (!request)
        return;
    if (answer == IDYES) {
        const QString folder = ProfileFolder() + QStringLiteral("/Cache/Opened");
        QDir().mkpath(folder);
        saveDownload(download, folder + u'/' + name, true);
        return;
    }
    TFileDialogOptions options;
    options.Title = QStringLiteral("Save As");
    options.InitialDir = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    options.FileName = name;
    if (answer != IDNO || !Dialogs().SaveDialog(options) || !request) {
        if (request)
            download->cancel();
        return;
    }
    saveDownload(download, options.FileName, false);
}

// The engine fetches into the profile's staging folder; once complete the
// file is copied to its target through a temporary name, with the progress
// in the status text. A failure leaves the target as it was.
void QtWebBrowser::saveDownload(QWebEngineDownloadRequest* download, const QString& target, bool openAfterwards)
{
    const QString staging = ProfileFolder() + QStringLiteral("/Cache/Downloads");
    QDir().mkpath(staging);
    download->setDownloadDirectory(staging);
    download->setDownloadFileName(QUuid::createUuid().toString(QUuid::WithoutBraces));
    const QString name = QFileInfo(target).fileName();
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this, [this, download, name] {
        statusText(
            QStringLiteral("Downloading %1: %2 of %3 bytes")
                .arg(name)
                .arg(download->receivedBytes())
                .arg(download->totalBytes() < 0 ? QStringLiteral("?") : QString::number(download->totalBytes())));
    });
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, download, target, openAfterwards] {
        const QString staged = download->downloadDirectory() + u'/' + download->downloadFileName();
        QString failure;
        if (download->state() != QWebEngineDownloadRequest::DownloadCompleted) {
            failure = download->interruptReasonString();
        } else {
            QFile source(staged);
            SafeFileWriter writer(target.toStdString());
            bool written = source.open(QIODevice::ReadOnly) && writer.Open();
            while (written && !source.atEnd()) {
                const QByteArray block = source.read(CopyBlockSize);
                written = !block.isEmpty() && writer.Write(block.constData(), size_t(block.size()));
            }
            written = written && writer.Commit();
            if (!written)
                failure = source.error() != QFileDevice::NoError ? source.errorString()
                                                                 : QString::fromLocal8Bit(std::strerror(errno));
        }
        QFile::remove(staged);
        if (download->state() == QWebEngineDownloadRequest::DownloadCancelled)
            return;
        if (!failure.isEmpty()) {
            statusText(QStringLiteral("Download failed"));
            Dialogs().MessageBox(QStringLiteral("%1 could not be downloaded: %2").arg(target, failure),
                QStringLiteral("File Download"), MB_OK | MB_ICONERROR);
            return;
        }
        statusText(QStringLiteral("Done"));
        if (openAfterwards)
            QDesktopServices::openUrl(QUrl::fromLocalFile(target));
    });
    download->accept();
}

// Text size and optical zoom together make the page's zoom factor, clamped
// to the engine's range.
void QtWebBrowser::applyZoom()
{
    const double factor = TextSizeFactors.at(size_t(textSize_)) * opticalZoom_ / 100.0;
    page()->setZoomFactor(std::clamp(factor, 0.25, 5.0));
}

HRESULT QtWebBrowser::documentExec(DWORD cmdId, const Variant& in, Variant& out)
{
    switch (cmdId) {
    case OLECMDID_GETZOOMRANGE:
        out = Variant(packedRange(0, int(TextSizeFactors.size()) - 1));
        return S_OK;
    case OLECMDID_OPTICAL_GETZOOMRANGE:
        out = Variant(packedRange(MinimumZoomPercent, MaximumZoomPercent));
        return S_OK;
    case OLECMDID_ZOOM:
        if (!in.isEmpty()) {
            textSize_ = std::clamp(in.toInt(), 0, int(TextSizeFactors.size()) - 1);
            applyZoom();
        }
        out = Variant(std::int32_t(textSize_));
        return S_OK;
    case OLECMDID_OPTICAL_ZOOM:
        if (!in.isEmpty()) {
            opticalZoom_ = std::clamp(in.toInt(), MinimumZoomPercent, MaximumZoomPercent);
            applyZoom();
        }
        out = Variant(std::int32_t(opticalZoom_));
        return S_OK;
    }
    return OLECMDERR_E_NOTSUPPORTED;
}
