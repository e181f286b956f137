// The host options of TSextant on the real Qt WebEngine control, offscreen,
// against loopback pages: the user agent servers and pages see, requests
// through a loopback proxy (with and without credentials, and not after
// RemoveProxy), printing to PDF with header and footer, the control's
// dialogs recaptioned and the application's left alone, and the focus
// fixes.
#include "EngineTest.h"
#include "FixtureServer.h"
#include "ScriptedDialogs.h"
#include "browserhost/DialogInterception.h"
#include "browserhost/FocusFixes.h"
#include "browserhost/Sextant.h"
#include "browserhost/SystemTools.h"
#include "platform/inet/WinInet.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Dialogs.h"
#include "platform/webcontrol/WindowClass.h"
#include "platform/webengine/QtWebBrowser.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <mutex>

namespace {

// A loopback HTTP proxy that answers every request itself and records the
// addresses asked for and the credentials sent. With required credentials
// a request without them gets 407.
class ProxyFixture {
public:
    ProxyFixture()
    {
        server_.server().Get(R"(.*)", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(mutex_);
            const std::string auth = req.get_header_value("Proxy-Authorization");
            if (!required_.empty() && auth != required_) {
                res.status = 407;
                res.set_header("Proxy-Authenticate", "Basic realm=\"zarn\"");
                return;
            }
            seen_.push_back(QString::fromStdString(req.target));
            credentials_.push_back(QString::fromStdString(auth));
            res.set_content("<html><head><title>via proxy</title></head><body>proxied</body></html>", "text/html");
        });
        server_.start();
    }

    int port() const { return server_.port(); }
    void requireBasic(const std::string& userColonPassword)
    {
        std::lock_guard lock(mutex_);
        required_ = userColonPassword.empty()
            ? std::string()
            : "Basic " + QByteArray::fromStdString(userColonPassword).toBase64().toStdString();
    }
    QStringList seen() const
    {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    QStringList credentials() const
    {
        std::lock_guard lock(mutex_);
        return credentials_;
    }

private:
    FixtureServer server_;
    mutable std::mutex mutex_;
    std::string required_;
    QStringList seen_;
    QStringList credentials_;
};

class HostOptionsEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new FixtureServer;
        auto& s = server->server();
        s.Get("/agent", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(
                "<html><head><title>" + req.get_header_value("User-Agent") + "</title></head></html>", "text/html");
        });
        s.Get("/popup", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(
                "<html><body><script>window.open('about:blank');document.title='done';</script></body></html>",
                "text/html");
        });
        s.Get("/prompt", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(
                "<html><body><script>document.title=String(prompt('Name?'));</script></body></html>", "text/html");
        });
        s.Get("/errors", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body><script>var ticks = 0; setInterval(() => ++ticks, 10);"
                            "setTimeout(() => { throw new Error('boom'); }, 50);</script></body></html>",
                "text/html");
        });
        s.Get("/long", [](const httplib::Request&, httplib::Response& res) {
            std::string body = "<html><head><title>Printed Fixture</title></head><body>";
            for (int i = 0; i < 120; ++i)
                body += "<p>Paragraph text number " + std::to_string(i) + "</p>";
            res.set_content(body + "</body></html>", "text/html");
        });
        server->start();
        form = new QWidget;
        form->resize(640, 480);
        edit = new QLineEdit(form);
        edit->setGeometry(0, 0, 640, 30);
        sextant = new TSextant(form);
        sextant->setGeometry(0, 40, 640, 440);
        form->show();
        sextant->Loaded();
        activate(form);
    }

    static void TearDownTestSuite()
    {
        delete form;
        delete server;
    }

    void TearDown() override
    {
        sextant->DialogBoxes = TDialogBoxes();
        sextant->OnShowDialog = nullptr;
        sextant->SetUserAgentMode(uaDefault);
        RemoveProxy();
    }

    static void activate(QWidget* window)
    {
        window->activateWindow();
        QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, 5000);
    }

    // Once the next modal box has taken activation (and so been inspected),
    // notes its caption and cancels it. Polls from the event loop, since the
    // box runs its own loop inside the caller's.
    static void closeNextBox(QString* caption)
    {
        auto* poll = new QTimer;
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, [poll, caption] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box)
                return;
            if (QApplication::activeWindow() != box) {
                box->activateWindow();
                return;
            }
            *caption = box->windowTitle();
            poll->stop();
            poll->deleteLater();
            QMetaObject::invokeMethod(box, "reject", Qt::QueuedConnection);
        });
        poll->start();
    }

    static QString url(const std::string& path) { return QString::fromStdString(server->url(path)); }
    static QtWebBrowser* control() { return dynamic_cast<QtWebBrowser*>(sextant->DefaultInterface()); }
    static QString title() { return control()->page()->title(); }

    static inline FixtureServer* server = nullptr;
    static inline QWidget* form = nullptr;
    static inline QLineEdit* edit = nullptr;
    static inline TSextant* sextant = nullptr;
};

TEST_F(HostOptionsEngineTest, InternalUserAgentReachesServerAndPageUntilModeIsDefault)
{
    sextant->SetUserAgent(QStringLiteral("ZarnAgent/1.0"));
    sextant->SetUserAgentMode(uaInternal);
    ASSERT_TRUE(sextant->Go(url("/agent"), 20000));
    EXPECT_EQ(title(), QStringLiteral("ZarnAgent/1.0"));
    EXPECT_EQ(RunScript(control()->page(), QStringLiteral("navigator.userAgent")).toString(),
        QStringLiteral("ZarnAgent/1.0"));

    sextant->SetUserAgentMode(uaDefault);
    ASSERT_TRUE(sextant->Go(url("/agent"), 20000));
    EXPECT_TRUE(title().startsWith(QStringLiteral("Mozilla/"))) << title().toStdString();
}

TEST_F(HostOptionsEngineTest, RegistryUserAgentIsOnePostPlatformEntryUntilModeIsDefault)
{
    const QString postPlatform
        = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform");
    const QString base = QStringLiteral("User-agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)");
    const auto entries = [&] {
        TRegistry reg(HKEY_CURRENT_USER);
        return reg.OpenKeyReadOnly(postPlatform) ? reg.GetValueNames() : QStringList();
    };
    sextant->SetUserAgent(QStringLiteral("Zarn X"));
    sextant->SetUserAgentMode(uaRegistry);
    EXPECT_EQ(entries(), QStringList{base + QStringLiteral("(Zarn X)")});
    sextant->SetUserAgentMode(uaDefault);
    EXPECT_EQ(entries(), QStringList{base});
}

TEST_F(HostOptionsEngineTest, PopupManagementKeepsScriptsFromOpeningWindows)
{
    const struct {
        const char* name;
        TInternetFeatures features;
        int windowsAsked;
    } cases[] = {
        {"popup management", FeatureBit(WebocPopupManagement), 0},
        {"other features only", FeatureBit(Feeds) | FeatureBit(XmlHttp), 1},
    };
    int asked = 0;
    sextant->OnNewWindow2 = [&](TObject*, IDispatch*&, WordBool& Cancel) {
        ++asked;
        Cancel = VARIANT_TRUE;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        asked = 0;
        SxtControl()->SetInternetFeatures(c.features);
        ASSERT_TRUE(sextant->Go(url("/popup"), 20000));
        ASSERT_TRUE(QTest::qWaitFor([] { return title() == QStringLiteral("done"); }, 20000));
        EXPECT_EQ(asked, c.windowsAsked);
    }
    sextant->OnNewWindow2 = nullptr;
    SxtControl()->SetInternetFeatures(FeatureBit(XmlHttp));
}

TEST_F(HostOptionsEngineTest, BlockedInputPromptsAnswerNullWithoutAsking)
{
    SxtControl()->SetInternetFeatures(FeatureBit(BlockInputPrompts));
    ASSERT_TRUE(sextant->Go(url("/prompt"), 20000));
    EXPECT_TRUE(QTest::qWaitFor([] { return title() == QStringLiteral("null"); }, 20000)) << title().toStdString();
    SxtControl()->SetInternetFeatures(FeatureBit(XmlHttp));
}

TEST_F(HostOptionsEngineTest, HTMLCodeNavigatesToOneAddressAndLoadsOtherText)
{
    sextant->SetHTMLCode({url("/agent")});
    ASSERT_TRUE(sextant->Wait(20000));
    EXPECT_EQ(sextant->LocationURL(), url("/agent").toStdU16String());

    sextant->SetHTMLCode(
        {QStringLiteral("<html><head><title>Code</title></head>"), QStringLiteral("<body>x</body></html>")});
    ASSERT_TRUE(sextant->Wait(20000));
    EXPECT_EQ(title(), QStringLiteral("Code"));

    bool raised = false;
    sextant->OnHTMLCodeChange = [&](TObject*, const QStringList& code, bool& Handled) {
        raised = code.size() == 1;
        Handled = true;
    };
    sextant->SetHTMLCode({QStringLiteral("<title>Kept out</title>")});
    sextant->Wait(20000);
    sextant->OnHTMLCodeChange = nullptr;
    EXPECT_TRUE(raised);
    EXPECT_EQ(title(), QStringLiteral("Code"));
}

TEST_F(HostOptionsEngineTest, RequestsGoThroughTheProxyUntilItIsRemoved)
{
    struct Case {
        const char* name;
        QString user;
        QString password;
    };
    const Case cases[] = {
        {"without credentials", {}, {}},
        {"with credentials", QStringLiteral("zarn"), QStringLiteral("s3cret")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProxyFixture proxy;
        proxy.requireBasic(c.user.isEmpty() ? std::string() : (c.user + ':' + c.password).toStdString());
        sextant->ProxySettings.Address = QStringLiteral("127.0.0.1");
        sextant->ProxySettings.Port = proxy.port();
        sextant->ProxySettings.UserName = c.user;
        sextant->ProxySettings.Password = c.password;
        ASSERT_TRUE(sextant->ApplyProxySettings());

        // A name that only the proxy can reach.
        ASSERT_TRUE(sextant->Go(QStringLiteral("http://zarnweb.test/page"), 20000));
        EXPECT_EQ(title(), QStringLiteral("via proxy"));
        auto request = InternetUrlRequest::open("http://zarnweb.test/curl", "ZarnAgent", 0);
        EXPECT_TRUE(request != nullptr);
        const QStringList seen = proxy.seen();
        EXPECT_TRUE(seen.contains(QStringLiteral("http://zarnweb.test/page"))) << seen.join(' ').toStdString();
        EXPECT_TRUE(seen.contains(QStringLiteral("http://zarnweb.test/curl"))) << seen.join(' ').toStdString();
        if (!c.user.isEmpty()) {
            for (const QString& sent : proxy.credentials())
                EXPECT_FALSE(sent.isEmpty());
        }

        ASSERT_TRUE(RemoveProxy());
        const qsizetype before = proxy.seen().size();
        sextant->Go(QStringLiteral("http://zarnweb.test/after"), 20000);
        InternetUrlRequest::open("http://zarnweb.test/curl-after", "ZarnAgent", 0);
        EXPECT_EQ(proxy.seen().size(), before);
    }
}

TEST_F(HostOptionsEngineTest, PrintWithOptionsFillsPageSetupAndPrintsHeaderAndFooter)
{
    ASSERT_TRUE(sextant->Go(url("/long"), 20000));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
    control()->printer()->setOutputFormat(QPrinter::PdfFormat);
    control()->printer()->setOutputFileName(pdf);
    sextant->PrintOptions.Enabled = true;
    sextant->PrintOptions.Header = QStringLiteral("&w&bPage &p of &P");
    sextant->PrintOptions.Footer = QStringLiteral("&u&bFooter mark");
    sextant->PrintOptions.Margins = {19.05, 19.05, 19.05, 19.05};
    ScriptedDialogs dialogs;
    dialogs.Accept();
    // A dialog left open by a failing interception must not hang the test.
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            open->reject();
    });
    guard.start(15000);

    sextant->PrintWithOptions();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(pdf).size() > 0; }, 30000));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains(QStringLiteral("Printed Fixture"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Page 1 of "))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Page 2 of "))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Footer mark"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(url("/long"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Paragraph text number 7"))) << printed.toStdString();
    EXPECT_FALSE(sextant->PageSetupPending);
    sextant->PrintOptions.Enabled = false;
}

TEST_F(HostOptionsEngineTest, ControlDialogsAreRecaptionedAndTheApplicationsAreNot)
{
    sextant->DialogBoxes.NewCaption = u"ZarnWeb";
    struct Case {
        const char* name;
        bool insideControl;
        QString caption;
        QString expected;
        bool staysOpen;
    };
    const Case cases[] = {
        {"control dialog", true, QStringLiteral("Microsoft Internet Explorer"), QStringLiteral("ZarnWeb"), true},
        {"first of two", true, QStringLiteral("Internet Explorer - Internet Explorer"),
            QStringLiteral("ZarnWeb - Internet Explorer"), true},
        {"application dialog", false, QStringLiteral("Microsoft Internet Explorer"),
            QStringLiteral("Microsoft Internet Explorer"), true},
        {"script error", true, QStringLiteral("Script Error"), QStringLiteral("Script Error"), false},
        {"other error", true, QStringLiteral("An error"), QStringLiteral("An error"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        activate(form);
        QDialog dialog(c.insideControl ? control()->window() : form);
        SetWindowClassName(&dialog, QString::fromLatin1(WC_DIALOG));
        dialog.setWindowTitle(c.caption);
        dialog.show();
        activate(&dialog);
        QTest::qWaitFor([&] { return dialog.windowTitle() == c.expected && dialog.isVisible() == c.staysOpen; }, 3000);
        EXPECT_EQ(dialog.windowTitle(), c.expected);
        EXPECT_EQ(dialog.isVisible(), c.staysOpen);
        dialog.hide();
    }
}

TEST_F(HostOptionsEngineTest, ShowDialogCancelClosesThisDialogAndLaterOnes)
{
    int raised = 0;
    sextant->OnShowDialog = [&](TObject*, QWidget*, int, const QString&, std::u16string&, bool& Cancel) {
        ++raised;
        Cancel = true;
    };
    for (int i = 0; i < 2; ++i) {
        activate(form);
        QDialog dialog(control()->window());
        SetWindowClassName(&dialog, QString::fromLatin1(WC_DIALOG));
        dialog.show();
        activate(&dialog);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 3000));
        sextant->OnShowDialog = nullptr;
    }
    EXPECT_EQ(raised, 1);
    EXPECT_TRUE(sextant->DialogBoxes.DisableAll);
}

// The control's real dialogs (no scripted stand-in here) are standard dialogs
// over the control: they are inspected when they take activation, and
// DisableAll closes them so that the page's script goes on with the box's
// cancel answer. The application's own box over the form is left alone.
TEST_F(HostOptionsEngineTest, TheControlsOwnBoxesAreInterceptedAndTheApplicationsAreNot)
{
    ASSERT_TRUE(sextant->Go(url("/long"), 20000));
    const struct {
        const char* script;
        QVariant expected;
    } cases[] = {
        {"alert('hello'); 'after'", QStringLiteral("after")},
        {"confirm('sure?')", false},
        {"String(prompt('name?', 'given'))", QStringLiteral("null")},
    };
    QStringList captions;
    sextant->OnShowDialog = [&](TObject*, QWidget*, int, const QString& OldCaption, std::u16string&, bool& Cancel) {
        captions << OldCaption;
        Cancel = true;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        captions.clear();
        activate(form);
        EXPECT_EQ(RunScript(control()->page(), QString::fromLatin1(c.script)), c.expected);
        EXPECT_EQ(captions, QStringList{QStringLiteral("Message from webpage")});
    }

    captions.clear();
    activate(form);
    QString ownCaption;
    closeNextBox(&ownCaption);
    Dialogs().MessageBox(QStringLiteral("own"), QStringLiteral("Microsoft Internet Explorer"), MB_OK, form);
    EXPECT_TRUE(captions.isEmpty());
    EXPECT_EQ(ownCaption, QStringLiteral("Microsoft Internet Explorer"));
}

// Recaptioning reaches the control's real alert; its caption names no other
// browser, so it keeps its text.
TEST_F(HostOptionsEngineTest, AnAlertOfTheControlIsRecaptioned)
{
    ASSERT_TRUE(sextant->Go(url("/long"), 20000));
    sextant->DialogBoxes.NewCaption = u"ZarnWeb";
    int inspected = 0;
    sextant->OnShowDialog = [&](TObject*, QWidget*, int, const QString&, std::u16string&, bool&) { ++inspected; };
    QString shown;
    closeNextBox(&shown);
    activate(form);
    EXPECT_EQ(RunScript(control()->page(), QStringLiteral("alert('hello'); 'after'")), QStringLiteral("after"));
    EXPECT_EQ(inspected, 1);
    EXPECT_EQ(shown, QStringLiteral("Message from webpage"));
}

TEST_F(HostOptionsEngineTest, SuppressedScriptErrorsLetScriptsRunOnWithoutADialog)
{
    const struct {
        const char* name;
        bool suppressed;
        TScriptErrorAction actionAfterLoad;
        bool asked;
    } cases[] = {
        {"suppressed", true, eaContinue, false},
        {"not suppressed", false, eaAskUser, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialogs dialogs;
        dialogs.Answer(IDYES);
        QWidget window;
        window.resize(320, 240);
        TSextant browser(&window);
        browser.DisableErrors.ScriptErrorsSuppressed = c.suppressed;
        browser.ScriptErrorAction = eaAskUser;
        bool reported = false;
        browser.OnScriptError = [&](TObject*, const QString&, const QString&, const QString&, const QString&,
                                    const QString&, TScriptErrorAction&) { reported = true; };
        window.show();
        ASSERT_TRUE(browser.Go(url("/errors"), 20000));
        EXPECT_EQ(browser.ScriptErrorAction, c.actionAfterLoad);
        ASSERT_TRUE(QTest::qWaitFor([&] { return reported; }, 20000));
        QWebEnginePage* page = dynamic_cast<QtWebBrowser*>(browser.DefaultInterface())->page();
        if (c.asked) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.Calls().empty(); }, 20000));
            EXPECT_EQ(dialogs.Last().Caption, QStringLiteral("Script Error"));
        }
        const int ticks = RunScript(page, QStringLiteral("ticks")).toInt();
        EXPECT_TRUE(QTest::qWaitFor([&] { return RunScript(page, QStringLiteral("ticks")).toInt() > ticks; }, 20000));
        if (!c.asked) {
            EXPECT_TRUE(dialogs.Calls().empty());
        }
    }
}

TEST_F(HostOptionsEngineTest, WheelOverThePageTakesTheFocusAndReactivationGivesItBack)
{
    ASSERT_TRUE(sextant->Go(url("/long"), 20000));
    activate(form);
    edit->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([] { return edit->hasFocus(); }, 3000));
    QWidget* page = control()->view()->focusProxy();
    ASSERT_NE(page, nullptr);
    QWheelEvent wheel(QPointF(10, 10), page->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(page, &wheel);
    EXPECT_TRUE(QTest::qWaitFor([] { return sextant->Focused(); }, 3000));

    QWidget other;
    other.resize(100, 100);
    other.show();
    activate(&other);
    activate(form);
    EXPECT_TRUE(QTest::qWaitFor([] { return sextant->Focused(); }, 3000));
    EXPECT_FALSE(edit->hasFocus());
}

} // namespace
