#include "platform/shell/ItemIdList.h"

#include <cstdlib>
#include <cstring>

namespace {

class ProcessMalloc final : public IMalloc {
public:
    void* Alloc(std::ptrdiff_t size) override { return size < 0 ? nullptr : std::malloc(std::size_t(size)); }
    void Free(void* block) override { std::free(block); }
};

ProcessMalloc processMalloc;
IMalloc* currentMalloc = &processMalloc;

const std::uint8_t* bytesOf(LPCITEMIDLIST list) { return reinterpret_cast<const std::uint8_t*>(list); }

// A list of the given size from the shell allocator, filled with zeros.
UniquePidl allocList(std::size_t size)
{
    IMalloc* malloc = nullptr;
    if (FAILED(SHGetMalloc(&malloc)) || !malloc)
        return nullptr;
    void* block = malloc->Alloc(std::ptrdiff_t(size));
    if (!block)
        return nullptr;
    std::memset(block, 0, size);
    return UniquePidl(static_cast<ITEMIDLIST*>(block));
}

} // namespace

HRESULT SHGetMalloc(IMalloc** malloc)
{
    *malloc = currentMalloc;
    return currentMalloc ? S_OK : E_FAIL;
}

void SetShellMallocForTests(IMalloc* malloc) { currentMalloc = malloc; }

void RestoreShellMalloc() { currentMalloc = &processMalloc; }

std::uint16_t ItemByteCount(const void* item)
{
    const auto* bytes = static_cast<const std::uint8_t*>(item);
    return std::uint16_t(bytes[0] | (bytes[1] << 8));
}

void SetItemByteCount(void* item, std::uint16_t count)
{
    auto* bytes = static_cast<std::uint8_t*>(item);
    bytes[0] = std::uint8_t(count & 0xFF);
    bytes[1] = std::uint8_t(count >> 8);
}

void PidlFree::operator()(ITEMIDLIST* list) const
{
    IMalloc* malloc = nullptr;
    if (list && SUCCEEDED(SHGetMalloc(&malloc)) && malloc)
        malloc->Free(list);
}

UniquePidl MakeItem(std::uint8_t kind, const QByteArray& payload)
{
    const std::size_t itemSize = ITEM_PAYLOAD_OFFSET + std::size_t(payload.size());
    if (itemSize > 0xFFFF)
        return nullptr;
    UniquePidl list = allocList(itemSize + 2);
    if (!list)
        return nullptr;
    auto* bytes = reinterpret_cast<std::uint8_t*>(list.get());
    SetItemByteCount(bytes, std::uint16_t(itemSize));
    bytes[2] = kind;
    std::memcpy(bytes + ITEM_PAYLOAD_OFFSET, payload.constData(), std::size_t(payload.size()));
    return list;
}

std::uint8_t ItemKind(LPCITEMIDLIST item)
{
    return item && ItemByteCount(item) >= ITEM_PAYLOAD_OFFSET ? bytesOf(item)[2] : 0;
}

QByteArray ItemPayload(LPCITEMIDLIST item)
{
    const std::uint16_t count = item ? ItemByteCount(item) : 0;
    if (count < ITEM_PAYLOAD_OFFSET)
        return {};
    return QByteArray(reinterpret_cast<const char*>(bytesOf(item) + ITEM_PAYLOAD_OFFSET), count - ITEM_PAYLOAD_OFFSET);
}

bool IsEmptyList(LPCITEMIDLIST list) { return !list || ItemByteCount(list) == 0; }

LPCITEMIDLIST NextItem(LPCITEMIDLIST item)
{
    return reinterpret_cast<LPCITEMIDLIST>(bytesOf(item) + ItemByteCount(item));
}

std::size_t ListByteSize(LPCITEMIDLIST list)
{
    if (!list)
        return 0;
    std::size_t size = 2;
    for (LPCITEMIDLIST item = list; ItemByteCount(item) != 0; item = NextItem(item))
        size += ItemByteCount(item);
    return size;
}

UniquePidl JoinLists(LPCITEMIDLIST first, LPCITEMIDLIST second)
{
    const std::size_t firstBytes = first ? ListByteSize(first) - 2 : 0;
    const std::size_t secondBytes = second ? ListByteSize(second) - 2 : 0;
    UniquePidl joined = allocList(firstBytes + secondBytes + 2);
    if (!joined)
        return nullptr;
    auto* bytes = reinterpret_cast<std::uint8_t*>(joined.get());
    if (firstBytes)
        std::memcpy(bytes, first, firstBytes);
    if (secondBytes)
        std::memcpy(bytes + firstBytes, second, secondBytes);
    return joined;
}

UniquePidl LastItemOf(LPCITEMIDLIST list)
{
    LPCITEMIDLIST last = nullptr;
    for (LPCITEMIDLIST item = list; item && ItemByteCount(item) != 0; item = NextItem(item))
        last = item;
    if (!last)
        return allocList(2);
    UniquePidl copy = allocList(ItemByteCount(last) + 2u);
    if (copy)
        std::memcpy(copy.get(), last, ItemByteCount(last));
    return copy;
}
