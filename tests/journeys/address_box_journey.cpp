// A user types addresses into the address box and goes there with Enter or
// GO, also while the completion list under the box is open.
#include "Journey.h"

#include "platform/shell/AutoComplete.h"

#include <QAbstractItemView>
#include <QDir>
#include <QLineEdit>
#include <QToolButton>

namespace {

class AddressBox : public Journey {
protected:
    QString port() const { return QString::number(JourneyPages::Port()); }

    // The completion list under the address box, as the user sees it.
    QAbstractItemView* completionList()
    {
        TAutoComplete* completion = TAutoComplete::Of(Window().IEAddress1->lineEdit());
        return completion ? completion->Popup() : nullptr;
    }
    bool completionListShown()
    {
        QAbstractItemView* list = completionList();
        return list && list->isVisible();
    }
};

TEST_F(AddressBox, EnterGoesToEachTypedAddress)
{
    OpenWindow();
    for (const char* page : {"one", "two", "one"}) {
        const std::string path = std::string("/") + page + ".html";
        TypeAddress("127.0.0.1:" + port() + QString::fromStdString(path));
        Press(Qt::Key_Return);
        EXPECT_TRUE(WaitForPage(JourneyPages::Url(path), page)) << page << ": " << AddressText().toStdString();
        EXPECT_EQ(ShownPageUrl(), JourneyPages::Url(path));
        EXPECT_EQ(PageText().trimmed(), QStringLiteral("page ") + page);
    }
}

TEST_F(AddressBox, WithTheCompletionListOpenEnterAndTheFirstClickOnGoNavigate)
{
    OpenWindow();
    // A visited address that the typed ones begin with, so that typing them
    // opens the completion list.
    const QString visited = JourneyPages::Url("/list.html?from=before");
    TypeAddress(visited);
    Press(Qt::Key_Return);
    ASSERT_TRUE(WaitForPage(visited, "list"));

    // Enter goes to what was typed, while the list offers the visited
    // address.
    for (const char* page : {"list.html", "list.html?from"}) {
        TypeAddress("127.0.0.1:" + port() + "/" + page);
        ASSERT_TRUE(WaitFor([&] { return completionListShown(); })) << page;
        Press(Qt::Key_Return);
        const QString expected = JourneyPages::Url(std::string("/") + page);
        EXPECT_TRUE(WaitForPage(expected, "list")) << page << ": " << AddressText().toStdString();
        EXPECT_EQ(ShownPageUrl(), expected);
        EXPECT_FALSE(completionListShown());
    }

    // The first click on GO, while the list is open, goes to the typed
    // address: the click that closes the list is not lost.
    for (const char* page : {"list.html?fr", "list.html?from=b"}) {
        TypeAddress("127.0.0.1:" + port() + "/" + page);
        ASSERT_TRUE(WaitFor([&] { return completionListShown(); })) << page;
        Click(Window().btnGo);
        const QString expected = JourneyPages::Url(std::string("/") + page);
        EXPECT_TRUE(WaitForPage(expected, "list")) << page << ": " << AddressText().toStdString();
        EXPECT_FALSE(completionListShown());
    }

    // A suggestion chosen with Down and Enter.
    TypeAddress("127.0.0.1:" + port() + "/list.html?from=");
    ASSERT_TRUE(WaitFor([&] { return completionListShown(); }));
    Press(Qt::Key_Down);
    const QString chosen = completionList()->currentIndex().data().toString();
    ASSERT_FALSE(chosen.isEmpty());
    Press(Qt::Key_Return);
    const QString expected = chosen.startsWith("http://") ? chosen : "http://" + chosen;
    EXPECT_TRUE(WaitForPage(expected, "list")) << chosen.toStdString() << ": " << AddressText().toStdString();
}

TEST_F(AddressBox, TypedAddressesAreOfferedAgainAfterARestart)
{
    OpenWindow();
    QStringList gone;
    for (const char* page : {"kept1", "kept2", "kept3"}) {
        const std::string path = std::string("/") + page + ".html";
        // GO keeps the address as typed, Enter as the page's address.
        TypeAddress(std::string(page) == "kept3" ? JourneyPages::Url(path)
                                                 : "127.0.0.1:" + port() + QString::fromStdString(path));
        if (std::string(page) == "kept3")
            Click(Window().btnGo);
        else
            Press(Qt::Key_Return);
        ASSERT_TRUE(WaitForPage(JourneyPages::Url(path), page)) << page;
        gone.prepend(JourneyPages::Url(path));
    }
    CloseWindow();

    OpenWindow();
    Click(Window().IEAddress1->lineEdit());
    Press(Qt::Key_Down, Qt::AltModifier);
    QAbstractItemView* list = Window().IEAddress1->view();
    ASSERT_TRUE(WaitFor([&] { return list->isVisible(); }));
    QStringList offered;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        offered << list->model()->index(row, 0).data().toString();
    Press(Qt::Key_Escape);
    EXPECT_EQ(offered.mid(0, 3), gone) << offered.join(", ").toStdString();
}

TEST_F(AddressBox, WordsThatAreNoAddressAreRefusedWithAMessage)
{
    OpenWindow();
    TypeAddress(JourneyPages::Url("/words.html"));
    Press(Qt::Key_Return);
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/words.html"), "words"));
    for (const bool byGo : {false, true}) {
        const SeenDialog told = AnswerDialog("OK", [&] {
            TypeAddress("hello world foo");
            if (byGo)
                Click(Window().btnGo);
            else
                Press(Qt::Key_Return);
        });
        ASSERT_TRUE(told.Shown) << byGo;
        EXPECT_TRUE(told.Text.contains("\"hello world foo\" is not an address")) << told.Text.toStdString();
        EXPECT_EQ(ShownPageUrl(), JourneyPages::Url("/words.html"));
    }
}

TEST_F(AddressBox, AnOutsideAddressTheUserRefusesLeavesTheBoxAndPanelsOnThePageShown)
{
    JourneyPages::Serve("/outward.html",
        "<html><head><title>Outward</title></head><body>"
        "<a id=out href='zarn-made-up:somewhere'>elsewhere</a></body></html>");
    OpenWindow();
    TypeAddress(JourneyPages::Url("/outward.html"));
    Press(Qt::Key_Return);
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/outward.html"), "Outward"));
    const QString zone = StatusText(1);
    ASSERT_FALSE(zone.isEmpty());

    const SeenDialog asked = AnswerDialog("No", [&] { ClickInPage("out"); });
    ASSERT_TRUE(asked.Shown);
    EXPECT_TRUE(asked.Text.contains("Open this address with the program for \"zarn-made-up\" addresses?"))
        << asked.Text.toStdString();
    ASSERT_TRUE(WaitUntilLoaded());
    EXPECT_EQ(AddressText(), JourneyPages::Url("/outward.html"));
    EXPECT_EQ(ShownPageUrl(), JourneyPages::Url("/outward.html"));
    EXPECT_EQ(StatusText(1), zone);
}

TEST_F(AddressBox, TheZoneFollowsFromAFolderToAPage)
{
    JourneyPages::Serve("/after.html", "<html><head><title>After</title></head><body>after</body></html>");
    OpenWindow();
    TypeAddress(QDir::currentPath());
    Press(Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return StatusText(1) == QStringLiteral("My Computer"); })) << StatusText(1).toStdString();
    TypeAddress(JourneyPages::Url("/after.html"));
    Press(Qt::Key_Return);
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/after.html"), "After"));
    EXPECT_TRUE(WaitFor([&] { return StatusText(1) == QStringLiteral("Local intranet"); }, 5000))
        << StatusText(1).toStdString();
}

} // namespace
