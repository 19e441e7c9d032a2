// A UI manager over a temporary folder of UI files (project, definitions,
// screens), with the SKUs A -> B -> "~base" -> "~default", C -> "~default";
// "~base" is the primary SKU, under which plain values are kept.
#pragma once

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/ui/UIManager.h"
#include "tests/engine/core/FileTestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace Varnok {
namespace UITest {

class UIFilesTest : public testing::Test {
protected:
    void SetUp() override {
        m_mounted = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(m_dir.Path().c_str(), true),
            FileSystemKey("uifiles"), 60);
    }
    void TearDown() override {
        ui().Shutdown();
        FileSystemRegistry::Get().Remove(m_mounted);
    }

    // A file under the folder; folders are made as needed.
    void Write(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(m_dir / path).parent_path());
        VarnokTest::WriteHostFile(m_dir / path, text);
    }
    // A definition file for className under ui/components/.
    void Define(const std::string& lowerName, const std::string& body,
                const std::string& base = "") {
        std::string text = "<componentDefinition";
        if (!base.empty()) {
            text += " baseDefinition=\"" + base + "\"";
        }
        Write("ui/components/" + lowerName + ".xml", text + ">" + body + "</componentDefinition>");
    }

    static UIProjectSettings TestSettings() {
        UIProjectSettings settings;
        settings.rootPath = AsciiString("ui");
        settings.createsSimple2D = false;
        settings.createsDefaultTextures = false;
        auto add = [&](const char* name, const char* fallback) {
            settings.skus[AsciiString(name)] =
                UISkuDefinition{AsciiString(name), AsciiString(fallback), 480, 320};
        };
        add("A", "B");
        add("B", "~base");
        add("C", "~default");
        add("~base", "~default");
        return settings;
    }
    void InitUI(const char* activeSku = "A") { InitUI(TestSettings(), activeSku); }
    void InitUI(const UIProjectSettings& settings, const char* activeSku) {
        ui().Init(settings, AsciiString(activeSku));
        ui().SetScreenSize(Vector2{480.0f, 320.0f});
    }

    static UIManager& ui() { return UIManager::Get(); }
    UISkuDefinition* Sku(const char* name) { return ui().FindSku(AsciiString(name)); }

    VarnokTest::TempDir m_dir;
    FileSystem* m_mounted = nullptr;
};

}  // namespace UITest
}  // namespace Varnok
