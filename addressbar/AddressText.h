#pragma once
// What the address box reads out of its text, without the box: the folder-
// like form of an address, the special folder a name stands for, the file
// type that picks an icon, and where a site's icon is fetched from.
#include <QString>

// text followed by "/" when it has a "/" and its last "/" comes after its
// last "." (a folder-like address); otherwise text unchanged: an empty text,
// a text ending in "/", a bare host name ("http://example.com") and an
// address ending in a file name with an extension.
QString NormalizeAddressText(const QString& text);

// The special folder number a text names, compared trimmed and without
// regard to case ("my computer" is 17); 3000 for any other text.
constexpr int NoSpecialFolder = 3000;
int SpecialFolderCsidl(const QString& text);

// The file type whose icon stands for text: its extension, trimmed and in
// lower case, when that contains ".xml", ".txt", ".doc", ".bmp", ".zip",
// ".rar", ".jpg", ".gif" or ".jpeg" (".docx" contains ".doc"); "*.htm"
// for anything else, which is taken for a web page.
QString ExtensionIconKey(const QString& text);

// The host a site icon belongs to ("example.com:8080", lower case) and the
// address of that icon: "favicon.ico" at the root of the host, over https for
// an https address and over http for any other, so that an address with a
// path and its bare host name share one icon. Empty for a text with another
// scheme (file:, about:, ...) or without a host.
QString FaviconHost(const QString& text);
QString FaviconAddress(const QString& text);

// The profile's cache folder from the registry ("Cache" of the current
// user's Shell Folders key) with "/" appended; empty when the key cannot be
// read.
QString GetCacheFolder();
