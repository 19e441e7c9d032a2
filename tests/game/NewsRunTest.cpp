// The protocol server's news reach the game: the player's first start signs
// in as a guest, the next start's news request brings the server's item, and
// the title menu shows its news corner with the unread badge.
#include "platform/PngReader.h"
#include "tests/engine/services/ServiceHarness.h"
#include "tests/support/RunProgram.h"
#include "tools/kiplink_server/KiplinkServer.h"
#include "tools/kiplink_server/NewsService.h"
#include "tools/kiplink_server/UserService.h"

#include <gtest/gtest.h>

#include <json/value.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace Varnok {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRemoteName = "remoteconfig.varnok.test";
constexpr int kWidth = 480;
constexpr int kHeight = 320;
constexpr int kFrames = 600;

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

int RunGame(const fs::path& dir, bool capture) {
    std::vector<std::string> args = {VARNOK_GAME_BINARY, "--headless", "--frames", std::to_string(kFrames),
                                     "--size", std::to_string(kWidth) + "x" + std::to_string(kHeight),
                                     "--documents", (dir / "documents").string(),
                                     "--caches", (dir / "caches").string()};
    if (capture) {
        args.insert(args.end(), {"--capture", (dir / "frames").string(), "--capture-every", "100"});
    }
    return VarnokTest::RunProgram(std::move(args));
}

// Pixels of the badge's red in the menu's news corner (top right).
int BadgePixels(const fs::path& png) {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    if (!ReadPng(png.c_str(), width, height, rgba)) {
        return -1;
    }
    int red = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = width * 3 / 4; x < width; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            red += p[0] > 180 && p[1] < 90 && p[2] < 90 ? 1 : 0;
        }
    }
    return red;
}

TEST(NewsRun, TheServersNewsShowInTheTitleMenuOnTheNextStart) {
    Tools::KiplinkServerConfig config;
    config.staticRoot = VARNOK_PUBLISHED_STATIC_DIR;
    Tools::KiplinkServer server(config);
    ASSERT_TRUE(server.Start());
    Tools::UserService users;
    users.Install(server);
    Tools::NewsService news(users);
    news.Install(server);
    Json::Value item;
    item["id"] = "n1";
    item["title"] = "Fresh fruit";
    item["type"] = "TEXT";
    item["published"] = 100;
    item["expires"] = 4000000000u;
    item["content"]["text"] = "Slice on [url=https://varnok.example/news]at our page[/url]";
    Json::Value items(Json::arrayValue);
    items.append(item);
    news.SetItems(items);

    const fs::path dir = VarnokTest::MakeTempDir("varnok-news");
    ASSERT_FALSE(dir.empty());
    fs::create_directories(dir / "documents");
    fs::create_directories(dir / "shared");
    setenv("VARNOK_SHARED_DIR", (dir / "shared").c_str(), 1);
    setenv("VARNOK_DNS_RESOLVER", "127.0.0.1:9", 1);  // nothing answers: the verified cache names the server
    const auto publication = TestSupport::Publish(
        "{\"buildId\":\"build-7\",\"kiplink\":{\"universe\":\"" + server.BaseUrl() + "\"}}", kRemoteName);
    WriteFile(dir / "documents" / (std::string(kRemoteName) + ".dat"), publication.data);
    WriteFile(dir / "documents" / (std::string(kRemoteName) + ".sig"), publication.signature);

    ASSERT_EQ(RunGame(dir, false), 0);
    ASSERT_EQ(RunGame(dir, true), 0);
    server.Stop();

    int syncs = 0;
    for (const auto& call : server.ReceivedCalls()) {
        syncs += call.service == "news" && call.method == "sync" ? 1 : 0;
    }
    EXPECT_GE(syncs, 1);
    char name[32];
    snprintf(name, sizeof(name), "frame_%05d.png", kFrames - 100);
    EXPECT_GT(BadgePixels(dir / "frames" / name), 100) << name;
    if (!HasFailure()) {
        fs::remove_all(dir);  // kept for a look when the check fails
    }
}

}  // namespace
}  // namespace Varnok
