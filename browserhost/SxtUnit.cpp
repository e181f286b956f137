#include "browserhost/SxtUnit.h"

#include "browserhost/FocusFixes.h"

#include <QCoreApplication>

#include <cfenv>

namespace {

struct UnitLife {
    bool started = false;
    std::fenv_t floatingPoint{};
};

UnitLife& life()
{
    static UnitLife instance;
    return instance;
}

} // namespace

TSxtUnitState& SxtUnit()
{
    static TSxtUnitState state;
    return state;
}

void SxtUnitStart()
{
    if (life().started)
        return;
    life().started = true;
    std::fegetenv(&life().floatingPoint);
    if (QCoreApplication::instance()) {
        qAddPostRoutine(SxtUnitEnd);
        SxtControl();
    }
}

void SetFloatingPointExceptions(bool keepStartup)
{
    if (keepStartup && life().started)
        std::fesetenv(&life().floatingPoint);
    else if (!keepStartup) {
        std::fenv_t previous;
        std::feholdexcept(&previous);
    }
}

void SxtUnitEnd()
{
    if (!life().started)
        return;
    life().started = false;
    TSxtUnitState& state = SxtUnit();
    if (auto reset = std::exchange(state.ResetProxy, nullptr))
        reset();
    if (auto restore = std::exchange(state.RestoreSounds, nullptr))
        restore();
    std::fesetenv(&life().floatingPoint);
}
