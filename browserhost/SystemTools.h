#pragma once
// Browser settings and system tools: the process's proxy, the navigation
// sound and the browser and system version tests. Stateless; the proxy
// itself is kept by platform/inet (ProcessProxy.h) for this process only.
#include <QString>

// Routes this process's requests (page engine and libcurl) through the proxy
// "host:port". The agent text is kept with the request but not sent by the
// engine. True when the proxy was applied; False for a text without a host
// or with a port that is not a number in 1..65535.
bool SetProxy(const QString& agent, const QString& proxy);
// As SetProxy with host and port given apart, and with the credentials the
// engine and libcurl answer the proxy's log-in challenge (407) with.
bool SetProxyWithAuthentication(
    const QString& agent, const QString& host, const QString& user, int port, const QString& password);
// Puts back the proxy this process had before the first SetProxy; True.
bool RemoveProxy();

// The navigation click sound of the current user's sound scheme: disabling
// moves "AppEvents\Schemes\Apps\Explorer\Navigating\.Current" to
// "Old_Current", enabling moves it back. Registry failures are swallowed.
void DisableNavigationSound(bool disable);

// The leading decimal number of a version text ("11.0.9600" gives 11); 0
// when the text does not start with a digit.
int LeadingVersionNumber(const QString& version);
// Whether the browser version is 5 or later: the leading number of the
// "Version" text of the local machine's "Software\Microsoft\Internet
// Explorer" key; a missing or unreadable value counts as 0. Never raises.
bool IsIE5OrLater();
// The browser's file version: the "svcVersion" text of that key (the
// version of the engine's build); empty when unavailable.
QString GetIEFileVersion();
// The digits of GetIEFileVersion before the first "."; -1 when there is no
// "." or they are not a number.
int IEMajorVersion();
// The system is always of a generation with current focus and window
// services.
bool IsWindowsXPSP2OrLater();
