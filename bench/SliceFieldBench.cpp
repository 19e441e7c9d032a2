// A busy play field drawn headless at 960 x 640: 30 cut fruit (60 tumbling
// halves of every kind, the bundle's models), all 256 juice splatters landed,
// four ribbons of full length and the fruit's shadows, the way the slice
// scene draws them; against the same frame (clear, camera pass, wait) with
// no world object drawn, so the ratio is what the field costs on top of an
// empty frame. Each side runs in a fresh process (bench/SideBySide.h); the
// figure is the median frame time, glFinish included.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/Random.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "game/rules/GameRecord.h"
#include "game/world/BladeColours.h"
#include "game/world/Fruit.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/FruitModels.h"
#include "game/world/GameCamera.h"
#include "game/world/Slash.h"
#include "game/world/SplatterLayer.h"
#include "game/world/WorldObjectClasses.h"
#include "game/world/WorldObjectFactory.h"
#include "game/world/WorldObjectManager.h"
#include "bench/HeadlessRenderScene.h"
#include "bench/SideBySide.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace Varnok;

constexpr int kWidth = 960;
constexpr int kHeight = 640;
constexpr int kCutFruit = 30;
constexpr int kRibbons = 4;
constexpr int kWarmUpFrames = 10;
constexpr int kTimedFrames = 61;

struct Field {
    VarnokBench::HeadlessRenderScene gl;
    Random game;
    Random waves;
    std::unique_ptr<GameCamera> camera;
    std::vector<Slash*> slashes;
};

// The bundle (models and their textures) over the data folder (shaders,
// the fruit list).
void MountBundle() {
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true),
                                  FileSystemKey("bundle"), 1);
}

void CutFruit(Field& field) {
    WorldObjectManager& manager = WorldObjectManager::Instance();
    const int kinds = FruitCatalogue::Get().Count();
    for (int i = 0; i < kCutFruit; ++i) {
        auto* fruit = static_cast<Fruit*>(manager.Acquire(static_cast<uint32_t>(WorldObjectType::Fruit)));
        if (fruit == nullptr) {
            return;
        }
        const float x = -200.0f + 400.0f * static_cast<float>(i % 6) / 5.0f;
        const float y = -110.0f + 220.0f * static_cast<float>(i / 6) / 4.0f;
        fruit->position = Vector3{x, y, 0.0f};
        fruit->velocity = Vector3{};
        fruit->Spawn(i % kinds);
        const Angle cut = static_cast<Angle>(field.game.Next() >> 16);
        const Vector3 stroke{40.0f * SinLookup(cut), 40.0f * CosLookup(cut), 0.0f};
        (void)fruit->OnHit(nullptr, 0, 0, stroke);
        fruit->Split();
        fruit->sliceProgress = 0.5f;  // whole and half shadows both drawn
        fruit->halfPosition = Vector3{x + 18.0f, y - 10.0f, 0.0f};
    }
}

void FillSplatters(Field& field) {
    SplatterLayer& layer = SplatterLayer::Get();
    const int kinds = FruitCatalogue::Get().Count();
    SplatterFrame frame;  // a zero step: splatters land without fading
    for (int attempt = 0; attempt < 4096 && layer.GetActiveCount() < SplatterLayer::kDefaultCount; ++attempt) {
        SplatterRecord* record = layer.AddRandom();
        if (record == nullptr) {
            return;
        }
        const Vector3 at{field.game.NextFloat() * 440.0f - 220.0f, field.game.NextFloat() * 280.0f - 140.0f, 0.0f};
        const Vector3 size{field.game.NextFloat() - 0.5f, field.game.NextFloat() - 0.5f, 0.0f};
        layer.Add(*record, at, size, 1, 1, attempt % kinds);
        layer.Update(0.0f, frame);  // lands it and counts the active ones
    }
}

void DrawRibbons(Field& field) {
    WorldObjectManager& manager = WorldObjectManager::Instance();
    for (int r = 0; r < kRibbons; ++r) {
        auto* slash = static_cast<Slash*>(manager.Acquire(static_cast<uint32_t>(WorldObjectType::Slash)));
        if (slash == nullptr) {
            return;
        }
        slash->Spawn();
        slash->PostUpdate(0.0f);  // the world has run: strokes record
        // A wavy stroke of more points than a ribbon holds, 8 units apart.
        for (int p = 0; p < 120; ++p) {
            const float x = -220.0f + 3.6f * static_cast<float>(p);
            const float y = -120.0f + 80.0f * static_cast<float>(r) + 30.0f * std::sin(0.12f * static_cast<float>(p));
            slash->position = Vector3{x, y, 0.0f};
            (void)slash->StartStroke();
        }
        slash->Update(0.0f);  // builds the edges and the tip without ageing
        field.slashes.push_back(slash);
    }
}

Field* OpenField() {
    static Field s_field;
    Field& field = s_field;
    if (!field.gl.Open(kWidth, kHeight, "SliceFieldBench")) {
        return nullptr;
    }
    MountBundle();
    RenderTransforms::Get().Reset();
    Renderer::Get().SetClearColour(Colour(52, 36, 28, 255));
    field.game.Reseed(3);
    field.waves.Reseed(4);
    Fruit::SetGenerators(&field.game, &field.waves);
    Slash::SetRandom(&field.game);
    Slash::ResetClassState();
    GameRecord& record = GetGameRecord();
    record.frameStep = 1.0f / 60.0f;
    record.notInPlay = true;  // nothing scores, nothing is timed
    WorldObject::CreatePool(kWorldObjectPoolBytes);
    WorldObjectManager& manager = WorldObjectManager::Instance();
    if (!manager.Init(kWorldObjectTypeCount, WorldObjectManager::kDefaultListArenaBytes)) {
        return nullptr;
    }
    manager.SetFactory(WorldObjectManager::Factory(&CreateWorldObject));
    FruitCatalogue::Get().Load(true);
    if (FruitCatalogue::Get().Count() == 0 || FruitModels::Get().Whole(0) == nullptr ||
        FruitModels::Get().ShadowTexture().Get() == nullptr) {
        fprintf(stderr, "SliceFieldBench: the fruit list or the bundle's models are missing\n");
        return nullptr;
    }
    BladeColourCycle::Reset();
    BladeColourCycle::SetParameters(BladeShape{});
    Slash::LoadResources();
    SplatterLayer& layer = SplatterLayer::Get();
    layer.SetServices(&field.game, nullptr);
    layer.LoadResources();
    layer.Create(SplatterLayer::kDefaultCount);
    field.camera = std::make_unique<GameCamera>(field.game);
    CutFruit(field);
    FillSplatters(field);
    DrawRibbons(field);
    return &field;
}

// The slice scene's drawing order; withWorld false leaves every world
// object, splatter and shadow out.
void DrawFrame(Field& field, bool withWorld) {
    Renderer& renderer = Renderer::Get();
    renderer.SetDepthWrite(true);
    glClearColor(52 / 255.0f, 36 / 255.0f, 28 / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    field.camera->SetupPass(GameCamera::kPassWorld);
    RenderTransforms::Get().Apply(false);
    if (withWorld) {
        renderer.SetDepthTest(false);
        renderer.SetDepthWrite(false);
        const float neutral[3] = {1.0f, 1.0f, 1.0f};
        SplatterLayer::Get().Render(neutral);
        RenderWorldShadows();
        renderer.SetDepthTest(true);
        renderer.SetDepthWrite(true);
        WorldObjectManager::Instance().RenderAll();
        renderer.SetDepthTest(false);
        renderer.SetDepthWrite(false);
        for (Slash* slash : field.slashes) {
            slash->strokeFlags = 1;  // keeps the stroke open: the ribbon stays whole
            slash->RenderTrail();
        }
    }
    glFinish();
}

double MeasureField(bool withWorld) {
    Field* field = OpenField();
    if (field == nullptr) {
        return -1.0;
    }
    if (withWorld) {
        // What the frame holds, so a reader can check the workload.
        int halves = 0;
        WorldObjectManager::Cursor cursor = nullptr;
        for (WorldObject* o = WorldObjectManager::Instance().First(1, cursor); o != nullptr;
             o = WorldObjectManager::Instance().Next(1, cursor)) {
            halves += static_cast<Fruit*>(o)->sliced ? 2 : 0;
        }
        int vertices = 0;
        for (Slash* slash : field->slashes) {
            vertices += slash->vertexCount;
        }
        printf("  field: %d halves, %d splatters landed, %d ribbons of %d vertices in all\n", halves,
               SplatterLayer::Get().GetActiveCount(), static_cast<int>(field->slashes.size()), vertices);
    }
    std::vector<double> times;
    for (int i = 0; i < kWarmUpFrames + kTimedFrames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        DrawFrame(*field, withWorld);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        if (i >= kWarmUpFrames) {
            times.push_back(took.count());
        }
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload =
        "slice field at 960x640 headless: 60 fruit halves (8 kinds, bundle models), 256 landed splatters, "
        "4 full ribbons, shadows, drawn in the slice scene's order with glFinish; against the same frame "
        "with no world object drawn; median of 61 frames after 10 warm-up frames (goal: field <= 4 ms)";
    comparison.unit = "ms per frame";
    comparison.lowerIsBetter = true;
    comparison.rounds = 5;
    comparison.contenders = {{"field drawn", [] { return MeasureField(true); }},
                             {"world objects not drawn", [] { return MeasureField(false); }}};
    return Bench::RunSideBySide(argc, argv, comparison);
}
