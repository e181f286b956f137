#pragma once
// A stand-in for the dialogs that never shows a window: it records every
// message, prompt and dialog, and answers from a script. While it exists it
// is the application's dialogs (SetDialogs); its destruction restores the Qt
// dialogs.
#include "platform/ui/Dialogs.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

// One dialog as it was asked for.
struct DialogCall {
    QString Kind; // "MessageDlg", "MessageBox", "ShowMessage", "InputQuery", "LogInDialog", "OpenDialog",
                  // "SaveDialog", "SelectDirectory", "PrintDialog", "FontDialog", "ColorDialog"
    QString Caption; // caption or title (the kind's caption for MessageDlg)
    QString Text; // message text or prompt
    int Type = -1; // TMsgDlgType of MessageDlg; the MB_ style of MessageBox
    TMsgDlgButtons Buttons = 0; // offered buttons of a message box
    QString Value; // starting value: input text, proposed user or file name, directory
    QString Filter; // file dialogs' filter
    QStringList ButtonCaptions; // a message box's own button captions, when it has them
    QWidget* Owner = nullptr; // the owner the caller gave, when it gave one
};

// One scripted answer.
struct DialogAnswer {
    bool Accepted = true;
    int Result = mrNone; // message boxes: the button; mrNone takes the default one
    QString Text; // input text, user, file name or directory; a null text keeps the
                  // starting value (an empty one empties an input box)
    QString Password; // log-in dialog
    QFont Font;
    QColor Color;
    int FilterIndex = 0; // file dialogs; 0 keeps the given index
};

class ScriptedDialogs final : public IDialogs {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // The script: answers taken in order by the next dialogs of any kind.
    ScriptedDialogs& Answer(int result); // a message box button (mrYes, IDOK, ...)
    ScriptedDialogs& AnswerText(const QString& text); // input, file or folder accepted with text
    ScriptedDialogs& AnswerLogIn(const QString& userName, const QString& password);
    ScriptedDialogs& AnswerFont(const QFont& font);
    ScriptedDialogs& AnswerColor(const QColor& color);
    ScriptedDialogs& Accept(); // accepted with the starting value
    ScriptedDialogs& Cancel(); // cancelled (mrCancel for message boxes)
    ScriptedDialogs& Enqueue(const DialogAnswer& answer);

    // Asked when the script is used up. Without it a message box answers with
    // its default button (the first offered one of Yes, No, OK, Cancel, ... in
    // that order, unless a MessageBox style names another) and every other
    // dialog is cancelled.
    std::function<DialogAnswer(const DialogCall&)> OnAsk;

    const std::vector<DialogCall>& Calls() const { return calls_; }
    QStringList Texts() const; // the Text of every call, in order
    const DialogCall& Last() const; // the latest call; fails the test when none
    size_t Pending() const { return script_.size(); } // answers not used yet
    void Clear(); // forgets the calls and the script

    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    int MessageBox(const QString& text, const QString& caption, unsigned style, QWidget* owner = nullptr,
        const QStringList& buttonCaptions = {}) override;
    void ShowMessage(const QString& text) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value, QWidget* owner = nullptr) override;
    bool LogInDialog(TLogInOptions& options) override;
    bool OpenDialog(TFileDialogOptions& options) override;
    bool SaveDialog(TFileDialogOptions& options) override;
    bool SelectDirectory(const QString& caption, QString& directory, QWidget* owner = nullptr) override;
    bool PrintDialog(QPrinter& printer, QWidget* owner = nullptr) override;
    bool FontDialog(QFont& font, QWidget* owner = nullptr) override;
    bool ColorDialog(QColor& color, QWidget* owner = nullptr) override;

private:
    DialogAnswer ask(const DialogCall& call);
    int buttonAnswer(DialogCall call, int defaultButton = 0);
    bool fileAnswer(const QString& kind, TFileDialogOptions& options);

    std::vector<DialogCall> calls_;
    std::deque<DialogAnswer> script_;
};
