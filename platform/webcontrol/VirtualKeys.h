#pragma once
// Window-message basics shared by the control and its host: the message
// argument types, the virtual-key codes the rules name and the translation of
// Qt keys into them.
#include <cstdint>

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using UINT = std::uint32_t;

// Key messages and their key data.
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
// Bit 29 of a key message's key data: Alt was down.
constexpr LPARAM KF_ALTDOWN = LPARAM(1) << 29;

// Virtual-key codes.
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
