// A user browses with Block Popups down: a window a page opens on its own is
// blocked and the status bar says so; a window the user asked for (a click on
// a link to a new window, a button that opens one at a size) opens.
#include "Journey.h"

#include <QAction>
#include <QToolBar>

#include <cstdlib>

namespace {

class Popups : public Journey {
protected:
    void SetUp() override
    {
        JourneyPages::Serve("/pushy.html",
            "<html><head><title>Pushy</title></head><body><p>pushy</p>"
            "<script>window.open('/unasked.html');</script></body></html>");
        JourneyPages::Serve("/asking.html",
            "<html><head><title>Asking</title></head><body>"
            "<p><a id=link href='/linked.html' target=_blank>in a new window</a></p>"
            "<p><button id=sized onclick=\"window.open('/sized.html', 'sized', 'width=420,height=300')\">"
            "open</button></p></body></html>");
        JourneyPages::Serve("/linked.html", "<html><head><title>Linked</title></head><body>linked</body></html>");
        JourneyPages::Serve("/sized.html", "<html><head><title>Sized</title></head><body>sized</body></html>");
    }

    // The newest window besides the main one whose caption holds title.
    QWidget* WindowShowing(const QString& title)
    {
        QWidget* found = nullptr;
        WaitFor([&] {
            for (QWidget* window : OtherWindows())
                if (window->windowTitle().contains(title))
                    found = window;
            return found != nullptr;
        });
        return found;
    }

    void go(const std::string& path, const QString& title)
    {
        TypeAddress(JourneyPages::Url(path));
        Press(Qt::Key_Return);
        ASSERT_TRUE(WaitForPage(JourneyPages::Url(path), title)) << AddressText().toStdString();
    }
};

TEST_F(Popups, AWindowThePageOpensOnItsOwnIsBlockedAndTheStatusBarSaysSo)
{
    OpenWindow();
    Click(Window().MainToolBar->widgetForAction(Window().tbBlock));
    ASSERT_TRUE(Window().tbBlock->isChecked());

    go("/pushy.html", "Pushy");
    EXPECT_TRUE(WaitFor([&] { return StatusText(0).contains("blocked"); })) << StatusText(0).toStdString();
    EXPECT_TRUE(StatusText(0).contains(JourneyPages::Url("/unasked.html"))) << StatusText(0).toStdString();
    EXPECT_EQ(JourneyPages::Requests("/unasked.html"), 0);
    EXPECT_TRUE(OtherWindows().isEmpty());
}

TEST_F(Popups, WindowsTheUserAsksForOpenAndTakeTheSizeThePageGives)
{
    OpenWindow();
    Click(Window().MainToolBar->widgetForAction(Window().tbBlock));
    ASSERT_TRUE(Window().tbBlock->isChecked());
    go("/asking.html", "Asking");

    ClickInPage("link");
    QWidget* linked = WindowShowing("Linked");
    ASSERT_TRUE(linked) << "a link to a new window opened none";
    linked->close();

    ClickInPage("sized");
    QWidget* sized = WindowShowing("Sized");
    ASSERT_TRUE(sized) << "a button's window.open opened nothing";
    // The page's inner size, within what the window's frame and bars take.
    EXPECT_TRUE(WaitFor([&] { return std::abs(sized->width() - 420) <= 40; }, 5000)) << sized->width();
    EXPECT_LE(std::abs(sized->height() - 300), 120) << sized->height();
}

} // namespace
