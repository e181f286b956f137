#pragma once
// The shell's special folders, named by their CSIDL numbers, and where they
// lie on this system. File-system folders map to the XDG user folders
// (user-dirs.dirs), the XDG base folders and the profile folder; a few
// (the internet, the control panel, the printers, the network) have no place
// in the file system and exist only as names with an icon.
#include <QString>

enum Csidl : int {
    CSIDL_DESKTOP = 0, // the desktop folder (XDG_DESKTOP_DIR)
    CSIDL_INTERNET = 1, // virtual
    CSIDL_PROGRAMS = 2, // $XDG_DATA_HOME/applications
    CSIDL_CONTROLS = 3, // virtual
    CSIDL_PRINTERS = 4, // virtual
    CSIDL_PERSONAL = 5, // XDG_DOCUMENTS_DIR
    CSIDL_FAVORITES = 6, // <profile>/Favorites, with Links, created when missing
    CSIDL_STARTUP = 7, // $XDG_CONFIG_HOME/autostart
    CSIDL_RECENT = 8, // $XDG_DATA_HOME/RecentDocuments
    CSIDL_SENDTO = 9, // none on this system
    CSIDL_BITBUCKET = 10, // the freedesktop trash's files/ folder
    CSIDL_STARTMENU = 11, // $XDG_DATA_HOME/applications
    CSIDL_MYMUSIC = 13, // XDG_MUSIC_DIR
    CSIDL_MYVIDEO = 14, // XDG_VIDEOS_DIR
    CSIDL_DESKTOPDIRECTORY = 16, // XDG_DESKTOP_DIR
    CSIDL_DRIVES = 17, // "My Computer": the file-system root
    CSIDL_NETWORK = 18, // virtual
    CSIDL_NETHOOD = 19, // none on this system
    CSIDL_FONTS = 20, // $XDG_DATA_HOME/fonts
    CSIDL_TEMPLATES = 21, // XDG_TEMPLATES_DIR
    CSIDL_COMMON_STARTMENU = 22, // /usr/share/applications
    CSIDL_COMMON_PROGRAMS = 23, // /usr/share/applications
    CSIDL_COMMON_STARTUP = 24, // /etc/xdg/autostart
    CSIDL_COMMON_DESKTOPDIRECTORY = 25, // none on this system
    CSIDL_APPDATA = 26, // $XDG_CONFIG_HOME
    CSIDL_PRINTHOOD = 27, // none on this system
    CSIDL_LOCAL_APPDATA = 28, // $XDG_DATA_HOME
    CSIDL_INTERNET_CACHE = 32, // <profile>/Cache
    CSIDL_COOKIES = 33, // <profile>/Cookies
    CSIDL_HISTORY = 34, // <profile>/History
    CSIDL_MYPICTURES = 39, // XDG_PICTURES_DIR
    CSIDL_PROFILE = 40, // the home folder
};

// Whether the shell knows the folder: a virtual folder always, a file-system
// folder when it exists (the favorites folder is created first), the history
// always (a virtual folder over the history store, HistoryFolder.h). Unknown
// numbers and folders this system does not have give false.
bool SpecialFolderExists(int csidl);

// The file-system path of the folder, without a trailing "/"; empty for a
// virtual folder, a folder this system does not have and an unknown number.
// The favorites folder and its Links folder are created when missing; other
// folders are only named and may not exist.
QString SpecialFolderPath(int csidl);

// The folder's name as the shell shows it ("Favorites", "My Computer",
// "Recycle Bin"); empty for an unknown number.
QString SpecialFolderDisplayName(int csidl);

// The special folder whose path is this one (compared after cleaning, "/"
// kept at the end only for the root), or -1. Where several numbers share a
// path the lowest one is given.
int SpecialFolderOfPath(const QString& path);

// The icon theme name the desktop gives the folder ("user-bookmarks" for
// the favorites); empty for an unknown number.
QString SpecialFolderIconName(int csidl);
