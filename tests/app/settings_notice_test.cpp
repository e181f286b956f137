// The start-up notice naming settings files the registry left untouched.
#include "app/SettingsNotice.h"
#include "platform/registry/Profile.h"
#include "platform/registry/Registry.h"

#include "ScriptedDialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TEST(SettingsNotice, OneWarningNamesEveryUntouchedHiveFile)
{
    const struct {
        const char* name;
        std::vector<HKEY> damaged;
    } cases[] = {
        {"all hives in use", {}},
        {"current user not a database", {HKEY_CURRENT_USER}},
        {"two hives not databases", {HKEY_CURRENT_USER, HKEY_CLASSES_ROOT}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir profile;
        qputenv("ZARNWEB_HOME", profile.path().toUtf8());
        for (const HKEY root : c.damaged) {
            QFile file(HiveFilePath(root));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("not a settings database");
        }
        EnsureProfileDefaults();
        ScriptedDialogs dialogs;
        ReportUntouchedHives();

        if (c.damaged.empty()) {
            EXPECT_TRUE(dialogs.Calls().empty());
            continue;
        }
        ASSERT_EQ(dialogs.Calls().size(), 1u);
        const DialogCall& notice = dialogs.Last();
        EXPECT_EQ(notice.Kind, "MessageDlg");
        EXPECT_EQ(notice.Type, mtWarning);
        EXPECT_EQ(notice.Buttons, TMsgDlgButtons(mbOK));
        for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT}) {
            const bool damaged = std::find(c.damaged.begin(), c.damaged.end(), root) != c.damaged.end();
            EXPECT_EQ(notice.Text.contains(HiveFilePath(root)), damaged) << HiveFilePath(root).toStdString();
        }
        EXPECT_TRUE(notice.Text.contains("untouched"));
        EXPECT_TRUE(notice.Text.contains("default settings"));
    }
}

} // namespace
