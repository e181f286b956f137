// A user opens a secure page whose certificate is self-signed: the browser
// asks, showing the certificate; "Go back" (the default) keeps the page that
// was shown, "Continue" opens the page, marked as not secure, and the answer
// holds for the rest of the session.
#include "Journey.h"

#include "TlsFixtureServer.h"

#include <QLabel>

namespace {

TlsFixtureServer* tls = nullptr;

QString secureUrl(const std::string& path) { return QString::fromStdString(tls->url(path)); }

class Certificate : public Journey {
protected:
    static void SetUpTestSuite()
    {
        tls = new TlsFixtureServer;
        tls->server().Get("/.*", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content("<html><head><title>Self signed</title></head><body>signed by itself " + request.path
                    + "</body></html>",
                "text/html");
        });
        tls->start();
    }
    static void TearDownTestSuite()
    {
        delete tls;
        tls = nullptr;
    }
};

TEST_F(Certificate, TheUserDecidesAndContinueHoldsForTheSession)
{
    OpenWindow();
    TypeAddress(JourneyPages::Url("/before.html"));
    Press(Qt::Key_Return);
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/before.html"), "before"));

    SeenDialog asked = AnswerDialog("Go back", [&] {
        TypeAddress(secureUrl("/one.html"));
        Press(Qt::Key_Return);
    });
    ASSERT_TRUE(asked.Shown);
    EXPECT_TRUE(asked.Text.contains("127.0.0.1")) << asked.Text.toStdString();
    EXPECT_TRUE(asked.Text.contains("Issued to:")) << asked.Text.toStdString();
    EXPECT_TRUE(asked.Text.contains("Issued by:")) << asked.Text.toStdString();
    EXPECT_TRUE(asked.Buttons.contains("Continue")) << asked.Buttons.join(", ").toStdString();
    EXPECT_EQ(asked.DefaultButton, "Go back");
    EXPECT_TRUE(WaitForPage(JourneyPages::Url("/before.html")));
    EXPECT_EQ(ShownPageUrl(), JourneyPages::Url("/before.html"));

    asked = AnswerDialog("Continue", [&] {
        TypeAddress(secureUrl("/one.html"));
        Press(Qt::Key_Return);
    });
    ASSERT_TRUE(asked.Shown);
    EXPECT_TRUE(WaitForPage(secureUrl("/one.html"), "Self signed")) << AddressText().toStdString();
    EXPECT_TRUE(PageText().contains("signed by itself")) << PageText().toStdString();
    // Not secure: no SSL in the security panel, the unsecured picture shown.
    EXPECT_EQ(Window().lblSSL->text(), QString());
    EXPECT_TRUE(Window().lblLevel->text().contains("UnSecure")) << Window().lblLevel->text().toStdString();

    // The same site again in this session: no question.
    asked = AnswerDialog(
        "Go back",
        [&] {
            TypeAddress(secureUrl("/two.html"));
            Press(Qt::Key_Return);
            WaitForPage(secureUrl("/two.html"), "Self signed");
        },
        3000);
    EXPECT_FALSE(asked.Shown) << asked.Text.toStdString();
    EXPECT_EQ(ShownPageUrl(), secureUrl("/two.html"));
}

} // namespace
