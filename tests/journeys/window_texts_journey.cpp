// What the window tells a user: the caption names the page and the program,
// the security panel's texts are whole and follow the page, a script error
// shows in the status bar, clearing the cache says what went, a favorite
// added from a link is named after the link, and Save As proposes the
// documents folder.
#include "Journey.h"

#include "platform/shell/SpecialFolders.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>

namespace {

class WindowTexts : public Journey {
protected:
    void go(const std::string& path, const QString& title)
    {
        TypeAddress(JourneyPages::Url(path));
        Press(Qt::Key_Return);
        ASSERT_TRUE(WaitForPage(JourneyPages::Url(path), title)) << AddressText().toStdString();
    }
    // Whether a label shows all of its text.
    static bool whole(const QLabel* label)
    {
        return label->isVisible() && label->width() >= label->fontMetrics().horizontalAdvance(label->text());
    }
};

TEST_F(WindowTexts, TheCaptionNamesThePageAndTheProgram)
{
    OpenWindow();
    go("/captioned.html", "captioned");
    EXPECT_EQ(Caption(), "captioned - Sextant Component Pack - Mega Demo");
}

TEST_F(WindowTexts, TheSecurityPanelShowsWholeTextsOfThePageOnScreen)
{
    for (const bool maximised : {false, true}) {
        OpenWindow();
        if (!maximised) {
            Window().showNormal();
            WaitFor([&] { return !Window().isMaximized(); });
        }
        go("/zone.html", "zone");
        QList<QLabel*> labels{Window().lblLevel, Window().lblZone};
        for (QLabel* panel : Window().statusBar()->findChildren<QLabel*>())
            if (panel->text() == StatusText(1))
                labels << panel;
        ASSERT_EQ(labels.size(), 3);
        for (QLabel* label : labels)
            EXPECT_TRUE(WaitFor([&] { return whole(label); }))
                << maximised << ": " << label->text().toStdString() << " in " << label->width();
        CloseWindow();
    }
}

TEST_F(WindowTexts, TheZoneFollowsAPageOpenedAfterAFolder)
{
    OpenWindow();
    go("/internet.html", "internet");
    const QString webZone = Window().lblZone->text();
    TypeAddress(QDir::currentPath());
    Press(Qt::Key_Return);
    ASSERT_TRUE(WaitForPage(QUrl::fromLocalFile(QDir::currentPath()).toString()));
    const QString folderZone = Window().lblZone->text();
    ASSERT_NE(folderZone, webZone);
    go("/internet.html?again", "internet");
    EXPECT_EQ(Window().lblZone->text(), webZone);
    EXPECT_EQ(StatusText(1), webZone);
}

TEST_F(WindowTexts, AScriptErrorShowsInTheStatusBar)
{
    JourneyPages::Serve("/broken.html",
        "<html><head><title>broken</title></head><body><p>broken</p>"
        "<script>setTimeout(() => notDefinedAnywhere(), 200);</script></body></html>");
    OpenWindow();
    go("/broken.html", "broken");
    EXPECT_TRUE(WaitFor([&] { return StatusText(0).contains("notDefinedAnywhere"); })) << StatusText(0).toStdString();
}

TEST_F(WindowTexts, ClearCacheSaysWhatWent)
{
    OpenWindow();
    const SeenDialog told = AnswerDialog("OK", [&] { ChooseMenu({"Tools", "Cache Tools", "Clear Cache"}); });
    ASSERT_TRUE(told.Shown);
    EXPECT_TRUE(told.Text.startsWith("The cache was cleared:")) << told.Text.toStdString();
}

TEST_F(WindowTexts, AFavoriteAddedFromALinkIsNamedAfterTheLink)
{
    JourneyPages::Serve("/linking.html",
        "<html><head><title>The linking page</title></head><body>"
        "<p><a id='link' href='/target.html'>Words of the link</a></p></body></html>");
    OpenWindow();
    go("/linking.html", "The linking page");
    const SeenDialog asked = AnswerDialog("Cancel", [&] {
        ClickInPage("link", Qt::RightButton);
        ChooseFromOpenMenu("Add to Favorites...");
    });
    ASSERT_TRUE(asked.Shown);
    EXPECT_TRUE(asked.Fields.contains("Words of the link.url")) << asked.Fields.join(", ").toStdString();
}

TEST_F(WindowTexts, SaveAsProposesTheDocumentsFolder)
{
    OpenWindow();
    const SeenDialog asked
        = AnswerDialog("Cancel", [&] { ChooseMenu({"Tools", "DoroRuveRU Demo", "File", "Save As.."}); });
    ASSERT_TRUE(asked.Shown);
    EXPECT_EQ(asked.Folder, QDir::currentPath() + "/Documents");
}

} // namespace
