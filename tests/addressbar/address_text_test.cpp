// What the address box reads out of a text: the folder-like form, the
// special folder names, the file type behind the icon and the site icon's
// address.
#include "addressbar/AddressText.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* text;
    const char* expected;
};

TEST(AddressText, NormalizeAddsASlashOnlyToFolderLikeAddresses)
{
    const TextCase cases[] = {
        {"http://example.com/dir", "http://example.com/dir/"},
        {"http://example.com/a/b", "http://example.com/a/b/"},
        {"/home/user", "/home/user/"},
        {"http://example.com", "http://example.com"}, // a bare host: its last "/" precedes the dot
        {"http://example.com/page.html", "http://example.com/page.html"},
        {"http://example.com/dir/", "http://example.com/dir/"},
        {"example", "example"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizeAddressText(QString::fromUtf8(c.text)).toStdString(), c.expected) << c.text;
}

TEST(AddressText, SpecialNamesCompareTrimmedWithoutCase)
{
    const struct {
        const char* text;
        int csidl;
    } cases[] = {
        {"my computer", 17},
        {"  My Computer \t", 17},
        {"DESKTOP", 0},
        {"desktop directory", 16},
        {"Favorites", 6},
        {"RECYCLE BIN", 10},
        {"printhood", 27},
        {"APPDATA", 26},
        {"APPLICATION DATA", NoSpecialFolder},
        {"my  computer", NoSpecialFolder},
        {"", NoSpecialFolder},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpecialFolderCsidl(QString::fromUtf8(c.text)), c.csidl) << c.text;
}

TEST(AddressText, ExtensionKeyNamesKnownDocumentTypesAndTakesTheRestForWebPages)
{
    const TextCase cases[] = {
        {"http://host/report.docx", ".docx"}, // contains ".doc"
        {"/tmp/Notes.TXT", ".txt"},
        {"photo.jpeg", ".jpeg"},
        {"archive.rar", ".rar"},
        {"http://host/index.php", "*.htm"},
        {"http://host/page.html", "*.htm"},
        {"http://example.com", "*.htm"},
        {"http://example.doc/path", "*.htm"}, // the dot is before the last "/"
        {"", "*.htm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtensionIconKey(QString::fromUtf8(c.text)).toStdString(), c.expected) << c.text;
}

TEST(AddressText, SiteIconComesFromTheRootOfTheHost)
{
    const struct {
        const char* text;
        const char* host;
        const char* icon;
    } cases[] = {
        {"http://example.com/a/b.html?q=1", "example.com", "http://example.com/favicon.ico"},
        {"http://example.com", "example.com", "http://example.com/favicon.ico"},
        {"HTTP://Example.COM:8080/x", "example.com:8080", "http://example.com:8080/favicon.ico"},
        {"https://secure.example/x", "secure.example", "https://secure.example/favicon.ico"},
        {"http://user:pw@example.com/", "example.com", "http://example.com/favicon.ico"},
        {"example.com/path", "example.com", "http://example.com/favicon.ico"},
        {"http://[::1]:81/", "[::1]:81", "http://[::1]:81/favicon.ico"},
        {"file:///tmp/a.html", "", ""},
        {"about:blank", "", ""},
        {"http://", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FaviconHost(QString::fromUtf8(c.text)).toStdString(), c.host) << c.text;
        EXPECT_EQ(FaviconAddress(QString::fromUtf8(c.text)).toStdString(), c.icon) << c.text;
    }
}

} // namespace
