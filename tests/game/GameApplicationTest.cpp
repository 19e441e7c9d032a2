// The application object: its file systems over real archives (a
// password-protected "fruit.bin" and an "assets.zip" made by Debian's zip,
// and the build's own assets.zip), the device classes, the languages and the
// logo's fade.
#include "game/GameApplication.h"

#include "engine/core/DeviceSettings.h"
#include "engine/core/FileSystem.h"
#include "engine/core/PrefixFileSystem.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/core/UIDeviceHardware.h"
#include "game/rules/GameRecord.h"
#include "platform/HostDeviceSettings.h"
#include "tools/sign_static_data/StaticDataFile.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace Varnok {
namespace {

namespace fs = std::filesystem;

class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/varnok-app-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~ScratchDir() { fs::remove_all(path); }
    void Write(const std::string& name, const std::string& text) const {
        fs::create_directories(fs::path(path + "/" + name).parent_path());
        std::ofstream(path + "/" + name, std::ios::binary) << text;
    }
    std::string path;
};

// Debian's zip packs `what` (relative to dir) into dir/archive.
void Zip(const std::string& dir, const std::string& archive, const std::string& what,
         const char* password = nullptr) {
    std::string command = "cd '" + dir + "' && zip -q -X -r ";
    if (password != nullptr) {
        command += std::string("-P '") + password + "' ";
    }
    command += archive + " " + what;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::string Read(const char* path, uint32_t key) {
    uint8_t* data = nullptr;
    int32_t length = 0;
    bool owns = false;
    if (!FileSystemRegistry::Get().Load(path, &data, &length, key, &owns)) {
        return "<none>";
    }
    std::string text(reinterpret_cast<char*>(data), static_cast<size_t>(length));
    if (owns) {
        FreeFileData(data);
    }
    return text;
}

class GameApplicationMounts : public ::testing::Test {
protected:
    ~GameApplicationMounts() override { FileSystemRegistry::Get().Clear(); }

    GameApplication app;
    ScratchDir bundle;
    ScratchDir documents;
};

TEST_F(GameApplicationMounts, MountsTheBundleTheSaveAreaAndBothArchives) {
    bundle.Write("xml/fruitlist.xml", "<fruitlist/>");
    bundle.Write("staging/services/offline/Items.offline", "ITEMS");
    bundle.Write("staging/fruit/secret.xml", "<fruit name=\"kiwi\"/>");
    Zip(bundle.path + "/staging", "../assets.zip", "services");
    Zip(bundle.path + "/staging", "../fruit.bin", "fruit", GameApplication::kFruitArchivePassword);

    app.SetPaths(bundle.path.c_str(), documents.path.c_str(), "/nowhere");

    FileSystemRegistry& files = FileSystemRegistry::Get();
    EXPECT_EQ(files.Count(), 6);
    for (const char* key : {"base", "save", "saveBin", "fileZip", "ServiceManagerOffline", "zip"}) {
        EXPECT_NE(files.Find(FileSystemKey(key)), nullptr) << key;
    }
    EXPECT_EQ(Read("xml/fruitlist.xml", 0), "<fruitlist/>");
    EXPECT_EQ(Read("Items.offline", FileSystemKey("ServiceManagerOffline")), "ITEMS");
    EXPECT_EQ(Read("services/offline/Items.offline", FileSystemKey("fileZip")), "ITEMS");
    EXPECT_EQ(Read("secret.xml", FileSystemKey("zip")), "<fruit name=\"kiwi\"/>");
    EXPECT_EQ(files.Find(FileSystemKey("saveBin"))->GetPriority(), 3);
    EXPECT_EQ(files.Find(FileSystemKey("fileZip"))->GetPriority(), 4);

    // Written without a key, save data lands in the save container.
    auto stream = files.Open("ZivovaFelisSave.xml", kOpenWrite, 0);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->GetFileSystem(), files.Find(FileSystemKey("saveBin")));
}

TEST_F(GameApplicationMounts, WithoutArchivesTheOfflineViewIsStillMounted) {
    app.MountFileSystems(bundle.path.c_str(), documents.path.c_str());
    FileSystemRegistry& files = FileSystemRegistry::Get();
    auto* offline = dynamic_cast<PrefixFileSystem*>(files.Find(FileSystemKey("ServiceManagerOffline")));
    ASSERT_NE(offline, nullptr);
    EXPECT_EQ(offline->GetTarget(), nullptr);
    EXPECT_FALSE(files.Exists("offlineInfo.offline", FileSystemKey("ServiceManagerOffline")));
    EXPECT_EQ(files.Find(FileSystemKey("fileZip")), nullptr);
    EXPECT_EQ(files.Find(FileSystemKey("zip")), nullptr);
    EXPECT_EQ(files.Count(), 4);

    // Mounting again starts from an empty registry; null paths are empty.
    app.MountFileSystems(nullptr, nullptr);
    EXPECT_EQ(files.Count(), 4);
}

TEST_F(GameApplicationMounts, ABundlePathTooLongForTheArchivePathIsRefused) {
    // Three long folders make a path past the 512-byte archive buffer.
    const std::string deep =
        bundle.path + "/" + std::string(200, 'a') + "/" + std::string(200, 'b') + "/" + std::string(200, 'c');
    fs::create_directories(deep);
    std::ofstream(deep + "/fruit.bin") << "not read";
    TestSupport::LogCapture log;
    app.MountFileSystems(deep.c_str(), documents.path.c_str());
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(log.Take(), "GameApplication", "fruit.bin"));
    EXPECT_EQ(FileSystemRegistry::Get().Find(FileSystemKey("zip")), nullptr);
}

TEST(GameApplicationAssets, TheBuiltAssetsZipServesTheSignedOfflinePairs) {
    ScratchDir documents;
    GameApplication app;
    app.MountFileSystems(VARNOK_BUNDLE_DIR, documents.path.c_str());
    const uint32_t offline = FileSystemKey("ServiceManagerOffline");
    ASSERT_NE(FileSystemRegistry::Get().Find(FileSystemKey("fileZip")), nullptr);

    Tools::SignedStaticFile pair;
    pair.file = Read("offlineInfo.offline", offline);
    pair.signature = Read("offlineInfo.offline.sig", offline);
    ASSERT_EQ(pair.signature.size(), 128u);
    Json::Value info;
    std::string text;
    std::string why;
    ASSERT_TRUE(Tools::OpenStaticData(pair, VARNOK_PROJECT_KEY_PUB, &info, &text, &why)) << why;
    EXPECT_EQ(info["version"].asString(), "v3");
    // Every listed type's pair is in the archive, byte for byte as signed.
    ASSERT_GT(info["files"].size(), 0u);
    for (const Json::Value& name : info["files"]) {
        SCOPED_TRACE(name.asString());
        const std::string file = name.asString() + ".offline";
        std::ifstream staged(std::string(VARNOK_OFFLINE_DIR) + "/" + file, std::ios::binary);
        const std::string expected((std::istreambuf_iterator<char>(staged)), std::istreambuf_iterator<char>());
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(Read(file.c_str(), offline), expected);
        EXPECT_EQ(Read((file + ".sig").c_str(), offline).size(), 128u);
    }
    // The loose copies are not in the bundle folder itself.
    EXPECT_FALSE(fs::exists(std::string(VARNOK_BUNDLE_DIR) + "/services/offline/offlineInfo.offline"));
    FileSystemRegistry::Get().Clear();
}

TEST(GameApplicationDevice, LowEndAndSlowDevices) {
    const struct {
        const char* model;
        const char* os;
        bool slow;
        bool lowEnd;
    } cases[] = {
        {"iPod Touch 2G", "3.1", false, true},
        {"iPod Touch 2G", "4.2", false, false},
        {"iPod Touch 2G", "", false, false},
        {"iPhone 3G", "4.2", true, true},
        {"iPhone 1G", "3.0", true, true},
        {"iPod Touch 1G", "3.1", true, true},
        {"iPhone 4", "2.0", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.os);
        GameApplication app;
        VarnokGame& base = app;
        EXPECT_EQ(base.IsSlowDevice(c.model, c.os), c.slow);  // the shell's slot runs the rule
        EXPECT_EQ(app.IsLowEndDevice(), c.lowEnd);
        EXPECT_STREQ(app.GetDeviceModel(), c.model);
        EXPECT_STREQ(app.GetOsVersion(), c.os);
    }
}

TEST(GameApplicationDevice, ALinuxHostIsNeitherSlowNorLowEndAndFast) {
    // What the shell hands over on this host (no VARNOK_DEVICE_MODEL set).
    unsetenv("VARNOK_DEVICE_MODEL");
    const DeviceSettings host = ReadHostDeviceSettings();
    const UIDeviceHardware hardware(host);
    GameApplication app;
    app.SetPlatform(hardware.platformStringUTF8().c_str(), hardware.getFastHardWare());
    EXPECT_FALSE(app.IsSlowDevice(hardware.platformStringUTF8().c_str(), host.systemVersion.c_str()));
    EXPECT_FALSE(app.IsLowEndDevice());
    EXPECT_TRUE(app.IsFastDevice());
}

TEST(GameApplicationAnswers, LanguagesAndFixedAnswers) {
    const struct {
        const char* code;
        int index;
    } languages[] = {{"fr", 2},  {"es", 3},  {"ja", 12}, {"zh-Hant", 14}, {"spa", 15},
                     {"ar", 20}, {"en", 0},  {"FR", 0},  {"", 0},         {"zh-Hans", 0}};
    GameApplication app;
    for (const auto& l : languages) {
        app.SetLanguage(l.code);
        app.InitialiseStage1(nullptr, nullptr);
        EXPECT_EQ(GetGameRecord().languageIndex, l.index) << l.code;
    }
    GetGameRecord().languageIndex = 0;
    EXPECT_EQ(app.GetContentScale(), 2.0f);
    EXPECT_STREQ(app.GetDefaultVersion(), "1.0.4");
    EXPECT_STREQ(app.GetDisplayName(), "Tamberlo");
    EXPECT_EQ(std::string(app.GetSocialConsumerKey()).size(), 21u);
    EXPECT_EQ(std::string(app.GetSocialConsumerSecret()).size(), 42u);
    EXPECT_EQ(app.GetOrientation(), LandscapeRight);
    EXPECT_EQ(GameApplication::Get(), &app);
    // Only the two landscape orientations are accepted.
    EXPECT_FALSE(PlatformEventHub::Get().QueryRotation(1));
    EXPECT_TRUE(PlatformEventHub::Get().QueryRotation(3));
}

TEST(GameApplicationAnswers, TheLogoDarkensGrowsAndFades) {
    const struct {
        float alpha;
        int grey, opacity;
        float scale;
    } cases[] = {
        {1.5f, 255, 255, 1.01f}, {1.0f, 255, 255, 1.01f}, {0.75f, 127, 255, 1.51f},
        {0.5f, 0, 255, 1.01f},   {0.25f, 0, 127, 1.01f},  {0.0f, 0, 0, 1.01f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.alpha);
        const LogoLook look = GameApplication::LogoLookFor(c.alpha);
        EXPECT_EQ(look.grey, c.grey);
        EXPECT_EQ(look.alpha, c.opacity);
        EXPECT_FLOAT_EQ(look.scale, c.scale);
    }
    EXPECT_NEAR(GameApplication::LogoLookFor(0.5001f).scale, 2.01f, 1e-3);  // largest just before black
}

TEST(GameApplicationAnswers, TheLogoFadesOverThreeQuartersOfASecond) {
    GameApplication app;
    EXPECT_FLOAT_EQ(app.GetLogoAlpha(), 1.5f);
    app.Update(0.3f);
    EXPECT_FLOAT_EQ(app.GetLogoAlpha(), 0.9f);
    app.Update(0.3f);
    app.Update(0.3f);
    EXPECT_EQ(app.GetLogoAlpha(), 0.0f);
    EXPECT_FALSE(app.GetLogoTexture());
    app.Shutdown();
}

}  // namespace
}  // namespace Varnok
