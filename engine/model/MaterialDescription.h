// The settings block of the core 3D material: colours, levels, UV scrolling,
// rim shading and the diffuse texture, with a changed flag that tells the
// material to rebuild its shader variant. Read from the keyed records that
// binary model files embed, or made with defaults for generated meshes.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"

#include <cstddef>
#include <cstdint>

namespace Varnok {

class ByteCursor;

class MaterialDescription : public ReferenceCounter {
public:
    // Every field at its default. The changed flag starts set, so that a
    // material made from a new description builds its shader variant once.
    MaterialDescription();
    MaterialDescription(const MaterialDescription& other);
    MaterialDescription& operator=(const MaterialDescription& other);
    ~MaterialDescription() override;

    // Every field but the changed flag and the diffuse texture object.
    void CopyFrom(const MaterialDescription& other);

    // Each setter sets changed only when the value differs (the texture
    // object: always).
    void SetChanged(bool changed) { m_changed = changed; }
    void SetName(const AsciiString& name);
    void SetDiffuseTexture(const AsciiString& fileName);
    void SetDiffuseTextureObject(const SmartPtr<Texture>& texture);

    // Reads the record stream at the cursor: one skipped word, then records
    // until "MatEnd" or until a record would start at endPosition or later.
    // False when a record runs past endPosition or a string is too long;
    // records read before it stay applied. Nothing is logged here: the
    // caller, who knows the file, says so in its one line.
    [[nodiscard]] bool Read(ByteCursor& cursor, size_t endPosition);

    virtual bool HasUVAnimation() const { return m_uScroll != 0.0f || m_vScroll != 0.0f; }
    virtual bool HasRimShading() const { return m_rimScale > 0.0f; }

    const AsciiString& GetName() const { return m_name; }
    float GetSpecularLevel() const { return m_specularLevel; }
    float GetSpecularPower() const { return m_specularPower; }
    float GetDiffuseMethod() const { return m_diffuseMethod; }  // 1: full bright
    const float* GetRimColour() const { return m_rimColour; }
    float GetRimScale() const { return m_rimScale; }
    float GetRimPower() const { return m_rimPower; }
    const float* GetSpecularColour() const { return m_specularColour; }
    const float* GetFactors() const { return m_factors; }
    const float* GetDiffuseColour() const { return m_diffuseColour; }  // 0..1
    const AsciiString& GetDiffuseTexture() const { return m_diffuseTexture; }
    float GetUScroll() const { return m_uScroll; }
    float GetVScroll() const { return m_vScroll; }
    float GetAlphaLevel() const { return m_alphaLevel; }
    int32_t GetExtraValue() const { return m_extraValue; }
    bool IsTwoSided() const { return m_twoSided; }
    bool IsChanged() const { return m_changed; }
    bool HasTextureAlpha() const { return m_textureAlpha; }
    bool IsTranslucent() const { return m_translucent; }
    bool GetExtraFlag() const { return m_extraFlag; }
    virtual bool IsEnabled() const { return m_enabled; }
    const SmartPtr<Texture>& GetDiffuseTextureObject() const { return m_diffuseTextureObject; }

private:
    // One record whose name has been read; false when its value ran out.
    [[nodiscard]] bool ReadRecord(ByteCursor& cursor, const AsciiString& recordName);
    void SetColour(float* target, const float values[3], bool alwaysChanged);
    void SetFloat(float& target, float value, bool alwaysChanged);
    void SetFlag(bool& target, bool value);

    AsciiString m_name;
    float m_specularLevel = 1.0f;
    float m_specularPower = 22.0f;
    float m_diffuseMethod = 0.0f;
    float m_rimColour[3] = {0.0f, 0.0f, 0.0f};
    float m_rimScale = 0.0f;
    float m_rimPower = 0.0f;
    float m_specularColour[3] = {1.0f, 1.0f, 1.0f};
    float m_factors[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // no key sets them; copied
    float m_diffuseColour[3] = {1.0f, 1.0f, 1.0f};
    AsciiString m_diffuseTexture;
    float m_uScroll = 0.0f;  // per second
    float m_vScroll = 0.0f;
    float m_alphaLevel = 1.0f;
    int32_t m_extraValue = 0;  // no key sets it; copied
    bool m_twoSided = false;
    bool m_changed = true;
    bool m_textureAlpha = false;
    bool m_translucent = false;  // alpha level below 1
    bool m_extraFlag = false;    // no key sets it; copied
    bool m_enabled = true;       // no key sets it; copied
    SmartPtr<Texture> m_diffuseTextureObject;
};

}  // namespace Varnok
