// The engine's platform, file and web request for the online client, over
// the mounted file systems and real HTTP exchanges with the protocol server.
#include "engine/core/DevicePropertyMap.h"
#include "tests/providers/OnlineFixture.h"

#include <tinyxml.h>

#include <fstream>
#include <sstream>

namespace OnlineTest {
namespace {

using Varnok::Tools::Fault;

class PlatformTest : public OnlineFixture {
protected:
    void SetUp() override {
        OnlineFixture::SetUp();
        char pattern[] = "/tmp/kiplink-static-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_staticFolder = pattern;
        std::ofstream(m_staticFolder + "/ten.bin") << "0123456789";
        m_server->Stop();
        Varnok::Tools::KiplinkServerConfig config;
        config.staticRoot = m_staticFolder;
        m_server = std::make_unique<Varnok::Tools::KiplinkServer>(config);
        ASSERT_TRUE(m_server->Start());
    }
    void TearDown() override {
        OnlineFixture::TearDown();
        std::system(("rm -rf " + m_staticFolder).c_str());
    }

    Kiplink::IWebRequest* Get(const std::string& path) {
        return m_platform->CreateWebRequest((m_server->StaticUrl() + path).c_str(), Kiplink::kWebRequestGet);
    }

    std::string m_staticFolder;
};

// Counts its own destruction.
class WatchedRequest : public Varnok::Kiplink_WebRequest {
public:
    WatchedRequest(Varnok::KiplinkPlatform* platform, const std::string& url, bool* destroyed)
        : Kiplink_WebRequest(platform, url.c_str(), Kiplink::kWebRequestGet), m_destroyed(destroyed) {}
    ~WatchedRequest() override { *m_destroyed = true; }

private:
    bool* m_destroyed;
};

TEST_F(PlatformTest, WebRequestGoesFromNotSentToPendingToDoneOrFailed) {
    Kiplink::IWebRequest* found = Get("ten.bin");
    EXPECT_EQ(found->GetStatus(), Kiplink::kWebRequestNotSent);
    EXPECT_EQ(found->GetAvailable(), 0);
    EXPECT_STREQ(found->GetContentType(), "");
    found->Send("", 0);
    EXPECT_EQ(found->GetStatus(), Kiplink::kWebRequestPending);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(found->GetStatus(), Kiplink::kWebRequestPending);  // nothing arrives without the update
    ASSERT_TRUE(PumpUntil([&] { return found->GetStatus() != Kiplink::kWebRequestPending; }));
    EXPECT_EQ(found->GetStatus(), Kiplink::kWebRequestDone);
    char buffer[4];
    EXPECT_EQ(found->Read(buffer, 4), 4);
    EXPECT_EQ(found->Read(buffer, 4), 4);
    EXPECT_EQ(found->Read(buffer, 4), 2);
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_EQ(found->Read(buffer, 4), 0);
    found->Release();

    Kiplink::IWebRequest* missing = Get("missing.bin");
    missing->Send("", 0);
    ASSERT_TRUE(PumpUntil([&] { return missing->GetStatus() != Kiplink::kWebRequestPending; }));
    EXPECT_EQ(missing->GetStatus(), Kiplink::kWebRequestFailed);
    missing->Release();
}

TEST_F(PlatformTest, RequestReleasedWhilePendingLivesUntilItsReply) {
    bool destroyed = false;
    auto* request = new WatchedRequest(m_platform.Get(), m_server->StaticUrl() + "ten.bin", &destroyed);
    request->Reference();
    request->Send("", 0);
    request->Release();
    EXPECT_FALSE(destroyed);
    ASSERT_TRUE(PumpUntil([&] { return destroyed; }));
}

TEST_F(PlatformTest, DestroyingThePlatformFailsItsPendingRequests) {
    m_server->InjectFault(Fault::Delay(3000));
    bool destroyed = false;
    auto* request = new WatchedRequest(m_platform.Get(), m_server->StaticUrl() + "ten.bin", &destroyed);
    request->Reference();
    request->Send("", 0);
    m_platform.Reset();
    EXPECT_EQ(request->GetStatus(), Kiplink::kWebRequestFailed);
    EXPECT_EQ(request->GetRefCount(), 1);  // its self-reference is gone
    request->Release();
    EXPECT_TRUE(destroyed);
}

TEST_F(PlatformTest, HeaderLineHasNoSpaceAndNullsAreIgnored) {
    auto* request = static_cast<Varnok::Kiplink_WebRequest*>(Get("ten.bin"));
    request->AddHeader("Content-Type", "application/x-kiplink");
    request->AddHeader(nullptr, "x");
    request->AddHeader("X-Empty", nullptr);
    ASSERT_NE(request->GetEngineRequest(), nullptr);
    EXPECT_EQ(request->GetEngineRequest()->GetHeaders(), std::vector<std::string>{"Content-Type:application/x-kiplink"});
    EXPECT_EQ(request->GetEngineRequest()->GetTimeout(), 10);
    request->Close();
    request->Send("x", 1);
    EXPECT_EQ(request->GetStatus(), Kiplink::kWebRequestNotSent);
    request->Release();
}

TEST_F(PlatformTest, DeviceInfoKindsMapToPropertyKeys) {
    Varnok::DevicePropertyMap::Rebuild();
    const char* id = Varnok::DevicePropertyMap::Get(Varnok::DevicePropertyMap::Instance(), 0);
    ASSERT_NE(id, nullptr);
    EXPECT_STREQ(m_platform->GetDeviceInfo(9), id);
    EXPECT_STREQ(m_platform->GetDeviceInfo(0), id);
    EXPECT_STREQ(m_platform->GetDeviceInfo(-3), id);
    EXPECT_STREQ(m_platform->GetDeviceInfo(5), "");
    EXPECT_STREQ(m_platform->GetDeviceInfo(3),
                 Varnok::DevicePropertyMap::Get(Varnok::DevicePropertyMap::Instance(), 3));
    EXPECT_STREQ(m_platform->GetSaveDirectory(), "save");
    EXPECT_STREQ(m_platform->GetApplicationDirectory(), "");
}

TEST_F(PlatformTest, WritesGoOnlyIntoTheSaveFileSystemAndReadsAnywhere) {
    // A writable folder mounted above the save area must not receive writes.
    char pattern[] = "/tmp/kiplink-other-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string other = pattern;
    Varnok::FileSystem* above = Varnok::FileSystemRegistry::Get().Add(
        std::make_unique<Varnok::DirectoryFileSystem>(other.c_str(), false), Varnok::FileSystemKey("other"), 200);

    Kiplink::IFile* file = m_platform->OpenFile("save/note.txt", Kiplink::kFileWriteFlags);
    ASSERT_TRUE(file->IsOpen());
    EXPECT_EQ(file->Write(5, "hello"), 5u);
    file->Close();
    file->Release();
    EXPECT_TRUE(std::ifstream(SavePath("note.txt")).good());
    EXPECT_FALSE(std::ifstream(other + "/save/note.txt").good());

    Kiplink::FileStatus status;
    status.state = 77;
    EXPECT_EQ(m_platform->GetFileStatus("save/none.txt", &status), -1);
    EXPECT_EQ(status.state, 77);
    EXPECT_EQ(m_platform->GetFileStatus("offlineInfo.offline", &status), 0);  // the shipped view
    EXPECT_EQ(status.state, 0);

    Kiplink::IFile* read = m_platform->OpenFile("save/note.txt", Kiplink::kFileRead);
    ASSERT_TRUE(read->IsOpen());
    EXPECT_EQ(read->GetLength(), 5u);
    char buffer[8] = {};
    EXPECT_EQ(read->Read(8, buffer, 3), 3u);
    EXPECT_EQ(read->Tell(), 3u);
    read->Release();

    Kiplink::IFile* absent = m_platform->OpenFile("save/none.txt", Kiplink::kFileRead);
    EXPECT_FALSE(absent->IsOpen());
    EXPECT_EQ(absent->GetLength(), 0u);
    EXPECT_EQ(absent->Read(1, buffer, 1), 0u);
    absent->Release();

    EXPECT_FALSE(m_platform->DeleteFile("save/none.txt"));
    EXPECT_FALSE(std::ifstream(SavePath("none.txt")).good());
    EXPECT_TRUE(m_platform->DeleteFile("save/note.txt"));
    std::ifstream emptied(SavePath("note.txt"));
    EXPECT_TRUE(emptied.good());
    EXPECT_EQ(emptied.peek(), EOF);

    Varnok::FileSystemRegistry::Get().Remove(above);
    std::system(("rm -rf " + other).c_str());
}

TEST(KiplinkPlatformConfig, FilesystemElementOverridesDefaults) {
    TiXmlDocument document;
    document.Parse("<provider><filesystem saveFilesystem=\"docs\" applicationDirectory=\"app\"/></provider>");
    Kiplink::RefPtr<Varnok::KiplinkPlatform> platform(new Varnok::KiplinkPlatform(nullptr, document.RootElement()));
    EXPECT_STREQ(platform->GetSaveDirectory(), "docs");
    EXPECT_STREQ(platform->GetApplicationDirectory(), "app");
}

}  // namespace
}  // namespace OnlineTest
