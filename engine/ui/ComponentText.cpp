#include "engine/ui/ComponentText.h"

#include "engine/core/Log.h"
#include "engine/render/RenderTransforms.h"
#include "engine/text/Font.h"
#include "engine/text/FontManager.h"
#include "engine/text/MarkupColourMap.h"
#include "engine/text/TextBank.h"
#include "engine/text/TextLabel.h"
#include "engine/ui/UIClip.h"
#include "engine/ui/UIManager.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

namespace Varnok {

namespace {

constexpr int kLabelStacksLines = 0x40;  // lines go down from the origin at whole advances
constexpr int kTextbox = 0x20;
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kNoTextHeight = 30.0f;

// Whether text starts with word, A to Z folded.
bool StartsWithNoCase(const char* text, const char* word) {
    for (; *word != '\0'; ++text, ++word) {
        if (std::tolower(static_cast<unsigned char>(*text)) != *word) {
            return false;
        }
    }
    return true;
}

bool IsBlank(const AsciiString& text) {
    for (const char* p = text.c_str(); *p != '\0'; ++p) {
        if (*p != ' ' && *p != '\t') {
            return false;
        }
    }
    return true;
}

// width - margins, truncated, but 1 when that is 1 or less.
int BoxSide(float side, int marginA, int marginB) {
    const float inner = side - static_cast<float>(marginA) - static_cast<float>(marginB);
    return inner <= 1.0f ? 1 : static_cast<int>(inner);
}

void MapOutline(const UITransform& t, const UIVertexList& outline, float dx, float dy, std::vector<Vector2>& out) {
    out.resize(outline.size());
    for (size_t i = 0; i < outline.size(); ++i) {
        out[i] = t.TransformPoint(outline[i].x + dx, outline[i].y + dy);
    }
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
      m_strokeColour(GetOrAddProperty<Colour>(AsciiString("strokeColour"), kColourWhite)),
      m_radius(GetOrAddProperty<float>(AsciiString("radius"), 0.0f)),
      m_insideColour(GetOrAddProperty<Colour>(AsciiString("insideColour"), kColourWhite)),
      m_outsideColour(GetOrAddProperty<Colour>(AsciiString("outsideColour"), kColourWhite)),
      m_verticalSpacing(GetOrAddProperty<int>(AsciiString("verticalSpacing"), 1)),
      m_horizontalSpacing(GetOrAddProperty<int>(AsciiString("horizontalSpacing"), 1)),
      m_dropShadowStyle(GetOrAddProperty<int>(AsciiString("dropShadowStyle"), 0)),
      m_softShadowSize(GetOrAddProperty<float>(AsciiString("softShadowSize"), 1.0f)),
      m_softShadowColour(GetOrAddProperty<Colour>(AsciiString("softShadowColour"), kColourWhite)),
      m_softShadowOffset(GetOrAddProperty<Vector3>(AsciiString("softShadowOffset"), Vector3{0.0f, 0.0f, 0.0f})),
      m_innerGlowSize(GetOrAddProperty<float>(AsciiString("innerGlowSize"), 0.0f)),
      m_innerGlowColour(GetOrAddProperty<Colour>(AsciiString("innerGlowColour"), kColourWhite)),
      m_bevelEnabled(GetOrAddProperty<bool>(AsciiString("bevelEnabled"), false)),
      m_bevelSize(GetOrAddProperty<float>(AsciiString("bevelSize"), 0.0f)),
      m_bevelDepth(GetOrAddProperty<float>(AsciiString("bevelDepth"), 0.0f)),
      m_bevelAzimuth(GetOrAddProperty<float>(AsciiString("bevelAzimuth"), 0.0f)),
      m_bevelZenith(GetOrAddProperty<float>(AsciiString("bevelZenith"), 0.0f)),
      m_bevelColourA(GetOrAddProperty<Colour>(AsciiString("bevelColourA"), kColourWhite)),
      m_bevelColourB(GetOrAddProperty<Colour>(AsciiString("bevelColourB"), kColourWhite)),
      m_useGradient(GetOrAddProperty<bool>(AsciiString("useGradient"), false)),
      m_clip(GetOrAddProperty<AsciiString>(AsciiString("clip"), AsciiString())),
      m_confineToHeight(GetOrAddProperty<bool>(AsciiString("confineToHeight"), false)),
      m_maxArcDegrees(GetOrAddProperty<int>(AsciiString("MaxArcDegrees"), 153)),
      m_useMetallicGradient(GetOrAddProperty<bool>(AsciiString("useMetallicGradient"), false)),
      m_metallic{GetOrAddProperty<Colour>(AsciiString("metallicColourA"), kColourWhite),
                 GetOrAddProperty<Colour>(AsciiString("metallicColourB"), kColourWhite),
                 GetOrAddProperty<Colour>(AsciiString("metallicColourC"), kColourWhite),
                 GetOrAddProperty<Colour>(AsciiString("metallicColourD"), kColourWhite)},
      m_marginsTop(GetOrAddProperty<int>(AsciiString("marginsTop"), 0)),
      m_marginsBottom(GetOrAddProperty<int>(AsciiString("marginsBottom"), 0)),
      m_marginsLeft(GetOrAddProperty<int>(AsciiString("marginsLeft"), 0)),
      m_marginsRight(GetOrAddProperty<int>(AsciiString("marginsRight"), 0)),
      m_alignToFontMeshBounds(GetOrAddProperty<bool>(AsciiString("alignToFontMeshBounds"), false)),
      m_colourisation(GetOrAddProperty<AsciiString>(AsciiString("colourisation"), AsciiString())) {
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
        return vertical | kTextbox;
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
    TextBank* const gameTable = ui.GetGameStringTable();
    TextBank* table = nullptr;
    Component* screen = const_cast<ComponentText*>(this)->FindParentScreen();
    if (screen != nullptr) {
        const UIProperty<AsciiString>* name = screen->FindProperty<AsciiString>(AsciiString("stringtable"));
        if (name != nullptr && !name->Get().IsEmpty()) {
            table = ui.FindStringTable(name->Get());
        }
    }
    if (table == nullptr) {
        table = gameTable;
    }
    if (table == nullptr) {
        return text;  // no table at all: the key shows
    }
    if (const char* found = table->FindText(text.c_str())) {
        return AsciiString(found);
    }
    if (table != gameTable && gameTable != nullptr && gameTable->FindText(text.c_str()) != nullptr) {
        return AsciiString("!! WRONG TABLE !!");
    }
    return AsciiString("STRING NOT FOUND");
}

AsciiString ComponentText::ResolveFontName() const {
    UIManager& ui = UIManager::Get();
    if (!ui.GetOverrideFont().IsEmpty()) {
        return ui.GetOverrideFont();
    }
    const AsciiString& own = m_fontName->Get();
    if (IsBlank(own)) {
        return ui.GetDefaultFont();
    }
    // Trimmed of spaces and tabs at both ends.
    const char* begin = own.c_str();
    const char* end = begin + std::strlen(begin);
    while (*begin == ' ' || *begin == '\t') {
        ++begin;
    }
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t')) {
        --end;
    }
    const std::string trimmed(begin, end);
    if (FontManager::Get().HasFont(trimmed.c_str())) {
        return AsciiString(trimmed.c_str());
    }
    return ui.GetDefaultFont();
}

bool ComponentText::HasLoadedFont(const AsciiString& font) const {
    return !font.IsEmpty() && FontManager::Get().IsInitialised() && FontManager::Get().HasFont(font.c_str());
}

int ComponentText::MarkupMode() const { return ParseTextMarkupMode(m_colourisation->Get().c_str()); }

Colour ComponentText::Tinted(const Colour& colour) const {
    const Colour world = GetWorldColour();
    auto channel = [](uint8_t value, uint8_t tint) {
        return static_cast<uint8_t>(static_cast<float>(value) * (static_cast<float>(tint) / 255.0f));
    };
    return Colour{channel(colour.r, world.r), channel(colour.g, world.g), channel(colour.b, world.b),
                  channel(colour.a, world.a)};
}

void ComponentText::RebuildTextObject() {
    if (m_radius->Get() != 0.0f) {
        CreateRadiusText();
    } else {
        CreateTextLabel();
    }
    if (m_label != nullptr) {
        m_label->Rebuild();
    }
    m_rebuildPending = false;
}

void ComponentText::CreateTextLabel() {
    m_arcText.reset();
    m_label.reset();
    m_textVisible = false;
    const AsciiString font = ResolveFontName();
    if (!HasLoadedFont(font)) {
        return;  // tried again at the next rebuild
    }
    Font* face = FontManager::Get().GetFont(font.c_str());
    if (face == nullptr) {
        return;
    }
    m_fontFile = font;
    m_labelWrapWidth = BoxSide(m_width->Get(), m_marginsLeft->Get(), m_marginsRight->Get());
    m_labelWrapHeight = BoxSide(m_height->Get(), m_marginsTop->Get(), m_marginsBottom->Get());
    int flags = m_alignFlags;
    if (!m_alignToFontMeshBounds->Get()) {
        // The component places the block vertically itself (see
        // ComputeTextOrigin); the label only stacks the lines.
        flags = (flags & ~(0x04 | 0x08 | kLabelStacksLines)) | kLabelStacksLines;
    }
    const int maxLines = (m_alignFlags & kTextbox) != 0 ? 0 : m_maxLines->Get();
    m_label = std::make_unique<TextLabel>(face, m_fontSize->Get(), m_labelWrapWidth, m_labelWrapHeight, flags,
                                          maxLines, m_verticalSpacing->Get());
    m_label->SetFirstLineOnTop(true);
    const int mode = MarkupMode();
    m_label->EnableMarkup(mode != 0);
    m_label->SetCharSpacing(m_horizontalSpacing->Get());
    if ((m_alignFlags & kTextbox) != 0) {
        m_label->SetTextboxMode();
    }
    RefreshText();
    ApplyColours();
    ApplyOutlineAndGlow();
    m_label->Rebuild();
    if (mode != 0) {
        m_label->SetAlpha(GetWorldColour().a);
    }
    m_placementDirty = true;
}

void ComponentText::CreateRadiusText() {
    m_arcText.reset();
    m_label.reset();
    m_textVisible = false;
    const AsciiString font = ResolveFontName();
    if (!HasLoadedFont(font)) {
        return;
    }
    Font* face = FontManager::Get().GetFont(font.c_str());
    if (face == nullptr) {
        return;
    }
    m_fontFile = font;
    float radius = m_radius->Get();
    float size = m_fontSize->Get();
    const int spacing = m_horizontalSpacing->Get();
    const AsciiString text = GetDisplayText();
    std::string line(text.c_str());
    std::string rest;
    float width = 0.0f;
    face->TakeLine(line, rest, size, spacing, -1.0f, &width, nullptr, nullptr);
    // Text longer than the widest arc allowed shrinks, and moves out by the
    // size it lost so that it still sits on the same rim.
    const float arc = static_cast<float>(m_maxArcDegrees->Get()) * kDegreesToRadians * std::fabs(radius);
    if (arc > 0.0f && width > arc) {
        const float shrunk = size / (width / arc);
        const float grow = std::fabs(size - shrunk);
        radius += radius < 0.0f ? -grow : grow;
        size = shrunk;
    }
    m_arcSize = size;
    m_arcRadius = radius;
    TextStyle style;
    style.fillColour = kColourWhite;
    style.charSpacing = static_cast<float>(spacing);
    style.arcRadius = radius;
    style.outlineSize = m_strokeSize->Get();
    style.outlineColour = m_strokeColour->Get();
    style.shadowSize = m_softShadowSize->Get();
    style.shadowColour = m_softShadowColour->Get();
    style.shadowMode = m_dropShadowStyle->Get();
    style.innerGlowSize = m_innerGlowSize->Get();
    style.innerGlowColour = m_innerGlowColour->Get();
    m_arcText = std::make_unique<StyledText>(face, text.c_str(), size, style, nullptr, 0);
    m_textDirty = false;
    ApplyColours();
    m_placementDirty = true;
}

void ComponentText::RefreshText() {
    if (m_label != nullptr) {
        m_label->SetText(GetDisplayText().c_str());
        m_label->SetSize(m_fontSize->Get());
        if (m_confineToHeight->Get()) {
            m_label->ShrinkToFit();
        }
        m_placementDirty = true;
    } else if (m_arcText != nullptr) {
        m_arcText->SetText(GetDisplayText().c_str());
    }
    m_textDirty = false;
}

void ComponentText::UpdateTextLayout() {
    if (m_rebuildPending) {
        RebuildTextObject();
    } else if (m_textDirty) {
        RefreshText();
    }
    if (m_label != nullptr) {
        m_label->Rebuild();
    }
}

void ComponentText::ApplyColours() {
    const Colour world = GetWorldColour();
    if (m_label != nullptr) {
        if (m_useGradient->Get()) {
            Colour outside = Tinted(m_outsideColour->Get());
            Colour inside = Tinted(m_insideColour->Get());
            outside.a = 255;
            inside.a = 255;
            m_label->SetGradient(outside, inside, true);
        } else if (m_useMetallicGradient->Get()) {
            m_label->SetGradient4(Tinted(m_metallic[0]->Get()), Tinted(m_metallic[1]->Get()),
                                  Tinted(m_metallic[2]->Get()), Tinted(m_metallic[3]->Get()), true);
        } else {
            m_label->SetColour(world, true);
        }
        m_label->SetAlpha(world.a);
    } else if (m_arcText != nullptr) {
        if (m_useGradient->Get()) {
            m_arcText->SetGradient(Tinted(m_outsideColour->Get()), Tinted(m_insideColour->Get()));
        } else if (m_useMetallicGradient->Get()) {
            m_arcText->SetGradient4(Tinted(m_metallic[0]->Get()), Tinted(m_metallic[1]->Get()),
                                    Tinted(m_metallic[2]->Get()), Tinted(m_metallic[3]->Get()));
        } else {
            m_arcText->SetColour(world);
        }
        m_arcText->SetAlpha(world.a);
    }
    m_coloursDirty = false;
}

void ComponentText::ApplyOutlineAndGlow() {
    if (m_label == nullptr) {
        return;
    }
    m_label->SetOutline(m_strokeSize->Get(), m_strokeColour->Get());
    m_label->SetShadow(m_softShadowSize->Get(), m_softShadowColour->Get(), m_softShadowOffset->Get(), 0);
    m_label->SetInnerGlow(m_innerGlowSize->Get(), m_innerGlowColour->Get());
    if (m_bevelEnabled->Get()) {
        m_label->SetBevel(m_bevelSize->Get(), m_bevelDepth->Get(), m_bevelAzimuth->Get(), m_bevelZenith->Get(),
                          m_bevelColourA->Get(), m_bevelColourB->Get());
    } else {
        m_label->SetBevel(0.0f, 0.0f, 0.0f, 0.0f, kColourWhite, kColourWhite);
    }
}

Vector3 ComponentText::ComputeTextOrigin() const {
    const float box = std::max(
        1.0f, m_height->Get() - static_cast<float>(m_marginsTop->Get()) - static_cast<float>(m_marginsBottom->Get()));
    float dy = 0.0f;
    if (!m_alignToFontMeshBounds->Get()) {
        float textHeight = kNoTextHeight;
        if (m_label != nullptr) {
            const int lines = std::max(1, m_label->GetLineCount());
            textHeight = m_label->GetCurrentSize() + static_cast<float>((lines - 1) * m_label->GetLineStep());
        }
        const int vertical = m_alignFlags == kTextbox ? 12 : (m_alignFlags & 12);
        if (vertical == 12) {
            dy = box * 0.5f - textHeight * 0.5f;
        } else if (vertical == 8) {
            dy = box - textHeight;
        }
    }
    const Vector3 pivot = GetPivot();
    return Vector3{static_cast<float>(m_marginsLeft->Get()) - pivot.x,
                   static_cast<float>(m_marginsTop->Get()) + dy - pivot.y, -pivot.z};
}

int ComponentText::ClassifyAgainstClip(const float rect[4], const UIVertexList& outline) {
    const float corners[4][2] = {{rect[0], rect[1]}, {rect[2], rect[1]}, {rect[2], rect[3]}, {rect[0], rect[3]}};
    bool allInside = true;
    UIClipEdgeIterator edge(outline);
    while (edge.Next()) {
        int inside = 0;
        for (const auto& corner : corners) {
            inside += edge.Distance(corner[0], corner[1]) >= -1e-5f ? 1 : 0;
        }
        if (inside == 0) {
            return kClipOutside;
        }
        allInside = allInside && inside == 4;
    }
    return allInside ? kClipInside : kClipPartly;
}

bool ComponentText::PlacementInputsChanged() {
    const UITransform world = GetWorldTransform();
    const UIVertexList& outline = GetVertices();
    bool changed = std::memcmp(m_placedWorld, world.m, sizeof(m_placedWorld)) != 0 ||
                   m_placedOutline.size() != outline.size();
    for (size_t i = 0; !changed && i < outline.size(); ++i) {
        changed = m_placedOutline[i].x != outline[i].x || m_placedOutline[i].y != outline[i].y;
    }
    if (changed) {
        std::memcpy(m_placedWorld, world.m, sizeof(m_placedWorld));
        m_placedOutline.resize(outline.size());
        for (size_t i = 0; i < outline.size(); ++i) {
            m_placedOutline[i] = Vector2{outline[i].x, outline[i].y};
        }
    }
    return changed;
}

void ComponentText::UpdatePlacement() {
    m_placementDirty = false;
    if (m_label != nullptr) {
        // One wrap for a changed text; the clip set below only re-places
        // the lines, which the label does lazily when it draws.
        if (m_label->NeedsWrap()) {
            m_label->Rebuild();
        }
        if (m_label->GetLineCount() == 0) {
            m_textVisible = false;
            return;
        }
    } else if (m_arcText == nullptr) {
        return;
    }
    const UIVertexList& outline = GetVertices();
    if (outline.size() <= 2) {
        m_textVisible = false;
        return;
    }
    UITransform inverse;
    if (!UITransform::Invert(GetWorldTransform(), inverse)) {
        m_textVisible = false;
        return;
    }
    const Vector3 origin = ComputeTextOrigin();
    inverse.m[12] -= origin.x;
    inverse.m[13] -= origin.y;
    inverse.kind = static_cast<int32_t>(UITransformKind::General);
    const Vector3 offset = m_softShadowOffset->Get();
    MapOutline(inverse, outline, 0.0f, 0.0f, m_textClipOutline);
    MapOutline(inverse, outline, -offset.x, offset.y, m_shadowClipOutline);
    if (m_arcText != nullptr) {
        m_textVisible = true;
        return;
    }
    // The lines' bounds, y down from the text origin.
    std::vector<StyledText*>& lines = m_placedLines;
    lines.clear();
    for (int i = 0; i < m_label->GetLineCount(); ++i) {
        lines.push_back(&m_label->GetLine(i));
    }
    const float flip = FontManager::Get().GetVerticalDrawScale() < 0.0f ? 1.0f : -1.0f;
    auto toRect = [flip](const TextRect& r, float out[4]) {
        out[0] = r.left;
        out[2] = r.right;
        out[1] = std::min(r.top * flip, r.bottom * flip);
        out[3] = std::max(r.top * flip, r.bottom * flip);
    };
    float bounds[4];
    toRect(StyledText::ComputeBounds(lines), bounds);
    UIVertexList& local = m_clipScratch;
    auto toVertices = [&local](const std::vector<Vector2>& points) -> const UIVertexList& {
        local.resize(points.size());
        for (size_t i = 0; i < points.size(); ++i) {
            local[i].x = points[i].x;
            local[i].y = points[i].y;
        }
        return local;
    };
    int clipClass = ClassifyAgainstClip(bounds, toVertices(m_textClipOutline));
    if (clipClass != kClipPartly && m_softShadowSize->Get() >= 0.0001f) {
        float shadow[4];
        toRect(StyledText::ComputeShadowBounds(lines), shadow);
        const int shadowClass = ClassifyAgainstClip(shadow, toVertices(m_shadowClipOutline));
        if (shadowClass != clipClass) {
            clipClass = kClipPartly;  // one in, one out: cut both
        }
    }
    m_clipClass = clipClass;
    if (clipClass == kClipPartly) {
        m_textVisible = true;
        m_label->SetClipPolygon(&m_textClipOutline, &m_shadowClipOutline);
    } else {
        m_textVisible = clipClass == kClipInside;
        m_label->SetClipPolygon(nullptr, nullptr);
    }
}

void ComponentText::OnFinishedLoading() {
    ComponentVisual::OnFinishedLoading();
    m_rebuildPending = true;
    if (UIManager::Get().AreFontsReady()) {
        RebuildTextObject();
    }
}

void ComponentText::OnReset() {
    ComponentVisual::OnReset();
    m_rebuildPending = true;
}

void ComponentText::Update(float dt) {
    ComponentVisual::Update(dt);
    if (!IsOnScreen()) {
        return;
    }
    if (m_rebuildPending) {
        RebuildTextObject();
    }
    if (m_textDirty) {
        RefreshText();
    }
    if (m_coloursDirty) {
        ApplyColours();
    }
    if (PlacementInputsChanged()) {
        m_placementDirty = true;
    }
    if (m_placementDirty) {
        UpdatePlacement();
    }
}

void ComponentText::Draw() {
    if (!IsOnScreen() || !m_textVisible || GetWorldColour().a < kMinDrawAlpha) {
        return;
    }
    const UITransform world = GetWorldTransform();
    if (m_label != nullptr) {
        // The label lays its lines out y-up from its origin, and the text draw
        // negates y last (the UI runs y downwards while it draws). So the
        // matrix carries the world transform with its y axis flipped and the
        // text origin at (x, -y): the flips cancel for the placement and the
        // glyphs stand upright, scaled and turned with the screen.
        const Vector3 local = ComputeTextOrigin();
        const Vector3 o{local.x * world.m[0] + local.y * world.m[4] + local.z * world.m[8] + world.m[12],
                        local.x * world.m[1] + local.y * world.m[5] + local.z * world.m[9] + world.m[13],
                        local.x * world.m[2] + local.y * world.m[6] + local.z * world.m[10] + world.m[14]};
        Matrix4 placement;
        std::memcpy(placement.m, world.m, sizeof(placement.m));
        placement.m[1] = -placement.m[1];
        placement.m[4] = -placement.m[4];
        placement.m[6] = -placement.m[6];
        placement.m[9] = -placement.m[9];
        placement.m[12] = o.x;
        placement.m[13] = -o.y;
        placement.m[14] = o.z;
        m_label->SetPosition(Vector3{0.0f, 0.0f, 0.0f}, false);
        m_label->DrawTransformed(placement);
    } else if (m_arcText != nullptr) {
        m_arcText->ResetClip();
        if (m_clipsChildren->Get()) {
            m_arcText->ClipPolygon(m_textClipOutline, Vector2{0.0f, 0.0f});
        }
        const Vector3 pivot = GetPivot();
        const Vector2 centre =
            world.TransformPoint(m_width->Get() * 0.5f - pivot.x, m_height->Get() * 0.5f - pivot.y);
        const Vector3& scale = GetWorldScale();
        m_arcText->Draw(Vector3{centre.x, -centre.y, GetAbsolutePosition().z}, scale.x, scale.y, -GetWorldRotation(),
                        5);
    }
    // Text drawing sets world matrices of its own.
    MatrixStack& worldStack = RenderTransforms::Get().World();
    worldStack.Reset();
}

void ComponentText::OnPropertyChanged(UIPropertyBase* property) {
    ComponentVisual::OnPropertyChanged(property);
    if (property == m_alignment) {
        m_alignFlags = ParseAlignment(m_alignment->Get());
        m_rebuildPending = true;
    }
    if (!IsLoaded() || m_rebuildPending) {
        return;
    }
    if (property == m_text || property == m_localiseText) {
        m_textDirty = true;
    } else if (property == m_colour) {
        if (MarkupMode() == 0) {
            m_coloursDirty = true;
        } else {
            m_rebuildPending = true;
        }
    } else if (property == m_fontSize || property == m_width || property == m_height || property == m_marginsTop ||
               property == m_marginsBottom || property == m_marginsLeft || property == m_marginsRight ||
               property == m_dropShadowStyle || property == m_softShadowOffset || property == m_strokeSize ||
               property == m_strokeColour || property == m_softShadowSize || property == m_softShadowColour ||
               property == m_innerGlowSize || property == m_innerGlowColour || property == m_horizontalSpacing ||
               property == m_fontName || property == m_useGradient || property == m_insideColour ||
               property == m_outsideColour || property == m_useMetallicGradient || property == m_metallic[0] ||
               property == m_metallic[1] || property == m_metallic[2] || property == m_metallic[3] ||
               property == m_maxLines || property == m_bevelEnabled || property == m_bevelSize ||
               property == m_bevelDepth || property == m_bevelAzimuth || property == m_bevelZenith ||
               property == m_bevelColourA || property == m_bevelColourB || property == m_radius ||
               property == m_confineToHeight || property == m_clip || property == m_verticalSpacing ||
               property == m_colourisation || property == m_alignToFontMeshBounds) {
        m_rebuildPending = true;
    }
}

}  // namespace Varnok
