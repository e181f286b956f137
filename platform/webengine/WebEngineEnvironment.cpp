#include "platform/webengine/WebEngineEnvironment.h"

#include <QCoreApplication>
#include <QString>

#include <unistd.h>

namespace {

bool hasDisplay()
{
    if (qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("offscreen")))
        return false;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void addChromiumFlag(const QString& flag)
{
    QString flags = qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS");
    if (flags.split(u' ', Qt::SkipEmptyParts).contains(flag))
        return;
    flags = flags.isEmpty() ? flag : flags + u' ' + flag;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.toUtf8());
}

} // namespace

void PrepareWebEngineEnvironment()
{
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!hasDisplay())
        addChromiumFlag(QStringLiteral("--disable-gpu"));
    if (!qEnvironmentVariableIsSet("XDG_DATA_HOME") && !qEnvironmentVariableIsEmpty("HOME"))
        qputenv("XDG_DATA_HOME", qgetenv("HOME") + "/.local/share");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
}
