// The host's answers on the real page engine, offscreen, against loopback
// pages: context kinds and menus, masked keys, script errors, message boxes,
// new windows, downloads, log-in, the host style sheet and zoom.
#include "EngineTest.h"
#include "FixtureServer.h"
#include "KeyPressRecorder.h"
#include "ScriptedDialogs.h"
#include "browserhost/Sextant.h"
#include "platform/webengine/QtWebBrowser.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <atomic>

namespace {

const char* const PictureData
    = "data:image/png;base64,"
      "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==";

std::string menuPage()
{
    return std::string("<html><head><title>Menus</title><style>body{margin:0} *{font-size:20px}</style></head><body>"
                       "<p id='plain' style='height:40px'>plain text here</p>"
                       "<p><a id='link' href='/second'>a link to follow</a></p>"
                       "<p><img id='picture' width='60' height='60' src='")
        + PictureData
        + "'></p>"
          "<p><input id='field' value='typed'></p>"
          "<p id='selected'>selected words</p>"
          "<p style='height:400px'></p></body></html>";
}

const char* const ErrorPage = "<html><head><title>Errors</title></head><body><script>"
                              "var ticks = 0; setInterval(() => ++ticks, 10);"
                              "setTimeout(() => { throw new Error('boom'); }, 50);"
                              "</script></body></html>";

// Takes each popup menu as soon as it shows: records its items' command ids
// and chooses the item with the wanted id (or closes the menu).
class MenuDriver : public QObject {
public:
    explicit MenuDriver(int choose = 0) : choose_(choose)
    {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, &MenuDriver::check);
        timer_.start();
    }
    std::vector<std::vector<int>> menus;

private:
    void check()
    {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        std::vector<int> ids;
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            bool ok = false;
            const int id = action->data().toInt(&ok);
            if (!ok)
                continue;
            ids.push_back(id);
            if (id == choose_)
                chosen = action;
        }
        menus.push_back(ids);
        if (!chosen) {
            menu->close();
            return;
        }
        menu->setActiveAction(chosen);
        QTest::keyClick(menu, Qt::Key_Return);
    }
    int choose_;
    QTimer timer_;
};

class HostUIEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new FixtureServer;
        auto& s = server->server();
        s.Get("/menus",
            [](const httplib::Request&, httplib::Response& res) { res.set_content(menuPage(), "text/html"); });
        s.Get("/second", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><head><title>Second</title></head><body>2</body></html>", "text/html");
        });
        s.Get("/form", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body><input autofocus></body></html>", "text/html");
        });
        s.Get("/errors",
            [](const httplib::Request&, httplib::Response& res) { res.set_content(ErrorPage, "text/html"); });
        s.Get("/styled", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(
                "<html><body><p id='p'>styled</p><iframe src='/frame'></iframe></body></html>", "text/html");
        });
        s.Get("/frame", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body><p id='p'>frame</p></body></html>", "text/html");
        });
        s.Get("/file.bin", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Content-Disposition", "attachment; filename=\"../report.bin\"");
            res.set_content(DownloadContent(), "application/octet-stream");
        });
        // "user:secret" and "other:pass" in Basic encoding, each for a realm
        // of its own, so that the engine's remembered log-in of one does not
        // answer the other.
        s.Get("/secret", protectedPage("fixture", "Basic dXNlcjpzZWNyZXQ="));
        s.Get("/other", protectedPage("other", "Basic b3RoZXI6cGFzcw=="));
        s.Get("/probe", [](const httplib::Request& req, httplib::Response& res) {
            ++probePages;
            res.set_content("<html><head><title>Probe</title></head><body><img src='/probe.png?n="
                    + req.get_param_value("n") + "'><script>document.title = 'ran';</script></body></html>",
                "text/html");
        });
        // Only pictures of the page being visited count: pictures that an
        // earlier page left unloaded may still be fetched as it goes.
        s.Get("/probe.png", [](const httplib::Request& req, httplib::Response& res) {
            if (req.get_param_value("n") == std::to_string(probeVisit))
                ++probePictures;
            res.set_content(std::string(), "image/png");
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
        delete form;
        delete server;
    }

    void TearDown() override
    {
        sextant->OnShowContextMenu = nullptr;
        sextant->OnMaskedCtrlChar = nullptr;
        sextant->OnScriptError = nullptr;
        sextant->OnShowMessage = nullptr;
        sextant->OnEvaluateNewWindow = nullptr;
        sextant->OnFileDownload = nullptr;
        sextant->OnAuthenticate = nullptr;
        sextant->OnNewWindow2 = nullptr;
        sextant->DisabledPopupMenus = {};
        sextant->DisabledPopupMenuItems = {};
        sextant->PopupMenu = nullptr;
        sextant->ScriptErrorAction = eaContinue;
        sextant->DisableCtrlShortcuts = QStringLiteral("N");
        sextant->HostCSS.clear();
    }

    static httplib::Server::Handler protectedPage(const std::string& realm, const std::string& credentials)
    {
        return [realm, credentials](const httplib::Request& req, httplib::Response& res) {
            if (req.get_header_value("Authorization") == credentials) {
                res.set_content("<html><head><title>Welcome</title></head></html>", "text/html");
                return;
            }
            res.status = 401;
            res.set_header("WWW-Authenticate", "Basic realm=\"" + realm + "\"");
            res.set_content("<html><head><title>Refused</title></head></html>", "text/html");
        };
    }

    static std::string DownloadContent() { return std::string(200000, 'z'); }
    static QString url(const char* path) { return QString::fromStdString(server->url(path)); }
    static QWebEnginePage* page() { return dynamic_cast<QtWebBrowser*>(sextant->DefaultInterface())->page(); }
    static QWebEngineView* view() { return dynamic_cast<QtWebBrowser*>(sextant->DefaultInterface())->view(); }

    // The centre of the element with that id, in the view.
    static QPoint centreOf(const char* id)
    {
        const QVariantList box = RunScript(page(),
            QStringLiteral("(() => { const r = document.getElementById('%1').getBoundingClientRect();"
                           " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                .arg(QLatin1String(id)))
                                     .toList();
        return box.size() == 2 ? QPoint(box[0].toInt(), box[1].toInt()) : QPoint();
    }

    static void rightClick(const QPoint& at)
    {
        QWidget* target = view()->focusProxy();
        QTest::mouseClick(target, Qt::RightButton, {}, at);
    }

    // The widget of the page with the keyboard focus.
    static QWidget* focusedPage()
    {
        form->activateWindow();
        sextant->SetFocus();
        const bool focused = QTest::qWaitFor(
            [] {
                QWidget* widget = QApplication::focusWidget();
                return widget && widget != sextant && sextant->isAncestorOf(widget);
            },
            20000);
        return focused ? QApplication::focusWidget() : nullptr;
    }

    static inline std::atomic<int> probePages = 0;
    static inline std::atomic<int> probePictures = 0;
    static inline std::atomic<int> probeVisit = 0;
    static inline FixtureServer* server = nullptr;
    static inline QWidget* form = nullptr;
    static inline TSextant* sextant = nullptr;
};

TEST_F(HostUIEngineTest, ARightClickNamesTheContextKindOfWhatWasClicked)
{
    struct Case {
        const char* element;
        DWORD kind;
    };
    const Case cases[] = {
        {"link", CONTEXT_MENU_ANCHOR},
        {"picture", CONTEXT_MENU_IMAGE},
        {"field", CONTEXT_MENU_CONTROL},
        {"selected", CONTEXT_MENU_TEXTSELECT},
        {"plain", CONTEXT_MENU_DEFAULT},
    };
    ASSERT_TRUE(sextant->Go(url("/menus"), 20000));
    std::vector<DWORD> kinds;
    sextant->OnShowContextMenu
        = [&](TObject*, DWORD id, const POINT*, IContextMenuSource*, IDispatch*, HRESULT& result) {
              kinds.push_back(id);
              result = S_OK;
          };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.element);
        const QString select = std::string(c.element) == "selected"
            ? QStringLiteral("window.getSelection().selectAllChildren(document.getElementById('selected'))")
            : QStringLiteral("window.getSelection().removeAllRanges()");
        RunScript(page(), select + QStringLiteral("; true"));
        const size_t before = kinds.size();
        rightClick(centreOf(c.element));
        ASSERT_TRUE(QTest::qWaitFor([&] { return kinds.size() > before; }, 20000));
        EXPECT_EQ(kinds.back(), c.kind);
    }
}

TEST_F(HostUIEngineTest, DisabledKindsShowNoMenuOrThePopupMenuAtTheCursor)
{
    ASSERT_TRUE(sextant->Go(url("/menus"), 20000));
    sextant->DisabledPopupMenus = {TIEPopupMenu::rcmAll};
    int asked = 0;
    sextant->OnShowContextMenu
        = [&](TObject*, DWORD, const POINT*, IContextMenuSource*, IDispatch*, HRESULT&) { ++asked; };
    MenuDriver driver;
    rightClick(centreOf("plain"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked == 1; }, 20000));
    QApplication::processEvents();
    EXPECT_TRUE(driver.menus.empty());

    QMenu own;
    own.addAction(QStringLiteral("Own item"))->setData(4242);
    sextant->PopupMenu = &own;
    rightClick(centreOf("plain"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !driver.menus.empty(); }, 20000));
    EXPECT_EQ(driver.menus.front(), std::vector<int>{4242});
}

TEST_F(HostUIEngineTest, RemovedMenuItemsAreMissingAndAnotherItemStillWorks)
{
    ASSERT_TRUE(sextant->Go(url("/menus"), 20000));
    sextant->DisabledPopupMenuItems = {TIEPopupMenuItem::rcsViewSource};
    MenuDriver driver(IDM_SELECTALL);
    rightClick(centreOf("plain"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !driver.menus.empty(); }, 20000));
    const std::vector<int>& ids = driver.menus.front();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), IDM_VIEWSOURCE), 0);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), IDM_REFRESH), 1);
    EXPECT_TRUE(QTest::qWaitFor(
        [] { return RunScript(page(), QStringLiteral("window.getSelection().toString().length > 0")).toBool(); },
        20000));
}

TEST_F(HostUIEngineTest, CtrlShortcutsAreMaskedOnlyWithCtrlAlone)
{
    struct Case {
        const char* name;
        Qt::KeyboardModifiers modifiers;
        const char* shortcuts;
        bool masked;
    };
    const Case cases[] = {
        {"Ctrl+N", Qt::ControlModifier, "N", true},
        {"Ctrl+Shift+N", Qt::ControlModifier | Qt::ShiftModifier, "N", false},
        {"Ctrl+N, nothing masked", Qt::ControlModifier, "", false},
        {"Ctrl+N among others", Qt::ControlModifier, "PNO", true},
    };
    ASSERT_TRUE(sextant->Go(url("/form"), 20000));
    QWidget* target = focusedPage();
    ASSERT_NE(target, nullptr);
    KeyPressRecorder reached;
    target->installEventFilter(&reached);
    std::vector<char> reported;
    sextant->OnMaskedCtrlChar = [&](TObject*, char masked) { reported.push_back(masked); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sextant->DisableCtrlShortcuts = QString::fromLatin1(c.shortcuts);
        reached.keys.clear();
        reported.clear();
        // A key reaches the widget and every filter before keyClick returns;
        // the modifier keys themselves always reach the page.
        QTest::keyClick(target, Qt::Key_N, c.modifiers);
        EXPECT_EQ(std::count(reached.keys.begin(), reached.keys.end(), Qt::Key_N), c.masked ? 0 : 1);
        EXPECT_EQ(reported, c.masked ? std::vector<char>{'N'} : std::vector<char>{});
    }
    target->removeEventFilter(&reached);
}

TEST_F(HostUIEngineTest, ScriptErrorsAreReportedAndAnsweredByTheAction)
{
    struct Case {
        const char* name;
        TScriptErrorAction action;
        int userAnswer; // IDYES or IDNO to the control's box; 0: no box expected
        bool scriptsRunOn;
    };
    const Case cases[] = {
        {"continue", eaContinue, 0, true},
        {"cancel", eaCancel, 0, false},
        {"ask, yes", eaAskUser, IDYES, true},
        {"ask, no", eaAskUser, IDNO, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialogs dialogs;
        if (c.userAnswer)
            dialogs.Answer(c.userAnswer);
        sextant->ScriptErrorAction = c.action;
        QString message, line, address;
        sextant->OnScriptError = [&](TObject*, const QString& errorLine, const QString&, const QString&,
                                     const QString& errorMessage, const QString& errorUrl, TScriptErrorAction&) {
            line = errorLine;
            message = errorMessage;
            address = errorUrl;
        };
        ASSERT_TRUE(sextant->Go(url("/errors"), 20000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !message.isEmpty(); }, 20000));
        EXPECT_TRUE(message.contains(QLatin1String("boom")));
        EXPECT_EQ(line, QStringLiteral("1"));
        EXPECT_EQ(address, url("/errors"));
        if (c.userAnswer) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.Calls().empty(); }, 20000));
            EXPECT_EQ(dialogs.Last().Caption, QStringLiteral("Script Error"));
            EXPECT_TRUE(dialogs.Last().Text.contains(QLatin1String("boom")));
        }
        if (c.scriptsRunOn) {
            const int ticks = RunScript(page(), QStringLiteral("ticks")).toInt();
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return RunScript(page(), QStringLiteral("ticks")).toInt() > ticks; }, 20000));
        } else {
            EXPECT_TRUE(QTest::qWaitFor(
                [] { return !page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled); }, 20000));
        }
        if (!c.userAnswer)
            EXPECT_TRUE(dialogs.Calls().empty());
    }
    // The next page runs its scripts again.
    ASSERT_TRUE(sextant->Go(url("/second"), 20000));
    EXPECT_TRUE(page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
}

TEST_F(HostUIEngineTest, MessageBoxesOfThePageGoToOnShowMessageOrTheControlsBox)
{
    struct Case {
        const char* script;
        std::intptr_t handlerAnswer; // IDOK or IDCANCEL
        QVariant expected;
        DWORD style;
    };
    const Case cases[] = {
        {"alert('hello'); 'shown'", IDOK, QStringLiteral("shown"), MB_OK | MB_ICONWARNING},
        {"confirm('hello')", IDOK, true, MB_OKCANCEL | MB_ICONQUESTION},
        {"confirm('hello')", IDCANCEL, false, MB_OKCANCEL | MB_ICONQUESTION},
        {"prompt('hello', 'given')", IDOK, QStringLiteral("given"), MB_OKCANCEL | MB_ICONQUESTION},
        {"String(prompt('hello', 'given'))", IDCANCEL, QStringLiteral("null"), MB_OKCANCEL | MB_ICONQUESTION},
    };
    ASSERT_TRUE(sextant->Go(url("/second"), 20000));
    ScriptedDialogs dialogs;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        QString text, caption;
        DWORD style = 0;
        sextant->OnShowMessage = [&](TObject*, QWidget*, const WideString& lpstrText, const WideString& lpstrCaption,
                                     DWORD dwType, const WideString&, DWORD, std::intptr_t& result) {
            text = QString::fromStdU16String(lpstrText);
            caption = QString::fromStdU16String(lpstrCaption);
            style = dwType;
            result = c.handlerAnswer;
            return S_OK;
        };
        EXPECT_EQ(RunScript(page(), QString::fromLatin1(c.script)), c.expected);
        EXPECT_EQ(text, QStringLiteral("hello"));
        EXPECT_EQ(caption, QStringLiteral("Message from webpage"));
        EXPECT_EQ(style, c.style);
    }
    EXPECT_TRUE(dialogs.Calls().empty());

    // Unhandled, the control's own boxes ask the user.
    sextant->OnShowMessage = nullptr;
    dialogs.Answer(IDOK).Answer(IDCANCEL).AnswerText(QStringLiteral("typed"));
    EXPECT_EQ(RunScript(page(), QStringLiteral("alert('a'); 1")).toInt(), 1);
    EXPECT_EQ(RunScript(page(), QStringLiteral("confirm('c')")).toBool(), false);
    EXPECT_EQ(RunScript(page(), QStringLiteral("prompt('p', 'd')")).toString(), QStringLiteral("typed"));
    ASSERT_EQ(dialogs.Calls().size(), 3u);
    EXPECT_EQ(dialogs.Texts(), (QStringList{QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("p")}));
    EXPECT_EQ(dialogs.Calls()[2].Value, QStringLiteral("d"));
}

TEST_F(HostUIEngineTest, WindowOpenIsEvaluatedBeforeTheWindowOpens)
{
    struct Case {
        const char* name;
        bool handled;
        HRESULT answer;
        bool opens;
    };
    const Case cases[] = {
        {"blocked", true, S_FALSE, false},
        {"allowed", true, S_OK, true},
        {"the control's own rules", true, E_FAIL, true},
        {"unhandled", false, S_OK, true},
    };
    ASSERT_TRUE(sextant->Go(url("/second"), 20000));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<QString> evaluated;
        if (c.handled)
            sextant->OnEvaluateNewWindow
                = [&](TObject*, const WideString& address, const WideString&, const WideString& context,
                      const WideString&, bool, DWORD, DWORD, HRESULT& result) {
                      evaluated.push_back(QString::fromStdU16String(address));
                      EXPECT_EQ(QString::fromStdU16String(context), url("/second"));
                      result = c.answer;
                  };
        else
            sextant->OnEvaluateNewWindow = nullptr;
        int opened = 0;
        sextant->OnNewWindow2 = [&](TObject*, IDispatch*&, WordBool& cancel) {
            ++opened;
            cancel = VARIANT_TRUE;
        };
        RunScript(page(), QStringLiteral("window.open('/menus'); true"));
        // window.open asks the control before the script goes on.
        if (c.handled)
            EXPECT_EQ(evaluated, std::vector<QString>{url("/menus")});
        EXPECT_EQ(opened, c.opens ? 1 : 0);
    }
}

TEST_F(HostUIEngineTest, ADownloadGoesToOnFileDownloadOrIsSavedWhereTheUserSays)
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("saved.bin"));
    ASSERT_TRUE(sextant->Go(url("/second"), 20000));
    {
        ScriptedDialogs dialogs;
        QString address, name;
        sextant->OnFileDownload
            = [&](TObject*, const WideString& pmk, IDispatch*, DWORD, std::int32_t, const BINDINFO* info,
                  const WideString&, const WideString&, UINT, HRESULT& result) {
                  address = QString::fromStdU16String(pmk);
                  name = QString::fromStdU16String(info->szExtraInfo);
                  result = S_OK;
              };
        sextant->Navigate(url("/file.bin").toStdU16String());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !address.isEmpty(); }, 20000));
        EXPECT_EQ(address, url("/file.bin"));
        EXPECT_TRUE(name.endsWith(QLatin1String("report.bin")));
        EXPECT_TRUE(dialogs.Calls().empty());
    }
    sextant->OnFileDownload = nullptr;
    {
        // Unhandled: the control asks Open, Save or Cancel, then where.
        ScriptedDialogs dialogs;
        dialogs.Answer(IDNO).AnswerText(target);
        sextant->Navigate(url("/file.bin").toStdU16String());
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return QFileInfo(target).size() == qint64(DownloadContent().size()); }, 20000));
        ASSERT_GE(dialogs.Calls().size(), 2u);
        EXPECT_EQ(dialogs.Calls()[0].Caption, QStringLiteral("File Download"));
        EXPECT_EQ(dialogs.Calls()[0].ButtonCaptions,
            (QStringList{QStringLiteral("Open"), QStringLiteral("Save"), QStringLiteral("Cancel")}));
        EXPECT_TRUE(sextant->isAncestorOf(dialogs.Calls()[0].Owner));
        EXPECT_EQ(dialogs.Calls()[1].Kind, QStringLiteral("SaveDialog"));
        EXPECT_TRUE(dialogs.Calls()[1].Value.endsWith(QLatin1String("report.bin")));
        EXPECT_FALSE(dialogs.Calls()[1].Value.contains(u'/'));
        QFile saved(target);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_EQ(saved.readAll().toStdString(), DownloadContent());
    }
    {
        // Cancelled, nothing is written.
        ScriptedDialogs dialogs;
        dialogs.Answer(IDCANCEL);
        sextant->Navigate(url("/file.bin").toStdU16String());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.Calls().empty(); }, 20000));
        EXPECT_EQ(dialogs.Calls().size(), 1u);
    }
}

TEST_F(HostUIEngineTest, ALogInRequestIsAnsweredByOnAuthenticateOrTheUser)
{
    int asked = 0;
    sextant->OnAuthenticate = [&](TObject*, QWidget*& window, WideString& user, WideString& password, HRESULT&) {
        ++asked;
        EXPECT_EQ(window, static_cast<QWidget*>(sextant));
        user = u"user";
        password = u"secret";
    };
    ASSERT_TRUE(sextant->Go(url("/secret"), 20000));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(QString::fromStdU16String(sextant->LocationName()), QStringLiteral("Welcome"));

    sextant->OnAuthenticate = nullptr;
    ScriptedDialogs dialogs;
    dialogs.AnswerLogIn(QStringLiteral("other"), QStringLiteral("pass"));
    ASSERT_TRUE(sextant->Go(url("/other"), 20000));
    EXPECT_EQ(QString::fromStdU16String(sextant->LocationName()), QStringLiteral("Welcome"));
    ASSERT_EQ(dialogs.Calls().size(), 1u) << "one question for name and password";
    EXPECT_EQ(dialogs.Last().Kind, QStringLiteral("LogInDialog"));
    EXPECT_EQ(dialogs.Last().Caption, QStringLiteral("Connect to 127.0.0.1"));
    EXPECT_TRUE(sextant->isAncestorOf(dialogs.Last().Owner)) << "the control's own dialog";
}

TEST_F(HostUIEngineTest, HostCssStylesEveryFrameOfTheNextPage)
{
    sextant->HostCSS = QStringLiteral("p { color: rgb(1, 2, 3) !important; }");
    ASSERT_TRUE(sextant->Go(url("/styled"), 20000));
    const QString colour = QStringLiteral("getComputedStyle(document.getElementById('p')).color");
    const QString frameColour = QStringLiteral(
        "getComputedStyle(document.querySelector('iframe').contentDocument.getElementById('p')).color");
    EXPECT_TRUE(QTest::qWaitFor([&] { return RunScript(page(), colour).toString() == u"rgb(1, 2, 3)"; }, 20000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return RunScript(page(), frameColour).toString() == u"rgb(1, 2, 3)"; }, 20000));

    sextant->HostCSS.clear();
    ASSERT_TRUE(sextant->Go(url("/styled?plain"), 20000));
    EXPECT_EQ(RunScript(page(), colour).toString(), QStringLiteral("rgb(0, 0, 0)"));
}

TEST_F(HostUIEngineTest, DropsGoToTheComponentsOwnTargetOnlyWhenItSaysSo)
{
    struct Case {
        TDragDropHandlingType type;
        bool hostSees;
    };
    const Case cases[] = {{ddtMy, true}, {ddtMS, false}, {ddtCustom, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.type));
        sextant->SetDropHandlingType(c.type);
        ASSERT_TRUE(sextant->Go(url("/second"), 20000));
        std::vector<QString> dropped;
        sextant->OnDragEnter
            = [](TObject*, const QMimeData*, DWORD, POINT, DWORD& effect, HRESULT&) { effect = DROPEFFECT_COPY; };
        sextant->OnDropEvent
            = [&](TObject*, const QMimeData* data, DWORD, POINT, DWORD&, HRESULT&) { dropped.push_back(data->text()); };
        QMimeData data;
        data.setText(QStringLiteral("dropped text"));
        QWidget* target = view()->focusProxy();
        const QPoint at(20, 20);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        EXPECT_EQ(dropped, c.hostSees ? std::vector<QString>{QStringLiteral("dropped text")} : std::vector<QString>{});
        if (c.hostSees)
            EXPECT_TRUE(enter.isAccepted());
    }
    sextant->OnDragEnter = nullptr;
    sextant->OnDropEvent = nullptr;
    sextant->SetDropHandlingType(ddtMS);
}

TEST_F(HostUIEngineTest, DownloadOptionsApplyToTheNextPage)
{
    using DL = TDownloadControlOption;
    const TDownloadControlOptions defaults{DL::DownloadImages, DL::DownloadVideos, DL::DownloadBGSounds};
    struct Case {
        const char* name;
        TDownloadControlOptions options;
        int pages, pictures;
        const char* title;
    };
    const Case cases[] = {
        {"defaults", defaults, 1, 1, "ran"},
        {"no pictures", {DL::DownloadVideos}, 1, 0, "ran"},
        {"no scripts", {DL::DownloadImages, DL::DontExecuteScripts}, 1, 1, "Probe"},
        {"offline", {DL::DownloadImages, DL::WorkOffline}, 0, 0, nullptr},
        {"forced offline", {DL::DownloadImages, DL::ForceOfflineMode}, 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sextant->SetDownloadOptions(c.options);
        probePages = 0;
        probePictures = 0;
        const std::string address = "/probe?n=" + std::to_string(++probeVisit);
        ASSERT_TRUE(sextant->Go(url(address.c_str()), 20000));
        EXPECT_EQ(probePages, c.pages);
        EXPECT_EQ(probePictures, c.pictures);
        if (c.title)
            EXPECT_EQ(QString::fromStdU16String(sextant->LocationName()), QString::fromLatin1(c.title));
    }
    sextant->SetDownloadOptions(defaults);
}

TEST_F(HostUIEngineTest, TextSizeAndOpticalZoomAreClampedIntoTheEnginesRange)
{
    ASSERT_TRUE(sextant->Go(url("/second"), 20000));
    struct Case {
        int textSize;
        int percent;
        int appliedSize;
        int appliedPercent;
        double factor;
    };
    const Case cases[] = {
        {2, 100, 2, 100, 1.0},
        {9, 100, 4, 100, 1.5},
        {-3, 100, 0, 100, 0.6},
        {2, 1000, 2, 500, 5.0},
        {2, 10, 2, 25, 0.25},
        {4, 200, 4, 200, 3.0},
    };
    std::vector<unsigned long> reported;
    sextant->OnZoomPercentChange = [&](TObject*, unsigned long percent) {
        reported.push_back(percent);
        return S_OK;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.textSize * 10000 + c.percent);
        sextant->SetZoom(c.textSize);
        sextant->SetZoomPercent(c.percent);
        EXPECT_EQ(sextant->GetZoom(), c.appliedSize);
        if (c.percent != 100)
            EXPECT_EQ(reported.back(), static_cast<unsigned long>(c.appliedPercent));
        EXPECT_DOUBLE_EQ(page()->zoomFactor(), c.factor);
        sextant->SetZoomPercent(100);
    }
    sextant->OnZoomPercentChange = nullptr;
    sextant->SetZoom(2);
}

} // namespace
