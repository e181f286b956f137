#pragma once
// Gives a test its own home: HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and
// ZARNWEB_HOME point into a temporary folder for the life of the object and
// are restored afterwards.
#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <utility>
#include <vector>

class TempHome {
public:
    TempHome()
    {
        set("HOME", root_.path());
        set("XDG_CONFIG_HOME", root_.path() + QStringLiteral("/.config"));
        set("XDG_DATA_HOME", root_.path() + QStringLiteral("/.local/share"));
        set("ZARNWEB_HOME", root_.path() + QStringLiteral("/profile"));
        QDir().mkpath(root_.path() + QStringLiteral("/.config"));
    }
    ~TempHome()
    {
        for (const auto& [name, old] : saved_) {
            if (old.isNull())
                qunsetenv(name);
            else
                qputenv(name, old);
        }
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return root_.path(); }
    QString path(const QString& sub) const { return root_.path() + QLatin1Char('/') + sub; }

    // Sets another variable for the life of the object.
    void set(const char* name, const QString& value)
    {
        saved_.emplace_back(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
        qputenv(name, value.toUtf8());
    }

private:
    QTemporaryDir root_;
    std::vector<std::pair<const char*, QByteArray>> saved_;
};
