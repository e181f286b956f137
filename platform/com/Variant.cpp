#include "platform/com/Variant.h"

#include <charconv>

namespace {
template <class... F> struct Overload : F... {
    using F::operator()...;
};
template <class... F> Overload(F...) -> Overload<F...>;
} // namespace

VARTYPE Variant::vt() const
{
    return std::visit(Overload{
                          [](Empty) { return VT_EMPTY; },
                          [](Null) { return VT_NULL; },
                          [](std::int32_t) { return VT_I4; },
                          [](const WideString&) { return VT_BSTR; },
                          [](IDispatch*) { return VT_DISPATCH; },
                          [](Error) { return VT_ERROR; },
                          [](Bool) { return VT_BOOL; },
                          [](const Bytes&) { return VT_UI1_ARRAY; },
                          [](const Array&) { return VT_VARIANT_ARRAY; },
                      },
        value_);
}

bool Variant::isOmitted() const
{
    auto* e = get<Error>();
    return e && e->code == DISP_E_PARAMNOTFOUND;
}

std::int32_t Variant::toInt(std::int32_t fallback) const
{
    if (auto* i = get<std::int32_t>())
        return *i;
    if (auto* b = get<Bool>())
        return b->value;
    if (auto* s = get<WideString>()) {
        std::string text = fromWide(*s);
        std::int32_t out = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
        return (ec == std::errc() && end == text.data() + text.size() && !text.empty()) ? out : fallback;
    }
    return fallback;
}

bool Variant::toBool() const
{
    if (auto* b = get<Bool>())
        return b->value != VARIANT_FALSE;
    return toInt(0) != 0;
}

WideString Variant::toWideString() const
{
    if (auto* s = get<WideString>())
        return *s;
    if (auto* i = get<std::int32_t>())
        return toWide(std::to_string(*i));
    if (auto* b = get<Bool>())
        return b->value ? u"True" : u"False";
    if (auto* bytes = get<Bytes>())
        return toWide(std::string(bytes->begin(), bytes->end()));
    return {};
}
