#include "tools/SendKeys.h"

#include "platform/input/KeyboardInput.h"
#include "platform/input/KeyboardLayout.h"
#include "platform/ui/Dialogs.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

// A key code: the virtual key in the low byte, the shift state in the high.
using KeyCode = std::uint16_t;
constexpr KeyCode kNoKey = 0xFFFF;
constexpr KeyCode kLeftBrace = kShiftStateShift | VK_OEM_4;
constexpr KeyCode kRightBrace = kShiftStateShift | VK_OEM_6;

constexpr std::size_t kMaxBraceText = 20;

struct KeyName {
    std::string_view Name;
    std::uint8_t VirtualKey;
};

// Sorted in byte order for the binary search in LookupKeyName.
constexpr KeyName kKeyNames[] = {
    {"BACKSPACE", VK_BACK},
    {"BKSP", VK_BACK},
    {"BREAK", VK_CANCEL},
    {"BS", VK_BACK},
    {"CAPSLOCK", VK_CAPITAL},
    {"CLEAR", VK_CLEAR},
    {"DEL", VK_DELETE},
    {"DELETE", VK_DELETE},
    {"DOWN", VK_DOWN},
    {"END", VK_END},
    {"ENTER", VK_RETURN},
    {"ESC", VK_ESCAPE},
    {"ESCAPE", VK_ESCAPE},
    {"F1", 112},
    {"F10", 121},
    {"F11", 122},
    {"F12", 123},
    {"F13", 124},
    {"F14", 125},
    {"F15", 126},
    {"F16", 127},
    {"F2", 113},
    {"F3", 114},
    {"F4", 115},
    {"F5", 116},
    {"F6", 117},
    {"F7", 118},
    {"F8", 119},
    {"F9", 120},
    {"HELP", VK_HELP},
    {"HOME", VK_HOME},
    {"INS", VK_INSERT},
    {"LEFT", VK_LEFT},
    {"NUMLOCK", VK_NUMLOCK},
    {"PGDN", VK_NEXT},
    {"PGUP", VK_PRIOR},
    {"PRTSC", VK_PRINT},
    {"RIGHT", VK_RIGHT},
    {"SCROLLLOCK", VK_SCROLL},
    {"TAB", VK_TAB},
    {"UP", VK_UP},
};
static_assert(std::size(kKeyNames) == 41);
static_assert(std::is_sorted(
    std::begin(kKeyNames), std::end(kKeyNames), [](const KeyName& a, const KeyName& b) { return a.Name < b.Name; }));

bool isExtendedKey(std::uint8_t virtualKey)
{
    return (virtualKey >= VK_PRIOR && virtualKey <= VK_DOWN) || virtualKey == VK_INSERT || virtualKey == VK_DELETE;
}

std::uint8_t scanCodeOf(std::uint8_t virtualKey)
{
    return static_cast<std::uint8_t>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC) & 0xFF);
}

// The text between braces as it is looked up: its first 20 characters,
// with a to z upper-cased.
std::string braceText(std::string_view text)
{
    std::string collected(text.substr(0, kMaxBraceText));
    for (char& c : collected)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return collected;
}

// A decimal integer with an optional sign that fits 32 bits.
std::optional<std::int32_t> integerOf(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

struct Modifier {
    char Prefix;
    std::uint8_t VirtualKey;
    KeyCode ShiftStateBit;
};

// In the order in which they go down and come up.
constexpr std::array<Modifier, 3> kModifiers{{
    {'+', VK_SHIFT, kShiftStateShift},
    {'^', VK_CONTROL, kShiftStateControl},
    {'%', VK_MENU, kShiftStateAlt},
}};

class KeystrokeSender {
public:
    explicit KeystrokeSender(bool wait) : wait_(wait) {}

    bool Send(std::string_view text)
    {
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::optional<std::size_t> next = readAt(text, pos);
            if (!next) {
                releaseEverything();
                return false;
            }
            pos = *next;
        }
        releaseEverything();
        return true;
    }

private:
    // Acts on the text at pos; the position to read on from, or nothing when
    // the text ends inside braces.
    std::optional<std::size_t> readAt(std::string_view text, std::size_t pos)
    {
        const char c = text[pos];
        for (std::size_t i = 0; i < kModifiers.size(); ++i) {
            if (c == kModifiers[i].Prefix) {
                PressKey(kModifiers[i].VirtualKey, 1, false);
                remembered_[i] = true;
                return pos + 1;
            }
        }
        const auto at = [&](std::size_t offset) { return pos + offset < text.size() ? text[pos + offset] : '\0'; };
        switch (c) {
        case '(':
            group_ = true;
            return pos + 1;
        case ')':
            group_ = false;
            ReleaseModifiers();
            return pos + 1;
        case '~':
            PressKey(VK_RETURN, 1, true);
            ReleaseModifiers();
            return pos + 1;
        case '{':
            if (at(1) == '{' || (at(1) == '}' && at(2) == '}')) {
                TypeKeyCode(at(1) == '{' ? kLeftBrace : kRightBrace, 1, true);
                ReleaseModifiers();
                return pos + 3;
            }
            return typeBraces(text, pos);
        default:
            typeCharacter(c);
            return pos + 1;
        }
    }

    std::optional<std::size_t> typeBraces(std::string_view text, std::size_t open)
    {
        const std::size_t close = text.find('}', open + 1);
        if (close == std::string_view::npos) {
            showMessage("No Close");
            return std::nullopt;
        }
        const std::string collected = braceText(text.substr(open + 1, close - open - 1));
        const std::size_t blank = collected.find(' ');
        const std::string name = collected.substr(0, blank);
        std::int32_t count = 1;
        if (blank != std::string::npos) {
            const std::string countText = collected.substr(blank + 1);
            const std::optional<std::int32_t> parsed = integerOf(countText);
            if (!parsed) {
                releaseEverything();
                throw EConvertError("'" + countText + "' is not a valid integer value");
            }
            if (*parsed < 0 || *parsed > kMaxKeyRepeat) {
                releaseEverything();
                throw EConvertError("'" + countText + "' is not a valid repeat count: it must be from 0 to "
                    + std::to_string(kMaxKeyRepeat));
            }
            count = *parsed;
        }
        const KeyCode code = name.size() == 1 ? static_cast<KeyCode>(VkKeyScanA(name[0])) : LookupKeyName(name);
        if (code != kNoKey) {
            TypeKeyCode(code, static_cast<std::uint16_t>(count), true);
            ReleaseModifiers();
        }
        return close + 1;
    }

    void typeCharacter(char c)
    {
        const auto code = static_cast<KeyCode>(VkKeyScanA(c));
        if (code == kNoKey) {
            showMessage("Invalid KeyName");
            return;
        }
        TypeKeyCode(code, 1, true);
        ReleaseModifiers();
    }

    KeyCode LookupKeyName(std::string_view name)
    {
        const auto found = std::lower_bound(std::begin(kKeyNames), std::end(kKeyNames), name,
            [](const KeyName& row, std::string_view key) { return row.Name < key; });
        if (found != std::end(kKeyNames) && found->Name == name)
            return found->VirtualKey;
        showMessage("Invalid Key Name");
        return kNoKey;
    }

    void TypeKeyCode(KeyCode code, std::uint16_t count, bool withRelease)
    {
        for (const Modifier& modifier : kModifiers)
            if (code & modifier.ShiftStateBit)
                PressKey(modifier.VirtualKey, 1, false);
        PressKey(static_cast<std::uint8_t>(code & 0xFF), count, withRelease);
        for (const Modifier& modifier : kModifiers)
            if (code & modifier.ShiftStateBit)
                ReleaseKey(modifier.VirtualKey);
    }

    void PressKey(std::uint8_t virtualKey, std::uint16_t count, bool withRelease)
    {
        if (virtualKey == VK_NUMLOCK) {
            toggleNumLock();
            return;
        }
        const std::uint8_t scan = scanCodeOf(virtualKey);
        const std::uint32_t extended = isExtendedKey(virtualKey) ? KEYEVENTF_EXTENDEDKEY : 0;
        for (std::uint16_t i = 0; i < count; ++i) {
            EmitKeyEvent(virtualKey, scan, extended);
            if (withRelease)
                EmitKeyEvent(virtualKey, scan, extended | KEYEVENTF_KEYUP);
        }
    }

    // Num Lock is flipped in the keyboard state rather than pressed.
    static void toggleNumLock()
    {
        const bool on = GetKeyState(VK_NUMLOCK) & 1;
        std::array<std::uint8_t, 256> state{};
        GetKeyboardState(state.data());
        state[VK_NUMLOCK] = on ? state[VK_NUMLOCK] & ~1u : state[VK_NUMLOCK] | 1u;
        SetKeyboardState(state.data());
    }

    void ReleaseKey(std::uint8_t virtualKey) { EmitKeyEvent(virtualKey, scanCodeOf(virtualKey), KEYEVENTF_KEYUP); }

    void ReleaseModifiers()
    {
        if (group_)
            return;
        for (std::size_t i = 0; i < kModifiers.size(); ++i)
            if (remembered_[i])
                ReleaseKey(kModifiers[i].VirtualKey);
        remembered_ = {};
    }

    // However the text ends, no modifier it pressed stays down.
    void releaseEverything()
    {
        group_ = false;
        ReleaseModifiers();
    }

    void EmitKeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags)
    {
        keybd_event(virtualKey, scanCode, flags, 0);
        if (wait_)
            DispatchPendingKeyEvents();
    }

    // Keys typed so far reach their window before the box takes the focus.
    static void showMessage(const char* text)
    {
        DispatchPendingKeyEvents();
        Dialogs().MessageBox(QString::fromLatin1(text), QStringLiteral("SendKeys"), MB_OK);
    }

    const bool wait_;
    std::array<bool, kModifiers.size()> remembered_{};
    bool group_ = false;
};

} // namespace

bool SendKeys(const char* text, bool wait)
{
    if (!text || !*text)
        return false;
    return KeystrokeSender(wait).Send(text);
}
