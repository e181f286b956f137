// Keys, values, paths and names of the registry hives.
#include "platform/registry/Registry.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        qputenv("ZARNWEB_HOME", home.path().toUtf8());
    }
    QTemporaryDir home;
};

TEST_F(RegistryTest, RelativeAndAbsolutePathsResolveFromCurrentKeyOrRoot)
{
    TRegistry reg;
    EXPECT_EQ(reg.RootKey, HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey("Software\\Zarn", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Zarn");
    ASSERT_TRUE(reg.OpenKey("Sub\\Deeper", true)); // relative: below the current key
    EXPECT_EQ(reg.CurrentPath(), "Software\\Zarn\\Sub\\Deeper");
    ASSERT_TRUE(reg.OpenKey("\\Software", false)); // absolute: from the root
    EXPECT_EQ(reg.CurrentPath(), "Software");
    EXPECT_TRUE(reg.KeyExists("Zarn\\Sub"));
    EXPECT_TRUE(reg.KeyExists("\\Software\\Zarn\\Sub\\Deeper"));
    EXPECT_FALSE(reg.KeyExists("Sub"));
    EXPECT_FALSE(reg.OpenKey("Missing", false));
    EXPECT_EQ(reg.CurrentPath(), "Software"); // a failed open keeps the current key
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_TRUE(reg.KeyExists("Software\\Zarn"));
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheirFirstCase)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\MixedCase\\Child", true));
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\mixedcase", false));
    EXPECT_EQ(reg.GetKeyNames(), QStringList{"Child"});
    reg.WriteString("Start Page", "one");
    reg.WriteString("START PAGE", "two"); // same value, first spelling kept
    EXPECT_EQ(reg.GetValueNames(), QStringList{"Start Page"});
    EXPECT_EQ(reg.ReadString("start page"), "two");
    ASSERT_TRUE(reg.OpenKey("\\software\\MIXEDCASE\\child", true));
    TRegistry other;
    ASSERT_TRUE(other.OpenKey("\\Software", false));
    EXPECT_EQ(other.GetKeyNames(), QStringList{"MixedCase"});
}

TEST_F(RegistryTest, TypedValuesRoundTripAndWrongTypesRaise)
{
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("SOFTWARE\\App\\FormSize", true));
    reg.WriteInteger("Left", -12);
    reg.WriteString("Name", QString::fromUtf8("Zürich \xe2\x82\xac"));
    reg.WriteString("", "default");
    reg.WriteBinaryData("Blob", QByteArray("\0\1\2", 3));
    reg.WriteBinaryData("Empty", QByteArray());
    EXPECT_EQ(reg.ReadInteger("left"), -12);
    EXPECT_EQ(reg.ReadString("Name"), QString::fromUtf8("Zürich \xe2\x82\xac"));
    EXPECT_EQ(reg.ReadString(""), "default");
    EXPECT_EQ(reg.ReadBinaryData("Blob"), QByteArray("\0\1\2", 3));
    EXPECT_EQ(reg.ReadBinaryData("Empty"), QByteArray());
    EXPECT_EQ(reg.GetDataType("Left"), REG_DWORD);
    EXPECT_EQ(reg.GetDataType("Nothing"), REG_NONE);

    EXPECT_THROW(reg.ReadInteger("Name"), ERegistryException); // string as integer
    EXPECT_THROW(reg.ReadString("Left"), ERegistryException); // integer as string
    EXPECT_THROW(reg.ReadBinaryData("Name"), ERegistryException);
    EXPECT_THROW(reg.ReadString("Missing"), ERegistryException); // missing value
    EXPECT_THROW(reg.ReadInteger("Missing"), ERegistryException);

    reg.WriteString("Left", "now a string"); // a write replaces the type too
    EXPECT_EQ(reg.ReadString("Left"), "now a string");
    EXPECT_EQ(reg.GetValueNames(), (QStringList{"Left", "Name", "", "Blob", "Empty"}));
}

TEST_F(RegistryTest, HivesAreSeparate)
{
    TRegistry switching;
    ASSERT_TRUE(switching.OpenKey("\\Only\\InUser", true));
    switching.RootKey = HKEY_LOCAL_MACHINE; // another root closes the key
    EXPECT_EQ(switching.CurrentPath(), "");
    EXPECT_FALSE(switching.KeyExists("Only"));
    EXPECT_THROW(switching.ReadString("x"), ERegistryException);

    TRegistry user(HKEY_CURRENT_USER), machine(HKEY_LOCAL_MACHINE), classes(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(user.OpenKey("Shared", true));
    user.WriteString("Where", "user");
    EXPECT_FALSE(machine.KeyExists("Shared"));
    EXPECT_FALSE(classes.KeyExists("Shared"));
    EXPECT_TRUE(QFile::exists(HiveFilePath(HKEY_CURRENT_USER)));
    EXPECT_THROW(TRegistry(0x1234).KeyExists("x"), ERegistryException);
}

TEST_F(RegistryTest, KeyNamesSortedAndValueNamesInWritingOrder)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\List", true));
    for (const char* name : {"beta", "Alpha", "gamma"}) {
        reg.OpenKey(QString("\\List\\") + name, true);
    }
    reg.OpenKey("\\List", false);
    EXPECT_EQ(reg.GetKeyNames(), (QStringList{"Alpha", "beta", "gamma"}));
    for (const char* name : {"Zeta", "Alpha", "Mid"})
        reg.WriteString(name, name);
    reg.WriteString("zeta", "again"); // rewriting keeps the position
    EXPECT_EQ(reg.GetValueNames(), (QStringList{"Zeta", "Alpha", "Mid"}));
}

TEST_F(RegistryTest, DeleteKeyRemovesSubtreeButNotSiblingsWithSamePrefix)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Root\\Links\\Deep", true));
    reg.WriteString("v", "x");
    ASSERT_TRUE(reg.OpenKey("\\Root\\Links2", true)); // shares the text prefix
    reg.WriteString("keep", "y");
    ASSERT_TRUE(reg.OpenKey("\\Root\\Links-a", true));
    reg.OpenKey("\\Root", false);
    EXPECT_TRUE(reg.DeleteKey("LINKS"));
    EXPECT_FALSE(reg.KeyExists("Links"));
    EXPECT_FALSE(reg.KeyExists("Links\\Deep"));
    EXPECT_EQ(reg.GetKeyNames(), (QStringList{"Links-a", "Links2"}));
    EXPECT_FALSE(reg.DeleteKey("Links")); // already gone
    EXPECT_FALSE(reg.DeleteKey("\\")); // the root stays
    // Recreating the deleted key shows no leftovers of the old subtree.
    ASSERT_TRUE(reg.OpenKey("\\Root\\Links\\Deep", true));
    EXPECT_FALSE(reg.ValueExists("v"));
    reg.OpenKey("\\Root\\Links2", false);
    EXPECT_EQ(reg.ReadString("keep"), "y");
}

TEST_F(RegistryTest, DeleteValueTellsWhetherItExisted)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\K", true));
    reg.WriteString("Site", "http://a");
    EXPECT_TRUE(reg.DeleteValue("SITE"));
    EXPECT_FALSE(reg.ValueExists("Site"));
    EXPECT_FALSE(reg.DeleteValue("Site"));
}

TEST_F(RegistryTest, WritingToADeletedCurrentKeyRaises)
{
    TRegistry reg, other;
    ASSERT_TRUE(reg.OpenKey("\\Gone", true));
    ASSERT_TRUE(other.DeleteKey("\\Gone"));
    EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);
    EXPECT_FALSE(other.KeyExists("\\Gone"));
}

TEST_F(RegistryTest, MoveKeyCopiesSubtreeAndOptionallyDeletesTheOld)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\AppEvents\\Navigating\\.Current\\Sub", true));
    reg.WriteInteger("n", 7);
    reg.OpenKey("\\AppEvents\\Navigating\\.Current", false);
    reg.WriteString("", "sound.wav");
    reg.OpenKey("\\AppEvents\\Navigating", false);

    reg.MoveKey(".Current", "Old_Current", true);
    EXPECT_FALSE(reg.KeyExists(".Current"));
    ASSERT_TRUE(reg.OpenKey("Old_Current", false));
    EXPECT_EQ(reg.ReadString(""), "sound.wav");
    EXPECT_EQ(reg.GetKeyNames(), QStringList{"Sub"});
    ASSERT_TRUE(reg.OpenKey("Sub", false));
    EXPECT_EQ(reg.ReadInteger("N"), 7);

    reg.OpenKey("\\AppEvents\\Navigating", false);
    reg.MoveKey("Old_Current", "Copy\\Nested", false); // copy into new parents
    EXPECT_TRUE(reg.KeyExists("Old_Current\\Sub"));
    EXPECT_TRUE(reg.KeyExists("Copy\\Nested\\Sub"));
    EXPECT_EQ(reg.GetKeyNames(), (QStringList{"Copy", "Old_Current"}));

    // An existing target or a missing source changes nothing.
    reg.MoveKey("Old_Current", "Copy", true);
    EXPECT_TRUE(reg.KeyExists("Old_Current"));
    reg.MoveKey("Missing", "Elsewhere", true);
    EXPECT_FALSE(reg.KeyExists("Elsewhere"));
    EXPECT_THROW(reg.MoveKey("Old_Current", "Old_Current\\Inside", true), ERegistryException);
}

TEST_F(RegistryTest, KeyOpenedReadOnlyRefusesWrites)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\RO", true));
    reg.WriteString("a", "b");
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\RO"));
    EXPECT_EQ(reg.ReadString("a"), "b");
    EXPECT_THROW(reg.WriteString("a", "c"), ERegistryException);
    EXPECT_THROW(reg.DeleteValue("a"), ERegistryException);
    EXPECT_FALSE(reg.OpenKeyReadOnly("\\Missing"));
    ASSERT_TRUE(reg.OpenKey("\\RO", false));
    reg.WriteString("a", "c");
    EXPECT_EQ(reg.ReadString("a"), "c");
}

} // namespace
