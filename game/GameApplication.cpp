// GameApplication: mounts, device classes, languages and the logo's fade.
#include "game/GameApplication.h"

#include "engine/audio/SoundManager.h"
#include "engine/core/Clock.h"
#include "engine/core/DevicePropertyMap.h"
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/InputManager.h"
#include "engine/core/Log.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/core/PrefixFileSystem.h"
#include "engine/core/SaveContainerFileSystem.h"
#include "engine/core/ZipFileSystem.h"
#include "engine/core/MathUtil.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/TextureManager.h"
#include "game/GameFlow.h"
#include "game/GameStartup.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStateDispatcher.h"
#include "game/rules/MusicController.h"
#include "game/rules/SessionControl.h"
#include "game/rules/SoundPlayer.h"
#include "game/screens/GameUi.h"
#include "game/screens/ScreenList.h"
#include "game/world/GameCamera.h"

#include <algorithm>

#include <cstdio>
#include <cstring>
#include <string>

namespace Varnok {
namespace {

constexpr int32_t kBasePriority = 0;
constexpr int32_t kSavePriority = 2;
constexpr int32_t kSaveBinPriority = 3;
constexpr int32_t kFileZipPriority = 4;
constexpr int32_t kOfflinePriority = 0;
constexpr int32_t kFruitZipPriority = 0;
constexpr const char* kOfflinePrefix = "services/offline";
constexpr const char* kLogoPath = "textures/title_screen/VM_logo.tex";

static_assert(std::char_traits<char>::length(GameApplication::kFruitArchivePassword) == 72,
              "the archive password has 72 characters");

// Only the two landscape orientations are allowed. A plain function: the
// hub keeps its listeners for the process.
void RefuseNonLandscape(int orientation, bool* answer) {
    if (orientation != 2 && orientation != 3 && answer != nullptr) {
        *answer = false;
    }
}

void CopyText(char* target, size_t size, const char* text) {
    std::snprintf(target, size, "%s", text);
}

}  // namespace

std::unique_ptr<VarnokGame> GameApplication::Create() {
    // Before the UI manager's built-ins: the game's timer takes the name.
    RegisterGameTimerComponent();
    return std::make_unique<GameApplication>();
}

GameApplication* GameApplication::Get() {
    return dynamic_cast<GameApplication*>(VarnokGame::Get());
}

GameApplication::GameApplication() {
    SetOrientationCode(m_orientationCode);
    PlatformEventHub::Get().rotationQuery.Add(Delegate2<void, int, bool*>(&RefuseNonLandscape));
}

GameApplication::~GameApplication() {
    PlatformEventHub::Get().rotationQuery.Remove(Delegate2<void, int, bool*>(&RefuseNonLandscape));
}

void GameApplication::MountFileSystems(const char* bundlePath, const char* documentsPath) {
    const char* bundle = bundlePath != nullptr ? bundlePath : "";
    const char* documents = documentsPath != nullptr ? documentsPath : "";
    FileSystemRegistry& files = FileSystemRegistry::Get();
    files.Clear();
    FileSystem* base = files.Add(std::make_unique<DirectoryFileSystem>(bundle, true),
                                 FileSystemKey("base"), kBasePriority);
    files.Add(std::make_unique<DirectoryFileSystem>(documents, false), FileSystemKey("save"),
              kSavePriority);
    auto saveBin = std::make_unique<SaveContainerFileSystem>();
    saveBin->LoadContainer(documents, "save2.bin", SaveContainerFileSystem::kGameImageSize);
    files.Add(std::move(saveBin), FileSystemKey("saveBin"), kSaveBinPriority);

    auto offline = std::make_unique<PrefixFileSystem>();
    if (files.Exists("assets.zip", 0)) {
        char path[kArchivePathBytes];
        const int written = std::snprintf(path, sizeof(path), "%s/assets.zip", bundle);
        if (written < 0 || written >= static_cast<int>(sizeof(path))) {
            Log("GameApplication: bundle path of %zu bytes too long for assets.zip, not mounted",
                std::strlen(bundle));
        } else {
            auto assets = std::make_unique<ZipFileSystem>();
            if (!assets->Open(path, nullptr, nullptr)) {
                Log("GameApplication: %s did not open, mounted empty", path);
            }
            FileSystem* fileZip = files.Add(std::move(assets), FileSystemKey("fileZip"), kFileZipPriority);
            offline->SetTarget(fileZip, kOfflinePrefix);
        }
    }
    files.Add(std::move(offline), FileSystemKey("ServiceManagerOffline"), kOfflinePriority);

    if (base != nullptr && base->Exists("fruit.bin")) {
        char path[kArchivePathBytes];
        const int written = std::snprintf(path, sizeof(path), "%s/fruit.bin", bundle);
        if (written < 0 || written >= static_cast<int>(sizeof(path))) {
            Log("GameApplication: bundle path of %zu bytes too long for fruit.bin, not mounted",
                std::strlen(bundle));
            return;
        }
        auto fruit = std::make_unique<ZipFileSystem>();
        if (!fruit->Open(path, "fruit/", kFruitArchivePassword)) {
            Log("GameApplication: %s did not open, mounted empty", path);
        }
        files.Add(std::move(fruit), FileSystemKey("zip"), kFruitZipPriority);
    }
}

bool GameApplication::SetDeviceModel(const char* model, const char* osVersion) {
    bool slow = false;
    if (model != nullptr) {
        for (const char* oldest : {"iPhone 1G", "iPhone 3G", "iPod Touch 1G"}) {
            slow = slow || std::strcmp(model, oldest) == 0;
        }
        const bool oldSystem = osVersion != nullptr && osVersion[0] != '\0' && osVersion[0] <= '3';
        m_lowEndDevice = slow || (std::strcmp(model, "iPod Touch 2G") == 0 && oldSystem);
        CopyText(m_deviceModel, sizeof(m_deviceModel), model);
    }
    if (osVersion != nullptr) {
        CopyText(m_osVersion, sizeof(m_osVersion), osVersion);
    }
    return slow;
}

bool GameApplication::IsSlowDevice(const char* modelName, const char* systemVersion) {
    return SetDeviceModel(modelName, systemVersion);
}

const char* GameApplication::GetSocialConsumerKey() const {
    return "Tmb7Kq2Vx9Lr4Np8Zs3Wd";
}

const char* GameApplication::GetSocialConsumerSecret() const {
    return "Hj5Rt8Yu2Io4Pa6Sd9Fg1Hk3Jl7Zx0Cv5Bn2Mq8Wes";
}

void GameApplication::SetPaths(const char* bundleDir, const char* documentsDir,
                               const char* /*cachesDir*/) {
    MountFileSystems(bundleDir, documentsDir);
}

void GameApplication::Update(float stepSeconds) {
    AdvanceFixedClock(stepSeconds);  // a seeded run's calendar moves with the frames
    if (m_logoAlpha > 0.0f) {
        m_logoAlpha -= kLogoFadePerSecond * stepSeconds;
        if (!(m_logoAlpha > 0.0f)) {
            m_logoAlpha = 0.0f;
            m_logoTexture = SmartPtr<Texture>();
        }
    }
    GameStateDispatcher::Get().Tick(stepSeconds);
}

void GameApplication::Render(float /*elapsedSeconds*/) {
    GameStateDispatcher::Get().Render();
    RenderLogoOverlay();
}

LogoLook GameApplication::LogoLookFor(float logoAlpha) {
    LogoLook look;
    if (logoAlpha > 0.5f) {
        const float t = 2.0f * (logoAlpha - 0.5f);
        look.grey = static_cast<uint8_t>(std::min(t * 255.0f, 255.0f));
        look.alpha = 255;
        look.scale = 1.01f + (1.0f - std::min(1.0f, t));
    } else {
        look.alpha = static_cast<uint8_t>(std::max(0.0f, 2.0f * logoAlpha * 255.0f));
        look.scale = 1.01f;
    }
    return look;
}

void GameApplication::RenderLogoOverlay() {
    if (!(m_logoAlpha > 0.0f) || !m_logoTexture) {
        return;
    }
    const float width = LogicalScreenWidth();
    const float height = LogicalScreenHeight();
    RenderTransforms& transforms = RenderTransforms::Get();
    GameCamera* camera = GetGameRecord().camera;
    if (camera != nullptr) {
        camera->SetupPass(GameCamera::kPassScreen);
    } else {  // before the game's set-up made the camera: the same plain screen
        transforms.View().Set(Matrix4::Identity());
        transforms.SetOrthographic(height / 2, -height / 2, -width / 2, width / 2, -1.0f, 1.0f);
    }
    // Over everything, whichever way the frame's passes left the tests.
    Renderer& renderer = Renderer::Get();
    renderer.SetDepthTest(false);
    renderer.SetDepthWrite(false);
    renderer.SetCullMode(kCullOff);
    const LogoLook look = LogoLookFor(m_logoAlpha);
    // A quarter turn: the logo is stored for the portrait screen.
    constexpr Angle kQuarterTurnUnits = 16380;
    Matrix4 world = Matrix4::Identity();
    Matrix4::RotateZ(world, SinLookup(kQuarterTurnUnits), CosLookup(kQuarterTurnUnits));
    Matrix4::Scale(world, look.scale * width, look.scale * height, 0.0f);
    transforms.World().Set(world);
    transforms.Apply(false);
    m_logoTexture->Bind();
    DrawColouredQuad(Colour(look.grey, look.grey, look.grey, look.alpha));
    m_logoTexture->Unbind();
}

uint8_t GameApplication::LanguageIndexOf(const char* languageCode) {
    static const struct {
        const char* code;
        uint8_t index;
    } kLanguages[] = {{"fr", 2},  {"es", 3},  {"de", 4},  {"it", 5},      {"ko", 11},
                      {"ja", 12}, {"zh", 13}, {"zh-Hant", 14}, {"spa", 15}, {"pl", 16},
                      {"pt", 17}, {"br", 18}, {"ru", 19}, {"ar", 20}};
    if (languageCode == nullptr) {
        return 0;
    }
    for (const auto& language : kLanguages) {
        if (std::strcmp(languageCode, language.code) == 0) {
            return language.index;
        }
    }
    return 0;
}

void GameApplication::InitialiseStage1(void* /*reserved1*/, void* /*reserved2*/) {
    GetGameRecord().languageIndex = LanguageIndexOf(GetLanguageCode());
    if (DevicePropertyMap::Instance() == nullptr) {
        DevicePropertyMap::Rebuild();
    }
}

void GameApplication::Initialise(void* /*reserved1*/, void* /*reserved2*/) {
    m_startupTrace.clear();
    GameInit(&m_startupTrace);
    GameStateDispatcher::Get().SetHandler(&GameFlow::Get());
    m_logoTexture = GetLoadingTexture();
    if (!m_logoTexture) {
        m_logoTexture = TextureManager::Get().GetTexture(kLogoPath);
    }
    SetLoadingTexture(SmartPtr<Texture>());
    m_initialised = true;
}

void GameApplication::Shutdown() {
    GameStateDispatcher::Get().ExitCurrentState();
    if (m_initialised) {
        m_initialised = false;
        m_logoTexture = SmartPtr<Texture>();
        GameShutdown();
    }
}

void GameApplication::Suspend() {
    InputManager::Get().ResetAllDevices();
    // A finger on a scrolling list when the game goes away never comes up.
    if (ScreenList* screens = GetGameRecord().screenList) {
        screens->NotifySuspend();
    }
    SoundPlayer* player = GetGameRecord().soundPlayer;
    if (player != nullptr) {
        player->PauseAll();
    }
    SoundManager::Get().SuspendOutput();
    PauseGame(0);
    SaveOnSuspend();
}

void GameApplication::Resume() {
    if (GetGameRecord().soundPlayer != nullptr) {
        SoundManager::Get().ResumeOutput();
        GetGameRecord().soundPlayer->Resume();
    }
    MusicController::Instance().Reset();
}

}  // namespace Varnok
