#pragma once
// The main window's pictures, drawn at start-up or taken from the style.
#include <QIcon>
#include <QList>

// Toolbar pictures, 16 x 16, by index: 0 stop, 1 home, 2 refresh, 3 forward,
// 4 back, 5 search, 6 links, 7 page, 8 favorites, 9 block pop-ups.
QList<QIcon> ToolBarImages();

// Favorites tree pictures, by index: 0 tools, 1 organize, 2 add, 3 import,
// 4 export, 5 favorites, 6 closed folder, 7 open folder, 8 link.
QList<QIcon> FavoritesTreeImages();

// Twenty 19 x 19 smilies in different colours for the editor.
QList<QIcon> SmileyImages();

// The padlock of a secure page and the open lock of an unsecured one, 16 x 16.
QIcon PadlockImage(bool locked);
