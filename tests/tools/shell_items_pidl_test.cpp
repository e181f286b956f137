// Item identifier lists: their byte layout and the helpers that size, copy,
// join, shorten and free them.
#include "tools/ShellItems.h"

#include <gtest/gtest.h>

#include <cstring>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A list as bytes: each item is its count (2 bytes, little-endian) then its
// payload; the terminator is added.
Bytes listOf(std::initializer_list<Bytes> payloads)
{
    Bytes bytes;
    for (const Bytes& payload : payloads) {
        const std::size_t count = payload.size() + 2;
        bytes.push_back(std::uint8_t(count & 0xFF));
        bytes.push_back(std::uint8_t(count >> 8));
        bytes.insert(bytes.end(), payload.begin(), payload.end());
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

LPCITEMIDLIST asList(const Bytes& bytes) { return reinterpret_cast<LPCITEMIDLIST>(bytes.data()); }

Bytes bytesOf(LPCITEMIDLIST list)
{
    const auto* start = reinterpret_cast<const std::uint8_t*>(list);
    return Bytes(start, start + GetPidlSize(list));
}

// Frees what the helpers hand out, and checks FreePidl on the way.
struct Owned {
    explicit Owned(LPITEMIDLIST owned) : list(owned) {}
    ~Owned() { FreePidl(list); }
    LPITEMIDLIST list;
};

const Bytes kEmpty = listOf({});
const Bytes kOne = listOf({{0x31, 'a'}});
const Bytes kTwo = listOf({{0x31, 'a'}, {0x32, 'b', 'c'}});
const Bytes kLong = listOf({Bytes(300, 0x41)}); // a count above one byte

TEST(PidlSize, CountsEveryItemAndTheTerminator)
{
    const struct {
        const Bytes* list;
        int size;
    } cases[] = {{&kEmpty, 2}, {&kOne, 6}, {&kTwo, 11}, {&kLong, 304}};
    for (const auto& c : cases)
        EXPECT_EQ(GetPidlSize(asList(*c.list)), c.size);
    EXPECT_EQ(GetPidlSize(nullptr), 0);
}

TEST(PidlItems, NextItemIsTheItemPlusItsCount)
{
    const auto* start = reinterpret_cast<const std::uint8_t*>(asList(kTwo));
    EXPECT_EQ(reinterpret_cast<std::uint8_t*>(NextPidlItem(asList(kTwo))), start + 4);
    EXPECT_EQ(reinterpret_cast<std::uint8_t*>(NextPidlItem(NextPidlItem(asList(kTwo)))), start + 9);
    EXPECT_EQ(reinterpret_cast<std::uint8_t*>(NextPidlItem(asList(kLong))),
        reinterpret_cast<const std::uint8_t*>(asList(kLong)) + 302);
}

TEST(PidlItems, AllocGivesZerosAndCopyGivesTheSameBytes)
{
    Owned block(AllocPidl(16));
    ASSERT_NE(block.list, nullptr);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(block.list);
    EXPECT_EQ(Bytes(bytes, bytes + 16), Bytes(16, 0));
    EXPECT_EQ(AllocPidl(-1), nullptr);

    for (const Bytes* list : {&kEmpty, &kOne, &kTwo, &kLong}) {
        Owned copy(CopyPidl(asList(*list)));
        ASSERT_NE(copy.list, nullptr);
        EXPECT_NE(copy.list, asList(*list));
        EXPECT_EQ(bytesOf(copy.list), *list);
    }
    EXPECT_EQ(CopyPidl(nullptr), nullptr);
}

TEST(PidlItems, ConcatJoinsFirstWithoutItsTerminatorAndSecondWithIt)
{
    const struct {
        const Bytes* first; // nullptr: a missing list
        const Bytes* second;
        Bytes joined;
    } cases[] = {
        {&kOne, &kTwo, listOf({{0x31, 'a'}, {0x31, 'a'}, {0x32, 'b', 'c'}})},
        {&kTwo, &kEmpty, kTwo},
        {&kEmpty, &kOne, kOne},
        {nullptr, &kTwo, kTwo}, // a copy of the second
        {&kOne, nullptr, kOne},
        {nullptr, nullptr, kEmpty},
    };
    for (const auto& c : cases) {
        Owned joined(ConcatPidls(c.first ? asList(*c.first) : nullptr, c.second ? asList(*c.second) : nullptr));
        ASSERT_NE(joined.list, nullptr);
        EXPECT_EQ(bytesOf(joined.list), c.joined);
    }
}

TEST(PidlItems, StripLastLeavesTheParentsList)
{
    const struct {
        Bytes list;
        int sizeAfter;
    } cases[] = {
        {kTwo, 6}, // the parent's list: just "a"
        {kOne, 2}, // one item: an empty list
        {kEmpty, 2}, // nothing to strip
    };
    for (auto c : cases) {
        StripLastPidlItem(reinterpret_cast<LPITEMIDLIST>(c.list.data()));
        EXPECT_EQ(GetPidlSize(asList(c.list)), c.sizeAfter);
    }
    StripLastPidlItem(nullptr);
}

// An allocator that cannot be obtained.
struct NoAllocator : ::testing::Test {
    void SetUp() override { SetShellMallocForTests(nullptr); }
    void TearDown() override { RestoreShellMalloc(); }
};

TEST_F(NoAllocator, AllocatingFailsQuietlyAndFreeingRaises)
{
    EXPECT_EQ(AllocPidl(8), nullptr);
    EXPECT_EQ(CopyPidl(asList(kOne)), nullptr);
    EXPECT_EQ(ConcatPidls(asList(kOne), asList(kTwo)), nullptr);
    Bytes list = kOne;
    EXPECT_THROW(FreePidl(reinterpret_cast<LPITEMIDLIST>(list.data())), EOleSysError);
    EXPECT_NO_THROW(FreePidl(nullptr));
}

TEST(StrRet, EachFormGivesItsText)
{
    const Bytes item = listOf({{0x32, 'n', 'o', 't', 'e', 's', '.', 't', 'x', 't'}});
    STRRET wide;
    wide.uType = STRRET_WSTR;
    wide.pOleStr = u"Größe";
    STRRET offset;
    offset.uType = STRRET_OFFSET;
    offset.uOffset = 3; // after the count and the kind byte: to the item's end
    STRRET past = offset;
    past.uOffset = 40;
    STRRET fixed;
    fixed.uType = STRRET_CSTR;
    std::memcpy(fixed.cStr, "/tmp/a b\0junk", 13);
    STRRET unknown;
    unknown.uType = 7;
    const struct {
        const STRRET* name;
        QString text;
    } cases[] = {{&wide, "Größe"}, {&offset, "notes.txt"}, {&past, ""}, {&fixed, "/tmp/a b"}, {&unknown, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(StrRetToString(asList(item), *c.name), c.text) << c.name->uType;
}

} // namespace
