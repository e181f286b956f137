#include "platform/shell/FileClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QList>
#include <QMimeData>
#include <QUrl>

QMimeData* FileClipboardData(const QStringList& paths, bool cut)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QByteArray gnome = cut ? "cut" : "copy";
    for (const QString& path : paths) {
        urls << QUrl::fromLocalFile(path);
        gnome += '\n' + urls.last().toEncoded();
    }
    data->setUrls(urls);
    data->setText(paths.join(QLatin1Char('\n')));
    data->setData(QStringLiteral("x-special/gnome-copied-files"), gnome);
    if (cut)
        data->setData(QStringLiteral("application/x-kde-cutselection"), "1");
    return data;
}

void PutFilesOnClipboard(const QStringList& paths, bool cut)
{
    QGuiApplication::clipboard()->setMimeData(FileClipboardData(paths, cut));
}
