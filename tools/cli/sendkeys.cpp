// zarn-sendkeys: types a text written in the key language of the keystroke
// sender, or with --print shows the key events it would type.
// Exit status: 0 the whole text was read, 1 the sender answered False (an
// empty text, a "{" never closed) or nothing could be typed, 2 bad usage or a
// text it cannot convert.
#include "tools/SendKeys.h"
#include "platform/cli/CommandLine.h"
#include "platform/input/KeyboardInput.h"
#include "platform/input/KeyboardLayout.h"
#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>

namespace {

constexpr const char* kUsage = "usage: zarn-sendkeys [--print] TEXT   (TEXT \"-\": read it from standard input)\n";

constexpr const char* kHelp
    = "Types TEXT as keystrokes, written in the key language of ZarnWeb's keystroke sender:\n"
      "  + ^ %      Shift, Control, Alt for the next key      (...)  for every key up to \")\"\n"
      "  ~          Enter                                     {{} {}}  a left, a right brace\n"
      "  {NAME}     a named key: BACKSPACE BKSP BS BREAK CAPSLOCK CLEAR DEL DELETE DOWN END\n"
      "             ENTER ESC ESCAPE F1..F16 HELP HOME INS LEFT NUMLOCK PGDN PGUP PRTSC RIGHT\n"
      "             SCROLLLOCK TAB UP; {c} the character c upper-cased\n"
      "  {NAME n}   the key n times\n"
      "\n"
      "  --print    type nothing; print each step on a line of its own:\n"
      "               down VK SCAN [ext]   a key goes down (hex codes, ext for an extended key)\n"
      "               up VK SCAN [ext]     a key comes up\n"
      "               numlock              Num Lock is flipped in the keyboard state\n"
      "               msgbox TEXT          a message the sender shows\n"
      "             and last \"result true\" or \"result false\"\n"
      "  -h, --help show this help\n"
      "\n"
      "Keystrokes go to the focused window of the program that sends them, and a program\n"
      "started from a shell has none. Without --print zarn-sendkeys therefore opens a window\n"
      "of its own with one text field, types TEXT into it, and prints the messages, the\n"
      "field's text (text \"...\", escaped) and the result. It needs a display for that, or\n"
      "QT_QPA_PLATFORM=offscreen; --print needs none.\n"
      "A TEXT read from standard input loses one line break at its end.\n"
      "Exit status: 0 the whole text was read, 1 the sender answered false or nothing could\n"
      "be typed, 2 bad usage or a repeat count that is not an integer.\n";

const cli::Tool tool{"zarn-sendkeys", kUsage, kHelp};

struct Options {
    bool print = false;
    bool fromInput = false;
    std::string text;
    bool haveText = false;
};

enum class Parsed { Run, Help, BadUsage };

Parsed parseArguments(int argc, char** argv, Options& options)
{
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && (arg == "-h" || arg == "--help"))
            return Parsed::Help;
        if (!optionsEnded && arg == "--print")
            options.print = true;
        else if (!optionsEnded && arg == "--")
            optionsEnded = true;
        else if (options.haveText || (!optionsEnded && arg.size() > 1 && arg[0] == '-'))
            return Parsed::BadUsage;
        else {
            options.haveText = true;
            options.fromInput = !optionsEnded && arg == "-";
            options.text = arg;
        }
    }
    return options.haveText ? Parsed::Run : Parsed::BadUsage;
}

std::string readStandardInput()
{
    std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return text;
}

// The field's text on one line: quotes, backslashes and control characters
// escaped.
std::string quoted(const QString& text)
{
    std::string out = "\"";
    for (const char c : text.toStdString()) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '"' || c == '\\')
            out += {'\\', c};
        else if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else
            out += c;
    }
    return out + "\"";
}

// Prints every key event and Num Lock flip instead of typing it.
class PrintingKeyboard final : public IKeyboardRecorder {
public:
    PrintingKeyboard() { SetKeyboardRecorder(this); }
    ~PrintingKeyboard() override { SetKeyboardRecorder(nullptr); }
    PrintingKeyboard(const PrintingKeyboard&) = delete;
    PrintingKeyboard& operator=(const PrintingKeyboard&) = delete;

    void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) override
    {
        std::printf("%s %02X %02X%s\n", flags & KEYEVENTF_KEYUP ? "up" : "down", virtualKey, scanCode,
            flags & KEYEVENTF_EXTENDEDKEY ? " ext" : "");
    }
    void ToggleChanged(std::uint8_t virtualKey, bool) override
    {
        if (virtualKey == VK_NUMLOCK)
            std::printf("numlock\n");
    }
};

// Prints the sender's messages on standard output; it asks no questions.
class PrintingDialogs final : public IDialogs {
public:
    PrintingDialogs() { SetDialogs(this); }
    ~PrintingDialogs() override { SetDialogs(nullptr); }
    PrintingDialogs(const PrintingDialogs&) = delete;
    PrintingDialogs& operator=(const PrintingDialogs&) = delete;

    int MessageDlg(const QString& text, TMsgDlgType, TMsgDlgButtons) override
    {
        print(text);
        return mrOk;
    }
    int MessageBox(const QString& text, const QString&, unsigned, QWidget*, const QStringList&) override
    {
        print(text);
        return IDOK;
    }
    void ShowMessage(const QString& text) override { print(text); }
    bool InputQuery(const QString&, const QString&, QString&, QWidget*) override { return false; }
    bool LogInDialog(TLogInOptions&) override { return false; }
    bool OpenDialog(TFileDialogOptions&) override { return false; }
    bool SaveDialog(TFileDialogOptions&) override { return false; }
    bool SelectDirectory(const QString&, QString&, QWidget*) override { return false; }
    bool PrintDialog(QPrinter&, QWidget*) override { return false; }
    bool FontDialog(QFont&, QWidget*) override { return false; }
    bool ColorDialog(QColor&, QWidget*) override { return false; }

private:
    static void print(const QString& text) { cli::PrintLine("msgbox " + text.toStdString()); }
};

bool haveDisplay()
{
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
}

// Waits at most a few seconds for field to take the keyboard focus.
bool waitForFocus(QWidget& field)
{
    QElapsedTimer timer;
    timer.start();
    while (!field.hasFocus() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return field.hasFocus();
}

// Types text into a window of the tool's own; 1 when nothing could be typed.
int typeIntoOwnWindow(int argc, char** argv, const std::string& text)
{
    if (!haveDisplay())
        return tool.Fail("typing needs a display (or QT_QPA_PLATFORM=offscreen); --print needs none");
    QApplication application(argc, argv);
    QPlainTextEdit field;
    field.setWindowTitle(QStringLiteral("zarn-sendkeys"));
    field.show();
    field.activateWindow();
    field.setFocus();
    if (!waitForFocus(field))
        return tool.Fail("the window did not get the keyboard focus");
    const bool result = SendKeys(text.c_str(), true);
    std::printf("text %s\nresult %s\n", quoted(field.toPlainText()).c_str(), result ? "true" : "false");
    return result ? 0 : 1;
}

int printSteps(const std::string& text)
{
    PrintingKeyboard keyboard;
    const bool result = SendKeys(text.c_str(), false);
    std::printf("result %s\n", result ? "true" : "false");
    return result ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    switch (parseArguments(argc, argv, options)) {
    case Parsed::Help:
        return tool.Help();
    case Parsed::BadUsage:
        return tool.BadUsage();
    case Parsed::Run:
        break;
    }
    if (options.fromInput)
        options.text = readStandardInput();
    if (options.text.find('\0') != std::string::npos)
        return tool.BadUsage("the text holds a NUL byte, which no key text can carry");
    PrintingDialogs dialogs;
    try {
        return options.print ? printSteps(options.text) : typeIntoOwnWindow(argc, argv, options.text);
    } catch (const EConvertError& error) {
        return tool.BadUsage(std::string("repeat count: ") + error.what());
    }
}
