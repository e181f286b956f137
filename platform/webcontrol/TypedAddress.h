#pragma once
// What the web-browser control makes of an address given to Navigate or
// Navigate2 as a user would type it.
#include <QString>
#include <QUrl>

// The address the control navigates to for text, with leading and trailing
// blanks removed:
// - an absolute path, or a relative one (not starting with "~") that exists
//   in workingFolder, is that local file or folder (a file: address);
// - a host name with at least one dot, "localhost", an IPv4 address
//   (a.b.c.d) or an IPv6 address (bracketed, or bare without a port), each
//   with an optional ":port" and a path, query or fragment, gets "http://";
// - anything else is taken as it is, for the page engine to handle (a text
//   with a scheme of its own, or a word the engine cannot resolve).
// An empty text gives an empty, invalid address.
QUrl FixUpAddress(const QString& text, const QString& workingFolder);
