#pragma once
// TCustomSextant: the host side of the browser component. It is the client
// site the control asks for decisions (command target, window services and
// the host questions of THostUIHandler), and it keeps the
// control's window, with its loaded page, alive while its own window is
// re-created (re-parenting).
#include "browserhost/HostUIHandler.h"
#include "browserhost/SXT.h"

#include <QPointer>

using TSxtWindowServicesEvent = std::function<void(TObject* Sender, int cx, int cy)>;

class TCustomSextant : public TSXT,
                       public IOleClientSite,
                       public IOleCommandTarget,
                       public IHTMLOMWindowServices,
                       public THostUIHandler {
    Q_OBJECT
public:
    explicit TCustomSextant(QWidget* parent = nullptr);
    ~TCustomSextant() override;

    // Activates the control's view for keyboard input (only while a document
    // is loaded) and makes this component the parent form's focused control.
    void UIActivate();

    // Enabled and shown, so that it can take the keyboard focus.
    bool CanFocus() const { return isEnabled() && isVisible(); }

    // The focus-change permission answered to the control; True from creation.
    bool FocusChangeAllowed() const { return focusChangeAllowed_; }

    // Window services: with FloatingHosting a page script's moveTo/resizeTo
    // move and size the parent form; the events are raised either way.
    bool FloatingHosting = false;
    // Raised when a page script moves its window (window.moveTo/moveBy); cx and
    // cy are the requested screen position of the window's top-left corner.
    // Unhandled: the form moves only with FloatingHosting; otherwise the
    // control raises its own OnWindowSetLeft/OnWindowSetTop instead.
    TSxtWindowServicesEvent OnMove;
    // Raised when a page script sizes its window (window.resizeTo/resizeBy); cx
    // and cy are the requested outer width and height. Unhandled: the form is
    // sized only with FloatingHosting; otherwise the control raises its own
    // OnWindowSetWidth/OnWindowSetHeight instead.
    TSxtWindowServicesEvent OnResize;
    // The host's download question hides the control's event of the same
    // name, which stays reachable as TSXT::OnFileDownload.
    using THostUIHandler::OnFileDownload;

    // IOleCommandTarget: the commands of THostUIHandler::HostExec.
    // OLECMDID_STOP raises OnStop (the Stop button, Escape or Stop()); the
    // view-created command (CGID_Explorer, 39) calls ViewCreated when the
    // control's view or folder list exists.
    HRESULT Exec(const GUID* cmdGroup, DWORD cmdId, DWORD cmdExecOpt, const Variant& in, Variant& out) override;
    // IHTMLOMWindowServices: E_NOTIMPL (the control raises its own window
    // events) unless FloatingHosting or the matching event is assigned.
    HRESULT moveTo(std::int32_t x, std::int32_t y) override;
    HRESULT resizeTo(std::int32_t x, std::int32_t y) override;

    // The control's window while this component has handed it to the parking
    // window; nullptr otherwise.
    QWidget* ParkedWindow() const { return parked_; }

protected:
    // The control's events and its ambient-property questions share the name.
    using THostUIHandler::Invoke;
    using TSXT::Invoke;

    TObject* HostSender() override { return this; }
    IWebBrowser2* HostedControl() const override { return DefaultInterface(); }
    QWidget* HostWindow() override { return this; }
    bool ViewExists() const override;
    bool FocusChangePermission() const override { return focusChangeAllowed_; }
    IHTMLOMWindowServices* WindowServices() override;

    // Re-creation: before this component leaves its parent the control's
    // window is parked on a hidden window; after it has a parent again the
    // parked window is brought back, filling this one.
    bool event(QEvent* event) override;
    void ParkControlWindow();
    void RestoreControlWindow();

    bool focusChangeAllowed_ = true;

private:
    QPointer<QWidget> parked_;
};
