#include "platform/shell/ProgramLauncher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

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

std::optional<QStringList> TerminalCommand(const QString& program, const QStringList& arguments)
{
    // How each terminal is told the program to run: most take "-e" and the
    // words after it; these take "--" or "-x" instead.
    static const QStringList dashDash
        = {QStringLiteral("gnome-terminal"), QStringLiteral("kgx"), QStringLiteral("tilix"), QStringLiteral("ptyxis")};
    QStringList candidates;
    if (const QString chosen = qEnvironmentVariable("TERMINAL").trimmed(); !chosen.isEmpty())
        candidates << chosen;
    candidates << QStringLiteral("x-terminal-emulator") << QStringLiteral("gnome-terminal") << QStringLiteral("konsole")
               << QStringLiteral("xfce4-terminal") << QStringLiteral("mate-terminal") << QStringLiteral("lxterminal")
               << QStringLiteral("kgx") << QStringLiteral("tilix") << QStringLiteral("alacritty")
               << QStringLiteral("kitty") << QStringLiteral("xterm");
    for (const QString& candidate : candidates) {
        const QString path = QStandardPaths::findExecutable(candidate);
        if (path.isEmpty())
            continue;
        const QString name = QFileInfo(candidate).fileName();
        QString option = QStringLiteral("-e");
        if (dashDash.contains(name))
            option = QStringLiteral("--");
        else if (name == QLatin1String("xfce4-terminal"))
            option = QStringLiteral("-x");
        QStringList command{path};
        if (name != QLatin1String("kitty"))
            command << option;
        command << program << arguments;
        return command;
    }
    return std::nullopt;
}
