#include "download/DownloadStatus.h"
#include "platform/urlmon/UrlMon.h"

#include <gtest/gtest.h>

#include <limits>
#include <regex>

namespace {

TEST(ResponseCodeTextTest, OneLookupServesEveryCodeFamily)
{
    EXPECT_EQ(ResponseCodeText(404), "Not Found");
    EXPECT_EQ(ResponseCodeText(206), "Partial Content");
    EXPECT_EQ(ResponseCodeText(0), "The operation was successful");
    EXPECT_EQ(ResponseCodeText(26), "Content-Disposition resource is an attachment...");
    EXPECT_EQ(ResponseCodeText(12045),
        "The function is unfamiliar with the Certificate Authority that generated the server's certificate.");
    EXPECT_EQ(ResponseCodeText(static_cast<std::int32_t>(0x800C0100)), "Permission to download is declined.");
    EXPECT_EQ(ResponseCodeText(0x000401E8), "Asynchronous mode.");
    EXPECT_EQ(ResponseCodeText(static_cast<std::int32_t>(0x80004004)), "Operation Aborted.");
}

TEST(ResponseCodeTextTest, UnknownCodeNamesTheCodeAndSystemText)
{
    EXPECT_EQ(ResponseCodeText(57), "Unknown Response: 57 ");
    EXPECT_EQ(
        ResponseCodeText(12029), "Unknown Response: 12029 A connection with the server could not be established.");
}

TEST(DataFlagsTextTest, SingleFlagsHaveTextsCombinationsFallBackToCodes)
{
    EXPECT_EQ(DataFlagsText(1), "Identifed the first call to OnDataAvailable.");
    EXPECT_EQ(DataFlagsText(16), "Size of the data available is unknown.");
    EXPECT_EQ(DataFlagsText(3), "Server redirecting client...");
    EXPECT_EQ(DataFlagsText(9), "Ending component download...");
}

TEST(FormatTimeTest, HoursMinutesSecondsWithHoursWrappingAt60)
{
    EXPECT_EQ(FormatTime(0), "00:00:00");
    EXPECT_EQ(FormatTime(3725), "01:02:05");
    EXPECT_EQ(FormatTime(61 * 3600), "01:00:00");
    EXPECT_EQ(FormatTime(60 * 3600), "00:00:00");
}

TEST(FormatSizeTest, BytesKilobytesMegabytesWithSeparators)
{
    EXPECT_EQ(FormatSize(0), "");
    EXPECT_EQ(FormatSize(-5), "");
    EXPECT_EQ(FormatSize(512), "512.00 b");
    EXPECT_EQ(FormatSize(1024), "1.00 Kb");
    EXPECT_EQ(FormatSize(1536), "1.50 Kb");
    EXPECT_EQ(FormatSize(1048576), "1.00 Mb");
    EXPECT_EQ(FormatSize(1073741824), "1,024.00 Mb");
    EXPECT_EQ(FormatSize(1024.0 * 1024 * 1234567), "1,234,567.00 Mb");
    EXPECT_EQ(FormatSize(1023.999), "1,024.00 b");
    EXPECT_EQ(FormatSize(1e-300), "0.00 b");
    EXPECT_EQ(FormatSize(-1e300), "");
    EXPECT_EQ(FormatSize(-std::numeric_limits<double>::max()), "");
    EXPECT_EQ(FormatSize(std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_EQ(FormatSize(-std::numeric_limits<double>::infinity()), "");
    EXPECT_EQ(FormatSize(std::numeric_limits<double>::infinity()), "INF Mb");
    // The largest double is 303 digits of megabytes, every one of them printed and grouped.
    const std::string largest = FormatSize(std::numeric_limits<double>::max());
    EXPECT_TRUE(std::regex_match(largest, std::regex(R"(171(,\d{3}){100}\.00 Mb)"))) << largest;
}

TEST(ReplaceCharTest, ReplacesEveryOccurrenceKeepingLength)
{
    EXPECT_EQ(ReplaceChar("/d/?a=1?b", '?', '_'), "/d/_a=1_b");
    EXPECT_EQ(ReplaceChar("", '?', '_'), "");
}

TEST(TaskMemStringTest, CopyIsTerminated)
{
    char16_t* copy = TaskMemString(u"abc");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::u16string(copy), u"abc");
    CoTaskMemFree(copy);
}

TEST(TimeTextTest, MinutesAfterHoursMonthOtherwise)
{
    TFormatSettings saved = FormatSettings();
    FormatSettings().TimeSeparator = '_';
    FormatSettings().LongTimeFormat = "mm:ss.zzz";
    EXPECT_EQ(ZeroTimeText(), "12_00.000");
    EXPECT_TRUE(std::regex_match(CurrentTimeText(), std::regex(R"((0[1-9]|1[0-2])_[0-5]\d\.\d{3})")));
    FormatSettings().LongTimeFormat = "hh:mm:ss";
    EXPECT_EQ(ZeroTimeText(), "00_00_00");
    FormatSettings() = saved;
}

} // namespace
