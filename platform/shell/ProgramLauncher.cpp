#include "platform/shell/ProgramLauncher.h"

#include <QDesktopServices>
#include <QProcess>

namespace {

class SystemLauncher final : public IProgramLauncher {
public:
    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        return QProcess::startDetached(program, arguments);
    }
    bool openWithDesktop(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

SystemLauncher systemLauncher;
IProgramLauncher* current = &systemLauncher;

} // namespace

IProgramLauncher& ProgramLauncher() { return *current; }

void SetProgramLauncher(IProgramLauncher* launcher) { current = launcher ? launcher : &systemLauncher; }
