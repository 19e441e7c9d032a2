// The edit operations are written once, as expansions of the shared table:
// one body per operand form.
#include "providers/Provider_Kiplink/KiplinkCloudObject.h"

#include "kiplink/Public/ICloud.h"
#include "kiplink/Public/IValue.h"
#include "providers/Provider_Kiplink/KiplinkValue.h"

namespace Varnok {

namespace {

// Reads a member through the data's const access, which never turns a value
// into a container; the answer keeps the member alive on its own.
template <typename Key>
ServiceValueHandle ConstMember(Kiplink::ICloudObject* object, Key key) {
    auto data = Kiplink::RefPtr<Kiplink::IValue>::Adopt(object->GetData());
    if (data.Get() == nullptr) {
        return ServiceValueHandle(KiplinkValue::Wrap(nullptr));
    }
    const Kiplink::IValue& view = *data;
    return ServiceValueHandle(KiplinkValue::Wrap(view.GetMemberByString(key)));
}

template <>
ServiceValueHandle ConstMember<int32_t>(Kiplink::ICloudObject* object, int32_t index) {
    auto data = Kiplink::RefPtr<Kiplink::IValue>::Adopt(object->GetData());
    if (data.Get() == nullptr) {
        return ServiceValueHandle(KiplinkValue::Wrap(nullptr));
    }
    const Kiplink::IValue& view = *data;
    return ServiceValueHandle(KiplinkValue::Wrap(view.GetMemberByInt(index)));
}

}  // namespace

KiplinkCloudObject::KiplinkCloudObject(Kiplink::ICloudObject* object) : m_object(object) { m_object->Reference(); }

KiplinkCloudObject::~KiplinkCloudObject() { m_object->Release(); }

ServiceValueHandle KiplinkCloudObject::GetData() { return ServiceValueHandle(KiplinkValue::Adopt(m_object->GetData())); }

ServiceValueHandle KiplinkCloudObject::GetMember(const char* key) {
    if (key == nullptr) {
        return ServiceValueHandle(KiplinkValue::Wrap(nullptr));
    }
    return ConstMember(m_object, key);
}

ServiceValueHandle KiplinkCloudObject::GetElement(int32_t index) { return ConstMember(m_object, index); }

void KiplinkCloudObject::Save() { m_object->Save(); }

bool KiplinkCloudObject::AppendCapped(const Kiplink::IValue* target, int mode, const ServiceValueRef& value,
                                      int32_t maximum) {
    const Kiplink::IValue* operand = KiplinkValue::LibraryValueOf(value);
    if (operand == nullptr || maximum < 0) {
        return false;
    }
    return m_object->AppendCapped(target, mode, *operand, static_cast<uint32_t>(maximum));
}

// One body per operand form. "target" is the wrapped library value; every
// form answers false when the target (or a value operand) is no library
// value, and text forms when the text is null.
#define VARNOK_CLOUD_CALL_StringWithLength(Op, Mode) return operand != nullptr && m_object->Op(t, Mode, operand, length);
#define VARNOK_CLOUD_CALL_String(Op, Mode) return operand != nullptr && m_object->Op(t, Mode, operand);
#define VARNOK_CLOUD_CALL_Int(Op, Mode) return m_object->Op(t, Mode, operand);
#define VARNOK_CLOUD_CALL_Float(Op, Mode) return m_object->Op(t, Mode, operand);
#define VARNOK_CLOUD_CALL_UInt(Op, Mode) return m_object->Op(t, Mode, operand);
#define VARNOK_CLOUD_CALL_Bool(Op, Mode) return m_object->Op(t, Mode, operand);
#define VARNOK_CLOUD_CALL_Unary(Op, Mode) return m_object->Op(t, Mode);
#define VARNOK_CLOUD_CALL_ValueHandle(Op, Mode)                          \
    const Kiplink::IValue* value = KiplinkValue::LibraryValueOf(operand); \
    return value != nullptr && m_object->Op(t, Mode, *value);
#define VARNOK_CLOUD_CALL_ValueRef(Op, Mode) VARNOK_CLOUD_CALL_ValueHandle(Op, Mode)
// The typed capped appends make a value of the operand's type through the
// target's own factory; it goes when the call is done.
#define VARNOK_CLOUD_CALL_CAPPED_MADE(Mode, Setter)  \
    ServiceValueRef made = target.Get()->Create();   \
    made.Get()->Setter(operand);                     \
    return AppendCapped(t, Mode, made, maximum);
#define VARNOK_CLOUD_CALL_CappedString(Op, Mode) \
    if (operand == nullptr) {                    \
        return false;                            \
    }                                            \
    VARNOK_CLOUD_CALL_CAPPED_MADE(Mode, SetAsString)
#define VARNOK_CLOUD_CALL_CappedInt(Op, Mode) VARNOK_CLOUD_CALL_CAPPED_MADE(Mode, SetAsInt)
#define VARNOK_CLOUD_CALL_CappedFloat(Op, Mode) VARNOK_CLOUD_CALL_CAPPED_MADE(Mode, SetAsFloat)
#define VARNOK_CLOUD_CALL_CappedUInt(Op, Mode) VARNOK_CLOUD_CALL_CAPPED_MADE(Mode, SetAsUInt)
#define VARNOK_CLOUD_CALL_CappedBool(Op, Mode) VARNOK_CLOUD_CALL_CAPPED_MADE(Mode, SetAsBool)
#define VARNOK_CLOUD_CALL_CappedValueHandle(Op, Mode) \
    return AppendCapped(t, Mode, ServiceValueRef::FromHandle(operand), maximum);
#define VARNOK_CLOUD_CALL_CappedValueRef(Op, Mode) return AppendCapped(t, Mode, operand, maximum);

#define VARNOK_CLOUD_DEFINE_FORM(Name, Op, Mode, Form)                                      \
    bool KiplinkCloudObject::Name(const ServiceValueHandle& target VARNOK_CLOUD_PARAMS_##Form) { \
        const Kiplink::IValue* t = KiplinkValue::LibraryValueOf(target);                    \
        if (t == nullptr) {                                                                  \
            return false;                                                                    \
        }                                                                                    \
        VARNOK_CLOUD_CALL_##Form(Op, Mode)                                                   \
    }
#define VARNOK_CLOUD_DEFINE(Name, Op, Mode, Kind) VARNOK_CLOUD_FORMS(VARNOK_CLOUD_DEFINE_FORM, Name, Op, Mode, Kind)
VARNOK_CLOUD_EDITS(VARNOK_CLOUD_DEFINE)

}  // namespace Varnok
