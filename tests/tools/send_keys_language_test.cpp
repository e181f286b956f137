// The key language of SendKeys, checked at the level of the key events it
// sends. A transcript writes a key going down as "+VK" and coming up as "-VK"
// (hex; "e" marks the extended flag), a Num Lock flip as "N" and a message
// as "[text]".
#include "ScriptedDialogs.h"
#include "platform/input/KeyboardInput.h"
#include "platform/input/KeyboardLayout.h"
#include "tools/SendKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct KeyEventRecord {
    std::uint8_t VirtualKey;
    std::uint8_t ScanCode;
    std::uint32_t Flags;
};

class SendKeysLanguage : public ::testing::Test, public IKeyboardRecorder {
protected:
    SendKeysLanguage()
    {
        const std::array<std::uint8_t, 256> released{};
        SetKeyboardState(released.data());
        SetKeyboardRecorder(this);
        dialogs.OnAsk = [this](const DialogCall& call) {
            steps.push_back("[" + call.Text.toStdString() + "]");
            return DialogAnswer{};
        };
    }
    ~SendKeysLanguage() override { SetKeyboardRecorder(nullptr); }

    void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) override
    {
        events.push_back({virtualKey, scanCode, flags});
        char step[8];
        std::snprintf(step, sizeof step, "%c%02X%s", flags & KEYEVENTF_KEYUP ? '-' : '+', virtualKey,
            flags & KEYEVENTF_EXTENDEDKEY ? "e" : "");
        steps.push_back(step);
    }
    void ToggleChanged(std::uint8_t virtualKey, bool) override
    {
        if (virtualKey == VK_NUMLOCK)
            steps.push_back("N");
    }

    // The steps of typing text, blank-separated.
    std::string typed(const std::string& text, bool expectedResult = true)
    {
        steps.clear();
        EXPECT_EQ(SendKeys(text.c_str(), false), expectedResult) << text;
        std::string transcript;
        for (const std::string& step : steps)
            transcript += (transcript.empty() ? "" : " ") + step;
        return transcript;
    }

    ScriptedDialogs dialogs;
    std::vector<std::string> steps;
    std::vector<KeyEventRecord> events;
};

struct LanguageCase {
    const char* Text;
    const char* Transcript;
};

TEST_F(SendKeysLanguage, TypesEachFormAsItsKeyEvents)
{
    const LanguageCase cases[] = {
        {"ab1", "+41 -41 +42 -42 +31 -31"},
        {"A!", "+10 +41 -41 -10 +10 +31 -31 -10"},
        {" ./", "+20 -20 +BE -BE +BF -BF"},
        {"\n", "+11 +0D -0D -11"},
        // A modifier applies to the next key, or to every key of a group.
        {"+abc", "+10 +41 -41 -10 +42 -42 +43 -43"},
        {"+(abc)d", "+10 +41 -41 +42 -42 +43 -43 -10 +44 -44"},
        {"(+ab)c", "+10 +41 -41 +42 -42 -10 +43 -43"},
        {"^+a", "+11 +10 +41 -41 -10 -11"},
        {"%^a", "+12 +11 +41 -41 -11 -12"},
        {"+A", "+10 +10 +41 -41 -10 -10"},
        {"~", "+0D -0D"},
        {"{ENTER}", "+0D -0D"},
        {"+~", "+10 +0D -0D -10"},
        {"{TAB 3}", "+09 -09 +09 -09 +09 -09"},
        {"{tab}", "+09 -09"},
        {"{a}", "+10 +41 -41 -10"},
        {"{a 2}", "+10 +41 -41 +41 -41 -10"},
        {"{1}", "+31 -31"},
        {"{TAB 0}", ""},
        {"{a 0}", "+10 -10"},
        {"{TAB +2}", "+09 -09 +09 -09"},
        {"{{}a", "+10 +DB -DB -10 +41 -41"},
        {"{}}a", "+10 +DD -DD -10 +41 -41"},
        {"^{{}", "+11 +10 +DB -DB -10 -11"},
        {"}", "+10 +DD -DD -10"},
        {"{LEFT}{HOME}{DEL}", "+25e -25e +24e -24e +2Ee -2Ee"},
        {"+{END}", "+10 +23e -23e -10"},
        {"{BACKSPACE}{BKSP}{BS}", "+08 -08 +08 -08 +08 -08"},
        {"{NUMLOCK}", "N"},
        {"{NUMLOCK 3}", "N"},
        {"+{NUMLOCK}a", "+10 N -10 +41 -41"},
        // The 21st character and later are dropped, the count with them.
        {"{TAB 00000000000000003}", ""},
        {"{TAB 0000000000000003}", "+09 -09 +09 -09 +09 -09"},
        // Rejected keys: the rest of the text is still typed, and a pending
        // modifier waits for the next key that is typed.
        {"a{FOO}b", "+41 -41 [Invalid Key Name] +42 -42"},
        {"a{}b", "+41 -41 [Invalid Key Name] +42 -42"},
        {"+{FOO}a", "+10 [Invalid Key Name] +41 -41 -10"},
        {"a\xE9z", "+41 -41 [Invalid KeyName] +5A -5A"},
        {"+\xE9z", "+10 [Invalid KeyName] +5A -5A -10"},
        {"{\xE9}z", "+5A -5A"},
        {"{ABCDEFGHIJKLMNOPQRSTUVWXYZ}", "[Invalid Key Name]"},
        // Modifiers still down at the end come up, also inside a group.
        {"+(ab", "+10 +41 -41 +42 -42 -10"},
    };
    for (const LanguageCase& c : cases)
        EXPECT_EQ(typed(c.Text), c.Transcript) << "text: " << c.Text;
}

TEST_F(SendKeysLanguage, EveryKeyNameTypesItsKey)
{
    struct NamedKey {
        const char* Name;
        std::uint8_t VirtualKey;
    };
    const NamedKey names[] = {
        {"BACKSPACE", 8},
        {"BKSP", 8},
        {"BREAK", 3},
        {"BS", 8},
        {"CAPSLOCK", 20},
        {"CLEAR", 12},
        {"DEL", 46},
        {"DELETE", 46},
        {"DOWN", 40},
        {"END", 35},
        {"ENTER", 13},
        {"ESC", 27},
        {"ESCAPE", 27},
        {"F1", 112},
        {"F2", 113},
        {"F3", 114},
        {"F4", 115},
        {"F5", 116},
        {"F6", 117},
        {"F7", 118},
        {"F8", 119},
        {"F9", 120},
        {"F10", 121},
        {"F11", 122},
        {"F12", 123},
        {"F13", 124},
        {"F14", 125},
        {"F15", 126},
        {"F16", 127},
        {"HELP", 47},
        {"HOME", 36},
        {"INS", 45},
        {"LEFT", 37},
        {"PGDN", 34},
        {"PGUP", 33},
        {"PRTSC", 42},
        {"RIGHT", 39},
        {"SCROLLLOCK", 145},
        {"TAB", 9},
        {"UP", 38},
    };
    const std::uint8_t extended[] = {33, 34, 35, 36, 37, 38, 39, 40, 45, 46};
    for (const NamedKey& key : names) {
        const bool isExtended
            = std::find(std::begin(extended), std::end(extended), key.VirtualKey) != std::end(extended);
        char expected[16];
        const char* e = isExtended ? "e" : "";
        std::snprintf(expected, sizeof expected, "+%02X%s -%02X%s", key.VirtualKey, e, key.VirtualKey, e);
        EXPECT_EQ(typed(std::string("{") + key.Name + "}"), expected) << key.Name;
    }
    EXPECT_EQ(typed("{NUMLOCK}"), "N");
    EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(SendKeysLanguage, EveryEventCarriesTheScanCodeOfItsKey)
{
    typed("+a^{F12}{LEFT}{{}");
    ASSERT_FALSE(events.empty());
    for (const KeyEventRecord& event : events)
        EXPECT_EQ(event.ScanCode, MapVirtualKeyA(event.VirtualKey, MAPVK_VK_TO_VSC)) << int(event.VirtualKey);
}

TEST_F(SendKeysLanguage, NumLockFlipsTheToggleOnceWhateverTheCount)
{
    ASSERT_EQ(GetKeyState(VK_NUMLOCK) & 1, 0);
    typed("{NUMLOCK 2}");
    EXPECT_EQ(GetKeyState(VK_NUMLOCK) & 1, 1);
    typed("{NUMLOCK}");
    EXPECT_EQ(GetKeyState(VK_NUMLOCK) & 1, 0);
}

// A count is taken whole, up to the limit, never modulo 65536.
TEST_F(SendKeysLanguage, CountsUpToTheLimitAreTypedWhole)
{
    typed("{a " + std::to_string(kMaxKeyRepeat) + "}");
    ASSERT_EQ(steps.size(), 2u + 2u * kMaxKeyRepeat);
    EXPECT_EQ(steps[1], "+41");
    EXPECT_EQ(steps[steps.size() - 2], "-41");
}

TEST_F(SendKeysLanguage, FailsOnAnEmptyTextOrAnUnclosedBrace)
{
    EXPECT_EQ(typed("", false), "");
    EXPECT_FALSE(SendKeys(nullptr, false));
    EXPECT_EQ(typed("ab{ENTER", false), "+41 -41 +42 -42 [No Close]");
    EXPECT_EQ(typed("+(a{b", false), "+10 +41 -41 [No Close] -10");
    EXPECT_EQ(typed("{", false), "[No Close]");
}

TEST_F(SendKeysLanguage, MessagesAreOkBoxesCaptionedSendKeys)
{
    typed("\x80{FOO}");
    ASSERT_EQ(dialogs.Calls().size(), 2u);
    for (const DialogCall& call : dialogs.Calls()) {
        EXPECT_EQ(call.Kind, "MessageBox");
        EXPECT_EQ(call.Caption, "SendKeys");
        EXPECT_EQ(call.Type, int(MB_OK));
    }
}

TEST_F(SendKeysLanguage, ACountThatIsNoIntegerOrOutOfRangeIsRaisedWithTheModifiersReleased)
{
    for (const char* text : {"+a{TAB x}", "+a{TAB 1.5}", "+a{TAB }", "+a{TAB 3 }", "+a{TAB 99999999999}", "+a{ }",
             "+a{TAB -1}", "+a{TAB 10001}", "+a{TAB 65536}", "+a{TAB 65538}", "+a{TAB 1000000}"}) {
        steps.clear();
        EXPECT_THROW(SendKeys(text, false), EConvertError) << text;
        std::string transcript;
        for (const std::string& step : steps)
            transcript += step + " ";
        EXPECT_EQ(transcript, "+10 +41 -41 -10 ") << text;
    }
    for (std::uint8_t modifier : {VK_SHIFT, VK_CONTROL, VK_MENU})
        EXPECT_GE(GetKeyState(modifier), 0);
}

} // namespace
