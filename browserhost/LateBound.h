#pragma once
// Late-bound calls on the control and its document as the components write
// them (Browser.Document.body.tagName): each step asks the object for a
// member by name and raises EOleException with the object's HRESULT when it
// fails. The control itself answers its properties by name (Document,
// Application, LocationURL, LocationName); everything else answers through
// IDispatchByName (platform/webcontrol/HtmlDocument.h).
#include "browserhost/SXT.h"
#include "platform/webcontrol/HtmlDocument.h"

#include <QString>
#include <QStringList>

#include <string_view>

class OleObject {
public:
    OleObject(IDispatch* object = nullptr) : object_(object) {}

    IDispatch* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // A member's value. Raises when the object is empty, lacks the member or
    // refuses it.
    Variant Get(std::u16string_view name) const;
    // A member that is an object; an empty OleObject when its value is null.
    OleObject Object(std::u16string_view name) const;
    QString Text(std::u16string_view name) const;
    int Integer(std::u16string_view name) const;
    void Put(std::u16string_view name, const Variant& value) const;
    Variant Call(std::u16string_view name, const std::vector<Variant>& args) const;
    OleObject CallObject(std::u16string_view name, const std::vector<Variant>& args) const;
    // A collection's items' member name as texts, read in one call.
    QStringList ItemTexts(std::u16string_view name) const;

private:
    IDispatchByName& Members() const;

    IDispatch* object_;
};

// The object in a value: the IDispatch it holds, else none.
IDispatch* DispatchOf(const Variant& value);
