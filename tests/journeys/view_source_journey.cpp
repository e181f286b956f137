// A user asks for a page's source from the page's context menu: a window
// titled with the page shows the source, and the main window goes on
// answering meanwhile.
#include "Journey.h"

#include <QPlainTextEdit>

namespace {

class ViewSource : public Journey {};

TEST_F(ViewSource, TheSourceOpensInAWindowTitledWithThePage)
{
    JourneyPages::Serve("/source.html",
        "<html><head><title>Source page</title></head><body>"
        "<p id='text'>what the page shows</p><!-- only the source shows this --></body></html>");
    OpenWindow();
    TypeAddress(JourneyPages::Url("/source.html"));
    Press(Qt::Key_Return);
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/source.html"), "Source page"));

    ClickInPage("text", Qt::RightButton);
    ChooseFromOpenMenu("View Source");
    QWidget* source = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (QWidget* other : OtherWindows())
            if (other->windowTitle().startsWith("Source of"))
                source = other;
        return source != nullptr;
    }));
    EXPECT_TRUE(source->windowTitle().contains(JourneyPages::Url("/source.html"))) << source->windowTitle().toStdString();
    auto* text = source->findChild<QPlainTextEdit*>();
    ASSERT_TRUE(text);
    EXPECT_TRUE(WaitFor([&] { return text->toPlainText().contains("only the source shows this"); }))
        << text->toPlainText().toStdString();
    EXPECT_TRUE(text->toPlainText().contains("<title>Source page</title>"));

    // The main window still takes the user's typing.
    TypeAddress(JourneyPages::Url("/after.html"));
    Press(Qt::Key_Return);
    EXPECT_TRUE(WaitForPage(JourneyPages::Url("/after.html"), "after"));
}

} // namespace
