#include "platform/registry/Registry.h"

#include "platform/registry/HiveStore.h"
#include "platform/registry/Profile.h"

#include <algorithm>
#include <cstring>
#include <mutex>

using registry_detail::createKey;
using registry_detail::foldPath;
using registry_detail::Hive;
using registry_detail::HiveUse;
using registry_detail::putValue;
using registry_detail::Query;

ERegistryException::ERegistryException(const QString& message) : std::runtime_error(message.toStdString()) {}

namespace {
const QChar kSeparator = QLatin1Char('\\');
}

namespace registry_detail {

void createKey(Hive& hive, const QString& path)
{
    QString written;
    for (const QString& name : path.split(kSeparator, Qt::SkipEmptyParts)) {
        const QString parent = foldPath(written);
        written = written.isEmpty() ? name : written + kSeparator + name;
        Query(hive, "INSERT OR IGNORE INTO keys(path, parent, name) VALUES(?1, ?2, ?3)")
            .bind(1, foldPath(written))
            .bind(2, parent)
            .bind(3, name)
            .run();
    }
}

void putValue(
    Hive& hive, const QString& keyPath, const QString& name, int type, const QByteArray& data, Existing existing)
{
    Query(hive,
        existing == Existing::Keep
            ? "INSERT INTO reg_values(key, folded, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
              " ON CONFLICT(key, folded) DO NOTHING"
            : "INSERT INTO reg_values(key, folded, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
              " ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data")
        .bind(1, foldPath(keyPath))
        .bind(2, foldPath(name))
        .bind(3, name)
        .bind(4, qint64(type))
        .bindBlob(5, data)
        .run();
}

} // namespace registry_detail

namespace {

// Names joined by "\", empty names (doubled or trailing separators) dropped.
QString normalize(const QString& path) { return path.split(kSeparator, Qt::SkipEmptyParts).join(kSeparator); }

QString parentOf(const QString& path)
{
    const qsizetype cut = path.lastIndexOf(kSeparator);
    return cut < 0 ? QString() : path.left(cut);
}

QString lastName(const QString& path) { return path.mid(path.lastIndexOf(kSeparator) + 1); }

bool keyExists(Hive& hive, const QString& folded)
{
    if (folded.isEmpty())
        return true;
    Query q(hive, "SELECT 1 FROM keys WHERE path = ?1");
    return q.bind(1, folded).next();
}

struct StoredValue {
    int type = REG_NONE;
    QByteArray data;
};

StoredValue readValue(HKEY root, const QString& keyPath, const QString& name)
{
    HiveUse held(root);
    Hive& hive = *held;
    StoredValue value;
    if (!hive.readable())
        return value;
    Query q(hive, "SELECT type, data FROM reg_values WHERE key = ?1 AND folded = ?2");
    if (q.bind(1, foldPath(keyPath)).bind(2, foldPath(name)).next()) {
        value.type = int(q.integer(0));
        value.data = q.blob(1);
    }
    return value;
}

StoredValue readTyped(HKEY root, const QString& keyPath, const QString& name, std::initializer_list<int> types)
{
    StoredValue value = readValue(root, keyPath, name);
    if (value.type == REG_NONE)
        throw ERegistryException(QStringLiteral("Failed to get data for '%1'").arg(name));
    if (std::find(types.begin(), types.end(), value.type) == types.end())
        throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(name));
    return value;
}

// Delete a key's rows and those of every key below it. Paths below "p" are
// exactly those between "p\" and "p]" in byte order.
const char* const kDeleteKeys = "DELETE FROM keys WHERE path = ?1 OR (path > ?1 || '\\' AND path < ?1 || ']')";
const char* const kDeleteValues = "DELETE FROM reg_values WHERE key = ?1 OR (key > ?1 || '\\' AND key < ?1 || ']')";

} // namespace

TRegistry::TRegistry(HKEY rootKey) : RootKey(rootKey) {}

TRegistry::~TRegistry() = default;

QString TRegistry::resolve(const QString& key) const
{
    if (key.startsWith(kSeparator) || path().isEmpty())
        return normalize(key);
    return normalize(path() + kSeparator + key);
}

// Changing RootKey closes the current key, as it belongs to the other hive.
QString TRegistry::path() const { return RootKey == pathRoot_ ? path_ : QString(); }

bool TRegistry::readOnly() const { return RootKey == pathRoot_ && readOnly_; }

bool TRegistry::openKey(const QString& key, bool canCreate, bool forReading)
{
    const QString target = resolve(key);
    HiveUse held(RootKey);
    Hive& hive = *held;
    if (!(hive.readable() && keyExists(hive, foldPath(target)))) {
        if (!canCreate || !hive.writable())
            return false;
        hive.write([&] { createKey(hive, target); });
    }
    path_ = target;
    pathRoot_ = RootKey;
    readOnly_ = forReading;
    return true;
}

bool TRegistry::OpenKey(const QString& key, bool canCreate) { return openKey(key, canCreate, false); }

bool TRegistry::OpenKeyReadOnly(const QString& key) { return openKey(key, false, true); }

void TRegistry::CloseKey()
{
    path_.clear();
    readOnly_ = false;
}

QString TRegistry::CurrentPath() const { return path(); }

bool TRegistry::KeyExists(const QString& key)
{
    HiveUse held(RootKey);
    Hive& hive = *held;
    return hive.readable() && keyExists(hive, foldPath(resolve(key)));
}

bool TRegistry::ValueExists(const QString& name) { return readValue(RootKey, path(), name).type != REG_NONE; }

int TRegistry::GetDataType(const QString& name) { return readValue(RootKey, path(), name).type; }

void TRegistry::requireWritableKey(const QString& name) const
{
    if (readOnly())
        throw ERegistryException(
            QStringLiteral("Failed to set data for '%1': the key is open for reading only").arg(name));
}

namespace {

void writeValue(HKEY root, const QString& keyPath, const QString& name, int type, const QByteArray& data)
{
    HiveUse held(root);
    Hive& hive = *held;
    hive.write([&] {
        if (!keyExists(hive, foldPath(keyPath)))
            throw ERegistryException(
                QStringLiteral("Failed to set data for '%1': the key %2 does not exist").arg(name, keyPath));
        putValue(hive, keyPath, name, type, data, registry_detail::Existing::Replace);
    });
}

} // namespace

QString TRegistry::ReadString(const QString& name)
{
    return ProfileAbsolute(QString::fromUtf8(readTyped(RootKey, path(), name, {REG_SZ, REG_EXPAND_SZ}).data));
}

void TRegistry::WriteString(const QString& name, const QString& value)
{
    requireWritableKey(name);
    writeValue(RootKey, path(), name, REG_SZ, ProfileRelative(value).toUtf8());
}

int TRegistry::ReadInteger(const QString& name)
{
    const QByteArray data = readTyped(RootKey, path(), name, {REG_DWORD}).data;
    if (data.size() != sizeof(std::int32_t))
        throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(name));
    std::int32_t value = 0;
    std::memcpy(&value, data.constData(), sizeof value);
    return value;
}

void TRegistry::WriteInteger(const QString& name, int value)
{
    requireWritableKey(name);
    const std::int32_t dword = value;
    writeValue(RootKey, path(), name, REG_DWORD, QByteArray(reinterpret_cast<const char*>(&dword), sizeof dword));
}

QByteArray TRegistry::ReadBinaryData(const QString& name)
{
    return readTyped(RootKey, path(), name, {REG_BINARY}).data;
}

void TRegistry::WriteBinaryData(const QString& name, const QByteArray& value)
{
    requireWritableKey(name);
    writeValue(RootKey, path(), name, REG_BINARY, value);
}

namespace {
// The names a one-parameter query lists for a key; none from an unreadable hive.
QStringList namesUnder(HKEY root, const char* sql, const QString& keyPath)
{
    HiveUse held(root);
    Hive& hive = *held;
    QStringList names;
    if (!hive.readable())
        return names;
    Query q(hive, sql);
    q.bind(1, foldPath(keyPath));
    while (q.next())
        names << q.text(0);
    return names;
}
} // namespace

QStringList TRegistry::GetKeyNames()
{
    return namesUnder(RootKey, "SELECT name FROM keys WHERE parent = ?1 ORDER BY path", path());
}

QStringList TRegistry::GetValueNames()
{
    return namesUnder(RootKey, "SELECT name FROM reg_values WHERE key = ?1 ORDER BY rowid", path());
}

bool TRegistry::DeleteKey(const QString& key)
{
    const QString folded = foldPath(resolve(key));
    if (folded.isEmpty() || !KeyExists(key))
        return false;
    if (readOnly())
        throw ERegistryException(
            QStringLiteral("Failed to delete key '%1': the key is open for reading only").arg(key));
    HiveUse held(RootKey);
    Hive& hive = *held;
    bool deleted = false; // another process may have deleted it meanwhile
    hive.write([&] {
        Query(hive, kDeleteValues).bind(1, folded).run();
        Query(hive, kDeleteKeys).bind(1, folded).run();
        deleted = hive.changes() > 0;
    });
    return deleted;
}

bool TRegistry::DeleteValue(const QString& name)
{
    if (!ValueExists(name))
        return false;
    requireWritableKey(name);
    HiveUse held(RootKey);
    Hive& hive = *held;
    bool deleted = false;
    hive.write([&] {
        Query(hive, "DELETE FROM reg_values WHERE key = ?1 AND folded = ?2")
            .bind(1, foldPath(path()))
            .bind(2, foldPath(name))
            .run();
        deleted = hive.changes() > 0;
    });
    return deleted;
}

void TRegistry::MoveKey(const QString& oldName, const QString& newName, bool deleteOld)
{
    const QString from = resolve(oldName);
    const QString to = resolve(newName);
    const QString oldFolded = foldPath(from);
    const QString newFolded = foldPath(to);
    if (oldFolded.isEmpty() || newFolded.isEmpty() || !KeyExists(QLatin1Char('\\') + from)
        || KeyExists(QLatin1Char('\\') + to))
        return;
    if (newFolded.startsWith(oldFolded + kSeparator))
        throw ERegistryException(QStringLiteral("Cannot move key '%1' into itself").arg(from));
    if (readOnly())
        throw ERegistryException(QStringLiteral("Failed to move key '%1': the key is open for reading only").arg(from));
    HiveUse held(RootKey);
    Hive& hive = *held;
    hive.write([&] {
        // Checked again inside the transaction: another process may have
        // changed either key since.
        if (!keyExists(hive, oldFolded) || keyExists(hive, newFolded))
            return;
        createKey(hive, parentOf(to));
        // Every key of the subtree gets the new prefix; the top key also its new
        // parent and name.
        Query(hive,
            "INSERT INTO keys(path, parent, name)"
            " SELECT ?2 || substr(path, length(?1) + 1),"
            "  CASE WHEN path = ?1 THEN ?3 ELSE ?2 || substr(parent, length(?1) + 1) END,"
            "  CASE WHEN path = ?1 THEN ?4 ELSE name END"
            " FROM keys WHERE path = ?1 OR (path > ?1 || '\\' AND path < ?1 || ']')")
            .bind(1, oldFolded)
            .bind(2, newFolded)
            .bind(3, foldPath(parentOf(to)))
            .bind(4, lastName(to))
            .run();
        Query(hive,
            "INSERT INTO reg_values(key, folded, name, type, data)"
            " SELECT ?2 || substr(key, length(?1) + 1), folded, name, type, data FROM reg_values"
            " WHERE key = ?1 OR (key > ?1 || '\\' AND key < ?1 || ']') ORDER BY rowid")
            .bind(1, oldFolded)
            .bind(2, newFolded)
            .run();
        if (deleteOld) {
            Query(hive, kDeleteValues).bind(1, oldFolded).run();
            Query(hive, kDeleteKeys).bind(1, oldFolded).run();
        }
    });
}
