// The engine's view of one library cloud object: reads come out as value
// handles, and the edit operations (expanded from the shared edit table) pass
// each target and operand on to the library's typed edit with its mode.
#pragma once

#include "engine/services/OnlineObjects.h"

namespace Kiplink {
class ICloudObject;
class IValue;
}  // namespace Kiplink

namespace Varnok {

class KiplinkCloudObject final : public ICloudObject {
public:
    // Takes a reference of its own on object.
    explicit KiplinkCloudObject(Kiplink::ICloudObject* object);
    ~KiplinkCloudObject() override;

    ServiceValueHandle GetData() override;
    ServiceValueHandle GetMember(const char* key) override;
    ServiceValueHandle GetElement(int32_t index) override;

#define VARNOK_CLOUD_DECLARE_FORM(Name, Op, Mode, Form) \
    bool Name(const ServiceValueHandle& target VARNOK_CLOUD_PARAMS_##Form) override;
#define VARNOK_CLOUD_DECLARE(Name, Op, Mode, Kind) VARNOK_CLOUD_FORMS(VARNOK_CLOUD_DECLARE_FORM, Name, Op, Mode, Kind)
    VARNOK_CLOUD_EDITS(VARNOK_CLOUD_DECLARE)
#undef VARNOK_CLOUD_DECLARE
#undef VARNOK_CLOUD_DECLARE_FORM

    void Save() override;

    Kiplink::ICloudObject* GetLibraryObject() const { return m_object; }

private:
    // Mode 15 with a value made from the operand; a negative maximum is refused.
    bool AppendCapped(const Kiplink::IValue* target, int mode, const ServiceValueRef& value, int32_t maximum);

    Kiplink::ICloudObject* m_object;  // one reference
};

}  // namespace Varnok
