#pragma once
// The few window messages the browser host's rules are written in. Qt events
// are translated into these so that the host's window procedure reads as its
// rules do: key messages reflected to the control, close requests, sizes,
// focus and mouse-button notifications.
#include <QEvent>
#include <QFlags>

#include <cstdint>

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT = std::uint32_t;

constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
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

// Bit 29 of a key message's key data: Alt was down.
constexpr LPARAM KF_ALTDOWN = LPARAM(1) << 29;

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

// Virtual-key codes the host's rules name.
constexpr std::uint16_t VK_BACK = 0x08;
constexpr std::uint16_t VK_TAB = 0x09;
constexpr std::uint16_t VK_RETURN = 0x0D;
constexpr std::uint16_t VK_SHIFT = 0x10;
constexpr std::uint16_t VK_CONTROL = 0x11;
constexpr std::uint16_t VK_MENU = 0x12;
constexpr std::uint16_t VK_ESCAPE = 0x1B;
constexpr std::uint16_t VK_SPACE = 0x20;
constexpr std::uint16_t VK_PRIOR = 0x21;
constexpr std::uint16_t VK_NEXT = 0x22;
constexpr std::uint16_t VK_END = 0x23;
constexpr std::uint16_t VK_HOME = 0x24;
constexpr std::uint16_t VK_LEFT = 0x25;
constexpr std::uint16_t VK_UP = 0x26;
constexpr std::uint16_t VK_RIGHT = 0x27;
constexpr std::uint16_t VK_DOWN = 0x28;
constexpr std::uint16_t VK_INSERT = 0x2D;
constexpr std::uint16_t VK_DELETE = 0x2E;
constexpr std::uint16_t VK_F1 = 0x70;

// The virtual-key code of a Qt key (letters as upper-case codes); 0 for keys
// without one.
std::uint16_t VirtualKeyFromQtKey(int qtKey);

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
