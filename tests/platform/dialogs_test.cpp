// The dialogs interface: the scripted stand-in, filter conversion, the Qt
// message box's buttons and answers, and the Qt log-in dialog.
#include "platform/ui/Dialogs.h"
#include "platform/webcontrol/WindowClass.h"

#include "ScriptedDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(ScriptedDialogs, RecordsEveryTextAndAnswersInScriptOrder)
{
    ScriptedDialogs dialogs;
    dialogs.Answer(mrNo).AnswerText("42").Cancel().Answer(IDRETRY);

    EXPECT_EQ(MessageDlg("Save changes to a?", mtConfirmation, mbYesNoCancel), mrNo);
    EXPECT_EQ(InputBox("Select A Line", "Please Enter a line number to select..", ""), "42");
    QString value = "keep";
    EXPECT_FALSE(InputQuery("Browser Demo", "Please enter the url", value));
    EXPECT_EQ(value, "keep");
    EXPECT_EQ(Dialogs().MessageBox("Invalid KeyName", "SendKeys", MB_RETRYCANCEL | MB_ICONERROR), IDRETRY);
    EXPECT_EQ(dialogs.Pending(), 0u);

    ASSERT_EQ(dialogs.Calls().size(), 4u);
    const DialogCall& first = dialogs.Calls()[0];
    EXPECT_EQ(first.Kind, "MessageDlg");
    EXPECT_EQ(first.Caption, "Confirm");
    EXPECT_EQ(first.Type, mtConfirmation);
    EXPECT_EQ(first.Buttons, mbYesNoCancel);
    EXPECT_EQ(dialogs.Calls()[1].Caption, "Select A Line");
    EXPECT_EQ(dialogs.Last().Caption, "SendKeys");
    EXPECT_EQ(dialogs.Last().Buttons, mbRetry | mbCancel);
    EXPECT_EQ(dialogs.Texts(),
        (QStringList{"Save changes to a?", "Please Enter a line number to select..", "Please enter the url",
            "Invalid KeyName"}));
}

TEST(ScriptedDialogs, UnscriptedBoxesTakeTheDefaultButtonAndOtherDialogsCancel)
{
    ScriptedDialogs dialogs;
    EXPECT_EQ(MessageDlg("x", mtWarning, mbOKCancel), mrOk);
    EXPECT_EQ(MessageDlg("x", mtCustom, mbYes | mbCancel | mbAll), mrYes);
    EXPECT_EQ(Dialogs().MessageBox("x", "c", MB_YESNO), IDYES);
    EXPECT_EQ(Dialogs().MessageBox("x", "c", MB_YESNO | MB_DEFBUTTON2), IDNO);
    ShowMessage("shown");
    EXPECT_EQ(InputBox("c", "p", "default"), "default");
    TFileDialogOptions options;
    options.FileName = "WebSiteText.txt";
    EXPECT_FALSE(Dialogs().SaveDialog(options));
    EXPECT_EQ(options.FileName, "WebSiteText.txt");
    QColor color(Qt::black);
    EXPECT_FALSE(Dialogs().ColorDialog(color));
    EXPECT_EQ(color, QColor(Qt::black));
    EXPECT_EQ(dialogs.Calls().size(), 8u);
    EXPECT_EQ(dialogs.Calls()[4].Kind, "ShowMessage");
}

TEST(ScriptedDialogs, CommonDialogsGiveBackTheScriptedChoice)
{
    ScriptedDialogs dialogs;
    TFileDialogOptions open;
    open.Title = "Browser - Open Dialog";
    open.Filter = "Internet Files|*.htm|Any Files|*.*";
    DialogAnswer secondFilter;
    secondFilter.Text = "/tmp/page.htm";
    secondFilter.FilterIndex = 2;
    dialogs.Enqueue(secondFilter)
        .AnswerText("/tmp/folder")
        .Accept()
        .AnswerFont(QFont("Serif", 14))
        .AnswerColor(QColor(255, 255, 0));

    ASSERT_TRUE(Dialogs().OpenDialog(open));
    EXPECT_EQ(open.FileName, "/tmp/page.htm");
    EXPECT_EQ(open.FilterIndex, 2);
    EXPECT_EQ(dialogs.Calls()[0].Caption, "Browser - Open Dialog");
    EXPECT_EQ(dialogs.Calls()[0].Filter, open.Filter);
    QString folder = "/";
    ASSERT_TRUE(Dialogs().SelectDirectory("Choose", folder));
    EXPECT_EQ(folder, "/tmp/folder");
    QPrinter printer;
    EXPECT_TRUE(Dialogs().PrintDialog(printer));
    QFont font;
    ASSERT_TRUE(Dialogs().FontDialog(font));
    EXPECT_EQ(font.family(), "Serif");
    QColor color(Qt::white);
    ASSERT_TRUE(Dialogs().ColorDialog(color));
    EXPECT_EQ(color, QColor(255, 255, 0));
}

TEST(ScriptedDialogs, UnhandledErrorsShowUnderTheApplicationTitle)
{
    ScriptedDialogs dialogs;
    QCoreApplication::setApplicationName("ZarnWeb");
    ShowException("Access denied");
    ShowException("Already ends.");
    EXPECT_EQ(dialogs.Texts(), (QStringList{"Access denied.", "Already ends."}));
    EXPECT_EQ(dialogs.Last().Kind, "MessageBox");
    EXPECT_EQ(dialogs.Last().Caption, "ZarnWeb");
    EXPECT_EQ(dialogs.Last().Type, int(MB_OK | MB_ICONERROR));
}

TEST(ScriptedDialogs, LogInAndRelabelledBoxesAreRecordedAndAnswered)
{
    ScriptedDialogs dialogs;
    QWidget owner;
    dialogs.AnswerLogIn("user", "secret").Cancel().Answer(IDNO);

    TLogInOptions logIn;
    logIn.Caption = "Connect to site";
    logIn.Prompt = "Realm";
    logIn.UserName = "proposed";
    logIn.Owner = &owner;
    ASSERT_TRUE(Dialogs().LogInDialog(logIn));
    EXPECT_EQ(logIn.UserName, "user");
    EXPECT_EQ(logIn.Password, "secret");
    EXPECT_EQ(dialogs.Last().Kind, "LogInDialog");
    EXPECT_EQ(dialogs.Last().Caption, "Connect to site");
    EXPECT_EQ(dialogs.Last().Text, "Realm");
    EXPECT_EQ(dialogs.Last().Value, "proposed");
    EXPECT_EQ(dialogs.Last().Owner, &owner);

    TLogInOptions cancelled;
    cancelled.UserName = "kept";
    EXPECT_FALSE(Dialogs().LogInDialog(cancelled));
    EXPECT_EQ(cancelled.UserName, "kept");
    EXPECT_TRUE(cancelled.Password.isEmpty());

    EXPECT_EQ(Dialogs().MessageBox("q", "c", MB_YESNOCANCEL, &owner, {"Open", "Save", "Cancel"}), IDNO);
    EXPECT_EQ(dialogs.Last().ButtonCaptions, (QStringList{"Open", "Save", "Cancel"}));
    EXPECT_EQ(dialogs.Last().Owner, &owner);
}

TEST(ScriptedDialogs, OnAskAnswersOnceTheScriptIsUsedUp)
{
    ScriptedDialogs dialogs;
    dialogs.Answer(mrYes);
    dialogs.OnAsk = [](const DialogCall& call) {
        DialogAnswer answer;
        answer.Text = call.Text + "!";
        return answer;
    };
    EXPECT_EQ(MessageDlg("first", mtConfirmation, mbYesNo), mrYes);
    EXPECT_EQ(InputBox("c", "asked", ""), "asked!");
}

TEST(ScriptedDialogs, DestructionRestoresTheQtDialogs)
{
    IDialogs* before = &Dialogs();
    {
        ScriptedDialogs dialogs;
        EXPECT_EQ(&Dialogs(), &dialogs);
    }
    EXPECT_EQ(&Dialogs(), before);
}

TEST(FileDialogFilters, BecomeQtNameFilters)
{
    const QString lfcr = QString("\n\r");
    const struct {
        QString filter;
        QStringList expected;
    } cases[] = {
        {"Text file|*.txt|Word file|*.doc", {"Text file (*.txt)", "Word file (*.doc)"}},
        {"Internet Files|*.htm; *.html; *.php *.asp" + lfcr + "|Image Files| *.gif;*.bmp;" + lfcr + "|Any Files|*.*",
            {"Internet Files (*.htm *.html *.php *.asp)", "Image Files (*.gif *.bmp)", "Any Files (*.*)"}},
        {"BMP file | (*.bmp)", {"BMP file (*.bmp)"}},
        {"", {}},
        {"Description only", {}},
        {"Empty patterns| ; |Any|*", {"Any (*)"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtNameFilters(c.filter), c.expected) << c.filter.toStdString();
}

// Clicks the button with the given text on the modal box once it is shown;
// the box's caption, offered buttons and default button are noted.
void clickLater(const QString& buttonText, QString* caption, QStringList* offered, QString* defaultButton = nullptr)
{
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return clickLater(buttonText, caption, offered, defaultButton);
        *caption = box->windowTitle();
        if (defaultButton && box->defaultButton())
            *defaultButton = box->defaultButton()->text().remove('&');
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            offered->append(button->text().remove('&'));
            if (button->text().remove('&') == buttonText)
                chosen = button;
        }
        if (chosen)
            chosen->click();
        else
            box->reject();
    });
}

TEST(QtDialogs, MessageBoxesOfferTheButtonsAndAnswerTheChosenOne)
{
    QString caption;
    QStringList offered;
    clickLater("No", &caption, &offered);
    EXPECT_EQ(MessageDlg("Save changes?", mtConfirmation, mbYesNoCancel), mrNo);
    EXPECT_EQ(caption, "Confirm");
    offered.sort();
    EXPECT_EQ(offered, (QStringList{"Cancel", "No", "Yes"}));

    offered.clear();
    clickLater("All", &caption, &offered);
    EXPECT_EQ(MessageDlg("", mtCustom, mbYes | mbCancel | mbAll), mrAll);

    offered.clear();
    clickLater("Cancel", &caption, &offered);
    EXPECT_EQ(Dialogs().MessageBox("text", "Downloading Error!!", MB_OKCANCEL | MB_ICONERROR), IDCANCEL);
    EXPECT_EQ(caption, "Downloading Error!!");

    QString defaultButton;
    clickLater("Yes", &caption, &offered, &defaultButton);
    EXPECT_EQ(Dialogs().MessageBox("Open?", "c", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDYES);
    EXPECT_EQ(defaultButton, "No");
}

TEST(QtDialogs, RelabelledButtonsAnswerAsTheButtonsTheyStandFor)
{
    const struct {
        const char* clicked;
        int answer;
    } cases[] = {{"Open", IDYES}, {"Save", IDNO}, {"Cancel", IDCANCEL}};
    QWidget owner;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clicked);
        QString caption;
        QStringList offered;
        QString defaultButton;
        clickLater(c.clicked, &caption, &offered, &defaultButton);
        EXPECT_EQ(Dialogs().MessageBox("Do you want to open or save this file?", "File Download",
                      MB_YESNOCANCEL | MB_DEFBUTTON2, &owner, {"Open", "Save", "Cancel"}),
            c.answer);
        offered.sort();
        EXPECT_EQ(offered, (QStringList{"Cancel", "Open", "Save"}));
        EXPECT_EQ(defaultButton, "Save");
    }
}

// Every box is a standard dialog window over the owner it was given, so that
// a box over the browser control can be told from the application's own.
TEST(QtDialogs, BoxesAndInputDialogsAreStandardDialogsOverTheirOwner)
{
    QWidget owner;
    const struct {
        const char* name;
        std::function<void()> ask;
    } cases[] = {
        {"message box", [&] { Dialogs().MessageBox("text", "c", MB_OK, &owner); }},
        {"input",
            [&] {
                QString value;
                Dialogs().InputQuery("c", "p", value, &owner);
            }},
        {"log-in",
            [&] {
                TLogInOptions options;
                options.Owner = &owner;
                Dialogs().LogInDialog(options);
            }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString className;
        QWidget* parent = nullptr;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            className = WindowClassName(dialog);
            parent = dialog->parentWidget();
            QMetaObject::invokeMethod(dialog, "reject");
        });
        c.ask();
        EXPECT_EQ(className, WC_DIALOG);
        EXPECT_EQ(parent, &owner);
    }
}

TEST(QtDialogs, TheLogInDialogAsksForNameAndMaskedPasswordInOneBox)
{
    const struct {
        const char* name;
        bool confirmed;
        const char* userName;
        const char* password;
    } cases[] = {
        {"confirmed", true, "typed", "secret"},
        {"cancelled", false, "proposed", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool masked = false;
        bool nameShown = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            auto* userName = dialog->findChild<QLineEdit*>("userName");
            auto* password = dialog->findChild<QLineEdit*>("password");
            ASSERT_TRUE(userName && password);
            nameShown = userName->echoMode() == QLineEdit::Normal && userName->text() == "proposed";
            masked = password->echoMode() == QLineEdit::Password;
            userName->setText("typed");
            password->setText("secret");
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            buttons->button(c.confirmed ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
        TLogInOptions options;
        options.Caption = "Connect to site";
        options.UserName = "proposed";
        EXPECT_EQ(Dialogs().LogInDialog(options), c.confirmed);
        EXPECT_TRUE(nameShown);
        EXPECT_TRUE(masked);
        EXPECT_EQ(options.UserName, c.userName);
        EXPECT_EQ(options.Password, c.password);
    }
}

} // namespace
