#pragma once
// Organizing the user's favorites.
class QWidget;

// Shows the organize-favorites dialog over owner for the favorites folder;
// names the user gives are made safe as the name of a favorite added from a
// page title is. Returns when the user closes the dialog; nothing is shown
// when the favorites folder cannot be made.
void ShowOrganizeFavorites(QWidget* owner);
