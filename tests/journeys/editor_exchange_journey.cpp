// A user loads the code of the page on screen into the editor, changes it and
// previews the result in the browser, all from the editor menu; the unsaved
// text is asked about before the next load replaces it.
#include "Journey.h"

#include "editor/DodiViveDE.h"

namespace {

const std::string CodePage = "<html><head><title>Code Page</title></head>\n"
                             "<body>\n<p id=code>served</p>\n</body></html>\n";

class EditorExchange : public Journey {
protected:
    void ChooseEditorTool(const QString& caption)
    {
        ChooseMenu({QStringLiteral("Tools"), QStringLiteral("DoroRuveRU Demo"), QStringLiteral("Tools"), caption});
    }
    TDodiViveDE& Editor() const { return *Window().DodiViveDE1; }
};

TEST_F(EditorExchange, LoadThePageCodeChangeItAndPreviewIt)
{
    JourneyPages::Serve("/code.html", CodePage);
    OpenWindow(JourneyPages::Url("/code.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/code.html"), "Code Page"));

    ChooseEditorTool(QStringLiteral("Load HTML Code From Browser (Stream)"));
    ASSERT_TRUE(WaitFor([&] { return Editor().isVisible(); }));
    EXPECT_TRUE(Editor().DocumentText().contains(QStringLiteral("<p id=\"code\">served</p>")))
        << Editor().DocumentText().toStdString();
    EXPECT_EQ(Editor().FileName(), QStringLiteral("Code Page"));

    Click(Editor().viewport());
    Press(Qt::Key_A, Qt::ControlModifier);
    Type(QStringLiteral("<html><head><title>Mine</title></head><body><p>typed here</p></body></html>"));
    ChooseEditorTool(QStringLiteral("Preview Code In The Browser (Stream)"));
    EXPECT_TRUE(WaitFor([&] { return PageText().contains(QStringLiteral("typed here")); })) << PageText().toStdString();
    EXPECT_EQ(ShownPageUrl(), QStringLiteral("about:blank"));
    EXPECT_TRUE(PageWidget()->isVisible()) << "the preview is on screen";

    // The typed text is unsaved: the next load asks first, and Cancel keeps it.
    const SeenDialog asked = AnswerDialog(
        QStringLiteral("Cancel"), [&] { ChooseEditorTool(QStringLiteral("Load HTML Code From Browser (Stream)")); });
    EXPECT_TRUE(asked.Shown);
    EXPECT_TRUE(asked.Text.contains(QStringLiteral("Save changes to Code Page?"))) << asked.Text.toStdString();
    EXPECT_TRUE(Editor().DocumentText().contains(QStringLiteral("typed here")));
}

} // namespace
