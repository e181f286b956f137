#include "platform/input/KeyboardInput.h"

#include "platform/input/KeyboardLayout.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QString>
#include <QWindow>

#include <array>
#include <cstring>
#include <deque>

// Qt's entry for a key event from the window system, which QtGui exports for
// its test library: it tries shortcuts first and then sends a spontaneous
// key event to the window, which hands it to its focused widget.
Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* window, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
    const QString& text, bool autoRepeat, ushort count);

namespace {

constexpr std::uint8_t kDown = 0x80;
constexpr std::uint8_t kToggled = 0x01;

struct QueuedKey {
    QEvent::Type Type;
    int Key;
    Qt::KeyboardModifiers Modifiers;
    QString Text;
};

struct Keyboard {
    std::array<std::uint8_t, 256> State{};
    std::deque<QueuedKey> Queue;
    IKeyboardRecorder* Recorder = nullptr;
};

Keyboard& keyboard()
{
    static Keyboard instance;
    return instance;
}

bool isDown(std::uint8_t virtualKey) { return keyboard().State[virtualKey] & kDown; }

bool isToggleKey(std::uint8_t virtualKey)
{
    return virtualKey == VK_CAPITAL || virtualKey == VK_NUMLOCK || virtualKey == VK_SCROLL;
}

void changeState(std::uint8_t virtualKey, bool release)
{
    std::uint8_t& entry = keyboard().State[virtualKey];
    if (release) {
        entry &= ~kDown;
        return;
    }
    if (isToggleKey(virtualKey))
        entry ^= kToggled;
    entry |= kDown;
}

QueuedKey queuedKey(std::uint8_t virtualKey, bool release)
{
    Qt::KeyboardModifiers modifiers;
    modifiers.setFlag(Qt::ShiftModifier, isDown(VK_SHIFT));
    modifiers.setFlag(Qt::ControlModifier, isDown(VK_CONTROL));
    modifiers.setFlag(Qt::AltModifier, isDown(VK_MENU));
    const bool capsLock = keyboard().State[VK_CAPITAL] & kToggled;
    QtKeyStroke stroke = QtKeyOf(virtualKey, isDown(VK_SHIFT), isDown(VK_CONTROL), capsLock);
    return {release ? QEvent::KeyRelease : QEvent::KeyPress, stroke.Key, modifiers, std::move(stroke.Text)};
}

// Hands the oldest queued key to the focused window; false when none is
// queued. The key leaves the queue first, so that a loop run while it is
// handled goes on with the keys behind it.
bool deliverOldest()
{
    Keyboard& board = keyboard();
    if (board.Queue.empty())
        return false;
    const QueuedKey key = std::move(board.Queue.front());
    board.Queue.pop_front();
    if (QWindow* window = QGuiApplication::focusWindow())
        qt_handleKeyEvent(window, key.Type, key.Key, key.Modifiers, key.Text, false, 1);
    return true;
}

// Each queued key posts one delivery of the oldest key, so keys arrive in
// order one per pass of the event loop, and a modal dialog that one key
// opens receives the keys behind it in its own loop.
void postDelivery()
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    QMetaObject::invokeMethod(application, &deliverOldest, Qt::QueuedConnection);
}

} // namespace

void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags, std::uintptr_t)
{
    const bool release = flags & KEYEVENTF_KEYUP;
    // Qt expects the modifiers as they were before the event and works out
    // itself what a modifier key's own press or release changes.
    QueuedKey key = queuedKey(virtualKey, release);
    changeState(virtualKey, release);
    Keyboard& board = keyboard();
    if (board.Recorder) {
        board.Recorder->KeyEvent(virtualKey, scanCode, flags);
        return;
    }
    board.Queue.push_back(std::move(key));
    postDelivery();
}

void DispatchPendingKeyEvents()
{
    while (deliverOldest()) {}
}

std::int16_t GetKeyState(int virtualKey)
{
    if (virtualKey < 0 || virtualKey > 255)
        return 0;
    // Windows widens the state byte with its sign, so a key that is down
    // reads negative.
    const auto entry = keyboard().State[static_cast<std::size_t>(virtualKey)] & (kDown | kToggled);
    return static_cast<std::int8_t>(entry);
}

bool GetKeyboardState(std::uint8_t* keyState)
{
    if (!keyState)
        return false;
    std::memcpy(keyState, keyboard().State.data(), keyboard().State.size());
    return true;
}

bool SetKeyboardState(const std::uint8_t* keyState)
{
    if (!keyState)
        return false;
    Keyboard& board = keyboard();
    const std::array<std::uint8_t, 256> before = board.State;
    std::memcpy(board.State.data(), keyState, board.State.size());
    if (board.Recorder)
        for (std::size_t key = 0; key < before.size(); ++key)
            if ((before[key] ^ board.State[key]) & kToggled)
                board.Recorder->ToggleChanged(static_cast<std::uint8_t>(key), board.State[key] & kToggled);
    return true;
}

void SetKeyboardRecorder(IKeyboardRecorder* recorder) { keyboard().Recorder = recorder; }
