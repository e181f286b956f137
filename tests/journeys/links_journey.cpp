// The links list and the links checker as a user meets them: adding the page
// on screen to the links list from the Tools menu, its button on the links
// bar, hiding and showing the bar from the View menu, the list in the
// editor, and checking the stored links in the Links Checker tab against a
// server that answers 200, 302, 404, 500, loops its redirects or refuses.
#include "FixtureServer.h"
#include "Journey.h"
#include "download/LinkCheck.h"
#include "favorites/LinksBar.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Application.h"

#include <QAction>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <thread>

namespace {

class Links : public Journey {
protected:
    // Chooses the menu item and answers the box it shows with OK.
    SeenDialog ChooseAndConfirm(const QStringList& path)
    {
        return AnswerDialog("OK", [&] { ChooseMenu(path); });
    }

    QString Cell(int row, int column) const
    {
        const QTableWidgetItem* item = Window().StringGrid1->item(row, column);
        return item ? item->text() : QString();
    }
};

TEST_F(Links, TheSiteOnScreenJoinsTheLinksBarAndItsButtonOpensIt)
{
    JourneyPages::Serve("/tagged.html", "<html><head><title>Q&amp;A = answers</title></head><body>qa</body></html>");
    OpenWindow(JourneyPages::Url("/tagged.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/tagged.html"), "Q&A"));

    const SeenDialog added = ChooseAndConfirm({"Tools", "Links List", "Add The Site To The List"});
    ASSERT_TRUE(added.Shown);
    EXPECT_TRUE(added.Text.contains("The site : Q&A = answers")) << added.Text.toStdString();
    TLinksBar* bar = Window().LinksBar1;
    ASSERT_EQ(bar->Buttons().size(), 1);
    QToolButton* button = bar->Buttons().constFirst();
    EXPECT_EQ(button->text(), "Q&&A = answers"); // shown as "Q&A = answers"
    EXPECT_EQ(button->toolTip(), JourneyPages::Url("/tagged.html"));

    TypeAddress(JourneyPages::Url("/other.html"));
    Press(Qt::Key_Return);
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/other.html"), "other"));
    Click(button);
    EXPECT_TRUE(WaitForPage(JourneyPages::Url("/tagged.html"), "Q&A"));

    QAction* viewHide = MenuAction({"View", "View/Hide the links bar"});
    ASSERT_TRUE(viewHide);
    EXPECT_TRUE(viewHide->isChecked());
    ChooseMenu({"View", "View/Hide the links bar"});
    EXPECT_TRUE(WaitFor([&] { return !bar->isVisible(); }));
    EXPECT_FALSE(viewHide->isChecked());
    ChooseMenu({"View", "View/Hide the links bar"});
    EXPECT_TRUE(WaitFor([&] { return bar->isVisible(); }));
    EXPECT_TRUE(viewHide->isChecked());

    ChooseMenu({"Tools", "Links List", "Show The List"});
    EXPECT_TRUE(WaitFor([&] { return Window().pctrlWB->currentWidget() == Window().tabEditor; }));

    // The next start reads the stored link into the checker's list.
    CloseWindow();
    OpenWindow(JourneyPages::Url("/other.html"));
    EXPECT_TRUE(Window().LinksList.contains(JourneyPages::Url("/tagged.html")));
}

TEST_F(Links, TheCheckerWritesEachAnswerInItsOwnRow)
{
    FixtureServer server;
    auto& routes = server.server();
    routes.Get("/ok", [](const httplib::Request&, httplib::Response& r) { r.set_content("fine", "text/html"); });
    routes.Get("/moved", [](const httplib::Request&, httplib::Response& r) { r.set_redirect("/ok", 302); });
    routes.Get("/gone", [](const httplib::Request&, httplib::Response& r) {
        r.status = 404;
        r.set_content("no", "text/html");
    });
    routes.Get("/broken", [](const httplib::Request&, httplib::Response& r) {
        r.status = 500;
        r.set_content("oops", "text/html");
    });
    routes.Get("/loop", [](const httplib::Request&, httplib::Response& r) { r.set_redirect("/loop", 302); });
    server.start();
    const QString base = QStringLiteral("127.0.0.1:%1").arg(server.port());

    // Stored without a scheme, as users type them: the component adds it.
    const QStringList stored{base + "/ok", "http://" + base + "/moved", "http://" + base + "/gone",
        "http://" + base + "/broken", "http://" + base + "/loop", "http://" + base + "/ok", "file:///dev/zero"};
    {
        TRegistry registry(HKEY_LOCAL_MACHINE);
        const QString key = "\\SOFTWARE\\" + ApplicationTitle() + "\\Links";
        registry.DeleteKey(key);
        ASSERT_TRUE(registry.OpenKey(key, true));
        for (int i = 0; i < stored.size(); ++i)
            registry.WriteString(QStringLiteral("link %1").arg(i + 1), stored[i]);
    }
    OpenWindow(JourneyPages::Url("/start.html"));

    ChooseMenu({"Tools", "IE Download", "Check the links"});
    ASSERT_TRUE(WaitFor([&] { return !Window().CheckingLinks(); }, 120000));
    EXPECT_EQ(Cell(0, 0), "Url"); // the headings stay
    EXPECT_EQ(Cell(0, 1), "Status");
    struct Row {
        QString status;
        QString result;
    };
    const Row expected[] = {
        {"Finished...", "OK"},
        {"Finished...", "OK"}, // the redirect is followed to its answer
        {QString::fromStdString(LinkStatusText(404)), QString::fromStdString(LinkResultText(404))},
        {QString::fromStdString(LinkStatusText(500)), QString::fromStdString(LinkResultText(500))},
        {"Error: ", ""},
        {"Finished...", "OK"}, // a duplicate fills its own row
        {"Not checked", "only http and https addresses are checked"},
    };
    for (int i = 0; i < int(std::size(expected)); ++i) {
        EXPECT_EQ(Cell(i + 1, 0), stored[i]);
        EXPECT_TRUE(Cell(i + 1, 1).startsWith(expected[i].status)) << i << ": " << Cell(i + 1, 1).toStdString();
        if (!expected[i].result.isEmpty()) {
            EXPECT_EQ(Cell(i + 1, 2), expected[i].result) << i;
        }
    }
    EXPECT_EQ(Window().Button1->text(), "Check Links");
}

TEST_F(Links, ClosingTheWindowMidCheckStopsTheCheckAndCloses)
{
    FixtureServer server;
    server.server().Get("/stall", [](const httplib::Request&, httplib::Response& r) {
        std::this_thread::sleep_for(std::chrono::seconds(8));
        r.set_content("late", "text/html");
    });
    server.start();
    {
        TRegistry registry(HKEY_LOCAL_MACHINE);
        const QString key = "\\SOFTWARE\\" + ApplicationTitle() + "\\Links";
        registry.DeleteKey(key);
        ASSERT_TRUE(registry.OpenKey(key, true));
        registry.WriteString("stall", QString::fromStdString(server.url("/stall")));
        registry.WriteString("again", QString::fromStdString(server.url("/stall")));
    }
    OpenWindow(JourneyPages::Url("/start.html"));
    QPointer<TfrmMain> window = &Window();
    bool sawStop = false;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (window && window->CheckingLinks()) {
            sawStop = window->Button1->text() == "Stop"
                && !MenuAction({"Tools", "IE Download", "Check the links"})->isEnabled();
            closer.stop();
            window->close(); // the window's close button
        }
    });
    closer.start();
    ChooseMenu({"Tools", "IE Download", "Check the links"});
    EXPECT_TRUE(sawStop) << "the check ran without a Stop button";
    EXPECT_TRUE(WaitFor([&] { return !window || !window->isVisible(); }, 8000)) << "the window stayed open";
    EXPECT_FALSE(Window().CheckingLinks());
}

} // namespace
