#include "platform/com/Variant.h"

#include <gtest/gtest.h>

TEST(ComTypes, WideStringsRoundTripThroughUtf8)
{
    for (std::string text : {"", "plain",
             "Gr\xC3\xBC\xC3\x9F"
             "e",
             "\xF0\x9F\x98\x80 emoji", "\xE2\x82\xAC"})
        EXPECT_EQ(fromWide(toWide(text)), text);
    EXPECT_EQ(toWide("\xF0\x9F\x98\x80").size(), 2u); // surrogate pair
    // A surrogate without its partner is no text: U+FFFD, never invalid UTF-8.
    EXPECT_EQ(fromWide(u"a\xD83D"
                       u"b"),
        "a\xEF\xBF\xBD"
        "b");
    EXPECT_EQ(fromWide(u"\xDE00"
                       u"a\xD83D"),
        "\xEF\xBF\xBD"
        "a\xEF\xBF\xBD");
}

TEST(ComTypes, GuidParsesAndPrintsInRegistryForm)
{
    auto g = GUID::parse("{8856f961-340a-11d0-a96b-00c04fd705a2}");
    ASSERT_TRUE(g);
    EXPECT_EQ(g->toString(), "{8856F961-340A-11D0-A96B-00C04FD705A2}");
    EXPECT_FALSE(GUID::parse("{8856F961-340A-11D0-A96B-00C04FD705A}"));
    EXPECT_FALSE(GUID::parse("not a guid at all, not at all, no no no"));
}

TEST(ComTypes, VariantKindsAndConversions)
{
    EXPECT_TRUE(Variant().isEmpty());
    EXPECT_TRUE(Variant::omitted().isOmitted());
    EXPECT_EQ(Variant::omitted().vt(), VT_ERROR);
    EXPECT_EQ(Variant(7).toInt(), 7);
    EXPECT_EQ(Variant(u"42").toInt(), 42);
    EXPECT_EQ(Variant(u"4x").toInt(-1), -1);
    EXPECT_EQ(Variant::fromBool(true).get<Variant::Bool>()->value, VARIANT_TRUE);
    EXPECT_TRUE(Variant::fromBool(true).toBool());
    EXPECT_EQ(Variant::fromUtf8("about:blank").toUtf8(), "about:blank");
    EXPECT_EQ(Variant(Variant::Bytes{'a', 'b'}).vt(), VT_UI1_ARRAY);
}
