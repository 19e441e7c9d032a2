// ComponentTexture: choosing and loading the image, its texture coordinates
// and drawing it over the clipped outline.
#include "engine/ui/ComponentTexture.h"

#include "engine/core/FileObject.h"
#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/WeakPtr.h"
#include "engine/core/XmlDocument.h"
#include "engine/render/AtlasKey.h"
#include "engine/render/AtlasPacker.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/PrimitiveKind.h"
#include "engine/render/SpriteLayerBatch.h"
#include "engine/render/TextureAtlas.h"
#include "engine/render/TextureManager.h"
#include "engine/text/vector/SvgLoader.h"
#include "engine/text/vector/VectorImage.h"
#include "engine/ui/ScopedWorldMatrix.h"
#include "engine/ui/UIManager.h"

#include <cmath>
#include <string>
#include <unordered_map>

namespace Varnok {

namespace {

constexpr float kRadiansPerDegree = 0.017453292f;

// Lower-cased atlas path to the atlas some component holds. Weak: an atlas
// lives while a component holds it and is read again when next needed.
std::unordered_map<std::string, WeakPtr<TextureAtlas>>& AtlasCache() {
    static std::unordered_map<std::string, WeakPtr<TextureAtlas>> s_cache;
    return s_cache;
}

float Ratio(float value, float range) { return range == 0.0f ? 0.0f : value / range; }

const AsciiString& PlaceholderName() {
    static const AsciiString s_name("placeholder");
    return s_name;
}

// The angle of the transform's x axis in degrees, as the world rotation of a
// visual is worked out.
float AxisAngleDegrees(const UITransform& t) {
    if (t.kind != 2 && t.kind != 5) {
        return 0.0f;
    }
    Vector3 v{t.m[0], t.m[1], t.m[2]};
    if (v.x == 1.0f && v.y == 0.0f && v.z == 0.0f) {
        return 0.0f;
    }
    v.Normalise();
    if (std::fabs(v.x - 1.0f) < 0.01f && std::fabs(v.y) < 0.01f && std::fabs(v.z) < 0.01f) {
        return 0.0f;
    }
    const float x = v.x < -1.0f ? -1.0f : (v.x > 1.0f ? 1.0f : v.x);
    const float degrees = std::acos(x) * 57.2957763671875f;
    return v.y < 0.0f ? -degrees : degrees;
}

}  // namespace

AsciiString FolderAtlasName(const AsciiString& path) {
    const int slash = path.FindLastChar('/');
    const AsciiString folder = AsciiString::Substring(path, 0, slash + 1);
    // The folder's own name: its last component without the trailing "/".
    AsciiString folderName;
    if (slash >= 0) {
        const AsciiString inner = AsciiString::Substring(path, 0, slash);
        folderName = AsciiString::Substring(inner, inner.FindLastChar('/') + 1);
    }
    const AsciiString file = AsciiString::Substring(path, slash + 1);
    const int dot = file.FindChar('.');
    const AsciiString image = dot >= 0 ? AsciiString::Substring(file, 0, dot) : file;
    AsciiString name = folder;
    name.AppendString(folderName);
    name.Append(".atlas#");
    name.AppendString(image);
    return name;
}

const ComponentClassInfo& ComponentTexture::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentTexture", ComponentClassId::Texture,
                                           &ComponentVisual::GetStaticClassInfo());
    return s_info;
}

ComponentTexture::ComponentTexture()
    : m_textureName(GetOrAddProperty<AsciiString>(AsciiString("texture"), AsciiString())),
      m_texCoordRange(GetOrAddProperty<Vector2>(AsciiString("texCoordRange"), Vector2{1.0f, 1.0f})),
      m_texCoordPos(GetOrAddProperty<Vector2>(AsciiString("texCoordPos"), Vector2{0.0f, 0.0f})),
      m_texCoordSize(GetOrAddProperty<Vector2>(AsciiString("texCoordSize"), Vector2{1.0f, 1.0f})),
      m_depthFunc(GetOrAddProperty<int>(AsciiString("depthFunc"), -1)),
      m_clearTextureOnDisable(GetOrAddProperty<bool>(AsciiString("clearTextureOnDisable"), false)),
      m_loadTextureOnLoad(GetOrAddProperty<bool>(AsciiString("loadTextureOnLoad"), false)),
      m_drawVertices(4) {
    SetClassInfo(GetStaticClassInfo());
    m_buildVertices = true;
}

ComponentTexture::~ComponentTexture() = default;

int ComponentTexture::CachedAtlasCount() {
    int count = 0;
    for (const auto& entry : AtlasCache()) {
        if (entry.second.Lock()) {
            ++count;
        }
    }
    return count;
}

Vector2 ComponentTexture::GetTexCoordOffset() const {
    const Vector2 range = m_texCoordRange->Get();
    const Vector2 pos = m_texCoordPos->Get();
    return Vector2{Ratio(pos.x, range.x), Ratio(pos.y, range.y)};
}

Vector2 ComponentTexture::GetTexCoordSize() const {
    const Vector2 range = m_texCoordRange->Get();
    const Vector2 size = m_texCoordSize->Get();
    return Vector2{Ratio(size.x, range.x), Ratio(size.y, range.y)};
}

void ComponentTexture::BuildQuad(UIVertexList& vertices) const {
    ComponentVisual::BuildQuad(vertices);
    const Vector2 offset = GetTexCoordOffset();
    const Vector2 size = GetTexCoordSize();
    float uLeft = offset.x;
    float vTop = offset.y;
    float uRight = offset.x + size.x;
    float vBottom = offset.y + size.y;
    if (m_atlasEntry != nullptr) {
        const float width = m_atlasEntry->umax - m_atlasEntry->umin;
        const float height = m_atlasEntry->vmax - m_atlasEntry->vmin;
        uLeft = m_atlasEntry->umin + offset.x * width;
        vTop = m_atlasEntry->vmin + offset.y * height;
        uRight = uLeft + size.x * width;
        vBottom = vTop + size.y * height;
    }
    const float uv[4][2] = {{uLeft, vTop}, {uRight, vTop}, {uRight, vBottom}, {uLeft, vBottom}};
    for (int i = 0; i < 4; ++i) {
        vertices[i].u = uv[i][0];
        vertices[i].v = uv[i][1];
    }
}

void ComponentTexture::ClearAtlas() {
    m_atlas.Clear();
    m_atlasEntry = nullptr;
}

void ComponentTexture::SetTexture(const SmartPtr<Texture>& texture) {
    m_texture = texture;
    ClearAtlas();
    m_reloadTexture = false;
}

void ComponentTexture::ReleaseTexture() {
    m_texture.Clear();
    m_vectorSprite.reset();
    ClearAtlas();
}

void ComponentTexture::LoadTexture() {
    m_reloadTexture = false;
    const AsciiString& value = m_textureName->Get();
    if (value == m_loadedName) {
        return;
    }
    const AsciiString name = AsciiString::TrimCopy(value);
    if (name.Length() == 0) {
        m_texture.Clear();
        m_loadedName = AsciiString();
        return;
    }
    m_loadedName = name;
    // The vertices take the new entry's rectangle (or none).
    m_layoutDirty = 1;
    if (name == PlaceholderName()) {
        m_texture = UIManager::Get().GetDefaultTexture(m_placeholderIndex);
        return;
    }
    if (name.FindChar('#') >= 0) {
        LoadFromAtlas(name, true);
        return;
    }
    if (LoadFromAtlas(FolderAtlasName(name), false)) {
        return;
    }
    ClearAtlas();
    if (name.EndsWith(".svg", 4)) {
        LoadVectorImage(name);
        return;
    }
    m_vectorSprite.reset();
    m_texture = TextureManager::Get().GetTexture(name.c_str());  // logs a failure itself
}

bool ComponentTexture::LoadFromAtlas(const AsciiString& name, bool logMissingFile) {
    const int hash = name.FindChar('#');
    const AsciiString file = AsciiString::Substring(name, 0, hash);
    const AsciiString entryName = AsciiString::Substring(name, hash + 1);
    const std::string key = AsciiString::ToLowerCopy(file).c_str();
    auto& cache = AtlasCache();
    SmartPtr<TextureAtlas> atlas;
    auto found = cache.find(key);
    if (found != cache.end()) {
        atlas = found->second.Lock();
    }
    if (!atlas) {
        FileObject stream(file.c_str(), 0);
        if (!stream.Open()) {
            // The folder-atlas form is only a guess: no atlas is no fault.
            if (logMissingFile) {
                Log("ComponentTexture: could not open atlas %s", file.c_str());
            }
            return false;
        }
        atlas = new TextureAtlas(0, 0, 0, 0, false);
        if (!atlas->LoadLayout(stream)) {  // the atlas logs why
            return false;
        }
        cache[key] = atlas;
    }
    m_atlas = atlas;
    m_atlasEntry = atlas->FindImage(AtlasKey::FromNameHash(HashName(entryName.c_str(), entryName.Length())));
    if (m_atlasEntry == nullptr || m_atlasEntry->page == nullptr) {
        m_atlasEntry = nullptr;
        m_texture.Clear();
        if (logMissingFile) {
            Log("ComponentTexture: atlas %s has no entry %s", file.c_str(), entryName.c_str());
        }
        return false;
    }
    m_vectorSprite.reset();
    m_texture = m_atlasEntry->page->GetTexture();
    return true;
}

void ComponentTexture::LoadVectorImage(const AsciiString& name) {
    m_texture.Clear();
    TiXmlDocument xml;
    std::unique_ptr<SvgDocument> document;
    const bool read = LoadXmlDocument(xml, name.c_str());
    if (read) {
        document = SvgLoader::Load(xml.RootElement());  // null unless the root is "svg"
    }
    if (!document) {
        m_vectorSprite.reset();
        // The XML loader reports a malformed file itself.
        if (read || xml.ErrorId() == TiXmlBase::TIXML_ERROR_OPENING_FILE) {
            Log("ComponentTexture: could not load svg file: %s", name.c_str());
        }
        return;
    }
    SmartPtr<VectorImage> image = new VectorImage();
    image->SetDocument(std::move(document));
    const Vector2& screen = UIManager::Get().GetScreenSize();
    m_vectorView = VectorViewData::MakeUiPixelView(screen.x, screen.y);
    auto sprite = std::make_unique<VectorImageSprite>();
    const Vector3& scale = GetWorldScale();
    const Vector3 absolute = GetAbsolutePosition();
    const Vector3 origin = m_origin->Get();
    const float width = GetWidth();
    const float height = GetHeight();
    const Vector3 centre{absolute.x - scale.x * origin.x + scale.x * width * 0.5f,
                         absolute.y - scale.y * origin.y + scale.y * height * 0.5f, 0.0f};
    sprite->Init(image, centre, scale.x * width, -(scale.y * height),
                 -GetWorldRotation() * kRadiansPerDegree, &m_vectorView);
    m_vectorSprite = std::move(sprite);
}

void ComponentTexture::Update(float dt) {
    ComponentVisual::Update(dt);
    if (m_reloadTexture) {
        LoadTexture();
        if (m_layoutDirty != 0) {
            UpdateVisualState();  // the new entry's texture coordinates, this frame
        }
    }
    BuildDrawVertices(GetOutline(), GetWorldColour(), m_drawVertices);
}

bool ComponentTexture::DrawsTranslucent() const {
    return m_alphaBlendEnabled->Get() && GetWorldColour().a != 255;
}

void ComponentTexture::PlaceVectorSprite() {
    const UITransform world = GetWorldTransform();
    const Vector3 pivot = GetPivot();
    const float cx = GetWidth() * 0.5f - pivot.x;
    const float cy = GetHeight() * 0.5f - pivot.y;
    const Vector2 centre = world.TransformPoint(cx, cy);
    const Vector3 axes = world.AxisLengths();
    m_vectorSprite->position = Vector3{centre.x, centre.y, 0.0f};
    m_vectorSprite->scaleX = axes.x * GetWidth();
    m_vectorSprite->scaleY = -(axes.y * GetHeight());
    m_vectorSprite->rotation = WrapAngle(AxisAngleDegrees(world) * kRadiansPerDegree);
}

void ComponentTexture::Draw() {
    if (!IsOnScreen() || GetWorldColour().a == 0 || (!m_texture && !m_vectorSprite)) {
        return;
    }
    if (m_texture) {
        if (m_drawVertices.empty()) {
            return;
        }
        const int32_t count = static_cast<int32_t>(m_drawVertices.size());
        const int32_t fan = static_cast<int32_t>(PrimitiveKind::TriangleFan);
        SpriteLayerBatch& batch = SpriteLayerBatch::GetInstance();
        if (batch.IsActive()) {
            batch.AddPrimitives(m_texture, m_drawVertices.data(), count, fan, DrawsTranslucent());
        } else {
            ImmediatePrimitiveRenderer::Get().Draw(m_drawVertices.data(), count, fan, DrawsTranslucent(),
                                                   nullptr, m_texture);
        }
        return;
    }
    PlaceVectorSprite();
    const ScopedWorldMatrix keep;
    m_vectorSprite->Draw();
}

Component* ComponentTexture::Clone() const {
    Component* copy = ComponentVisual::Clone();
    if (copy != nullptr && copy->IsKindOf(GetStaticClassInfo())) {
        auto* texture = static_cast<ComponentTexture*>(copy);
        texture->m_placeholderIndex = m_placeholderIndex;
        texture->m_loadedName = m_loadedName;
        texture->m_texture = m_texture;
        texture->m_atlas = m_atlas;
        texture->m_atlasEntry = m_atlasEntry;
    }
    return copy;
}

void ComponentTexture::OnFinishedLoading() {
    ComponentVisual::OnFinishedLoading();
    if (m_loadTextureOnLoad->Get()) {
        LoadTexture();
    }
}

void ComponentTexture::OnPropertyChanged(UIPropertyBase* property) {
    ComponentVisual::OnPropertyChanged(property);
    if (!IsLoaded()) {
        return;
    }
    if (property == GetEnabledProperty()) {
        if (m_clearTextureOnDisable->Get() && !(IsActive() && IsEnabled())) {
            ReleaseTexture();
            m_loadedName = AsciiString();  // so the same name loads again
            m_reloadTexture = true;
        }
    } else if (property == m_textureName) {
        m_reloadTexture = true;
    } else if (property == m_texCoordRange || property == m_texCoordPos || property == m_texCoordSize) {
        m_layoutDirty = 1;
    }
}

}  // namespace Varnok
