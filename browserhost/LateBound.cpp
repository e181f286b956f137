#include "browserhost/LateBound.h"

#include <map>

namespace {

void check(HRESULT hr)
{
    if (FAILED(hr))
        throw EOleException(hr);
}

WideString lowered(std::u16string_view name)
{
    WideString lower(name);
    for (char16_t& c : lower)
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
    return lower;
}

// The control's properties by name.
HRESULT controlProperty(IWebBrowser2& control, std::u16string_view name, Variant& value)
{
    static const std::map<WideString, DISPID> properties = {
        {u"document", DISPID_DOCUMENT},
        {u"application", DISPID_APPLICATION},
        {u"locationurl", DISPID_LOCATIONURL},
        {u"locationname", DISPID_LOCATIONNAME},
        {u"busy", DISPID_BUSY},
        {u"readystate", DISPID_READYSTATE},
    };
    const auto found = properties.find(lowered(name));
    return found == properties.end() ? DISP_E_MEMBERNOTFOUND : control.GetProperty(found->second, value);
}

} // namespace

IDispatch* DispatchOf(const Variant& value)
{
    IDispatch* const* object = value.get<IDispatch*>();
    return object ? *object : nullptr;
}

IDispatchByName& OleObject::Members() const
{
    auto* members = dynamic_cast<IDispatchByName*>(object_);
    if (!members)
        throw EOleException(object_ ? DISP_E_MEMBERNOTFOUND : E_POINTER);
    return *members;
}

Variant OleObject::Get(std::u16string_view name) const
{
    Variant value;
    if (auto* control = dynamic_cast<IWebBrowser2*>(object_))
        check(controlProperty(*control, name, value));
    else
        check(Members().GetMember(WideString(name), value));
    return value;
}

OleObject OleObject::Object(std::u16string_view name) const { return OleObject(DispatchOf(Get(name))); }

QString OleObject::Text(std::u16string_view name) const { return QString::fromStdU16String(Get(name).toWideString()); }

int OleObject::Integer(std::u16string_view name) const { return Get(name).toInt(); }

void OleObject::Put(std::u16string_view name, const Variant& value) const
{
    check(Members().PutMember(WideString(name), value));
}

Variant OleObject::Call(std::u16string_view name, const std::vector<Variant>& args) const
{
    Variant result;
    check(Members().CallMember(WideString(name), args, result));
    return result;
}

OleObject OleObject::CallObject(std::u16string_view name, const std::vector<Variant>& args) const
{
    return OleObject(DispatchOf(Call(name, args)));
}

QStringList OleObject::ItemTexts(std::u16string_view name) const
{
    std::vector<Variant> values;
    check(Members().GetItemMembers(WideString(name), values));
    QStringList texts;
    texts.reserve(qsizetype(values.size()));
    for (const Variant& value : values)
        texts << QString::fromStdU16String(value.toWideString());
    return texts;
}
