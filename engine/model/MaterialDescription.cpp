// Defaults, setters and the keyed record reader of MaterialDescription.
#include "engine/model/MaterialDescription.h"

#include "engine/model/internal/ByteCursor.h"

#include <cstring>

namespace Varnok {

namespace {

constexpr const char kDefaultName[] = "defaultMaterial";
constexpr const char kEndRecord[] = "MatEnd";

bool NameIs(const AsciiString& name, const char* text) {
    return std::strcmp(name.c_str(), text) == 0 &&
           name.Length() == static_cast<int>(std::strlen(text));
}

}  // namespace

MaterialDescription::MaterialDescription() : m_name(kDefaultName) {}

MaterialDescription::MaterialDescription(const MaterialDescription& other)
    : __ReferenceCounterData(), ReferenceCounter(), m_name(kDefaultName) {
    CopyFrom(other);
}

MaterialDescription& MaterialDescription::operator=(const MaterialDescription& other) {
    if (this != &other) {
        CopyFrom(other);
    }
    return *this;
}

MaterialDescription::~MaterialDescription() = default;

void MaterialDescription::CopyFrom(const MaterialDescription& other) {
    m_name = other.m_name;
    m_specularLevel = other.m_specularLevel;
    m_specularPower = other.m_specularPower;
    m_diffuseMethod = other.m_diffuseMethod;
    std::memcpy(m_rimColour, other.m_rimColour, sizeof m_rimColour);
    m_rimScale = other.m_rimScale;
    m_rimPower = other.m_rimPower;
    std::memcpy(m_specularColour, other.m_specularColour, sizeof m_specularColour);
    std::memcpy(m_factors, other.m_factors, sizeof m_factors);
    std::memcpy(m_diffuseColour, other.m_diffuseColour, sizeof m_diffuseColour);
    m_diffuseTexture = other.m_diffuseTexture;
    m_uScroll = other.m_uScroll;
    m_vScroll = other.m_vScroll;
    m_alphaLevel = other.m_alphaLevel;
    m_extraValue = other.m_extraValue;
    m_twoSided = other.m_twoSided;
    m_textureAlpha = other.m_textureAlpha;
    m_translucent = other.m_translucent;
    m_extraFlag = other.m_extraFlag;
    m_enabled = other.m_enabled;
}

void MaterialDescription::SetName(const AsciiString& name) {
    if (name != m_name) {
        m_name = name;
        m_changed = true;
    }
}

void MaterialDescription::SetDiffuseTexture(const AsciiString& fileName) {
    if (fileName != m_diffuseTexture) {
        m_diffuseTexture = fileName;
        m_changed = true;
    }
}

void MaterialDescription::SetDiffuseTextureObject(const SmartPtr<Texture>& texture) {
    m_diffuseTextureObject = texture;
    m_changed = true;
}

void MaterialDescription::SetColour(float* target, const float values[3], bool alwaysChanged) {
    bool differs = false;
    for (int i = 0; i < 3; ++i) {
        const float value = values[i] / 255.0f;
        differs = differs || target[i] != value;
        target[i] = value;
    }
    if (differs || alwaysChanged) {
        m_changed = true;
    }
}

void MaterialDescription::SetFloat(float& target, float value, bool alwaysChanged) {
    if (target != value || alwaysChanged) {
        m_changed = true;
    }
    target = value;
}

void MaterialDescription::SetFlag(bool& target, bool value) {
    if (target != value) {
        target = value;
        m_changed = true;
    }
}

bool MaterialDescription::Read(ByteCursor& cursor, size_t endPosition) {
    if (endPosition > cursor.GetSize()) {
        endPosition = cursor.GetSize();
    }
    cursor.ReadU32();  // unused word before the records
    AsciiString recordName;
    while (!cursor.HasFailed() && cursor.GetPosition() < endPosition) {
        if (!ReadKeyedString(cursor, recordName)) {
            break;
        }
        if (NameIs(recordName, kEndRecord) && cursor.GetPosition() <= endPosition) {
            return true;
        }
        if (!ReadRecord(cursor, recordName)) {
            break;
        }
    }
    if (cursor.HasFailed() || cursor.GetPosition() > endPosition) {
        cursor.Fail();
        return false;
    }
    return true;
}

bool MaterialDescription::ReadRecord(ByteCursor& cursor, const AsciiString& recordName) {
    if (recordName.StartsWithNoCase("rgb_", 4)) {
        float values[3];
        for (float& value : values) {
            value = cursor.ReadFloat();
        }
        if (cursor.HasFailed()) {
            return false;
        }
        if (NameIs(recordName, "rgb_diffuseColourMod")) {
            SetColour(m_diffuseColour, values, false);
        } else if (NameIs(recordName, "rgb_specularColorMod")) {
            SetColour(m_specularColour, values, false);
        } else if (NameIs(recordName, "rgb_rimColourMod")) {
            SetColour(m_rimColour, values, true);
        }
        return true;
    }
    if (recordName.StartsWithNoCase("f_", 2)) {
        const float value = cursor.ReadFloat();
        if (cursor.HasFailed()) {
            return false;
        }
        if (NameIs(recordName, "f_specularLevelMod")) {
            SetFloat(m_specularLevel, value, false);
        } else if (NameIs(recordName, "f_specularPowMod")) {
            SetFloat(m_specularPower, value, false);
        } else if (NameIs(recordName, "f_alphaLevelMod")) {
            SetFloat(m_alphaLevel, value, false);
            SetFlag(m_translucent, value < 1.0f);
        } else if (NameIs(recordName, "f_U_uvScrollMod")) {
            m_uScroll = value;  // scrolling needs no new shader variant
        } else if (NameIs(recordName, "f_V_uvScrollMod")) {
            m_vScroll = value;
        } else if (NameIs(recordName, "f_rimPowerMod")) {
            SetFloat(m_rimPower, value, true);
        } else if (NameIs(recordName, "f_rimScaleMod")) {
            SetFloat(m_rimScale, value, true);
        }
        return true;
    }
    if (recordName.StartsWithNoCase("b_", 2)) {
        const bool value = cursor.ReadFloat() > 0.0f;  // a word read as a float
        if (cursor.HasFailed()) {
            return false;
        }
        if (NameIs(recordName, "b_twoSidedMod")) {
            SetFlag(m_twoSided, value);
        } else if (NameIs(recordName, "b_textureAlphaMod")) {
            SetFlag(m_textureAlpha, value);
        }
        return true;
    }
    if (recordName.StartsWithNoCase("s_", 2)) {
        AsciiString value;
        if (!ReadKeyedString(cursor, value)) {
            return false;
        }
        if (NameIs(recordName, "s_Matname")) {
            SetName(value);
        } else if (NameIs(recordName, "s_DiffuseTex")) {
            SetDiffuseTexture(value);
        } else if (NameIs(recordName, "s_diffuseMethodMod")) {
            if (NameIs(value, "fullbright") && m_diffuseMethod != 1.0f) {
                m_diffuseMethod = 1.0f;
                m_changed = true;
            }
        }
        // "s_specularMethod" names a method this material does not offer.
        return true;
    }
    return true;  // no value fields: the next string is the next record name
}

}  // namespace Varnok
