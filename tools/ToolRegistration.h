#pragma once
// Registers the tools library's operations as what the browser component's
// tool operations call (browserhost/ToolForwarders.h). Safe to call more
// than once; the main window calls it as it is created.
void RegisterSxtTools();
