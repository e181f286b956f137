// The version tests read the leading number of the registry's version
// texts; a missing or non-numeric value is 0 (or -1 for the major version)
// and never raises. The navigation sound moves between the scheme's keys.
#include "browserhost/SystemTools.h"
#include "platform/registry/Registry.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

const QString BrowserKey = QStringLiteral("Software\\Microsoft\\Internet Explorer");

class SystemToolsVersion : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(profile.isValid());
        qputenv("ZARNWEB_HOME", profile.path().toUtf8());
    }

    // Writes the value, or deletes it for nullopt.
    static void setBrowserValue(const QString& name, const std::optional<QString>& value)
    {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey(BrowserKey, true));
        if (value)
            reg.WriteString(name, *value);
        else
            reg.DeleteValue(name);
    }

    QTemporaryDir profile;
};

TEST_F(SystemToolsVersion, IsIE5OrLaterReadsTheLeadingNumber)
{
    const struct {
        std::optional<QString> version;
        bool expected;
    } cases[] = {
        {QStringLiteral("9.11.9600.0"), true},
        {QStringLiteral("10.0"), true},
        {QStringLiteral("11"), true},
        {QStringLiteral("5.0"), true},
        {QStringLiteral("4.72"), false},
        {QStringLiteral(""), false},
        {QStringLiteral("x.5"), false},
        {QStringLiteral(" 9"), false},
        {std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version.value_or(QStringLiteral("<missing>")).toStdString());
        setBrowserValue(QStringLiteral("Version"), c.version);
        EXPECT_EQ(IsIE5OrLater(), c.expected);
    }
}

TEST_F(SystemToolsVersion, IEMajorVersionIsTheNumberBeforeTheFirstDot)
{
    const struct {
        std::optional<QString> version;
        int expected;
    } cases[] = {
        {QStringLiteral("11.0.9600.0"), 11},
        {QStringLiteral("6.00.2900"), 6},
        {QStringLiteral("11"), -1},
        {QStringLiteral("a.1"), -1},
        {std::nullopt, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version.value_or(QStringLiteral("<missing>")).toStdString());
        setBrowserValue(QStringLiteral("svcVersion"), c.version);
        EXPECT_EQ(IEMajorVersion(), c.expected);
    }
}

TEST_F(SystemToolsVersion, NavigationSoundMovesBetweenCurrentAndOldCurrent)
{
    const QString navigating = QStringLiteral("AppEvents\\Schemes\\Apps\\Explorer\\Navigating");
    TRegistry reg(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(navigating + QStringLiteral("\\.Current"), true));
    reg.WriteString(QString(), QStringLiteral("click.wav"));
    reg.CloseKey();

    DisableNavigationSound(true);
    EXPECT_FALSE(reg.KeyExists(navigating + QStringLiteral("\\.Current")));
    ASSERT_TRUE(reg.OpenKey(navigating + QStringLiteral("\\Old_Current"), false));
    EXPECT_EQ(reg.ReadString(QString()), QStringLiteral("click.wav"));
    reg.CloseKey();

    DisableNavigationSound(false);
    EXPECT_TRUE(reg.KeyExists(navigating + QStringLiteral("\\.Current")));
    EXPECT_FALSE(reg.KeyExists(navigating + QStringLiteral("\\Old_Current")));
}

} // namespace
