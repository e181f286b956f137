#pragma once
// The few window messages the browser host's rules are written in. Qt events
// are translated into these so that the host's window procedure reads as its
// rules do: key messages reflected to the control, close requests, sizes,
// focus and mouse-button notifications.
#include "platform/webcontrol/VirtualKeys.h"

#include <QEvent>
#include <QFlags>

#include <cstdint>

using LRESULT = std::intptr_t;

constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_PARENTNOTIFY = 0x0210;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_USER = 0x0400;
// Posted by the focus fix when the application is reactivated.
constexpr UINT WM_RESTOREBROWSERFOCUS = WM_USER + 68;
// The framework reflects key messages to the control with this offset.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSKEYUP = CN_BASE + WM_SYSKEYUP;

constexpr LRESULT DLGC_WANTALLKEYS = 0x80;

// Mouse-key bits of a button message's WParam.
constexpr WPARAM MK_LBUTTON = 0x01;
constexpr WPARAM MK_RBUTTON = 0x02;
constexpr WPARAM MK_SHIFT = 0x04;
constexpr WPARAM MK_CONTROL = 0x08;
constexpr WPARAM MK_MBUTTON = 0x10;

// Flags of WINDOWPOS.
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;

struct WINDOWPOS {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
};

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// A message posted to a component through the Qt event queue
// (QCoreApplication::postEvent); the component runs it through its window
// procedure.
class TMessageEvent : public QEvent {
public:
    explicit TMessageEvent(const TMessage& message) : QEvent(eventType()), Message(message) {}
    static QEvent::Type eventType();
    TMessage Message;
};

// Milliseconds from a monotonic clock, wrapping at 2^32 like the system tick
// count; differences are taken in unsigned arithmetic.
unsigned GetTickCount();

enum class TShiftStateFlag { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
Q_DECLARE_FLAGS(TShiftState, TShiftStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)
constexpr TShiftStateFlag ssShift = TShiftStateFlag::ssShift;
constexpr TShiftStateFlag ssAlt = TShiftStateFlag::ssAlt;
constexpr TShiftStateFlag ssCtrl = TShiftStateFlag::ssCtrl;
constexpr TShiftStateFlag ssLeft = TShiftStateFlag::ssLeft;
constexpr TShiftStateFlag ssRight = TShiftStateFlag::ssRight;
constexpr TShiftStateFlag ssMiddle = TShiftStateFlag::ssMiddle;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state of a key message: Alt from the key data, Shift and Ctrl from
// the keyboard state at the time of the message (given by the caller).
TShiftState KeyDataToShiftState(LPARAM keyData, bool shiftDown, bool ctrlDown);
// Shift state from the mouse-key bits of a button message's WParam.
TShiftState MouseKeysToShiftState(WPARAM keys);
