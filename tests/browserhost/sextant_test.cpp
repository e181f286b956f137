// TSextant's own logic against the scriptable control: navigation and its
// waits, event delivery by DISPID, the window procedure (keys, clicks, close
// query, visibility, moves), folder-view arrow keys, focus tracking and
// window re-creation.
#include "FakeWebBrowser.h"
#include "browserhost/Sextant.h"
#include "browserhost/SxtUnit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class SextantTest : public ::testing::Test {
protected:
    SextantTest()
    {
        form.resize(400, 300);
        sextant = new TSextant(&form);
        sextant->setGeometry(0, 0, 400, 300);
        control = factory.last();
    }

    void show()
    {
        form.show();
        QApplication::processEvents();
    }

    FakeWebBrowserFactory factory;
    QWidget form;
    TSextant* sextant = nullptr;
    FakeWebBrowser* control = nullptr;
};

TEST_F(SextantTest, GoSkipsEmptyAddressesAndPassesOthersUntrimmed)
{
    const struct {
        QString url;
        bool navigates;
    } cases[] = {
        {QString(), false},
        {QStringLiteral("   "), false},
        {QStringLiteral(" \t\r\n\x01 "), false},
        {QStringLiteral("  http://example.test/a  "), true},
    };
    for (const auto& c : cases) {
        control->calls.clear();
        EXPECT_TRUE(sextant->Go(c.url)) << c.url.toStdString();
        const auto navigations = control->callsOf("Navigate2");
        ASSERT_EQ(navigations.size(), c.navigates ? 1u : 0u) << c.url.toStdString();
        if (c.navigates) {
            EXPECT_EQ(navigations[0].args[0].toWideString(), c.url.toStdU16String());
            for (int i = 1; i < 5; ++i)
                EXPECT_EQ(navigations[0].args[i], Variant(0));
        }
    }
}

TEST_F(SextantTest, GoWithAFolderNavigatesToFileUrlOfThePathUnchanged)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/./");
    EXPECT_TRUE(sextant->Go(path, 1000));
    const auto navigations = control->callsOf("Navigate");
    ASSERT_EQ(navigations.size(), 1u);
    EXPECT_EQ(navigations[0].args[0].toWideString(), (QStringLiteral("file:///") + path).toStdU16String());
    EXPECT_TRUE(control->callsOf("Navigate2").empty());
}

TEST_F(SextantTest, GoWithTimeOutOnAPageThatNeverCompletesReturnsFalse)
{
    show();
    std::vector<unsigned> starts;
    sextant->OnBusyWait = [&](TSextant*, unsigned start, unsigned& timeOut, bool&) {
        starts.push_back(start);
        if (starts.size() == 1)
            timeOut = 120; // a handler may extend the time-out
    };
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(sextant->Go(QStringLiteral("http://never.test/"), 30));
    EXPECT_GE(clock.elapsed(), 120);
    ASSERT_GT(starts.size(), 2u);
    EXPECT_TRUE(std::all_of(starts.begin(), starts.end(), [&](unsigned s) { return s == starts.front(); }));
}

TEST_F(SextantTest, WaitEndsWithTrueWhenTheDocumentCompletes)
{
    show();
    control->onNavigate
        = [](FakeWebBrowser& c, const WideString& url) { QTimer::singleShot(20, [&c, url] { c.Complete(url); }); };
    int completes = 0;
    sextant->OnDocumentComplete = [&](TObject*, IDispatch*, OleVariant&) { ++completes; };
    EXPECT_TRUE(sextant->Go(QStringLiteral("http://done.test/"), 5000));
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(sextant->ReadyState(), READYSTATE_COMPLETE);
}

TEST_F(SextantTest, StopFromAHandlerEndsWaitWithFalseAndTheNextWaitStartsClean)
{
    show();
    sextant->OnProgressChange = [&](TObject*, int, int) { sextant->Stop(); };
    control->onNavigate = [](FakeWebBrowser& c, const WideString&) {
        QTimer::singleShot(10, [&c] {
            std::vector<Variant> args{Variant(10), Variant(100)};
            c.Fire(DISPID_PROGRESSCHANGE, args);
        });
    };
    sextant->Go(QStringLiteral("http://slow.test/"));
    EXPECT_FALSE(sextant->Wait());
    EXPECT_FALSE(sextant->StopRequested());
    EXPECT_EQ(control->callsOf("Stop").size(), 1u);

    control->readyState = READYSTATE_COMPLETE;
    EXPECT_TRUE(sextant->Wait());
}

TEST_F(SextantTest, WaitEndsOnCancelFromOnBusyWaitAndWaitWhileBusyFollowsBusy)
{
    show();
    control->readyState = READYSTATE_LOADING;
    int passes = 0;
    sextant->OnBusyWait = [&](TSextant*, unsigned, unsigned&, bool& cancel) { cancel = ++passes == 3; };
    EXPECT_FALSE(sextant->Wait());
    EXPECT_EQ(passes, 3);

    sextant->OnBusyWait = nullptr;
    control->busy = true;
    QTimer::singleShot(10, [&] { control->busy = false; });
    EXPECT_TRUE(sextant->WaitWhileBusy(5000));
}

TEST_F(SextantTest, WaitsWithoutAHandlerEndAtTheirTimeOut)
{
    // Nothing else happens meanwhile: only the wait's own wake-up ends it.
    show();
    control->readyState = READYSTATE_LOADING;
    control->busy = true;
    EXPECT_FALSE(sextant->Wait(30));
    EXPECT_FALSE(sextant->WaitWhileBusy(30));
}

TEST_F(SextantTest, WaitWithoutAWindowReturnsTrueAtOnce)
{
    control->readyState = READYSTATE_LOADING;
    bool called = false;
    sextant->OnBusyWait = [&](TSextant*, unsigned, unsigned&, bool&) { called = true; };
    EXPECT_TRUE(sextant->Wait(10000));
    EXPECT_FALSE(called);
}

TEST(SextantLifeTest, DestroyingTheComponentDuringWaitEndsTheLoop)
{
    FakeWebBrowserFactory factory;
    QWidget form;
    auto* sextant = new TSextant(&form);
    form.show();
    factory.last()->readyState = READYSTATE_LOADING;
    QPointer<TSextant> alive(sextant);
    QTimer::singleShot(20, [sextant] { delete sextant; });
    // Returns instead of waiting for a page that never completes; the loop
    // ends as on the destroying flag, which is not a failed wait.
    EXPECT_TRUE(sextant->Wait());
    EXPECT_TRUE(alive.isNull());
}

TEST_F(SextantTest, GoBackAndGoForwardSwallowErrorsThatTheWrapperRaises)
{
    EXPECT_NO_THROW(sextant->GoBack());
    EXPECT_NO_THROW(sextant->GoForward());
    EXPECT_THROW(static_cast<TSXT*>(sextant)->GoBack(), EOleException);
    EXPECT_EQ(control->callsOf("GoBack").size(), 2u);
}

TEST_F(SextantTest, AssignEmptyDocumentAndGetDocument)
{
    show();
    control->onNavigate
        = [](FakeWebBrowser& c, const WideString& url) { QTimer::singleShot(5, [&c, url] { c.Complete(url); }); };
    sextant->AssignEmptyDocument(true);
    ASSERT_EQ(control->callsOf("Navigate").size(), 1u);
    EXPECT_EQ(control->callsOf("Navigate")[0].args[0].toWideString(), u"about:blank");
    EXPECT_EQ(sextant->ReadyState(), READYSTATE_COMPLETE);

    EXPECT_EQ(sextant->GetDocument(), nullptr);
    struct Html : IHTMLDocument2 {
        WideString get_URL() const override { return u"about:blank"; }
        WideString get_title() const override { return {}; }
    } html;
    IDispatch notHtml;
    control->document = &notHtml;
    EXPECT_EQ(sextant->GetDocument(), nullptr);
    control->document = &html;
    EXPECT_EQ(sextant->GetDocument(), &html);
}

// Every DISPID of the table reaches the handler of its slot; the control's
// OnVisible (254) and OnFileDownload (270) slots are hidden by the host's own
// events and reach no handler a form can assign.
TEST_F(SextantTest, EventsReachTheHandlerOfTheirDispId)
{
    std::string raised;
    auto note = [&raised](const char* name) { return [&raised, name](auto&&...) { raised = name; }; };
    sextant->OnStatusTextChange = note("StatusTextChange");
    sextant->OnProgressChange = note("ProgressChange");
    sextant->OnCommandStateChange = note("CommandStateChange");
    sextant->OnDownloadBegin = note("DownloadBegin");
    sextant->OnDownloadComplete = note("DownloadComplete");
    sextant->OnTitleChange = note("TitleChange");
    sextant->OnPropertyChange = note("PropertyChange");
    sextant->OnBeforeNavigate2 = note("BeforeNavigate2");
    sextant->OnNewWindow2 = note("NewWindow2");
    sextant->OnNavigateComplete2 = note("NavigateComplete2");
    sextant->OnDocumentComplete = note("DocumentComplete");
    sextant->OnQuit = note("Quit");
    sextant->OnVisible = note("Visible");
    sextant->OnToolBar = note("ToolBar");
    sextant->OnMenuBar = note("MenuBar");
    sextant->OnStatusBar = note("StatusBar");
    sextant->OnFullScreen = note("FullScreen");
    sextant->OnTheaterMode = note("TheaterMode");
    sextant->OnAddressBar = note("AddressBar");
    sextant->OnWindowSetResizable = note("WindowSetResizable");
    sextant->OnWindowSetLeft = note("WindowSetLeft");
    sextant->OnWindowSetTop = note("WindowSetTop");
    sextant->OnWindowSetWidth = note("WindowSetWidth");
    sextant->OnWindowSetHeight = note("WindowSetHeight");
    sextant->OnWindowClosing = note("WindowClosing");
    sextant->OnClientToHostWindow = note("ClientToHostWindow");
    sextant->OnSetSecureLockIcon = note("SetSecureLockIcon");
    sextant->OnNavigateError = note("NavigateError");
    sextant->OnPrintTemplateInstantiation = note("PrintTemplateInstantiation");
    sextant->OnPrintTemplateTeardown = note("PrintTemplateTeardown");
    sextant->OnUpdatePageStatus = note("UpdatePageStatus");
    sextant->OnPrivacyImpactedStateChange = note("PrivacyImpactedStateChange");
    sextant->OnNewWindow3 = note("NewWindow3");

    const std::pair<DISPID, const char*> table[] = {
        {102, "StatusTextChange"},
        {108, "ProgressChange"},
        {105, "CommandStateChange"},
        {106, "DownloadBegin"},
        {104, "DownloadComplete"},
        {113, "TitleChange"},
        {112, "PropertyChange"},
        {250, "BeforeNavigate2"},
        {251, "NewWindow2"},
        {252, "NavigateComplete2"},
        {259, "DocumentComplete"},
        {253, "Quit"},
        {254, ""},
        {255, "ToolBar"},
        {256, "MenuBar"},
        {257, "StatusBar"},
        {258, "FullScreen"},
        {260, "TheaterMode"},
        {261, "AddressBar"},
        {262, "WindowSetResizable"},
        {264, "WindowSetLeft"},
        {265, "WindowSetTop"},
        {266, "WindowSetWidth"},
        {267, "WindowSetHeight"},
        {263, "WindowClosing"},
        {268, "ClientToHostWindow"},
        {269, "SetSecureLockIcon"},
        {270, ""},
        {271, "NavigateError"},
        {225, "PrintTemplateInstantiation"},
        {226, "PrintTemplateTeardown"},
        {227, "UpdatePageStatus"},
        {272, "PrivacyImpactedStateChange"},
        {273, "NewWindow3"},
        {999, ""},
    };
    for (const auto& [dispId, name] : table) {
        raised.clear();
        std::vector<Variant> args;
        EXPECT_EQ(control->Fire(dispId, args), S_OK);
        EXPECT_EQ(raised, name) << dispId;
    }
}

TEST_F(SextantTest, VarArgumentsGoBackToTheControl)
{
    sextant->OnBeforeNavigate2
        = [](TObject*, IDispatch*, OleVariant& url, OleVariant&, OleVariant&, OleVariant&, OleVariant&,
              WordBool& cancel) { cancel = url.toWideString() == u"http://no.test/"; };
    EXPECT_TRUE(control->FireBeforeNavigate(u"http://no.test/"));
    EXPECT_FALSE(control->FireBeforeNavigate(u"http://yes.test/"));

    IDispatch other;
    sextant->OnNewWindow2 = [&](TObject*, IDispatch*& ppDisp, WordBool& cancel) {
        ppDisp = &other;
        cancel = VARIANT_FALSE;
    };
    std::vector<Variant> newWindow{static_cast<IDispatch*>(nullptr), Variant::fromBool(true)};
    control->Fire(DISPID_NEWWINDOW2, newWindow);
    EXPECT_EQ(*newWindow[0].get<IDispatch*>(), &other);
    EXPECT_FALSE(newWindow[1].toBool());

    sextant->OnClientToHostWindow = [](TObject*, int& cx, int& cy) { cx += 10, cy += 20; };
    std::vector<Variant> size{Variant(100), Variant(200)};
    control->Fire(DISPID_CLIENTTOHOSTWINDOW, size);
    EXPECT_EQ(size[0], Variant(110));
    EXPECT_EQ(size[1], Variant(220));
}

TEST_F(SextantTest, NavigationCancelledInBeforeNavigateDoesNotStart)
{
    sextant->OnBeforeNavigate2 = [](TObject*, IDispatch*, OleVariant&, OleVariant&, OleVariant&, OleVariant&,
                                     OleVariant&, WordBool& cancel) { cancel = VARIANT_TRUE; };
    sextant->Go(QStringLiteral("http://blocked.test/"));
    EXPECT_FALSE(sextant->Busy());
    EXPECT_EQ(sextant->ReadyState(), READYSTATE_UNINITIALIZED);
}

TEST_F(SextantTest, KeyDownHandlerKeepsTheKeyFromThePageWhenItClearsKey)
{
    show();
    auto* page = qobject_cast<QLineEdit*>(control->pageWidget());
    std::vector<std::uint16_t> seen;
    TShiftState lastShift;
    sextant->OnKeyDown = [&](TObject*, std::uint16_t& key, std::uint16_t, TShiftState shift) {
        seen.push_back(key);
        lastShift = shift;
        if (key == 'B')
            key = 0;
    };
    int ups = 0;
    sextant->OnKeyUp = [&](TObject*, std::uint16_t&, std::uint16_t, TShiftState) { ++ups; };
    page->setFocus();
    QTest::keyClick(page, Qt::Key_A);
    QTest::keyClick(page, Qt::Key_A);
    QTest::keyClick(page, Qt::Key_B);
    QTest::keyClick(page, Qt::Key_C, Qt::ShiftModifier);
    EXPECT_EQ(page->text(), QStringLiteral("aac"));
    EXPECT_EQ(seen, (std::vector<std::uint16_t>{'A', 'A', 'B', VK_SHIFT, 'C'}));
    EXPECT_TRUE(lastShift & ssShift);
    EXPECT_EQ(ups, 5);
}

TEST_F(SextantTest, EnterReachesThePageAndOnMessageMayConsumeAKey)
{
    show();
    auto* page = qobject_cast<QLineEdit*>(control->pageWidget());
    int returns = 0;
    QObject::connect(page, &QLineEdit::returnPressed, [&] { ++returns; });
    sextant->OnMessage = [](TObject*, TMessage& msg, bool& handled) {
        if (msg.Msg == CN_KEYDOWN && msg.WParam == 'X')
            handled = true;
    };
    QTest::keyClick(page, Qt::Key_Return);
    QTest::keyClick(page, Qt::Key_X);
    QTest::keyClick(page, Qt::Key_Y);
    EXPECT_EQ(returns, 1);
    EXPECT_EQ(page->text(), QStringLiteral("y"));
    EXPECT_EQ(sextant->Perform(WM_GETDLGCODE), DLGC_WANTALLKEYS);
}

TEST_F(SextantTest, ClicksInsideTheControlRaiseOnClickInComponentCoordinates)
{
    show();
    std::vector<std::tuple<TMouseButton, int, int, bool>> clicks;
    sextant->OnClick = [&](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
        clicks.emplace_back(button, x, y, bool(shift & ssCtrl));
    };
    QWidget* page = control->pageWidget();
    const QPoint at = page->mapTo(sextant, QPoint(7, 9));
    QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(7, 9));
    QTest::mouseClick(page, Qt::RightButton, Qt::ControlModifier, QPoint(7, 9));
    QTest::mouseClick(page, Qt::MiddleButton, {}, QPoint(7, 9));
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0], std::make_tuple(mbLeft, at.x(), at.y(), false));
    EXPECT_EQ(clicks[1], std::make_tuple(mbRight, at.x(), at.y(), true));
}

TEST_F(SextantTest, CloseQueryCanRefuseTheClose)
{
    show();
    bool allow = false;
    sextant->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = allow; };
    EXPECT_FALSE(sextant->close());
    EXPECT_TRUE(sextant->isVisible());
    allow = true;
    EXPECT_TRUE(sextant->close());
}

TEST_F(SextantTest, VisibleFollowsTheWindowAndRaisesOnVisible)
{
    show();
    std::vector<WordBool> notes;
    sextant->OnVisible = [&](TObject*, WordBool visible) { notes.push_back(visible); };
    sextant->SetVisible(false);
    EXPECT_FALSE(sextant->Visible());
    EXPECT_TRUE(sextant->isHidden());
    sextant->show();
    EXPECT_TRUE(sextant->Visible());
    sextant->SetVisible(true); // unchanged: nothing happens
    EXPECT_EQ(notes, (std::vector<WordBool>{VARIANT_FALSE, VARIANT_TRUE}));
}

TEST_F(SextantTest, ScriptMovesReachOnMoveThroughWindowServicesOnly)
{
    show();
    EXPECT_EQ(sextant->moveTo(10, 20), E_NOTIMPL);

    std::vector<std::pair<int, int>> moves;
    sextant->OnMove = [&](TObject*, int x, int y) { moves.emplace_back(x, y); };
    EXPECT_EQ(sextant->moveTo(10, 20), S_OK);
    EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{10, 20}}));

    // Window-position messages are not tracked on this system.
    sextant->Perform(WM_SIZE);
    WINDOWPOS pos{30, 40, 50, 60, SWP_NOSIZE};
    sextant->Perform(WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    EXPECT_EQ(moves.size(), 1u);
    EXPECT_EQ(pos.flags, SWP_NOSIZE);

    QWidget top;
    auto* floating = new TSextant(&top);
    floating->FloatingHosting = true;
    top.show();
    EXPECT_EQ(floating->resizeTo(321, 234), S_OK);
    EXPECT_EQ(top.size(), QSize(321, 234));
}

TEST(SxtUnitTest, UnitEndUndoesWhatWasRecordedOnce)
{
    SxtUnitStart();
    int proxies = 0, sounds = 0;
    SxtUnit().ResetProxy = [&] { ++proxies; };
    SxtUnit().RestoreSounds = [&] { ++sounds; };
    SxtUnitEnd();
    SxtUnitEnd();
    EXPECT_EQ(proxies, 1);
    EXPECT_EQ(sounds, 1);
    SxtUnitStart();
}

class FolderViewTest : public SextantTest {
protected:
    FolderViewTest()
    {
        list = control->ShowFolderList(7); // 400 px wide, 80 px grid: rows of 4 and 3
        show();
        QApplication::processEvents();
    }
    int focused() const { return list->currentRow(); }
    std::vector<int> selected() const
    {
        std::vector<int> rows;
        for (const QModelIndex& index : list->selectionModel()->selectedIndexes())
            rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    QListWidget* list = nullptr;
};

TEST_F(FolderViewTest, ArrowKeysMoveTheSelectionByGeometry)
{
    ASSERT_EQ(sextant->FindChildWindow(QStringLiteral("SysListView32")), list);
    int perRow = 0;
    while (perRow < list->count()
        && list->visualItemRect(list->item(perRow)).top() == list->visualItemRect(list->item(0)).top())
        ++perRow;
    ASSERT_GE(perRow, 2);
    ASSERT_LT(perRow, 6);
    QTest::keyClick(list, Qt::Key_Right);
    EXPECT_EQ(focused(), 1);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(focused(), 1 + perRow);
    QTest::keyClick(list, Qt::Key_Left);
    EXPECT_EQ(focused(), perRow);
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(focused(), 0);
    EXPECT_EQ(selected(), std::vector<int>{0});
}

TEST_F(FolderViewTest, ShiftKeepsThePreviousItemSelectedAndTheEdgeSwallowsTheKey)
{
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(focused(), 1);
    EXPECT_EQ(selected(), (std::vector<int>{0, 1}));

    list->setCurrentRow(0);
    int keys = 0;
    sextant->OnKeyDown = [&](TObject*, std::uint16_t&, std::uint16_t, TShiftState) { ++keys; };
    QTest::keyClick(list, Qt::Key_Left);
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(focused(), 0);
    EXPECT_EQ(selected(), std::vector<int>{0});
    EXPECT_EQ(keys, 2); // handled keys still reach OnKeyDown
}

TEST_F(FolderViewTest, ViewCreatedHooksTheListAndItsFocusUIActivates)
{
    Variant out;
    sextant->Exec(&CGID_Explorer, SHDVID_VIEWCREATED, 0, Variant(), out);
    IDispatch document;
    control->document = &document;
    control->calls.clear();
    QWidget elsewhere(&form);
    elsewhere.setFocusPolicy(Qt::StrongFocus);
    elsewhere.show();
    elsewhere.setFocus();
    QApplication::processEvents();
    list->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(control->callsOf("DoVerb").size(), 1u);
    EXPECT_TRUE(sextant->Focused());

    // The focus fix's restore message activates the browser that has the focus.
    QCoreApplication::postEvent(sextant, new TMessageEvent({WM_RESTOREBROWSERFOCUS, 0, 0, 0}));
    QApplication::processEvents();
    EXPECT_EQ(control->callsOf("DoVerb").size(), 2u);

    control->document = nullptr; // without a document there is nothing to activate
    elsewhere.setFocus();
    list->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(control->callsOf("DoVerb").size(), 2u);
}

TEST_F(SextantTest, ReparentingKeepsTheControlWindow)
{
    show();
    QWidget* controlWindow = control->window();
    QWidget other;
    other.resize(250, 150);
    sextant->setParent(&other);
    sextant->resize(250, 150);
    other.show();
    QApplication::processEvents();
    EXPECT_EQ(control->window(), controlWindow);
    EXPECT_EQ(controlWindow->parentWidget(), sextant);
    EXPECT_EQ(sextant->ParkedWindow(), nullptr);
    EXPECT_EQ(controlWindow->geometry(), QRect(0, 0, 250, 150));
    sextant->setParent(&form);
}

} // namespace
