// Reading a class definition file and answering lookups over a definition's
// base chain.
#include "engine/ui/descriptions/ComponentDefinition.h"

#include "engine/core/Log.h"
#include "engine/core/XmlDocument.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/descriptions/ComponentDesc.h"
#include "engine/ui/descriptions/UIPerType.h"
#include "engine/ui/descriptions/internal/XmlNames.h"

namespace Varnok {

ComponentDefinition::ComponentDefinition(const AsciiString& className) : m_name(className) {}

ComponentDefinition::~ComponentDefinition() = default;

void ComponentDefinition::Load() {
    if (m_bLoaded || m_bLoading) {
        return;
    }
    AsciiString path = UIManager::Get().GetComponentsDirectory();
    path.AppendString(m_name);
    path.Append(".xml");
    path = AsciiString::ToLowerCopy(path);
    m_bLoading = true;
    TiXmlDocument document;
    if (LoadXmlDocument(document, path.c_str())) {
        ReadXml(document.FirstChildElement());
    }
    m_bLoading = false;
    m_bLoaded = true;
}

void ComponentDefinition::ReadXml(const TiXmlElement* root) {
    if (root == nullptr || !ElementIs(*root, "componentDefinition")) {
        return;
    }
    const bool wasLoading = m_bLoading;
    m_bLoading = true;
    const char* baseName = Attr(*root, "baseDefinition");
    if (HasText(baseName)) {
        ComponentDefinition* base = UIManager::Get().GetDefinition(AsciiString(baseName));
        // A chain that leads back to a definition being read would never end.
        bool cycle = false;
        int depth = 0;
        for (const ComponentDefinition* d = base; d != nullptr; d = d->m_baseDefinition) {
            if (d == this || d->m_bLoading || ++depth > kMaxChain) {
                cycle = true;
                break;
            }
        }
        if (cycle) {
            Log("UI definition \"%s\": base \"%s\" leads back to itself; no base used",
                m_name.c_str(), baseName);
        } else {
            m_baseDefinition = base;
        }
    }
    for (const TiXmlElement* child = root->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        if (ElementIs(*child, "propertyDefinition")) {
            ReadPropertyDefinition(*child);
        } else if (ElementIs(*child, "component")) {
            m_prefabs.emplace_back(new ComponentDesc());
            (void)m_prefabs.back()->ReadXml(*child, true);
        } else if (ElementIs(*child, "editorPrefabs")) {
            for (const TiXmlElement* prefab = child->FirstChildElement(); prefab != nullptr;
                 prefab = prefab->NextSiblingElement()) {
                if (ElementIs(*prefab, "component")) {
                    m_editorPrefabs.emplace_back(new ComponentDesc());
                    (void)m_editorPrefabs.back()->ReadXml(*prefab, false);
                }
            }
        }
    }
    m_bLoading = wasLoading;
}

void ComponentDefinition::ReadPropertyDefinition(const TiXmlElement& element) {
    static const AsciiString s_id("id");
    static const AsciiString s_fontNames("fontnames");
    const char* name = Attr(element, "name");
    const char* typeName = Attr(element, "type");
    if (!HasText(name) || !HasText(typeName) || AsciiString(name).EqualsNoCase(s_id)) {
        return;
    }
    const UIPropertyType type = ParseUIPropertyType(AsciiString(typeName));
    WithUIType(type, [&](auto tag) {
        using T = typename decltype(tag)::Type;
        auto definition = std::make_unique<UITypedPropertyDefinition<T>>();
        definition->m_name = AsciiString(name);
        const char* defaultText = Attr(element, "default");
        if (HasText(defaultText)) {
            definition->m_default = UIValue<T>::FromString(defaultText);
            definition->m_bHasDefault = true;
        }
        definition->m_category = AsciiString(AttrOrEmpty(element, "category"));
        definition->m_dropDownSource = AsciiString(AttrOrEmpty(element, "dropDownSource"));

        bool defaultStands = false;
        if (definition->m_dropDownSource.EqualsNoCase(s_fontNames)) {
            if constexpr (std::is_same<T, AsciiString>::value) {
                const UIManager& ui = UIManager::Get();
                definition->m_items = ui.GetFontList();
                if (!ui.GetDefaultFont().IsEmpty()) {
                    definition->m_default = ui.GetDefaultFont();
                    definition->m_bHasDefault = true;
                }
            }
            defaultStands = definition->m_bHasDefault;
        }
        for (const TiXmlElement* child = element.FirstChildElement(); child != nullptr;
             child = child->NextSiblingElement()) {
            if (ElementIs(*child, "item")) {
                const char* text = child->GetText();
                if (!HasText(text)) {
                    continue;
                }
                definition->m_items.push_back(UIValue<T>::FromString(text));
                if (definition->m_bHasDefault && defaultText != nullptr &&
                    NamesEqualNoCase(text, defaultText)) {
                    defaultStands = true;
                }
            } else if (ElementIs(*child, "alias")) {
                const char* target = Attr(*child, "target");
                if (!HasText(target)) {
                    continue;
                }
                const AsciiString whole(target);
                const int dot = whole.FindLastChar('.');
                UIPropertyAlias alias;
                if (dot < 0) {
                    alias.m_property = whole;
                } else {
                    alias.m_childPath = AsciiString(whole.c_str(), dot);
                    alias.m_property = AsciiString(whole.c_str() + dot + 1);
                }
                definition->m_aliases.push_back(alias);
            }
        }
        if (!defaultStands && !definition->m_items.empty()) {
            definition->m_default = definition->m_items.front();
            definition->m_bHasDefault = true;
        }
        m_propertyDefinitions.push_back(std::move(definition));
    });
}

UIPropertyDefinition* ComponentDefinition::FindPropertyDefinition(
    const ComponentDefinition* definition, const AsciiString& name,
    const ComponentDefinition** outHolder) {
    int depth = 0;
    for (const ComponentDefinition* d = definition; d != nullptr && depth < kMaxChain;
         d = d->m_baseDefinition, ++depth) {
        for (size_t i = d->m_propertyDefinitions.size(); i-- > 0;) {
            UIPropertyDefinition* property = d->m_propertyDefinitions[i].get();
            if (property->m_name.EqualsNoCase(name)) {
                if (outHolder != nullptr) {
                    *outHolder = d;
                }
                return property;
            }
        }
    }
    return nullptr;
}

ComponentDefinition* ComponentDefinition::FindPrefabChildDefinition(const AsciiString& path) const {
    int depth = 0;
    for (const ComponentDefinition* d = this; d != nullptr && depth < kMaxChain;
         d = d->m_baseDefinition, ++depth) {
        const ComponentDesc* found = ComponentDesc::FindChildByPath(path, d->m_prefabs);
        if (found != nullptr) {
            return found->GetDefinition();
        }
    }
    return nullptr;
}

}  // namespace Varnok
