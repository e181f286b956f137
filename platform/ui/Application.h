#pragma once
// The running application as the components see it: its title, its main
// form, whether it is terminating, and one pass of its message loop.
#include <QString>

class QWidget;

// The program file's name without its extension, unless the program set a
// title of its own (QCoreApplication::applicationName).
QString ApplicationTitle();

// The form that was registered as the application's main window; nullptr
// before one is registered or after it is destroyed.
QWidget* ApplicationMainForm();
void SetApplicationMainForm(QWidget* form);

// True once the application was asked to quit; wait loops end on it.
bool ApplicationTerminated();

// Processes every pending event of the user-interface thread once.
void ProcessMessages();
