#pragma once
// Prepares the process for Qt WebEngine; call before the QApplication is
// created. Switches Chromium's sandbox off only when running as root and adds
// --disable-gpu only without a display (offscreen or no X/Wayland display),
// keeping whatever flags are already set.
void PrepareWebEngineEnvironment();
