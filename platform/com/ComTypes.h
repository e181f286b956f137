#pragma once
// The COM basics the components speak: result codes, 16-bit booleans, wide
// strings and GUIDs. Names and values are those of the Windows headers so that
// component code reads as its contracts are written.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using HRESULT = std::int32_t;
using WordBool = std::int16_t;
using WideString = std::u16string;
using DWORD = std::uint32_t;

constexpr WordBool VARIANT_TRUE = -1;
constexpr WordBool VARIANT_FALSE = 0;
constexpr WordBool toWordBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

constexpr HRESULT makeHResult(std::uint32_t value) { return static_cast<HRESULT>(value); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = makeHResult(0x80004001);
constexpr HRESULT E_NOINTERFACE = makeHResult(0x80004002);
constexpr HRESULT E_POINTER = makeHResult(0x80004003);
constexpr HRESULT E_ABORT = makeHResult(0x80004004);
constexpr HRESULT E_FAIL = makeHResult(0x80004005);
constexpr HRESULT E_UNEXPECTED = makeHResult(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = makeHResult(0x80070005);
constexpr HRESULT E_OUTOFMEMORY = makeHResult(0x8007000E);
constexpr HRESULT E_INVALIDARG = makeHResult(0x80070057);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = makeHResult(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = makeHResult(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = makeHResult(0x80020005);
constexpr HRESULT DISP_E_BADINDEX = makeHResult(0x8002000B);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// UTF-8 <-> UTF-16 for text crossing the wide interfaces.
WideString toWide(std::string_view utf8);
std::string fromWide(std::u16string_view wide);

struct GUID {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};

    // Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional);
    // nothing for any other text.
    static std::optional<GUID> parse(std::string_view text);
    // Upper-case form with braces, as the registry writes it.
    std::string toString() const;
    friend bool operator==(const GUID&, const GUID&) = default;
};
