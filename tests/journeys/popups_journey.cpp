// A user browses with Block Popups down: windows a page opens on its own are
// blocked and the status bar says so; windows the user asks for (a link into
// a new window, a button that opens one) open, at the size the page asked.
#include "Journey.h"

#include <QAction>
#include <QToolBar>

namespace {

class Popups : public Journey {
protected:
    void SetUp() override
    {
        JourneyPages::Serve("/popups.html",
            "<html><head><title>Popups</title></head><body>"
            "<p><a id='link' href='/popped.html' target='_blank'>a new window</a></p>"
            "<p><button id='sized' onclick=\"window.open('/sized.html', 'sized', 'width=420,height=310')\">"
            "sized</button></p></body></html>");
        JourneyPages::Serve("/pushy.html",
            "<html><head><title>Pushy</title></head><body><p>pushy</p>"
            "<script>window.open('/unasked.html');</script></body></html>");
    }

    QWidget* waitForOtherWindow(const QString& title)
    {
        QWidget* found = nullptr;
        WaitFor([&] {
            for (QWidget* other : OtherWindows())
                if (other->windowTitle().contains(title))
                    found = other;
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

TEST_F(Popups, BlockPopupsBlocksOnlyWindowsTheUserDidNotAskFor)
{
    OpenWindow();
    Click(Window().MainToolBar->widgetForAction(Window().tbBlock));
    ASSERT_TRUE(Window().tbBlock->isChecked());

    go("/pushy.html", "Pushy");
    EXPECT_TRUE(WaitFor([&] { return StatusText(0).contains("blocked"); })) << StatusText(0).toStdString();
    EXPECT_TRUE(StatusText(0).contains(JourneyPages::Url("/unasked.html"))) << StatusText(0).toStdString();
    EXPECT_EQ(JourneyPages::Requests("/unasked.html"), 0);
    EXPECT_TRUE(OtherWindows().isEmpty());

    go("/popups.html", "Popups");
    ClickInPage("link");
    QWidget* popped = waitForOtherWindow("popped");
    ASSERT_TRUE(popped) << "the link's window did not open";
    popped->close();

    ClickInPage("sized");
    QWidget* sized = waitForOtherWindow("sized");
    ASSERT_TRUE(sized) << "the button's window did not open";
    EXPECT_TRUE(WaitFor([&] { return sized->size() == QSize(420, 310); }))
        << sized->width() << "x" << sized->height();
    sized->close();
}

} // namespace
