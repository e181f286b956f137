#include "platform/ui/Dialogs.h"

#include "platform/ui/Application.h"
#include "platform/webcontrol/WindowClass.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>

#include <utility>
#include <vector>

namespace {

QWidget* ownerOr(QWidget* owner) { return owner ? owner : ApplicationMainForm(); }

struct ButtonChoice {
    unsigned button;
    QMessageBox::StandardButton standard; // NoButton: a button with its own caption
    const char* caption;
    int result;
};

// Buttons in the order they are offered.
const ButtonChoice kButtons[] = {
    {mbYes, QMessageBox::Yes, nullptr, mrYes},
    {mbNo, QMessageBox::No, nullptr, mrNo},
    {mbOK, QMessageBox::Ok, nullptr, mrOk},
    {mbCancel, QMessageBox::Cancel, nullptr, mrCancel},
    {mbAbort, QMessageBox::Abort, nullptr, mrAbort},
    {mbRetry, QMessageBox::Retry, nullptr, mrRetry},
    {mbIgnore, QMessageBox::Ignore, nullptr, mrIgnore},
    {mbAll, QMessageBox::NoButton, "&All", mrAll},
    {mbNoToAll, QMessageBox::NoToAll, nullptr, mrNoToAll},
    {mbYesToAll, QMessageBox::YesToAll, nullptr, mrYesToAll},
    {mbHelp, QMessageBox::Help, nullptr, mrNone},
};

// A dialog made with new and shown as a standard dialog box. Its owner may
// go away while it runs (a browser control closing under its alert) and take
// the dialog along; that counts as a cancel.
template <class D> class OwnedDialog {
public:
    template <class... Args> explicit OwnedDialog(Args&&... args) : dialog_(new D(std::forward<Args>(args)...))
    {
        SetWindowClassName(dialog_, QString::fromLatin1(WC_DIALOG));
    }
    ~OwnedDialog() { delete dialog_.data(); }
    OwnedDialog(const OwnedDialog&) = delete;
    OwnedDialog& operator=(const OwnedDialog&) = delete;

    D* operator->() const { return dialog_.data(); }
    D* get() const { return dialog_.data(); }
    // Runs the dialog; True when it was accepted and still exists.
    bool Run() { return dialog_->exec() == QDialog::Accepted && dialog_; }
    explicit operator bool() const { return !dialog_.isNull(); }

private:
    QPointer<D> dialog_;
};

int runBox(QMessageBox::Icon icon, const QString& caption, const QString& text, TMsgDlgButtons buttons, QWidget* owner,
    int defaultButton = 0, const QStringList& buttonCaptions = {})
{
    OwnedDialog<QMessageBox> box(icon, caption, text, QMessageBox::NoButton, owner);
    // Box texts carry page titles and addresses: "<img src=...>" in a title
    // is text to read, never markup to render.
    box->setTextFormat(Qt::PlainText);
    std::vector<std::pair<QAbstractButton*, int>> results;
    for (const ButtonChoice& choice : kButtons) {
        if (!(buttons & choice.button))
            continue;
        QAbstractButton* button = choice.standard != QMessageBox::NoButton
            ? static_cast<QAbstractButton*>(box->addButton(choice.standard))
            : box->addButton(QString::fromLatin1(choice.caption), QMessageBox::AcceptRole);
        if (results.size() < size_t(buttonCaptions.size()))
            button->setText(buttonCaptions[qsizetype(results.size())]);
        results.emplace_back(button, choice.result);
    }
    if (results.empty())
        results.emplace_back(box->addButton(QMessageBox::Ok), mrOk);
    if (defaultButton < int(results.size()))
        box->setDefaultButton(qobject_cast<QPushButton*>(results[size_t(defaultButton)].first));
    box.Run();
    if (!box)
        return mrCancel;
    for (const auto& [button, result] : results)
        if (button == box->clickedButton())
            return result;
    return mrCancel;
}

QMessageBox::Icon iconOf(TMsgDlgType type)
{
    switch (type) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    case mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::Icon iconOfStyle(unsigned style)
{
    switch (style & 0xF0) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// Where a file is proposed when the caller names no folder: the user's
// documents folder (made when missing), not the program's current folder,
// which is usually the home folder itself.
QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir().mkpath(documents) ? documents : QDir::homePath();
}

bool runFileDialog(TFileDialogOptions& options, QFileDialog::AcceptMode mode)
{
    const bool folderGiven = !options.InitialDir.isEmpty() || QFileInfo(options.FileName).isAbsolute();
    QFileDialog dialog(ownerOr(options.Owner), options.Title, folderGiven ? options.InitialDir : documentsFolder());
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Callers that care ask about overwriting themselves, with their own text.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = QtNameFilters(options.Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(options.FilterIndex - 1, filters.first()));
    }
    dialog.setDefaultSuffix(options.DefaultExt);
    if (!options.FileName.isEmpty())
        dialog.selectFile(options.FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    options.FileName = dialog.selectedFiles().first();
    options.FilterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    options.ReadOnlyChecked = false;
    return true;
}

class QtDialogs final : public IDialogs {
public:
    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override
    {
        return runBox(iconOf(type), MessageDlgCaption(type), text, buttons, ApplicationMainForm());
    }

    int MessageBox(const QString& text, const QString& caption, unsigned style, QWidget* owner,
        const QStringList& buttonCaptions) override
    {
        // Answers of MessageBox and MessageDlg share their values.
        return runBox(iconOfStyle(style), caption, text, MessageBoxButtons(style), owner,
            MessageBoxDefaultButton(style), buttonCaptions);
    }

    void ShowMessage(const QString& text) override
    {
        runBox(QMessageBox::NoIcon, ApplicationTitle(), text, mbOK, ApplicationMainForm());
    }

    bool InputQuery(const QString& caption, const QString& prompt, QString& value, QWidget* owner) override
    {
        OwnedDialog<QInputDialog> dialog(ownerOr(owner));
        dialog->setWindowTitle(caption);
        dialog->setLabelText(prompt);
        dialog->setTextValue(value);
        if (!dialog.Run())
            return false;
        value = dialog->textValue();
        return true;
    }

    bool LogInDialog(TLogInOptions& options) override
    {
        OwnedDialog<QDialog> dialog(ownerOr(options.Owner));
        dialog->setWindowTitle(options.Caption);
        auto* layout = new QFormLayout(dialog.get());
        if (!options.Prompt.isEmpty())
            layout->addRow(new QLabel(options.Prompt));
        auto* userName = new QLineEdit(options.UserName);
        userName->setObjectName(QStringLiteral("userName"));
        auto* password = new QLineEdit;
        password->setObjectName(QStringLiteral("password"));
        password->setEchoMode(QLineEdit::Password);
        layout->addRow(QStringLiteral("&User name:"), userName);
        layout->addRow(QStringLiteral("&Password:"), password);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QObject::connect(buttons, &QDialogButtonBox::accepted, dialog.get(), &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, dialog.get(), &QDialog::reject);
        layout->addRow(buttons);
        if (!dialog.Run())
            return false;
        options.UserName = userName->text();
        options.Password = password->text();
        return true;
    }

    bool OpenDialog(TFileDialogOptions& options) override { return runFileDialog(options, QFileDialog::AcceptOpen); }

    bool SaveDialog(TFileDialogOptions& options) override { return runFileDialog(options, QFileDialog::AcceptSave); }

    bool SelectDirectory(const QString& caption, QString& directory, QWidget* owner) override
    {
        const QString chosen = QFileDialog::getExistingDirectory(ownerOr(owner), caption, directory);
        if (chosen.isEmpty())
            return false;
        directory = chosen;
        return true;
    }

    bool PrintDialog(QPrinter& printer, QWidget* owner) override
    {
        // The dialog proposes its file (printing to PDF) in the current
        // folder when that lies in the home folder: the documents folder is
        // current while it is open.
        const QString current = QDir::currentPath();
        if (printer.outputFileName().isEmpty())
            QDir::setCurrent(documentsFolder());
        QPrintDialog dialog(&printer, ownerOr(owner));
        const bool accepted = dialog.exec() == QDialog::Accepted;
        QDir::setCurrent(current);
        return accepted;
    }

    bool FontDialog(QFont& font, QWidget* owner) override
    {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, font, ownerOr(owner));
        if (ok)
            font = chosen;
        return ok;
    }

    bool ColorDialog(QColor& color, QWidget* owner) override
    {
        const QColor chosen = QColorDialog::getColor(color, ownerOr(owner));
        if (!chosen.isValid())
            return false;
        color = chosen;
        return true;
    }
};

IDialogs*& replacement()
{
    static IDialogs* dialogs = nullptr;
    return dialogs;
}

} // namespace

QString IDialogs::InputBox(const QString& caption, const QString& prompt, const QString& defaultValue)
{
    QString value = defaultValue;
    return InputQuery(caption, prompt, value) ? value : defaultValue;
}

IDialogs& Dialogs()
{
    static QtDialogs qtDialogs;
    return replacement() ? *replacement() : qtDialogs;
}

void SetDialogs(IDialogs* dialogs) { replacement() = dialogs; }

int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    return Dialogs().MessageDlg(text, type, buttons);
}

void ShowMessage(const QString& text) { Dialogs().ShowMessage(text); }

QString InputBox(const QString& caption, const QString& prompt, const QString& defaultValue)
{
    return Dialogs().InputBox(caption, prompt, defaultValue);
}

bool InputQuery(const QString& caption, const QString& prompt, QString& value)
{
    return Dialogs().InputQuery(caption, prompt, value);
}

void ShowException(const QString& message)
{
    QString text = message.trimmed();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    Dialogs().MessageBox(text, ApplicationTitle(), MB_OK | MB_ICONERROR);
}

QStringList QtNameFilters(const QString& filter)
{
    static const QRegularExpression separators(QStringLiteral("[;\\s()]+"));
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].simplified();
        const QStringList patterns = parts[i + 1].split(separators, Qt::SkipEmptyParts);
        if (!patterns.isEmpty())
            filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

QString MessageDlgCaption(TMsgDlgType type)
{
    switch (type) {
    case mtWarning:
        return QStringLiteral("Warning");
    case mtError:
        return QStringLiteral("Error");
    case mtInformation:
        return QStringLiteral("Information");
    case mtConfirmation:
        return QStringLiteral("Confirm");
    case mtCustom:
        break;
    }
    return ApplicationTitle();
}

TMsgDlgButtons MessageBoxButtons(unsigned style)
{
    switch (style & 0xF) {
    case MB_OKCANCEL:
        return mbOKCancel;
    case MB_ABORTRETRYIGNORE:
        return mbAbort | mbRetry | mbIgnore;
    case MB_YESNOCANCEL:
        return mbYesNoCancel;
    case MB_YESNO:
        return mbYesNo;
    case MB_RETRYCANCEL:
        return mbRetry | mbCancel;
    }
    return mbOK;
}

int MessageBoxDefaultButton(unsigned style) { return int((style & 0xF00) >> 8); }
