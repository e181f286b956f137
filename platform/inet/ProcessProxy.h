#pragma once
// The proxy and the offline state of this process only: the page engine (through Qt's application
// proxy, which Qt WebEngine follows) and every libcurl transfer of ours. The
// desktop's own settings are never read or written here. The setting found
// before the first change is kept, so that resetting puts it back.
#include <QString>

#include <functional>

typedef void CURL;

struct ProcessProxy {
    QString Host;
    int Port = 0;
    // With a user name the proxy's log-in challenge (407) is answered with
    // these credentials, by the engine and by libcurl.
    QString UserName;
    QString Password;
};

// Routes the process's HTTP, HTTPS and FTP requests through the proxy.
// False (nothing changed) when the host is empty or the port is outside
// 1..65535.
bool SetProcessProxy(const ProcessProxy& proxy);
// Puts back the setting found before the first SetProcessProxy (nothing to
// do when none was made); the next SetProcessProxy remembers anew.
void ResetProcessProxy();
// The proxy in force through SetProcessProxy; an empty host when none.
ProcessProxy CurrentProcessProxy();

// Called after every change of the process proxy (set or reset); the page
// engine installs one to take the change at once. One handler; an empty one
// removes it.
void SetProcessProxyChangedHandler(std::function<void()> handler);

// Whether this program works offline. While set, the page engine refuses
// its network requests and libcurl transfers of ours refuse every network
// protocol (they fail at once); local files still load. The state is kept
// in the current user's registry, value "GlobalUserOffline" (1: offline) of
// "Software\Microsoft\Windows\CurrentVersion\Internet Settings", and read
// from there at the first use in a run, so that it survives a restart. The
// desktop's connection is never touched.
void SetProcessOffline(bool offline);
bool ProcessOffline();

// Gives a libcurl handle the process's proxy and offline state. Without a
// proxy the handle keeps libcurl's own choice (the proxy variables of the
// environment).
void InternetApplyProxy(CURL* easy);
