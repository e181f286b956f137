#include "browserhost/SXT.h"

#include <QResizeEvent>

#include <algorithm>
#include <cstdio>

namespace {

std::string hresultText(HRESULT code)
{
    char text[48];
    std::snprintf(text, sizeof text, "The control answered 0x%08X", static_cast<unsigned>(code));
    return text;
}

IDispatch* dispatchOf(const Variant& value)
{
    const auto* dispatch = value.get<IDispatch*>();
    return dispatch ? *dispatch : nullptr;
}

WordBool wordBoolOf(const Variant& value) { return toWordBool(value.toBool()); }

// Calls an event handler when one is assigned; an unassigned event is skipped.
template <class Handler, class... Args> void Raise(const Handler& handler, Args&&... args)
{
    if (handler)
        handler(std::forward<Args>(args)...);
}

} // namespace

EOleException::EOleException(HRESULT code) : std::runtime_error(hresultText(code)), ErrorCode(code) {}

const TControlData TSXT::CControlData = {
    CLSID_WebBrowser,
    DIID_DWebBrowserEvents2,
    34,
    {DISPID_STATUSTEXTCHANGE, DISPID_PROGRESSCHANGE, DISPID_COMMANDSTATECHANGE, DISPID_DOWNLOADBEGIN,
        DISPID_DOWNLOADCOMPLETE, DISPID_TITLECHANGE, DISPID_PROPERTYCHANGE, DISPID_BEFORENAVIGATE2, DISPID_NEWWINDOW2,
        DISPID_NAVIGATECOMPLETE2, DISPID_DOCUMENTCOMPLETE, DISPID_ONQUIT, DISPID_ONVISIBLE, DISPID_ONTOOLBAR,
        DISPID_ONMENUBAR, DISPID_ONSTATUSBAR, DISPID_ONFULLSCREEN, DISPID_ONTHEATERMODE, DISPID_ONADDRESSBAR,
        DISPID_WINDOWSETRESIZABLE, DISPID_WINDOWSETLEFT, DISPID_WINDOWSETTOP, DISPID_WINDOWSETWIDTH,
        DISPID_WINDOWSETHEIGHT, DISPID_WINDOWCLOSING, DISPID_CLIENTTOHOSTWINDOW, DISPID_SETSECURELOCKICON,
        DISPID_FILEDOWNLOAD, DISPID_NAVIGATEERROR, DISPID_PRINTTEMPLATEINSTANTIATION, DISPID_PRINTTEMPLATETEARDOWN,
        DISPID_UPDATEPAGESTATUS, DISPID_PRIVACYIMPACTEDSTATECHANGE, DISPID_NEWWINDOW3},
    0,
    401,
};

TSXT::TSXT(QWidget* parent) : QWidget(parent), intf_(CreateWebBrowser())
{
    intf_->Advise(this);
    PlaceControlWindow();
}

TSXT::~TSXT()
{
    intf_->Advise(nullptr);
    intf_.reset();
}

void TSXT::PlaceControlWindow()
{
    QWidget* window = ControlWindow();
    if (!window)
        return;
    if (window->parentWidget() != this)
        window->setParent(this);
    window->setGeometry(rect());
    window->show();
    setFocusProxy(window);
}

void TSXT::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (QWidget* window = ControlWindow(); window && window->parentWidget() == this)
        window->setGeometry(rect());
}

void TSXT::Check(HRESULT hr)
{
    if (FAILED(hr))
        throw EOleException(hr);
}

void TSXT::GoHome() { Check(intf_->GoHome()); }
void TSXT::GoBack() { Check(intf_->GoBack()); }
void TSXT::GoForward() { Check(intf_->GoForward()); }
void TSXT::Stop() { Check(intf_->Stop()); }

void TSXT::Navigate(const WideString& URL)
{
    const Variant empty = Variant::omitted();
    Check(intf_->Navigate(URL, empty, empty, empty, empty));
}

void TSXT::Navigate(const WideString& URL, OleVariant& Flags)
{
    const Variant empty = Variant::omitted();
    Check(intf_->Navigate(URL, Flags, empty, empty, empty));
}

void TSXT::Navigate(
    const WideString& URL, OleVariant& Flags, OleVariant& TargetFrameName, OleVariant& PostData, OleVariant& Headers)
{
    Check(intf_->Navigate(URL, Flags, TargetFrameName, PostData, Headers));
}

void TSXT::Navigate2(
    OleVariant& URL, OleVariant& Flags, OleVariant& TargetFrameName, OleVariant& PostData, OleVariant& Headers)
{
    Check(intf_->Navigate2(URL, Flags, TargetFrameName, PostData, Headers));
}

void TSXT::Refresh() { Check(intf_->Refresh()); }
void TSXT::Refresh2(OleVariant& Level) { Check(intf_->Refresh2(Level)); }

void TSXT::ExecWB(int CmdID, int CmdExecOpt, OleVariant& vaIn, OleVariant& vaOut)
{
    Check(intf_->ExecWB(CmdID, CmdExecOpt, vaIn, vaOut));
}

Variant TSXT::GetDispProperty(DISPID dispId) const
{
    Variant value;
    Check(intf_->GetProperty(dispId, value));
    return value;
}

void TSXT::SetDispProperty(DISPID dispId, const Variant& value) { Check(intf_->PutProperty(dispId, value)); }

IDispatch* TSXT::Application() const { return dispatchOf(GetDispProperty(DISPID_APPLICATION)); }
IDispatch* TSXT::Document() const { return dispatchOf(GetDispProperty(DISPID_DOCUMENT)); }

HRESULT TSXT::Invoke(DISPID dispId, std::vector<Variant>& a)
{
    const auto& table = CControlData.EventDispIDs;
    if (std::find(table.begin(), table.end(), dispId) == table.end())
        return S_OK;
    // Missing trailing arguments read as empty.
    if (a.size() < 7)
        a.resize(7);
    auto withCancel = [&a](std::size_t index, auto&& call) {
        WordBool cancel = wordBoolOf(a[index]);
        call(cancel);
        a[index] = Variant(Variant::Bool{cancel});
    };
    auto withDispatch = [&a](auto&& call) {
        IDispatch* disp = dispatchOf(a[0]);
        call(disp);
        a[0] = Variant(disp);
    };

    switch (dispId) {
    case DISPID_STATUSTEXTCHANGE:
        Raise(OnStatusTextChange, this, a[0].toWideString());
        break;
    case DISPID_PROGRESSCHANGE:
        Raise(OnProgressChange, this, a[0].toInt(), a[1].toInt());
        break;
    case DISPID_COMMANDSTATECHANGE:
        Raise(OnCommandStateChange, this, a[0].toInt(), wordBoolOf(a[1]));
        break;
    case DISPID_DOWNLOADBEGIN:
        Raise(OnDownloadBegin, this);
        break;
    case DISPID_DOWNLOADCOMPLETE:
        Raise(OnDownloadComplete, this);
        break;
    case DISPID_TITLECHANGE:
        Raise(OnTitleChange, this, a[0].toWideString());
        break;
    case DISPID_PROPERTYCHANGE:
        Raise(OnPropertyChange, this, a[0].toWideString());
        break;
    case DISPID_BEFORENAVIGATE2:
        if (OnBeforeNavigate2)
            withCancel(6, [&](WordBool& cancel) {
                OnBeforeNavigate2(this, dispatchOf(a[0]), a[1], a[2], a[3], a[4], a[5], cancel);
            });
        break;
    case DISPID_NEWWINDOW2:
        if (OnNewWindow2)
            withCancel(1,
                [&](WordBool& cancel) { withDispatch([&](IDispatch*& disp) { OnNewWindow2(this, disp, cancel); }); });
        break;
    case DISPID_NAVIGATECOMPLETE2:
        Raise(OnNavigateComplete2, this, dispatchOf(a[0]), a[1]);
        break;
    case DISPID_DOCUMENTCOMPLETE:
        Raise(OnDocumentComplete, this, dispatchOf(a[0]), a[1]);
        break;
    case DISPID_ONQUIT:
        Raise(OnQuit, this);
        break;
    case DISPID_ONVISIBLE:
        Raise(OnVisible, this, wordBoolOf(a[0]));
        break;
    case DISPID_ONTOOLBAR:
        Raise(OnToolBar, this, wordBoolOf(a[0]));
        break;
    case DISPID_ONMENUBAR:
        Raise(OnMenuBar, this, wordBoolOf(a[0]));
        break;
    case DISPID_ONSTATUSBAR:
        Raise(OnStatusBar, this, wordBoolOf(a[0]));
        break;
    case DISPID_ONFULLSCREEN:
        Raise(OnFullScreen, this, wordBoolOf(a[0]));
        break;
    case DISPID_ONTHEATERMODE:
        Raise(OnTheaterMode, this, wordBoolOf(a[0]));
        break;
    case DISPID_ONADDRESSBAR:
        Raise(OnAddressBar, this, wordBoolOf(a[0]));
        break;
    case DISPID_WINDOWSETRESIZABLE:
        Raise(OnWindowSetResizable, this, wordBoolOf(a[0]));
        break;
    case DISPID_WINDOWSETLEFT:
        Raise(OnWindowSetLeft, this, a[0].toInt());
        break;
    case DISPID_WINDOWSETTOP:
        Raise(OnWindowSetTop, this, a[0].toInt());
        break;
    case DISPID_WINDOWSETWIDTH:
        Raise(OnWindowSetWidth, this, a[0].toInt());
        break;
    case DISPID_WINDOWSETHEIGHT:
        Raise(OnWindowSetHeight, this, a[0].toInt());
        break;
    case DISPID_WINDOWCLOSING:
        if (OnWindowClosing)
            withCancel(1, [&](WordBool& cancel) { OnWindowClosing(this, wordBoolOf(a[0]), cancel); });
        break;
    case DISPID_CLIENTTOHOSTWINDOW:
        if (OnClientToHostWindow) {
            int cx = a[0].toInt();
            int cy = a[1].toInt();
            OnClientToHostWindow(this, cx, cy);
            a[0] = Variant(std::int32_t(cx));
            a[1] = Variant(std::int32_t(cy));
        }
        break;
    case DISPID_SETSECURELOCKICON:
        Raise(OnSetSecureLockIcon, this, a[0].toInt());
        break;
    case DISPID_FILEDOWNLOAD:
        if (OnFileDownload)
            withCancel(0, [&](WordBool& cancel) { OnFileDownload(this, cancel); });
        break;
    case DISPID_NAVIGATEERROR:
        if (OnNavigateError)
            withCancel(4, [&](WordBool& cancel) { OnNavigateError(this, dispatchOf(a[0]), a[1], a[2], a[3], cancel); });
        break;
    case DISPID_PRINTTEMPLATEINSTANTIATION:
        Raise(OnPrintTemplateInstantiation, this, dispatchOf(a[0]));
        break;
    case DISPID_PRINTTEMPLATETEARDOWN:
        Raise(OnPrintTemplateTeardown, this, dispatchOf(a[0]));
        break;
    case DISPID_UPDATEPAGESTATUS:
        Raise(OnUpdatePageStatus, this, dispatchOf(a[0]), a[1], a[2]);
        break;
    case DISPID_PRIVACYIMPACTEDSTATECHANGE:
        Raise(OnPrivacyImpactedStateChange, this, wordBoolOf(a[0]));
        break;
    case DISPID_NEWWINDOW3:
        if (OnNewWindow3)
            withCancel(1, [&](WordBool& cancel) {
                withDispatch([&](IDispatch*& disp) {
                    OnNewWindow3(
                        this, disp, cancel, static_cast<DWORD>(a[2].toInt()), a[3].toWideString(), a[4].toWideString());
                });
            });
        break;
    }
    return S_OK;
}
