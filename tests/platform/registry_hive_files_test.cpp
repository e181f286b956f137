// Hive files: a hive that cannot be written refuses writes, processes
// sharing the hives lose no write and read while another writes, a file of
// another layout is never written, and every acknowledged write is on disk.
#include "platform/registry/Profile.h"
#include "platform/registry/Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <iostream>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace {

// Child mode, a starting program: seeds the profile, then writes `count`
// values named <prefix><n> into HKEY_CURRENT_USER "Shared\Key", each its own
// write, then exits.
int runWriter(const QString& prefix, int count)
{
    EnsureProfileDefaults();
    TRegistry reg;
    if (!reg.OpenKey("\\Shared\\Key", true))
        return 2;
    for (int n = 0; n < count; ++n)
        reg.WriteInteger(prefix + QString::number(n), n);
    return 0;
}

// Child mode: runs `sql` on the database `file` (to open a transaction and
// write in it), prints "held" and keeps the transaction until its input
// ends, then rolls it back.
int runHolder(const QString& file, const QString& sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(file).constData(), &db) != SQLITE_OK
        || sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return 2;
    std::cout << "held" << std::endl;
    std::string rest;
    std::getline(std::cin, rest);
    const int rc = sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc == SQLITE_OK ? 0 : 3;
}

QProcess* startChild(const QString& home, const QStringList& arguments)
{
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZARNWEB_HOME", home);
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QCoreApplication::applicationFilePath(), arguments);
    return process;
}

QProcess* startWriter(const QString& home, const QString& prefix, int count)
{
    return startChild(home, {"--writer", prefix, QString::number(count)});
}

// A process holding an open write transaction on a hive file until release().
class WriteHolder {
public:
    WriteHolder(const QString& home, const QString& file, const QString& sql)
        : process_(startChild(home, {"--hold", file, sql}))
    {}
    // Whether the transaction is open (the child said so).
    bool held()
    {
        while (!process_->canReadLine())
            if (!process_->waitForReadyRead(60000))
                return false;
        return process_->readLine().trimmed() == "held";
    }
    // Rolls the transaction back; true when the child did so.
    bool release()
    {
        process_->closeWriteChannel();
        return process_->waitForFinished(60000) && process_->exitCode() == 0;
    }

private:
    std::unique_ptr<QProcess> process_;
};

// Writes a SQLite database made by `sql`.
void makeDatabase(const QString& file, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

QByteArray contents(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Counts the syncs SQLite asks of the file system, per file, by standing in
// front of the default file system. Installed once for the whole process,
// as connections keep their file system to the end.
class SyncCounter {
public:
    static int Syncs(const QString& file)
    {
        install();
        std::lock_guard lock(s_mutex);
        return s_syncs[QFile::encodeName(file).toStdString()];
    }

private:
    struct Opened {
        std::string name;
        const sqlite3_io_methods* methods; // the file system's own
    };

    static void install()
    {
        static std::once_flag once;
        std::call_once(once, [] {
            s_base = sqlite3_vfs_find(nullptr);
            s_vfs = *s_base;
            s_vfs.zName = "sync-counter";
            s_vfs.xOpen = openFile;
            sqlite3_vfs_register(&s_vfs, 1);
        });
    }
    // Each kind of file keeps its own methods, with the sync counted.
    static int openFile(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
    {
        const int rc = s_base->xOpen(s_base, name, file, flags, outFlags);
        if (rc != SQLITE_OK || !file->pMethods)
            return rc;
        std::lock_guard lock(s_mutex);
        auto [counted, added] = s_counted.try_emplace(file->pMethods, *file->pMethods);
        if (added)
            counted->second.xSync = sync;
        s_opened[file] = {name ? name : "", file->pMethods};
        file->pMethods = &counted->second;
        return rc;
    }
    static int sync(sqlite3_file* file, int flags)
    {
        const sqlite3_io_methods* methods = nullptr;
        {
            std::lock_guard lock(s_mutex);
            const Opened& opened = s_opened.at(file);
            ++s_syncs[opened.name];
            methods = opened.methods;
        }
        return methods->xSync(file, flags);
    }

    static inline sqlite3_vfs* s_base = nullptr;
    static inline sqlite3_vfs s_vfs{};
    static inline std::mutex s_mutex;
    static inline std::map<const sqlite3_io_methods*, sqlite3_io_methods> s_counted;
    static inline std::map<sqlite3_file*, Opened> s_opened;
    static inline std::map<std::string, int> s_syncs;
};

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
    EXPECT_FALSE(reg.DeleteValue("absent")); // nothing to refuse
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

TEST_F(HiveFiles, ReadsAnswerAtOnceWhileAnotherProcessWrites)
{
    // Written by another process, so that here the hive is first opened while
    // the holder below keeps its write transaction open.
    std::unique_ptr<QProcess> writer(startWriter(home.path(), "v", 3));
    ASSERT_TRUE(writer->waitForFinished(60000));
    ASSERT_EQ(writer->exitCode(), 0);
    for (const char* begin : {"BEGIN IMMEDIATE", "BEGIN EXCLUSIVE"}) {
        SCOPED_TRACE(begin);
        WriteHolder holder(home.path(), HiveFilePath(HKEY_CURRENT_USER),
            QString(begin) + "; DELETE FROM reg_values; DELETE FROM keys;");
        ASSERT_TRUE(holder.held());
        // A read that took the write lock would wait out the busy timeout
        // and raise.
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKeyReadOnly("\\Shared\\Key"));
        EXPECT_EQ(reg.ReadInteger("v2"), 2);
        EXPECT_EQ(reg.GetValueNames(), (QStringList{"v0", "v1", "v2"}));
        EXPECT_TRUE(HiveWritable(HKEY_CURRENT_USER));
        EXPECT_TRUE(UntouchedHives().empty());
        EnsureProfileDefaults(); // the writer seeded it: nothing to write
        EXPECT_TRUE(holder.release());
    }
}

// A program holding the file locked against readers is not waited for: the
// defaults answer and say so, writes are refused, and once the lock is gone
// the file is read again.
TEST_F(HiveFiles, FileLockedAgainstReadersAnswersFromMemoryUntilFree)
{
    std::unique_ptr<QProcess> writer(startWriter(home.path(), "v", 1));
    ASSERT_TRUE(writer->waitForFinished(60000));
    ASSERT_EQ(writer->exitCode(), 0);
    WriteHolder holder(home.path(), HiveFilePath(HKEY_CURRENT_USER),
        "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; DELETE FROM reg_values;");
    ASSERT_TRUE(holder.held());

    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\Shared\\Key"));
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Microsoft\\Internet Explorer\\Main"));
    EXPECT_EQ(reg.ReadString("Start Page"), StartPageUrl());
    const std::vector<UntouchedHive> untouched = UntouchedHives();
    ASSERT_EQ(untouched.size(), 1u);
    EXPECT_TRUE(untouched[0].reason.contains("locked")) << untouched[0].reason.toStdString();
    EXPECT_FALSE(HiveWritable(HKEY_CURRENT_USER));
    EnsureProfileDefaults();
    TRegistry writing;
    ASSERT_TRUE(writing.OpenKey("\\Software\\Microsoft\\Internet Explorer\\Main", true));
    EXPECT_THROW(writing.WriteString("Start Page", "http://changed.example/"), ERegistryException);

    EXPECT_TRUE(holder.release());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!TRegistry().KeyExists("\\Shared\\Key") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Shared\\Key"));
    EXPECT_EQ(reg.ReadInteger("v0"), 0);
    EXPECT_TRUE(UntouchedHives().empty());
}

TEST_F(HiveFiles, NewHiveHeldByAnotherProcessReadsEmptyAndIsWrittenAfterIt)
{
    // The other process made the file and is writing its first transaction.
    WriteHolder holder(home.path(), HiveFilePath(HKEY_CURRENT_USER),
        "PRAGMA journal_mode=WAL; BEGIN IMMEDIATE; CREATE TABLE pending(x);");
    ASSERT_TRUE(holder.held());
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\Shared"));
    EXPECT_TRUE(reg.GetKeyNames().isEmpty());
    EXPECT_TRUE(HiveWritable(HKEY_CURRENT_USER)) << "an empty hive is not of another layout";
    EXPECT_TRUE(UntouchedHives().empty());

    // This write waits for the holder, whichever ends first.
    std::thread write([] {
        TRegistry writer;
        EXPECT_TRUE(writer.OpenKey("\\Shared", true));
        writer.WriteString("after", "written");
    });
    EXPECT_TRUE(holder.release());
    write.join();
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Shared"));
    EXPECT_EQ(reg.ReadString("after"), "written");
}

// Tables as the first versions of the program stored them, before the
// schema version was stamped.
const char* const kStoredHive
    = "CREATE TABLE keys(path TEXT PRIMARY KEY, parent TEXT NOT NULL, name TEXT NOT NULL) WITHOUT ROWID;"
      "CREATE INDEX keys_parent ON keys(parent);"
      "CREATE TABLE reg_values(key TEXT NOT NULL, folded TEXT NOT NULL, name TEXT NOT NULL,"
      " type INTEGER NOT NULL, data BLOB, PRIMARY KEY(key, folded));"
      "CREATE TABLE marks(name TEXT PRIMARY KEY) WITHOUT ROWID;"
      "INSERT INTO keys VALUES('software', '', 'Software'),"
      " ('software\\microsoft', 'software', 'Microsoft'),"
      " ('software\\microsoft\\internet explorer', 'software\\microsoft', 'Internet Explorer'),"
      " ('software\\microsoft\\internet explorer\\main', 'software\\microsoft\\internet explorer', 'Main');"
      "INSERT INTO reg_values VALUES('software\\microsoft\\internet explorer\\main', 'start page', 'Start Page',"
      " 1, CAST('http://stored.example/' AS BLOB));"
      "INSERT INTO marks VALUES('defaults-1');";

TEST_F(HiveFiles, StoredHivesAreUsedAndOtherLayoutsLeftUntouched)
{
    const QString main = "\\Software\\Microsoft\\Internet Explorer\\Main";
    const struct {
        const char* name;
        QByteArray sql; // makes the file; empty: the file holds `bytes`
        QByteArray bytes;
        const char* reason; // nullptr: the file is used
        bool damaged = false; // the table list on the first page is overwritten
    } cases[] = {
        {"stored before the version stamp", kStoredHive, {}, nullptr},
        {"stored with the version stamp", QByteArray(kStoredHive) + "PRAGMA user_version=1;", {}, nullptr},
        {"empty file", {}, "", nullptr},
        {"not a database", {}, QByteArray(4096, 'x'), "not a SQLite database"},
        {"damaged", kStoredHive, {}, "damaged", true},
        {"another program's database", "CREATE TABLE settings(name, value); INSERT INTO settings VALUES(1, 2);", {},
            "table keys is missing"},
        {"a table missing", QByteArray(kStoredHive) + "DROP TABLE reg_values;", {}, "table reg_values is missing"},
        {"a table with other columns", QByteArray(kStoredHive) + "ALTER TABLE reg_values ADD COLUMN stamp;", {},
            "table reg_values has other columns"},
        {"a later schema version", QByteArray(kStoredHive) + "PRAGMA user_version=2;", {}, "schema version is 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir profile;
        qputenv("ZARNWEB_HOME", profile.path().toUtf8());
        const QString file = HiveFilePath(HKEY_CURRENT_USER);
        if (c.sql.isEmpty()) {
            QFile out(file);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(c.bytes);
        } else {
            makeDatabase(file, c.sql.constData());
        }
        if (c.damaged) {
            QFile damage(file);
            ASSERT_TRUE(damage.open(QIODevice::ReadWrite));
            damage.seek(100);
            damage.write(QByteArray(1000, 'x'));
        }
        const QByteArray before = contents(file);

        TRegistry reg;
        const std::vector<UntouchedHive> untouched = UntouchedHives();
        if (!c.reason) {
            EXPECT_TRUE(untouched.empty());
            EXPECT_TRUE(HiveWritable(HKEY_CURRENT_USER));
            ASSERT_TRUE(reg.OpenKey(main, true));
            if (c.sql.isEmpty()) // nothing stored yet
                EXPECT_FALSE(reg.ValueExists("Start Page"));
            else
                EXPECT_EQ(reg.ReadString("start page"), "http://stored.example/");
            reg.WriteString("Start Page", "http://changed.example/");
            EXPECT_EQ(reg.ReadString("Start Page"), "http://changed.example/");
            continue;
        }
        ASSERT_EQ(untouched.size(), 1u);
        EXPECT_EQ(untouched[0].root, HKEY_CURRENT_USER);
        EXPECT_EQ(untouched[0].file, file);
        EXPECT_TRUE(untouched[0].reason.contains(c.reason)) << untouched[0].reason.toStdString();
        // The defaults of a fresh profile answer; writes are refused.
        EXPECT_FALSE(HiveWritable(HKEY_CURRENT_USER));
        ASSERT_TRUE(reg.OpenKey(main, true));
        EXPECT_EQ(reg.ReadString("Start Page"), StartPageUrl());
        EXPECT_THROW(reg.WriteString("Start Page", "http://changed.example/"), ERegistryException);
        EXPECT_THROW(reg.DeleteValue("Start Page"), ERegistryException);
        EXPECT_FALSE(reg.OpenKey("\\New", true));
        EnsureProfileDefaults();
        EXPECT_EQ(reg.ReadString("Start Page"), StartPageUrl());
        EXPECT_EQ(contents(file), before) << "the file was written";

        // A file put aside is replaced by a new hive at the next use.
        ASSERT_TRUE(QFile::rename(file, file + ".bad"));
        EXPECT_TRUE(UntouchedHives().empty());
        ASSERT_TRUE(reg.OpenKey("\\New", true));
        reg.WriteString("v", "kept");
        EXPECT_EQ(reg.ReadString("v"), "kept");
    }
}

// Another program's database with the journal of a write it never finished
// beside it: looking at it must not play the journal back into the file.
TEST_F(HiveFiles, ForeignFileWithAJournalIsNotPlayedBack)
{
    const QString source = home.path() + "/source.db";
    makeDatabase(source, "CREATE TABLE settings(name, value); INSERT INTO settings VALUES('a', 1);");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(source).constData(), &db), SQLITE_OK);
    // A small cache makes the open transaction write into the file and its
    // journal; copies taken now are what a crash in the middle leaves.
    ASSERT_EQ(sqlite3_exec(db,
                  "PRAGMA cache_size=1; BEGIN;"
                  " WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)"
                  " INSERT INTO settings SELECT 'row' || i, randomblob(200) FROM n;",
                  nullptr, nullptr, nullptr),
        SQLITE_OK);
    const QString file = HiveFilePath(HKEY_CURRENT_USER);
    ASSERT_TRUE(QFile::exists(source + "-journal"));
    ASSERT_TRUE(QFile::copy(source, file));
    ASSERT_TRUE(QFile::copy(source + "-journal", file + "-journal"));
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const QByteArray before = contents(file);
    const QByteArray journal = contents(file + "-journal");

    TRegistry reg;
    const std::vector<UntouchedHive> untouched = UntouchedHives();
    ASSERT_EQ(untouched.size(), 1u);
    EXPECT_TRUE(untouched[0].reason.contains("journal")) << untouched[0].reason.toStdString();
    EnsureProfileDefaults();
    ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Internet Explorer\\Main", true));
    EXPECT_EQ(reg.ReadString("Start Page"), StartPageUrl());
    EXPECT_THROW(reg.WriteString("Start Page", "http://changed.example/"), ERegistryException);
    EXPECT_EQ(contents(file), before) << "the journal was played back";
    EXPECT_EQ(contents(file + "-journal"), journal);
}

TEST_F(HiveFiles, AcknowledgedWriteIsSyncedToDisk)
{
    const QString wal = HiveFilePath(HKEY_CURRENT_USER) + "-wal";
    const int before = SyncCounter::Syncs(wal);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Durable", true));
    for (int n = 1; n <= 3; ++n) {
        const int synced = SyncCounter::Syncs(wal);
        reg.WriteInteger("n", n);
        EXPECT_GT(SyncCounter::Syncs(wal), synced) << "write " << n;
    }
    EXPECT_GT(SyncCounter::Syncs(wal), before);
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--writer")
        return runWriter(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    if (argc == 4 && QByteArray(argv[1]) == "--hold")
        return runHolder(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
