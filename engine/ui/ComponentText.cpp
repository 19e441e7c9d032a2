#include "engine/ui/ComponentText.h"

#include "engine/text/FontManager.h"
#include "engine/text/TextBank.h"
#include "engine/text/TextLabel.h"
#include "engine/ui/UIManager.h"

#include <cctype>
#include <cstring>

namespace Varnok {

namespace {

// Whether text starts with word, A to Z folded.
bool StartsWithNoCase(const char* text, const char* word) {
    for (; *word != '\0'; ++text, ++word) {
        if (std::tolower(static_cast<unsigned char>(*text)) != *word) {
            return false;
        }
    }
    return true;
}

}  // namespace

const ComponentClassInfo& ComponentText::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentText", ComponentClassId::Text,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentText::ComponentText()
    : m_text(GetOrAddProperty<AsciiString>(AsciiString("text"), AsciiString())),
      m_fontName(GetOrAddProperty<AsciiString>(AsciiString("fontName"), AsciiString())),
      m_fontSize(GetOrAddProperty<float>(AsciiString("fontSize"), 1.0f)),
      m_maxLines(GetOrAddProperty<int>(AsciiString("maxLines"), 1)),
      m_alignment(GetOrAddProperty<AsciiString>(AsciiString("alignment"), AsciiString())),
      m_localiseText(GetOrAddProperty<bool>(AsciiString("localiseText"), false)),
      m_strokeSize(GetOrAddProperty<float>(AsciiString("strokeSize"), 1.0f)),
      m_strokeColour(GetOrAddProperty<Colour>(AsciiString("strokeColour"), kColourWhite)) {
    SetClassInfo(GetStaticClassInfo());
    m_buildVertices = true;
}

ComponentText::~ComponentText() = default;

int ComponentText::ParseAlignment(const AsciiString& words) {
    const char* p = words.c_str();
    int vertical = 0;
    if (StartsWithNoCase(p, "top")) {
        vertical = 4;
        p += 3;
    } else if (StartsWithNoCase(p, "bottom")) {
        vertical = 8;
        p += 6;
    } else if (StartsWithNoCase(p, "center") || StartsWithNoCase(p, "centre")) {
        vertical = 12;
        p += 6;
    }
    if (StartsWithNoCase(p, "left")) {
        return vertical | 1;
    }
    if (StartsWithNoCase(p, "right")) {
        return vertical | 2;
    }
    if (StartsWithNoCase(p, "center") || StartsWithNoCase(p, "centre")) {
        return vertical | 3;
    }
    if (StartsWithNoCase(p, "textbox")) {
        return vertical | 0x20;
    }
    return vertical != 0 ? vertical : 15;
}

void ComponentText::SetText(const AsciiString& text) { m_text->Set(text); }

AsciiString ComponentText::GetDisplayText() const {
    const AsciiString& text = m_text->Get();
    if (!m_localiseText->Get() || text.IsEmpty()) {
        return text;
    }
    UIManager& ui = UIManager::Get();
    TextBank* table = nullptr;
    Component* screen = const_cast<ComponentText*>(this)->FindParentScreen();
    if (screen != nullptr) {
        if (const UIProperty<AsciiString>* name = screen->FindProperty<AsciiString>(AsciiString("stringtable"))) {
            table = ui.FindStringTable(name->Get());
        }
    }
    if (table == nullptr) {
        table = ui.GetGameStringTable();
    }
    const char* found = table != nullptr ? table->FindText(text.c_str()) : nullptr;
    return found != nullptr ? AsciiString(found) : text;
}

AsciiString ComponentText::ResolveFontName() const {
    UIManager& ui = UIManager::Get();
    if (!ui.GetOverrideFont().IsEmpty()) {
        return ui.GetOverrideFont();
    }
    const AsciiString& own = m_fontName->Get();
    bool blank = true;
    for (const char* p = own.c_str(); *p != '\0'; ++p) {
        blank = blank && std::isspace(static_cast<unsigned char>(*p)) != 0;
    }
    return blank ? ui.GetDefaultFont() : own;
}

void ComponentText::RebuildLabel() {
    m_rebuildPending = false;
    m_fontFile = ResolveFontName();
    Font* font = m_fontFile.IsEmpty() ? nullptr : FontManager::Get().GetFont(m_fontFile.c_str());
    if (font == nullptr) {
        m_label.reset();
        return;
    }
    const int maxLines = (m_alignFlags & 0x20) != 0 ? 0 : m_maxLines->Get();
    m_label = std::make_unique<TextLabel>(font, m_fontSize->Get(), static_cast<int>(m_width->Get()),
                                          static_cast<int>(m_height->Get()), m_alignFlags, maxLines, 0);
    m_label->SetOutline(m_strokeSize->Get(), m_strokeColour->Get());
    m_textDirty = true;
}

void ComponentText::RefreshText() {
    if (m_rebuildPending) {
        RebuildLabel();
    }
    if (m_label != nullptr) {
        m_label->SetText(GetDisplayText().c_str());
    }
    m_textDirty = false;
}

void ComponentText::UpdateTextLayout() {
    RefreshText();
    if (m_label != nullptr) {
        m_label->Rebuild();
    }
}

void ComponentText::Update(float dt) {
    ComponentVisual::Update(dt);
    if (m_rebuildPending || m_textDirty) {
        RefreshText();
    }
}

void ComponentText::Draw() {
    if (m_label == nullptr || !IsOnScreen()) {
        return;
    }
    m_label->SetColour(GetWorldColour(), false);
    // The label lays its lines out y-up from its box's top-left corner, and
    // the text draw negates y last (the UI runs y downwards while it draws).
    // So the matrix carries the world transform with its y axis flipped and
    // the box's corner at (x, -y): the flips cancel for the placement and
    // the glyphs stand upright, scaled and turned with the screen.
    const UITransform world = GetWorldTransform();
    const Vector3 origin = GetAbsolutePosition();
    Matrix4 placement;
    std::memcpy(placement.m, world.m, sizeof(placement.m));
    placement.m[1] = -placement.m[1];
    placement.m[4] = -placement.m[4];
    placement.m[6] = -placement.m[6];
    placement.m[9] = -placement.m[9];
    placement.m[12] = origin.x;
    placement.m[13] = -origin.y;
    placement.m[14] = origin.z;
    m_label->SetPosition(Vector3{0.0f, 0.0f, 0.0f}, false);
    m_label->DrawTransformed(placement);
}

void ComponentText::OnPropertyChanged(UIPropertyBase* property) {
    ComponentVisual::OnPropertyChanged(property);
    if (property == m_alignment) {
        m_alignFlags = ParseAlignment(m_alignment->Get());
        m_rebuildPending = true;
    } else if (property == m_text || property == m_localiseText) {
        m_textDirty = true;
    } else if (property == m_fontName || property == m_fontSize || property == m_maxLines ||
               property == m_strokeSize || property == m_strokeColour || property == m_width ||
               property == m_height) {
        m_rebuildPending = true;
    }
}

}  // namespace Varnok
