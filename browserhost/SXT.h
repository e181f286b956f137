#pragma once
// TSXT: the web-browser control as a windowed component. It owns the control
// (platform/webcontrol), places the control's window inside its own, calls the
// control's methods through the default interface, reads and writes its
// properties by DISPID, and raises the control's 34 events as component
// events with the published argument lists.
#include "platform/com/Variant.h"
#include "platform/webcontrol/WebBrowser.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <stdexcept>

using TObject = QObject;

// A failure HRESULT answered by the control.
class EOleException : public std::runtime_error {
public:
    explicit EOleException(HRESULT code);
    HRESULT ErrorCode;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TSXTStatusTextChange = std::function<void(TObject* ASender, const WideString& Text)>;
using TSXTProgressChange = std::function<void(TObject* ASender, int Progress, int ProgressMax)>;
using TSXTCommandStateChange = std::function<void(TObject* ASender, int Command, WordBool Enable)>;
using TSXTTitleChange = std::function<void(TObject* ASender, const WideString& Text)>;
using TSXTPropertyChange = std::function<void(TObject* ASender, const WideString& szProperty)>;
using TSXTBeforeNavigate2 = std::function<void(TObject* ASender, IDispatch* pDisp, OleVariant& URL,
    OleVariant& Flags, OleVariant& TargetFrameName, OleVariant& PostData, OleVariant& Headers, WordBool& Cancel)>;
using TSXTNewWindow2 = std::function<void(TObject* ASender, IDispatch*& ppDisp, WordBool& Cancel)>;
using TSXTNavigateComplete2 = std::function<void(TObject* ASender, IDispatch* pDisp, OleVariant& URL)>;
using TSXTDocumentComplete = std::function<void(TObject* ASender, IDispatch* pDisp, OleVariant& URL)>;
using TSXTOnVisible = std::function<void(TObject* ASender, WordBool Visible)>;
using TSXTOnToolBar = std::function<void(TObject* ASender, WordBool ToolBar)>;
using TSXTOnMenuBar = std::function<void(TObject* ASender, WordBool MenuBar)>;
using TSXTOnStatusBar = std::function<void(TObject* ASender, WordBool StatusBar)>;
using TSXTOnFullScreen = std::function<void(TObject* ASender, WordBool FullScreen)>;
using TSXTOnTheaterMode = std::function<void(TObject* ASender, WordBool TheaterMode)>;
using TSXTOnAddressBar = std::function<void(TObject* ASender, WordBool AddressBar)>;
using TSXTWindowSetResizable = std::function<void(TObject* ASender, WordBool Resizable)>;
using TSXTWindowSetLeft = std::function<void(TObject* ASender, int Left)>;
using TSXTWindowSetTop = std::function<void(TObject* ASender, int Top)>;
using TSXTWindowSetWidth = std::function<void(TObject* ASender, int Width)>;
using TSXTWindowSetHeight = std::function<void(TObject* ASender, int Height)>;
using TSXTWindowClosing = std::function<void(TObject* ASender, WordBool IsChildWindow, WordBool& Cancel)>;
using TSXTClientToHostWindow = std::function<void(TObject* ASender, int& CX, int& CY)>;
using TSXTSetSecureLockIcon = std::function<void(TObject* ASender, int SecureLockIcon)>;
using TSXTFileDownload = std::function<void(TObject* ASender, WordBool& Cancel)>;
using TSXTNavigateError = std::function<void(TObject* ASender, IDispatch* pDisp, OleVariant& URL,
    OleVariant& Frame, OleVariant& StatusCode, WordBool& Cancel)>;
using TSXTPrintTemplateInstantiation = std::function<void(TObject* ASender, IDispatch* pDisp)>;
using TSXTPrintTemplateTeardown = std::function<void(TObject* ASender, IDispatch* pDisp)>;
using TSXTUpdatePageStatus = std::function<void(TObject* ASender, IDispatch* pDisp, OleVariant& nPage, OleVariant& fDone)>;
using TSXTPrivacyImpactedStateChange = std::function<void(TObject* ASender, WordBool bImpacted)>;
using TSXTNewWindow3 = std::function<void(TObject* ASender, IDispatch*& ppDisp, WordBool& Cancel, DWORD dwFlags,
    const WideString& bstrUrlContext, const WideString& bstrUrl)>;

// The control's description: identity, event interface and the DISPIDs of its
// events in handler-slot order.
struct TControlData {
    const char* ClassID;
    const char* EventIID;
    int EventCount;
    std::array<DISPID, 34> EventDispIDs;
    unsigned Flags;
    unsigned Version;
};

class TSXT : public QWidget, protected DWebBrowserEvents2 {
    Q_OBJECT
public:
    static const TControlData CControlData;

    // Creates the control (CreateWebBrowser) and shows its window filling this one.
    explicit TSXT(QWidget* parent = nullptr);
    ~TSXT() override;

    // The control's default interface; owned by the component.
    IWebBrowser2* DefaultInterface() const { return intf_.get(); }
    IWebBrowser2* ControlInterface() const { return intf_.get(); }

    // Methods; a failure HRESULT throws EOleException.
    void GoHome();
    void GoBack();
    void GoForward();
    void Stop();
    void Navigate(const WideString& URL);
    void Navigate(const WideString& URL, OleVariant& Flags);
    void Navigate(const WideString& URL, OleVariant& Flags, OleVariant& TargetFrameName, OleVariant& PostData,
        OleVariant& Headers);
    void Navigate2(OleVariant& URL, OleVariant& Flags, OleVariant& TargetFrameName, OleVariant& PostData,
        OleVariant& Headers);
    void Refresh();
    void Refresh2(OleVariant& Level);
    void ExecWB(int CmdID, int CmdExecOpt, OleVariant& vaIn, OleVariant& vaOut);

    // Settable properties, read and written on the control by DISPID.
    WordBool Visible() const { return boolProperty(DISPID_VISIBLE); }
    void SetVisible(WordBool value) { SetDispProperty(DISPID_VISIBLE, Variant::fromBool(value)); }
    WordBool StatusBar() const { return boolProperty(DISPID_STATUSBAR); }
    void SetStatusBar(WordBool value) { SetDispProperty(DISPID_STATUSBAR, Variant::fromBool(value)); }
    WideString StatusText() const { return GetDispProperty(DISPID_STATUSTEXT).toWideString(); }
    void SetStatusText(const WideString& value) { SetDispProperty(DISPID_STATUSTEXT, Variant(value)); }
    int ToolBar() const { return GetDispProperty(DISPID_TOOLBAR).toInt(); }
    void SetToolBar(int value) { SetDispProperty(DISPID_TOOLBAR, Variant(std::int32_t(value))); }
    WordBool MenuBar() const { return boolProperty(DISPID_MENUBAR); }
    void SetMenuBar(WordBool value) { SetDispProperty(DISPID_MENUBAR, Variant::fromBool(value)); }
    WordBool FullScreen() const { return boolProperty(DISPID_FULLSCREEN); }
    void SetFullScreen(WordBool value) { SetDispProperty(DISPID_FULLSCREEN, Variant::fromBool(value)); }
    WordBool Offline() const { return boolProperty(DISPID_OFFLINE); }
    void SetOffline(WordBool value) { SetDispProperty(DISPID_OFFLINE, Variant::fromBool(value)); }
    WordBool Silent() const { return boolProperty(DISPID_SILENT); }
    void SetSilent(WordBool value) { SetDispProperty(DISPID_SILENT, Variant::fromBool(value)); }
    WordBool RegisterAsBrowser() const { return boolProperty(DISPID_REGISTERASBROWSER); }
    void SetRegisterAsBrowser(WordBool value) { SetDispProperty(DISPID_REGISTERASBROWSER, Variant::fromBool(value)); }
    WordBool RegisterAsDropTarget() const { return boolProperty(DISPID_REGISTERASDROPTARGET); }
    void SetRegisterAsDropTarget(WordBool value) { SetDispProperty(DISPID_REGISTERASDROPTARGET, Variant::fromBool(value)); }
    WordBool TheaterMode() const { return boolProperty(DISPID_THEATERMODE); }
    void SetTheaterMode(WordBool value) { SetDispProperty(DISPID_THEATERMODE, Variant::fromBool(value)); }
    WordBool AddressBar() const { return boolProperty(DISPID_ADDRESSBAR); }
    void SetAddressBar(WordBool value) { SetDispProperty(DISPID_ADDRESSBAR, Variant::fromBool(value)); }
    WordBool Resizable() const { return boolProperty(DISPID_RESIZABLE); }
    void SetResizable(WordBool value) { SetDispProperty(DISPID_RESIZABLE, Variant::fromBool(value)); }

    // Read-only properties.
    IDispatch* Application() const;
    IDispatch* Document() const; // nullptr while no document is loaded
    WideString LocationName() const { return GetDispProperty(DISPID_LOCATIONNAME).toWideString(); }
    WideString LocationURL() const { return GetDispProperty(DISPID_LOCATIONURL).toWideString(); }
    bool Busy() const { return GetDispProperty(DISPID_BUSY).toBool(); }
    int ReadyState() const { return GetDispProperty(DISPID_READYSTATE).toInt(); }

    // Property access by DISPID; a failure HRESULT throws EOleException.
    Variant GetDispProperty(DISPID dispId) const;
    void SetDispProperty(DISPID dispId, const Variant& value);

    // The control's events, in the order of the DISPID table.
    TSXTStatusTextChange OnStatusTextChange;
    TSXTProgressChange OnProgressChange;
    TSXTCommandStateChange OnCommandStateChange;
    TNotifyEvent OnDownloadBegin;
    TNotifyEvent OnDownloadComplete;
    TSXTTitleChange OnTitleChange;
    TSXTPropertyChange OnPropertyChange;
    TSXTBeforeNavigate2 OnBeforeNavigate2;
    TSXTNewWindow2 OnNewWindow2;
    TSXTNavigateComplete2 OnNavigateComplete2;
    TSXTDocumentComplete OnDocumentComplete;
    TNotifyEvent OnQuit;
    TSXTOnVisible OnVisible;
    TSXTOnToolBar OnToolBar;
    TSXTOnMenuBar OnMenuBar;
    TSXTOnStatusBar OnStatusBar;
    TSXTOnFullScreen OnFullScreen;
    TSXTOnTheaterMode OnTheaterMode;
    TSXTOnAddressBar OnAddressBar;
    TSXTWindowSetResizable OnWindowSetResizable;
    TSXTWindowSetLeft OnWindowSetLeft;
    TSXTWindowSetTop OnWindowSetTop;
    TSXTWindowSetWidth OnWindowSetWidth;
    TSXTWindowSetHeight OnWindowSetHeight;
    TSXTWindowClosing OnWindowClosing;
    TSXTClientToHostWindow OnClientToHostWindow;
    TSXTSetSecureLockIcon OnSetSecureLockIcon;
    TSXTFileDownload OnFileDownload;
    TSXTNavigateError OnNavigateError;
    TSXTPrintTemplateInstantiation OnPrintTemplateInstantiation;
    TSXTPrintTemplateTeardown OnPrintTemplateTeardown;
    TSXTUpdatePageStatus OnUpdatePageStatus;
    TSXTPrivacyImpactedStateChange OnPrivacyImpactedStateChange;
    TSXTNewWindow3 OnNewWindow3;

protected:
    // The event sink: matches the DISPID against the table and calls the
    // handler of that slot; unassigned handlers are skipped. S_OK always.
    HRESULT Invoke(DISPID dispId, std::vector<Variant>& args) override;

    // The control's window, or nullptr while the host has handed it away.
    QWidget* ControlWindow() const { return intf_ ? intf_->window() : nullptr; }
    // Places the control's window to fill this one.
    void PlaceControlWindow();
    void resizeEvent(QResizeEvent* event) override;

    static void Check(HRESULT hr);

private:
    WordBool boolProperty(DISPID dispId) const { return toWordBool(GetDispProperty(dispId).toBool()); }

    std::unique_ptr<IWebBrowser2> intf_;
};
