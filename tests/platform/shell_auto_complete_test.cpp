// Address completion on an edit field: what each source offers for a typed
// text, in which order, the first address written on with its added part
// selected, and the SHAutoComplete flags.
#include "platform/inet/UrlHistory.h"
#include "platform/shell/AutoComplete.h"

#include "TempHome.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

namespace {

class AutoCompletion : public ::testing::Test {
protected:
    void SetUp() override
    {
        history.AddVisit("http://www.example.com/often", "");
        history.AddVisit("http://www.example.com/often", "");
        history.AddVisit("http://example.com/once", "");
        QDir(home.path()).mkpath("docs/examples");
        QFile file(home.path("docs/example.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        completion = TAutoComplete::Attach(&edit);
        completion->SetHistory(&history);
        completion->SetTypedList([] { return QStringList{"http://example.com/typed", "http://else.test/"}; });
    }

    TempHome home;
    TUrlHistory history{home.path("history.sqlite")};
    QLineEdit edit;
    TAutoComplete* completion = nullptr;
};

TEST_F(AutoCompletion, SourcesOfferAddressesInOrderWithoutRepeats)
{
    const QString docs = home.path("docs/");
    const struct {
        DWORD sources;
        QString typed;
        QStringList offered;
    } cases[] = {
        {ACL_TYPED | ACL_HISTORY, "exa",
            {"http://example.com/typed", "http://www.example.com/often", "http://example.com/once"}},
        {ACL_HISTORY, "http://example.com/o", {"http://www.example.com/often", "http://example.com/once"}},
        {ACL_TYPED, "else", {"http://else.test/"}},
        {ACL_FILESYSTEM, docs + "ex", {docs + "example.txt", docs + "examples/"}},
        {ACL_FILESYSTEM, "file://" + docs + "examples", {"file://" + docs + "examples/"}},
        {ACL_FILESYSTEM, "exa", {}},
        {ACL_TYPED | ACL_HISTORY | ACL_FILESYSTEM, "   ", {}},
        {0, "exa", {}},
    };
    for (const auto& c : cases) {
        completion->SetSources(c.sources);
        EXPECT_EQ(completion->Suggestions(c.typed), c.offered) << c.typed.toStdString();
    }
}

TEST_F(AutoCompletion, TypingShowsTheListAndAppendsTheFirstAddress)
{
    completion->SetSources(ACL_TYPED | ACL_HISTORY);
    completion->SetOptions(ACO_AUTOSUGGEST | ACO_AUTOAPPEND);
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, "http://exa");
    EXPECT_EQ(edit.text(), "http://example.com/typed");
    EXPECT_EQ(edit.selectedText(), "mple.com/typed");
    EXPECT_TRUE(completion->Popup()->isVisible());

    QTest::keyClick(&edit, Qt::Key_Backspace); // removes the appended part only
    EXPECT_EQ(edit.text(), "http://exa");

    completion->SetOptions(ACO_NONE);
    EXPECT_FALSE(completion->Popup()->isVisible());
    QTest::keyClicks(&edit, "m");
    EXPECT_EQ(edit.text(), "http://exam");

    completion->SetOptions(ACO_AUTOAPPEND);
    edit.setText("http://el"); // set by the program; typing goes on from there
    QTest::keyClicks(&edit, "s");
    EXPECT_EQ(edit.text(), "http://else.test/");
}

TEST_F(AutoCompletion, ChoosingFromTheListFillsTheEditAndTellsTheOwner)
{
    completion->SetSources(ACL_TYPED);
    completion->SetOptions(ACO_AUTOSUGGEST);
    QStringList chosen;
    QObject::connect(completion, &TAutoComplete::Chosen, [&](const QString& address) { chosen << address; });
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, "else");
    ASSERT_TRUE(completion->Popup()->isVisible());
    QAbstractItemView* list = completion->Popup();
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(chosen, QStringList{"http://else.test/"});
    EXPECT_EQ(edit.text(), "http://else.test/");
}

TEST(SHAutoCompleteFlags, ChooseSourcesAndOptions)
{
    TempHome home;
    const struct {
        DWORD flags;
        DWORD sources;
        DWORD options;
    } cases[] = {
        {SHACF_DEFAULT, ACL_TYPED | ACL_HISTORY | ACL_FILESYSTEM, ACO_AUTOSUGGEST},
        {SHACF_URLHISTORY | SHACF_AUTOAPPEND_FORCE_ON, ACL_HISTORY, ACO_AUTOSUGGEST | ACO_AUTOAPPEND},
        {SHACF_URLALL | SHACF_AUTOSUGGEST_FORCE_OFF, ACL_TYPED | ACL_HISTORY, ACO_NONE},
        {SHACF_FILESYSTEM | SHACF_USETAB | SHACF_AUTOAPPEND_FORCE_OFF, ACL_FILESYSTEM, ACO_AUTOSUGGEST | ACO_USETAB},
    };
    QLineEdit edit;
    EXPECT_EQ(SHAutoComplete(nullptr, SHACF_DEFAULT), E_INVALIDARG);
    for (const auto& c : cases) {
        ASSERT_EQ(SHAutoComplete(&edit, c.flags), S_OK);
        TAutoComplete* completion = TAutoComplete::Of(&edit);
        ASSERT_TRUE(completion);
        EXPECT_EQ(completion->Sources(), c.sources) << std::hex << c.flags;
        EXPECT_EQ(completion->Options(), c.options) << std::hex << c.flags;
    }
}

} // namespace
