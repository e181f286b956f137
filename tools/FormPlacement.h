#pragma once
// Keeps the main window's placement and the last visited page between runs,
// in HKEY_LOCAL_MACHINE under "SOFTWARE\<application title>". Every
// operation swallows registry failures: a store that cannot be written keeps
// nothing and says nothing.
#include <QString>

class TSextant;

// Applies "Left", "Top", "Width", "Height" and then "WindowState" (0 normal,
// 1 minimised, 2 maximised; other numbers leave the state) of the FormSize
// key to the application's main form. Reading stops silently at the first
// missing or non-integer value; what was applied before it stays. A missing
// key or no main form changes nothing.
void RestoreFormPlacement();

// Writes the main form's "Top", "Left", "Width", "Height" and "WindowState"
// into the FormSize key, creating it when missing. For a minimised or
// maximised form the size and position are those it returns to when restored.
void SaveFormPlacement();

// Reads "LastVisitedPage" of the WebPages key into address (emptied first;
// stays empty when the key or value is missing). True when the address is
// not empty and contains a ".".
bool GetLastVisitedPage(QString& address);

// Stores address as "LastVisitedPage" of the WebPages key, creating the keys
// when missing. True when the value was written. The browser is not used; it
// names the page's owner for callers that keep several browsers.
bool SaveLastVisitedPage(TSextant* browser, const QString& address);
