#pragma once
// Process-wide state of the browser host: set up once before the first
// component is created and undone when the application ends. Later parts
// record here what they change for the whole process (a proxy they applied,
// navigation sounds they switched off) together with how to undo it.
#include <functional>

struct TSxtUnitState {
    // Some TSextant hooked its owner form; later instances skip the hook.
    bool OwnerHooked = false;
    // Called at unit end when set: undo a process proxy, switch sounds back on.
    std::function<void()> ResetProxy;
    std::function<void()> RestoreSounds;
};

TSxtUnitState& SxtUnit();

// Idempotent; the first call remembers the floating-point environment and
// registers SxtUnitEnd to run when the application object is destroyed.
void SxtUnitStart();
// Runs the recorded undo steps once and restores the floating-point
// environment.
void SxtUnitEnd();
// True: the floating-point environment the process started with; False:
// every floating-point exception masked.
void SetFloatingPointExceptions(bool keepStartup);
