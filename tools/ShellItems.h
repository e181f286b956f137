#pragma once
// Small stateless helpers for walking the shell namespace: item identifier
// lists (platform/shell/ItemIdList.h), questions to a folder about one of
// its items, and the address behind a shortcut file. Lists made here come
// from the shell allocator and are freed with FreePidl.
#include "platform/shell/ItemIdList.h"
#include "platform/shell/ShellFolder.h"

#include <QString>

// The item after this one: its address plus its byte count.
LPITEMIDLIST NextPidlItem(LPCITEMIDLIST item);
// 0 for a missing list; otherwise 2 plus the byte counts of all items.
int GetPidlSize(LPCITEMIDLIST list);
// A zero-filled block of the size from the shell allocator; nullptr when the
// allocator cannot be obtained or the allocation fails.
LPITEMIDLIST AllocPidl(int size);
// A new block of GetPidlSize bytes holding a copy of the list (nullptr for
// a missing list or a failed allocation).
LPITEMIDLIST CopyPidl(LPCITEMIDLIST list);
// A new list: the first without its terminator, then the second with its
// terminator; a missing first list counts as empty.
LPITEMIDLIST ConcatPidls(LPCITEMIDLIST first, LPCITEMIDLIST second);
// The list loses its last item (it becomes its parent's list); nothing for a
// missing or empty list.
void StripLastPidlItem(LPITEMIDLIST list);
// Frees the list with the shell allocator; nothing for a missing list.
// Raises EOleSysError when the allocator cannot be obtained.
void FreePidl(LPITEMIDLIST list);

// Whether the folder reports the item (relative to it) as a folder.
bool IsFolderItem(IShellFolder& folder, LPCITEMIDLIST item);
// Whether the item's type name (at most 79 characters) equals the name
// exactly.
bool ItemTypeNameIs(const QString& typeName, IShellFolder& folder, LPCITEMIDLIST item);
// A folder whose type name is not the given one.
bool IsFolderNotOfType(const QString& typeName, IShellFolder& folder, LPCITEMIDLIST item);
// The item's small icon in SystemImageList, for an absolute list; -1 when
// the shell does not know the item.
int GetSmallIconIndex(LPCITEMIDLIST absolute);

// The text a STRRET holds for the item it was returned for.
QString StrRetToString(LPCITEMIDLIST item, const STRRET& name);
// The item's normal and parsing names; empty when the folder gives none.
QString GetDisplayName(IShellFolder& folder, LPCITEMIDLIST item);
QString GetParsingName(IShellFolder& folder, LPCITEMIDLIST item);
// The item's tip after its first line feed (all of it when there is none),
// without surrounding blanks: a shortcut's or history entry's address.
QString GetInfoTipUrl(IShellFolder& folder, LPCITEMIDLIST item);
// The display name of a shortcut's target, seen from the desktop, in name:
// 0 when it was produced, 1 otherwise.
int GetLinkTargetDisplayName(IShellFolder& folder, LPCITEMIDLIST item, QString& name);

// The URL key of the file's InternetShortcut section; empty by default.
QString ReadUrlFromShortcut(const QString& fileName);
// The address the internet shortcut object reads from the file; empty when
// the object cannot be had or the file not loaded.
QString ResolveUrlShortcut(const QString& fileName);
// The target path of a shell link (a shortcut file; an address that is not
// a local file is given as it is); empty when it cannot be loaded or
// resolved. Raises EOleSysError when the link object cannot be created.
QString ResolveShellLink(const QString& fileName);
