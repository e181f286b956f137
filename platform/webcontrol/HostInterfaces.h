#pragma once
// The questions the web-browser control asks its host. The control asks its
// client site for each interface with dynamic_cast, and the services below
// through the site's IServiceProvider, where the question arises; a site that
// answers none of them gets the control's own behaviour, noted at each method.
// Results are HRESULTs; S_FALSE and E_NOTIMPL mean "do as you would".
#include "platform/com/Variant.h"
#include "platform/urlmon/UrlMon.h"
#include "platform/webcontrol/VirtualKeys.h"
#include "platform/webcontrol/WebBrowser.h"

#include <QString>

#include <cstdint>
#include <vector>

class QMenu;
class QMimeData;
class QRect;
class QWidget;

using WORD = std::uint16_t;

struct POINT {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// A key message as the control received it. shiftDown and ctrlDown are the
// state of those keys when the key came (what the keyboard state would say).
struct MSG {
    UINT message = 0;
    WPARAM wParam = 0; // the virtual-key code
    LPARAM lParam = 0; // the key data: repeat count, scan code, Alt
    bool shiftDown = false;
    bool ctrlDown = false;
};

// The host's answer to GetHostInfo. pchHostCss and pchHostNS are the host's
// own copies; empty means none.
struct DOCHOSTUIINFO {
    DWORD cbSize = 0;
    DWORD dwFlags = 0;
    DWORD dwDoubleClick = 0;
    WideString pchHostCss;
    WideString pchHostNS;
};
constexpr DWORD DocHostUIInfoSize = 20;

// DOCHOSTUIFLAG values the control honours; the others are kept by the host
// and mean nothing to this engine.
constexpr DWORD DOCHOSTUIFLAG_DIALOG = 0x1; // no text selection
constexpr DWORD DOCHOSTUIFLAG_SCROLL_NO = 0x8; // no scroll bars
constexpr DWORD DOCHOSTUIFLAG_ENABLE_FORMS_AUTOCOMPLETE = 0x4000;
constexpr DWORD DOCHOSTUIFLAG_LOCAL_MACHINE_ACCESS_CHECK = 0x800000; // no file: loads

// DLCTL values of the ambient download control property the control honours
// (the others are kept as state by the host).
constexpr DWORD DLCTL_DLIMAGES = 0x10;
constexpr DWORD DLCTL_VIDEOS = 0x20;
constexpr DWORD DLCTL_BGSOUNDS = 0x40;
constexpr DWORD DLCTL_NO_SCRIPTS = 0x80;
constexpr DWORD DLCTL_NO_JAVA = 0x100;
constexpr DWORD DLCTL_NO_RUNACTIVEXCTLS = 0x200;
constexpr DWORD DLCTL_NO_DLACTIVEXCTLS = 0x400;
constexpr DWORD DLCTL_NO_FRAMEDOWNLOAD = 0x1000;
constexpr DWORD DLCTL_FORCEOFFLINE = 0x10000000;
constexpr DWORD DLCTL_OFFLINE = 0x80000000;

// Ambient properties the control reads from its site's IAmbientProperties.
constexpr DISPID DISPID_AMBIENT_USERMODE = -709;
constexpr DISPID DISPID_AMBIENT_DLCONTROL = -5512;
constexpr DISPID DISPID_AMBIENT_USERAGENT = -5513;
constexpr WORD DISPATCH_METHOD = 1;
constexpr WORD DISPATCH_PROPERTYGET = 2;
constexpr WORD DISPATCH_PROPERTYPUT = 4;
constexpr HRESULT DISP_E_EXCEPTION = makeHResult(0x80020009);

// The context kinds of ShowContextMenu (what was clicked).
constexpr DWORD CONTEXT_MENU_DEFAULT = 0;
constexpr DWORD CONTEXT_MENU_IMAGE = 1;
constexpr DWORD CONTEXT_MENU_CONTROL = 2;
constexpr DWORD CONTEXT_MENU_TABLE = 3;
constexpr DWORD CONTEXT_MENU_TEXTSELECT = 4;
constexpr DWORD CONTEXT_MENU_ANCHOR = 5;
constexpr DWORD CONTEXT_MENU_UNKNOWN = 6;

// Commands of the control's context menus (the menu items' ids).
constexpr int IDM_PASTE = 26;
constexpr int IDM_PRINT = 27;
constexpr int IDM_PROPERTIES = 28;
constexpr int IDM_SELECTALL = 31;
constexpr int IDM_COPY = 15;
constexpr int IDM_CUT = 16;
constexpr int IDM_FOLLOWLINKC = 2136; // open link
constexpr int IDM_FOLLOWLINKN = 2137; // open link in a new window
constexpr int IDM_VIEWSOURCE = 2139;
constexpr int IDM_ADDFAVORITES = 2261;
constexpr int IDM_SAVEBACKGROUND = 2263;
constexpr int IDM_SETWALLPAPER = 2264;
constexpr int IDM_COPYBACKGROUND = 2265;
constexpr int IDM_CREATESHORTCUT = 2266;
constexpr int IDM_SETDESKTOPITEM = 2278;
constexpr int IDM_GOBACKWARD = 2282;
constexpr int IDM_GOFORWARD = 2283;
constexpr int IDM_LANGUAGE = 2292; // the encoding submenu
constexpr int IDM_REFRESH = 2300;
constexpr int IDM_SAVEPICTURE = 2270;
constexpr int IDM_COPYSHORTCUT = 2262;
constexpr int IDM_SAVETARGET = 2268;

// Commands of the document's command target (the HTML document answers
// IOleCommandTarget): text size 0 to 4 and optical zoom in percent, each with
// its range answered as one integer, minimum in the low word and maximum in
// the high word.
constexpr DWORD OLECMDID_ZOOM = 19;
constexpr DWORD OLECMDID_GETZOOMRANGE = 20;
constexpr DWORD OLECMDID_SHOWSCRIPTERROR = 40;
constexpr DWORD OLECMDID_OPTICAL_ZOOM = 63;
constexpr DWORD OLECMDID_OPTICAL_GETZOOMRANGE = 64;
// Commands of CGID_Explorer and CGID_DocHostCommandHandler sent to the host.
constexpr DWORD SHDVID_UNLOAD = 37;
constexpr DWORD IDM_REFRESH_TOP = 6041;
constexpr DWORD IDM_REFRESH_TOP_FULL = 6042;

// The control's context menus, handed to ShowContextMenu as its command
// target: a host that builds its own menu asks for the control's menu of a
// context kind and has the chosen command carried out.
class IContextMenuSource {
public:
    virtual ~IContextMenuSource() = default;
    // A new menu with the control's items for that kind (each action's data()
    // holds its command id; item IDM_LANGUAGE carries an encoding submenu);
    // nullptr for an unknown kind. The caller owns it.
    virtual QMenu* CreateContextMenu(DWORD kind) = 0;
    // The window that owns the menu and receives its command.
    virtual QWidget* MenuOwner() = 0;
    // Carries out a context-menu command for the element that was clicked.
    virtual void ExecMenuCommand(int commandId) = 0;
};

// Drops on the control's view. The data is the dropped QMimeData; pt the
// position in screen coordinates; the effect is a DROPEFFECT_ value.
constexpr DWORD DROPEFFECT_NONE = 0;
constexpr DWORD DROPEFFECT_COPY = 1;
class IDropTarget {
public:
    virtual ~IDropTarget() = default;
    virtual HRESULT DragEnter(const QMimeData* data, DWORD keyState, POINT pt, DWORD* effect) = 0;
    virtual HRESULT DragOver(DWORD keyState, POINT pt, DWORD* effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(const QMimeData* data, DWORD keyState, POINT pt, DWORD* effect) = 0;
};

// The control's side of ambient properties: the host tells it that one
// changed, and the control reads it again (the download control before the
// next page).
class IOleControl {
public:
    virtual ~IOleControl() = default;
    virtual HRESULT OnAmbientPropertyChange(DISPID dispId) = 0;
    // Drops on the view go to target from now on; nullptr gives them back to
    // the engine (which takes them while RegisterAsDropTarget is on).
    virtual void RegisterDragDrop(IDropTarget* target) = 0;
};

// The page's error event, handed to the host in the OLECMDID_SHOWSCRIPTERROR
// command: its properties by name ("errorLine", "errorCharacter",
// "errorCode", "errorMessage", "errorUrl"). False for a property the event
// does not know.
class IScriptErrorEvent : public IDispatch {
public:
    virtual bool GetProperty(const QString& name, QString& value) const = 0;
};

// What an error raised inside an ambient property call becomes.
struct EXCEPINFO {
    WORD wCode = 0;
    WideString bstrSource;
    WideString bstrDescription;
    DWORD dwHelpContext = 0;
};

class IDocHostUIHandler {
public:
    virtual ~IDocHostUIHandler() = default;
    // A right click in the page. dwID is the context kind, ppt the click in
    // screen coordinates, commandTarget the control's menus. S_OK: the host
    // showed its own menu or none; anything else: the control shows its menu.
    virtual HRESULT ShowContextMenu(DWORD dwID, const POINT* ppt, IContextMenuSource* commandTarget, IDispatch* context)
        = 0;
    // Asked before each page of the main frame loads: the flags apply to it,
    // and the style sheet is added to every frame of it.
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO* pInfo) = 0;
    // ShowUI, HideUI, UpdateUI, EnableModeless, the two activation calls,
    // ResizeBorder, GetOptionKeyPath, GetExternal, TranslateUrl and
    // FilterDataObject belong to the interface; this control has no such
    // moments on its engine and does not ask them.
    virtual HRESULT ShowUI(
        DWORD dwID, IDispatch* activeObject, IDispatch* commandTarget, IDispatch* frame, IDispatch* doc)
        = 0;
    virtual HRESULT HideUI() = 0;
    virtual HRESULT UpdateUI() = 0;
    virtual HRESULT EnableModeless(bool fEnable) = 0;
    virtual HRESULT OnDocWindowActivate(bool fActivate) = 0;
    virtual HRESULT OnFrameWindowActivate(bool fActivate) = 0;
    virtual HRESULT ResizeBorder(const QRect* prcBorder, IDispatch* uiWindow, bool frameWindow) = 0;
    // Every key pressed in the page, before the page sees it. S_OK: the key
    // is consumed and never reaches the page.
    virtual HRESULT TranslateAccelerator(const MSG* lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) = 0;
    virtual HRESULT GetOptionKeyPath(WideString* pchKey, DWORD dw) = 0;
    // The drop target of the view: E_NOTIMPL keeps the engine's own; S_OK
    // with a target routes drops to it; S_OK with nullptr accepts none.
    virtual HRESULT GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) = 0;
    virtual HRESULT GetExternal(IDispatch** ppDispatch) = 0;
    virtual HRESULT TranslateUrl(DWORD dwTranslate, const WideString& pchURLIn, WideString* ppchURLOut) = 0;
    virtual HRESULT FilterDataObject(const QMimeData* pDO, const QMimeData** ppDORet) = 0;
};

class IDocHostUIHandler2 : public IDocHostUIHandler {
public:
    virtual HRESULT GetOverrideKeyPath(WideString* pchKey, DWORD dw) = 0;
};

// Message boxes and help of the page. ShowMessage is asked for every alert
// (MB_OK | MB_ICONWARNING), confirm (MB_OKCANCEL | MB_ICONQUESTION) and prompt
// (MB_OKCANCEL | MB_ICONQUESTION) the page shows. S_OK: plResult holds the answer (IDOK or IDCANCEL;
// a prompt answered IDOK keeps its default text); S_FALSE: the control shows
// its own box through the application's dialogs.
// ShowHelp is not asked by this control.
class IDocHostShowUI {
public:
    virtual ~IDocHostShowUI() = default;
    virtual HRESULT ShowMessage(QWidget* hwnd, const WideString& lpstrText, const WideString& lpstrCaption,
        DWORD dwType, const WideString& lpstrHelpFile, DWORD dwHelpContext, std::intptr_t* plResult)
        = 0;
    virtual HRESULT ShowHelp(QWidget* hwnd, const WideString& pszHelpFile, UINT uCommand, DWORD dwData, POINT ptMouse,
        IDispatch* pDispatchObjectHit)
        = 0;
};

// The ambient properties the control reads from its site (user mode, download
// control, user agent).
class IAmbientProperties {
public:
    virtual ~IAmbientProperties() = default;
    virtual HRESULT Invoke(
        DISPID dispIdMember, WORD wFlags, std::vector<Variant>& params, Variant* pVarResult, EXCEPINFO* pExcepInfo)
        = 0;
};

// Services asked through the site.
inline const GUID IID_INewWindowManager = *GUID::parse("{D2BC4C84-3F72-4A52-A604-7BCBF3982CBB}");
inline const GUID IID_IDownloadManager = *GUID::parse("{988934A4-064B-11D3-BB80-00104B35E7F9}");
inline const GUID IID_IAuthenticate = *GUID::parse("{79EAC9D0-BAF9-11CE-8C82-00AA004BA90B}");
inline const GUID IID_IProtectFocus = *GUID::parse("{D81F90A3-8156-44F7-AD28-5ABB87003274}");
inline const GUID IID_IHostBehaviorInit = *GUID::parse("{3050F842-98B5-11CF-BB82-00AA00BDCE0B}");
inline const GUID IID_IHTMLOMWindowServices = *GUID::parse("{3050F5FC-98B5-11CF-BB82-00AA00BDCE0B}");
inline const GUID SID_SNewWindowManager = IID_INewWindowManager;
inline const GUID SID_SDownloadManager = IID_IDownloadManager;

class IServiceProvider {
public:
    virtual ~IServiceProvider() = default;
    // The host's object for the service and interface, or nullptr with
    // E_NOINTERFACE. The object is the host's own; the caller does not own it.
    virtual HRESULT QueryService(const GUID& guidService, const GUID& riid, void** ppvObject) = 0;
};

// Flags of EvaluateNewWindow.
constexpr DWORD NWMF_USERINITIATED = 0x2;

// A page opens a window (window.open, a link with a target). S_FALSE blocks
// it; S_OK and E_FAIL (the control's own pop-up rules: allowed) let it open.
class INewWindowManager {
public:
    virtual ~INewWindowManager() = default;
    virtual HRESULT EvaluateNewWindow(const WideString& pszUrl, const WideString& pszName,
        const WideString& pszUrlContext, const WideString& pszFeatures, bool fReplace, DWORD dwFlags,
        DWORD dwUserActionTime)
        = 0;
};

// A response the page cannot show. Its BINDINFO (UrlMon.h) carries the
// suggested file name in szExtraInfo. S_OK: the host took the download over and
// the control drops it; E_NOTIMPL: the control downloads as usual (its own
// file-download dialog). pmk is the address.
class IDownloadManager {
public:
    virtual ~IDownloadManager() = default;
    virtual HRESULT Download(const WideString& pmk, IDispatch* pbc, DWORD dwBindVerb, std::int32_t grfBINDF,
        const BINDINFO* pBindInfo, const WideString& pszHeaders, const WideString& pszRedir, UINT uiCP)
        = 0;
};

// A server (401) or proxy (407) asks for credentials. S_OK with a user name
// answers it; S_OK with none or a failure answers with no credentials (the
// page shows the server's refusal).
class IAuthenticate {
public:
    virtual ~IAuthenticate() = default;
    virtual HRESULT Authenticate(QWidget** phwnd, WideString* pszUsername, WideString* pszPassword) = 0;
};

// The focus permission, the zoom notification and the behaviour namespaces
// are answered by hosts; this control does not ask them.
class IProtectFocus {
public:
    virtual ~IProtectFocus() = default;
    virtual HRESULT AllowFocusChange(bool* pfAllow) = 0;
};

class IZoomEvents {
public:
    virtual ~IZoomEvents() = default;
    virtual HRESULT OnZoomPercentChanged(unsigned long ulZoomPercent) = 0;
};

class IHostBehaviorInit {
public:
    virtual ~IHostBehaviorInit() = default;
    virtual HRESULT PopulateNamespaceTable() = 0;
};
