// The synthetic US keyboard: which key types a character, scan codes, the
// keyboard state, and what the focused widget receives.
#include "platform/input/KeyboardInput.h"
#include "platform/input/KeyboardLayout.h"

#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

namespace {

void releaseAllKeys()
{
    const std::array<std::uint8_t, 256> released{};
    SetKeyboardState(released.data());
}

TEST(KeyboardLayout, VkKeyScanAFindsTheKeyAndShiftStateOfACharacter)
{
    const std::pair<char, std::int16_t> cases[] = {
        {'a', 0x41},
        {'A', 0x141},
        {'z', 0x5A},
        {'0', 0x30},
        {'1', 0x31},
        {'!', 0x131},
        {')', 0x130},
        {' ', 0x20},
        {'.', 0xBE},
        {'/', 0xBF},
        {'?', 0x1BF},
        {'-', 0xBD},
        {'_', 0x1BD},
        {'\\', 0xDC},
        {'|', 0x1DC},
        {'{', 0x1DB},
        {'}', 0x1DD},
        {'~', 0x1C0},
        {'"', 0x1DE},
        {';', 0xBA},
        {':', 0x1BA},
        {'\b', 0x08},
        {'\t', 0x09},
        {'\r', 0x0D},
        {'\n', 0x20D},
        {'\x1B', 0x1B},
        {'\x01', 0x241},
        {'\x1C', 0x2DC},
        {'\x1F', 0x3BD},
        {'\x7F', 0x208},
        {'\x80', -1},
        {'\xE9', -1},
        {'\0', -1},
    };
    for (const auto& [ch, code] : cases)
        EXPECT_EQ(VkKeyScanA(ch), code) << "character " << int(static_cast<unsigned char>(ch));
}

TEST(KeyboardLayout, EveryPrintableCharacterTypesItselfBack)
{
    for (int ch = 0x20; ch < 0x7F; ++ch) {
        const std::int16_t code = VkKeyScanA(static_cast<char>(ch));
        ASSERT_NE(code, -1) << ch;
        const QtKeyStroke stroke = QtKeyOf(code & 0xFF, code & kShiftStateShift, code & kShiftStateControl, false);
        EXPECT_EQ(stroke.Text, QString(QChar(ch))) << ch;
        EXPECT_EQ(stroke.Key, QChar(ch).toUpper().unicode()) << ch;
    }
}

TEST(KeyboardLayout, MapVirtualKeyAGivesSetOneScanCodes)
{
    const std::pair<unsigned, unsigned> cases[] = {
        {VK_SHIFT, 0x2A},
        {VK_CONTROL, 0x1D},
        {VK_MENU, 0x38},
        {VK_RETURN, 0x1C},
        {VK_ESCAPE, 0x01},
        {'A', 0x1E},
        {'Q', 0x10},
        {'1', 0x02},
        {'0', 0x0B},
        {VK_LEFT, 0x4B},
        {VK_DELETE, 0x53},
        {VK_PRIOR, 0x49},
        {VK_F1, 0x3B},
        {0x7B, 0x58},
        {0x7C, 0x64},
        {VK_OEM_4, 0x1A},
        {VK_OEM_6, 0x1B},
        {VK_NUMLOCK, 0x45},
        {VK_PRINT, 0},
        {0xFF, 0},
    };
    for (const auto& [virtualKey, scan] : cases)
        EXPECT_EQ(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC), scan) << virtualKey;
    EXPECT_EQ(MapVirtualKeyA(0x1E, 1), 0u);
}

TEST(KeyboardLayout, QtKeysAndTextsFollowTheModifiers)
{
    struct Case {
        std::uint8_t VirtualKey;
        bool Shift, Control, CapsLock;
        int Key;
        QString Text;
    };
    const Case cases[] = {
        {'A', false, false, false, Qt::Key_A, "a"},
        {'A', true, false, false, Qt::Key_A, "A"},
        {'A', false, false, true, Qt::Key_A, "A"},
        {'A', true, false, true, Qt::Key_A, "a"},
        {'A', false, true, false, Qt::Key_A, "\x01"},
        {'1', true, false, true, Qt::Key_Exclam, "!"},
        {'1', false, true, false, Qt::Key_1, ""},
        {VK_TAB, true, false, false, Qt::Key_Backtab, ""},
        {VK_TAB, false, false, false, Qt::Key_Tab, "\t"},
        {VK_RETURN, false, false, false, Qt::Key_Return, "\r"},
        {VK_BACK, false, false, false, Qt::Key_Backspace, "\b"},
        {VK_LEFT, true, false, false, Qt::Key_Left, ""},
        {VK_F1 + 15, false, false, false, Qt::Key_F16, ""},
        {VK_SHIFT, true, false, false, Qt::Key_Shift, ""},
        {VK_PRINT, false, false, false, Qt::Key_Print, ""},
    };
    for (const Case& c : cases) {
        const QtKeyStroke stroke = QtKeyOf(c.VirtualKey, c.Shift, c.Control, c.CapsLock);
        EXPECT_EQ(stroke.Key, c.Key) << int(c.VirtualKey);
        EXPECT_EQ(stroke.Text, c.Text) << int(c.VirtualKey);
    }
}

struct Recorded {
    std::vector<std::tuple<int, int, int>> Events; // virtual key, scan code, flags
    std::vector<std::pair<int, bool>> Toggles;
};

class Recorder final : public IKeyboardRecorder {
public:
    Recorder() { SetKeyboardRecorder(this); }
    ~Recorder() override { SetKeyboardRecorder(nullptr); }
    void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) override
    {
        seen.Events.emplace_back(virtualKey, scanCode, flags);
    }
    void ToggleChanged(std::uint8_t virtualKey, bool on) override { seen.Toggles.emplace_back(virtualKey, on); }
    Recorded seen;
};

TEST(KeyboardState, KeysGoDownAndUpAndLockKeysToggleOnPress)
{
    releaseAllKeys();
    Recorder recorder;
    keybd_event(VK_SHIFT, 0x2A, 0, 0);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    keybd_event(VK_SHIFT, 0x2A, KEYEVENTF_KEYUP, 0);
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);

    keybd_event(VK_CAPITAL, 0x3A, 0, 0);
    EXPECT_EQ(GetKeyState(VK_CAPITAL), -127);
    keybd_event(VK_CAPITAL, 0x3A, KEYEVENTF_KEYUP, 0);
    EXPECT_EQ(GetKeyState(VK_CAPITAL), 1);
    keybd_event(VK_CAPITAL, 0x3A, 0, 0);
    keybd_event(VK_CAPITAL, 0x3A, KEYEVENTF_KEYUP, 0);
    EXPECT_EQ(GetKeyState(VK_CAPITAL), 0);

    EXPECT_EQ(recorder.seen.Events.size(), 6u);
    EXPECT_EQ(recorder.seen.Events[1], std::make_tuple(int(VK_SHIFT), 0x2A, int(KEYEVENTF_KEYUP)));
    EXPECT_EQ(GetKeyState(-1), 0);
    EXPECT_EQ(GetKeyState(256), 0);
}

TEST(KeyboardState, SetKeyboardStateReportsChangedTogglesOnly)
{
    releaseAllKeys();
    Recorder recorder;
    std::array<std::uint8_t, 256> state{};
    ASSERT_TRUE(GetKeyboardState(state.data()));
    state[VK_NUMLOCK] = 0x01;
    state[VK_SHIFT] = 0x80;
    ASSERT_TRUE(SetKeyboardState(state.data()));
    ASSERT_TRUE(SetKeyboardState(state.data()));
    EXPECT_EQ(recorder.seen.Toggles, (std::vector<std::pair<int, bool>>{{VK_NUMLOCK, true}}));
    EXPECT_EQ(GetKeyState(VK_NUMLOCK), 1);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    EXPECT_TRUE(recorder.seen.Events.empty());
    EXPECT_FALSE(GetKeyboardState(nullptr));
    EXPECT_FALSE(SetKeyboardState(nullptr));
    releaseAllKeys();
}

// Takes every key event, Tab included, and keeps what arrived.
class KeyLog : public QWidget {
public:
    struct Key {
        QEvent::Type Type;
        int Key;
        Qt::KeyboardModifiers Modifiers;
        QString Text;
        bool operator==(const KeyLog::Key&) const = default;
    };
    std::vector<Key> Keys;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return QWidget::event(event);
        const auto* key = static_cast<QKeyEvent*>(event);
        Keys.push_back({key->type(), key->key(), key->modifiers(), key->text()});
        return true;
    }
};

TEST(KeyboardDelivery, TheFocusedWidgetReceivesTheKeysInOrderAsQueued)
{
    releaseAllKeys();
    KeyLog log;
    log.setFocusPolicy(Qt::StrongFocus);
    log.show();
    log.activateWindow();
    log.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.hasFocus(); }));

    const auto press = [](std::uint8_t key) { keybd_event(key, 0, 0, 0); };
    const auto release = [](std::uint8_t key) { keybd_event(key, 0, KEYEVENTF_KEYUP, 0); };
    press(VK_SHIFT), press('1'), release('1'), press(VK_TAB), release(VK_TAB), release(VK_SHIFT);
    press(VK_CONTROL), press('A'), release(VK_CONTROL), release('A');
    press(VK_MENU), press(VK_LEFT), release(VK_LEFT), release(VK_MENU);
    EXPECT_TRUE(log.Keys.empty()) << "keys arrive through the event loop";
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.Keys.size() == 14; }));

    constexpr auto P = QEvent::KeyPress;
    constexpr auto R = QEvent::KeyRelease;
    const Qt::KeyboardModifiers none;
    const std::vector<KeyLog::Key> expected{
        {P, Qt::Key_Shift, Qt::ShiftModifier, ""},
        {P, Qt::Key_Exclam, Qt::ShiftModifier, "!"},
        {R, Qt::Key_Exclam, Qt::ShiftModifier, "!"},
        {P, Qt::Key_Backtab, Qt::ShiftModifier, ""},
        {R, Qt::Key_Backtab, Qt::ShiftModifier, ""},
        {R, Qt::Key_Shift, none, ""},
        {P, Qt::Key_Control, Qt::ControlModifier, ""},
        {P, Qt::Key_A, Qt::ControlModifier, "\x01"},
        {R, Qt::Key_Control, none, ""},
        {R, Qt::Key_A, none, "a"},
        {P, Qt::Key_Alt, Qt::AltModifier, ""},
        {P, Qt::Key_Left, Qt::AltModifier, ""},
        {R, Qt::Key_Left, Qt::AltModifier, ""},
        {R, Qt::Key_Alt, none, ""},
    };
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(log.Keys[i] == expected[i])
            << "key " << i << ": " << log.Keys[i].Key << " " << log.Keys[i].Modifiers.toInt() << " "
            << log.Keys[i].Text.toStdString();
}

TEST(KeyboardDelivery, DispatchPendingKeyEventsDeliversBeforeReturning)
{
    releaseAllKeys();
    KeyLog log;
    log.show();
    log.activateWindow();
    log.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.hasFocus(); }));
    keybd_event('Q', 0x10, 0, 0);
    keybd_event('Q', 0x10, KEYEVENTF_KEYUP, 0);
    DispatchPendingKeyEvents();
    ASSERT_EQ(log.Keys.size(), 2u);
    EXPECT_EQ(log.Keys[0].Text, "q");
}

} // namespace
