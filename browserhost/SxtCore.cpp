#include "browserhost/SxtCore.h"

#include "platform/webcontrol/WindowClass.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

// The hidden window that keeps a control's window (and its page) while its
// component has no window; deleted when the application ends.
QWidget* parkingWindow()
{
    static QPointer<QWidget> window;
    if (!window) {
        window = new QWidget;
        window->setAttribute(Qt::WA_DontShowOnScreen);
        qAddPostRoutine([] { delete window.data(); });
    }
    return window;
}

} // namespace

TCustomSextant::TCustomSextant(QWidget* parent) : TSXT(parent) { DefaultInterface()->SetClientSite(this); }

TCustomSextant::~TCustomSextant() { DefaultInterface()->SetClientSite(nullptr); }

void TCustomSextant::UIActivate()
{
    if (!Document())
        return;
    const bool allowed = focusChangeAllowed_;
    focusChangeAllowed_ = true;
    // DoVerb focuses the control's view, which lies inside this component, so
    // the component becomes the form's focused control with it.
    DefaultInterface()->DoVerb(OLEIVERB_UIACTIVATE);
    focusChangeAllowed_ = allowed;
}

HRESULT TCustomSextant::Exec(const GUID* cmdGroup, DWORD cmdId, DWORD cmdExecOpt, const Variant& in, Variant& out)
{
    return HostExec(cmdGroup, cmdId, cmdExecOpt, in, out);
}

bool TCustomSextant::ViewExists() const
{
    return FindDescendantWindow(this, WC_IESERVER) || FindDescendantWindow(this, WC_LISTVIEW);
}

IHTMLOMWindowServices* TCustomSextant::WindowServices()
{
    return FloatingHosting || OnMove || OnResize ? this : nullptr;
}

HRESULT TCustomSextant::moveTo(std::int32_t x, std::int32_t y)
{
    if (!FloatingHosting && !OnMove)
        return E_NOTIMPL;
    if (FloatingHosting && window() != this)
        window()->move(x, y);
    if (OnMove)
        OnMove(this, x, y);
    return S_OK;
}

HRESULT TCustomSextant::resizeTo(std::int32_t x, std::int32_t y)
{
    if (!FloatingHosting && !OnResize)
        return E_NOTIMPL;
    if (FloatingHosting && window() != this)
        window()->resize(x, y);
    if (OnResize)
        OnResize(this, x, y);
    return S_OK;
}

bool TCustomSextant::event(QEvent* event)
{
    if (event->type() == QEvent::ParentAboutToChange)
        ParkControlWindow();
    const bool result = TSXT::event(event);
    if (event->type() == QEvent::ParentChange)
        RestoreControlWindow();
    return result;
}

void TCustomSextant::ParkControlWindow()
{
    QWidget* control = ControlWindow();
    if (!control || control->parentWidget() != this || QCoreApplication::closingDown())
        return;
    control->setParent(parkingWindow());
    parked_ = control;
}

void TCustomSextant::RestoreControlWindow()
{
    if (!parked_)
        return;
    QWidget* control = parked_;
    parked_ = nullptr;
    control->setParent(this);
    control->setGeometry(0, 0, width(), height());
    control->show();
    control->update();
    setFocusProxy(control);
}
