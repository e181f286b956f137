#pragma once
// The browser feature switches of this process, by feature number. The
// control reads the ones this engine can honour when a navigation starts:
// FEATURE_WEBOC_POPUPMANAGEMENT keeps pages from opening windows without a
// user gesture; FEATURE_BLOCK_INPUT_PROMPTS makes a script's prompt() answer
// null without asking; FEATURE_DISABLE_NAVIGATION_SOUNDS has nothing to
// silence (the engine makes no navigation sound). The others, among them
// FEATURE_RESTRICT_FILEDOWNLOAD (the engine does not tell whether a
// download followed a user gesture), are kept as state.
inline constexpr int FEATURE_WEBOC_POPUPMANAGEMENT = 5;
inline constexpr int FEATURE_RESTRICT_FILEDOWNLOAD = 12;
inline constexpr int FEATURE_DISABLE_NAVIGATION_SOUNDS = 21;
inline constexpr int FEATURE_BLOCK_INPUT_PROMPTS = 27;
inline constexpr int FEATURE_ENTRY_COUNT = 28;

// False for a number outside 0..FEATURE_ENTRY_COUNT - 1.
bool CoInternetSetFeatureEnabled(int feature, bool enable);
bool CoInternetIsFeatureEnabled(int feature);
