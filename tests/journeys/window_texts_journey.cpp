// What the window tells a user: the page's title in the caption, the zone's
// name whole, a script error of the page in the status bar, and what Clear
// Cache removed.
#include "Journey.h"

#include <QLabel>

namespace {

class WindowTexts : public Journey {};

TEST_F(WindowTexts, TheCaptionPanelsScriptErrorsAndClearCacheSayWhatHappened)
{
    JourneyPages::Serve("/broken.html",
        "<html><head><title>Broken</title></head><body><p>text</p>"
        "<script>setTimeout(() => notAFunction(), 300);</script></body></html>");
    OpenWindow(JourneyPages::Url("/broken.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/broken.html"), "Broken"));

    EXPECT_EQ(Caption(), QStringLiteral("Broken - Sextant Component Pack - Mega Demo"));
    EXPECT_TRUE(WaitFor([&] { return StatusText(0).startsWith(QStringLiteral("Error on page: ")); }))
        << StatusText(0).toStdString();
    // The zone's name is shown whole; the level text takes what is left of
    // a narrow screen and may be cut there.
    const QLabel* zone = Window().lblZone;
    EXPECT_GE(zone->width(), zone->fontMetrics().horizontalAdvance(zone->text())) << zone->text().toStdString();

    const SeenDialog cleared = AnswerDialog("OK", [&] { ChooseMenu({"Tools", "Cache Tools", "Clear Cache"}); });
    ASSERT_TRUE(cleared.Shown);
    EXPECT_TRUE(cleared.Text.startsWith(QStringLiteral("The cache was cleared: "))) << cleared.Text.toStdString();
}

} // namespace
