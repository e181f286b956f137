#include "platform/webcontrol/FeatureControl.h"

#include <bitset>

namespace {

std::bitset<FEATURE_ENTRY_COUNT>& features()
{
    static std::bitset<FEATURE_ENTRY_COUNT> set;
    return set;
}

bool valid(int feature) { return feature >= 0 && feature < FEATURE_ENTRY_COUNT; }

} // namespace

bool CoInternetSetFeatureEnabled(int feature, bool enable)
{
    if (!valid(feature))
        return false;
    features()[static_cast<std::size_t>(feature)] = enable;
    return true;
}

bool CoInternetIsFeatureEnabled(int feature) { return valid(feature) && features()[static_cast<std::size_t>(feature)]; }
