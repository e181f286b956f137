// Hive files: a hive that cannot be written refuses writes, and processes
// sharing the hives lose no write.
#include "platform/registry/Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Child mode: writes `count` values named <prefix><n> into HKEY_CURRENT_USER
// "Shared\Key", each its own write, then exits.
int runWriter(const QString& prefix, int count)
{
    TRegistry reg;
    if (!reg.OpenKey("\\Shared\\Key", true))
        return 2;
    for (int n = 0; n < count; ++n)
        reg.WriteInteger(prefix + QString::number(n), n);
    return 0;
}

QProcess* startWriter(const QString& home, const QString& prefix, int count)
{
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZARNWEB_HOME", home);
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(QCoreApplication::applicationFilePath(), {"--writer", prefix, QString::number(count)});
    return process;
}

void chmodPath(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

class HiveFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        qputenv("ZARNWEB_HOME", home.path().toUtf8());
    }
    void TearDown() override
    {
        ::chmod(QFile::encodeName(home.path()).constData(), 0700);
        ::chmod(QFile::encodeName(HiveFilePath(HKEY_LOCAL_MACHINE)).constData(), 0600);
    }
    QTemporaryDir home;
};

TEST_F(HiveFiles, ProcessesWritingAtOnceLoseNoWrite)
{
    // Both start on a profile without hives, so they also race to create it.
    const int count = 400;
    std::unique_ptr<QProcess> first(startWriter(home.path(), "a", count));
    std::unique_ptr<QProcess> second(startWriter(home.path(), "b", count));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Shared\\Key", true));
    for (int n = 0; n < count; ++n)
        reg.WriteInteger("c" + QString::number(n), n);
    for (auto* process : {first.get(), second.get()}) {
        ASSERT_TRUE(process->waitForFinished(60000));
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process->exitCode(), 0);
    }
    const QStringList names = reg.GetValueNames();
    EXPECT_EQ(names.size(), 3 * count);
    for (const char* prefix : {"a", "b", "c"})
        EXPECT_EQ(reg.ReadInteger(prefix + QString::number(count - 1)), count - 1) << prefix;
}

TEST_F(HiveFiles, ReadOnlyHiveFileIsReadButRefusesWrites)
{
    // Another process writes the hive; here it is first opened once read-only.
    std::unique_ptr<QProcess> writer(startWriter(home.path(), "v", 3));
    ASSERT_TRUE(writer->waitForFinished(60000));
    ASSERT_EQ(writer->exitCode(), 0);
    chmodPath(HiveFilePath(HKEY_CURRENT_USER), 0444);

    TRegistry reg;
    EXPECT_FALSE(HiveWritable(HKEY_CURRENT_USER));
    ASSERT_TRUE(reg.OpenKey("\\Shared\\Key", true)); // exists: opens for reading
    EXPECT_EQ(reg.ReadInteger("v2"), 2);
    EXPECT_THROW(reg.WriteInteger("v2", 5), ERegistryException);
    EXPECT_THROW(reg.WriteString("new", "x"), ERegistryException);
    EXPECT_THROW(reg.DeleteValue("v1"), ERegistryException);
    EXPECT_THROW(reg.DeleteKey("\\Shared"), ERegistryException);
    EXPECT_THROW(reg.MoveKey("\\Shared\\Key", "\\Moved", true), ERegistryException);
    EXPECT_FALSE(reg.OpenKey("\\Missing\\Key", true)); // may not be created
    EXPECT_FALSE(reg.DeleteValue("absent"));           // nothing to refuse
    EXPECT_EQ(reg.CurrentPath(), "Shared\\Key");
    EXPECT_EQ(reg.ReadInteger("v2"), 2);
    EXPECT_EQ(reg.GetValueNames(), (QStringList{"v0", "v1", "v2"}));

    // Writable again: writes go through without reopening anything.
    chmodPath(HiveFilePath(HKEY_CURRENT_USER), 0644);
    reg.WriteInteger("v2", 5);
    EXPECT_EQ(reg.ReadInteger("v2"), 5);
}

TEST_F(HiveFiles, HiveMadeReadOnlyWhileOpenRefusesFromThenOn)
{
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\App\\WebPages", true));
    reg.WriteString("LastVisitedPage", "http://a.example/");
    chmodPath(HiveFilePath(HKEY_LOCAL_MACHINE), 0400);
    EXPECT_THROW(reg.WriteString("LastVisitedPage", "http://b.example/"), ERegistryException);
    EXPECT_EQ(reg.ReadString("LastVisitedPage"), "http://a.example/");
    // Other hives are not affected.
    TRegistry user;
    ASSERT_TRUE(user.OpenKey("\\Fine", true));
    user.WriteString("x", "y");
}

TEST_F(HiveFiles, UnwritableFolderRefusesWritesAndCreatesNoHive)
{
    TRegistry user;
    ASSERT_TRUE(user.OpenKey("\\Before", true));
    chmodPath(home.path(), 0555);
    EXPECT_FALSE(HiveWritable(HKEY_CURRENT_USER));
    EXPECT_THROW(user.WriteString("x", "y"), ERegistryException);
    TRegistry classes(HKEY_CLASSES_ROOT); // no file yet, and none may be made
    EXPECT_FALSE(classes.OpenKey("\\htmlfile", true));
    EXPECT_FALSE(classes.KeyExists("\\htmlfile"));
    EXPECT_TRUE(classes.GetKeyNames().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(HiveFilePath(HKEY_CLASSES_ROOT)));
}

TEST_F(HiveFiles, DamagedHiveFileRaisesRegistryErrors)
{
    QFile damaged(HiveFilePath(HKEY_CLASSES_ROOT));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();
    TRegistry reg(HKEY_CLASSES_ROOT);
    EXPECT_THROW(reg.KeyExists("\\htmlfile"), ERegistryException);
    EXPECT_THROW(reg.OpenKey("\\htmlfile", true), ERegistryException);
    ASSERT_TRUE(QFile::remove(HiveFilePath(HKEY_CLASSES_ROOT)));
    EXPECT_TRUE(reg.OpenKey("\\htmlfile", true)); // a new file is made
}

TEST_F(HiveFiles, ProfileRemovedAndMadeAgainStartsEmpty)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Old", true));
    reg.WriteString("v", "old");
    ASSERT_TRUE(QDir(home.path()).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(home.path()));
    // The open database belonged to the removed file; the new one is empty.
    EXPECT_FALSE(reg.KeyExists("\\Old"));
    ASSERT_TRUE(reg.OpenKey("\\New", true));
    reg.WriteString("v", "new");
    EXPECT_TRUE(QFileInfo::exists(HiveFilePath(HKEY_CURRENT_USER)));
    EXPECT_EQ(reg.ReadString("v"), "new");
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--writer")
        return runWriter(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
