// The zone of an address: file, listed, intranet and internet addresses, and
// the zones' names and icons.
#include "platform/inet/ZoneManager.h"
#include "platform/registry/Registry.h"

#include "TempHome.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

namespace {

struct ListEntry {
    QString list; // ZoneMapDomainsKey or ZoneMapEscDomainsKey
    QString key; // below the list
    QString value;
    int zone;
};

class ZoneMap : public ::testing::Test {
protected:
    void add(const ListEntry& entry)
    {
        TRegistry registry(HKEY_CURRENT_USER);
        ASSERT_TRUE(registry.OpenKey(entry.list + QLatin1Char('\\') + entry.key, true));
        registry.WriteInteger(entry.value, entry.zone);
    }

    TempHome home;
};

TEST_F(ZoneMap, UnlistedAddressesMapByTheirSchemeAndHost)
{
    const struct {
        const char* url;
        int zone;
    } cases[] = {
        {"file:///home/user/page.html", URLZONE_LOCAL_MACHINE},
        {"FILE:///tmp/x.html", URLZONE_LOCAL_MACHINE},
        {"http://localhost/", URLZONE_INTRANET},
        {"http://127.0.0.1:8080/page", URLZONE_INTRANET},
        {"http://[::1]/", URLZONE_INTRANET},
        {"http://printer/status", URLZONE_INTRANET},
        {"http://www.example.com/", URLZONE_INTERNET},
        {"https://10.1.2.3/", URLZONE_INTERNET},
        {"about:blank", URLZONE_INTERNET},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MapUrlToZone(c.url), c.zone) << c.url;
}

TEST_F(ZoneMap, ListedSitesTakeTheirZoneForTheMatchingScheme)
{
    add({ZoneMapDomainsKey, "example.com\\www", "http", URLZONE_UNTRUSTED});
    add({ZoneMapDomainsKey, "bad.test", "*", URLZONE_UNTRUSTED});
    add({ZoneMapDomainsKey, "https://bank.test/login", "https", URLZONE_TRUSTED});
    add({ZoneMapEscDomainsKey, "escaped.test/", "http", URLZONE_TRUSTED});
    add({ZoneMapDomainsKey, "127.0.0.1", "*", URLZONE_UNTRUSTED});
    const struct {
        const char* url;
        int zone;
    } cases[] = {
        {"http://www.example.com/a", URLZONE_UNTRUSTED},
        {"https://www.example.com/a", URLZONE_INTERNET}, // listed for http only
        {"http://mail.example.com/", URLZONE_INTERNET},
        {"http://bad.test/", URLZONE_UNTRUSTED},
        {"https://deep.sub.bad.test:8443/", URLZONE_UNTRUSTED},
        {"http://notbad.test/", URLZONE_INTERNET},
        {"https://bank.test/other", URLZONE_TRUSTED},
        {"http://bank.test/", URLZONE_INTERNET},
        {"http://escaped.test/x", URLZONE_TRUSTED},
        {"http://127.0.0.1:4000/", URLZONE_UNTRUSTED},
        {"file:///bad.test/x", URLZONE_LOCAL_MACHINE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MapUrlToZone(c.url), c.zone) << c.url;
}

TEST_F(ZoneMap, EveryZoneHasANameADescriptionAndAShippedIcon)
{
    for (int zone = URLZONE_LOCAL_MACHINE; zone <= URLZONE_UNTRUSTED; ++zone) {
        const auto attributes = GetZoneAttributes(zone);
        ASSERT_TRUE(attributes) << zone;
        EXPECT_FALSE(attributes->DisplayName.isEmpty()) << zone;
        EXPECT_FALSE(attributes->Description.isEmpty()) << zone;
        const QIcon icon = LoadZoneIcon(attributes->IconPath);
        ASSERT_FALSE(icon.isNull()) << attributes->IconPath.toStdString();
        EXPECT_EQ(icon.availableSizes().value(0), QSize(16, 16));
    }
    EXPECT_EQ(GetZoneAttributes(URLZONE_INTERNET)->DisplayName, "Internet");
    EXPECT_FALSE(GetZoneAttributes(-1));
    EXPECT_FALSE(GetZoneAttributes(5));
}

TEST_F(ZoneMap, IconLocationsThatNameNothingGiveNoIcon)
{
    for (const char* location : {"", ":/zones", ":/zones#", ":/zones#9", ":/zones#x", ":/nowhere#1", "/etc/passwd#1"})
        EXPECT_TRUE(LoadZoneIcon(location).isNull()) << location;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
