// Preparing service configuration files against reading the same files with
// TinyXML alone. Both sides read ServiceManager.xml and an analytics
// provider's file with the two files it includes, from the same generated
// folder, already in the page cache. Ours also loads through the engine's
// file layer, resolves the includes, applies the filters for the defines and
// merges the split sections; the peer only parses each file, which is what a
// user would do who kept the configuration unfiltered in one place.
//
// Each pass frees all it made. With glibc's default policy the larger
// document that preparing builds is trimmed off the heap top after every
// pass and paged in again on the next, a cost the game, which prepares each
// file once into a heap that stays large, does not see. So the comparison is
// run twice: with the default allocator, and with both sides keeping the
// heap they grew (the same mallopt settings on both sides).
#include "bench/SideBySide.h"
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/services/ServiceManagerConfig.h"

#include <tinyxml.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

constexpr int kBatches = 31;
constexpr double kBatchSeconds = 0.01;
constexpr int kCommonEvents = 60;     // in the included file
constexpr int kFilteredEvents = 20;   // in each of the platform filters
constexpr int kTemplates = 10;
constexpr int kAdSpaces = 20;

std::string Event(const std::string& trigger, int index) {
    char text[512];
    std::snprintf(text, sizeof(text),
                  "        <event trigger=\"%s%d\">\n"
                  "            <builder type=\"KontagentCustom\" parent=\"Template%d\">\n"
                  "                <param type=\"Basic\" key=\"eventName\" value=\"%s_%d\"/>\n"
                  "                <param type=\"EventArg\" key=\"subType1\" arg=\"screen\"/>\n"
                  "                <param type=\"Json\" key=\"additionalData\"><param type=\"EventArg\" key=\"score\" arg=\"score\"/></param>\n"
                  "            </builder>\n"
                  "        </event>\n",
                  trigger.c_str(), index, index % kTemplates, trigger.c_str(), index);
    return text;
}

std::string FilteredSection(const char* attribute, const char* value, const char* trigger) {
    std::string text = std::string("    <filter ") + attribute + "=\"" + value + "\">\n        <IAnalyticsService>\n";
    for (int i = 0; i < kFilteredEvents; ++i) {
        text += Event(trigger, i);
    }
    return text + "        </IAnalyticsService>\n    </filter>\n";
}

void Write(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The folder "Services" under root, the same bytes in every process.
void WriteServicesFolder(const std::filesystem::path& root) {
    const std::filesystem::path services = root / "Services";
    Write(services / "ServiceManager.xml",
          "<serviceManager>\n"
          "    <filterDefine name=\"store\" value=\"appstore\"/>\n"
          "    <remoteConfig value=\"config.varnok.invalid\"/>\n"
          "    <filter platform=\"android\"><disableProvider provider=\"Provider_GameCenter\"/></filter>\n"
          "    <filter store=\"googleplay\"><disableProvider provider=\"Provider_MoPub\"/></filter>\n"
          "</serviceManager>\n");

    std::string provider = "<provider>\n    <IAnalyticsService name=\"analytics\">\n";
    for (int i = 0; i < kTemplates; ++i) {
        provider += "        <abstractBuilder type=\"Template" + std::to_string(i) +
                    "\"><param type=\"Basic\" key=\"level\" value=\"" + std::to_string(i) +
                    "\"/><param type=\"RegisteredVar\" key=\"value\" value=\"coins\" mod=\"10\"/></abstractBuilder>\n";
    }
    provider += "        <include file=\"events\\Common.xml\"/>\n    </IAnalyticsService>\n";
    provider += "    <supportEmail value=\"help@example.test\"/>\n";
    provider += FilteredSection("platform", "ios", "OnIos");
    provider += FilteredSection("platform", "android", "OnAndroid");
    provider += FilteredSection("product", "HD", "OnHd");
    provider += "    <include file=\"Ads.xml\"/>\n</provider>\n";
    Write(services / "Provider_Bench.xml", provider);

    std::string common = "<provider>\n";
    for (int i = 0; i < kCommonEvents; ++i) {
        common += Event("OnCommon", i);
    }
    Write(services / "events" / "Common.xml", common + "</provider>\n");

    std::string ads = "<provider>\n";
    for (int i = 0; i < kAdSpaces; ++i) {
        ads += "    <adSpaceAlias name=\"space" + std::to_string(i) +
               "\" value=\"0123456789abcdef0123456789abcdef\" width=\"320\" height=\"50\"/>\n";
    }
    Write(services / "Ads.xml", ads + "</provider>\n");
}

class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/varnok_service_bench_XXXXXX";
        const char* made = mkdtemp(pattern);
        m_path = made != nullptr ? made : "";
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!m_path.empty()) {
            std::filesystem::remove_all(m_path, ignored);
        }
    }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Median microseconds per preparation over timed batches, after a warm-up
// that also sizes the batches; negative when a pass fails.
template <typename Pass>
double MicrosecondsPerPass(Pass pass) {
    using Clock = std::chrono::steady_clock;
    int passesPerBatch = 1;
    for (;;) {
        const auto start = Clock::now();
        for (int i = 0; i < passesPerBatch; ++i) {
            if (!pass()) {
                return -1.0;
            }
        }
        if (std::chrono::duration<double>(Clock::now() - start).count() >= kBatchSeconds) {
            break;
        }
        passesPerBatch *= 2;
    }
    std::vector<double> batches;
    for (int b = 0; b < kBatches; ++b) {
        const auto start = Clock::now();
        for (int i = 0; i < passesPerBatch; ++i) {
            if (!pass()) {
                return -1.0;
            }
        }
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        batches.push_back(us / passesPerBatch);
    }
    std::sort(batches.begin(), batches.end());
    return batches[batches.size() / 2];
}

int CountEvents(const TiXmlElement& section) {
    int count = 0;
    for (const TiXmlElement* e = section.FirstChildElement("event"); e != nullptr;
         e = e->NextSiblingElement("event")) {
        ++count;
    }
    return count;
}

double Prepare() {
    TempFolder folder;
    WriteServicesFolder(folder.Path());
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(folder.Path().c_str(), true),
                                  FileSystemKey("base"), 0);
    ServiceDefines defines;
    defines[AsciiString("platform")] = AsciiString("ios");
    defines[AsciiString("product")] = AsciiString("SD");
    defines[AsciiString("tablet")] = AsciiString("false");
    {
        // The prepared document must be the whole one: every common event and
        // the iOS ones in one analytics section.
        ServiceManagerConfig config("Services", defines);
        const TiXmlElement* section = config.GetProviderConfigElement("Provider_Bench", "IAnalyticsService");
        if (section == nullptr || CountEvents(*section) != kCommonEvents + kFilteredEvents) {
            std::fprintf(stderr, "prepare: the prepared document is not the expected one\n");
            return -1.0;
        }
    }
    return MicrosecondsPerPass([&] {
        ServiceManagerConfig config("Services", defines);
        return config.GetRoot() != nullptr && config.GetProviderConfig("Provider_Bench") != nullptr;
    });
}

double PlainParse() {
    TempFolder folder;
    WriteServicesFolder(folder.Path());
    const std::filesystem::path services = folder.Path() / "Services";
    const std::vector<std::string> files = {
        (services / "ServiceManager.xml").string(),
        (services / "Provider_Bench.xml").string(),
        (services / "events" / "Common.xml").string(),
        (services / "Ads.xml").string(),
    };
    return MicrosecondsPerPass([&] {
        for (const std::string& file : files) {
            TiXmlDocument document;
            if (!document.LoadFile(file.c_str())) {
                return false;
            }
        }
        return true;
    });
}

// Stops glibc from handing the heap top back after each pass.
template <double (*Side)()>
double WithHeapKept() {
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_TOP_PAD, 16 << 20);
    return Side();
}

Bench::Comparison MakeComparison(bool heapKept) {
    Bench::Comparison comparison;
    comparison.workload =
        std::string("one analytics provider's configuration (4 files, ") +
        std::to_string(kCommonEvents + 3 * kFilteredEvents) +
        " events): read, include, filter and merge, against TinyXML parsing the same files; " +
        (heapKept ? "heap kept between passes" : "default allocator");
    comparison.unit = "us per configuration";
    comparison.lowerIsBetter = true;
    comparison.rounds = 5;
    if (heapKept) {
        comparison.contenders = {{"prepare-heap-kept", WithHeapKept<Prepare>},
                                 {"tinyxml-heap-kept", WithHeapKept<PlainParse>}};
    } else {
        comparison.contenders = {{"prepare", Prepare}, {"tinyxml", PlainParse}};
    }
    return comparison;
}

}  // namespace

int main(int argc, char** argv) {
    const Bench::Comparison plain = MakeComparison(false);
    const Bench::Comparison kept = MakeComparison(true);
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--side") {
            // A child: the comparison that has the named contender runs it.
            const bool inKept = std::string(argv[i + 1]).find("heap-kept") != std::string::npos;
            return Bench::RunSideBySide(argc, argv, inKept ? kept : plain);
        }
    }
    const int first = Bench::RunSideBySide(argc, argv, plain);
    std::printf("\n");
    const int second = Bench::RunSideBySide(argc, argv, kept);
    return first != 0 ? first : second;
}
