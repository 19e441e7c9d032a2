// The stand-in game's touch answer and drawing.
#include "game/DemoGame.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/InputManager.h"
#include "engine/core/Log.h"
#include "engine/core/TouchInputDevice.h"
#include "engine/iOS/FrameRateController.h"
#include "engine/iOS/LaunchUrl.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/Texture.h"
#include "game/DemoCaptions.h"

namespace Varnok {
namespace {

constexpr int32_t kSaveMountPriority = 2;

// A plain function: the dispatcher keeps its listeners for the process,
// longer than the game.
void LogLaunchUrl(const char* url) {
    Log("DemoGame: opened with %s", url);
}

}  // namespace

DemoGame::~DemoGame() = default;

std::unique_ptr<VarnokGame> DemoGame::Create() {
    return std::make_unique<DemoGame>();
}

void DemoGame::SetPaths(const char* bundleDir, const char* documentsDir, const char* /*cachesDir*/) {
    FileSystemRegistry& files = FileSystemRegistry::Get();
    files.Clear();
    files.Add(std::make_unique<DirectoryFileSystem>(bundleDir, true), FileSystemKey("base"), 0);
    files.Add(std::make_unique<DirectoryFileSystem>(documentsDir, false), FileSystemKey("save"),
              kSaveMountPriority);
}

void DemoGame::InitialiseStage1(void*, void*) {}

void DemoGame::Initialise(void*, void*) {
    FrameRateController::Get().Init();
    RenderTransforms::Get().Reset();
    Renderer& renderer = Renderer::Get();
    renderer.Init(this, "Varnok", 0);
    renderer.SetClearColour(kIdleColour);
    InputManager::Get().CreateDevices();
    // Once per process: the listener outlives the game.
    static bool s_listening = false;
    if (!s_listening) {
        s_listening = true;
        AddLaunchUrlListener(LaunchUrlDispatcher::Listener(&LogLaunchUrl));
    }
    m_captions = std::make_unique<DemoCaptions>();
    m_captions->Load(renderer.GetViewportHeight());
    m_initialised = true;
}

void DemoGame::Update(float stepSeconds) {
    InputManager::Get().Update(stepSeconds);
    m_touchDown = false;
    const TouchInputDevice* touches = TouchInputDevice::Get();
    if (touches != nullptr) {
        uint32_t newest = 0;
        for (int slot = 0; slot < kTouchSlotCount; ++slot) {
            const TouchPoint& point = touches->GetSlot(slot);
            if (point.id != 0 && point.IsDown() && point.id >= newest) {
                newest = point.id;
                m_touchDown = true;
                m_touchX = point.x;
                m_touchY = point.y;
            }
        }
    }
    // The clear at the next frame's start shows it.
    Renderer::Get().SetClearColour(m_touchDown ? kTouchColour : kIdleColour);
}

void DemoGame::Render(float elapsedSeconds) {
    if (m_captions) {
        m_captions->Draw();
    }
    if (m_touchDown) {
        DrawSquare();
    }
    if (m_vectorImage) {
        m_vectorImage->Draw(elapsedSeconds);
    }
}

void DemoGame::DrawSquare() const {
    Renderer& renderer = Renderer::Get();
    const float height = kScreenUnitsHigh;
    const float width = kScreenUnitsHigh * renderer.GetAspectRatio();
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.World().Set(Matrix4::Identity());
    transforms.View().Set(Matrix4::Identity());
    transforms.SetOrthographic(height / 2, -height / 2, -width / 2, width / 2, -1.0f, 1.0f);

    // The logical screen: y up, centred on the origin. A strip of four
    // corners: bottom-left, bottom-right, top-left, top-right.
    const float cx = (m_touchX - 0.5f) * width;
    const float cy = -(m_touchY - 0.5f) * height;
    const float half = kSquareUnits / 2;
    const float corners[4][2] = {
        {cx - half, cy - half}, {cx + half, cy - half}, {cx - half, cy + half}, {cx + half, cy + half}};
    float rgba[4];
    kSquareColour.GetRGBAFloats(rgba);  // 0..255, as the vertex wants
    ImmediateVertex square[4];
    for (int i = 0; i < 4; ++i) {
        square[i].x = corners[i][0];
        square[i].y = corners[i][1];
        square[i].r = rgba[0];
        square[i].g = rgba[1];
        square[i].b = rgba[2];
        square[i].a = rgba[3];
    }
    // Opaque: the square's alpha is 255, so blending leaves its colour as is.
    DrawTexturedTriangleStrip(square, 4, false, nullptr, SmartPtr<Texture>());
}

void DemoGame::Shutdown() {
    if (!m_initialised) {
        return;
    }
    m_initialised = false;
    m_captions.reset();
    m_vectorImage.reset();  // its texture goes while the GL is still there
    InputManager::Get().Shutdown();
    ImmediatePrimitiveRenderer::Get().Release();
    ShaderProgramCache::Get().Release();
    FrameRateController::Get().Shutdown();
}

}  // namespace Varnok
