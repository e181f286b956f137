// mailto: addresses: every reserved character of the subject and body is
// encoded, so the text cannot add recipients, headers or attachments; text
// beyond ASCII goes as UTF-8 and line breaks as %0D%0A.
#include "platform/mapi/MailTo.h"

#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

TEST(MailTo, EncodesSubjectAndBody)
{
    const struct {
        QString to, subject, body;
        const char* address;
    } cases[] = {
        {"", "Check it out please.", "plain text", "mailto:?subject=Check%20it%20out%20please.&body=plain%20text"},
        // What would add a recipient or an attachment stays in the body.
        {"", "s", "x&cc=evil@example.com&attach=~/.ssh/id_rsa",
            "mailto:?subject=s&body=x%26cc%3Devil%40example.com%26attach%3D~%2F.ssh%2Fid_rsa"},
        {"", "a?b#c", "100% + 1 = 101; \"q\" <t>",
            "mailto:?subject=a%3Fb%23c&body=100%25%20%2B%201%20%3D%20101%3B%20%22q%22%20%3Ct%3E"},
        {"", "", "caf\u00e9 \u65e5 \U0001F600", "mailto:?body=caf%C3%A9%20%E6%97%A5%20%F0%9F%98%80"},
        // Every kind of line break becomes CR LF.
        {"", "", "a\nb\r\nc\rd\u2029e", "mailto:?body=a%0D%0Ab%0D%0Ac%0D%0Ad%0D%0Ae"},
        {"me@example.org", "", "", "mailto:me@example.org"},
        {"a&b@example.org", "x", "", "mailto:a%26b@example.org?subject=x"},
    };
    for (const auto& c : cases) {
        const QString address = MailToAddress(c.to, c.subject, c.body);
        EXPECT_EQ(address.toStdString(), c.address);
        // A mail program reading it back gets exactly the texts given.
        const QUrl url = QUrl::fromEncoded(address.toLatin1(), QUrl::StrictMode);
        ASSERT_TRUE(url.isValid()) << c.address;
        EXPECT_EQ(url.toEncoded().toStdString(), c.address);
        const QUrlQuery query(url);
        EXPECT_EQ(
            query.queryItems(QUrl::FullyDecoded).size(), (c.subject.isEmpty() ? 0 : 1) + (c.body.isEmpty() ? 0 : 1))
            << c.address;
        if (!c.subject.isEmpty())
            EXPECT_EQ(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded), c.subject);
    }
}

} // namespace
