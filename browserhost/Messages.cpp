#include "browserhost/Messages.h"

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
