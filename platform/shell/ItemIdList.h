#pragma once
// Item identifier lists: the names the shell gives its items. A list is one
// memory block holding a sequence of items; each item starts with its byte
// count (unsigned 16 bits, little-endian, the count field included) followed
// by bytes only the owning folder reads, and the list ends with a count of 0.
// Lists are allocated and freed with the shell allocator (SHGetMalloc).
//
// The items of this system's namespace are laid out as
//   [count: 2][kind: 1][payload]
// with these kinds and payloads:
//   ITEM_SPECIAL_FOLDER  the CSIDL number, 2 bytes little-endian (children of
//                        the desktop: the special folders)
//   ITEM_FS_FOLDER, ITEM_FS_FILE
//                        the entry's file name in UTF-8, no terminator
//                        (children of a file-system folder)
//   ITEM_URL             an address in UTF-8, no terminator (children of the
//                        internet folder: the targets of internet shortcuts)
#include "platform/com/ComTypes.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <memory>

struct ITEMIDLIST {
    std::uint8_t bytes[2]; // the first item's count; the list runs on past it
};
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;

constexpr std::uint8_t ITEM_SPECIAL_FOLDER = 0x1F;
constexpr std::uint8_t ITEM_FS_FOLDER = 0x31;
constexpr std::uint8_t ITEM_FS_FILE = 0x32;
constexpr std::uint8_t ITEM_URL = 0x61;
// Where the payload of an item starts (after the count and the kind).
constexpr unsigned ITEM_PAYLOAD_OFFSET = 3;

// The shell allocator. Blocks from it must be freed by it.
class IMalloc {
public:
    virtual ~IMalloc() = default;
    // A block of the size, or nullptr when it cannot be had (a negative size
    // included).
    virtual void* Alloc(std::ptrdiff_t size) = 0;
    // Frees a block from Alloc; nothing for nullptr.
    virtual void Free(void* block) = 0;
};

// The process's shell allocator: S_OK with it in malloc, or a failure with
// nullptr when a test took it away (SetShellMallocForTests).
HRESULT SHGetMalloc(IMalloc** malloc);
// Replaces the shell allocator for a test (nullptr: none can be obtained);
// RestoreShellMalloc puts the process's own back.
void SetShellMallocForTests(IMalloc* malloc);
void RestoreShellMalloc();

// The byte count at the start of an item (read without alignment).
std::uint16_t ItemByteCount(const void* item);
void SetItemByteCount(void* item, std::uint16_t count);

// A list freed with the shell allocator when it goes out of scope.
struct PidlFree {
    void operator()(ITEMIDLIST* list) const;
};
using UniquePidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

// A new list of one item of the kind with the payload; nullptr when the item
// would not fit its 16-bit count or the allocator fails.
UniquePidl MakeItem(std::uint8_t kind, const QByteArray& payload);
// The kind and payload of the first item of a list (an item count below 3
// gives kind 0 and an empty payload).
std::uint8_t ItemKind(LPCITEMIDLIST item);
QByteArray ItemPayload(LPCITEMIDLIST item);
// Whether the list holds no item (nullptr or just the terminator).
bool IsEmptyList(LPCITEMIDLIST list);
// The item after this one.
LPCITEMIDLIST NextItem(LPCITEMIDLIST item);
// A new list: the first followed by the second (either may be nullptr).
UniquePidl JoinLists(LPCITEMIDLIST first, LPCITEMIDLIST second);
// A new list holding just the last item; an empty list for an empty one.
UniquePidl LastItemOf(LPCITEMIDLIST list);
// The byte size of a list with its terminator (0 for nullptr).
std::size_t ListByteSize(LPCITEMIDLIST list);
