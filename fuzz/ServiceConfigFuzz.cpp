// Feeds arbitrary configuration files to the service configuration loader:
// the input is split at zero bytes into ServiceManager.xml, a provider file
// and two files that it may include (one in a subfolder). The provider's
// prepared document is then looked up and its analytics section read into
// event builders, which are fired once. Nothing may crash, hang or leak.
#include "engine/core/Event.h"
#include "engine/core/FileSystem.h"
#include "engine/services/ActionBuilder.h"
#include "engine/services/ServiceManagerConfig.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

const char* const kFileNames[] = {
    "svc/ServiceManager.xml",
    "svc/Provider_Fuzz.xml",
    "svc/a.xml",
    "svc/sub/b.xml",
};

// The input's files, read-only, in memory.
class MemoryFileSystem final : public FileSystem {
public:
    explicit MemoryFileSystem(std::map<std::string, std::string> files) : m_files(std::move(files)) {}

    bool Exists(const char* path) override { return m_files.count(path) != 0; }
    int32_t GetSize(const char* path) override {
        const auto it = m_files.find(path);
        return it == m_files.end() ? -1 : static_cast<int32_t>(it->second.size());
    }
    bool Load(const char* path, uint8_t** data, int32_t* length, bool* owns) override {
        const auto it = m_files.find(path);
        if (it == m_files.end()) {
            return false;
        }
        int32_t n = static_cast<int32_t>(it->second.size());
        if (*data == nullptr) {
            *data = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(n) + 1));
            *owns = true;
        } else {
            n = n < *length ? n : *length;
            *owns = false;
        }
        std::memcpy(*data, it->second.data(), static_cast<size_t>(n));
        *length = n;
        return true;
    }
    std::unique_ptr<FileStream> Open(const char*, int) override { return nullptr; }
    bool Delete(const char*) override { return false; }

private:
    std::map<std::string, std::string> m_files;
};

// Asks every parameter for its text, as a sending service's builder would.
class EvaluatingBuilder final : public IActionBuilder {
public:
    void AddParam(const BuilderParam* param) override { m_params.push_back(param); }
    void Execute(const Event& event) override {
        for (const BuilderParam* param : m_params) {
            (void)param->IsValid();
            (void)param->GetValue(event);
        }
    }

private:
    std::vector<const BuilderParam*> m_params;
};

class EvaluatingFactory final : public IActionBuilderFactory {
public:
    const char* GetName() const override { return "KontagentCustom"; }
    IActionBuilder* Create() const override { return new EvaluatingBuilder(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const EvaluatingFactory s_factory;
    static int32_t s_variable = -23;
    static const auto s_registered = [] {
        ActionBuilderRegistry::Get().Register(s_factory);
        return RegisteredVariables::Get().Register("v", &s_variable);
    }();
    (void)s_registered;

    std::map<std::string, std::string> files;
    size_t start = 0;
    for (const char* name : kFileNames) {
        if (start > size) {
            break;
        }
        const void* zero = std::memchr(data + start, 0, size - start);
        const size_t end = zero != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - data) : size;
        files[name].assign(reinterpret_cast<const char*>(data + start), end - start);
        start = end + 1;
    }
    FileSystem* mounted = FileSystemRegistry::Get().Add(
        std::make_unique<MemoryFileSystem>(std::move(files)), FileSystemKey("fuzz"), 0);

    ServiceDefines defines;
    defines[AsciiString("platform")] = AsciiString("ios");
    defines[AsciiString("product")] = AsciiString("SD");
    defines[AsciiString("tablet")] = AsciiString("false");
    {
        ServiceManagerConfig config("svc", defines);
        (void)config.IsProviderDisabled("Provider_Fuzz");
        if (const TiXmlElement* section =
                config.GetProviderConfigElement("Provider_Fuzz", "IAnalyticsService")) {
            EventBuilderMap builders;
            builders.Load(*section);
            Event event("OnMainMenu");
            event.SetString("screen", "main");
            event.SetInt("count", 7);
            EventDispatcher::Get().Fire(event);
        }
    }
    FileSystemRegistry::Get().Remove(mounted);
    return 0;
}
