// The XML form of components and screens: "screen" and "component" elements
// with their properties per SKU, animations per SKU and events.
#include "engine/ui/descriptions/ComponentDesc.h"

#include "engine/ui/UIManager.h"
#include "engine/ui/UIProperty.h"
#include "engine/ui/descriptions/ComponentDefinition.h"
#include "engine/ui/descriptions/internal/XmlNames.h"

#include <cstdlib>
#include <type_traits>

namespace Varnok {

namespace {

// Leading blanks and tabs, an optional sign, decimal digits; the low 32 bits.
int32_t ParseChangeIndex(const char* text) {
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    bool negative = false;
    if (*text == '-' || *text == '+') {
        negative = *text == '-';
        ++text;
    }
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10u + static_cast<uint32_t>(*text - '0');
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

// Strings match without letter case; everything else by value.
template <typename T>
bool ItemEquals(const T& a, const T& b) {
    if constexpr (std::is_same<T, AsciiString>::value) {
        return a.EqualsNoCase(b);
    } else {
        return UIValuesEqual(a, b);
    }
}

}  // namespace

bool ComponentDesc::ReadXml(const TiXmlElement& element, bool inDefinition) {
    static const AsciiString s_screen("ComponentScreen");
    m_inDefinition = inDefinition ? 1 : 0;
    if (m_bIsScreen != 0 || ElementIs(element, "screen")) {
        m_className = s_screen;
    } else {
        const char* type = Attr(element, "type");
        if (!HasText(type)) {
            return false;
        }
        m_className = AsciiString(type);
    }
    ResolveDefinition();
    if (m_bIsScreen != 0) {
        m_version = AsciiString(AttrOrEmpty(element, "version"));
    }
    m_fileChangeIndex = 0;
    m_changeIndex = 0;
    const char* change = Attr(element, "FileChangeIdx");
    if (HasText(change)) {
        m_fileChangeIndex = ParseChangeIndex(change);
        m_changeIndex = m_fileChangeIndex;
    }
    const char* id = Attr(element, "Id");
    if (HasText(id)) {
        m_id = AsciiString(id);
    }
    ReadXmlChildren(element, inDefinition);
    return true;
}

void ComponentDesc::ReadXmlChildren(const TiXmlElement& element, bool inDefinition) {
    UIManager& ui = UIManager::Get();
    const AsciiString& primarySku = ui.GetSettings().primarySkuName;
    for (const TiXmlElement* child = element.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        if (ElementIs(*child, "component") || ElementIs(*child, "screen")) {
            auto* node = new ComponentDesc();
            AppendChild(node);
            (void)node->ReadXml(*child, inDefinition);  // a failed child stays, without class
        } else if (ElementIs(*child, "property")) {
            const char* name = Attr(*child, "name");
            if (!HasText(name)) {
                return;  // the rest of this element's children are not read
            }
            const AsciiString propertyName(name);
            static const AsciiString s_id("id");
            if (propertyName.EqualsNoCase(s_id)) {
                m_id = AsciiString(AttrOrEmpty(*child, "value"));
                continue;
            }
            const UIPropertyDefinition* definition =
                ComponentDefinition::FindPropertyDefinition(m_definition, propertyName, nullptr);
            if (definition == nullptr) {
                continue;
            }
            WithUIType(definition->m_type, [&](auto tag) {
                using T = typename decltype(tag)::Type;
                ReadXmlProperty<T>(propertyName, *child);
            });
        } else if (ElementIs(*child, "animation")) {
            const AsciiString name(AttrOrEmpty(*child, "name"));
            UISkuAnimationMap& variants = GetSkuAnimations(name);
            variants.clear();
            UIAnimationDesc& desc = GetAnimationDesc(variants, primarySku);
            desc = UIAnimationDesc(m_definition);
            desc.m_name = name;
            desc.m_sku = primarySku;
            desc.ReadXml(*child);
        } else if (ElementIs(*child, "skuAnims")) {
            const AsciiString name(AttrOrEmpty(*child, "name"));
            UISkuAnimationMap& variants = GetSkuAnimations(name);
            variants.clear();
            for (const TiXmlElement* sku = child->FirstChildElement(); sku != nullptr;
                 sku = sku->NextSiblingElement()) {
                if (!ElementIs(*sku, "sku")) {
                    continue;
                }
                const AsciiString skuName(AttrOrEmpty(*sku, "name"));
                if (!ui.HasSku(skuName) || Attr(*sku, "reference") != nullptr) {
                    continue;
                }
                UIAnimationDesc& desc = GetAnimationDesc(variants, skuName);
                desc = UIAnimationDesc(m_definition);
                desc.m_name = name;
                desc.m_sku = skuName;
                desc.ReadXml(*sku);
            }
        } else if (ElementIs(*child, "event")) {
            std::vector<UICommandCall>& calls =
                GetEventCommands(AsciiString(AttrOrEmpty(*child, "name")));
            calls.clear();
            for (const TiXmlElement* command = child->FirstChildElement("command");
                 command != nullptr; command = command->NextSiblingElement("command")) {
                UICommandCall call;
                call.name = AsciiString(AttrOrEmpty(*command, "name"));
                for (const TiXmlElement* parameter = command->FirstChildElement("parameter");
                     parameter != nullptr; parameter = parameter->NextSiblingElement("parameter")) {
                    call.args.emplace_back(AttrOrEmpty(*parameter, "value"));
                }
                calls.push_back(std::move(call));
            }
        }
    }
}

template <typename T>
void ComponentDesc::ReadXmlProperty(const AsciiString& name, const TiXmlElement& element) {
    UIManager& ui = UIManager::Get();
    UISkuValues<T> values;
    const char* plain = Attr(element, "value");
    if (HasText(plain)) {
        values.Set(ui.GetPrimarySku(), UIValue<T>::FromString(plain));
    }
    const UIPropertyDefinition* found =
        ComponentDefinition::FindPropertyDefinition(m_definition, name, nullptr);
    const auto* typed = (found != nullptr && found->m_type == UIValue<T>::TypeId())
                            ? static_cast<const UITypedPropertyDefinition<T>*>(found)
                            : nullptr;
    for (const TiXmlElement* child = element.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        const char* sku = Attr(*child, "sku");
        const char* text = Attr(*child, "value");
        if (!HasText(sku) || text == nullptr) {
            break;  // values gathered so far stay
        }
        if (text[0] == '~') {
            continue;
        }
        const AsciiString skuName(sku);
        if (!ui.HasSku(skuName)) {
            continue;
        }
        T value = UIValue<T>::FromString(text);
        if (typed != nullptr && !typed->m_items.empty()) {
            size_t match = 0;
            for (size_t i = 0; i < typed->m_items.size(); ++i) {
                if (ItemEquals<T>(typed->m_items[i], value)) {
                    match = i;
                    break;
                }
            }
            value = typed->m_items[match];
        }
        values.Set(ui.GetSku(skuName), value);
    }
    if (!values.IsEmpty()) {
        Properties<T>()[name] = values;
    }
}

}  // namespace Varnok
