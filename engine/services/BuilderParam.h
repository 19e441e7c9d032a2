// Builder parameters: one named value that an action hands to its action
// builder, produced as text for the event being processed. Four kinds, by
// the "type" attribute of a "param" element: "Basic" (a constant), "EventArg"
// (an argument of the event), "Json" (an object of nested parameters) and
// "RegisteredVar" (a registered variable).
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/RegisteredVariables.h"

#include <tinyxml.h>

#include <map>
#include <memory>
#include <vector>

namespace Varnok {

class Event;

class BuilderParam {
public:
    virtual ~BuilderParam();
    // Reads the kind's attributes (and children) from a "param" element.
    virtual void Load(const TiXmlElement& element) = 0;
    // A new parameter of the same kind and content; the caller owns it.
    virtual BuilderParam* Clone() const = 0;
    // Takes over the other's value when both keys are equal and it is of
    // the same kind; otherwise nothing.
    virtual void Assign(const BuilderParam& other) = 0;
    virtual bool IsValid() const = 0;
    const AsciiString& GetKey() const { return m_key; }
    virtual AsciiString GetValue(const Event& event) const = 0;

protected:
    AsciiString m_key;
};

// An owning, ordered list of parameters.
class BuilderParamList {
public:
    BuilderParamList() = default;
    virtual ~BuilderParamList();
    BuilderParamList(const BuilderParamList&) = delete;
    BuilderParamList& operator=(const BuilderParamList&) = delete;

    // Takes the parameter, or a clone of it when clone is set; null ignored.
    void Add(BuilderParam* param, bool clone);
    void Clear();
    // Clones of the other's parameters in its order, replacing these.
    void CopyFrom(const BuilderParamList& other);
    // Each of the other's parameters overrides the first one here with the
    // same key (case matters), in place, or is appended as a clone. An
    // override of another kind replaces the old parameter by a clone.
    void Merge(const BuilderParamList& other);
    // Appends a parameter for every "param" child whose "type" names a kind;
    // others are skipped.
    void LoadChildren(const TiXmlElement& element);

    int Count() const { return static_cast<int>(m_params.size()); }
    const BuilderParam* At(int index) const { return m_params[static_cast<size_t>(index)].get(); }
    // The first parameter of that key, or null.
    const BuilderParam* Find(const char* key) const;

private:
    std::vector<std::unique_ptr<BuilderParam>> m_params;
};

class BasicParam final : public BuilderParam {
public:
    void Load(const TiXmlElement& element) override;
    BuilderParam* Clone() const override { return new BasicParam(*this); }
    void Assign(const BuilderParam& other) override;
    bool IsValid() const override { return !m_key.IsEmpty() && !m_value.IsEmpty(); }
    AsciiString GetValue(const Event& event) const override;

private:
    AsciiString m_value;
};

class EventArgParam final : public BuilderParam {
public:
    void Load(const TiXmlElement& element) override;
    BuilderParam* Clone() const override { return new EventArgParam(*this); }
    void Assign(const BuilderParam& other) override;
    bool IsValid() const override { return !m_key.IsEmpty() && !m_argName.IsEmpty(); }
    // The argument as text ("%d", "%f"); empty when the event lacks it.
    AsciiString GetValue(const Event& event) const override;

private:
    AsciiString m_argName;
};

class JsonParam final : public BuilderParam {
public:
    void Load(const TiXmlElement& element) override;
    BuilderParam* Clone() const override;
    void Assign(const BuilderParam& other) override;
    bool IsValid() const override;
    // The valid nested parameters with non-empty texts as string members of
    // one compact object (keys in byte order), or "null", then a line feed.
    AsciiString GetValue(const Event& event) const override;

private:
    BuilderParamList m_params;
};

class RegisteredVarParam final : public BuilderParam {
public:
    void Load(const TiXmlElement& element) override;
    BuilderParam* Clone() const override { return new RegisteredVarParam(*this); }
    void Assign(const BuilderParam& other) override;
    bool IsValid() const override;
    // The variable's text, or with a modulus the decimal remainder of its
    // integer value (sign of the value); empty while unbound.
    AsciiString GetValue(const Event& event) const override;

private:
    mutable RegisteredVariable m_variable;  // reads may bind it
    int32_t m_modulus = 0;                 // 0: none
};

class BuilderParamFactory {
public:
    virtual const char* GetName() const = 0;
    virtual BuilderParam* Create() const = 0;

protected:
    ~BuilderParamFactory() = default;
};

// The parameter kinds by "type" text (exact match); made on first use with
// the four kinds above.
class BuilderParamRegistry {
public:
    static BuilderParamRegistry& Get();
    // A new empty parameter of the kind, or null.
    BuilderParam* Create(const char* type) const;

private:
    BuilderParamRegistry();

    std::map<AsciiString, const BuilderParamFactory*, AsciiStringLess> m_factories;
};

}  // namespace Varnok
