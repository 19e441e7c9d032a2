// Saving a game in progress: the game's whole save (snapshot copy, document,
// the save container written through a temporary file, fsync and rename)
// against writing the same XML bytes to a plain file with fsync and rename,
// which is what a program without a container would do.
#include "bench/SideBySide.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Random.h"
#include "engine/core/SaveContainerFileSystem.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/SaveFile.h"
#include "game/rules/SessionControl.h"
#include "game/world/Bomb.h"
#include "game/world/Fruit.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/WaveManager.h"
#include "game/world/WorldObjectFactory.h"
#include "game/world/WorldObjectManager.h"

#include <tinyxml.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace Varnok;

constexpr int kSaves = 40;
constexpr int kFruit = 24;
constexpr int kBombs = 4;
constexpr int kStatistics = 120;

std::filesystem::path Folder(const char* side) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("varnok-savebench-" + std::string(side) + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}

// A classic game a minute in: a wave under way, fruit and bombs in the air,
// a store of a regular player's statistics and unlocks.
GameStats& SetUpGame(const std::filesystem::path& folder) {
    static GameStats stats;
    FileSystemRegistry& files = FileSystemRegistry::Get();
    auto container = std::make_unique<SaveContainerFileSystem>();
    container->LoadContainer(folder.c_str(), "save2.bin", SaveContainerFileSystem::kGameImageSize);
    files.Add(std::move(container), FileSystemKey("saveBin"), 3);

    WorldObject::CreatePool(WorldObject::kDefaultPoolBytes);
    WorldObjectManager& world = WorldObjectManager::Instance();
    world.Init(kWorldObjectTypeCount, WorldObjectManager::kDefaultListArenaBytes);
    world.SetFactory(WorldObjectManager::Factory(&CreateWorldObject));
    const std::string fruit =
        "<fruitInfoFile><bomb size='50' collision='20'/><FruitInfo name='apple'/><FruitInfo name='lime'/>"
        "<FruitInfo name='kiwi'/></fruitInfoFile>";
    FruitCatalogue::Get().LoadFromText(fruit.data(), fruit.size());
    GameRecord& game = GetGameRecord();
    game.stats = &stats;
    game.savedGameState = true;
    game.soundOn = game.musicOn = game.voiceOn = true;
    WaveManager& waves = WaveManager::Instance();
    Fruit::SetGenerators(&GlobalRandom(), &waves.GetRandom());
    const std::string list =
        "<waveManagerFile><WaveInfo><Spawn type='apple' min='6' max='7' delay='0.5'/></WaveInfo>"
        "<WaveInfo waveNo='1'><Spawn type='lime' min='3' max='4'/></WaveInfo></waveManagerFile>";
    waves.LoadWaveListText(list.data(), list.size(), 0);
    waves.Reset(1);

    for (int i = 0; i < kFruit; ++i) {
        auto* f = static_cast<Fruit*>(world.Acquire(static_cast<uint32_t>(WorldObjectType::Fruit)));
        f->position = Vector3{float(i * 10 - 120), float(i * 7), 0.0f};
        f->velocity = Vector3{1.5f, 9.0f, 0.0f};
        f->id = static_cast<uint32_t>(i);
        f->Spawn(i % 3, 1.0f);
    }
    for (int i = 0; i < kBombs; ++i) {
        auto* b = static_cast<Bomb*>(world.Acquire(static_cast<uint32_t>(WorldObjectType::Bomb)));
        b->position = Vector3{float(i * 30), 40.0f, 0.0f};
        b->Spawn(1.0f);
    }
    for (int i = 0; i < kStatistics; ++i) {
        stats.Add(("statistic_" + std::to_string(i)).c_str(), i + 1, i % 2, 0);
    }
    stats.waveGameCounts[0][3] = 2;
    return stats;
}

double MeasureOurs() {
    const auto folder = Folder("ours");
    SetUpGame(folder);
    std::vector<double> times;
    for (int i = 0; i < kSaves; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!SaveGame(1)) {
            return -1.0;
        }
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::filesystem::remove_all(folder);
    return Bench::internal::Median(times);
}

double MeasurePlainFile() {
    const auto folder = Folder("plain");
    GameStats& stats = SetUpGame(folder);
    // The very bytes the game's save writes, made once outside the timing.
    GameStats copy(stats);
    copy.roundInPlay = 1;
    (void)WaveManager::Instance().SaveState(copy);
    TiXmlDocument document;
    SaveFile::BuildDocument(copy, document);
    TiXmlPrinter printer;
    document.Accept(&printer);
    const std::string bytes = printer.CStr();
    std::printf("save of %zu bytes\n", bytes.size());
    const std::string path = (folder / "save.xml").string();
    const std::string temp = path + ".tmp";
    std::vector<double> times;
    for (int i = 0; i < kSaves; ++i) {
        const auto start = std::chrono::steady_clock::now();
        FILE* file = std::fopen(temp.c_str(), "wb");
        if (file == nullptr || std::fwrite(bytes.data(), bytes.size(), 1, file) != 1 || std::fflush(file) != 0 ||
            fsync(fileno(file)) != 0 || std::fclose(file) != 0 || std::rename(temp.c_str(), path.c_str()) != 0) {
            return -1.0;
        }
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::filesystem::remove_all(folder);
    return Bench::internal::Median(times);
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload = "one save of a classic game in progress (24 fruit, 4 bombs, a wave, 120 statistics), "
                          "median of 40 saves";
    comparison.unit = "ms per save";
    comparison.rounds = 5;
    comparison.contenders = {{"SaveGame into the container", &MeasureOurs},
                             {"same XML, plain file + fsync + rename", &MeasurePlainFile}};
    return Bench::RunSideBySide(argc, argv, comparison);
}
