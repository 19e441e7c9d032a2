// 500 textured UI visuals moved, updated and drawn every frame through the
// UI (ComponentTexture on a screen: transforms, outlines clipped by the
// screen, the batch), against the floor: the same 500 quads at the same
// places queued straight into the SpriteLayerBatch and drawn. Headless,
// 480 x 320, one texture from the bundle on both sides; frames are cleared,
// drawn and waited for (glFinish). Each side in its own process.
#include "bench/HeadlessRenderScene.h"
#include "bench/SideBySide.h"
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/SpriteLayerBatch.h"
#include "engine/render/TextureManager.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/ComponentTexture.h"
#include "engine/ui/UIManager.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

constexpr int kWidth = 480;
constexpr int kHeight = 320;
constexpr int kVisuals = 500;
constexpr int kLayer = 3;
constexpr float kSide = 16.0f;
constexpr int kWarmUpFrames = 20;
constexpr int kTimedFrames = 201;
const char* const kTexturePath = "textures/ui/frame32.tex";

// Where visual i sits in frame f, top-left corner in screen units: a grid
// of 25 x 20 that sways a little every frame.
void Place(int i, int frame, float& x, float& y) {
    const float sway = 4.0f * std::sin(0.05f * static_cast<float>(frame) + 0.1f * static_cast<float>(i));
    x = static_cast<float>(i % 25) * 19.0f + sway;
    y = static_cast<float>(i / 25) * 16.0f + 0.5f * sway;
}

bool OpenScene(VarnokBench::HeadlessRenderScene& scene) {
    if (!scene.Open(kWidth, kHeight, "UiVisualsBench")) {
        std::fprintf(stderr, "no headless GL context\n");
        return false;
    }
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true),
                                  FileSystemKey("bundle"), 1);
    Renderer& renderer = Renderer::Get();
    renderer.SetViewport(0, kHeight, 0, kWidth);
    renderer.SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
    renderer.SetDepthTest(false);
    renderer.SetDepthWrite(false);
    renderer.SetCullMode(kCullOff);
    UIProjectSettings settings;
    settings.simple2DGlobalTransformIndex = 0;
    settings.workspaceWidth = kWidth;
    settings.workspaceHeight = kHeight;
    UIManager::Get().Init(settings, AsciiString("~base"));  // configures the batch on both sides
    return true;
}

template <typename DrawFrame>
double MedianFrameMs(DrawFrame drawFrame) {
    return VarnokBench::MedianFrameMs(kWidth, kHeight, kWarmUpFrames, kTimedFrames,
                                      VarnokBench::LitRule::AnyColour, drawFrame);
}

double Ours() {
    static VarnokBench::HeadlessRenderScene scene;
    if (!OpenScene(scene)) {
        return -1.0;
    }
    UIManager& ui = UIManager::Get();
    auto* screen = new ComponentScreen();
    screen->SetId(AsciiString("bench"));
    ui.GetRoot()->AddChild(screen, -1);
    screen->SetLayer(kLayer);
    static std::vector<UIProperty<Vector3>*> positions;
    for (int i = 0; i < kVisuals; ++i) {
        auto* visual = new ComponentTexture();
        visual->SetId(AsciiString(("v" + std::to_string(i)).c_str()));
        screen->AddChild(visual, -1);
        visual->FindProperty<float>(AsciiString("width"))->Set(kSide);
        visual->FindProperty<float>(AsciiString("height"))->Set(kSide);
        visual->FindProperty<AsciiString>(AsciiString("texture"))->Set(AsciiString(kTexturePath));
        positions.push_back(visual->FindProperty<Vector3>(AsciiString("position")));
    }
    screen->MarkLoaded();
    return MedianFrameMs([&ui](int frame) {
        for (int i = 0; i < kVisuals; ++i) {
            float x = 0.0f;
            float y = 0.0f;
            Place(i, frame, x, y);
            positions[static_cast<size_t>(i)]->Set(Vector3{x, y, 0.0f});
        }
        ui.Update(1.0f / 60.0f);
        ui.Draw(kLayer);
    });
}

double Batch() {
    static VarnokBench::HeadlessRenderScene scene;
    if (!OpenScene(scene)) {
        return -1.0;
    }
    static SmartPtr<Texture> texture = TextureManager::Get().GetTexture(kTexturePath);
    if (!texture) {
        std::fprintf(stderr, "%s is missing from the bundle\n", kTexturePath);
        return -1.0;
    }
    SpriteLayerBatch& batch = SpriteLayerBatch::GetInstance();
    // The UI's projection for its screens: top-left pixel origin, y down.
    Matrix4 view;
    Matrix4 projection;
    UIManager::Get().GetViewProjection(view, projection);
    Matrix4 viewProjection;
    Matrix4::Multiply(view, projection, viewProjection);
    return MedianFrameMs([&](int frame) {
        batch.Reset();
        batch.SetCurrentLayer(0);
        batch.LayerMatrix(0) = viewProjection;
        for (int i = 0; i < kVisuals; ++i) {
            float x = 0.0f;
            float y = 0.0f;
            Place(i, frame, x, y);
            BatchSprite sprite;
            sprite.x = x + 0.5f * kSide;
            sprite.y = y + 0.5f * kSide;
            sprite.width = kSide;
            sprite.height = kSide;
            batch.AddItem(texture, sprite);
        }
        batch.Draw(BatchDrawMode::Merged, BatchDepthRange{1.0f, 0.0f});
    });
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload = "500 textured 16 x 16 visuals moved every frame, updated and drawn (480 x 320, headless)";
    comparison.unit = "ms per frame";
    comparison.contenders = {{"ComponentTexture through the UI", &Ours},
                             {"the same quads straight into SpriteLayerBatch", &Batch}};
    return Bench::RunSideBySide(argc, argv, comparison);
}
