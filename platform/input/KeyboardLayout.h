#pragma once
// The US keyboard layout: which key and shift state type a character, the
// scan code of a virtual key, and what Qt sees of a key.
#include <QString>

#include <cstdint>

// Virtual-key codes the layout knows by name.
constexpr std::uint8_t VK_CANCEL = 0x03, VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D;
constexpr std::uint8_t VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14;
constexpr std::uint8_t VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23;
constexpr std::uint8_t VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28;
constexpr std::uint8_t VK_PRINT = 0x2A, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F;
constexpr std::uint8_t VK_F1 = 0x70, VK_F24 = 0x87, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91;
constexpr std::uint8_t VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD;
constexpr std::uint8_t VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB;
constexpr std::uint8_t VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE;

// Shift state bits in the high byte of a VkKeyScanA answer.
constexpr std::uint16_t kShiftStateShift = 0x100, kShiftStateControl = 0x200, kShiftStateAlt = 0x400;

// The key that types ch: the virtual key in the low byte, the shift state
// (1 Shift, 2 Control, 4 Alt) in the high byte; -1 (0xFFFF) when no key of
// the layout types it, as for every character above 0x7F. Control
// characters are typed with Control ("\n" is Control+Enter), except
// Backspace, Tab, Enter and Escape, which have keys of their own.
std::int16_t VkKeyScanA(char ch);

constexpr unsigned MAPVK_VK_TO_VSC = 0;

// With MAPVK_VK_TO_VSC: the set-1 scan code of a virtual key, without the
// extended prefix (the arrows answer with their numeric-pad codes); 0 for a
// key the layout does not have. Other map types are not supported and
// answer 0.
unsigned MapVirtualKeyA(unsigned code, unsigned mapType);

// What Qt reports for the virtual key with the given modifiers down: the
// Qt::Key (the shifted symbol for a character key, Key_Backtab for
// Shift+Tab) and the text it types (a control character with Control; empty
// for keys that type nothing). Caps Lock turns the case of letters.
struct QtKeyStroke {
    int Key;
    QString Text;
};
QtKeyStroke QtKeyOf(std::uint8_t virtualKey, bool shift, bool control, bool capsLock);
