#pragma once
// Starting programs and handing documents to the desktop, behind one seam so
// that tests see what would start without starting anything. Programs start
// from a program and an argument list, never through a shell command line.
#include <QString>
#include <QStringList>
#include <QUrl>

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
