#pragma once
// Shortcut files as the desktop and other browsers write them.
//
// Internet shortcut (".url"): an INI text, CRLF or LF line ends, with the
// address under
//   [InternetShortcut]
//   URL=http://example.com/
// Section and key names compare without regard to case; other sections
// (browsers add a [DEFAULT] section with BASEURL=) and other keys are kept
// when the address is written again.
//
// Desktop link (".desktop"): a desktop entry whose [Desktop Entry] group
// holds Type=Link and URL=<address>, with the desktop-entry escapes (\s,
// \n, \t, \r, \\) in the value.
#include <QString>

// The URL key of the InternetShortcut section; empty when the file cannot be
// read or has no such section or key.
QString ReadInternetShortcutUrl(const QString& fileName);

// Writes the address into the file's InternetShortcut section, creating the
// file (CRLF line ends, as other browsers write it) or the section when
// missing, keeping the rest of an existing file and its line ends. The file
// is replaced through a temporary name. False, leaving the file as it was,
// when the address holds a line break or a zero character (it would end the
// value and add lines of its own) or the file cannot be written.
bool WriteInternetShortcutUrl(const QString& fileName, const QString& url);

// Writes a desktop link (Type=Link) named name to the address, its values
// escaped so that neither can add lines of its own; through a temporary
// name. False when the file cannot be written.
bool WriteDesktopLink(const QString& fileName, const QString& name, const QString& url);

// The address of a desktop link; empty when the file is not a desktop entry
// of Type=Link or has no URL.
QString ReadDesktopLinkUrl(const QString& fileName);

// What kind of shortcut a file is, by its name (".url", any case) or, for
// ".desktop", by its Type=Link.
enum class ShortcutKind { None, InternetShortcut, DesktopLink };
ShortcutKind ShortcutKindOf(const QString& fileName);

// The address behind a shortcut file of either kind; empty for other files.
QString ShortcutTarget(const QString& fileName);
