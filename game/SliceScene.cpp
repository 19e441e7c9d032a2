// Set-up, update and drawing of the slicing scene.
#include "game/SliceScene.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/HashName.h"
#include "engine/core/FileSystem.h"
#include "engine/core/InputManager.h"
#include "engine/core/Log.h"
#include "engine/iOS/FrameRateController.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgramCache.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/InputActions.h"
#include "game/rules/Items.h"
#include "game/rules/RunOptions.h"
#include "game/world/BladeColours.h"
#include "game/world/Fruit.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/FruitImpacts.h"
#include "game/world/GameCamera.h"
#include "game/world/Slash.h"
#include "game/world/SplatterLayer.h"
#include "game/world/WorldObjectClasses.h"
#include "game/world/WorldObjectFactory.h"
#include "game/world/WorldObjectManager.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Varnok {
namespace {

constexpr Colour kBackground{52, 36, 28, 255};  // dark wood
constexpr int32_t kSaveMountPriority = 2;
constexpr float kGravity = 12.0f;  // units per frame per second, as Fruit::Spawn sets it

}  // namespace

SliceScene::SliceScene() = default;
SliceScene::~SliceScene() = default;

std::unique_ptr<VarnokGame> SliceScene::Create() {
    return std::make_unique<SliceScene>();
}

void SliceScene::SetPaths(const char* bundleDir, const char* documentsDir, const char* /*cachesDir*/) {
    FileSystemRegistry& files = FileSystemRegistry::Get();
    files.Clear();
    files.Add(std::make_unique<DirectoryFileSystem>(bundleDir, true), FileSystemKey("base"), 0);
    files.Add(std::make_unique<DirectoryFileSystem>(documentsDir, false), FileSystemKey("save"),
              kSaveMountPriority);
}

void SliceScene::InitialiseStage1(void*, void*) {}

void SliceScene::Initialise(void*, void*) {
    FrameRateController::Get().Init();
    RenderTransforms::Get().Reset();
    Renderer& renderer = Renderer::Get();
    renderer.Init(this, "Varnok", 0);
    renderer.SetClearColour(kBackground);
    InputManager::Get().CreateDevices();

    // Two generators from the run's seed: the same seed, the same run.
    const RunOptions& run = GetRunOptions();
    if (run.seeded) {
        m_game.Reseed(run.seed);
        m_waves.Reseed(static_cast<uint64_t>(run.seed) * 2654435761u + 1u);
    }
    Fruit::SetGenerators(&m_game, &m_waves);
    Fruit::ResetDepthCounter();
    Slash::SetRandom(&m_game);
    Slash::ResetClassState();

    GameRecord& record = GetGameRecord();
    record.notInPlay = false;  // a game is in play: cuts score and throws are timed
    record.paused = false;
    record.score = 0;
    record.bombExplosionTime = 0.0f;
    record.roundStartPending = false;
    record.currentMode = nullptr;

    WorldObject::CreatePool(kWorldObjectPoolBytes);
    WorldObjectManager& manager = WorldObjectManager::Instance();
    (void)manager.Init(kWorldObjectTypeCount, WorldObjectManager::kDefaultListArenaBytes);
    manager.SetFactory(WorldObjectManager::Factory(&CreateWorldObject));

    FruitCatalogue::Get().Load(true);
    BladeColourCycle::Reset();
    BladeColourCycle::SetParameters(BladeShape{});
    Slash::LoadResources();
    // VARNOK_SLICE_BLADE names a blade of the item catalogue to cut with.
    if (const char* blade = std::getenv("VARNOK_SLICE_BLADE")) {
        ItemManager& items = ItemManager::Instance();
        items.Load();
        const uint32_t hash = HashName(blade, static_cast<int>(std::strlen(blade)));
        if (!items.UnlockItem(hash) || !items.EquipByHash(hash)) {
            Log("SliceScene: no blade \"%s\" in the item catalogue", blade);
        }
    }
    SplatterLayer& splatters = SplatterLayer::Get();
    splatters.SetServices(&m_game, nullptr);
    splatters.LoadResources();
    splatters.Create(SplatterLayer::kDefaultCount);
    m_camera = std::make_unique<GameCamera>(m_game);

    (void)BindInputActions(SlashSource(this, &SliceScene::SlashForSlot));  // logs when the bindings are missing
    ThrowFan();
    m_initialised = true;
}

TouchFollower* SliceScene::SlashForSlot(int /*slot*/) {
    auto* slash = static_cast<Slash*>(WorldObjectManager::Instance().Acquire(static_cast<uint32_t>(WorldObjectType::Slash)));
    if (slash != nullptr) {
        slash->Spawn();
    }
    return slash;
}

void SliceScene::ThrowFan() {
    const int kinds = FruitCatalogue::Get().Count();
    // Rising from kFanStartY to kFanApexY under the gravity: height =
    // 60 v^2 / (2 g) with v in units per frame.
    const float rise = kFanApexY - kFanStartY;
    const float up = std::sqrt(2.0f * kGravity * rise / 60.0f);
    const float flightSeconds = up / kGravity;
    for (int k = 0; k < kinds; ++k) {
        auto* fruit = static_cast<Fruit*>(WorldObjectManager::Instance().Acquire(static_cast<uint32_t>(WorldObjectType::Fruit)));
        if (fruit == nullptr) {
            return;
        }
        const float along = kinds > 1 ? static_cast<float>(k) / static_cast<float>(kinds - 1) : 0.5f;
        const float apexX = -kFanHalfWidth + 2.0f * kFanHalfWidth * along;
        // From closer to the middle, fanning out.
        const float startX = 0.7f * apexX;
        fruit->position = Vector3{startX, kFanStartY, 0.0f};
        fruit->velocity = Vector3{(apexX - startX) / (60.0f * flightSeconds), up, 0.0f};
        fruit->Spawn(k);
        fruit->StartFlightTimer(kFanWaitSeconds);
    }
}

void SliceScene::Update(float stepSeconds) {
    GameRecord& record = GetGameRecord();
    record.frameStep = stepSeconds;
    record.gameTime += stepSeconds;
    Fruit::BeginFrame();
    AgeTouchStates();
    InputManager::Get().Update(stepSeconds);
    UpdateBladeAfterglows(stepSeconds);
    WorldObjectManager& manager = WorldObjectManager::Instance();
    SplatterFrame frame;
    frame.frameStep = stepSeconds;
    frame.liveWorldObjects = manager.Count();
    SplatterLayer::Get().Update(stepSeconds, frame);
    manager.UpdateAll(stepSeconds);
    m_camera->Update(stepSeconds);
}

void SliceScene::Render(float elapsedSeconds) {
    if (!m_initialised) {
        return;
    }
    Renderer& renderer = Renderer::Get();
    m_camera->SetupPass(GameCamera::kPassWorld);
    // The background layers: juice, then shadows, without depth.
    renderer.SetDepthTest(false);
    renderer.SetDepthWrite(false);
    const float neutral[3] = {1.0f, 1.0f, 1.0f};
    SplatterLayer::Get().Render(neutral);
    RenderWorldShadows();
    // The fruit and their halves hide each other by depth.
    renderer.SetDepthTest(true);
    renderer.SetDepthWrite(true);
    WorldObjectManager::Instance().RenderAll();
    FruitImpacts::Get().Render(elapsedSeconds, 0);
    renderer.SetDepthTest(false);
    renderer.SetDepthWrite(false);
    RenderBladeAfterglows();
    // Every finger's ribbon over the field.
    WorldObjectManager& manager = WorldObjectManager::Instance();
    WorldObjectManager::Cursor cursor = nullptr;
    const uint32_t slashType = static_cast<uint32_t>(WorldObjectType::Slash);
    for (WorldObject* object = manager.First(slashType, cursor); object != nullptr;
         object = manager.Next(slashType, cursor)) {
        static_cast<Slash*>(object)->RenderTrail();
    }
    RenderTransforms::Get().World().Set(Matrix4::Identity());
}

void SliceScene::Shutdown() {
    if (!m_initialised) {
        return;
    }
    m_initialised = false;
    UnbindInputActions();
    WorldObjectManager::Instance().Shutdown();
    WorldObject::DestroyPool();
    SplatterLayer::Get().Release();
    Slash::UnloadResources();
    ItemManager::Instance().DestroyItems();
    BladeColourCycle::Reset();  // the blade texture goes with the GL
    FruitImpacts::Get().Clear();
    FruitCatalogue::Get().Unload();
    Fruit::SetGenerators(nullptr, nullptr);
    Slash::SetRandom(nullptr);
    m_camera.reset();
    InputManager::Get().Shutdown();
    ImmediatePrimitiveRenderer::Get().Release();
    ShaderProgramCache::Get().Release();
    FrameRateController::Get().Shutdown();
}

}  // namespace Varnok
