#include "browserhost/Sextant.h"

#include "browserhost/SxtUnit.h"
#include "platform/inet/UrlHistory.h"
#include "platform/ui/Application.h"
#include "platform/webcontrol/ListView.h"
#include "platform/webcontrol/WindowClass.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace {

// The longest a wait goes without calling OnBusyWait.
constexpr int BusyWaitPeriodMs = 10;

// Blanks and control characters at either end, as the address test trims.
QString trimmedAddress(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= u' ')
        ++first;
    while (last > first && text.at(last - 1).unicode() <= u' ')
        --last;
    return text.mid(first, last - first);
}

unsigned directionOf(std::uint16_t key)
{
    switch (key) {
    case VK_LEFT:
        return LVNI_TOLEFT;
    case VK_UP:
        return LVNI_ABOVE;
    case VK_RIGHT:
        return LVNI_TORIGHT;
    case VK_DOWN:
        return LVNI_BELOW;
    }
    return 0;
}

LPARAM makeLParam(int low, int high)
{
    return LPARAM((std::uint32_t(std::uint16_t(low)) | (std::uint32_t(std::uint16_t(high)) << 16)));
}

} // namespace

TSextant::TSextant(QWidget* parent) : TCustomSextant(parent)
{
    SxtUnitStart();
    // The Qt stand-in for replacing the window procedure: input reaching any
    // widget inside this component passes through eventFilter first.
    qApp->installEventFilter(this);
    QTimer::singleShot(0, this, &TSextant::Loaded);
}

TSextant::~TSextant()
{
    destroying_ = true;
    DestroyOptions();
    UnhookChildWindows();
}

bool TSextant::Go(const QString& Url, unsigned TimeOut)
{
    ForgetIdleStop();
    if (!Url.isEmpty() && QFileInfo(Url).isDir()) {
        Navigate((QStringLiteral("file:///") + Url).toStdU16String());
        return true;
    }
    if (trimmedAddress(Url).isEmpty())
        return true;
    OleVariant url(Url.toStdU16String());
    OleVariant flags(0), targetFrameName(0), postData(0), headers(0);
    Navigate2(url, flags, targetFrameName, postData, headers);
    return TimeOut == 0 || Wait(TimeOut);
}

template <class Condition> bool TSextant::WaitLoop(Condition condition, unsigned TimeOut)
{
    QPointer<TSextant> self(this);
    ++waitDepth_;
    bool Cancel = false;
    const unsigned Start = GetTickCount();
    bool Aborted = false;
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    while (!destroying_ && condition()) {
        if (OnBusyWait)
            OnBusyWait(this, Start, TimeOut, Cancel);
        const unsigned elapsed = GetTickCount() - Start;
        Aborted = stopRequested_ || Cancel || (TimeOut > 0 && elapsed > TimeOut);
        if (Aborted || ApplicationTerminated())
            break;
        ArmWakeUp(wakeUp, TimeOut, elapsed);
        // Sleeps until an event arrives: every change the loop waits for
        // (ready state, busy, a stop, quitting) comes with one.
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (!self)
            return true; // destroyed by a handler: the loop ends as on the destroying flag
    }
    --waitDepth_;
    stopRequested_ = false;
    return !Aborted;
}

// The wait wakes by itself once the time-out has passed and, while
// OnBusyWait is assigned, often enough for the handler's period.
void TSextant::ArmWakeUp(QTimer& wakeUp, unsigned TimeOut, unsigned elapsed) const
{
    int interval = -1;
    if (TimeOut > 0)
        interval = int(std::min<unsigned>(TimeOut - std::min(elapsed, TimeOut) + 1, INT_MAX));
    if (OnBusyWait)
        interval = interval < 0 ? BusyWaitPeriodMs : std::min(interval, BusyWaitPeriodMs);
    if (interval < 0)
        wakeUp.stop();
    else
        wakeUp.start(interval);
}

// A Stop while no wait ran has no wait to end; kept, it would make the wait
// of the next navigation fail at once. A Stop that a handler makes during the
// navigation is kept.
void TSextant::ForgetIdleStop()
{
    if (waitDepth_ == 0)
        stopRequested_ = false;
}

bool TSextant::Wait(unsigned TimeOut)
{
    if (!HandleAllocated()) {
        stopRequested_ = false;
        return true;
    }
    return WaitLoop([this] { return ReadyState() != READYSTATE_COMPLETE; }, TimeOut);
}

bool TSextant::WaitWhileBusy(unsigned TimeOut)
{
    return WaitLoop([this] { return Busy(); }, TimeOut);
}

// The component has a window once its form's window exists and while the
// control's window is not parked elsewhere.
bool TSextant::HandleAllocated() const { return window()->testAttribute(Qt::WA_WState_Created) && !ParkedWindow(); }

void TSextant::Stop()
{
    stopRequested_ = true;
    try {
        TSXT::Stop();
    } catch (const EOleException&) {}
}

void TSextant::GoHome()
{
    ForgetIdleStop();
    TSXT::GoHome();
}

void TSextant::Refresh()
{
    ForgetIdleStop();
    TSXT::Refresh();
}

void TSextant::GoBack()
{
    ForgetIdleStop();
    try {
        TSXT::GoBack();
    } catch (const EOleException&) {}
}

void TSextant::GoForward()
{
    ForgetIdleStop();
    try {
        TSXT::GoForward();
    } catch (const EOleException&) {}
}

void TSextant::AssignEmptyDocument(bool WaitForIt)
{
    ForgetIdleStop();
    Navigate(u"about:blank");
    if (WaitForIt)
        Wait(0);
}

IHTMLDocument2* TSextant::GetDocument() const { return dynamic_cast<IHTMLDocument2*>(Document()); }

void TSextant::SetVisible(bool value)
{
    if (value == visible_)
        return;
    visible_ = value;
    QWidget::setVisible(value);
}

void TSextant::VisibilityChanged(bool shown)
{
    visible_ = shown;
    if (OnVisible)
        OnVisible(this, toWordBool(shown));
}

LRESULT TSextant::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage message{Msg, WParam, LParam, 0};
    bool doDefault = true;
    WindowProc(message, doDefault);
    return message.Result;
}

void TSextant::WindowProc(TMessage& Message, bool& DoDefault)
{
    DoDefault = true;
    switch (Message.Msg) {
    case WM_CLOSE:
        if (OnCloseQuery) {
            bool canClose = DoDefault;
            OnCloseQuery(this, canClose);
            DoDefault = canClose;
        }
        break;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
        if (HandleKeyMessage(Message, OnKeyDown, true))
            DoDefault = false;
        break;
    case CN_KEYUP:
    case CN_SYSKEYUP:
        if (HandleKeyMessage(Message, OnKeyUp, false))
            DoDefault = false;
        break;
    }

    if (EnableMessageHandler && Message.Msg == CN_KEYDOWN && Message.WParam == VK_RETURN)
        Message.Result = 0;

    if (OnMessage) {
        bool handled = std::uint8_t(Message.Result) != 0;
        OnMessage(this, Message, handled);
        Message.Result = handled ? 1 : 0;
    }

    switch (Message.Msg) {
    case WM_PARENTNOTIFY: {
        const UINT button = UINT(Message.WParam & 0xFFFF);
        if (OnClick && (button == WM_LBUTTONDOWN || button == WM_RBUTTONDOWN)) {
            const auto x = std::int16_t(Message.LParam & 0xFFFF);
            const auto y = std::int16_t((Message.LParam >> 16) & 0xFFFF);
            OnClick(
                this, button == WM_LBUTTONDOWN ? mbLeft : mbRight, MouseKeysToShiftState(Message.WParam >> 16), x, y);
        }
        break;
    }
    case WM_SIZE:
        moveTracking_ = !isXPSP2OrLater_;
        break;
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(Message.LParam);
        if (!moveTracking_ || !pos || !(pos->flags & (SWP_NOSIZE | SWP_NOMOVE)))
            break;
        if (!(pos->flags & SWP_NOMOVE)) {
            pos->flags |= SWP_NOMOVE;
            if (OnMove)
                OnMove(this, pos->x, pos->y);
        }
        if (!(pos->flags & SWP_NOSIZE)) {
            pos->flags |= SWP_NOSIZE;
            if (OnResize)
                OnResize(this, pos->cx, pos->cy);
        }
        break;
    }
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTALLKEYS;
        break;
    case WM_RESTOREBROWSERFOCUS: {
        QWidget* form = window();
        QWidget* active = form->focusWidget();
        for (QWidget* w = active; w; w = w->parentWidget()) {
            if (qobject_cast<TSextant*>(w)) {
                ActivateBrowserFocus(form);
                break;
            }
        }
        break;
    }
    }
}

bool TSextant::HandleKeyMessage(TMessage& Message, const TKeyEventEx& handler, bool folderKeys)
{
    const bool shiftDown = keyModifiers_ & Qt::ShiftModifier;
    const bool ctrlDown = keyModifiers_ & Qt::ControlModifier;
    const TShiftState shift = KeyDataToShiftState(Message.LParam, shiftDown, ctrlDown);
    auto key = std::uint16_t(Message.WParam);
    bool handled = false;
    if (folderKeys && MoveFolderViewSelection(key, shift)) {
        handled = true;
        Message.Result = 1;
    }
    if (handler) {
        handler(this, key, std::uint16_t((Message.LParam >> 16) & 0xFF), shift);
        if (key == 0) {
            handled = true;
            Message.Result = 1;
        }
    }
    return handled;
}

QAbstractItemView* TSextant::FolderListView() const
{
    return qobject_cast<QAbstractItemView*>(FindChildWindow(WC_LISTVIEW));
}

QWidget* TSextant::FindChildWindow(const QString& className) const { return ::FindChildWindow(this, className); }

bool TSextant::MoveFolderViewSelection(std::uint16_t Key, TShiftState Shift)
{
    QAbstractItemView* list = FolderListView();
    const unsigned direction = directionOf(Key);
    if (!list || !direction)
        return false;
    const int current = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    const int next = ListView_GetNextItem(list, current, direction);
    if (next < 0)
        return true;
    if (!(Shift & ssShift)) {
        ListView_SetItemState(list, current, 0, LVIS_SELECTED);
        ListView_SetItemState(list, current, 0, LVIS_FOCUSED);
    }
    ListView_SetItemState(list, next, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, next);
    list->setFocus(Qt::OtherFocusReason);
    return true;
}

bool TSextant::IsHooked(const QWidget* window) const { return window && hooked_.contains(window); }

void TSextant::Hook(QWidget* window)
{
    hooked_.append(window);
    connect(window, &QObject::destroyed, this, &TSextant::UnhookChildWindows, Qt::UniqueConnection);
}

void TSextant::HookChildWindows()
{
    if (ApplicationTerminated() || destroying_)
        return;
    hooked_.removeAll(nullptr);
    if (QWidget* list = FindChildWindow(WC_LISTVIEW); list && !IsHooked(list)) {
        Hook(list);
        return;
    }
    QWidget* document = FindDescendantWindow(this, WC_DOCOBJECTVIEW);
    QWidget* server = FindDescendantWindow(document, WC_IESERVER);
    if (document && !IsHooked(document) && !IsHooked(server)) {
        Hook(document);
        if (server)
            Hook(server);
    }
}

void TSextant::UnhookChildWindows()
{
    for (const QPointer<QWidget>& window : std::as_const(hooked_)) {
        if (window)
            disconnect(window, &QObject::destroyed, this, &TSextant::UnhookChildWindows);
    }
    hooked_.clear();
}

HRESULT TSextant::Invoke(DISPID dispId, std::vector<Variant>& args)
{
    const auto* disp = args.empty() ? nullptr : args[0].get<IDispatch*>();
    const bool page = disp && *disp && *disp == Application();
    if (page) {
        switch (dispId) {
        case DISPID_BEFORENAVIGATE2:
            ForgetIdleStop();
            pageFailed_ = false;
            break;
        case DISPID_NAVIGATEERROR:
            pageFailed_ = true;
            break;
        case DISPID_DOCUMENTCOMPLETE:
            // Recorded before the page's event is raised, so that its handlers
            // find the visit in the store.
            if (recordHistory_ && args.size() > 1)
                RecordVisit({QString::fromStdU16String(args[1].toWideString()),
                    QString::fromStdU16String(LocationName()), pageFailed_});
            pageFailed_ = false;
            break;
        }
    }
    return TCustomSextant::Invoke(dispId, args);
}

void TSextant::ViewCreated()
{
    const bool documentHooked = IsHooked(FindDescendantWindow(this, WC_DOCOBJECTVIEW));
    const bool listHooked = IsHooked(FindChildWindow(WC_LISTVIEW));
    if (!(documentHooked && listHooked))
        HookChildWindows();
}

void TSextant::ActivateBrowserFocus(QWidget* Form)
{
    QWidget* form = Form ? Form : window();
    if (!form || !CanFocus() || activating_)
        return;
    activating_ = true;
    if (!Focused())
        SetFocus();
    UIActivate();
    activating_ = false;
}

bool TSextant::Focused() const
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

void TSextant::SetFocus()
{
    if (CanFocus())
        setFocus(Qt::OtherFocusReason);
}

// Input that a widget ignores travels on to its parents, and the engine hands
// keys the page did not use back to its view; only the widget the input was
// meant for counts: for keys the focused widget of its window, for mouse
// buttons the innermost widget under the pointer.
bool TSextant::IsFirstReceiver(const QWidget* widget, const QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress)
        return !widget->childAt(static_cast<const QMouseEvent*>(event)->position().toPoint());
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return true;
    const QWidget* focus = widget->window()->focusWidget();
    return !focus || focus == widget;
}

// A key for the page becomes a key message reflected to the control; True
// when the window procedure kept it from the page.
bool TSextant::ForwardKey(QKeyEvent* key)
{
    const std::uint16_t vk = VirtualKeyFromQtKey(key->key());
    if (vk == 0)
        return false;
    const bool down = key->type() == QEvent::KeyPress;
    const bool alt = key->modifiers() & Qt::AltModifier;
    TMessage message;
    message.Msg = down ? (alt ? CN_SYSKEYDOWN : CN_KEYDOWN) : (alt ? CN_SYSKEYUP : CN_KEYUP);
    message.WParam = vk;
    message.LParam = LPARAM(1) | (LPARAM(key->nativeScanCode() & 0xFF) << 16) | (alt ? KF_ALTDOWN : 0)
        | (down ? 0 : (LPARAM(3) << 30));
    keyModifiers_ = key->modifiers();
    bool doDefault = true;
    WindowProc(message, doDefault);
    keyModifiers_ = QGuiApplication::keyboardModifiers();
    return !doDefault || message.Result != 0;
}

// A button press inside the control reaches the component as the parent
// notification the control's inner windows send.
void TSextant::ForwardClick(QMouseEvent* mouse)
{
    WPARAM keys = 0;
    if (mouse->modifiers() & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (mouse->modifiers() & Qt::ControlModifier)
        keys |= MK_CONTROL;
    if (mouse->buttons() & Qt::LeftButton)
        keys |= MK_LBUTTON;
    if (mouse->buttons() & Qt::RightButton)
        keys |= MK_RBUTTON;
    if (mouse->buttons() & Qt::MiddleButton)
        keys |= MK_MBUTTON;
    const UINT button = mouse->button() == Qt::LeftButton ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
    const QPoint pos = mapFromGlobal(mouse->globalPosition().toPoint());
    Perform(WM_PARENTNOTIFY, button | (keys << 16), makeLParam(pos.x(), pos.y()));
}

bool TSextant::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool interesting = type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::MouseButtonPress
        || type == QEvent::FocusIn;
    auto* widget = interesting ? qobject_cast<QWidget*>(watched) : nullptr;
    if (!widget || destroying_ || !isAncestorOf(widget) || !IsFirstReceiver(widget, event))
        return false;
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return ForwardKey(static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton)
            ForwardClick(mouse);
        return false;
    }
    case QEvent::FocusIn:
        if (IsHooked(widget))
            ActivateBrowserFocus();
        return false;
    default:
        return false;
    }
}

bool TSextant::event(QEvent* event)
{
    if (event->type() == QEvent::ShowToParent)
        VisibilityChanged(true);
    else if (event->type() == QEvent::HideToParent)
        VisibilityChanged(false);
    return TCustomSextant::event(event);
}

void TSextant::closeEvent(QCloseEvent* event)
{
    TMessage message{WM_CLOSE, 0, 0, 0};
    bool doDefault = true;
    WindowProc(message, doDefault);
    event->setAccepted(doDefault);
}

void TSextant::resizeEvent(QResizeEvent* event)
{
    TCustomSextant::resizeEvent(event);
    Perform(WM_SIZE, 0, makeLParam(width(), height()));
}

void TSextant::customEvent(QEvent* event)
{
    if (event->type() == TMessageEvent::eventType()) {
        bool doDefault = true;
        WindowProc(static_cast<TMessageEvent*>(event)->Message, doDefault);
        return;
    }
    TCustomSextant::customEvent(event);
}
