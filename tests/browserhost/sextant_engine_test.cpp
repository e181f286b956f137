// TSextant on the real Qt WebEngine control, offscreen, against pages of a
// loopback server: event order of a navigation, time-outs, Stop from a
// handler, cancelled navigations, folder views, history and the home page.
#include "EngineTest.h"
#include "FixtureServer.h"
#include "KeyPressRecorder.h"
#include "ScriptedDialogs.h"
#include "browserhost/Sextant.h"
#include "platform/registry/Registry.h"
#include "platform/webcontrol/WindowClass.h"
#include "platform/webengine/QtWebBrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <thread>

namespace {

const char* const PageHtml = "<html><head><title>Fixture</title></head>"
                             "<body><p>page</p><iframe src=\"/frame\"></iframe></body></html>";

class SextantEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new FixtureServer;
        auto& s = server->server();
        s.Get("/page", [](const httplib::Request&, httplib::Response& res) { res.set_content(PageHtml, "text/html"); });
        s.Get("/frame", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body>frame</body></html>", "text/html");
        });
        s.Get("/second", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><head><title>Second</title></head><body>2</body></html>", "text/html");
        });
        s.Get("/form", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body><input autofocus></body></html>", "text/html");
        });
        s.Get("/file.bin", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Content-Disposition", "attachment; filename=\"file.bin\"");
            res.set_content(std::string(1024, 'x'), "application/octet-stream");
        });
        s.Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(
                "<html><head><title>" + req.body + " " + req.get_header_value("X-Zarn") + "</title></head></html>",
                "text/html");
        });
        s.Get("/counted", [](const httplib::Request&, httplib::Response& res) {
            ++counted;
            res.set_content("<html><body>counted</body></html>", "text/html");
        });
        // Sends the start of a page and then nothing until the test ends.
        s.Get("/never", [](const httplib::Request&, httplib::Response& res) {
            const int test = testNumber;
            res.set_chunked_content_provider("text/html", [test](size_t offset, httplib::DataSink& sink) {
                if (offset == 0) {
                    const std::string head = "<html><head><title>Never</title></head><body>";
                    sink.write(head.data(), head.size());
                }
                for (int i = 0; i < 20 && test == testNumber; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                if (test != testNumber) {
                    sink.done();
                    return true;
                }
                return sink.is_writable();
            });
        });
        server->start();
        form = new QWidget;
        form->resize(640, 480);
        sextant = new TSextant(form);
        sextant->setGeometry(0, 0, 640, 480);
        form->show();
    }

    static void TearDownTestSuite()
    {
        ++testNumber;
        delete form;
        delete server;
    }

    void SetUp() override { ClearHandlers(); }

    void TearDown() override
    {
        ++testNumber;
        sextant->Stop();
        ClearHandlers();
    }

    static void ClearHandlers()
    {
        sextant->OnBeforeNavigate2 = nullptr;
        sextant->OnProgressChange = nullptr;
        sextant->OnDownloadBegin = nullptr;
        sextant->OnDownloadComplete = nullptr;
        sextant->OnNavigateComplete2 = nullptr;
        sextant->OnDocumentComplete = nullptr;
        sextant->OnTitleChange = nullptr;
        sextant->OnCommandStateChange = nullptr;
        sextant->OnStatusTextChange = nullptr;
    }

    static QString url(const char* path) { return QString::fromStdString(server->url(path)); }
    static QWebEnginePage* page() { return dynamic_cast<QtWebBrowser*>(sextant->DefaultInterface())->page(); }

    // Records the events of a navigation by name.
    static void record(std::vector<std::string>& log, TSextant* browser = sextant)
    {
        IDispatch* self = browser->Application();
        browser->OnBeforeNavigate2
            = [&log, self](TObject*, IDispatch* disp, OleVariant&, OleVariant&, OleVariant&, OleVariant&, OleVariant&,
                  WordBool&) { log.push_back(disp == self ? "BeforeNavigate2" : "BeforeNavigate2(frame)"); };
        browser->OnDownloadBegin = [&log](TObject*) { log.push_back("DownloadBegin"); };
        browser->OnProgressChange = [&log](TObject*, int, int) { log.push_back("ProgressChange"); };
        browser->OnStatusTextChange = [&log](TObject*, const WideString&) { log.push_back("StatusTextChange"); };
        browser->OnTitleChange = [&log](TObject*, const WideString&) { log.push_back("TitleChange"); };
        browser->OnCommandStateChange = [&log](TObject*, int, WordBool) { log.push_back("CommandStateChange"); };
        browser->OnNavigateComplete2
            = [&log](TObject*, IDispatch*, OleVariant&) { log.push_back("NavigateComplete2"); };
        browser->OnDocumentComplete = [&log, self](TObject*, IDispatch* disp, OleVariant&) {
            log.push_back(disp == self ? "DocumentComplete" : "DocumentComplete(frame)");
        };
        browser->OnDownloadComplete = [&log](TObject*) { log.push_back("DownloadComplete"); };
    }

    static inline FixtureServer* server = nullptr;
    static inline QWidget* form = nullptr;
    static inline TSextant* sextant = nullptr;
    // Pages that never complete end when the test that asked for them ends.
    static inline std::atomic<int> testNumber{0};
    static inline std::atomic<int> counted{0};
};

std::ptrdiff_t positionOf(const std::vector<std::string>& log, const std::string& name)
{
    const auto found = std::find(log.begin(), log.end(), name);
    return found == log.end() ? -1 : found - log.begin();
}

std::ptrdiff_t lastPositionOf(const std::vector<std::string>& log, const std::string& name)
{
    const auto found = std::find(log.rbegin(), log.rend(), name);
    return found == log.rend() ? -1 : log.rend() - found - 1;
}

TEST_F(SextantEngineTest, NavigationRaisesItsEventsInOrder)
{
    std::vector<std::string> log;
    record(log);
    ASSERT_TRUE(sextant->Go(url("/page"), 20000));
    // Late frame or title events would arrive before the answer of a script
    // run after the navigation.
    ASSERT_TRUE(RunScript(page(), QStringLiteral("1")).isValid());

    const std::vector<std::string> order = {"BeforeNavigate2", "DownloadBegin", "ProgressChange", "StatusTextChange",
        "NavigateComplete2", "DocumentComplete", "DownloadComplete"};
    std::ptrdiff_t previous = -1;
    for (const std::string& name : order) {
        const auto at = positionOf(log, name);
        EXPECT_GT(at, previous) << name;
        previous = at;
    }
    EXPECT_EQ(log.front(), "BeforeNavigate2");
    EXPECT_LT(lastPositionOf(log, "CommandStateChange"), positionOf(log, "NavigateComplete2"));
    EXPECT_LT(positionOf(log, "TitleChange"), positionOf(log, "NavigateComplete2"));
    EXPECT_GE(positionOf(log, "BeforeNavigate2(frame)"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "DocumentComplete"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "DocumentComplete(frame)"), 1);
    EXPECT_GT(positionOf(log, "DocumentComplete(frame)"), positionOf(log, "NavigateComplete2"));
    EXPECT_LT(positionOf(log, "DocumentComplete(frame)"), positionOf(log, "DocumentComplete"));

    EXPECT_EQ(QString::fromStdU16String(sextant->LocationURL()), url("/page"));
    EXPECT_EQ(sextant->LocationName(), u"Fixture");
    EXPECT_FALSE(sextant->Busy());
    EXPECT_EQ(sextant->ReadyState(), READYSTATE_COMPLETE);
    ASSERT_NE(sextant->GetDocument(), nullptr);
    EXPECT_EQ(sextant->GetDocument()->get_title(), u"Fixture");
}

TEST_F(SextantEngineTest, GoWithTimeOutOnAPageThatNeverCompletesReturnsFalse)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(sextant->Go(url("/never?timeout"), 1500));
    EXPECT_GE(clock.elapsed(), 1500);
    EXPECT_TRUE(sextant->Busy());
}

TEST_F(SextantEngineTest, StopFromAHandlerEndsWaitWithFalse)
{
    sextant->OnDownloadBegin = [](TObject*) { sextant->Stop(); };
    sextant->Go(url("/never?stop"));
    EXPECT_FALSE(sextant->Wait(20000));
    EXPECT_FALSE(sextant->StopRequested());
    EXPECT_FALSE(sextant->Busy());
}

TEST_F(SextantEngineTest, CancelInBeforeNavigateStopsTheNavigation)
{
    ASSERT_TRUE(sextant->Go(url("/second"), 20000));
    int completes = 0;
    int cancelled = 0;
    sextant->OnBeforeNavigate2 = [&](TObject*, IDispatch*, OleVariant& target, OleVariant&, OleVariant&, OleVariant&,
                                     OleVariant&, WordBool& cancel) {
        cancel = toWordBool(QString::fromStdU16String(target.toWideString()).endsWith(u"/counted"));
        cancelled += cancel ? 1 : 0;
    };
    sextant->OnNavigateComplete2 = [&](TObject*, IDispatch*, OleVariant&) { ++completes; };
    counted = 0;
    sextant->Go(url("/counted"));
    // The same from the page itself, through the engine's navigation request.
    page()->runJavaScript(QStringLiteral("location.href = '/counted';"));
    // Both are refused before the engine asks the server.
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancelled == 2; }, 20000));
    EXPECT_EQ(counted, 0);
    EXPECT_EQ(completes, 0);
    EXPECT_EQ(QString::fromStdU16String(sextant->LocationURL()), url("/second"));
    EXPECT_TRUE(sextant->Wait(5000));
}

TEST_F(SextantEngineTest, AFolderPathShowsTheFolderView)
{
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("a.txt"))).open(QIODevice::WriteOnly);
    QFile(dir.filePath(QStringLiteral("b.html"))).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    QString navigated;
    sextant->OnBeforeNavigate2
        = [&](TObject*, IDispatch*, OleVariant& target, OleVariant&, OleVariant&, OleVariant&, OleVariant&, WordBool&) {
              navigated = QString::fromStdU16String(target.toWideString());
          };
    int completes = 0;
    sextant->OnDocumentComplete = [&](TObject*, IDispatch*, OleVariant&) { ++completes; };

    EXPECT_TRUE(sextant->Go(dir.path(), 10000)); // a folder is not waited for
    EXPECT_TRUE(sextant->Wait(10000));
    EXPECT_EQ(QUrl(navigated), QUrl(QStringLiteral("file:///") + dir.path()));
    EXPECT_EQ(completes, 1);
    auto* list = qobject_cast<QListWidget*>(sextant->FindChildWindow(QStringLiteral("SysListView32")));
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("sub"));
    EXPECT_EQ(QString::fromStdU16String(sextant->LocationURL()), QUrl::fromLocalFile(dir.path()).toString());
    EXPECT_EQ(sextant->GetDocument(), nullptr); // a folder is not an HTML document

    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Right);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_FALSE(list->item(0)->isSelected());
    EXPECT_TRUE(list->item(1)->isSelected());

    // Opening a sub-folder item navigates into it.
    Q_EMIT list->itemActivated(list->item(0));
    EXPECT_TRUE(sextant->Wait(10000));
    EXPECT_EQ(QString::fromStdU16String(sextant->LocationURL()),
        QUrl::fromLocalFile(dir.filePath(QStringLiteral("sub"))).toString());
    EXPECT_EQ(list->count(), 0);

    // Back to pages: the web view returns in front.
    ASSERT_TRUE(sextant->Go(url("/second"), 20000));
    EXPECT_EQ(sextant->FindChildWindow(QStringLiteral("SysListView32")), nullptr);
    EXPECT_NE(sextant->GetDocument(), nullptr);

    // Going back from a folder view shows the page it stood in front of.
    EXPECT_TRUE(sextant->Go(dir.path()));
    EXPECT_TRUE(sextant->Wait(10000));
    sextant->GoBack();
    EXPECT_TRUE(sextant->Wait(10000));
    EXPECT_EQ(sextant->FindChildWindow(QStringLiteral("SysListView32")), nullptr);
    EXPECT_EQ(QString::fromStdU16String(sextant->LocationURL()), url("/second"));
}

TEST_F(SextantEngineTest, BackAndForwardMoveThroughPagesAndFolderViewsInOrder)
{
    QTemporaryDir dir;
    for (const char* folder : {"A", "B"}) {
        ASSERT_TRUE(QDir(dir.path()).mkdir(QString::fromLatin1(folder)));
        QFile(dir.filePath(QStringLiteral("%1/in-%1.txt").arg(QLatin1String(folder)))).open(QIODevice::WriteOnly);
    }
    QWidget otherForm;
    auto* browser = new TSextant(&otherForm);
    otherForm.show();
    ASSERT_TRUE(browser->Go(url("/page"), 20000));
    for (const char* folder : {"A", "B"}) {
        browser->Go(dir.filePath(QString::fromLatin1(folder)));
        ASSERT_TRUE(browser->Wait(20000));
    }
    ASSERT_TRUE(browser->Go(url("/second"), 20000));

    std::vector<std::string> log;
    record(log, browser);
    QStringList announced;
    browser->OnBeforeNavigate2 = [&](TObject*, IDispatch* disp, OleVariant& target, OleVariant&, OleVariant&,
                                     OleVariant&, OleVariant&, WordBool&) {
        if (disp == browser->Application()) {
            log.push_back("BeforeNavigate2");
            announced.append(QString::fromStdU16String(target.toWideString()));
        }
    };
    std::map<int, WordBool> enabled;
    browser->OnCommandStateChange = [&](TObject*, int command, WordBool enable) { enabled[command] = enable; };

    enum class Move { Back, Forward };
    struct Step {
        Move move;
        QString location;
        QString title;
        QString folderItem; // the one item of the folder view; empty for a page
        bool canGoBack;
        bool canGoForward;
    };
    const QString folderA = QUrl::fromLocalFile(dir.filePath(QStringLiteral("A"))).toString();
    const QString folderB = QUrl::fromLocalFile(dir.filePath(QStringLiteral("B"))).toString();
    const Step steps[] = {
        {Move::Back, folderB, QStringLiteral("B"), QStringLiteral("in-B.txt"), true, true},
        {Move::Back, folderA, QStringLiteral("A"), QStringLiteral("in-A.txt"), true, true},
        {Move::Back, url("/page"), QStringLiteral("Fixture"), QString(), false, true},
        {Move::Forward, folderA, QStringLiteral("A"), QStringLiteral("in-A.txt"), true, true},
        {Move::Forward, folderB, QStringLiteral("B"), QStringLiteral("in-B.txt"), true, true},
        {Move::Forward, url("/second"), QStringLiteral("Second"), QString(), true, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.location.toStdString());
        log.clear();
        announced.clear();
        enabled.clear();
        if (step.move == Move::Back)
            browser->GoBack();
        else
            browser->GoForward();
        ASSERT_TRUE(browser->Wait(20000));

        EXPECT_EQ(QString::fromStdU16String(browser->LocationURL()).toStdString(), step.location.toStdString());
        EXPECT_EQ(browser->LocationName(), step.title.toStdU16String());
        ASSERT_EQ(announced.size(), 1);
        EXPECT_EQ(QUrl(announced[0]).adjusted(QUrl::StripTrailingSlash), QUrl(step.location));
        EXPECT_EQ(enabled[CSC_NAVIGATEBACK], toWordBool(step.canGoBack));
        EXPECT_EQ(enabled[CSC_NAVIGATEFORWARD], toWordBool(step.canGoForward));
        EXPECT_EQ(log.front(), "BeforeNavigate2");
        EXPECT_EQ(std::count(log.begin(), log.end(), "NavigateComplete2"), 1);
        EXPECT_EQ(std::count(log.begin(), log.end(), "DocumentComplete"), 1);
        EXPECT_LT(positionOf(log, "NavigateComplete2"), positionOf(log, "DocumentComplete"));
        EXPECT_LT(positionOf(log, "DocumentComplete"), positionOf(log, "DownloadComplete"));

        auto* list = qobject_cast<QListWidget*>(browser->FindChildWindow(QStringLiteral("SysListView32")));
        if (step.folderItem.isEmpty()) {
            EXPECT_EQ(list, nullptr);
            EXPECT_NE(browser->GetDocument(), nullptr);
        } else {
            ASSERT_NE(list, nullptr);
            EXPECT_TRUE(list->isVisible());
            ASSERT_EQ(list->count(), 1);
            EXPECT_EQ(list->item(0)->text().toStdString(), step.folderItem.toStdString());
            EXPECT_EQ(browser->GetDocument(), nullptr);
        }
    }

    // A move the host cancels leaves the page shown, complete.
    browser->OnBeforeNavigate2 = [](TObject*, IDispatch*, OleVariant&, OleVariant&, OleVariant&, OleVariant&,
                                     OleVariant&, WordBool& cancel) { cancel = VARIANT_TRUE; };
    browser->GoBack();
    EXPECT_TRUE(browser->Wait(20000));
    EXPECT_EQ(QString::fromStdU16String(browser->LocationURL()).toStdString(), url("/second").toStdString());
    EXPECT_EQ(browser->FindChildWindow(QStringLiteral("SysListView32")), nullptr);
}

TEST_F(SextantEngineTest, GoBackWithoutHistoryDoesNothingAndHistoryIsFollowed)
{
    QWidget otherForm;
    auto* fresh = new TSextant(&otherForm);
    otherForm.show();
    int navigations = 0;
    fresh->OnBeforeNavigate2 = [&](TObject*, IDispatch*, OleVariant&, OleVariant&, OleVariant&, OleVariant&,
                                   OleVariant&, WordBool&) { ++navigations; };
    EXPECT_NO_THROW(fresh->GoBack());
    EXPECT_NO_THROW(fresh->GoForward());
    EXPECT_FALSE(fresh->Busy());
    EXPECT_EQ(navigations, 0);

    ASSERT_TRUE(fresh->Go(url("/page"), 20000));
    ASSERT_TRUE(fresh->Go(url("/second"), 20000));
    fresh->GoBack();
    EXPECT_TRUE(fresh->Wait(20000));
    EXPECT_EQ(QString::fromStdU16String(fresh->LocationURL()), url("/page"));
    fresh->GoForward();
    EXPECT_TRUE(fresh->Wait(20000));
    EXPECT_EQ(QString::fromStdU16String(fresh->LocationURL()), url("/second"));
}

TEST_F(SextantEngineTest, GoHomeOpensTheStartPageOrABlankPage)
{
    TRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.OpenKey(QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main"), true));
    registry.WriteString(QStringLiteral("Start Page"), url("/second"));
    sextant->GoHome();
    EXPECT_TRUE(sextant->Wait(20000));
    EXPECT_EQ(QString::fromStdU16String(sextant->LocationURL()), url("/second"));

    registry.DeleteValue(QStringLiteral("Start Page"));
    sextant->GoHome();
    EXPECT_TRUE(sextant->Wait(20000));
    EXPECT_EQ(sextant->LocationURL(), u"about:blank");
}

TEST_F(SextantEngineTest, NewWindowIsCancelledOrHandedToAnotherBrowser)
{
    ASSERT_TRUE(sextant->Go(url("/page"), 20000));
    // The host's answer to the page's window.open: cancel it, hand over a
    // control of its own, or leave it to the control.
    std::function<void(IDispatch*&, WordBool&)> answer;
    int asked = 0;
    sextant->OnNewWindow2 = [&](TObject*, IDispatch*& ppDisp, WordBool& cancel) {
        ++asked;
        answer(ppDisp, cancel);
    };
    auto openWindow = [&asked] {
        const int before = asked;
        page()->runJavaScript(QStringLiteral("window.open('/second?popup', '_blank');"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return asked > before; }, 20000));
    };
    auto popups = [] {
        const QWidgetList windows = QApplication::topLevelWidgets();
        return std::count_if(windows.begin(), windows.end(),
            [](QWidget* w) { return w->isVisible() && WindowClassName(w) == QLatin1String(WC_SHELLEMBEDDING); });
    };
    answer = [](IDispatch*&, WordBool& cancel) { cancel = VARIANT_TRUE; };
    openWindow();
    EXPECT_EQ(popups(), 0);

    QWidget otherForm;
    auto* other = new TSextant(&otherForm);
    otherForm.show();
    answer = [other](IDispatch*& ppDisp, WordBool&) { ppDisp = other->Application(); };
    openWindow();
    EXPECT_TRUE(other->Wait(20000));
    EXPECT_EQ(QString::fromStdU16String(other->LocationURL()), url("/second?popup"));

    // A script-opened window may move and size itself: the host hears of it.
    std::vector<std::pair<int, int>> moves, sizes;
    other->OnMove = [&](TObject*, int x, int y) { moves.emplace_back(x, y); };
    other->OnResize = [&](TObject*, int cx, int cy) { sizes.emplace_back(cx, cy); };
    auto* otherPage = dynamic_cast<QtWebBrowser*>(other->DefaultInterface())->page();
    otherPage->runJavaScript(QStringLiteral("window.moveTo(15, 25); window.resizeTo(300, 200);"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !moves.empty() && !sizes.empty(); }, 3000));
    EXPECT_EQ(moves.front(), std::make_pair(15, 25));

    // Its script closing the window asks the control's handlers, then the host.
    int closings = 0, queries = 0;
    other->OnWindowClosing = [&](TObject*, WordBool isChild, WordBool& cancel) {
        EXPECT_EQ(isChild, VARIANT_FALSE);
        cancel = toWordBool(++closings == 1);
    };
    other->OnCloseQuery = [&](TObject*, bool& canClose) {
        ++queries;
        canClose = false;
    };
    otherPage->runJavaScript(QStringLiteral("window.close();"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return closings == 1; }, 3000));
    // A close the host would be asked about is queued before this answer.
    ASSERT_TRUE(RunScript(otherPage, QStringLiteral("1")).isValid());
    EXPECT_EQ(queries, 0); // cancelled by the control's handler
    otherPage->runJavaScript(QStringLiteral("window.close();"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return queries == 1; }, 3000));
    EXPECT_TRUE(other->isVisible()); // the close query refused

    // Unhandled, the page gets a window of its own.
    answer = [](IDispatch*&, WordBool&) {};
    openWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return popups() == 1; }, 20000));
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (WindowClassName(w) == QLatin1String(WC_SHELLEMBEDDING))
            w->close();
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return popups() == 0; }, 20000));
    sextant->OnNewWindow2 = nullptr;
}

TEST_F(SextantEngineTest, KeyDownHandlerKeepsKeysFromThePageAndEnterReachesIt)
{
    ASSERT_TRUE(sextant->Go(url("/form"), 20000));
    form->activateWindow();
    sextant->SetFocus();
    // The engine's widget of the page takes the focus.
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
            QWidget* focused = QApplication::focusWidget();
            return focused && focused != sextant && sextant->isAncestorOf(focused);
        },
        20000));
    QWidget* view = QApplication::focusWidget();
    KeyPressRecorder reached;
    view->installEventFilter(&reached);
    std::vector<std::uint16_t> seen;
    sextant->OnKeyDown = [&seen](TObject*, std::uint16_t& key, std::uint16_t, TShiftState) {
        seen.push_back(key);
        if (key == 'B')
            key = 0;
    };
    // A key reaches the widget and every filter before keyClick returns.
    for (Qt::Key key : {Qt::Key_A, Qt::Key_B, Qt::Key_A, Qt::Key_Return})
        QTest::keyClick(view, key);
    EXPECT_EQ(seen, (std::vector<std::uint16_t>{'A', 'B', 'A', VK_RETURN}));
    EXPECT_EQ(reached.keys, (std::vector<int>{Qt::Key_A, Qt::Key_A, Qt::Key_Return}));
    view->removeEventFilter(&reached);
    sextant->OnKeyDown = nullptr;
}

TEST_F(SextantEngineTest, ADownloadRaisesOnFileDownloadAndEndsTheNavigation)
{
    ASSERT_TRUE(sextant->Go(url("/second"), 20000));
    int downloads = 0;
    // The control's own download event (a derived host may declare its own).
    sextant->TSXT::OnFileDownload = [&](TObject*, WordBool& cancel) {
        ++downloads;
        cancel = VARIANT_TRUE;
    };
    EXPECT_TRUE(sextant->Go(url("/file.bin"), 20000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return downloads == 1; }, 5000));
    EXPECT_FALSE(sextant->Busy());
    EXPECT_EQ(QString::fromStdU16String(sextant->LocationURL()), url("/second"));
    sextant->TSXT::OnFileDownload = nullptr;
}

TEST_F(SextantEngineTest, NavigateSendsPostDataAndHeaders)
{
    OleVariant flags(0), target{WideString()}, headers(u"X-Zarn: yes\r\n");
    OleVariant postData(Variant::Bytes{'a', '=', '1'});
    sextant->Navigate(url("/echo").toStdU16String(), flags, target, postData, headers);
    EXPECT_TRUE(sextant->Wait(20000));
    EXPECT_EQ(sextant->LocationName(), u"a=1 yes");
}

TEST_F(SextantEngineTest, AnUnreachableAddressRaisesOnNavigateErrorAndCompletes)
{
    FixtureServer closed;
    closed.start();
    const QString address = QString::fromStdString(closed.url("/gone"));
    closed.stop();
    std::vector<std::int32_t> codes;
    sextant->OnNavigateError
        = [&](TObject*, IDispatch*, OleVariant& failed, OleVariant&, OleVariant& status, WordBool&) {
              EXPECT_EQ(QString::fromStdU16String(failed.toWideString()), address);
              codes.push_back(status.toInt());
          };
    int completes = 0;
    sextant->OnDocumentComplete = [&](TObject*, IDispatch*, OleVariant&) { ++completes; };
    EXPECT_TRUE(sextant->Go(address, 20000));
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_LT(codes[0], 0);
    EXPECT_EQ(completes, 1);
    sextant->OnNavigateError = nullptr;
}

TEST_F(SextantEngineTest, ExecWBPrintsThePageUnlessTheUserCancels)
{
    ASSERT_TRUE(sextant->Go(url("/page"), 20000));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    dynamic_cast<QtWebBrowser*>(sextant->DefaultInterface())->printer()->setOutputFileName(pdf);
    ScriptedDialogs dialogs;
    dialogs.Cancel();
    OleVariant in, out;
    try {
        sextant->ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_PROMPTUSER, in, out);
        ADD_FAILURE() << "a cancelled print reports success";
    } catch (const EOleException& e) {
        EXPECT_EQ(e.ErrorCode, OLECMDERR_E_CANCELED);
    }
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].Kind, QStringLiteral("PrintDialog"));

    sextant->ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_DONTPROMPTUSER, in, out);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo(pdf).size() > 0; }, 20000));
    EXPECT_EQ(dialogs.Calls().size(), 1u);
}

TEST_F(SextantEngineTest, PropertiesAreReadAndWrittenByDispId)
{
    EXPECT_FALSE(sextant->Silent());
    EXPECT_TRUE(sextant->RegisterAsDropTarget());
    EXPECT_FALSE(sextant->RegisterAsBrowser());
    EXPECT_EQ(sextant->Application(), static_cast<IDispatch*>(sextant->DefaultInterface()));

    std::vector<WordBool> statusBars;
    sextant->OnStatusBar = [&](TObject*, WordBool visible) { statusBars.push_back(visible); };
    sextant->SetStatusBar(VARIANT_TRUE);
    EXPECT_EQ(sextant->StatusBar(), VARIANT_TRUE);
    EXPECT_EQ(statusBars, std::vector<WordBool>{VARIANT_TRUE});
    sextant->OnStatusBar = nullptr;

    EXPECT_THROW(sextant->GetDispProperty(9999), EOleException);
    EXPECT_THROW(sextant->SetDispProperty(DISPID_BUSY, Variant::fromBool(true)), EOleException);
}

TEST_F(SextantEngineTest, ReparentingKeepsTheLoadedPage)
{
    ASSERT_TRUE(sextant->Go(url("/page"), 20000));
    QWidget* view = dynamic_cast<QtWebBrowser*>(sextant->DefaultInterface())->view();
    QWidget other;
    other.resize(300, 200);
    sextant->setParent(&other);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    EXPECT_EQ(dynamic_cast<QtWebBrowser*>(sextant->DefaultInterface())->view(), view);
    EXPECT_EQ(page()->url().toString(), url("/page"));
    EXPECT_EQ(sextant->ReadyState(), READYSTATE_COMPLETE);
    sextant->setParent(form);
    sextant->show();
}

} // namespace
