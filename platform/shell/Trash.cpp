#include "platform/shell/Trash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace {

// The name the item takes in the trash: its own when free, else numbered.
QString candidateName(const QFileInfo& item, int attempt)
{
    if (attempt == 1)
        return item.fileName();
    const QString base = item.isDir() ? item.fileName() : item.completeBaseName();
    const QString suffix = item.isDir() || item.suffix().isEmpty() ? QString() : QLatin1Char('.') + item.suffix();
    return base + QLatin1Char('.') + QString::number(attempt) + suffix;
}

QByteArray trashInfo(const QString& originalPath)
{
    return "[Trash Info]\nPath=" + QUrl::toPercentEncoding(originalPath, "/")
        + "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toUtf8() + "\n";
}

bool fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

} // namespace

QString TrashFolder()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return dataHome + QStringLiteral("/Trash");
}

bool MoveToTrash(const QString& path, QString* error)
{
    const QFileInfo item(path);
    if (!item.exists() && !item.isSymLink())
        return fail(error, QStringLiteral("\"%1\" does not exist.").arg(path));
    const QString trash = TrashFolder();
    const QString files = trash + QStringLiteral("/files"), infos = trash + QStringLiteral("/info");
    if (!QDir().mkpath(files) || !QDir().mkpath(infos))
        return fail(error, QStringLiteral("The trash folder %1 cannot be created.").arg(trash));
    QFile::setPermissions(trash, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString original = QDir::cleanPath(item.absoluteFilePath());
    for (int attempt = 1; attempt < 10000; ++attempt) {
        const QString name = candidateName(item, attempt);
        if (QFileInfo::exists(files + QLatin1Char('/') + name))
            continue;
        // Creating the info file exclusively claims the name against other
        // programs trashing at the same moment.
        QFile info(infos + QLatin1Char('/') + name + QStringLiteral(".trashinfo"));
        if (!info.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            continue;
        const QByteArray text = trashInfo(original);
        const bool written = info.write(text) == text.size() && info.flush();
        info.close();
        if (written && QDir().rename(original, files + QLatin1Char('/') + name))
            return true;
        info.remove();
        return fail(error,
            written ? QStringLiteral("\"%1\" cannot be moved to the trash.").arg(original)
                    : QStringLiteral("The trash information for \"%1\" cannot be written.").arg(original));
    }
    return fail(error, QStringLiteral("The trash holds too many items named \"%1\".").arg(item.fileName()));
}
