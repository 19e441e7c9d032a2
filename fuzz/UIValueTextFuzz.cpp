// The eight text forms of UI property values (and interpolation names) from
// anywhere: reading never fails, and a value's text reads back to the same
// text, so files written from values are stable.
#include "engine/ui/Component.h"
#include "engine/ui/UIValue.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

template <typename T>
void CheckStable(const char* text) {
    using Varnok::UIValue;
    const Varnok::AsciiString first = UIValue<T>::ToString(UIValue<T>::FromString(text));
    const Varnok::AsciiString second = UIValue<T>::ToString(UIValue<T>::FromString(first.c_str()));
    if (!first.Equals(second)) {
        __builtin_trap();
    }
}

template <typename T>
void SetThroughProperty(Varnok::Component& component, const char* text) {
    Varnok::UIProperty<T>* property =
        component.GetOrAddProperty<T>(Varnok::AsciiString("fuzzed"), Varnok::UIValue<T>::Default());
    property->SetFromString(text);
    property->StoreLoadedValue();
    property->RestoreLoadedValue();
    (void)property->ToString();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) {
        return 0;  // property texts are short; longer adds nothing
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* chars = text.c_str();  // stops at the first zero byte, as files do

    CheckStable<bool>(chars);
    CheckStable<Varnok::AsciiString>(chars);
    CheckStable<Varnok::Vector3>(chars);
    CheckStable<Varnok::Vector2>(chars);
    CheckStable<float>(chars);
    CheckStable<Varnok::Rotation>(chars);
    CheckStable<int>(chars);
    CheckStable<Varnok::Colour>(chars);
    CheckStable<Varnok::UILerpType>(chars);
    (void)Varnok::UIValue<unsigned>::FromString(chars);

    const Varnok::AsciiString name(chars);
    const int32_t lerp = Varnok::ParseUILerpType(name);
    if (lerp != -1 && !Varnok::GetUILerpTypeName(lerp).Equals(name)) {
        __builtin_trap();
    }
    (void)Varnok::ParseUIPropertyType(name);
    (void)Varnok::ParseUIScreenScaleMode(name);
    (void)Varnok::ParseUIScreenTransition(name);

    Varnok::Component component;
    SetThroughProperty<bool>(component, chars);
    SetThroughProperty<Varnok::AsciiString>(component, chars);
    SetThroughProperty<Varnok::Vector3>(component, chars);
    SetThroughProperty<Varnok::Vector2>(component, chars);
    SetThroughProperty<float>(component, chars);
    SetThroughProperty<Varnok::Rotation>(component, chars);
    SetThroughProperty<int>(component, chars);
    SetThroughProperty<Varnok::Colour>(component, chars);
    return 0;
}
