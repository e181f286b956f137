#pragma once
// OleVariant: the value type passed through the control's methods and events.
// A Variant holds one of the kinds below; "by reference" arguments are plain
// C++ references to a Variant, so a handler's change reaches the caller.
#include "platform/com/ComTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

// The object behind an IDispatch-typed argument (pDisp). Components compare
// it for identity (is this the top-level browser?) and ask it for interfaces
// with dynamic_cast.
class IDispatch {
public:
    virtual ~IDispatch() = default;
};

enum VARTYPE : std::uint16_t {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I4 = 3,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_UI1_ARRAY = 0x2011, // VT_ARRAY | VT_UI1: post data
    VT_VARIANT_ARRAY = 0x200C, // VT_ARRAY | VT_VARIANT
};

class Variant {
public:
    struct Empty {
        friend bool operator==(Empty, Empty) { return true; }
    };
    struct Null {
        friend bool operator==(Null, Null) { return true; }
    };
    struct Error {
        HRESULT code = DISP_E_PARAMNOTFOUND;
        friend bool operator==(Error, Error) = default;
    };
    struct Bool {
        WordBool value = VARIANT_FALSE;
        friend bool operator==(Bool, Bool) = default;
    };
    using Bytes = std::vector<std::uint8_t>;
    using Array = std::vector<Variant>;
    using Value = std::variant<Empty, Null, std::int32_t, WideString, IDispatch*, Error, Bool, Bytes, Array>;

    Variant() = default;
    Variant(std::int32_t v) : value_(v) {}
    Variant(const char16_t* v) : value_(WideString(v)) {}
    Variant(WideString v) : value_(std::move(v)) {}
    Variant(IDispatch* v) : value_(v) {}
    Variant(Bool v) : value_(v) {}
    Variant(Error v) : value_(v) {}
    Variant(Null v) : value_(v) {}
    Variant(Bytes v) : value_(std::move(v)) {}
    Variant(Array v) : value_(std::move(v)) {}

    // The marker of an omitted optional parameter: VT_ERROR with DISP_E_PARAMNOTFOUND.
    static Variant omitted() { return Variant(Error{}); }
    static Variant fromBool(bool v) { return Variant(Bool{toWordBool(v)}); }
    static Variant fromUtf8(std::string_view v) { return Variant(toWide(v)); }

    VARTYPE vt() const;
    bool isEmpty() const { return std::holds_alternative<Empty>(value_); }
    bool isOmitted() const;

    // Conversions in the spirit of VariantChangeType; a value that does not
    // convert gives the fallback.
    std::int32_t toInt(std::int32_t fallback = 0) const;
    bool toBool() const;
    WideString toWideString() const;
    std::string toUtf8() const { return fromWide(toWideString()); }

    template <class T> const T* get() const { return std::get_if<T>(&value_); }
    template <class T> T* get() { return std::get_if<T>(&value_); }
    const Value& value() const { return value_; }

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    Value value_;
};

using OleVariant = Variant;
