#pragma once
// INI texts as shortcut files, desktop entries and mimeapps.list hold them:
// [section] headers, key=value lines, ";" and "#" comments. Section and key
// names compare without regard to case.
#include <QString>
#include <QStringList>
#include <vector>

struct IniLine {
    QString section; // lower case: the section the line lies in
    QString key; // lower case; empty for headers, comments and blank lines
    QString value; // trimmed
};

// The file's lines without their line ends (CRLF or LF); crlf, when given,
// tells whether the file used CRLF (true for an empty or missing file).
// Empty when the file cannot be read or holds more than 16 MiB.
QStringList ReadIniLines(const QString& fileName, bool* crlf = nullptr);
// The lines with the section each lies in.
std::vector<IniLine> ParseIni(const QStringList& lines);
// The first value of the key in the section (both lower case); empty when
// missing.
QString IniValue(const std::vector<IniLine>& lines, const QString& section, const QString& key);
// A desktop-entry value with its escapes (\s, \n, \t, \r, \\) undone.
QString UnescapeDesktopValue(const QString& value);
// A value written with those escapes, so that it stays one line: "\",
// line breaks and tabs escaped, a leading blank as \s; NUL is dropped.
QString EscapeDesktopValue(const QString& value);
