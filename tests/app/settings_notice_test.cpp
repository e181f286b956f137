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

#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(SettingsNotice, OneWarningNamesEveryUntouchedHiveFile)
{
    enum class Put { Garbage, Folder, Fifo, Device };
    const struct {
        const char* name;
        std::vector<HKEY> damaged;
        Put put = Put::Garbage;
        const char* reason = "not a SQLite database";
    } cases[] = {
        {"all hives in use", {}},
        {"current user not a database", {HKEY_CURRENT_USER}},
        {"two hives not databases", {HKEY_CURRENT_USER, HKEY_CLASSES_ROOT}},
        {"a folder in place of the file", {HKEY_CURRENT_USER}, Put::Folder, "it is a folder, not a file"},
        {"a FIFO in place of the file", {HKEY_CURRENT_USER}, Put::Fifo, "it is a FIFO, not a file"},
        {"a device in place of the file", {HKEY_LOCAL_MACHINE}, Put::Device, "it is a device, not a file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir profile;
        qputenv("ZARNWEB_HOME", profile.path().toUtf8());
        for (const HKEY root : c.damaged) {
            const QByteArray path = QFile::encodeName(HiveFilePath(root));
            if (c.put == Put::Folder) {
                ASSERT_EQ(::mkdir(path.constData(), 0700), 0);
            } else if (c.put == Put::Fifo) {
                ASSERT_EQ(::mkfifo(path.constData(), 0600), 0);
            } else if (c.put == Put::Device) {
                ASSERT_EQ(::symlink("/dev/null", path.constData()), 0);
            } else {
                QFile file(HiveFilePath(root));
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write("not a settings database");
            }
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
        EXPECT_TRUE(notice.Text.contains(c.reason)) << notice.Text.toStdString();
        EXPECT_TRUE(notice.Text.contains("untouched"));
        EXPECT_TRUE(notice.Text.contains("default settings"));
    }
}

} // namespace
