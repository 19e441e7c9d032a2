// Screens from their binary files against the same screens from their XML
// form read through TinyXML and the engine's description reader, which is
// what a project would load instead. The workload is the three sample
// screens and a generated screen of 300 components, each with per-SKU
// values, a keyframed animation with an event keyframe and an event command
// list. Both sides start from bytes in memory (the file read is the same for
// both) and use the sample project's SKUs and class definitions, loaded
// before timing.
//
// Two comparisons: descriptions only (records or XML document to the
// description tree), and through to built screens (components cloned from
// class prototypes, values applied, inserted under the UI root, then
// removed). The second is reported; the goal is set for the first.
#include "bench/SideBySide.h"
#include "engine/core/BinaryStream.h"
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/XmlDocument.h"
#include "engine/ui/Component.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProjectReader.h"
#include "engine/ui/descriptions/ComponentDesc.h"
#include "engine/ui/descriptions/UIScreenFile.h"
#include "tools/ui_screen_writer/UIScreenWriter.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

constexpr int kGeneratedComponents = 300;

struct Screen {
    AsciiString name;
    std::string xml;
    std::vector<uint8_t> binary;
};

std::string GeneratedScreenXml() {
    std::string xml = "<screen Id=\"generated\" version=\"1.0.0\">"
                      "<property name=\"screenPriority\" value=\"3\"/>";
    for (int i = 0; i < kGeneratedComponents; ++i) {
        const std::string n = std::to_string(i);
        xml += "<component type=\"ComponentQuad\" Id=\"quad" + n + "\">"
               "<property name=\"position\" value=\"" + n + "," + n + ",0\"/>"
               "<property name=\"width\" value=\"32\"><sku sku=\"~iPhone\" value=\"40\"/></property>"
               "<property name=\"height\" value=\"24\"/>"
               "<property name=\"colour\" value=\"255," + std::to_string(i % 256) + ",32,255\"/>"
               "<property name=\"inputEnabled\" value=\"True\"/>"
               "<animation name=\"pulse\" loop=\"forever\">"
               "<keyframe time=\"0\"><keyframeValue property=\"colour\" value=\"255,255,255,64\" "
               "interpolation=\"EaseOutEaseIn\"/></keyframe>"
               "<keyframe time=\"0.5\"><keyframeValue property=\"colour\" value=\"255,255,255,255\" "
               "interpolation=\"EaseOutBounce\"/><keyframeValue property=\"position\" value=\"" + n +
               ",40,0\"/></keyframe>"
               "<keyframe time=\"1\"><keyframeValue property=\"colour\" value=\"255,255,255,64\"/>"
               "</keyframe><keyframeEvent time=\"1\" type=\"sound\" param=\"tick\"/></animation>"
               "<event name=\"OnTouchUpEvent\"><command name=\"PlayAnimation\">"
               "<parameter value=\"quad" + n + "\"/><parameter value=\"pulse\"/></command></event>"
               "</component>";
    }
    return xml + "</screen>";
}

// The sample project over the authored data, and the workload's screens in
// both forms.
std::vector<Screen> SetUp() {
    FileSystemRegistry::Get().Add(
        std::make_unique<DirectoryFileSystem>(VARNOK_SOURCE_DATA_DIR, false), FileSystemKey("base"), 0);
    UIProjectSettings settings;
    if (UIProjectReader::Read("xml/TamberloFelis_skuLayout.xml", settings) != 0) {
        return {};
    }
    settings.createsSimple2D = false;
    settings.createsDefaultTextures = false;
    settings.stringTables.clear();
    UIManager::Get().Init(settings, AsciiString("~iPhone"));
    UIManager::Get().SetScreenSize(Vector2{480.0f, 320.0f});

    std::vector<Screen> screens;
    for (const char* name : {"demobackground", "demomenu", "demopanel"}) {
        std::ifstream in(std::string(VARNOK_SOURCE_DATA_DIR) + "/ui/screens/" + name + ".xml");
        screens.push_back({AsciiString(name),
                           std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()),
                           {}});
    }
    screens.push_back({AsciiString("generated"), GeneratedScreenXml(), {}});
    size_t xmlBytes = 0;
    size_t binaryBytes = 0;
    for (Screen& screen : screens) {
        std::unique_ptr<ComponentDesc> desc = UIScreenWriter::ReadScreenXml(screen.xml, screen.name.c_str());
        if (desc == nullptr) {
            return {};
        }
        screen.binary = UIScreenWriter::ToBytes(UIScreenWriter::ToRecords(*desc));
        xmlBytes += screen.xml.size();
        binaryBytes += screen.binary.size();
    }
    static bool s_noted = false;
    if (!s_noted) {
        s_noted = true;
        printf("  (%zu screens: %zu bytes of XML, %zu bytes binary)\n", screens.size(), xmlBytes,
               binaryBytes);
    }
    // Every class's definition and prototype exist before timing, for both.
    for (const Screen& screen : screens) {
        Component* built = UIManager::Get().LoadScreenFromBytes(screen.name, screen.binary.data(),
                                                                screen.binary.size());
        if (built == nullptr) {
            return {};
        }
        UIManager::Get().RemoveScreen(screen.name);
    }
    return screens;
}

std::unique_ptr<ComponentDesc> DescFromBinary(const Screen& screen) {
    UIScreenFile records;
    BinaryStreamReader stream(screen.binary.data(), screen.binary.size(), kUIScreenFileByteOrder);
    UIScreenFileReader::Read(stream, records);
    std::unique_ptr<ComponentDesc> desc(ComponentDesc::CreateScreen());
    desc->BuildFromBinary(records);
    return desc;
}

std::unique_ptr<ComponentDesc> DescFromXml(const Screen& screen) {
    TiXmlDocument document;
    if (!ParseXmlDocument(document, screen.xml.data(), screen.xml.size())) {
        return nullptr;
    }
    std::unique_ptr<ComponentDesc> desc(ComponentDesc::CreateScreen());
    (void)desc->ReadXml(*document.RootElement(), false);
    return desc;
}

template <typename MakeDesc>
double DescriptionsOnly(MakeDesc make) {
    const std::vector<Screen> screens = SetUp();
    if (screens.empty()) {
        return -1.0;
    }
    const double us = Bench::MedianMicrosecondsPerPass(
        [&] {
            for (const Screen& screen : screens) {
                std::unique_ptr<ComponentDesc> desc = make(screen);
                benchmark::DoNotOptimize(desc.get());
            }
        },
        0.2, 7);
    UIManager::Get().Shutdown();
    return us;
}

double BuiltFromBinary() {
    const std::vector<Screen> screens = SetUp();
    if (screens.empty()) {
        return -1.0;
    }
    UIManager& ui = UIManager::Get();
    const double us = Bench::MedianMicrosecondsPerPass(
        [&] {
            for (const Screen& screen : screens) {
                benchmark::DoNotOptimize(
                    ui.LoadScreenFromBytes(screen.name, screen.binary.data(), screen.binary.size()));
            }
            for (const Screen& screen : screens) {
                ui.RemoveScreen(screen.name);
            }
        },
        0.2, 7);
    ui.Shutdown();
    return us;
}

double BuiltFromXml() {
    const std::vector<Screen> screens = SetUp();
    if (screens.empty()) {
        return -1.0;
    }
    UIManager& ui = UIManager::Get();
    const double us = Bench::MedianMicrosecondsPerPass(
        [&] {
            for (const Screen& screen : screens) {
                std::unique_ptr<ComponentDesc> desc = DescFromXml(screen);
                Component* built = ui.BuildScreen(ui.GetRoot(), desc.get());
                if (built != nullptr) {
                    built->GetEnabledProperty()->Set(false);  // as the screen loader does
                    built->SetId(screen.name);
                    UIManager::MarkLoaded(built);
                }
            }
            for (const Screen& screen : screens) {
                ui.RemoveScreen(screen.name);
            }
        },
        0.2, 7);
    ui.Shutdown();
    return us;
}

std::vector<Bench::Comparison> Comparisons() {
    std::vector<Bench::Comparison> out(2);
    out[0].workload =
        "3 sample screens + 1 generated screen of 300 components (per-SKU values, an animation "
        "with 3 keyframes and a sound event, a touch command each): bytes in memory to the "
        "description tree; binary records against TinyXML + the XML description reader "
        "(goal: binary <= 0.5 of XML)";
    out[0].unit = "us per pass of 4 screens";
    out[0].contenders = {{"binary to descriptions", [] { return DescriptionsOnly(DescFromBinary); }},
                         {"XML to descriptions", [] { return DescriptionsOnly(DescFromXml); }}};
    out[1].workload =
        "the same 4 screens through to built screens under the UI root (loaded life cycle "
        "run), then removed";
    out[1].unit = "us per pass of 4 screens";
    out[1].contenders = {{"binary to screens", BuiltFromBinary}, {"XML to screens", BuiltFromXml}};
    return out;
}

}  // namespace

int main(int argc, char** argv) { return Bench::RunComparisons(argc, argv, Comparisons()); }
