#pragma once
// The answers the browser component gives the control's questions: context
// menus, host flags and style sheet, accelerators, option keys, drop targets,
// message boxes and help, ambient properties, services (new windows,
// downloads, log-in, focus, behaviours, window services), zoom and script
// errors. Each answer follows a fixed rule when no handler is assigned, and
// almost every one can be changed by its event. TCustomSextant inherits this
// and supplies the control and the component it speaks for.
//
// Where a contract below says the answer is the control's own (its context
// menu, message box, log-in dialog, download dialog, script-error report,
// drop handling, zoom steps), that default is the control's, not this
// component's: it lives with the control in platform/webengine
// (QtWebBrowserHost.cpp), which asks these questions and falls back to it
// when the answer leaves the question to the control.
#include "platform/webcontrol/HostInterfaces.h"

#include <QPointer>

#include <functional>
#include <initializer_list>

class QMenu;
class QObject;
class QPoint;

// A set of the members of an enumeration numbered from 0 (below 64).
template <class E> class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members)
    {
        for (E member : members)
            bits_ |= bit(member);
    }
    constexpr bool Contains(E member) const { return bits_ & bit(member); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TSet& Include(E member)
    {
        bits_ |= bit(member);
        return *this;
    }
    constexpr TSet& Exclude(E member)
    {
        bits_ &= ~bit(member);
        return *this;
    }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr std::uint64_t bit(E member) { return std::uint64_t(1) << unsigned(member); }
    std::uint64_t bits_ = 0;
};

// Members in declaration order; each maps to one DOCHOSTUIFLAG value
// (UserInterfaceFlag).
enum class TUserInterfaceOption {
    DisableTextSelect,
    DisableHelpMenu,
    DontUse3DBorders,
    DontUseScrollBars,
    PostponeScriptUntilActive,
    ForceOpenNewWindow,
    Reserved_OFFSCREEN,
    ForceFlatScrollBars,
    InsertDivTagOnEditMode,
    ActivateUIOnlyOnDocClick,
    ConsultBeforeRetrievingBehavior,
    CheckFontSupportsCodePage,
    DisableSubmitUrlInUTF8,
    EnableSubmitUrlInUTF8,
    EnablesFormsAutoComplete,
    ForceSameWindowNavigation,
    EmableImeLocalLanguages,
    EnableThemes,
    DisableThemes,
    DisablePicsRatings,
    DisableFrameSetBorder,
    DisablesAutoNameSpaceCorrection,
    DisableLocalFileAccess,
    DisableUntrustedProtocol,
    CheckNavigationDelegatedToHost,
    EnableRedirectNotification,
    EnableDomWindlessControls,
    EnableWindowedControls,
    ForceUserActivationOnActiveXJava,
};
using TUserInterfaceOptions = TSet<TUserInterfaceOption>;
DWORD UserInterfaceFlag(TUserInterfaceOption option);
DWORD UserInterfaceFlags(TUserInterfaceOptions options);

// Members in declaration order; each maps to one DLCTL value (DownloadFlag).
enum class TDownloadControlOption {
    DownloadImages,
    DownloadVideos,
    DownloadBGSounds,
    DontExecuteScripts,
    DontExecuteJava,
    DontExecuteActiveX,
    DontDownloadActiveX,
    DownloadButDontDisplay,
    DontDownloadFrame,
    CheckPageResynchronize,
    DownloadAndIgnoreCache,
    DontDownloadBehaviors,
    SuppressedMetaCharset,
    DisableUrlIfEncodingUTF8,
    EnableUrlIfEncodingUTF8,
    ForceOfflineMode,
    DontPerformClientPull,
    DownloadInSilentMode,
    WorkOffline,
};
using TDownloadControlOptions = TSet<TDownloadControlOption>;
DWORD DownloadFlag(TDownloadControlOption option);
DWORD DownloadFlags(TDownloadControlOptions options);

// Context kinds whose menu can be disabled; rcmAll disables every kind.
enum class TIEPopupMenu {
    rcmDefault,
    rcmImage,
    rcmControl,
    rcmTable,
    rcmSelText,
    rcmAnchor,
    rcmUnKnown,
    rcmImageArt,
    rcmImgDynSrc,
    rcmDebug,
    rcmAll,
};
using TIEPopupMenus = TSet<TIEPopupMenu>;

// Items a host-built context menu can lose; PopupMenuItemId gives the
// command id each removes.
enum class TIEPopupMenuItem {
    rcsBack,
    rcsForward,
    rcsSavePageBkg,
    rcsSetAsBkg,
    rcsCopyBkg,
    rcsSetAsDeskT,
    rcsSelectAll,
    rcsPaste,
    rcsCreateSC,
    rcsAddToFav,
    rcsEncoding,
    rcsRefresh,
    rcsViewSource,
    rcsProperties,
    rcsPrint,
    rcsOpenNWindow,
    rcsOpenLink,
};
using TIEPopupMenuItems = TSet<TIEPopupMenuItem>;
int PopupMenuItemId(TIEPopupMenuItem item);

enum TScriptErrorAction { eaContinue, eaCancel, eaAskUser };
enum TDragDropHandlingType { ddtMS, ddtMy, ddtCustom, ddtNo };

using TObject = QObject;
using TShowContextMenuEvent = std::function<void(TObject* Sender, DWORD dwID, const POINT* ppt,
    IContextMenuSource* CommandTarget, IDispatch* Context, HRESULT& Result)>;
using TFilterPopupMenuEvent = std::function<void(TObject* Sender, DWORD ID, QMenu* Menu, IDispatch* Context)>;
using TGetHostInfoEvent = std::function<void(TObject* Sender, DOCHOSTUIINFO& pInfo)>;
using TShowUIEvent = std::function<void(TObject* Sender, DWORD dwID, IDispatch* pActiveObject,
    IDispatch* pCommandTarget, IDispatch* pFrame, IDispatch* pDoc, HRESULT& Rezult)>;
using TRezultEvent = std::function<void(TObject* Sender, HRESULT& Rezult)>;
using TBoolEvent = std::function<void(TObject* Sender, bool Value)>;
using TResizeBorderEvent
    = std::function<void(TObject* Sender, const QRect* prcBorder, IDispatch* pUIWindow, bool fRameWindow)>;
using TTranslateAcceleratorEvent
    = std::function<void(TObject* Sender, const MSG* lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID, bool& Done)>;
using TMaskedCtrlCharEvent = std::function<void(TObject* Sender, char MaskedChar)>;
using TGetDropTargetEvent = std::function<void(TObject* Sender, IDropTarget*& DropTarget)>;
using TGetExternalEvent = std::function<void(TObject* Sender, IDispatch*& ppDispatch)>;
using TTranslateUrlEvent = std::function<void(TObject* Sender, const WideString& pchURLIn, WideString& ppchURLOut)>;
using TFilterDataObjectEvent = std::function<void(TObject* Sender, const QMimeData* pDO, const QMimeData*& ppDORet)>;
using TShowMessageEvent
    = std::function<HRESULT(TObject* Sender, QWidget* HWND, const WideString& lpstrText, const WideString& lpstrCaption,
        DWORD dwType, const WideString& lpstrHelpFile, DWORD dwHelpContext, std::intptr_t& plResult)>;
using TShowHelpEvent = std::function<HRESULT(TObject* Sender, QWidget* HWND, const WideString& pszHelpFile,
    UINT uCommand, DWORD dwData, POINT ptMouse, IDispatch*& pDispatchObjectHit)>;
using TCommandExecEvent = std::function<void(TObject* Sender, const GUID* CmdGroup, DWORD nCmdID, DWORD nCmdexecopt,
    const Variant& vaIn, Variant& vaOut, HRESULT& Rezult)>;
using THostNotifyEvent = std::function<void(TObject* Sender)>;
using TRefreshEvent = std::function<void(TObject* Sender, DWORD CmdID, bool& Cancel)>;
using TScriptErrorEvent = std::function<void(TObject* Sender, const QString& ErrorLine, const QString& ErrorCharacter,
    const QString& ErrorCode, const QString& ErrorMessage, const QString& ErrorUrl,
    TScriptErrorAction& ScriptErrorAction)>;
using TQueryServiceEvent = std::function<void(TObject* Sender, const GUID& rsid, const GUID& iid, void*& Obj)>;
using TEvaluateNewWindowEvent = std::function<void(TObject* Sender, const WideString& pszUrl, const WideString& pszName,
    const WideString& pszUrlContext, const WideString& pszFeatures, bool fReplace, DWORD dwFlags,
    DWORD dwUserActionTime, HRESULT& Rezult)>;
using TFileDownloadEvent = std::function<void(TObject* Sender, const WideString& pmk, IDispatch* pbc, DWORD dwBindVerb,
    std::int32_t grfBINDF, const BINDINFO* pBindInfo, const WideString& pszHeaders, const WideString& pszRedir,
    UINT uiCP, HRESULT& Rezult)>;
using TAuthenticateEvent = std::function<void(
    TObject* Sender, QWidget*& hwnd, WideString& szUserName, WideString& szPassWord, HRESULT& Rezult)>;
using TAllowFocusChangeEvent = std::function<void(TObject* Sender, bool& Value)>;
using TZoomPercentChangeEvent = std::function<HRESULT(TObject* Sender, unsigned long ulZoomPercent)>;
using TDragEvent = std::function<void(
    TObject* Sender, const QMimeData* Data, DWORD KeyState, POINT pt, DWORD& dwEffect, HRESULT& Rezult)>;
using TInvokeEvent = std::function<void(
    TObject* Sender, DISPID DispID, WORD Flags, std::vector<Variant>& Params, Variant* VarResult, HRESULT& Rezult)>;

class THostUIHandler : public IDocHostUIHandler2,
                       public IDocHostShowUI,
                       public IServiceProvider,
                       public INewWindowManager,
                       public IDownloadManager,
                       public IAuthenticate,
                       public IProtectFocus,
                       public IZoomEvents,
                       public IHostBehaviorInit,
                       public IAmbientProperties,
                       public IDropTarget {
public:
    THostUIHandler();
    ~THostUIHandler() override;

    // Options. Assigning UserInterfaceOptions or DownloadOptions recomputes
    // their flags and tells the control that its ambient download control
    // changed (it applies to the next page).
    TUserInterfaceOptions UserInterfaceOptions() const { return userInterfaceOptions_; }
    void SetUserInterfaceOptions(TUserInterfaceOptions value);
    TDownloadControlOptions DownloadOptions() const { return downloadOptions_; }
    void SetDownloadOptions(TDownloadControlOptions value);
    DWORD HostUIFlags() const { return uiFlags_; }
    DWORD DownloadControlFlags() const { return downloadFlags_; }

    TIEPopupMenus DisabledPopupMenus;
    // Read at each script error, before OnScriptError.
    TScriptErrorAction ScriptErrorAction = eaContinue;
    // Ctrl + one of these characters (upper-case letters, digits) is consumed
    // before the page sees it.
    QString DisableCtrlShortcuts = QStringLiteral("N");
    QString HelpFile;
    QString OptionKeyPath;
    bool OverrideOptionKeyPath = false;
    TDragDropHandlingType DropHandlingType() const { return dropHandlingType_; }
    void SetDropHandlingType(TDragDropHandlingType value);
    // Optical zoom of the page in percent: a change is clamped into the
    // control's range and OnZoomPercentChange reports the zoom it applied.
    int ZoomPercent() const { return zoomPercent_; }
    void SetZoomPercent(int value);
    // The menu shown at the cursor for a context kind that DisabledPopupMenus
    // disables; none when empty.
    QPointer<QMenu> PopupMenu;

    // Exec on the current document's command target; E_UNEXPECTED without one.
    HRESULT CommandTargetExec(const GUID* CmdGroup, DWORD CmdID, DWORD CmdExecOpt, const Variant& vaIn, Variant& vaOut);
    // Text size: 0 smallest to 4 largest; SetZoom clamps into the control's range.
    int GetZoom();
    void SetZoom(int Value);

    // Raised for each right click in the page; dwID is the context kind, ppt
    // the click in screen coordinates, CommandTarget the control's menus.
    // Result comes in E_NOTIMPL: left so, the component decides (disabled
    // kinds, host-built menu, else the control's menu); S_OK shows no menu
    // from the control, S_FALSE the control's menu.
    TShowContextMenuEvent OnShowContextMenu;
    // Raised when the component builds the context menu itself, before it is
    // shown: ID is the context kind, Menu the control's menu for it (items
    // carry their command ids), which the handler may change. Assigning it
    // makes the component build every menu. Unhandled: the menu is shown as
    // the control gives it (less DisabledPopupMenuItems).
    TFilterPopupMenuEvent OnFilterPopupMenu;
    // Raised when the control asks for the host's flags before a page loads;
    // pInfo comes with the flags of UserInterfaceOptions and may be changed
    // (dwFlags, pchHostCss, pchHostNS). Unhandled: those flags.
    TGetHostInfoEvent OnGetHostInfo;
    // Raised by ShowUI, HideUI and UpdateUI; Rezult comes in S_FALSE (the
    // control shows its own user interface); S_OK claims it. Unhandled: S_FALSE.
    // These and the events down to OnFilterDataObject answer questions that
    // the Qt WebEngine control never asks; a host that asks them directly
    // gets these answers.
    TShowUIEvent OnShowUI;
    // HideUI: Rezult comes in S_FALSE; unhandled, S_FALSE.
    TRezultEvent OnHideUI;
    // UpdateUI: Rezult comes in S_FALSE; unhandled, S_FALSE.
    TRezultEvent OnUpdateUI;
    // Raised by EnableModeless, OnDocWindowActivate, OnFrameWindowActivate
    // with their flag. Unhandled: nothing.
    TBoolEvent OnEnableModeless;
    // OnDocWindowActivate with its flag. Unhandled: nothing.
    TBoolEvent OnOnDocWindowActivate;
    // OnFrameWindowActivate with its flag. Unhandled: nothing.
    TBoolEvent OnOnFrameWindowActivate;
    // Raised by ResizeBorder with its arguments. Unhandled: nothing.
    TResizeBorderEvent OnResizeBorder;
    // Raised for every key pressed in the page that DisableCtrlShortcuts does
    // not mask, before the page sees it; Done comes in false; setting it
    // consumes the key. Unhandled: the key reaches the page.
    TTranslateAcceleratorEvent OnTranslateAccelerator;
    // Raised when Ctrl + a character of DisableCtrlShortcuts was pressed and
    // consumed; MaskedChar is that character. Unhandled: the key is consumed
    // all the same.
    TMaskedCtrlCharEvent OnMaskedCtrlChar;
    // Raised for ddtCustom when the control asks for a drop target or
    // DropHandlingType changes; DropTarget comes in as the component's own and
    // may be replaced (nullptr: no drops). Unhandled: the component's own.
    TGetDropTargetEvent OnGetDropTarget;
    // Raised when a page asks for window.external; ppDispatch comes in null.
    // Unhandled: none (S_FALSE).
    TGetExternalEvent OnGetExternal;
    // Raised before the control loads an address; setting ppchURLOut makes the
    // control load that address instead. Unhandled: unchanged.
    TTranslateUrlEvent OnTranslateUrl;
    // Raised when data of the page goes to the clipboard or a drag; ppDORet
    // comes in null and may name replacement data. Unhandled: unchanged.
    TFilterDataObjectEvent OnFilterDataObject;
    // Raised for every alert, confirm and prompt of the page (see
    // IDocHostShowUI); answer S_OK with plResult IDOK or IDCANCEL, or S_FALSE
    // for the control's own box. Unhandled: the control's own box.
    TShowMessageEvent OnShowMessage;
    // Raised when the help of a page is asked for (ShowHelp; the Qt WebEngine
    // control does not ask); answer S_OK when handled. Unhandled: HelpFile is
    // opened in the desktop's viewer when set, else S_FALSE.
    TShowHelpEvent OnShowHelpRequest;
    // Raised for every command the control sends (after the component's own
    // handling); Rezult comes in as that answer and may be changed.
    TCommandExecEvent OnCommandExec;
    // Raised when the control reports that the page was stopped (OLECMDID_STOP:
    // the Stop button, Escape or Stop()). Unhandled: nothing.
    THostNotifyEvent OnStop;
    // Raised when the control unloads its document (CGID_Explorer 37); the
    // command is then answered S_OK. Unhandled: not supported.
    THostNotifyEvent OnUnload;
    // Raised when the control reports its view (re)created (CGID_Explorer
    // 39), at most once per 150 ms across all components of the process.
    // Unhandled: nothing.
    THostNotifyEvent OnPreRefresh;
    // Raised when the control asks before a refresh (CGID_DocHostCommandHandler
    // 2300, 6041, 6042); CmdID is the refresh command, Cancel comes in false;
    // setting it answers S_OK, which suppresses the refresh. Unhandled: the
    // page refreshes. (The Qt WebEngine control refreshes without asking.)
    TRefreshEvent OnRefresh;
    // Raised after each uncaught script error of the page with the error
    // event's line, character, code, message and address; the answer for this
    // error was taken from ScriptErrorAction before the call, and a change of
    // ScriptErrorAction applies from the next error on. Unhandled: nothing.
    TScriptErrorEvent OnScriptError;
    // Raised when the control asks for a service the component does not
    // provide; rsid and iid name it, Obj comes in null and may be set.
    // Unhandled: E_NOINTERFACE.
    TQueryServiceEvent OnQueryService;
    // Raised when a page opens a window (pszUrl the address, pszName the
    // target name, pszUrlContext the opening page, pszFeatures the features);
    // Rezult comes in E_FAIL (the control's own rules: allowed); S_FALSE
    // blocks the window, S_OK allows it. Assigned, the control asks it.
    TEvaluateNewWindowEvent OnEvaluateNewWindow;
    // Raised for a response the page cannot show (pmk its address, pBindInfo
    // its suggested name, type and size); Rezult comes in E_NOTIMPL (the
    // control's own file-download dialog); S_OK takes the download over and
    // the control writes nothing. Assigned, the control asks it.
    TFileDownloadEvent OnFileDownload;
    // Raised when a server or proxy asks for a log-in; hwnd comes in as the
    // component's window, the names empty, Rezult S_OK. Setting szUserName
    // (and szPassWord) answers with them; none leaves the request unanswered.
    // Assigned, the control asks it; unassigned, the control's own log-in
    // dialog asks the user.
    TAuthenticateEvent OnAuthenticate;
    // Raised by IProtectFocus.AllowFocusChange; Value comes in as the
    // component's focus permission (True) and may be changed. Unhandled:
    // that permission.
    TAllowFocusChangeEvent OnAllowFocusChange;
    // Raised after ZoomPercent changed with the zoom the control applied
    // (clamped into its range), and by IZoomEvents; its result is answered.
    // Unhandled: S_FALSE.
    TZoomPercentChangeEvent OnZoomPercentChange;
    // Raised by IHostBehaviorInit.PopulateNamespaceTable. Unhandled: nothing.
    THostNotifyEvent OnPopulateNSTable;
    // Raised for drags over the view with ddtMy (or ddtCustom when the
    // component's own target was kept): Data is the dragged data (none for
    // OnDragOver2), pt the position on the screen. dwEffect comes in
    // DROPEFFECT_NONE and Rezult S_OK, both answered to the control; an effect
    // other than none accepts the drag. Unhandled: nothing is dropped.
    TDragEvent OnDragEnter;
    // A drag moves over the view; arguments as OnDragEnter, no Data.
    // Unhandled: nothing is dropped.
    TDragEvent OnDragOver2;
    // The drop itself; arguments as OnDragEnter. Unhandled: nothing is dropped.
    TDragEvent OnDropEvent;
    // The drag left the view. Unhandled: nothing.
    THostNotifyEvent OnDragLeave;
    // Raised for an ambient property the component does not answer (all but
    // user mode, download control and its own user agent); Rezult comes in
    // DISP_E_MEMBERNOTFOUND and may be changed with VarResult. An exception
    // thrown by the handler is answered DISP_E_EXCEPTION with code 9999.
    // Unhandled: DISP_E_MEMBERNOTFOUND.
    TInvokeEvent OnInvoke;

    // IDocHostUIHandler2
    HRESULT ShowContextMenu(
        DWORD dwID, const POINT* ppt, IContextMenuSource* commandTarget, IDispatch* context) override;
    HRESULT GetHostInfo(DOCHOSTUIINFO* pInfo) override;
    HRESULT ShowUI(
        DWORD dwID, IDispatch* activeObject, IDispatch* commandTarget, IDispatch* frame, IDispatch* doc) override;
    HRESULT HideUI() override;
    HRESULT UpdateUI() override;
    HRESULT EnableModeless(bool fEnable) override;
    HRESULT OnDocWindowActivate(bool fActivate) override;
    HRESULT OnFrameWindowActivate(bool fActivate) override;
    HRESULT ResizeBorder(const QRect* prcBorder, IDispatch* uiWindow, bool frameWindow) override;
    HRESULT TranslateAccelerator(const MSG* lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) override;
    HRESULT GetOptionKeyPath(WideString* pchKey, DWORD dw) override;
    HRESULT GetOverrideKeyPath(WideString* pchKey, DWORD dw) override;
    HRESULT GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) override;
    HRESULT GetExternal(IDispatch** ppDispatch) override;
    HRESULT TranslateUrl(DWORD dwTranslate, const WideString& pchURLIn, WideString* ppchURLOut) override;
    HRESULT FilterDataObject(const QMimeData* pDO, const QMimeData** ppDORet) override;
    // IDocHostShowUI
    HRESULT ShowMessage(QWidget* hwnd, const WideString& lpstrText, const WideString& lpstrCaption, DWORD dwType,
        const WideString& lpstrHelpFile, DWORD dwHelpContext, std::intptr_t* plResult) override;
    HRESULT ShowHelp(QWidget* hwnd, const WideString& pszHelpFile, UINT uCommand, DWORD dwData, POINT ptMouse,
        IDispatch* pDispatchObjectHit) override;
    // IServiceProvider
    HRESULT QueryService(const GUID& guidService, const GUID& riid, void** ppvObject) override;
    // Services
    HRESULT EvaluateNewWindow(const WideString& pszUrl, const WideString& pszName, const WideString& pszUrlContext,
        const WideString& pszFeatures, bool fReplace, DWORD dwFlags, DWORD dwUserActionTime) override;
    HRESULT Download(const WideString& pmk, IDispatch* pbc, DWORD dwBindVerb, std::int32_t grfBINDF,
        const BINDINFO* pBindInfo, const WideString& pszHeaders, const WideString& pszRedir, UINT uiCP) override;
    HRESULT Authenticate(QWidget** phwnd, WideString* pszUsername, WideString* pszPassword) override;
    HRESULT AllowFocusChange(bool* pfAllow) override;
    HRESULT OnZoomPercentChanged(unsigned long ulZoomPercent) override;
    HRESULT PopulateNamespaceTable() override;
    // Ambient properties
    HRESULT Invoke(DISPID dispIdMember, WORD wFlags, std::vector<Variant>& params, Variant* pVarResult,
        EXCEPINFO* pExcepInfo) override;
    // IDropTarget: the component's own target (ddtMy, ddtCustom).
    HRESULT DragEnter(const QMimeData* data, DWORD keyState, POINT pt, DWORD* effect) override;
    HRESULT DragOver(DWORD keyState, POINT pt, DWORD* effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(const QMimeData* data, DWORD keyState, POINT pt, DWORD* effect) override;

    // The script-error answer to the control's OLECMDID_SHOWSCRIPTERROR: out
    // True (scripts go on, S_OK) for eaContinue, False (scripts stop, S_OK)
    // for eaCancel, S_FALSE (the control's own dialog) for eaAskUser. in
    // holds the error event's properties by name: "errorLine",
    // "errorCharacter", "errorCode", "errorMessage", "errorUrl" (a map of
    // texts); a missing one throws "'<name>' is not supported.".
    HRESULT HandleScriptError(const Variant& in, Variant& out);
    // The command handling shared by the component's IOleCommandTarget.
    HRESULT HostExec(const GUID* cmdGroup, DWORD cmdId, DWORD cmdExecOpt, const Variant& in, Variant& out);

protected:
    // The component the events name as Sender.
    virtual TObject* HostSender() = 0;
    // The control the component hosts.
    virtual IWebBrowser2* HostedControl() const = 0;
    // The component's window.
    virtual QWidget* HostWindow() = 0;
    // Whether the component builds every context menu itself; TSextant adds
    // its removed items.
    virtual bool BuildsOwnMenus() const { return bool(OnFilterPopupMenu); }
    // Changes the host-built menu before it is shown: raises OnFilterPopupMenu.
    virtual void FilterPopupMenu(DWORD id, QMenu* menu, IDispatch* context);
    // The user agent the ambient property answers; False: none of its own.
    virtual bool AmbientUserAgent(WideString& text) const;
    // The control (re)created its view (CGID_Explorer 39) and its view or
    // folder list exists; TSextant re-hooks its inner windows.
    virtual void ViewCreated() {}
    virtual bool ViewExists() const = 0;
    // The focus-change permission answered to the control.
    virtual bool FocusChangePermission() const = 0;
    // The component's window services when it provides them, else nullptr.
    virtual IHTMLOMWindowServices* WindowServices() = 0;
    void NotifyAmbientChange();
    IOleControl* ControlSide() const;

    bool designMode_ = false;

private:
    // The control's menu for the kind, filtered and tracked at ppt; the chosen
    // command is carried out. False when the control has no menu for it.
    bool ShowBuiltContextMenu(DWORD dwID, const POINT* ppt, IContextMenuSource* commandTarget, IDispatch* context);
    bool IsMasked(const MSG& msg, char& masked) const;
    IDropTarget* ChooseDropTarget();
    int ClampToRange(DWORD rangeCommand, int value);

    TUserInterfaceOptions userInterfaceOptions_;
    TDownloadControlOptions downloadOptions_;
    DWORD uiFlags_ = 0;
    DWORD downloadFlags_ = 0;
    TDragDropHandlingType dropHandlingType_ = ddtMS;
    int zoomPercent_ = 100;
};
