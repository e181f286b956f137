// The links checker's words for an answer and its choice of which entries to
// fetch, shared by the window's tab and zarn-links.
#include "download/DownloadStatus.h"
#include "download/LinkCheck.h"

#include <gtest/gtest.h>

namespace {

TEST(LinkCheck, StatusTextsSaySuccessOnlyBelow400)
{
    struct Case {
        int status;
        std::string statusText;
        std::string resultText;
    };
    const std::string ok = ResponseCodeText(0);
    const Case cases[] = {
        {200, "Finished...", ResponseCodeText(200)},
        {204, ok, ResponseCodeText(204)},
        {302, ok, ResponseCodeText(302)},
        {304, ok, ResponseCodeText(304)},
        {399, ok, ResponseCodeText(399)},
        {400, ResponseCodeText(400), ResponseCodeText(400)},
        {404, ResponseCodeText(404), ResponseCodeText(404)},
        {500, ResponseCodeText(500), ResponseCodeText(500)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LinkStatusText(c.status), c.statusText) << c.status;
        EXPECT_EQ(LinkResultText(c.status), c.resultText) << c.status;
    }
    EXPECT_NE(LinkStatusText(400), ok) << "a bad request reads as a success";
    EXPECT_EQ(ResponseCodeText(404), "Not Found");
    EXPECT_EQ(LinkErrorText("Connection refused"), "Error: Connection refused");
    EXPECT_TRUE(LinkBroken(false, 0));
    EXPECT_TRUE(LinkBroken(true, 400));
    EXPECT_FALSE(LinkBroken(true, 302));
}

TEST(LinkCheck, OnlyHttpAndAddressesWithoutASchemeAreFetched)
{
    struct Case {
        std::string entry;
        TLinkEntry kind;
    };
    const Case cases[] = {
        {"", TLinkEntry::Empty},
        {"  \t ", TLinkEntry::Empty},
        {"example.com", TLinkEntry::Fetched},
        {"  http://example.com/  ", TLinkEntry::Fetched},
        {"HTTPS://example.com/", TLinkEntry::Fetched},
        {"localhost:8080/page", TLinkEntry::Fetched},
        {"127.0.0.1:8080", TLinkEntry::Fetched},
        {"a/b:c", TLinkEntry::Fetched},
        {"file:///dev/zero", TLinkEntry::OtherScheme},
        {"ftp://example.com/", TLinkEntry::OtherScheme},
        {"javascript:alert(1)", TLinkEntry::OtherScheme},
        {"mailto:someone@example.com", TLinkEntry::OtherScheme},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LinkEntryKind(c.entry), c.kind) << c.entry;
}

} // namespace
