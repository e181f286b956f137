// Form automation on the real engine against loopback forms: finding and
// listing elements in one question to the page, the engine's element facts,
// files attached through the page's chooser with held keys (also when no
// chooser opens, from odd folders, with the focus elsewhere), a run that a
// navigation interrupts, a whole ad form filled and submitted, and a form
// of 10,000 elements.
#include "EngineTest.h"
#include "FixtureServer.h"
#include "browserhost/Sextant.h"
#include "platform/webcontrol/PageForms.h"
#include "platform/webengine/QtWebBrowser.h"
#include "tools/DocumentTools.h"
#include "tools/FormAutomation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>

namespace {

std::string page(const std::string& body)
{
    return "<html><head><meta charset=utf-8><title>Form</title></head><body>" + body + "</body></html>";
}

class FormAutomationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new FixtureServer;
        auto& s = server->server();
        const auto html = [&s](const char* path, std::string body) {
            s.Get(
                path, [body](const httplib::Request&, httplib::Response& res) { res.set_content(body, "text/html"); });
        };
        html("/edge",
            page("<form><input name=a><input type=radio name=company_ad value=1>"
                 "<input type=radio name=company_ad value=2><input type=file name=image></form>"));
        html("/none", page("<p>no form here</p><input name=a>"));
        html("/several",
            page("<form><input name=x value=one><input name=length value=shadow></form>"
                 "<form name=forms><button name=go>Go</button><select name=s><option>v</option></select>"
                 "<fieldset name=f></fieldset><input name=x value=two><input type=password name=pw value=secret>"
                 "<input value=''></form>"));
        html("/upload",
            page("<form method=post enctype=multipart/form-data action=/posted>"
                 "<input name=note><input type=file name=image>"
                 "<input type=file name=hidden style=display:none>"
                 "<button type=button onclick=\"this.form.hidden.click()\"></button></form>"));
        html("/slow-target", page("<p>elsewhere</p>"));
        html("/long",
            page("<div style=height:3000px></div><form><input name=note>"
                 "<input name=hidden style=display:none></form>"));
        s.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            res.set_content(page("<form><input name=region></form>"), "text/html");
        });
        std::string big = "<form>";
        for (int i = 0; i < 9999; ++i)
            big += "<input name=f" + std::to_string(i) + ">";
        big += "<input type=checkbox name=last></form>";
        html("/big", page(big));
        std::string ad = "<form method=post enctype=multipart/form-data action=/posted>"
                         "<input type=radio name=company_ad value=0><input type=radio name=company_ad value=1>";
        for (const auto& [name, value] : AdRecordFields()) {
            if (name == QLatin1String("body"))
                ad += "<textarea name=body></textarea>";
            else
                ad += "<input name=" + name.toStdString() + ">";
        }
        ad += "<input type=file name=image><input type=file name=image2><input type=file name=image3></form>";
        html("/ad", page(ad));
        s.Post("/posted", [](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard<std::mutex> lock(postedMutex);
            posted.clear();
            for (const auto& [name, part] : req.files)
                posted[name] = part.filename.empty() ? part.content : "file:" + part.filename + ":" + part.content;
            res.set_content(page("<p>thanks</p>"), "text/html");
        });
        server->start();
        form = new QWidget;
        form->resize(600, 400);
        browser = new TSextant(form);
        browser->setGeometry(0, 0, 600, 400);
        form->show();
        ASSERT_TRUE(SeedAdPictures());
    }
    static void TearDownTestSuite()
    {
        delete form;
        delete server;
    }

    static QString Url(const char* path) { return QString::fromStdString(server->url(path)); }
    static void Load(const char* path) { ASSERT_TRUE(browser->Go(Url(path), 20000)) << path; }
    static QWebEnginePage* Page() { return dynamic_cast<QtWebBrowser*>(browser->DefaultInterface())->page(); }
    static QVariant Script(const QString& script) { return RunScript(Page(), script); }

    static inline FixtureServer* server = nullptr;
    static inline QWidget* form = nullptr;
    static inline TSextant* browser = nullptr;
    static inline std::mutex postedMutex;
    static inline std::map<std::string, std::string> posted;
};

TEST_F(FormAutomationTest, FindFormElementCountsOccurrencesAcrossForms)
{
    struct Case {
        const char* path;
        const char* type;
        const char* name;
        int occurrence;
        bool found;
        int form, element;
    };
    const Case cases[] = {
        {"/edge", "radio", "company_ad", 2, true, 0, 2},
        {"/edge", "radio", "company_ad", 1, true, 0, 1},
        {"/edge", "radio", "company_ad", 0, true, 0, 1},
        {"/edge", "radio", "company_ad", -5, true, 0, 1},
        {"/edge", "radio", "company_ad", 3, false, 7, 7},
        {"/edge", "file", "image", 1, true, 0, 3},
        {"/edge", "text", "image", 1, false, 7, 7}, // the name alone is not enough
        {"/none", "text", "a", 1, false, 7, 7}, // a field outside any form
        {"/several", "text", "x", 1, true, 0, 0},
        {"/several", "text", "x", 2, true, 1, 3},
        {"/several", "text", "length", 1, true, 0, 1}, // a field named "length" hides nothing
        {"/several", "submit", "go", 1, true, 1, 0}, // a BUTTON without a type submits
        {"/several", "select-one", "s", 1, true, 1, 1},
        {"/several", "fieldset", "f", 1, true, 1, 2},
        {"/several", "text", "", 1, true, 1, 5},
    };
    for (const Case& c : cases) {
        Load(c.path);
        TFormElementPos pos{7, 7};
        EXPECT_EQ(
            FindFormElement(*browser, QString::fromLatin1(c.type), QString::fromLatin1(c.name), pos, c.occurrence),
            c.found)
            << c.path << " " << c.type << " " << c.name << " " << c.occurrence;
        EXPECT_EQ(pos.FormIndex, c.form) << c.path << " " << c.name << " " << c.occurrence;
        EXPECT_EQ(pos.ElementIndex, c.element) << c.path << " " << c.name << " " << c.occurrence;
    }
}

TEST_F(FormAutomationTest, ListingShowsEveryElementOfEveryFormWithPasswordsMasked)
{
    Load("/several");
    EXPECT_EQ(ListFormElements(*browser),
        (QStringList{"x - text - one", "length - text - shadow", "go - submit - ", "s - select-one - v",
            "f - fieldset - ", "x - text - two", QStringLiteral("pw - password - ") + kMaskedPassword, " - text - "}));
    Load("/none");
    EXPECT_TRUE(ListFormElements(*browser).isEmpty());
}

TEST_F(FormAutomationTest, ATenThousandElementFormIsSearchedAndListedWhole)
{
    Load("/big");
    TFormElementPos pos;
    ASSERT_TRUE(FindFormElement(*browser, QStringLiteral("checkbox"), QStringLiteral("last"), pos, 1));
    EXPECT_EQ(pos.ElementIndex, 9999);
    const QStringList lines = ListFormElements(*browser);
    ASSERT_EQ(lines.size(), 10000);
    EXPECT_EQ(lines.last(), QStringLiteral("last - checkbox - on"));
}

TEST_F(FormAutomationTest, PathsBecomeKeysThatTypeThemLiterally)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/tmp/a.jpg", "/tmp/a.jpg~"},
        {"/x/a+b^c%d~e", "/x/a{+}b{^}c{%}d{~}e~"},
        {"/x/(1) {2}", "/x/{(}1{)} {{}2{}}~"},
        {"/x/[y]", "/x/[y]~"},
    };
    for (const auto& [path, keys] : cases)
        EXPECT_EQ(KeysForPath(QString::fromLatin1(path)), QString::fromLatin1(keys)) << path;
    for (const QString& refused :
        {QStringLiteral("/x/é.jpg"), QStringLiteral("/x/a\tb"), QStringLiteral("/x/\n"), QString()})
        EXPECT_FALSE(KeysForPath(refused).has_value()) << refused.toStdString();
}

TEST_F(FormAutomationTest, AFileGoesIntoTheChooserTheClickOpenedWhateverTheFolderName)
{
    QTemporaryDir dir;
    const QString odd = dir.filePath(QStringLiteral("a+b (c) {d} ~%^"));
    ASSERT_TRUE(QDir().mkpath(odd));
    const QString picture = odd + QStringLiteral("/V0048210-01.jpg");
    ASSERT_TRUE(QFile::copy(AdPicturePaths()[0], picture));

    Load("/upload");
    // The focus sits in a field of the page: no key may land there.
    Script(QStringLiteral("document.querySelector('[name=note]').focus()"));
    TFormElementPos pos;
    ASSERT_TRUE(FindFormElement(*browser, QStringLiteral("file"), QStringLiteral("image"), pos, 1));
    EXPECT_EQ(AttachFile(*browser, pos, picture), TAttachResult::Attached);
    EXPECT_EQ(Script(QStringLiteral("document.querySelector('[name=image]').value")).toString(),
        QStringLiteral("C:\\fakepath\\V0048210-01.jpg"));
    EXPECT_EQ(Script(QStringLiteral("document.querySelector('[name=note]').value")).toString(), QString());

    // A button whose script opens a hidden file field opens a chooser too.
    ASSERT_TRUE(FindFormElement(*browser, QStringLiteral("button"), QString(), pos, 1));
    EXPECT_EQ(AttachFile(*browser, pos, AdPicturePaths()[1]), TAttachResult::Attached);
    EXPECT_EQ(Script(QStringLiteral("document.querySelector('[name=hidden]').value")).toString(),
        QStringLiteral("C:\\fakepath\\V0048210-02.jpg"));
}

TEST_F(FormAutomationTest, APressIsATrustedClickAndAScriptClickIsNot)
{
    Load("/long");
    Script(QStringLiteral("window.trusted = []; document.querySelector('[name=note]')"
                          ".addEventListener('click', e => window.trusted.push(e.isTrusted))"));
    auto* forms = dynamic_cast<IPageForms*>(browser->Document());
    ASSERT_TRUE(forms);
    ChooserOutcome outcome = ChooserOutcome::Chosen;
    // The field sits below the fold: the press scrolls it into view first.
    EXPECT_EQ(forms->PressFormElement(0, 0, nullptr, 0, outcome), S_OK);
    EXPECT_EQ(outcome, ChooserOutcome::NotWaited);
    EXPECT_EQ(forms->ClickFormElement(0, 0), S_OK);
    EXPECT_EQ(Script(QStringLiteral("window.trusted.join(',')")).toString(), QStringLiteral("true,false"));
    EXPECT_EQ(forms->PressFormElement(0, 1, nullptr, 0, outcome), S_FALSE); // hidden: no box to press
    EXPECT_EQ(forms->ClickFormElement(3, 0), S_FALSE);
}

TEST_F(FormAutomationTest, KeysAreDiscardedWhenNoChooserOpensAndRefusedPathsClickNothing)
{
    Load("/upload");
    Script(QStringLiteral("window.clicks = 0; document.addEventListener('click', () => window.clicks++)"));
    TFormElementPos pos;
    ASSERT_TRUE(FindFormElement(*browser, QStringLiteral("text"), QStringLiteral("note"), pos, 1));
    EXPECT_EQ(AttachFile(*browser, pos, AdPicturePaths()[0]), TAttachResult::NoChooser);
    // The click focused the field; the path and Enter never reached it.
    EXPECT_EQ(Script(QStringLiteral("document.querySelector('[name=note]').value")).toString(), QString());
    EXPECT_EQ(browser->LocationURL(), Url("/upload").toStdU16String());
    EXPECT_EQ(Script(QStringLiteral("window.clicks")).toInt(), 1);

    ASSERT_TRUE(FindFormElement(*browser, QStringLiteral("file"), QStringLiteral("image"), pos, 1));
    EXPECT_EQ(AttachFile(*browser, pos, QStringLiteral("/tmp/é/V0048210-01.jpg")), TAttachResult::Untypable);
    EXPECT_EQ(AttachFile(*browser, pos, QStringLiteral("/nowhere/V0048210-01.jpg")), TAttachResult::Missing);
    EXPECT_EQ(Script(QStringLiteral("window.clicks")).toInt(), 1);
    EXPECT_EQ(Script(QStringLiteral("document.querySelector('[name=image]').value")).toString(), QString());
}

TEST_F(FormAutomationTest, ANavigationDuringTheWaitEndsTheRunUnfilled)
{
    Load("/edge");
    TFormRun run(*browser);
    QTimer::singleShot(300, [] { browser->Go(Url("/slow-target")); });
    EXPECT_FALSE(run.Open(Url("/slow")));
    EXPECT_FALSE(run.Error().isEmpty());
    browser->Wait(20000);
    EXPECT_FALSE(FillFields(run, {{QStringLiteral("region"), QStringLiteral("12")}}).contains("region"));
    EXPECT_FALSE(run.StillOnPage());

    TFormRun stopped(*browser);
    QTimer::singleShot(300, [] { browser->Stop(); });
    EXPECT_FALSE(stopped.Open(Url("/slow")));
    EXPECT_TRUE(stopped.Error().startsWith(QLatin1String("Stopped"))) << stopped.Error().toStdString();
}

TEST_F(FormAutomationTest, TheAdRecordAndThreePicturesReachTheServer)
{
    TFormRun run(*browser);
    ASSERT_TRUE(run.Open(Url("/ad"))) << run.Error().toStdString();
    bool completed = false;
    EXPECT_TRUE(FillFields(run, AdRecordFields(), &completed).isEmpty());
    EXPECT_TRUE(completed);
    const char* fileFields[] = {"image", "image2", "image3"};
    for (int i = 0; i < 3; ++i) {
        TFormElementPos pos;
        ASSERT_TRUE(FindFormElement(*browser, QStringLiteral("file"), QString::fromLatin1(fileFields[i]), pos, 1));
        EXPECT_EQ(AttachFile(*browser, pos, AdPicturePaths()[i]), TAttachResult::Attached) << i;
    }
    Script(QStringLiteral("document.forms[0].submit()"));
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return browser->LocationURL() == Url("/posted").toStdU16String() && !browser->Busy(); }, 20000));
    std::lock_guard<std::mutex> lock(postedMutex);
    for (const auto& [name, value] : AdRecordFields()) {
        // The form's text goes with CR LF line ends, as the record has them.
        EXPECT_EQ(posted[name.toStdString()], value.toStdString()) << name.toStdString();
    }
    for (int i = 0; i < 3; ++i) {
        QFile picture(AdPicturePaths()[i]);
        ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
        EXPECT_EQ(posted[fileFields[i]],
            "file:" + QFileInfo(picture).fileName().toStdString() + ":" + picture.readAll().toStdString())
            << fileFields[i];
    }
}

} // namespace
