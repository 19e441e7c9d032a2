// ComponentWindow: the nine-patch geometry, its texture coordinates, and
// the few draw runs that submit it.
#include "engine/ui/ComponentWindow.h"

#include "engine/core/Log.h"
#include "engine/core/XmlDocument.h"
#include "engine/render/AtlasPacker.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/PrimitiveKind.h"
#include "engine/render/SpriteLayerBatch.h"
#include "engine/render/TextureManager.h"
#include "engine/ui/UIClip.h"

#include <algorithm>

namespace Varnok {

namespace {

constexpr int kBoxPlaceholder = 1;

// Submission order: the middle first, so that a middle of its own texture
// starts the list and the frame shares one run.
const int kDrawOrder[9] = {
    NinePatchSegment::Middle,  NinePatchSegment::Left,       NinePatchSegment::Top,
    NinePatchSegment::Right,   NinePatchSegment::Bottom,     NinePatchSegment::TopLeft,
    NinePatchSegment::TopRight, NinePatchSegment::BottomLeft, NinePatchSegment::BottomRight};

// Pixel over the image's extent; 0 for an empty extent, as a zero texture
// coordinate range gives.
// Right minus left in float: file values may span the whole int range.
float Extent(int low, int high) { return static_cast<float>(high) - static_cast<float>(low); }

float Fraction(int pixel, float extent) {
    return extent == 0.0f ? 0.0f : static_cast<float>(pixel) / extent;
}

}  // namespace

const ComponentClassInfo& ComponentWindow::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentWindow", ComponentClassId::Window,
                                           &ComponentTexture::GetStaticClassInfo());
    return s_info;
}

ComponentWindow::ComponentWindow()
    : m_componentScale(GetOrAddProperty<float>(AsciiString("componentscale"), 1.0f)),
      m_segmentationFile(GetOrAddProperty<AsciiString>(AsciiString("smetafile"), AsciiString())),
      m_mainBody(GetOrAddProperty<AsciiString>(AsciiString("mainbody"), AsciiString())),
      m_drawNinePatch(GetOrAddProperty<bool>(AsciiString("drawninepatch"), true)),
      m_scaleIfTooSmall(GetOrAddProperty<bool>(AsciiString("scaleIfTooSmall"), false)),
      m_segmentation(NinePatchSegmentation::BuiltIn()),
      m_segmentationUV(NinePatchSegmentation::BuiltIn()) {
    SetClassInfo(GetStaticClassInfo());
    m_placeholderIndex = kBoxPlaceholder;
}

ComponentWindow::~ComponentWindow() = default;

void ComponentWindow::LoadSegmentationFile() {
    m_segmentation = NinePatchSegmentation::BuiltIn();
    m_segmentationUV = NinePatchSegmentation::BuiltIn();
    const AsciiString& path = m_segmentationFile->Get();
    if (path.Length() == 0) {
        return;
    }
    TiXmlDocument document;
    if (!LoadXmlDocument(document, path.c_str())) {
        // A malformed file is reported by the loader; a missing one here.
        if (document.ErrorId() == TiXmlBase::TIXML_ERROR_OPENING_FILE) {
            Log("ComponentWindow: segmentation file %s could not be opened; using the built-in one",
                path.c_str());
        }
        return;
    }
    if (!ReadNinePatchSegmentation(document, m_segmentation, m_segmentationUV)) {
        Log("ComponentWindow: segmentation file %s has no segmentationmeta/segmentation; using the "
            "built-in one",
            path.c_str());
    }
}

void ComponentWindow::LoadMainBodyTexture() {
    const AsciiString& path = m_mainBody->Get();
    m_mainBodyTexture.Clear();
    if (path.Length() != 0) {
        m_mainBodyTexture = TextureManager::Get().GetTexture(path.c_str());
    }
}

void ComponentWindow::OnFinishedLoading() {
    ComponentTexture::OnFinishedLoading();
    LoadSegmentationFile();
    LoadMainBodyTexture();
}

void ComponentWindow::OnPropertyChanged(UIPropertyBase* property) {
    ComponentTexture::OnPropertyChanged(property);
    if (!IsLoaded()) {
        return;
    }
    if (property == m_segmentationFile) {
        LoadSegmentationFile();
    } else if (property == m_mainBody) {
        LoadMainBodyTexture();
    }
}

void ComponentWindow::Update(float dt) {
    ComponentTexture::Update(dt);
    BuildNinePatch();
}

void ComponentWindow::BuildNinePatch() {
    if (!m_drawNinePatch->Get() || !IsOnScreen() || !m_texture) {
        return;  // the previous runs stay
    }
    const float width = GetWidth();
    const float height = GetHeight();
    const NinePatchLayout layout =
        LayoutNinePatch(m_segmentation, width, height, m_componentScale->Get(), m_scaleIfTooSmall->Get());
    const Vector3 pivot = GetPivot();

    Vector2 base = GetTexCoordOffset();
    Vector2 span = GetTexCoordSize();
    if (m_atlasEntry != nullptr) {
        const float entryWidth = m_atlasEntry->umax - m_atlasEntry->umin;
        const float entryHeight = m_atlasEntry->vmax - m_atlasEntry->vmin;
        base = Vector2{m_atlasEntry->umin + base.x * entryWidth, m_atlasEntry->vmin + base.y * entryHeight};
        span = Vector2{entryWidth * span.x, entryHeight * span.y};
    }
    const NinePatchRect& uvWhole = m_segmentationUV.rects[NinePatchSegment::Whole];
    const float uvWidth = Extent(uvWhole.left, uvWhole.right);
    const float uvHeight = Extent(uvWhole.top, uvWhole.bottom);

    const UITransform world = GetWorldTransform();
    const UIVertexList& clip = GetVertices();
    const Colour colour = GetWorldColour();
    for (int segment : kDrawOrder) {
        const UIRect& r = layout.rects[segment];
        const bool wholeForMiddle = segment == NinePatchSegment::Middle && m_mainBodyTexture;
        const NinePatchRect& uv = m_segmentationUV.rects[wholeForMiddle ? NinePatchSegment::Whole : segment];
        // The pixel values themselves are divided: segmentation files start
        // the whole image at 0.
        const float uLeft = base.x + span.x * Fraction(uv.left, uvWidth);
        const float uRight = base.x + span.x * Fraction(uv.right, uvWidth);
        const float vTop = base.y + span.y * Fraction(uv.top, uvHeight);
        const float vBottom = base.y + span.y * Fraction(uv.bottom, uvHeight);
        const float corners[4][4] = {{r.left, r.top, uLeft, vTop},
                                     {r.right, r.top, uRight, vTop},
                                     {r.right, r.bottom, uRight, vBottom},
                                     {r.left, r.bottom, uLeft, vBottom}};
        m_segmentQuad.assign(4, DefaultUIVertex());
        for (int i = 0; i < 4; ++i) {
            m_segmentQuad[i].x = corners[i][0] - pivot.x;
            m_segmentQuad[i].y = corners[i][1] - pivot.y;
            m_segmentQuad[i].u = corners[i][2];
            m_segmentQuad[i].v = corners[i][3];
        }
        UITransform::TransformVertices(world, m_segmentQuad, m_segmentQuad);
        UIClipPolygon(clip, m_segmentQuad, m_segmentClipped, m_segmentScratch);
        BuildDrawVertices(m_segmentClipped, colour, m_segmentVertices[segment]);
    }
    BuildDrawRuns();
}

void ComponentWindow::BuildDrawRuns() {
    int32_t mode = 2;
    if (m_alphaBlendEnabled->Get()) {
        mode = GetWorldColour().a != 255 ? 1 : 0;
    }
    m_ninePatchRuns.clear();
    m_ninePatchVertices.clear();
    if (!m_texture) {
        return;
    }
    for (int segment : kDrawOrder) {
        const std::vector<ImmediateVertex>& polygon = m_segmentVertices[segment];
        const size_t n = polygon.size();
        if (n == 0) {
            continue;
        }
        const SmartPtr<Texture>& texture =
            segment == NinePatchSegment::Middle && m_mainBodyTexture ? m_mainBodyTexture : m_texture;
        const int32_t first = static_cast<int32_t>(m_ninePatchVertices.size());
        // A fan as triangles (vertex 0, i - 1, i); the first is degenerate.
        for (size_t i = 1; i < n; ++i) {
            m_ninePatchVertices.push_back(polygon[0]);
            m_ninePatchVertices.push_back(polygon[i - 1]);
            m_ninePatchVertices.push_back(polygon[i]);
        }
        const int32_t added = static_cast<int32_t>(m_ninePatchVertices.size()) - first;
        if (!m_ninePatchRuns.empty() && m_ninePatchRuns.back().texture.Get() == texture.Get() &&
            m_ninePatchRuns.back().mode == mode) {
            m_ninePatchRuns.back().count += added;
        } else {
            NinePatchRun run;
            run.first = first;
            run.count = added;
            run.texture = texture;
            run.mode = mode;
            m_ninePatchRuns.push_back(run);
        }
    }
}

void ComponentWindow::Draw() {
    if (!m_drawNinePatch->Get()) {
        ComponentTexture::Draw();
        return;
    }
    if (!IsOnScreen() || GetWorldColour().a == 0) {
        return;
    }
    SpriteLayerBatch& batch = SpriteLayerBatch::GetInstance();
    const int32_t triangles = static_cast<int32_t>(PrimitiveKind::Triangles);
    for (const NinePatchRun& run : m_ninePatchRuns) {
        const ImmediateVertex* vertices = m_ninePatchVertices.data() + run.first;
        // Mode 2 (opaque) goes as 0: the batch blends a texture with alpha
        // whatever it is asked, so opaque can only be asked for, not forced.
        const bool translucent = run.mode == 1;
        if (batch.IsActive()) {
            batch.AddPrimitives(run.texture, vertices, run.count, triangles, translucent);
        } else {
            ImmediatePrimitiveRenderer::Get().Draw(vertices, run.count, triangles, translucent, nullptr,
                                                   run.texture);
        }
    }
}

Component* ComponentWindow::Clone() const {
    Component* copy = ComponentTexture::Clone();
    if (copy != nullptr && copy->IsKindOf(GetStaticClassInfo())) {
        auto* window = static_cast<ComponentWindow*>(copy);
        window->m_segmentation = m_segmentation;
        window->m_segmentationUV = m_segmentationUV;
        window->m_mainBodyTexture = m_mainBodyTexture;
    }
    return copy;
}

}  // namespace Varnok
