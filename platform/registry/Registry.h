#pragma once
// The registry: three hives (current user, local machine, classes root), each
// one SQLite database in the profile folder, holding a tree of keys with typed
// values. Key and value names compare without regard to case and keep the case
// they were first written with. Several processes may use the same hives at
// once; every write is its own transaction and is synced to disk before it
// returns. Reads never wait for another process's write; writes wait for
// each other.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <stdexcept>
#include <vector>

using HKEY = std::uint32_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

// Value types as they are stored.
constexpr int REG_NONE = 0;
constexpr int REG_SZ = 1;
constexpr int REG_EXPAND_SZ = 2;
constexpr int REG_BINARY = 3;
constexpr int REG_DWORD = 4;

// Raised on a missing value or a value of the wrong type when reading, on a
// write that the hive refuses (its file or folder is not writable, or the key
// was opened read-only) and on a database failure.
class ERegistryException : public std::runtime_error {
public:
    explicit ERegistryException(const QString& message);
};

// The database file of a hive in the current profile folder.
QString HiveFilePath(HKEY root);

// Whether the hive accepts writes: its file (or, while it does not exist yet,
// its folder) can be written and the hive is not left untouched (below). File
// mode bits decide even for root, so that a hive made read-only stays
// read-only whoever runs the program.
bool HiveWritable(HKEY root);

// A hive whose file is left untouched because its layout is not this
// program's: the file is not a SQLite database or is damaged, a table of the
// registry is missing or has other columns, or its schema version is another.
// Such a file is never written. The hive then reads as the defaults a fresh
// profile holds (an in-memory database seeded as a new hive is) and refuses
// writes as a read-only hive does, so settings changed meanwhile are not kept.
// A file that is replaced or removed is examined again at the hive's next use.
struct UntouchedHive {
    HKEY root;
    QString file; // the hive's database file
    QString reason; // what was found, as "it is not a SQLite database"
};

// The hives of the current profile that are left untouched, in the order
// current user, local machine, classes root; examines each hive's file. A
// hive whose file cannot be read at all is not listed (its every use raises
// ERegistryException).
std::vector<UntouchedHive> UntouchedHives();

// A cursor on one key of one hive. Paths are made of names joined by "\";
// a path starting with "\" is taken from the hive's root, any other path from
// the current key. Before any key is opened (and after CloseKey) the current
// key is the hive's root.
class TRegistry {
public:
    explicit TRegistry(HKEY rootKey = HKEY_CURRENT_USER);
    ~TRegistry();

    // Assigning another root closes the current key.
    HKEY RootKey = HKEY_CURRENT_USER;

    // Makes the key current. With canCreate a missing key is created together
    // with its missing parents; the result is False when the key is missing
    // and may not be created (or the hive is not writable).
    bool OpenKey(const QString& key, bool canCreate);
    // Makes an existing key current for reading only: writes through this key
    // raise ERegistryException.
    bool OpenKeyReadOnly(const QString& key);
    void CloseKey();
    // Path of the current key from the hive's root, without a leading "\".
    QString CurrentPath() const;

    bool KeyExists(const QString& key);
    bool ValueExists(const QString& name);

    // Values of the current key; the empty name is the key's default value.
    QString ReadString(const QString& name); // REG_SZ or REG_EXPAND_SZ
    void WriteString(const QString& name, const QString& value);
    int ReadInteger(const QString& name); // REG_DWORD
    void WriteInteger(const QString& name, int value);
    QByteArray ReadBinaryData(const QString& name); // REG_BINARY
    void WriteBinaryData(const QString& name, const QByteArray& value);
    // REG_NONE when the value does not exist.
    int GetDataType(const QString& name);

    // Sub-key names of the current key sorted without regard to case; value
    // names in the order the values were first written.
    QStringList GetKeyNames();
    QStringList GetValueNames();

    // Deletes the key with all its sub-keys and values. False when the key
    // does not exist (or is the hive's root); raises when the hive refuses.
    bool DeleteKey(const QString& key);
    // False when the value does not exist; raises when the hive refuses.
    bool DeleteValue(const QString& name);
    // Copies the key with its sub-keys and values to newName, then deletes
    // the old one when deleteOld is set. Nothing happens when oldName does
    // not exist or newName already exists.
    void MoveKey(const QString& oldName, const QString& newName, bool deleteOld);

private:
    QString path() const;
    bool readOnly() const;
    QString resolve(const QString& key) const;
    bool openKey(const QString& key, bool canCreate, bool forReading);
    void requireWritableKey(const QString& name) const;

    QString path_; // current key as written, from the root
    HKEY pathRoot_ = 0; // the root path_ belongs to
    bool readOnly_ = false; // the current key was opened with OpenKeyReadOnly
};
