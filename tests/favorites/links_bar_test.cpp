// The links bar and its stored links: names with "=" and "&", a fresh
// profile without the key, a read-only hive, the boxes each command shows,
// and the buttons it keeps.
#include "favorites/LinksBar.h"

#include "FakeWebBrowser.h"
#include "ScriptedDialogs.h"
#include "TempHome.h"
#include "browserhost/Sextant.h"
#include "platform/registry/Registry.h"

#include <QFile>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class LinksBarTest : public ::testing::Test {
protected:
    LinksBarTest()
    {
        browser = new TSextant(&form);
        control = factory.last();
        bar = new TLinksBar(&form);
        bar->WebBrowser = browser;
    }

    QStringList Captions() const
    {
        QStringList captions;
        for (const QToolButton* button : bar->Buttons())
            captions << button->text();
        return captions;
    }

    QStringList Opened() const
    {
        QStringList urls;
        for (const auto& call : control->callsOf("Navigate2"))
            urls.append(QString::fromStdU16String(call.args[0].toWideString()));
        return urls;
    }

    TempHome home;
    ScriptedDialogs dialogs;
    FakeWebBrowserFactory factory;
    QWidget form;
    TSextant* browser = nullptr;
    FakeWebBrowser* control = nullptr;
    TLinksBar* bar = nullptr;
};

TEST_F(LinksBarTest, AFreshProfileHasAnEmptyListAndNoBox)
{
    QStringList urls{"kept"};
    bar->GetLinkUrls(urls);
    QStringList lines{"kept"};
    bar->GetLinks(lines);
    EXPECT_EQ(urls, QStringList{"kept"});
    EXPECT_EQ(lines, QStringList{"kept"});
    EXPECT_TRUE(dialogs.Calls().empty()) << dialogs.Texts().join('|').toStdString();
    EXPECT_TRUE(bar->Buttons().isEmpty());
    bar->NavigateToLink("anything");
    EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(LinksBarTest, KeepsNamesAndAddressesAsPairsInTheOrderFirstWritten)
{
    bar->AddLink("Zeta", "http://zeta.test/");
    bar->AddLink(QString::fromUtf8("E=mc\u00b2"), "http://physics.test/?a=b");
    bar->AddLink("Q&A", "http://qa.test/");
    bar->AddLink("A very long page title", "http://long.test/");
    bar->AddLink("Zeta", "http://zeta2.test/"); // a new address keeps its place
    EXPECT_EQ(dialogs.Texts().first(), "The site : Zeta\n\r has been added to your links list.");

    std::vector<TLink> links;
    ASSERT_TRUE(TLinksBar::ReadLinks(links));
    ASSERT_EQ(links.size(), 4u);
    EXPECT_EQ(links[0].Address, "http://zeta2.test/");
    EXPECT_EQ(links[1].Name, QString::fromUtf8("E=mc\u00b2"));
    EXPECT_EQ(links[1].Address, "http://physics.test/?a=b");

    QStringList urls;
    bar->GetLinkUrls(urls);
    EXPECT_EQ(
        urls, QStringList({"http://zeta2.test/", "http://physics.test/?a=b", "http://qa.test/", "http://long.test/"}));
    QStringList lines;
    bar->GetLinks(lines);
    EXPECT_EQ(lines[1], QString::fromUtf8("E=mc\u00b2=http://physics.test/?a=b"));

    EXPECT_EQ(Captions(), QStringList({"Zeta", QString::fromUtf8("E=mc\u00b2"), "Q&&A", "A very long pag..."}));
    EXPECT_EQ(bar->Buttons()[1]->toolTip(), "http://physics.test/?a=b");

    bar->Buttons()[1]->click();
    bar->NavigateToLink(QString::fromUtf8("E=mc\u00b2"));
    EXPECT_EQ(Opened(), QStringList({"http://physics.test/?a=b", "http://physics.test/?a=b"}));
}

TEST_F(LinksBarTest, RemoveNavigateAndClearSayWhatHappened)
{
    bar->AddLink("One", "http://one.test/");
    bar->AddLink("Two", "http://two.test/");
    dialogs.Clear();

    bar->RemoveLink("Nothing");
    bar->NavigateToLink("Nothing");
    bar->RemoveLink("One");
    EXPECT_EQ(dialogs.Texts(),
        QStringList({"The site could not be found in the list.", "Your links list is empty.",
            "The site : One\n\rWas removed from your links list."}));
    EXPECT_EQ(Captions(), QStringList{"Two"});

    dialogs.Clear();
    dialogs.Cancel();
    bar->ClearLinks();
    EXPECT_EQ(Captions(), QStringList{"Two"}) << "cleared although the user cancelled";
    dialogs.Answer(mrNo); // anything but OK keeps the links
    bar->ClearLinks();
    EXPECT_EQ(Captions(), QStringList{"Two"});
    dialogs.Answer(mrOk);
    bar->ClearLinks();
    EXPECT_TRUE(bar->Buttons().isEmpty());
    dialogs.Answer(mrOk);
    bar->ClearLinks();
    EXPECT_EQ(dialogs.Texts().mid(2),
        QStringList({"You are about to delete all your links. Are you sure?",
            "The link list has been removed from the registry.",
            "You are about to delete all your links. Are you sure?", "The list could not be located."}));
}

TEST_F(LinksBarTest, AReadOnlyHiveRefusesWithTheErrorBoxes)
{
    bar->AddLink("One", "http://one.test/");
    QFile::setPermissions(HiveFilePath(HKEY_LOCAL_MACHINE), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    ASSERT_FALSE(HiveWritable(HKEY_LOCAL_MACHINE));
    dialogs.Clear();
    dialogs.Answer(mrOk);
    bar->AddLink("Two", "http://two.test/");
    bar->RemoveLink("One");
    bar->ClearLinks();
    EXPECT_EQ(dialogs.Texts(),
        QStringList({"Error while adding the site to the registry!", "Error while removing the site from the registry!",
            "You are about to delete all your links. Are you sure?",
            "Error while removing the list from the registry!"}));
    EXPECT_EQ(Captions(), QStringList{"One"});
}

TEST_F(LinksBarTest, ShownFollowsItsOddRuleAndTellsWhoFollowsIt)
{
    QList<bool> told;
    QObject::connect(bar, &TLinksBar::VisibilityFollowed, [&](bool visible) { told << visible; });
    bar->SetShown(false);
    EXPECT_TRUE(bar->isHidden());
    bar->SetShown(false); // the present value: made visible
    EXPECT_FALSE(bar->isHidden());
    bar->SetShown(true);
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(told, QList<bool>({false, true}));
}

} // namespace
