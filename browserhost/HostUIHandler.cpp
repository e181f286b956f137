#include "browserhost/HostUIHandler.h"

#include "browserhost/Messages.h"

#include <QAction>
#include <QCursor>
#include <QDesktopServices>
#include <QMenu>
#include <QUrl>

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>
#include <typeinfo>

namespace {

constexpr std::array<DWORD, 29> UserInterfaceFlagValues = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200,
    0x400, 0x800, 0x1000, 0x2000, 0x4000, 0x10000, 0x20000, 0x40000, 0x80000, 0x100000, 0x200000, 0x400000, 0x800000,
    0x1000000, 0x2000000, 0x4000000, 0x8000000, 0x10000000, 0x20000000};

constexpr std::array<DWORD, 19> DownloadFlagValues = {0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x400, 0x800, 0x1000,
    0x2000, 0x4000, 0x8000, 0x10000, 0x20000, 0x40000, 0x10000000, 0x20000000, 0x40000000, 0x80000000};

constexpr std::array<int, 17> PopupMenuItemIds = {IDM_GOBACKWARD, IDM_GOFORWARD, IDM_SAVEBACKGROUND, IDM_SETWALLPAPER,
    IDM_COPYBACKGROUND, IDM_SETDESKTOPITEM, IDM_SELECTALL, IDM_PASTE, IDM_CREATESHORTCUT, IDM_ADDFAVORITES,
    IDM_LANGUAGE, IDM_REFRESH, IDM_VIEWSOURCE, IDM_PROPERTIES, IDM_PRINT, IDM_FOLLOWLINKN, IDM_FOLLOWLINKC};

// The last time any component raised OnPreRefresh.
std::optional<unsigned>& lastPreRefresh()
{
    static std::optional<unsigned> time;
    return time;
}
constexpr unsigned PreRefreshIntervalMs = 150;

// The names of the error event's properties, in the order they are read.
constexpr std::array<const char*, 5> ScriptErrorProperties
    = {"errorCharacter", "errorCode", "errorMessage", "errorUrl", "errorLine"};

WideString toWide(const QString& text) { return text.toStdU16String(); }

} // namespace

DWORD UserInterfaceFlag(TUserInterfaceOption option) { return UserInterfaceFlagValues.at(size_t(option)); }

DWORD UserInterfaceFlags(TUserInterfaceOptions options)
{
    DWORD flags = 0;
    for (size_t i = 0; i < UserInterfaceFlagValues.size(); ++i)
        if (options.Contains(TUserInterfaceOption(i)))
            flags |= UserInterfaceFlagValues[i];
    return flags;
}

DWORD DownloadFlag(TDownloadControlOption option) { return DownloadFlagValues.at(size_t(option)); }

DWORD DownloadFlags(TDownloadControlOptions options)
{
    DWORD flags = 0;
    for (size_t i = 0; i < DownloadFlagValues.size(); ++i)
        if (options.Contains(TDownloadControlOption(i)))
            flags |= DownloadFlagValues[i];
    return flags;
}

int PopupMenuItemId(TIEPopupMenuItem item) { return PopupMenuItemIds.at(size_t(item)); }

// The defaults' flags are computed here without telling the control, which
// asks for them when its first page loads.
THostUIHandler::THostUIHandler()
    : userInterfaceOptions_{TUserInterfaceOption::EnablesFormsAutoComplete, TUserInterfaceOption::EnableThemes},
      downloadOptions_{TDownloadControlOption::DownloadImages, TDownloadControlOption::DownloadVideos,
          TDownloadControlOption::DownloadBGSounds},
      uiFlags_(UserInterfaceFlags(userInterfaceOptions_)), downloadFlags_(DownloadFlags(downloadOptions_))
{}

THostUIHandler::~THostUIHandler() = default;

IOleControl* THostUIHandler::ControlSide() const { return dynamic_cast<IOleControl*>(HostedControl()); }

void THostUIHandler::NotifyAmbientChange()
{
    if (IOleControl* control = ControlSide())
        control->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL);
}

void THostUIHandler::SetUserInterfaceOptions(TUserInterfaceOptions value)
{
    userInterfaceOptions_ = value;
    uiFlags_ = UserInterfaceFlags(value);
    NotifyAmbientChange();
}

void THostUIHandler::SetDownloadOptions(TDownloadControlOptions value)
{
    downloadOptions_ = value;
    downloadFlags_ = DownloadFlags(value);
    NotifyAmbientChange();
}

HRESULT THostUIHandler::ShowContextMenu(
    DWORD dwID, const POINT* ppt, IContextMenuSource* commandTarget, IDispatch* context)
{
    HRESULT result = E_NOTIMPL;
    if (OnShowContextMenu)
        OnShowContextMenu(HostSender(), dwID, ppt, commandTarget, context, result);
    if (result != E_NOTIMPL)
        return result;
    const bool disabled = DisabledPopupMenus.Contains(TIEPopupMenu::rcmAll)
        || (dwID < DWORD(TIEPopupMenu::rcmAll) && DisabledPopupMenus.Contains(TIEPopupMenu(dwID)));
    if (disabled) {
        if (PopupMenu)
            PopupMenu->popup(QCursor::pos());
        return S_OK;
    }
    if (BuildsOwnMenus())
        return ShowBuiltContextMenu(dwID, ppt, commandTarget, context) ? S_OK : S_FALSE;
    return S_FALSE;
}

bool THostUIHandler::ShowBuiltContextMenu(
    DWORD dwID, const POINT* ppt, IContextMenuSource* commandTarget, IDispatch* context)
{
    if (!commandTarget || !commandTarget->MenuOwner())
        return false;
    std::unique_ptr<QMenu> menu(commandTarget->CreateContextMenu(dwID));
    if (!menu)
        return false;
    FilterPopupMenu(dwID, menu.get(), context);
    const QPoint at = ppt ? QPoint(ppt->x, ppt->y) : QCursor::pos();
    QPointer<QWidget> owner = commandTarget->MenuOwner();
    const QAction* chosen = menu->exec(at);
    bool ok = false;
    const int command = chosen ? chosen->data().toInt(&ok) : 0;
    if (ok && owner)
        commandTarget->ExecMenuCommand(command);
    return true;
}

void THostUIHandler::FilterPopupMenu(DWORD id, QMenu* menu, IDispatch* context)
{
    if (OnFilterPopupMenu)
        OnFilterPopupMenu(HostSender(), id, menu, context);
}

HRESULT THostUIHandler::GetHostInfo(DOCHOSTUIINFO* pInfo)
{
    *pInfo = DOCHOSTUIINFO();
    pInfo->cbSize = DocHostUIInfoSize;
    pInfo->dwFlags = uiFlags_;
    if (OnGetHostInfo)
        OnGetHostInfo(HostSender(), *pInfo);
    return S_OK;
}

HRESULT THostUIHandler::ShowUI(
    DWORD dwID, IDispatch* activeObject, IDispatch* commandTarget, IDispatch* frame, IDispatch* doc)
{
    HRESULT rezult = S_FALSE;
    if (OnShowUI)
        OnShowUI(HostSender(), dwID, activeObject, commandTarget, frame, doc, rezult);
    return rezult;
}

HRESULT THostUIHandler::HideUI()
{
    HRESULT rezult = S_FALSE;
    if (OnHideUI)
        OnHideUI(HostSender(), rezult);
    return rezult;
}

HRESULT THostUIHandler::UpdateUI()
{
    HRESULT rezult = S_FALSE;
    if (OnUpdateUI)
        OnUpdateUI(HostSender(), rezult);
    return rezult;
}

HRESULT THostUIHandler::EnableModeless(bool fEnable)
{
    if (OnEnableModeless)
        OnEnableModeless(HostSender(), fEnable);
    return S_OK;
}

HRESULT THostUIHandler::OnDocWindowActivate(bool fActivate)
{
    if (OnOnDocWindowActivate)
        OnOnDocWindowActivate(HostSender(), fActivate);
    return S_OK;
}

HRESULT THostUIHandler::OnFrameWindowActivate(bool fActivate)
{
    if (OnOnFrameWindowActivate)
        OnOnFrameWindowActivate(HostSender(), fActivate);
    return S_OK;
}

HRESULT THostUIHandler::ResizeBorder(const QRect* prcBorder, IDispatch* uiWindow, bool frameWindow)
{
    if (OnResizeBorder)
        OnResizeBorder(HostSender(), prcBorder, uiWindow, frameWindow);
    return S_OK;
}

// Ctrl alone (no Shift, no Alt) with a key whose code is one of
// DisableCtrlShortcuts, compared case-sensitively.
bool THostUIHandler::IsMasked(const MSG& msg, char& masked) const
{
    const bool ctrlOnly = msg.ctrlDown && !msg.shiftDown && !(msg.lParam & KF_ALTDOWN);
    if (msg.message != WM_KEYDOWN || !ctrlOnly || DisableCtrlShortcuts.isEmpty())
        return false;
    masked = char(msg.wParam & 0xFF);
    return DisableCtrlShortcuts.contains(QChar::fromLatin1(masked), Qt::CaseSensitive);
}

HRESULT THostUIHandler::TranslateAccelerator(const MSG* lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID)
{
    char maskedChar = 0;
    const bool masked = lpMsg && IsMasked(*lpMsg, maskedChar);
    bool done = false;
    if (masked && OnMaskedCtrlChar)
        OnMaskedCtrlChar(HostSender(), maskedChar);
    if (!masked && OnTranslateAccelerator)
        OnTranslateAccelerator(HostSender(), lpMsg, pguidCmdGroup, nCmdID, done);
    return masked || done ? S_OK : S_FALSE;
}

HRESULT THostUIHandler::GetOptionKeyPath(WideString* pchKey, DWORD)
{
    const bool answer = !OptionKeyPath.isEmpty() && !OverrideOptionKeyPath;
    *pchKey = answer ? toWide(OptionKeyPath) : WideString();
    return answer ? S_OK : S_FALSE;
}

HRESULT THostUIHandler::GetOverrideKeyPath(WideString* pchKey, DWORD)
{
    const bool answer = !OptionKeyPath.isEmpty() && OverrideOptionKeyPath;
    *pchKey = answer ? toWide(OptionKeyPath) : WideString();
    return answer ? S_OK : S_FALSE;
}

IDropTarget* THostUIHandler::ChooseDropTarget()
{
    IDropTarget* target = this;
    if (dropHandlingType_ == ddtCustom && OnGetDropTarget)
        OnGetDropTarget(HostSender(), target);
    return target;
}

HRESULT THostUIHandler::GetDropTarget(IDropTarget*, IDropTarget** ppDropTarget)
{
    *ppDropTarget = nullptr;
    switch (dropHandlingType_) {
    case ddtMS:
        HostedControl()->PutProperty(DISPID_REGISTERASDROPTARGET, Variant::fromBool(true));
        return E_NOTIMPL;
    case ddtMy:
    case ddtCustom:
        *ppDropTarget = ChooseDropTarget();
        return S_OK;
    case ddtNo:
        HostedControl()->PutProperty(DISPID_REGISTERASDROPTARGET, Variant::fromBool(false));
        return S_OK;
    }
    return S_OK;
}

void THostUIHandler::SetDropHandlingType(TDragDropHandlingType value)
{
    if (value == dropHandlingType_)
        return;
    dropHandlingType_ = value;
    IOleControl* control = ControlSide();
    if (control)
        control->RegisterDragDrop(nullptr);
    IDropTarget* target = nullptr;
    if (value == ddtMS || value == ddtNo)
        HostedControl()->PutProperty(DISPID_REGISTERASDROPTARGET, Variant::fromBool(value == ddtMS));
    else
        target = ChooseDropTarget();
    if (control && target)
        control->RegisterDragDrop(target);
}

HRESULT THostUIHandler::GetExternal(IDispatch** ppDispatch)
{
    IDispatch* external = nullptr;
    if (OnGetExternal)
        OnGetExternal(HostSender(), external);
    *ppDispatch = external;
    return external ? S_OK : S_FALSE;
}

HRESULT THostUIHandler::TranslateUrl(DWORD, const WideString& pchURLIn, WideString* ppchURLOut)
{
    WideString out;
    if (OnTranslateUrl)
        OnTranslateUrl(HostSender(), pchURLIn, out);
    *ppchURLOut = out;
    return out.empty() ? S_FALSE : S_OK;
}

HRESULT THostUIHandler::FilterDataObject(const QMimeData* pDO, const QMimeData** ppDORet)
{
    const QMimeData* replacement = nullptr;
    if (OnFilterDataObject)
        OnFilterDataObject(HostSender(), pDO, replacement);
    *ppDORet = replacement;
    return replacement ? S_OK : S_FALSE;
}

HRESULT THostUIHandler::ShowMessage(QWidget* hwnd, const WideString& lpstrText, const WideString& lpstrCaption,
    DWORD dwType, const WideString& lpstrHelpFile, DWORD dwHelpContext, std::intptr_t* plResult)
{
    if (!OnShowMessage)
        return S_FALSE;
    return OnShowMessage(HostSender(), hwnd, lpstrText, lpstrCaption, dwType, lpstrHelpFile, dwHelpContext, *plResult);
}

HRESULT THostUIHandler::ShowHelp(
    QWidget* hwnd, const WideString& pszHelpFile, UINT uCommand, DWORD dwData, POINT ptMouse, IDispatch* hit)
{
    if (OnShowHelpRequest)
        return OnShowHelpRequest(HostSender(), hwnd, pszHelpFile, uCommand, dwData, ptMouse, hit);
    if (!pszHelpFile.empty() || HelpFile.isEmpty())
        return S_FALSE;
    // The help file opens in the desktop's viewer; a missing viewer shows nothing.
    QDesktopServices::openUrl(QUrl::fromLocalFile(HelpFile));
    return S_OK;
}

HRESULT THostUIHandler::QueryService(const GUID& guidService, const GUID& riid, void** ppvObject)
{
    void* object = nullptr;
    if (riid == IID_IAuthenticate && OnAuthenticate)
        object = static_cast<IAuthenticate*>(this);
    else if (guidService == riid) {
        if (riid == IID_INewWindowManager && OnEvaluateNewWindow)
            object = static_cast<INewWindowManager*>(this);
        else if (riid == IID_IProtectFocus)
            object = static_cast<IProtectFocus*>(this);
        else if (riid == IID_IDownloadManager && OnFileDownload)
            object = static_cast<IDownloadManager*>(this);
        else if (riid == IID_IHostBehaviorInit && OnPopulateNSTable)
            object = static_cast<IHostBehaviorInit*>(this);
        else if (riid == IID_IHTMLOMWindowServices)
            object = WindowServices();
    }
    if (!object && OnQueryService)
        OnQueryService(HostSender(), guidService, riid, object);
    *ppvObject = object;
    return object ? S_OK : E_NOINTERFACE;
}

HRESULT THostUIHandler::EvaluateNewWindow(const WideString& pszUrl, const WideString& pszName,
    const WideString& pszUrlContext, const WideString& pszFeatures, bool fReplace, DWORD dwFlags,
    DWORD dwUserActionTime)
{
    HRESULT rezult = E_FAIL;
    if (OnEvaluateNewWindow)
        OnEvaluateNewWindow(
            HostSender(), pszUrl, pszName, pszUrlContext, pszFeatures, fReplace, dwFlags, dwUserActionTime, rezult);
    return rezult;
}

HRESULT THostUIHandler::Download(const WideString& pmk, IDispatch* pbc, DWORD dwBindVerb, std::int32_t grfBINDF,
    const BINDINFO* pBindInfo, const WideString& pszHeaders, const WideString& pszRedir, UINT uiCP)
{
    HRESULT rezult = E_NOTIMPL;
    if (OnFileDownload)
        OnFileDownload(HostSender(), pmk, pbc, dwBindVerb, grfBINDF, pBindInfo, pszHeaders, pszRedir, uiCP, rezult);
    return rezult;
}

HRESULT THostUIHandler::Authenticate(QWidget** phwnd, WideString* pszUsername, WideString* pszPassword)
{
    QWidget* window = HostWindow();
    WideString user;
    WideString password;
    HRESULT rezult = S_OK;
    if (OnAuthenticate)
        OnAuthenticate(HostSender(), window, user, password, rezult);
    *phwnd = window;
    *pszUsername = user;
    *pszPassword = password;
    return rezult;
}

HRESULT THostUIHandler::AllowFocusChange(bool* pfAllow)
{
    bool allow = FocusChangePermission();
    if (OnAllowFocusChange)
        OnAllowFocusChange(HostSender(), allow);
    *pfAllow = allow;
    return S_OK;
}

HRESULT THostUIHandler::OnZoomPercentChanged(unsigned long ulZoomPercent)
{
    return OnZoomPercentChange ? OnZoomPercentChange(HostSender(), ulZoomPercent) : S_FALSE;
}

HRESULT THostUIHandler::PopulateNamespaceTable()
{
    if (OnPopulateNSTable)
        OnPopulateNSTable(HostSender());
    return S_OK;
}

bool THostUIHandler::AmbientUserAgent(WideString&) const { return false; }

HRESULT THostUIHandler::Invoke(
    DISPID dispIdMember, WORD wFlags, std::vector<Variant>& params, Variant* pVarResult, EXCEPINFO* pExcepInfo)
{
    try {
        if ((wFlags & DISPATCH_PROPERTYGET) && pVarResult) {
            WideString agent;
            switch (dispIdMember) {
            case DISPID_AMBIENT_USERAGENT:
                if (AmbientUserAgent(agent) && !agent.empty()) {
                    *pVarResult = Variant(agent + u"\r\n");
                    return S_OK;
                }
                break;
            case DISPID_AMBIENT_DLCONTROL:
                *pVarResult = Variant(std::int32_t(downloadFlags_));
                return S_OK;
            case DISPID_AMBIENT_USERMODE:
                *pVarResult = Variant::fromBool(!designMode_);
                return S_OK;
            }
        }
        if ((wFlags & DISPATCH_PROPERTYPUT) && dispIdMember == DISPID_AMBIENT_USERMODE && !params.empty()) {
            designMode_ = params.front().toBool();
            return S_OK;
        }
        HRESULT rezult = DISP_E_MEMBERNOTFOUND;
        if (OnInvoke)
            OnInvoke(HostSender(), dispIdMember, wFlags, params, pVarResult, rezult);
        return rezult;
    } catch (const std::exception& error) {
        if (pExcepInfo) {
            pExcepInfo->wCode = 9999;
            pExcepInfo->bstrSource = toWide(QString::fromLatin1(typeid(error).name()));
            pExcepInfo->bstrDescription = toWide(QString::fromUtf8(error.what()));
            pExcepInfo->dwHelpContext = 0;
        }
        return DISP_E_EXCEPTION;
    }
}

HRESULT THostUIHandler::DragEnter(const QMimeData* data, DWORD keyState, POINT pt, DWORD* effect)
{
    HRESULT rezult = S_OK;
    *effect = DROPEFFECT_NONE;
    if (OnDragEnter)
        OnDragEnter(HostSender(), data, keyState, pt, *effect, rezult);
    return rezult;
}

HRESULT THostUIHandler::DragOver(DWORD keyState, POINT pt, DWORD* effect)
{
    HRESULT rezult = S_OK;
    *effect = DROPEFFECT_NONE;
    if (OnDragOver2)
        OnDragOver2(HostSender(), nullptr, keyState, pt, *effect, rezult);
    return rezult;
}

HRESULT THostUIHandler::DragLeave()
{
    if (OnDragLeave)
        OnDragLeave(HostSender());
    return S_OK;
}

HRESULT THostUIHandler::Drop(const QMimeData* data, DWORD keyState, POINT pt, DWORD* effect)
{
    HRESULT rezult = S_OK;
    *effect = DROPEFFECT_NONE;
    if (OnDropEvent)
        OnDropEvent(HostSender(), data, keyState, pt, *effect, rezult);
    return rezult;
}

HRESULT THostUIHandler::HandleScriptError(const Variant& in, Variant& out)
{
    HRESULT answer = S_OK;
    switch (ScriptErrorAction) {
    case eaContinue:
        out = Variant::fromBool(true);
        break;
    case eaCancel:
        out = Variant::fromBool(false);
        break;
    case eaAskUser:
        answer = S_FALSE;
        break;
    }
    IDispatch* const* document = in.get<IDispatch*>();
    const auto* event = document ? dynamic_cast<const IScriptErrorEvent*>(*document) : nullptr;
    if (!OnScriptError || !event)
        return answer;
    std::array<QString, ScriptErrorProperties.size()> values;
    for (size_t i = 0; i < ScriptErrorProperties.size(); ++i) {
        if (!event->GetProperty(QString::fromLatin1(ScriptErrorProperties[i]), values[i]))
            throw std::runtime_error("'" + std::string(ScriptErrorProperties[i]) + "' is not supported.");
    }
    OnScriptError(HostSender(), values[4], values[0], values[1], values[2], values[3], ScriptErrorAction);
    return answer;
}

HRESULT THostUIHandler::HostExec(const GUID* cmdGroup, DWORD cmdId, DWORD cmdExecOpt, const Variant& in, Variant& out)
{
    HRESULT result = OLECMDERR_E_NOTSUPPORTED;
    if (cmdId == DWORD(OLECMDID_STOP) && OnStop)
        OnStop(HostSender());
    if (cmdGroup && *cmdGroup == CGID_Explorer) {
        if (cmdId == SHDVID_UNLOAD && OnUnload) {
            OnUnload(HostSender());
            return S_OK;
        }
        if (cmdId == SHDVID_VIEWCREATED) {
            const unsigned now = GetTickCount();
            if (OnPreRefresh && (!lastPreRefresh() || now - *lastPreRefresh() > PreRefreshIntervalMs)) {
                OnPreRefresh(HostSender());
                lastPreRefresh() = now;
            }
            if (ViewExists())
                ViewCreated();
        }
    } else if (cmdGroup && *cmdGroup == CGID_DocHostCommandHandler) {
        if (cmdId == OLECMDID_SHOWSCRIPTERROR)
            return HandleScriptError(in, out);
        if (cmdId == DWORD(IDM_REFRESH) || cmdId == IDM_REFRESH_TOP || cmdId == IDM_REFRESH_TOP_FULL) {
            if (!OnRefresh)
                return OLECMDERR_E_NOTSUPPORTED;
            bool cancel = false;
            OnRefresh(HostSender(), cmdId, cancel);
            return cancel ? S_OK : OLECMDERR_E_NOTSUPPORTED;
        }
    }
    if (OnCommandExec)
        OnCommandExec(HostSender(), cmdGroup, cmdId, cmdExecOpt, in, out, result);
    return result;
}

HRESULT THostUIHandler::CommandTargetExec(
    const GUID* CmdGroup, DWORD CmdID, DWORD CmdExecOpt, const Variant& vaIn, Variant& vaOut)
{
    Variant document;
    HostedControl()->GetProperty(DISPID_DOCUMENT, document);
    IDispatch* const* disp = document.get<IDispatch*>();
    auto* target = disp ? dynamic_cast<IOleCommandTarget*>(*disp) : nullptr;
    if (!target)
        return E_UNEXPECTED;
    return target->Exec(CmdGroup, CmdID, CmdExecOpt, vaIn, vaOut);
}

int THostUIHandler::ClampToRange(DWORD rangeCommand, int value)
{
    Variant range;
    if (FAILED(CommandTargetExec(nullptr, rangeCommand, OLECMDEXECOPT_DONTPROMPTUSER, Variant(), range)))
        return value;
    const auto packed = std::uint32_t(range.toInt());
    const int minimum = int(packed & 0xFFFF);
    const int maximum = int(packed >> 16);
    return std::clamp(value, minimum, std::max(minimum, maximum));
}

int THostUIHandler::GetZoom()
{
    Variant out;
    CommandTargetExec(nullptr, OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, Variant(), out);
    return out.toInt();
}

void THostUIHandler::SetZoom(int Value)
{
    Variant out;
    CommandTargetExec(nullptr, OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER,
        Variant(std::int32_t(ClampToRange(OLECMDID_GETZOOMRANGE, Value))), out);
}

void THostUIHandler::SetZoomPercent(int value)
{
    if (value == zoomPercent_)
        return;
    zoomPercent_ = value;
    Variant out;
    CommandTargetExec(nullptr, OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER,
        Variant(std::int32_t(ClampToRange(OLECMDID_OPTICAL_GETZOOMRANGE, value))), out);
    if (OnZoomPercentChange)
        OnZoomPercentChange(HostSender(), static_cast<unsigned long>(out.toInt()));
}
