#pragma once
// The keystroke sender: types a text written in a small key language into
// the window that has the keyboard focus, as if the user typed it, through
// the synthetic keyboard of platform/input.
//
// The key language, read from left to right:
//   +  ^  %        press Shift, Control or Alt for the next key only
//   ( ... )        after a modifier: keep it pressed for every key up to ")"
//   ~              Enter
//   {NAME}         a named key (ENTER, TAB, F1 ... F16, HOME, PGDN, ...; the
//                  name in any case, at most 20 characters are read)
//   {c}            the single character c, upper-cased (so {a} types "A")
//   {NAME n}       the key typed n times (n taken modulo 65536, so -1 types
//                  it 65535 times; {NUMLOCK n} flips Num Lock once)
//   {{}  {}}       a left and a right brace
//   any other      the character, with the shift state its key needs
// A character no key types shows "Invalid KeyName" and is skipped, an
// unknown name between braces shows "Invalid Key Name" and is skipped, a
// single character between braces that no key types is skipped silently;
// the rest of the text is still typed. Messages go through the
// application's dialogs (platform/ui) as an OK box captioned "SendKeys";
// keys typed before a message are delivered before the box opens, so that
// it does not receive them.
#include <stdexcept>

// Raised by SendKeys when the repeat count after the blank in braces is not
// a decimal integer (an optional sign and digits, within 32 bits), or is
// negative or above kMaxKeyRepeat.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest repeat count "{key count}" accepts: a count is no way to type
// for minutes, and a larger one is far more likely a mistake.
constexpr int kMaxKeyRepeat = 10000;

// Types text. True when the whole text was read (also when single keys in
// it were rejected); False, with a message "No Close", when a "{" is never
// closed, and False without a message for an empty or null text. Modifiers
// that the text pressed are up again when SendKeys returns or raises, also
// after an unclosed "(". With wait, every key is delivered to the focused
// window before SendKeys goes on to the next one; without, the keys are
// delivered later by the event loop, to whichever window has the focus
// then. Raises EConvertError for a repeat count that is not an integer
// from 0 to kMaxKeyRepeat; the keys before it were sent.
bool SendKeys(const char* text, bool wait);
