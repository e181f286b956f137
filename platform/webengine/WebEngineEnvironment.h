#pragma once
// Prepares the process for Qt WebEngine; call before the QApplication is
// created. Switches Chromium's sandbox off only when running as root and adds
// --disable-gpu only without a display (offscreen or no X/Wayland display),
// keeping whatever flags are already set. Keeps the engine's view from
// caching compiled shaders in the user's cache folder (outside the profile).
// Gives XDG_DATA_HOME its default value ($HOME/.local/share) when it is
// unset, which means the same to every program, so that the engine profile's
// set-up can later change it in place while engine threads read the
// environment (EngineProfile.cpp).
void PrepareWebEngineEnvironment();
