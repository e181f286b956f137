// Window placement and last visited page in the local-machine hive.
#include "platform/registry/Registry.h"
#include "platform/ui/Application.h"
#include "tools/FormPlacement.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

namespace {
QString appKey(const QString& sub) { return "\\SOFTWARE\\" + ApplicationTitle() + "\\" + sub; }
QString placementKey() { return appKey("FormSize"); }

QString pagesKey() { return appKey("WebPages"); }

class FormPlacement : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(profile.isValid());
        qputenv("ZARNWEB_HOME", profile.path().toUtf8());
        SetApplicationMainForm(&form);
        form.setGeometry(100, 120, 640, 480);
    }
    void TearDown() override { SetApplicationMainForm(nullptr); }

    static void writeValues(const QString& key, const std::function<void(TRegistry&)>& write)
    {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey(key, true));
        write(reg);
    }

    // Makes the local-machine hive's file read-only (its file mode decides,
    // even for root).
    static void makeMachineHiveReadOnly()
    {
        writeValues("\\SOFTWARE\\Other", [](TRegistry& reg) { reg.WriteInteger("x", 1); });
        QFile::setPermissions(HiveFilePath(HKEY_LOCAL_MACHINE), QFile::ReadOwner | QFile::ReadOther);
        ASSERT_FALSE(HiveWritable(HKEY_LOCAL_MACHINE));
    }

    QTemporaryDir profile;
    QWidget form;
};

TEST_F(FormPlacement, SavedPlacementIsRestoredOnAnotherForm)
{
    SaveFormPlacement();
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly(placementKey()));
    EXPECT_EQ(reg.GetValueNames(), QStringList({"Top", "Left", "Width", "Height", "WindowState"}));
    EXPECT_EQ(reg.ReadInteger("WindowState"), 0);

    QWidget next;
    next.setGeometry(0, 0, 200, 100);
    SetApplicationMainForm(&next);
    RestoreFormPlacement();
    EXPECT_EQ(next.geometry(), QRect(100, 120, 640, 480));
}

TEST_F(FormPlacement, MaximisedFormIsStoredAsStateTwoAndMaximisedAgain)
{
    form.showMaximized();
    SaveFormPlacement();
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly(placementKey()));
    EXPECT_EQ(reg.ReadInteger("WindowState"), 2);
    EXPECT_EQ(reg.ReadInteger("Width"), 640) << "the size it returns to, not the maximised one";

    QWidget next;
    SetApplicationMainForm(&next);
    RestoreFormPlacement();
    EXPECT_TRUE(next.windowState() & Qt::WindowMaximized);
}

TEST_F(FormPlacement, RestoringStopsAtTheFirstMissingOrWrongValue)
{
    writeValues(placementKey(), [](TRegistry& reg) {
        reg.WriteInteger("Left", 30);
        reg.WriteInteger("Top", 40);
        reg.WriteString("Height", "tall");
        reg.WriteInteger("WindowState", 2);
    });
    RestoreFormPlacement();
    EXPECT_EQ(form.geometry(), QRect(30, 40, 640, 480));
    EXPECT_FALSE(form.windowState() & Qt::WindowMaximized);
}

TEST_F(FormPlacement, UnknownWindowStateLeavesTheState)
{
    writeValues(placementKey(), [](TRegistry& reg) {
        for (const char* name : {"Left", "Top", "Width", "Height"})
            reg.WriteInteger(name, 300);
        reg.WriteInteger("WindowState", 7);
    });
    form.setWindowState(Qt::WindowMaximized);
    RestoreFormPlacement();
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
}

TEST_F(FormPlacement, MissingKeyChangesNothing)
{
    RestoreFormPlacement();
    EXPECT_EQ(form.geometry(), QRect(100, 120, 640, 480));
}

TEST_F(FormPlacement, LastVisitedPageNeedsADot)
{
    struct Case {
        const char* stored; // nullptr: no value at all
        bool expected;
        const char* address;
    };
    const Case cases[] = {
        {nullptr, false, ""},
        {"about:blank", false, "about:blank"},
        {"", false, ""},
        {"http://127.0.0.1/page.html", true, "http://127.0.0.1/page.html"},
    };
    for (const Case& c : cases) {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        reg.DeleteKey(pagesKey());
        if (c.stored) {
            ASSERT_TRUE(SaveLastVisitedPage(nullptr, c.stored));
        }
        QString address = "stale";
        EXPECT_EQ(GetLastVisitedPage(address), c.expected) << c.address;
        EXPECT_EQ(address, c.address);
    }
}

TEST_F(FormPlacement, SavingTheLastPageRemovesASubKeyOfTheSameName)
{
    writeValues(pagesKey() + "\\LastVisitedPage", [](TRegistry&) {});
    EXPECT_TRUE(SaveLastVisitedPage(nullptr, "http://example.org/"));
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly(pagesKey()));
    EXPECT_TRUE(reg.GetKeyNames().isEmpty());
    EXPECT_EQ(reg.ReadString("LastVisitedPage"), "http://example.org/");
}

TEST_F(FormPlacement, ReadOnlyMachineHiveKeepsNothingAndRaisesNothing)
{
    makeMachineHiveReadOnly();
    EXPECT_NO_THROW(SaveFormPlacement());
    EXPECT_FALSE(SaveLastVisitedPage(nullptr, "http://example.org/"));

    QString address;
    EXPECT_FALSE(GetLastVisitedPage(address));
    form.setGeometry(1, 2, 300, 200);
    RestoreFormPlacement();
    EXPECT_EQ(form.geometry(), QRect(1, 2, 300, 200));
}

TEST_F(FormPlacement, ReadOnlyMachineHiveKeepsWhatWasStoredBefore)
{
    SaveFormPlacement();
    ASSERT_TRUE(SaveLastVisitedPage(nullptr, "http://example.org/first.html"));
    makeMachineHiveReadOnly();
    form.setGeometry(1, 2, 300, 200);
    EXPECT_NO_THROW(SaveFormPlacement());
    EXPECT_FALSE(SaveLastVisitedPage(nullptr, "http://example.org/second.html"));

    RestoreFormPlacement();
    EXPECT_EQ(form.geometry(), QRect(100, 120, 640, 480));
    QString address;
    EXPECT_TRUE(GetLastVisitedPage(address));
    EXPECT_EQ(address, "http://example.org/first.html");
}
} // namespace
