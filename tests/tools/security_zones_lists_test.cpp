// The user's trusted and restricted site lists: what is written, that a site
// added is found in its zone again, and the zone and security answers.
#include "tools/SecurityZones.h"

#include "platform/registry/Registry.h"

#include "ScriptedDialogs.h"
#include "TempHome.h"

#include <gtest/gtest.h>

namespace {

class SecurityZones : public ::testing::Test {
protected:
    QStringList listedSites()
    {
        TRegistry registry(HKEY_CURRENT_USER);
        return registry.OpenKeyReadOnly(ZoneMapDomainsKey) ? registry.GetKeyNames() : QStringList();
    }

    TempHome home;
    ScriptedDialogs dialogs;
};

TEST(ExtractDomain, KeepsTheLastTwoLabels)
{
    const struct {
        const char* text;
        const char* domain;
    } cases[] = {
        {"www.example.com", "example.com"},
        {"a.b.example.org", "example.org"},
        {"example.com", "example.com"},
        {"localhost", "localhost"},
        {"", ""},
        {".com", ".com"},
    };
    for (const auto& c : cases) {
        QString domain;
        ExtractDomain(c.text, domain);
        EXPECT_EQ(domain, c.domain) << c.text;
    }
    QString appended = "x:";
    ExtractDomain("www.example.com", appended);
    EXPECT_EQ(appended, "x:example.com");
}

TEST_F(SecurityZones, ARestrictedSiteIsReportedRestrictedWhenItsPageLoads)
{
    const struct {
        const char* added;
        const char* key;
        const char* page;
    } cases[] = {
        {"http://www.example.com/", "example.com", "http://www.example.com/news/today.html"},
        {"http://bad.test:8080/x", "bad.test", "https://bad.test/"},
        {"www.plain.test", "plain.test", "http://www.plain.test/"},
        {"http://127.0.0.1:4321/page.html", "127.0.0.1", "http://127.0.0.1:4321/other.html"},
    };
    for (const auto& c : cases) {
        AddToRestrictedZone(c.added);
        EXPECT_TRUE(listedSites().contains(c.key)) << c.added;
        EXPECT_TRUE(CheckIfInRestrictedZone(c.page, false)) << c.page;
        EXPECT_FALSE(CheckIfInTrustedZone(c.page, false)) << c.page;
        QString name, description;
        QIcon icon;
        ASSERT_TRUE(CheckSiteSecurityZone(c.page, name, description, icon)) << c.page;
        EXPECT_EQ(name, "Restricted sites") << c.page;
        EXPECT_FALSE(icon.isNull());
    }
    EXPECT_FALSE(CheckIfInRestrictedZone("http://www.example.org/", false));
    EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(SecurityZones, AnAddressWithoutAHostIsNotListed)
{
    for (const char* address : {"about:blank", "javascript:alert(1)", "http:x.test", "mailto:a@b.test",
             "file:///etc/passwd", "data:text/html,<b>x</b>", "http://", ""}) {
        AddToRestrictedZone(address);
        EXPECT_EQ(listedSites(), QStringList()) << address;
    }
    EXPECT_FALSE(CheckIfInRestrictedZone("http://about/", false));
    EXPECT_FALSE(CheckIfInRestrictedZone("http://b.test/", false));
    AddToRestrictedZone("site.test:8080/path");
    EXPECT_EQ(listedSites(), QStringList{"site.test"});
}

TEST_F(SecurityZones, OnlySecureSitesAreAddedToTheTrustedList)
{
    AddToTrustedZone("http://shop.test/");
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Last().Text,
        "Only sites with https:// prefix (secured sites) can be added to the trusted sites list zone!");
    EXPECT_EQ(dialogs.Last().Buttons, TMsgDlgButtons(mbOK));
    EXPECT_TRUE(listedSites().isEmpty());

    AddToTrustedZone("HTTPS://bank.test/");
    EXPECT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(listedSites(), QStringList{"HTTPS://bank.test/"});
    EXPECT_TRUE(CheckIfInTrustedZone("https://bank.test/account", false));
    EXPECT_TRUE(CheckIfInTrustedZone("bank.test", true));
    EXPECT_FALSE(CheckIfInTrustedZone("http://bank.test/", false));
    EXPECT_EQ(MapUrlToZone("https://bank.test/account"), URLZONE_TRUSTED);
}

TEST_F(SecurityZones, UnlistedSitesGetTheirZoneNames)
{
    const struct {
        const char* address;
        const char* name;
    } cases[] = {
        {"http://www.example.com/", "Internet"},
        {"http://localhost:8000/", "Local intranet"},
        {"file:///tmp/page.html", "My Computer"},
    };
    for (const auto& c : cases) {
        QString name, description;
        QIcon icon;
        ASSERT_TRUE(CheckSiteSecurityZone(c.address, name, description, icon)) << c.address;
        EXPECT_EQ(name, c.name);
        EXPECT_FALSE(description.isEmpty());
        EXPECT_FALSE(icon.isNull());
    }
}

TEST(SecurityLevel, AddressesWithoutTheSecurePrefixAreNotSecured)
{
    for (const char* address : {"http://example.com/", "HTTPS://example.com/", "ftp://https.test/"}) {
        QString type = "old", description = "old";
        EXPECT_FALSE(CheckSiteSecurityLevel(nullptr, address, type, description)) << address;
        EXPECT_EQ(type, "None");
        EXPECT_EQ(description, "The page is not secured.");
    }
    QString type = "old", description = "old";
    EXPECT_FALSE(CheckSiteSecurityLevel(nullptr, "https://example.com/", type, description));
    EXPECT_EQ(type, "old");
    EXPECT_EQ(description, "old");
}

} // namespace
