#include "ScriptedDialogs.h"

#include <stdexcept>

namespace {

// Message box answers for each offered button, in the order they are offered.
const std::pair<unsigned, int> kButtonResults[] = {
    {mbYes, mrYes},
    {mbNo, mrNo},
    {mbOK, mrOk},
    {mbCancel, mrCancel},
    {mbAbort, mrAbort},
    {mbRetry, mrRetry},
    {mbIgnore, mrIgnore},
    {mbAll, mrAll},
    {mbNoToAll, mrNoToAll},
    {mbYesToAll, mrYesToAll},
};

// The answer of the offered button at the given position (0: the first).
int offeredButton(TMsgDlgButtons buttons, int position)
{
    int result = mrOk;
    for (const auto& [button, answer] : kButtonResults) {
        if (!(buttons & button))
            continue;
        result = answer;
        if (position-- == 0)
            break;
    }
    return result;
}

} // namespace

ScriptedDialogs::ScriptedDialogs() { SetDialogs(this); }

ScriptedDialogs::~ScriptedDialogs() { SetDialogs(nullptr); }

ScriptedDialogs& ScriptedDialogs::Enqueue(const DialogAnswer& answer)
{
    script_.push_back(answer);
    return *this;
}

ScriptedDialogs& ScriptedDialogs::Answer(int result)
{
    DialogAnswer answer;
    answer.Result = result;
    return Enqueue(answer);
}

ScriptedDialogs& ScriptedDialogs::AnswerText(const QString& text)
{
    DialogAnswer answer;
    answer.Text = text;
    return Enqueue(answer);
}

ScriptedDialogs& ScriptedDialogs::AnswerLogIn(const QString& userName, const QString& password)
{
    DialogAnswer answer;
    answer.Text = userName;
    answer.Password = password;
    return Enqueue(answer);
}

ScriptedDialogs& ScriptedDialogs::AnswerFont(const QFont& font)
{
    DialogAnswer answer;
    answer.Font = font;
    return Enqueue(answer);
}

ScriptedDialogs& ScriptedDialogs::AnswerColor(const QColor& color)
{
    DialogAnswer answer;
    answer.Color = color;
    return Enqueue(answer);
}

ScriptedDialogs& ScriptedDialogs::Accept() { return Enqueue(DialogAnswer{}); }

ScriptedDialogs& ScriptedDialogs::Cancel()
{
    DialogAnswer answer;
    answer.Accepted = false;
    answer.Result = mrCancel;
    return Enqueue(answer);
}

QStringList ScriptedDialogs::Texts() const
{
    QStringList texts;
    for (const DialogCall& call : calls_)
        texts << call.Text;
    return texts;
}

const DialogCall& ScriptedDialogs::Last() const
{
    if (calls_.empty())
        throw std::logic_error("no dialog was asked for");
    return calls_.back();
}

void ScriptedDialogs::Clear()
{
    calls_.clear();
    script_.clear();
}

DialogAnswer ScriptedDialogs::ask(const DialogCall& call)
{
    calls_.push_back(call);
    if (!script_.empty()) {
        DialogAnswer answer = script_.front();
        script_.pop_front();
        return answer;
    }
    if (OnAsk)
        return OnAsk(call);
    DialogAnswer unanswered;
    unanswered.Accepted = call.Kind == QLatin1String("MessageDlg") || call.Kind == QLatin1String("MessageBox")
        || call.Kind == QLatin1String("ShowMessage");
    return unanswered;
}

int ScriptedDialogs::buttonAnswer(DialogCall call, int defaultButton)
{
    const DialogAnswer answer = ask(call);
    if (answer.Result != mrNone)
        return answer.Result;
    return answer.Accepted ? offeredButton(call.Buttons, defaultButton) : mrCancel;
}

int ScriptedDialogs::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    return buttonAnswer({QStringLiteral("MessageDlg"), MessageDlgCaption(type), text, type, buttons, {}, {}});
}

int ScriptedDialogs::MessageBox(
    const QString& text, const QString& caption, unsigned style, QWidget* owner, const QStringList& buttonCaptions)
{
    return buttonAnswer({QStringLiteral("MessageBox"), caption, text, int(style), MessageBoxButtons(style), {}, {},
                            buttonCaptions, owner},
        MessageBoxDefaultButton(style));
}

void ScriptedDialogs::ShowMessage(const QString& text)
{
    buttonAnswer({QStringLiteral("ShowMessage"), {}, text, -1, mbOK, {}, {}});
}

bool ScriptedDialogs::InputQuery(const QString& caption, const QString& prompt, QString& value, QWidget* owner)
{
    const DialogAnswer answer = ask({QStringLiteral("InputQuery"), caption, prompt, -1, 0, value, {}, {}, owner});
    if (answer.Accepted && !answer.Text.isNull())
        value = answer.Text;
    return answer.Accepted;
}

bool ScriptedDialogs::LogInDialog(TLogInOptions& options)
{
    const DialogAnswer answer = ask({QStringLiteral("LogInDialog"), options.Caption, options.Prompt, -1, 0,
        options.UserName, {}, {}, options.Owner});
    if (!answer.Accepted)
        return false;
    if (!answer.Text.isNull())
        options.UserName = answer.Text;
    options.Password = answer.Password;
    return true;
}

bool ScriptedDialogs::fileAnswer(const QString& kind, TFileDialogOptions& options)
{
    const DialogAnswer answer = ask({kind, options.Title, {}, -1, 0, options.FileName, options.Filter});
    if (!answer.Accepted)
        return false;
    if (!answer.Text.isEmpty())
        options.FileName = answer.Text;
    if (answer.FilterIndex > 0)
        options.FilterIndex = answer.FilterIndex;
    return true;
}

bool ScriptedDialogs::OpenDialog(TFileDialogOptions& options)
{
    return fileAnswer(QStringLiteral("OpenDialog"), options);
}

bool ScriptedDialogs::SaveDialog(TFileDialogOptions& options)
{
    return fileAnswer(QStringLiteral("SaveDialog"), options);
}

bool ScriptedDialogs::SelectDirectory(const QString& caption, QString& directory, QWidget*)
{
    const DialogAnswer answer = ask({QStringLiteral("SelectDirectory"), caption, {}, -1, 0, directory, {}});
    if (answer.Accepted && !answer.Text.isEmpty())
        directory = answer.Text;
    return answer.Accepted;
}

bool ScriptedDialogs::PrintDialog(QPrinter&, QWidget*)
{
    return ask({QStringLiteral("PrintDialog"), {}, {}, -1, 0, {}, {}}).Accepted;
}

bool ScriptedDialogs::FontDialog(QFont& font, QWidget*)
{
    const DialogAnswer answer = ask({QStringLiteral("FontDialog"), {}, {}, -1, 0, font.toString(), {}});
    if (answer.Accepted && answer.Font != QFont())
        font = answer.Font;
    return answer.Accepted;
}

bool ScriptedDialogs::ColorDialog(QColor& color, QWidget*)
{
    const DialogAnswer answer = ask({QStringLiteral("ColorDialog"), {}, {}, -1, 0, color.name(), {}});
    if (answer.Accepted && answer.Color.isValid())
        color = answer.Color;
    return answer.Accepted;
}
