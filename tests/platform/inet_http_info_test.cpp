#include "platform/inet/WinInet.h"

#include <gtest/gtest.h>

namespace {

const char* const kAnswer = "HTTP/1.1 206 Partial Content\r\n"
                            "content-length: 42\r\n"
                            "Content-Type: text/plain\r\n"
                            "Accept-Ranges:  bytes \r\n"
                            "\r\n";

TEST(HttpResponseInfoTest, AnswersItemsAsTextOrNumber)
{
    HttpResponseInfo info(kAnswer);
    std::string text;
    ASSERT_TRUE(info.QueryInfo(HTTP_QUERY_STATUS_CODE, text));
    EXPECT_EQ(text, "206");
    ASSERT_TRUE(info.QueryInfo(HTTP_QUERY_STATUS_TEXT, text));
    EXPECT_EQ(text, "Partial Content");
    ASSERT_TRUE(info.QueryInfo(HTTP_QUERY_ACCEPT_RANGES, text));
    EXPECT_EQ(text, "bytes");
    ASSERT_TRUE(info.QueryInfo(HTTP_QUERY_RAW_HEADERS_CRLF, text));
    EXPECT_EQ(text, kAnswer);
    DWORD number = 0;
    ASSERT_TRUE(info.QueryInfoNumber(HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, number));
    EXPECT_EQ(number, 42u);
}

TEST(HttpResponseInfoTest, MissingOrNonNumericItemFails)
{
    HttpResponseInfo info(kAnswer);
    std::string text;
    DWORD number = 7;
    EXPECT_FALSE(info.QueryInfo(HTTP_QUERY_CONTENT_DISPOSITION, text));
    EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_NOT_FOUND);
    EXPECT_FALSE(info.QueryInfoNumber(HTTP_QUERY_CONTENT_TYPE, number));
    EXPECT_FALSE(info.QueryInfoNumber(HTTP_QUERY_CUSTOM, number));
    EXPECT_EQ(number, 7u);
    EXPECT_FALSE(HttpResponseInfo().QueryInfo(HTTP_QUERY_STATUS_CODE, text));
}

TEST(InternetCrackUrlTest, DefaultPortsBracketsAndCapacities)
{
    URL_COMPONENTS parts;
    ASSERT_TRUE(InternetCrackUrl("ftp://[::1]/pub/a.zip", 0, parts));
    EXPECT_EQ(parts.lpszScheme, "ftp");
    EXPECT_EQ(parts.lpszHostName, "::1");
    EXPECT_EQ(parts.nPort, 21);
    EXPECT_EQ(parts.lpszUrlPath, "/pub/a.zip");
    EXPECT_EQ(parts.dwUrlPathLength, 10u);

    URL_COMPONENTS small;
    small.dwHostNameLength = 3;
    EXPECT_FALSE(InternetCrackUrl("http://longhost/", 0, small));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_TRUE(small.lpszScheme.empty());

    URL_COMPONENTS escaped;
    ASSERT_TRUE(InternetCrackUrl("http://h/a%20b?q=%41", ICU_ESCAPE, escaped));
    EXPECT_EQ(escaped.lpszUrlPath, "/a b");
    EXPECT_EQ(escaped.lpszExtraInfo, "?q=A");
    URL_COMPONENTS kept;
    ASSERT_TRUE(InternetCrackUrl("http://h/a%20b", 0, kept));
    EXPECT_EQ(kept.lpszUrlPath, "/a%20b");
}

} // namespace
