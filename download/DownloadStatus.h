#pragma once
// Texts for the codes met during a download (HTTP status, bind status,
// internet security codes, COM results), durations, byte counts, and the
// process-wide time and number formatting they follow.
#include "platform/com/ComTypes.h"

#include <chrono>
#include <cstdint>
#include <string>

// Process-wide formatting, as the program's locale settings. The download
// component sets TimeSeparator to "_" while it exists and LongTimeFormat to
// "mm:ss.zzz" from its first binding on.
struct TFormatSettings {
    char TimeSeparator = ':';
    std::string LongTimeFormat = "hh:nn:ss";
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
};
TFormatSettings& FormatSettings();

// A time of day in LongTimeFormat: "h"/"hh" hours, "n"/"nn" minutes,
// "s"/"ss" seconds, "z"/"zzz" milliseconds, "m"/"mm" the month (minutes
// right after an hour field), ":" the time separator, other text as is.
std::string FormatTimeText(const std::string& format, std::chrono::system_clock::time_point when);
// The current local time in LongTimeFormat.
std::string CurrentTimeText();
// The zero time (midnight of 30 December 1899) in LongTimeFormat.
std::string ZeroTimeText();

std::string ResponseCodeText(std::int32_t code);
std::string DataFlagsText(std::uint32_t flags);
// "hh:mm:ss"; the hours wrap at 60.
std::string FormatTime(std::int32_t seconds);
// "512.00 b", "1.50 Kb", "1,024.00 Mb"; empty for 0 or less and for NaN,
// "INF Mb" for an infinite count.
std::string FormatSize(double bytes);
std::string ReplaceChar(std::string text, char oldChar, char newChar);
// A NUL-terminated copy in task memory; the receiver frees it (CoTaskMemFree).
char16_t* TaskMemString(const WideString& text);
