#pragma once
// Synthetic keyboard input. keybd_event queues a key event; the queue is
// delivered in order, one event per pass of the Qt event loop, to the
// window that has the keyboard focus at the moment of delivery, as a key
// press or release with the Qt key, modifiers and text of the US layout
// (platform/input/KeyboardLayout.h). Delivery goes through Qt's own path for
// keys from the window system, so shortcuts fire as they do for typed keys.
// An event delivered while no window of the application has the focus is
// dropped. Everything here belongs to the user-interface thread.
#include <cstdint>

constexpr std::uint32_t KEYEVENTF_EXTENDEDKEY = 0x1;
constexpr std::uint32_t KEYEVENTF_KEYUP = 0x2;

// Presses (or with KEYEVENTF_KEYUP releases) virtualKey and queues the event
// for the focused window, or hands it to the installed recorder instead. The
// keyboard state changes at once: the key's down bit, and for a press of
// Caps Lock, Num Lock or Scroll Lock its toggle bit. The modifiers and the
// text the event carries are taken from the keyboard state at the call, so
// keys queued behind a Shift press are typed shifted even when they are
// delivered later. scanCode and the extended flag are passed on
// to the recorder only; extraInfo is ignored.
void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags, std::uintptr_t extraInfo);

// Delivers every queued key event now, in order, before returning, also
// those that delivering queues. Used by callers that must see their keys
// arrive before they go on.
void DispatchPendingKeyEvents();

// The state of virtualKey: negative while it is down, bit 0 set while its
// toggle is on (Caps Lock, Num Lock, Scroll Lock).
std::int16_t GetKeyState(int virtualKey);

// The whole keyboard state, 256 entries: bit 7 down, bit 0 toggled.
bool GetKeyboardState(std::uint8_t* keyState);
// Replaces the keyboard state. No key event is sent: keys already queued
// keep what they carry, later ones see the new state. Each changed toggle
// bit is reported to the installed recorder.
bool SetKeyboardState(const std::uint8_t* keyState);

// Sees the keyboard's steps in place of the focused window, so that tests and
// a printing tool can follow typing without typing anything.
class IKeyboardRecorder {
public:
    virtual ~IKeyboardRecorder() = default;
    // Raised by keybd_event with its arguments, after the keyboard state
    // changed; the event is then not queued. Without a recorder the event
    // is queued for the focused window.
    virtual void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) = 0;
    // Raised by SetKeyboardState for each key whose toggle bit it changed;
    // on is the new toggle. The new state stands with or without a recorder.
    virtual void ToggleChanged(std::uint8_t virtualKey, bool on) = 0;
};

// Installs recorder (the caller keeps ownership); nullptr removes it, and
// later events are queued again.
void SetKeyboardRecorder(IKeyboardRecorder* recorder);
