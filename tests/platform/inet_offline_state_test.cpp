// The program's offline state lives in the current user's registry: a run
// starts in the state the last one left, and every change is written back.
#include "TempHome.h"
#include "platform/inet/ProcessProxy.h"
#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

namespace {

const QString InternetSettings = QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");

int storedOffline()
{
    TRegistry reg(HKEY_CURRENT_USER);
    return reg.OpenKeyReadOnly(InternetSettings) && reg.ValueExists(QStringLiteral("GlobalUserOffline"))
        ? reg.ReadInteger(QStringLiteral("GlobalUserOffline"))
        : -1;
}

// One test: the state is read once per run, before anything else asks for it.
TEST(OfflineState, StartsAsStoredAndStoresEveryChange)
{
    TempHome home;
    {
        TRegistry reg(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey(InternetSettings, true));
        reg.WriteInteger(QStringLiteral("GlobalUserOffline"), 1);
    }
    EXPECT_TRUE(ProcessOffline()) << "a run starts offline when the last one ended offline";

    SetProcessOffline(false);
    EXPECT_FALSE(ProcessOffline());
    EXPECT_EQ(storedOffline(), 0);
    SetProcessOffline(true);
    EXPECT_EQ(storedOffline(), 1);
}

} // namespace
