// The stand-in game's frame: the UI's screens, or the earlier picture with
// its touch answer.
#include "game/DemoGame.h"

#include "engine/audio/SoundManager.h"
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
#include "engine/text/FontManager.h"
#include "engine/ui/UIManager.h"
#include "game/DemoCaptions.h"

#include <algorithm>

namespace Varnok {
namespace {

constexpr int32_t kSaveMountPriority = 2;
// Shown from the start: the backdrop, and the menu over it.
constexpr const char* kShownScreens[] = {"demoBackground", "demoMenu"};
// Loaded hidden: the menu's "play" quad moves on to it.
constexpr const char* kPanelScreen = "demoPanel";

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
    // Sounds the screens play; without an audio device the output logs a
    // line and plays nothing.
    (void)SoundManager::Get().Init(nullptr, 0, 0);
    m_showsScreens = LoadScreens();
    if (!m_showsScreens) {
        Log("DemoGame: the UI's screens are not in the bundle, showing the stand-in picture");
        LoadStandInPicture(renderer.GetViewportHeight());
    } else {
        m_vectorImage.reset();
    }
    m_initialised = true;
}

bool DemoGame::LoadScreens() {
    // Text components need the font manager before their first layout.
    FontManager& fonts = FontManager::Get();
    if (!fonts.IsInitialised()) {
        if (!fonts.Init(1.0f, 1.0f, FontManager::Rgba32, false)) {
            Log("DemoGame: no fonts: %s", fonts.GetErrorText());
        } else {
            m_startedFonts = true;
        }
    }
    // Init registers the manager as the input's UI sink: touches reach the
    // screens before the game sees them.
    UIManager& ui = UIManager::Get();
    if (ui.LoadProject(kUiProjectPath, AsciiString(kUiSku)) != 0) {
        Log("DemoGame: the UI project \"%s\" did not load", kUiProjectPath);
        return false;
    }
    for (const auto& layer : ui.GetSettings().layers) {
        m_uiLayers.push_back(layer.second);
    }
    std::sort(m_uiLayers.begin(), m_uiLayers.end());
    m_uiLayers.erase(std::unique(m_uiLayers.begin(), m_uiLayers.end()), m_uiLayers.end());
    for (const char* name : kShownScreens) {
        if (ui.LoadScreenEnabled(AsciiString(name)) == nullptr) {
            return false;
        }
    }
    return ui.LoadScreen(AsciiString(kPanelScreen)) != nullptr;
}

void DemoGame::LoadStandInPicture(int viewportHeight) {
    UIManager& ui = UIManager::Get();
    if (ui.IsInitialised()) {
        ui.Shutdown();  // nothing of it is drawn: input goes to the game alone
    }
    m_uiLayers.clear();
    if (m_startedFonts) {
        FontManager::Get().Shutdown();  // the captions start their own
        m_startedFonts = false;
    }
    m_captions = std::make_unique<DemoCaptions>();
    m_captions->Load(viewportHeight);
}

void DemoGame::Update(float stepSeconds) {
    InputManager::Get().Update(stepSeconds);
    if (m_showsScreens) {
        UIManager::Get().Update(stepSeconds);
        return;
    }
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
    if (m_showsScreens) {
        UIManager& ui = UIManager::Get();
        for (int32_t layer : m_uiLayers) {
            ui.Draw(layer);
        }
        return;
    }
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
    // The UI's components hold textures and labels: gone while GL is there.
    UIManager& ui = UIManager::Get();
    if (ui.IsInitialised()) {
        ui.Shutdown();
    }
    m_showsScreens = false;
    m_uiLayers.clear();
    if (m_startedFonts) {
        FontManager::Get().Shutdown();
        m_startedFonts = false;
    }
    m_captions.reset();
    m_vectorImage.reset();  // its texture goes while the GL is still there
    InputManager::Get().Shutdown();
    ImmediatePrimitiveRenderer::Get().Release();
    ShaderProgramCache::Get().Release();
    FrameRateController::Get().Shutdown();
}

}  // namespace Varnok
