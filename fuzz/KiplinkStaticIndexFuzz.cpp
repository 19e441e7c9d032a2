// Any JSON text as the stored static-data index: the root loads it through
// the engine's platform from a save folder in /tmp, falls back to the
// shipped set (absent here) and must neither crash nor leak.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "kiplink/Source/Crypto.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/StaticDataManager.h"
#include "providers/Provider_Kiplink/KiplinkPlatform.h"

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

namespace {

std::string SaveFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/kiplink-index-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        std::string path = made != nullptr ? made : "/tmp";
        Varnok::FileSystemRegistry::Get().Add(std::make_unique<Varnok::DirectoryFileSystem>(path.c_str(), false),
                                              Varnok::FileSystemKey("save"), 100);
        Kiplink::SetLogSink([](const char*) {});
        return path;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string folder = SaveFolder();
    // {"+": salt, "data": <input>} as a stored file would hold it.
    std::string text = "{\"+\":\"1\",\"data\":";
    text.append(reinterpret_cast<const char*>(data), size);
    text += "}";
    std::string stored;
    Kiplink::EncryptToString(Kiplink::GetStorageCipher(), text.data(), text.size(), &stored);
    {
        std::ofstream out(folder + "/save/StaticData.json", std::ios::binary | std::ios::trunc);
        out << stored;
    }
    Kiplink::RefPtr<Varnok::KiplinkPlatform> platform(new Varnok::KiplinkPlatform(nullptr, nullptr));
    Kiplink::KiplinkSettings settings{"fam", "", "b"};
    Kiplink::IKiplinkProvider* root = Kiplink::CreateKiplinkProvider(settings, platform.Get());
    root->Load();
    root->Update();
    root->Release();
    return 0;
}
