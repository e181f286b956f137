#include "browserhost/Messages.h"

#include <chrono>

TShiftState KeyDataToShiftState(LPARAM keyData, bool shiftDown, bool ctrlDown)
{
    TShiftState shift;
    if (shiftDown)
        shift |= ssShift;
    if (ctrlDown)
        shift |= ssCtrl;
    if (keyData & KF_ALTDOWN)
        shift |= ssAlt;
    return shift;
}

TShiftState MouseKeysToShiftState(WPARAM keys)
{
    TShiftState shift;
    if (keys & MK_SHIFT)
        shift |= ssShift;
    if (keys & MK_CONTROL)
        shift |= ssCtrl;
    if (keys & MK_LBUTTON)
        shift |= ssLeft;
    if (keys & MK_RBUTTON)
        shift |= ssRight;
    if (keys & MK_MBUTTON)
        shift |= ssMiddle;
    return shift;
}

QEvent::Type TMessageEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

unsigned GetTickCount()
{
    using namespace std::chrono;
    return static_cast<unsigned>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
