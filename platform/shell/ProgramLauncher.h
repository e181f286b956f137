#pragma once
// Starting programs and handing documents to the desktop, behind one seam so
// that tests see what would start without starting anything. Programs start
// from a program and an argument list, never through a shell command line.
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class IProgramLauncher {
public:
    virtual ~IProgramLauncher() = default;
    // Starts the program with the arguments, detached; false when it could
    // not be started.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
    // Opens the address with the desktop's default program for it; false
    // when there is none or it could not be started.
    virtual bool openWithDesktop(const QUrl& url) = 0;
};

// The launcher in use: QProcess and QDesktopServices unless a replacement
// was set.
IProgramLauncher& ProgramLauncher();
// Replaces the launcher (the caller keeps ownership); nullptr restores the
// real one.
void SetProgramLauncher(IProgramLauncher* launcher);

// The program and arguments that run program with arguments in the user's
// terminal emulator, for a program that needs one (a desktop entry with
// Terminal=true): $TERMINAL when set, else the desktop's
// x-terminal-emulator, else the first of the common terminal emulators on
// the PATH. nullopt when there is none.
std::optional<QStringList> TerminalCommand(const QString& program, const QStringList& arguments);
