#pragma once
// A favorites folder to show, in a home of its own, and a browser that
// records what it is asked to open:
//   Links/            (made with the folder)
//   Work/Old/
//   Work/Plan.url     https://plan.example/
//   Broken.url        bytes that are no shortcut
//   News.url          https://news.example/
//   news.url          https://other.example/   (differs only in case)
//   notes.txt
#include "FakeWebBrowser.h"
#include "TempHome.h"
#include "browserhost/Sextant.h"
#include "platform/shell/SpecialFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>

inline void WriteFavoriteFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

inline QByteArray ShortcutText(const char* url) { return QByteArray("[InternetShortcut]\r\nURL=") + url + "\r\n"; }

class FavoritesFixture : public ::testing::Test {
protected:
    FavoritesFixture() : favorites(SpecialFolderPath(CSIDL_FAVORITES))
    {
        QDir().mkpath(favorites + QStringLiteral("/Work/Old"));
        WriteFavoriteFile(favorites + QStringLiteral("/Work/Plan.url"), ShortcutText("https://plan.example/"));
        WriteFavoriteFile(favorites + QStringLiteral("/Broken.url"), QByteArray("\x00\xff\xfe[Intern", 10));
        WriteFavoriteFile(favorites + QStringLiteral("/News.url"), ShortcutText("https://news.example/"));
        WriteFavoriteFile(favorites + QStringLiteral("/news.url"), ShortcutText("https://other.example/"));
        WriteFavoriteFile(favorites + QStringLiteral("/notes.txt"), "plain text");
        form.resize(400, 300);
        browser = new TSextant(&form);
        control = factory.last();
    }

    // The addresses the browser was asked to open, in order.
    QStringList Opened() const
    {
        QStringList urls;
        for (const auto& call : control->callsOf("Navigate2"))
            urls.append(QString::fromStdU16String(call.args[0].toWideString()));
        return urls;
    }

    TempHome home;
    QString favorites; // the favorites folder, without a trailing "/"
    FakeWebBrowserFactory factory;
    QWidget form;
    TSextant* browser = nullptr;
    FakeWebBrowser* control = nullptr;
};
