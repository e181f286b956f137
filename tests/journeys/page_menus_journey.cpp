// The main menu's page commands as a user reaches them: the clipboard in a
// form and in the page's text, Find from the menu and with Ctrl+F, saving the
// page, printing, the text size from the menu and the keyboard, another
// character set for a page that names none, the site's cookies and the
// cached copy of the page on screen.
#include "Journey.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

namespace {

const std::string FormPage = "<html><head><title>Form</title></head><body>"
                             "<p id=text>Alpha beta gamma</p><input id=first><input id=second>"
                             "</body></html>";

class PageMenus : public Journey {
protected:
    QString Eval(const QString& script) { return RunInPage(script).toString(); }

    QString InnerWidth() { return Eval(QStringLiteral("String(window.innerWidth)")); }
};

TEST_F(PageMenus, ClipboardItemsWorkInFormFieldsAndInThePageText)
{
    JourneyPages::Serve("/form.html", FormPage);
    OpenWindow(JourneyPages::Url("/form.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/form.html"), "Form"));

    ClickInPage("first");
    Type("hello");
    ASSERT_TRUE(WaitFor([&] { return Eval("document.getElementById('first').value") == "hello"; }));
    ChooseMenu({"Edit", "Select All"});
    ChooseMenu({"Edit", "Copy to Clipboard"});
    EXPECT_TRUE(WaitFor([] { return QApplication::clipboard()->text() == "hello"; }))
        << QApplication::clipboard()->text().toStdString();

    ClickInPage("second");
    ChooseMenu({"Edit", "Paste from Clipboard"});
    EXPECT_TRUE(WaitFor([&] { return Eval("document.getElementById('second').value") == "hello"; }));

    ClickInPage("first");
    ChooseMenu({"Edit", "Select All"});
    ChooseMenu({"Edit", "Cut To Clipboard"});
    EXPECT_TRUE(WaitFor([&] { return Eval("document.getElementById('first').value").isEmpty(); }));

    ClickInPage("text");
    ChooseMenu({"Edit", "Select All"});
    ChooseMenu({"Edit", "Copy to Clipboard"});
    EXPECT_TRUE(WaitFor([] { return QApplication::clipboard()->text().contains("Alpha beta gamma"); }))
        << QApplication::clipboard()->text().toStdString();
}

TEST_F(PageMenus, ClipboardItemsWorkInTheAddressBoxWithTheMenuOpenedFromTheKeyboard)
{
    JourneyPages::Serve("/box.html", FormPage);
    OpenWindow(JourneyPages::Url("/box.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/box.html"), "Form"));
    QApplication::clipboard()->clear();

    TypeAddress(QStringLiteral("typed words"));
    ChooseMenu({"Edit", "Select All"});
    ChooseMenu({"Edit", "Copy to Clipboard"});
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("typed words"));
    ChooseMenu({"Edit", "Select All"});
    ChooseMenu({"Edit", "Cut To Clipboard"});
    EXPECT_EQ(AddressText(), QString());
    ChooseMenu({"Edit", "Paste from Clipboard"});
    EXPECT_EQ(AddressText(), QStringLiteral("typed words"));
}

TEST_F(PageMenus, FindOpensFromTheMenuAndWithCtrlFAndTakesTheTypedText)
{
    JourneyPages::Serve("/find.html", FormPage);
    OpenWindow(JourneyPages::Url("/find.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/find.html"), "Form"));

    const auto findBar = [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "zarnFindBar" && top->isVisible())
                return top;
        return static_cast<QWidget*>(nullptr);
    };
    ChooseMenu({"Edit", "Find Dialog"});
    ASSERT_TRUE(WaitFor([&] { return findBar() != nullptr; })) << "Edit > Find Dialog shows the find bar";
    Type("beta");
    Press(Qt::Key_Return);
    auto* count = findBar()->findChild<QWidget*>("findCount");
    EXPECT_TRUE(WaitFor([&] { return count->property("text").toString() == "1 of 1 matches"; }))
        << count->property("text").toString().toStdString();
    findBar()->close();
    ASSERT_TRUE(WaitFor([&] { return findBar() == nullptr; }));

    // The window manager gives the window back the keyboard when the bar closes.
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    ClickInPage("text");
    Press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return findBar() != nullptr; })) << "Ctrl+F shows the find bar";
}

TEST_F(PageMenus, SavePageAsAndSaveDialogWriteThePageWhereTheUserSaid)
{
    JourneyPages::Serve("/save.html", FormPage);
    OpenWindow(JourneyPages::Url("/save.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/save.html"), "Form"));

    const QString asFile = QDir::current().filePath("saved-as.html");
    ASSERT_TRUE(AnswerFileDialog(asFile, [&] { ChooseMenuByClick({"File", "Save page As..."}); }));
    EXPECT_TRUE(WaitFor([&] { return QFileInfo::exists(asFile); })) << asFile.toStdString();

    const QString dialogFile = QDir::current().filePath("save-dialog.html");
    ASSERT_TRUE(AnswerFileDialog(dialogFile, [&] { ChooseMenuByClick({"File", "Save Dialog"}); }));
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(dialogFile); })) << dialogFile.toStdString();
    QFile saved(dialogFile);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("Alpha beta gamma"));
}

TEST_F(PageMenus, PrintingItemsOpenTheirDialogs)
{
    JourneyPages::Serve("/print.html", FormPage);
    OpenWindow(JourneyPages::Url("/print.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/print.html"), "Form"));

    const SeenDialog print = AnswerDialog("Cancel", [&] { ChooseMenuByClick({"File", "Print..."}); });
    EXPECT_TRUE(print.Shown);
    EXPECT_EQ(print.Title, "Print");
    const SeenDialog setup = AnswerDialog("Cancel", [&] { ChooseMenuByClick({"File", "Page Setup"}); });
    EXPECT_TRUE(setup.Shown);
    EXPECT_EQ(setup.Title, "Page Setup");
}

TEST_F(PageMenus, TextSizeZoomsFromTheMenuAndWithCtrlPlusAndMinus)
{
    JourneyPages::Serve("/zoom.html", FormPage);
    OpenWindow(JourneyPages::Url("/zoom.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/zoom.html"), "Form"));
    const int medium = InnerWidth().toInt();
    ASSERT_GT(medium, 0);

    ChooseMenu({"View", "Text Size", "Largest"});
    EXPECT_TRUE(WaitFor([&] { return InnerWidth().toInt() < medium; })) << "the page is drawn larger";
    const int largest = InnerWidth().toInt();
    QStringList checked;
    for (const char* size : {"Largest", "Large", "Medium", "Small", "Smallest"})
        if (MenuAction({"View", "Text Size", size})->isChecked())
            checked << size;
    EXPECT_EQ(checked, QStringList{"Largest"});

    ClickInPage("text");
    Press(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor([&] { return InnerWidth().toInt() > largest; })) << "Ctrl+- makes it smaller";
    const int large = InnerWidth().toInt();
    Press(Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor([&] { return InnerWidth().toInt() < large; })) << "Ctrl++ makes it larger again";
}

TEST_F(PageMenus, AnotherEncodingShowsAPageThatNamesNone)
{
    JourneyPages::Serve(
        "/cafe.html", "<html><head><title>Cafe</title></head><body><p>caf\xc3\xa9</p></body></html>", "text/html");
    OpenWindow(JourneyPages::Url("/cafe.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/cafe.html"), "Cafe"));
    ASSERT_TRUE(WaitFor([&] { return PageText().contains(QString::fromUtf8("caf\xc3\x83\xc2\xa9")); }))
        << PageText().toStdString();

    ChooseMenu({"View", "Encoding", "Unicode (UTF-8)"});
    EXPECT_TRUE(WaitFor([&] { return PageText().trimmed() == QString::fromUtf8("caf\xc3\xa9"); }))
        << PageText().toStdString();
    EXPECT_TRUE(MenuAction({"View", "Encoding", "Unicode (UTF-8)"})->isChecked());
}

TEST_F(PageMenus, CookiesAndTheCachedCopyOfThePageShownAreTold)
{
    JourneyPages::Serve("/plain.html", "<html><head><title>Plain</title></head><body>no cookies</body></html>");
    JourneyPages::Serve("/cookie.html",
        "<html><head><title>Cookie</title>"
        "<script>document.cookie='flavour=oatmeal; path=/cookie.html'</script>"
        "</head><body>cookie kept</body></html>");
    OpenWindow(JourneyPages::Url("/plain.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/plain.html"), "Plain"));
    const SeenDialog none = AnswerDialog("OK", [&] {
        ChooseMenuByClick({"Tools", "Cookies", "Check the site for Cookies"});
    });
    EXPECT_EQ(none.Text, "No cookies were found.");

    const SeenDialog cached = AnswerDialog("OK", [&] {
        ChooseMenuByClick({"Tools", "Cache Tools", "Get Cached File Path"});
    });
    QFile copy(cached.Text);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << cached.Text.toStdString();
    EXPECT_TRUE(copy.readAll().contains("no cookies"));

    TypeAddress(JourneyPages::Url("/cookie.html"));
    Press(Qt::Key_Return);
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/cookie.html"), "Cookie"));
    const SeenDialog some = AnswerDialog("OK", [&] {
        ChooseMenuByClick({"Tools", "Cookies", "Check the site for Cookies"});
    });
    EXPECT_TRUE(some.Text.contains("flavour=oatmeal")) << some.Text.toStdString();
}

TEST_F(PageMenus, WorkingOfflineThePageSaysSoAndARefreshOnlineLoadsIt)
{
    JourneyPages::Serve("/online.html", "<html><head><title>Online</title></head><body>online words</body></html>");
    OpenWindow();
    ChooseMenu({"File", "Work Offline"});
    ASSERT_TRUE(MenuAction({"File", "Work Offline"})->isChecked());
    TypeAddress(JourneyPages::Url("/online.html"));
    Press(Qt::Key_Return);
    EXPECT_TRUE(WaitFor([&] { return PageText().contains("You are working offline"); })) << PageText().toStdString();
    EXPECT_TRUE(PageText().contains(JourneyPages::Url("/online.html")));
    EXPECT_TRUE(Caption().contains("You are working offline")) << Caption().toStdString();
    EXPECT_EQ(JourneyPages::Requests("/online.html"), 0);

    ChooseMenu({"File", "Work Offline"});
    ASSERT_FALSE(MenuAction({"File", "Work Offline"})->isChecked());
    Press(Qt::Key_F5);
    EXPECT_TRUE(WaitForPage(JourneyPages::Url("/online.html"), "Online"));
    EXPECT_TRUE(PageText().contains("online words"));
}

} // namespace
