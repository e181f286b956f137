#pragma once
// Message boxes, input boxes and the common dialogs behind one interface, so
// that a test can answer them from a script (tests/support/ScriptedDialogs.h)
// while the program shows Qt dialogs. Every box and input dialog shown here
// carries the standard dialog window class (WC_DIALOG); one whose owner lies
// inside the browser control counts as the control's own dialog.
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

// Kinds of MessageDlg: the icon and the caption of the box.
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons of MessageDlg, combined as a set with the "|" operator.
enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
};
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;
constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;

// Answers of MessageDlg (the button chosen); mrCancel also when the box is
// closed without a button.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// MessageBox styles: buttons in the low bits, the icon above them.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
// The default button (the one Enter presses) is the second offered one; the
// first is the default otherwise.
constexpr unsigned MB_DEFBUTTON2 = 0x100;
// MessageBox answers.
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

// What an open or save dialog is given and gives back.
struct TFileDialogOptions {
    QString Title;
    // Pairs of description and patterns separated by "|", as in
    // "Text file|*.txt|Word file|*.doc"; patterns within a pair are separated
    // by ";" or blanks.
    QString Filter;
    int FilterIndex = 1; // 1-based; the chosen filter on return
    QString DefaultExt; // added to a typed name without extension ("txt")
    QString InitialDir;
    QString FileName; // proposed name; the chosen file on return
    bool ReadOnlyChecked = false; // open dialogs: the user asked to open read-only
    QWidget* Owner = nullptr; // nullptr: the application's main form
};

// What the log-in dialog shows and gives back.
struct TLogInOptions {
    QString Caption;
    QString Prompt; // the line above the fields (site and realm)
    QString UserName; // proposed name; the typed one on return
    QString Password; // the typed password on return; never shown in clear
    QWidget* Owner = nullptr; // nullptr: the application's main form
};

class IDialogs {
public:
    virtual ~IDialogs() = default;

    // A box with the kind's icon and caption ("Warning", "Error",
    // "Information", "Confirm"; the application title for mtCustom), the
    // given buttons in their usual order; the answer is the button chosen.
    virtual int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) = 0;
    // A box with the given caption and MB_ style (buttons, icon, default
    // button), over owner (none: no owner window). buttonCaptions, when
    // given, relabel the offered buttons in their order ("Open", "Save",
    // "Cancel" for MB_YESNOCANCEL); the answers stay those of the buttons.
    virtual int MessageBox(const QString& text, const QString& caption, unsigned style, QWidget* owner = nullptr,
        const QStringList& buttonCaptions = {})
        = 0;
    // An information box titled with the application title and an OK button.
    virtual void ShowMessage(const QString& text) = 0;
    // Asks for one line of text starting from value, over owner (none: the
    // application's main form); False (value unchanged) when cancelled.
    virtual bool InputQuery(const QString& caption, const QString& prompt, QString& value, QWidget* owner = nullptr)
        = 0;
    // One log-in question: user name and masked password in one dialog with
    // OK and Cancel. True with both filled in when confirmed; False with
    // options unchanged when cancelled.
    virtual bool LogInDialog(TLogInOptions& options) = 0;
    // The answer of InputQuery, or defaultValue when cancelled.
    QString InputBox(const QString& caption, const QString& prompt, const QString& defaultValue);

    // Open and save dialogs: True when a file was chosen (options.FileName).
    virtual bool OpenDialog(TFileDialogOptions& options) = 0;
    virtual bool SaveDialog(TFileDialogOptions& options) = 0;
    // A folder chooser starting at directory; True when one was chosen.
    virtual bool SelectDirectory(const QString& caption, QString& directory, QWidget* owner = nullptr) = 0;
    // The print dialog for printer; True when the user confirmed printing.
    virtual bool PrintDialog(QPrinter& printer, QWidget* owner = nullptr) = 0;
    // Font and colour dialogs starting at the given value; True with the
    // value changed when confirmed, False with it unchanged when cancelled.
    virtual bool FontDialog(QFont& font, QWidget* owner = nullptr) = 0;
    virtual bool ColorDialog(QColor& color, QWidget* owner = nullptr) = 0;
};

// The dialogs in use: the Qt dialogs unless a replacement was set.
IDialogs& Dialogs();
// Replaces the dialogs (the caller keeps ownership); nullptr restores the Qt
// dialogs.
void SetDialogs(IDialogs* dialogs);

// Shortcuts through Dialogs().
int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);
void ShowMessage(const QString& text);
QString InputBox(const QString& caption, const QString& prompt, const QString& defaultValue);
bool InputQuery(const QString& caption, const QString& prompt, QString& value);
// The application's box for an error nobody handled: the message, with a full
// stop added when it ends without one, under the application title with the
// error icon and an OK button.
void ShowException(const QString& message);

// The caption of a MessageDlg box of the given kind ("Warning", "Error",
// "Information", "Confirm"; the application title for a custom box).
QString MessageDlgCaption(TMsgDlgType type);
// The buttons a MessageBox style offers.
TMsgDlgButtons MessageBoxButtons(unsigned style);
// The position, counted from 0 among the offered buttons, of the default
// button of a MessageBox style.
int MessageBoxDefaultButton(unsigned style);

// Turns a "description|patterns|..." filter into Qt's name filters
// ("description (*.a *.b)"); line breaks and blanks around patterns are
// dropped.
QStringList QtNameFilters(const QString& filter);
