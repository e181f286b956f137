// A user browses with Block Popups down: a window a page opens on its own is
// blocked and the status bar says so.
#include "Journey.h"

#include <QAction>
#include <QToolBar>

namespace {

class Popups : public Journey {
protected:
    void SetUp() override
    {
        JourneyPages::Serve("/pushy.html",
            "<html><head><title>Pushy</title></head><body><p>pushy</p>"
            "<script>window.open('/unasked.html');</script></body></html>");
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

} // namespace
