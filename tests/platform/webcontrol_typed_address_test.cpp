// Addresses typed without a scheme: local paths become file: addresses,
// host names and IP addresses get http://, anything else is left for the
// page engine.
#include "platform/webcontrol/TypedAddress.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class TypedAddress : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        QDir(folder.path()).mkdir(QStringLiteral("sub"));
        for (const char* name : {"page.html", "example.com"})
            ASSERT_TRUE(QFile(folder.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly));
    }

    QString fileAddress(const QString& relative) const
    {
        return QUrl::fromLocalFile(folder.filePath(relative)).toString();
    }

    QTemporaryDir folder;
};

TEST_F(TypedAddress, HostsAndIpAddressesGetHttp)
{
    struct Case {
        const char* typed;
        const char* expected;
    };
    const Case cases[] = {
        {"127.0.0.1:8765/page", "http://127.0.0.1:8765/page"},
        {"example.org", "http://example.org"},
        {"www.example.org/x", "http://www.example.org/x"},
        {"  www.example.org/x?q=1#top \t", "http://www.example.org/x?q=1#top"},
        {"sub.example.org:8080", "http://sub.example.org:8080"},
        {"localhost", "http://localhost"},
        {"LocalHost:81/a", "http://localhost:81/a"},
        {"10.1.2.3", "http://10.1.2.3"},
        {"[::1]:8080/x", "http://[::1]:8080/x"},
        {"[fe80::1]", "http://[fe80::1]"},
        {"::1", "http://[::1]"},
        {"fe80::1/x", "http://[fe80::1]/x"},
        {"my-host.example.org/a b", "http://my-host.example.org/a%20b"},
        {"münchen.de", "http://xn--mnchen-3ya.de"},
        {"missing.html", "http://missing.html"},
    };
    // Compared as the page engine gets them, percent- and punycode-encoded.
    for (const Case& c : cases)
        EXPECT_EQ(FixUpAddress(QString::fromUtf8(c.typed), folder.path()).toEncoded(), c.expected) << c.typed;
}

TEST_F(TypedAddress, PathsBecomeFileAddresses)
{
    struct Case {
        QString typed;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("page.html"), fileAddress(QStringLiteral("page.html"))},
        {QStringLiteral("sub"), fileAddress(QStringLiteral("sub"))},
        {QStringLiteral("./sub/../page.html"), fileAddress(QStringLiteral("page.html"))},
        // An existing file wins over the host of the same name.
        {QStringLiteral("example.com"), fileAddress(QStringLiteral("example.com"))},
        {folder.filePath(QStringLiteral("page.html")), fileAddress(QStringLiteral("page.html"))},
        // An absolute path is a local address whether or not it exists.
        {QStringLiteral("/no/such/folder"), QStringLiteral("file:///no/such/folder")},
        {QStringLiteral("/"), QStringLiteral("file:///")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FixUpAddress(c.typed, folder.path()).toString(), c.expected) << c.typed.toStdString();
}

TEST_F(TypedAddress, EverythingElseIsLeftToTheEngine)
{
    const char* const unchanged[] = {
        "http://example.org/x", "file:///tmp", "file:////tmp", "about:blank", "mailto:someone@example.org",
        "javascript:void(0)", "view-source:http://example.org/",
        "myscheme:8080", // a single word before the colon is a scheme
        "word", "1.2.3", "~/page.html", "~", "dead:beef:cafe",
        ":/qt-project.org", // not one of Qt's resources
    };
    for (const char* typed : unchanged)
        EXPECT_EQ(FixUpAddress(QString::fromUtf8(typed), folder.path()), QUrl(QString::fromUtf8(typed))) << typed;
    EXPECT_EQ(FixUpAddress(QStringLiteral("HTTP://Example.org/A"), folder.path()).toString(),
        QStringLiteral("http://example.org/A"));
    EXPECT_TRUE(FixUpAddress(QStringLiteral(" \t "), folder.path()).isEmpty());
}

} // namespace
