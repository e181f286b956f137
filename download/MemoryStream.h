#pragma once
// A growable block of bytes written at its end, as a download into memory
// fills it.
#include <cstddef>
#include <string_view>
#include <vector>

class TMemoryStream {
public:
    void Write(const char* data, std::size_t size) { bytes_.insert(bytes_.end(), data, data + size); }
    void Clear() { bytes_.clear(); }
    std::size_t Size() const { return bytes_.size(); }
    const char* Memory() const { return bytes_.data(); }
    std::string_view View() const { return {bytes_.data(), bytes_.size()}; }

private:
    std::vector<char> bytes_;
};
