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
using TSXTBeforeNavigate2 = std::function<void(TObject* ASender, IDispatch* pDisp, OleVariant& URL, OleVariant& Flags,
    OleVariant& TargetFrameName, OleVariant& PostData, OleVariant& Headers, WordBool& Cancel)>;
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
using TSXTNavigateError = std::function<void(
    TObject* ASender, IDispatch* pDisp, OleVariant& URL, OleVariant& Frame, OleVariant& StatusCode, WordBool& Cancel)>;
using TSXTPrintTemplateInstantiation = std::function<void(TObject* ASender, IDispatch* pDisp)>;
using TSXTPrintTemplateTeardown = std::function<void(TObject* ASender, IDispatch* pDisp)>;
using TSXTUpdatePageStatus
    = std::function<void(TObject* ASender, IDispatch* pDisp, OleVariant& nPage, OleVariant& fDone)>;
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
    void Navigate2(
        OleVariant& URL, OleVariant& Flags, OleVariant& TargetFrameName, OleVariant& PostData, OleVariant& Headers);
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
    void SetRegisterAsDropTarget(WordBool value)
    {
        SetDispProperty(DISPID_REGISTERASDROPTARGET, Variant::fromBool(value));
    }
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

    // The control's events, in the order of the DISPID table. Each is raised on the
    // user-interface thread, inside the control's event processing (so also inside
    // any wait loop); a handler may call the component again. An unassigned handler
    // is skipped and the control goes on as each comment says. "var" arguments are
    // references: what a handler leaves in them goes back to the control.

    // Raised when the status text changes: a navigation starts (Text is its address) or
    // the pointer enters or leaves a link (Text is the link's address, or "" on leaving).
    // Unhandled: the text is only kept as the StatusText property.
    TSXTStatusTextChange OnStatusTextChange;
    // Raised while a navigation loads: (0, 100) when it starts, then the engine's
    // percentage out of 100. Unhandled: nothing.
    TSXTProgressChange OnProgressChange;
    // Raised after each completed navigation, once for CSC_NAVIGATEBACK and once for
    // CSC_NAVIGATEFORWARD; Enable tells whether GoBack or GoForward would do anything.
    // Unhandled: nothing.
    TSXTCommandStateChange OnCommandStateChange;
    // Raised once when a navigation (page or folder view) starts loading, after
    // OnBeforeNavigate2 let it go. Unhandled: nothing.
    TNotifyEvent OnDownloadBegin;
    // Raised once when a navigation ends for any reason: completed, failed, stopped
    // or turned into a file download. Unhandled: nothing.
    TNotifyEvent OnDownloadComplete;
    // Raised when the page's title changes, and once per navigation with the title it
    // ends with (a folder view's title is the folder's name). Unhandled: the title is
    // only kept as LocationName.
    TSXTTitleChange OnTitleChange;
    // Raised when a page-defined property of the control changes; szProperty is its
    // name. The Qt WebEngine control keeps no such properties and does not raise it.
    // Unhandled: nothing.
    TSXTPropertyChange OnPropertyChange;
    // Raised before a navigation of the page (pDisp is the control) or of a frame (pDisp
    // is the frames' stand-in) leaves: from Navigate/Navigate2, a link, a form or a
    // script. URL, Flags, TargetFrameName, PostData and Headers describe the request;
    // changing them has no effect. Setting Cancel to true stops the navigation before
    // any request is made (the page shown stays). Unhandled: the navigation proceeds.
    TSXTBeforeNavigate2 OnBeforeNavigate2;
    // Raised when a page asks for a new window (target=_blank, window.open). Setting
    // Cancel to true refuses the window; setting ppDisp to another control's dispatch
    // opens the page in that control. Unhandled (ppDisp left null, Cancel false):
    // OnNewWindow3 is asked next, and then the page opens in a new top-level window.
    TSXTNewWindow2 OnNewWindow2;
    // Raised when a navigation has its document (before its frames and the page
    // complete); URL is the address reached after redirects. Changing URL has no
    // effect. Unhandled: nothing.
    TSXTNavigateComplete2 OnNavigateComplete2;
    // Raised when a document is complete: once per frame (pDisp the frames' stand-in,
    // URL the frame's address) and then once for the page (pDisp the control), at which
    // point ReadyState is complete (TSextant records the page in the history first:
    // RecordHistory). Changing URL has no effect.
    // Unhandled: nothing.
    TSXTDocumentComplete OnDocumentComplete;
    // Raised when the control's application quits. The Qt WebEngine control is owned by
    // this component and never quits on its own, so it does not raise it. Unhandled: nothing.
    TNotifyEvent OnQuit;
    // Raised when the Visible property is set. TSextant declares its own OnVisible,
    // so this slot is reached only through a TSXT. Unhandled: nothing.
    TSXTOnVisible OnVisible;
    // Raised when the ToolBar property is set (ToolBar: nonzero means shown). Unhandled: nothing.
    TSXTOnToolBar OnToolBar;
    // Raised when the MenuBar property is set. Unhandled: nothing.
    TSXTOnMenuBar OnMenuBar;
    // Raised when the StatusBar property is set. Unhandled: nothing.
    TSXTOnStatusBar OnStatusBar;
    // Raised when the FullScreen property is set. Unhandled: nothing.
    TSXTOnFullScreen OnFullScreen;
    // Raised when the TheaterMode property is set. Unhandled: nothing.
    TSXTOnTheaterMode OnTheaterMode;
    // Raised when the AddressBar property is set. Unhandled: nothing.
    TSXTOnAddressBar OnAddressBar;
    // Raised when the Resizable property is set. Unhandled: nothing.
    TSXTWindowSetResizable OnWindowSetResizable;
    // Raised when a page script moves its window (window.moveTo/moveBy) and the host's
    // window services did not take the move; Left is the requested screen position.
    // Unhandled: the window does not move.
    TSXTWindowSetLeft OnWindowSetLeft;
    // As OnWindowSetLeft, with the requested Top. Unhandled: the window does not move.
    TSXTWindowSetTop OnWindowSetTop;
    // Raised when a page script sizes its window (window.resizeTo/resizeBy) and the
    // host's window services did not take it; Width is the requested outer width.
    // Unhandled: the window keeps its size.
    TSXTWindowSetWidth OnWindowSetWidth;
    // As OnWindowSetWidth, with the requested Height. Unhandled: the window keeps its size.
    TSXTWindowSetHeight OnWindowSetHeight;
    // Raised when a page script calls window.close(); IsChildWindow is false for the
    // page itself. Setting Cancel to true keeps the window open. Unhandled: the form
    // holding the control is closed.
    TSXTWindowClosing OnWindowClosing;
    // Raised to convert a requested client size (CX, CY) into the host window's outer
    // size; changed values are the size used. The Qt WebEngine control sizes new
    // windows itself and does not raise it yet. Unhandled: the client size is used as is.
    TSXTClientToHostWindow OnClientToHostWindow;
    // Raised when the page's encryption state changes (SecureLockIcon: a secure lock
    // icon constant, WebBrowser.h). The Qt WebEngine control raises it before each
    // navigate-complete of the page: 6 (128 bit) for a page that came over https with a
    // certificate the engine verified, 0 (unsecure) for any other, the engine's error
    // page for an https address that failed included; QtWebBrowser.h says why the other
    // values never come. Unhandled: nothing.
    TSXTSetSecureLockIcon OnSetSecureLockIcon;
    // Raised when a response is a file the page cannot show. TCustomSextant declares
    // its own OnFileDownload, so this slot is reached only through a TSXT. Setting
    // Cancel to true drops the file. Unhandled: the file is saved in the user's
    // download folder and the page shown before stays.
    TSXTFileDownload OnFileDownload;
    // Raised when a navigation fails (cannot connect, an HTTP error page, a certificate
    // problem): URL is the address, Frame the target frame's name ("" for the page),
    // StatusCode the HTTP status or the network error code. Changes have no effect;
    // Cancel is accepted but the engine's own error page is shown either way.
    // Unhandled: the error page is shown and the navigation completes with it.
    TSXTNavigateError OnNavigateError;
    // Raised when a print template is created for printing or preview. The Qt
    // WebEngine control prints without templates and does not raise it. Unhandled: nothing.
    TSXTPrintTemplateInstantiation OnPrintTemplateInstantiation;
    // Raised when the print template of a print or preview is destroyed. Not raised
    // by the Qt WebEngine control. Unhandled: nothing.
    TSXTPrintTemplateTeardown OnPrintTemplateTeardown;
    // Raised during printing with the page being printed (nPage) and whether the
    // job is done (fDone). Changes have no effect. Not raised by the Qt WebEngine
    // control, which reports no pages. Unhandled: nothing.
    TSXTUpdatePageStatus OnUpdatePageStatus;
    // Raised when the page's privacy state changes (bImpacted: a cookie was
    // restricted). Not raised by the Qt WebEngine control. Unhandled: nothing.
    TSXTPrivacyImpactedStateChange OnPrivacyImpactedStateChange;
    // Raised after OnNewWindow2 left a new-window request unanswered: dwFlags are the
    // request's flags, bstrUrlContext the opener's address, bstrUrl the address to open.
    // Cancel and ppDisp act as in OnNewWindow2. Unhandled: the page opens in a new
    // top-level window of its own, deleted when closed.
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
