#include "platform/input/KeyboardLayout.h"

#include <Qt>

#include <array>

namespace {

// A key that types characters: what it types alone, with Shift, with
// Control and with Control+Shift (0 for nothing). The order of the rows is
// the order in which VkKeyScanA looks, so Escape answers for 0x1B rather
// than Control+[, and Control+Enter for "\n" rather than Control+J.
struct CharacterKey {
    std::uint8_t VirtualKey;
    std::array<char, 4> Types;
};

constexpr CharacterKey kCharacterKeys[] = {
    {VK_BACK, {'\b', '\b', 0x7F, 0}},
    {VK_TAB, {'\t', 0, 0, 0}},
    {VK_RETURN, {'\r', '\r', '\n', 0}},
    {VK_ESCAPE, {0x1B, 0x1B, 0x1B, 0}},
    {VK_SPACE, {' ', ' ', ' ', 0}},
    {'0', {'0', ')', 0, 0}},
    {'1', {'1', '!', 0, 0}},
    {'2', {'2', '@', 0, 0}},
    {'3', {'3', '#', 0, 0}},
    {'4', {'4', '$', 0, 0}},
    {'5', {'5', '%', 0, 0}},
    {'6', {'6', '^', 0, 0x1E}},
    {'7', {'7', '&', 0, 0}},
    {'8', {'8', '*', 0, 0}},
    {'9', {'9', '(', 0, 0}},
    {'A', {'a', 'A', 0x01, 0}},
    {'B', {'b', 'B', 0x02, 0}},
    {'C', {'c', 'C', 0x03, 0}},
    {'D', {'d', 'D', 0x04, 0}},
    {'E', {'e', 'E', 0x05, 0}},
    {'F', {'f', 'F', 0x06, 0}},
    {'G', {'g', 'G', 0x07, 0}},
    {'H', {'h', 'H', 0x08, 0}},
    {'I', {'i', 'I', 0x09, 0}},
    {'J', {'j', 'J', 0x0A, 0}},
    {'K', {'k', 'K', 0x0B, 0}},
    {'L', {'l', 'L', 0x0C, 0}},
    {'M', {'m', 'M', 0x0D, 0}},
    {'N', {'n', 'N', 0x0E, 0}},
    {'O', {'o', 'O', 0x0F, 0}},
    {'P', {'p', 'P', 0x10, 0}},
    {'Q', {'q', 'Q', 0x11, 0}},
    {'R', {'r', 'R', 0x12, 0}},
    {'S', {'s', 'S', 0x13, 0}},
    {'T', {'t', 'T', 0x14, 0}},
    {'U', {'u', 'U', 0x15, 0}},
    {'V', {'v', 'V', 0x16, 0}},
    {'W', {'w', 'W', 0x17, 0}},
    {'X', {'x', 'X', 0x18, 0}},
    {'Y', {'y', 'Y', 0x19, 0}},
    {'Z', {'z', 'Z', 0x1A, 0}},
    {VK_OEM_1, {';', ':', 0, 0}},
    {VK_OEM_PLUS, {'=', '+', 0, 0}},
    {VK_OEM_COMMA, {',', '<', 0, 0}},
    {VK_OEM_MINUS, {'-', '_', 0, 0x1F}},
    {VK_OEM_PERIOD, {'.', '>', 0, 0}},
    {VK_OEM_2, {'/', '?', 0, 0}},
    {VK_OEM_3, {'`', '~', 0, 0}},
    {VK_OEM_4, {'[', '{', 0x1B, 0}},
    {VK_OEM_5, {'\\', '|', 0x1C, 0}},
    {VK_OEM_6, {']', '}', 0x1D, 0}},
    {VK_OEM_7, {'\'', '"', 0, 0}},
};

const CharacterKey* characterKey(std::uint8_t virtualKey)
{
    for (const CharacterKey& key : kCharacterKeys)
        if (key.VirtualKey == virtualKey)
            return &key;
    return nullptr;
}

struct ScanCode {
    std::uint8_t VirtualKey;
    std::uint8_t Scan;
};

constexpr ScanCode kScanCodes[] = {
    {VK_CANCEL, 0x46},
    {VK_BACK, 0x0E},
    {VK_TAB, 0x0F},
    {VK_CLEAR, 0x4C},
    {VK_RETURN, 0x1C},
    {VK_SHIFT, 0x2A},
    {VK_CONTROL, 0x1D},
    {VK_MENU, 0x38},
    {VK_PAUSE, 0x45},
    {VK_CAPITAL, 0x3A},
    {VK_ESCAPE, 0x01},
    {VK_SPACE, 0x39},
    {VK_PRIOR, 0x49},
    {VK_NEXT, 0x51},
    {VK_END, 0x4F},
    {VK_HOME, 0x47},
    {VK_LEFT, 0x4B},
    {VK_UP, 0x48},
    {VK_RIGHT, 0x4D},
    {VK_DOWN, 0x50},
    {VK_SNAPSHOT, 0x54},
    {VK_INSERT, 0x52},
    {VK_DELETE, 0x53},
    {VK_HELP, 0x63},
    {'0', 0x0B},
    {'1', 0x02},
    {'2', 0x03},
    {'3', 0x04},
    {'4', 0x05},
    {'5', 0x06},
    {'6', 0x07},
    {'7', 0x08},
    {'8', 0x09},
    {'9', 0x0A},
    {'A', 0x1E},
    {'B', 0x30},
    {'C', 0x2E},
    {'D', 0x20},
    {'E', 0x12},
    {'F', 0x21},
    {'G', 0x22},
    {'H', 0x23},
    {'I', 0x17},
    {'J', 0x24},
    {'K', 0x25},
    {'L', 0x26},
    {'M', 0x32},
    {'N', 0x31},
    {'O', 0x18},
    {'P', 0x19},
    {'Q', 0x10},
    {'R', 0x13},
    {'S', 0x1F},
    {'T', 0x14},
    {'U', 0x16},
    {'V', 0x2F},
    {'W', 0x11},
    {'X', 0x2D},
    {'Y', 0x15},
    {'Z', 0x2C},
    {0x70, 0x3B},
    {0x71, 0x3C},
    {0x72, 0x3D},
    {0x73, 0x3E},
    {0x74, 0x3F},
    {0x75, 0x40},
    {0x76, 0x41},
    {0x77, 0x42},
    {0x78, 0x43},
    {0x79, 0x44},
    {0x7A, 0x57},
    {0x7B, 0x58},
    {0x7C, 0x64},
    {0x7D, 0x65},
    {0x7E, 0x66},
    {0x7F, 0x67},
    {0x80, 0x68},
    {0x81, 0x69},
    {0x82, 0x6A},
    {0x83, 0x6B},
    {0x84, 0x6C},
    {0x85, 0x6D},
    {0x86, 0x6E},
    {0x87, 0x76},
    {VK_NUMLOCK, 0x45},
    {VK_SCROLL, 0x46},
    {VK_OEM_1, 0x27},
    {VK_OEM_PLUS, 0x0D},
    {VK_OEM_COMMA, 0x33},
    {VK_OEM_MINUS, 0x0C},
    {VK_OEM_PERIOD, 0x34},
    {VK_OEM_2, 0x35},
    {VK_OEM_3, 0x29},
    {VK_OEM_4, 0x1A},
    {VK_OEM_5, 0x2B},
    {VK_OEM_6, 0x1B},
    {VK_OEM_7, 0x28},
};

struct NamedQtKey {
    std::uint8_t VirtualKey;
    int Key;
};

// Keys whose Qt key does not follow from a character they type.
constexpr NamedQtKey kQtKeys[] = {
    {VK_CANCEL, Qt::Key_Cancel},
    {VK_BACK, Qt::Key_Backspace},
    {VK_TAB, Qt::Key_Tab},
    {VK_CLEAR, Qt::Key_Clear},
    {VK_RETURN, Qt::Key_Return},
    {VK_SHIFT, Qt::Key_Shift},
    {VK_CONTROL, Qt::Key_Control},
    {VK_MENU, Qt::Key_Alt},
    {VK_PAUSE, Qt::Key_Pause},
    {VK_CAPITAL, Qt::Key_CapsLock},
    {VK_ESCAPE, Qt::Key_Escape},
    {VK_SPACE, Qt::Key_Space},
    {VK_PRIOR, Qt::Key_PageUp},
    {VK_NEXT, Qt::Key_PageDown},
    {VK_END, Qt::Key_End},
    {VK_HOME, Qt::Key_Home},
    {VK_LEFT, Qt::Key_Left},
    {VK_UP, Qt::Key_Up},
    {VK_RIGHT, Qt::Key_Right},
    {VK_DOWN, Qt::Key_Down},
    {VK_PRINT, Qt::Key_Print},
    {VK_SNAPSHOT, Qt::Key_Print},
    {VK_INSERT, Qt::Key_Insert},
    {VK_DELETE, Qt::Key_Delete},
    {VK_HELP, Qt::Key_Help},
    {VK_NUMLOCK, Qt::Key_NumLock},
    {VK_SCROLL, Qt::Key_ScrollLock},
};

bool isLetterKey(std::uint8_t virtualKey) { return virtualKey >= 'A' && virtualKey <= 'Z'; }

int qtKeyOf(std::uint8_t virtualKey, bool shift)
{
    if (virtualKey == VK_TAB && shift)
        return Qt::Key_Backtab;
    for (const NamedQtKey& named : kQtKeys)
        if (named.VirtualKey == virtualKey)
            return named.Key;
    if (virtualKey >= VK_F1 && virtualKey <= VK_F24)
        return Qt::Key_F1 + (virtualKey - VK_F1);
    // Qt names a character key by the upper-case form of what it types
    // without Control, which for ASCII is the character's code.
    if (const CharacterKey* key = characterKey(virtualKey)) {
        const char typed = key->Types[shift ? 1 : 0];
        return typed >= 'a' && typed <= 'z' ? typed - 'a' + 'A' : typed;
    }
    return Qt::Key_unknown;
}

} // namespace

std::int16_t VkKeyScanA(char ch)
{
    if (ch == 0)
        return -1;
    for (const CharacterKey& key : kCharacterKeys)
        for (std::size_t state = 0; state < key.Types.size(); ++state)
            if (key.Types[state] == ch)
                return static_cast<std::int16_t>(state << 8 | key.VirtualKey);
    return -1;
}

unsigned MapVirtualKeyA(unsigned code, unsigned mapType)
{
    if (mapType != MAPVK_VK_TO_VSC)
        return 0;
    for (const ScanCode& scan : kScanCodes)
        if (scan.VirtualKey == code)
            return scan.Scan;
    return 0;
}

QtKeyStroke QtKeyOf(std::uint8_t virtualKey, bool shift, bool control, bool capsLock)
{
    QtKeyStroke stroke{qtKeyOf(virtualKey, shift), {}};
    if (const CharacterKey* key = characterKey(virtualKey)) {
        const bool shifted = capsLock && isLetterKey(virtualKey) ? !shift : shift;
        const char typed = key->Types[(control ? 2 : 0) + (shifted ? 1 : 0)];
        if (typed != 0)
            stroke.Text = QString(QLatin1Char(typed));
    }
    return stroke;
}
