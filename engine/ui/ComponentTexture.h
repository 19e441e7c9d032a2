// A visual that shows an image over its rectangle: an atlas entry (named
// "file.atlas#entry", or found in the atlas named after the image's folder),
// an SVG image rasterised on the fly, an engine texture, or one of the UI
// manager's default textures. Texture coordinates choose a part of it.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/render/ImmediateVertex.h"
#include "engine/text/vector/VectorImageSprite.h"
#include "engine/ui/ComponentVisual.h"

#include <memory>
#include <vector>

namespace Varnok {

struct AtlasNode;
class Texture;
class TextureAtlas;

// "textures/menu/play.tex" gives "textures/menu/menu.atlas#play"; a name
// without a folder gives ".atlas#name".
AsciiString FolderAtlasName(const AsciiString& path);

class ComponentTexture : public ComponentVisual {
public:
    ComponentTexture();
    ~ComponentTexture() override;

    static const ComponentClassInfo& GetStaticClassInfo();

    void SetText(const AsciiString& text) override { m_textureName->Set(text); }
    void Update(float dt) override;
    void Draw() override;
    Component* Clone() const override;
    void OnFinishedLoading() override;
    void OnPropertyChanged(UIPropertyBase* property) override;
    void BuildQuad(UIVertexList& vertices) const override;

    // "texCoordPos" and "texCoordSize" over "texCoordRange", per axis; a
    // range of 0 gives 0 on that axis.
    virtual Vector2 GetTexCoordOffset() const;
    virtual Vector2 GetTexCoordSize() const;

    // Loads the image "texture" names, unless it is the name loaded last.
    void LoadTexture();
    // Shows a texture made elsewhere; no atlas, no reload pending.
    void SetTexture(const SmartPtr<Texture>& texture);
    // Drops the image, the vector sprite and the atlas.
    void ReleaseTexture();

    const SmartPtr<Texture>& GetTexture() const { return m_texture; }
    const SmartPtr<TextureAtlas>& GetAtlas() const { return m_atlas; }
    // The atlas entry whose rectangle maps the quad; null without one.
    const AtlasNode* GetAtlasEntry() const { return m_atlasEntry; }
    bool HasVectorImage() const { return m_vectorSprite != nullptr; }
    const std::vector<ImmediateVertex>& GetDrawVertices() const { return m_drawVertices; }
    // Whether Draw queues the image as translucent regardless of the
    // texture's own alpha.
    bool DrawsTranslucent() const;

    // Live atlases in the weak cache; for tests and diagnostics.
    static int CachedAtlasCount();

protected:
    // Which UI-manager default texture "placeholder" stands for.
    int m_placeholderIndex = 0;
    SmartPtr<Texture> m_texture;
    const AtlasNode* m_atlasEntry = nullptr;  // an entry of m_atlas, or null

private:
    // name is "file#entry". False, leaving m_texture alone, when the file
    // cannot be opened; false with no image when the entry is missing.
    bool LoadFromAtlas(const AsciiString& name, bool logMissingFile);
    void LoadVectorImage(const AsciiString& name);
    void ClearAtlas();
    // The vector sprite's placement from the current world state.
    void PlaceVectorSprite();

    UIProperty<AsciiString>* m_textureName;
    UIProperty<Vector2>* m_texCoordRange;
    UIProperty<Vector2>* m_texCoordPos;
    UIProperty<Vector2>* m_texCoordSize;
    UIProperty<int>* m_depthFunc;
    UIProperty<bool>* m_clearTextureOnDisable;
    UIProperty<bool>* m_loadTextureOnLoad;

    bool m_reloadTexture = true;
    AsciiString m_loadedName;
    std::unique_ptr<VectorImageSprite> m_vectorSprite;
    VectorViewData m_vectorView;  // the UI's view, handed to the sprite
    SmartPtr<TextureAtlas> m_atlas;
    std::vector<ImmediateVertex> m_drawVertices;  // the outline reversed, in world colour
};

}  // namespace Varnok
