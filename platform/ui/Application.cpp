#include "platform/ui/Application.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

namespace {
QPointer<QWidget>& mainForm()
{
    static QPointer<QWidget> form;
    return form;
}

bool& quitRequested()
{
    static bool requested = false;
    return requested;
}

void watchForQuit()
{
    static bool connected = false;
    if (connected || !QCoreApplication::instance())
        return;
    connected = true;
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { quitRequested() = true; });
}
} // namespace

QString ApplicationTitle() { return QCoreApplication::applicationName(); }

QWidget* ApplicationMainForm() { return mainForm().data(); }

void SetApplicationMainForm(QWidget* form)
{
    watchForQuit();
    mainForm() = form;
}

bool ApplicationTerminated()
{
    watchForQuit();
    return quitRequested() || QCoreApplication::closingDown() || !QCoreApplication::instance();
}

void ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }
