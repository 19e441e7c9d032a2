#include "tools/ui_screen_writer/UIScreenWriter.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/ui/Component.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProjectReader.h"
#include "engine/ui/descriptions/ComponentDesc.h"
#include "tests/engine/core/FileTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace Varnok {
namespace {

// Equal as descriptions: tracks without keyframes do not exist in the
// binary form and are passed over.
template <typename T>
bool SameValues(const UIDescPropertyMap<T>& a, const UIDescPropertyMap<T>& b, std::string& why) {
    if (a.size() != b.size()) {
        why = "property count";
        return false;
    }
    for (const auto& entry : a) {
        auto other = b.find(entry.first);
        if (other == b.end() || other->second.GetEntries().size() != entry.second.GetEntries().size()) {
            why = std::string("property ") + entry.first.c_str();
            return false;
        }
        for (const auto& value : entry.second.GetEntries()) {
            const T* match = nullptr;
            for (const auto& candidate : other->second.GetEntries()) {
                if (candidate.first == value.first) {
                    match = &candidate.second;
                }
            }
            if (match == nullptr || !UIValuesEqual(*match, value.second)) {
                why = std::string("value of ") + entry.first.c_str();
                return false;
            }
        }
    }
    return true;
}

bool SameCalls(const std::vector<UICommandCall>& a, const std::vector<UICommandCall>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (!a[i].name.Equals(b[i].name) || a[i].args.size() != b[i].args.size()) {
            return false;
        }
        for (size_t j = 0; j < a[i].args.size(); ++j) {
            if (!a[i].args[j].Equals(b[i].args[j])) {
                return false;
            }
        }
    }
    return true;
}

bool SameAnimation(const UIAnimationDesc& a, const UIAnimationDesc& b) {
    bool same = a.m_loopCount == b.m_loopCount && a.m_name.Equals(b.m_name) &&
                a.m_sku.Equals(b.m_sku) && a.m_nextAnimation.Equals(b.m_nextAnimation) &&
                a.m_definition == b.m_definition && a.m_bHasGhostFrame == b.m_bHasGhostFrame &&
                a.GetEventKeyframes().size() == b.GetEventKeyframes().size();
    for (size_t i = 0; same && i < a.GetEventKeyframes().size(); ++i) {
        same = a.GetEventKeyframes()[i].m_timeMs == b.GetEventKeyframes()[i].m_timeMs &&
               SameCalls(a.GetEventKeyframes()[i].m_commands, b.GetEventKeyframes()[i].m_commands);
    }
    ForEachUIType([&](auto tag) {
        using T = typename decltype(tag)::Type;
        for (const auto& entry : a.Tracks<T>()) {
            if (entry.second.KeyframeCount() == 0) {
                continue;
            }
            auto other = b.Tracks<T>().find(entry.first);
            if (other == b.Tracks<T>().end() ||
                other->second.KeyframeCount() != entry.second.KeyframeCount() ||
                other->second.GetGhostInterpolation() != entry.second.GetGhostInterpolation()) {
                same = false;
                continue;
            }
            for (int k = 0; k < entry.second.KeyframeCount(); ++k) {
                const auto& x = entry.second.KeyframeAt(k);
                const auto& y = other->second.KeyframeAt(k);
                same = same && x.m_timeMs == y.m_timeMs && x.m_lerpType == y.m_lerpType &&
                       UIValuesEqual(x.m_value, y.m_value);
            }
        }
    });
    return same;
}

bool SameDesc(const ComponentDesc& a, const ComponentDesc& b, std::string& why) {
    const std::string where = std::string(a.GetId().c_str()) + ": ";
    if (!a.GetClassName().Equals(b.GetClassName()) || !a.GetId().Equals(b.GetId()) ||
        a.IsScreen() != b.IsScreen() || a.IsInDefinition() != b.IsInDefinition() ||
        a.GetDefinition() != b.GetDefinition() ||
        (a.IsScreen() && !a.GetVersion().Equals(b.GetVersion()))) {
        why = where + "class, id, marks or version";
        return false;
    }
    bool same = true;
    ForEachUIType([&](auto tag) {
        using T = typename decltype(tag)::Type;
        same = same && SameValues(a.Properties<T>(), b.Properties<T>(), why);
    });
    if (!same) {
        why = where + why;
        return false;
    }
    if (a.GetAnimations().size() != b.GetAnimations().size()) {
        why = where + "animation count";
        return false;
    }
    for (const auto& entry : a.GetAnimations()) {
        const UISkuAnimationMap* other = b.FindSkuAnimations(entry.first);
        if (other == nullptr || other->size() != entry.second.size()) {
            why = where + "animation " + entry.first.c_str();
            return false;
        }
        for (const auto& variant : entry.second) {
            auto match = other->find(variant.first);
            if (match == other->end() || !SameAnimation(variant.second, match->second)) {
                why = where + "animation " + entry.first.c_str() + " for " + variant.first.c_str();
                return false;
            }
        }
    }
    if (a.GetEvents().size() != b.GetEvents().size()) {
        why = where + "event count";
        return false;
    }
    for (const auto& entry : a.GetEvents()) {
        auto other = b.GetEvents().find(entry.first);
        if (other == b.GetEvents().end() || !SameCalls(entry.second.GetCalls(), other->second.GetCalls())) {
            why = where + "event " + entry.first.c_str();
            return false;
        }
    }
    if (a.GetChildCount() != b.GetChildCount()) {
        why = where + "child count";
        return false;
    }
    for (const ComponentDesc *x = a.GetFirstChild(), *y = b.GetFirstChild(); x != nullptr;
         x = x->GetNextSibling(), y = y->GetNextSibling()) {
        if (!SameDesc(*x, *y, why)) {
            return false;
        }
    }
    return true;
}

// The sample project over the authored data folder.
class SampleScreens : public testing::Test {
protected:
    void SetUp() override {
        m_mounted = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(VARNOK_SOURCE_DATA_DIR, false),
            FileSystemKey("sample"), 70);
        UIProjectSettings settings;
        ASSERT_EQ(0, UIProjectReader::Read("xml/TamberloFelis_skuLayout.xml", settings));
        settings.createsSimple2D = false;
        settings.createsDefaultTextures = false;
        settings.stringTables.clear();
        UIManager::Get().Init(settings, AsciiString("~iPhone"));
        UIManager::Get().SetScreenSize(Vector2{480.0f, 320.0f});
    }
    void TearDown() override {
        UIManager::Get().Shutdown();
        FileSystemRegistry::Get().Remove(m_mounted);
    }
    FileSystem* m_mounted = nullptr;
};

TEST_F(SampleScreens, TheMinimalScreenIs345Bytes) {
    std::unique_ptr<ComponentDesc> desc =
        UIScreenWriter::ReadScreenXml("<screen Id=\"root\" version=\"1.0.0\"/>", "minimal");
    ASSERT_NE(nullptr, desc);
    const std::vector<uint8_t> bytes = UIScreenWriter::ToBytes(UIScreenWriter::ToRecords(*desc));
    ASSERT_EQ(345u, bytes.size());
    EXPECT_EQ(0x55, bytes[0]);
    EXPECT_EQ(0x49, bytes[1]);
    EXPECT_EQ(0x53, bytes[2]);
    EXPECT_EQ(0x46, bytes[3]);
    std::unique_ptr<ComponentDesc> back = UIScreenWriter::ReadScreenBytes(bytes);
    EXPECT_STREQ("root", back->GetId().c_str());
    EXPECT_STREQ("1.0.0", back->GetVersion().c_str());
}

TEST_F(SampleScreens, EachScreenReadsTheSameFromXmlAndBinary) {
    int screens = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(VARNOK_SOURCE_DATA_DIR) + "/ui/screens")) {
        if (entry.path().extension() != ".xml") {
            continue;
        }
        SCOPED_TRACE(entry.path().filename().string());
        ++screens;
        const std::string text = VarnokTest::ReadHostFile(entry.path().string());
        std::unique_ptr<ComponentDesc> fromXml = UIScreenWriter::ReadScreenXml(text, "sample");
        ASSERT_NE(nullptr, fromXml);
        // The game's own screens may be bare roots; the demo's and the gallery have content.
        const std::string file = entry.path().filename().string();
        if (file.rfind("demo", 0) == 0 || file == "uigallery.xml") {
            EXPECT_GT(fromXml->GetChildCount(), 0);
        }
        const std::vector<uint8_t> bytes =
            UIScreenWriter::ToBytes(UIScreenWriter::ToRecords(*fromXml));
        std::unique_ptr<ComponentDesc> fromBinary = UIScreenWriter::ReadScreenBytes(bytes);
        std::string why;
        EXPECT_TRUE(SameDesc(*fromXml, *fromBinary, why)) << why;

        // And it builds: classes without factories through their base chains.
        const AsciiString name(entry.path().stem().string().c_str());
        Component* screen = UIManager::Get().LoadScreenFromBytes(name, bytes.data(), bytes.size());
        ASSERT_NE(nullptr, screen);
        EXPECT_EQ(fromXml->GetChildCount(), screen->GetChildCount());
    }
    EXPECT_GE(screens, 4);  // the demo screens and the gallery, at least
}

TEST_F(SampleScreens, PressingPlaySwitchesTheMenuForThePanel) {
    UIManager& ui = UIManager::Get();
    for (const char* name : {"demomenu", "demopanel"}) {
        const std::string text =
            VarnokTest::ReadHostFile(std::string(VARNOK_SOURCE_DATA_DIR) + "/ui/screens/" + name + ".xml");
        std::unique_ptr<ComponentDesc> desc = UIScreenWriter::ReadScreenXml(text, name);
        ASSERT_NE(nullptr, desc);
        const std::vector<uint8_t> bytes = UIScreenWriter::ToBytes(UIScreenWriter::ToRecords(*desc));
        ASSERT_NE(nullptr, ui.LoadScreenFromBytes(AsciiString(name), bytes.data(), bytes.size()));
    }
    Component* menu = ui.FindComponent(AsciiString("demomenu"));
    Component* panel = ui.FindComponent(AsciiString("demopanel"));
    ASSERT_NE(nullptr, menu);
    ASSERT_NE(nullptr, panel);
    menu->GetEnabledProperty()->Set(true);  // displayed, as the game does
    panel->GetEnabledProperty()->Set(false);
    Component* play = menu->FindChild(AsciiString("play"));
    ASSERT_NE(nullptr, play);
    // The press itself switches: a touch that moves off the quad still counts.
    const std::vector<UICommandCall>& calls = play->OnTouchDownEvent.GetCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_STREQ("TransitionToScreen", calls[0].name.c_str());
    EXPECT_STREQ("PlaySound", calls[1].name.c_str());
    EXPECT_EQ(0, ui.ExecuteCommand(play, calls[0].name, calls[0].args));
    for (int frame = 0; frame < 30; ++frame) {
        ui.Update(1.0f / 30.0f);
    }
    EXPECT_FALSE(menu->IsEnabled());
    EXPECT_TRUE(panel->IsEnabled());
}

}  // namespace
}  // namespace Varnok
