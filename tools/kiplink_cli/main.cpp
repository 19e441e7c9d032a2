// kiplink_cli: drives the online client through the engine's platform
// against a protocol server it starts on loopback, one step per script line,
// and prints each outcome. The save area is a fresh temporary folder; the
// shipped static data comes from services/offline/ in the bundle's assets.zip.
//
// Steps (one per line, "#" starts a comment):
//   update-result <json>        what the server answers to "game" "update"
//   game-update                 sends "game" "update" and waits for it
//   call <service> <method> <params json>
//   fault error <text> | http <status> | corrupt | delay <ms> | close | plain
//   download <static path>      downloads a published file into ota/
//   static-hash                 prints the loaded static-data hash
//   static-update               announces the published set and waits
//   restart                     a new client root on the same save area
// and the account steps of AccountSteps.h.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/PrefixFileSystem.h"
#include "engine/core/ZipFileSystem.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/StaticDataManager.h"
#include "providers/Provider_Kiplink/KiplinkPlatform.h"
#include "tools/kiplink_cli/AccountSteps.h"
#include "tools/kiplink_server/GameUpdateService.h"
#include "tools/kiplink_server/KiplinkServer.h"
#include "tools/sign_static_data/StaticDataFile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

using namespace Varnok;
using namespace Varnok::Tools;

namespace {

class Listener : public Kiplink::IKiplinkProviderCallbacks {
public:
    void OnGameUpdate(Kiplink::IKiplinkProvider* provider, Kiplink::KIPLINKERROR code, const char* message) override {
        std::printf("game-update: code %d, %s, result %d\n", code, message != nullptr ? message : "ok",
                    provider->GetGameUpdateResult());
        done = true;
    }
    bool done = false;
};

class Caller : public Kiplink::RefCounted {
public:
    void OnReply(Kiplink::RequestContext& context, const Kiplink::IValue& error, const Kiplink::IValue& result) {
        Kiplink::TextBuffer* errorText = error.ToText();
        Kiplink::TextBuffer* resultText = result.ToText();
        std::printf("call %s/%s: error %s, result %s\n", context.GetService().c_str(), context.GetMethod().c_str(),
                    errorText->GetText(), resultText->GetText());
        errorText->Release();
        resultText->Release();
        done = true;
    }
    bool done = false;
};

struct Downloaded {
    bool* done;
    void Complete(const char* path) {
        std::printf("download: %s\n", path != nullptr ? path : "failed");
        *done = true;
    }
    bool operator==(const Downloaded& other) const { return done == other.done; }
};

class Session {
public:
    explicit Session(const std::string& saveFolder) : m_saveFolder(saveFolder) {
        auto& registry = FileSystemRegistry::Get();
        registry.Add(std::make_unique<DirectoryFileSystem>(saveFolder.c_str(), false), FileSystemKey("save"), 100);
        registry.Add(std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true), FileSystemKey("bundle"), 10);
        auto assets = std::make_unique<ZipFileSystem>();
        if (!assets->Open(VARNOK_BUNDLE_DIR "/assets.zip", nullptr, nullptr)) {
            fprintf(stderr, "kiplink_cli: no assets.zip in %s, no shipped static data\n", VARNOK_BUNDLE_DIR);
        }
        FileSystem* fileZip = registry.Add(std::move(assets), FileSystemKey("fileZip"), 4);
        auto offline = std::make_unique<PrefixFileSystem>();
        offline->SetTarget(fileZip, "services/offline");
        registry.Add(std::move(offline), FileSystemKey("ServiceManagerOffline"), 20);
        KiplinkServerConfig config;
        config.staticRoot = VARNOK_PUBLISHED_STATIC_DIR;
        m_server = std::make_unique<KiplinkServer>(config);
        m_game.Install(*m_server);
        m_accounts = std::make_unique<AccountSteps>(*m_server);
        m_platform = new KiplinkPlatform(nullptr, nullptr);
    }
    ~Session() {
        m_accounts->Forget();
        m_root.Reset();
        m_platform.Reset();
        m_server->Stop();
        FileSystemRegistry::Get().Clear();
    }

    bool Start() {
        if (!m_server->Start()) {
            return false;
        }
        std::printf("server: %s\n", m_server->BaseUrl().c_str());
        Restart();
        return true;
    }

    void Restart() {
        m_accounts->Forget();
        m_root.Reset();
        Kiplink::KiplinkSettings settings{"fam", m_server->BaseUrl(), "cli"};
        m_root = Kiplink::RefPtr<Kiplink::KiplinkProviderImpl>::Adopt(
            static_cast<Kiplink::KiplinkProviderImpl*>(Kiplink::CreateKiplinkProvider(settings, m_platform.Get())));
        m_root->Load();
        m_root->AddCallbacks(m_listener.Get());
        std::string hash;
        m_root->GetStaticData()->GetHash(&hash);
        std::printf("client: loaded, static data %s (applied %d)\n", hash.c_str(),
                    m_root->GetStaticData()->GetAppliedCount());
    }

    bool Pump(const std::function<bool()>& done, int timeoutMs = 15000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            m_platform->UpdateHttp();
            m_root->Update();
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        std::printf("timed out\n");
        return false;
    }

    void Step(const std::string& line) {
        std::istringstream in(line);
        std::string verb;
        in >> verb;
        std::string rest;
        std::getline(in >> std::ws, rest);
        if (verb == "update-result") {
            Json::Value value;
            Json::Reader().parse(rest, value);
            m_game.SetResult(value);
            std::printf("update-result: %s\n", rest.c_str());
        } else if (verb == "game-update") {
            m_listener->done = false;
            m_root->SendGameUpdate();
            Pump([&] { return m_listener->done; });
        } else if (verb == "call") {
            std::istringstream args(rest);
            std::string service, method, params;
            args >> service >> method;
            std::getline(args >> std::ws, params);
            Kiplink::RequestContext context(service.c_str(), method.c_str());
            if (!params.empty()) {
                context.Params().Parse(params.c_str());
            }
            Kiplink::RefPtr<Caller> caller(new Caller);
            Kiplink::SendRequest(context, m_root.Get(), caller.Get(), &Caller::OnReply, 0);
            Pump([&] { return caller->done; });
        } else if (verb == "fault") {
            std::istringstream args(rest);
            std::string kind, value;
            args >> kind;
            std::getline(args >> std::ws, value);
            if (kind == "error") m_server->InjectFault(Fault::ErrorText(value));
            else if (kind == "http") m_server->InjectFault(Fault::HttpError(std::atoi(value.c_str())));
            else if (kind == "corrupt") m_server->InjectFault(Fault::Corrupt(BodyCorruption::FlippedByte));
            else if (kind == "delay") m_server->InjectFault(Fault::Delay(std::atoi(value.c_str())));
            else if (kind == "close") m_server->InjectFault(Fault::CloseAfterAction());
            else if (kind == "plain") m_server->InjectFault(Fault::PlainJson());
            else {
                std::printf("fault: unknown kind %s\n", kind.c_str());
                return;
            }
            std::printf("fault: %s %s\n", kind.c_str(), value.c_str());
        } else if (verb == "download") {
            bool done = false;
            m_root->Downloads().Download(m_server->StaticUrl() + rest,
                                         Kiplink::BoundRecordFunctor<Downloaded, const char*>(Downloaded{&done},
                                                                                              &Downloaded::Complete),
                                         "", true);
            Pump([&] { return done; });
        } else if (verb == "static-hash") {
            std::string hash;
            m_root->GetStaticData()->GetHash(&hash);
            std::printf("static-hash: %s\n", hash.c_str());
        } else if (verb == "static-update") {
            StaticDataSet set;
            std::string why;
            if (!ReadStaticDataSet(VARNOK_PUBLISHED_STATIC_DIR, VARNOK_PUBLISHED_STATIC_SUFFIX, VARNOK_PROJECT_KEY_PUB,
                                   &set, &why)) {
                std::printf("static-update: no published set: %s\n", why.c_str());
                return;
            }
            Kiplink::IValue* table = Kiplink::CreateValue();
            table->Parse(Json::FastWriter().write(set.hashTable).c_str());
            const int before = m_root->GetStaticData()->GetAppliedCount();
            m_root->GetStaticData()->RequestUpdate(set.hash.c_str(), m_server->StaticUrl().c_str(), *table);
            table->Release();
            Pump([&] {
                return m_root->GetStaticData()->GetAppliedCount() != before ||
                       m_root->GetStaticData()->GetPendingDownloadCount() == 0;
            });
            std::string hash;
            m_root->GetStaticData()->GetHash(&hash);
            std::printf("static-update: %s, static data %s\n",
                        hash == set.hash ? "switched" : "kept the old set", hash.c_str());
        } else if (verb == "restart") {
            Restart();
        } else if (m_accounts->Run(verb, rest, m_root.Get(), [&](const std::function<bool()>& done) { return Pump(done); })) {
        } else {
            std::printf("unknown step: %s\n", line.c_str());
        }
        std::fflush(stdout);
    }

private:
    std::string m_saveFolder;
    std::unique_ptr<KiplinkServer> m_server;
    GameUpdateService m_game;
    std::unique_ptr<AccountSteps> m_accounts;
    Kiplink::RefPtr<KiplinkPlatform> m_platform;
    Kiplink::RefPtr<Kiplink::KiplinkProviderImpl> m_root;
    Kiplink::RefPtr<Listener> m_listener{new Listener};
};

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: kiplink_cli [SCRIPT]   (steps from standard input without one)\n");
        return 2;
    }
    char pattern[] = "/tmp/kiplink-cli-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    std::ifstream file;
    if (argc == 2) {
        file.open(argv[1]);
        if (!file) {
            std::fprintf(stderr, "kiplink_cli: cannot read %s\n", argv[1]);
            return 1;
        }
    }
    std::istream& script = argc == 2 ? static_cast<std::istream&>(file) : std::cin;
    int status = 0;
    {
        Session session(pattern);
        if (!session.Start()) {
            return 1;
        }
        std::string line;
        while (std::getline(script, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::printf("> %s\n", line.c_str());
            std::fflush(stdout);
            session.Step(line);
        }
    }
    std::system((std::string("rm -rf ") + pattern).c_str());
    return status;
}
