// Shows one screen of the UI project on its own, headless, through the same
// shell the game program runs on: the screen's elements, animations and
// input as the game would get them, frames written as PNG files. Made for
// looking at elements and for tests that check their pixels.
#include "engine/audio/SoundManager.h"
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/FileUtil.h"
#include "engine/core/InputManager.h"
#include "engine/core/Log.h"
#include "engine/iOS/FrameRateController.h"
#include "engine/iOS/PngFrameWriter.h"
#include "engine/iOS/VarnokGame.h"
#include "engine/iOS/VarnokTouchAppDelegate.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/services/ApplicationUIHost.h"
#include "engine/text/FontManager.h"
#include "engine/ui/UIManager.h"
#include "platform/DesktopServices.h"
#include "platform/InputScript.h"
#include "platform/PlatformDisplay.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

constexpr int kDefaultFrames = 60;
constexpr int kMaxSide = 8192;
constexpr const char* kUiProjectPath = "xml/TamberloFelis_skuLayout.xml";
constexpr const char* kUiSku = "~iPhone";
constexpr Colour kClearColour{0, 0, 0, 255};

const char kUsage[] =
    "usage: ui_gallery SCREEN [options]\n"
    "  --frames N            stop after N frames (default 60)\n"
    "  --input SCRIPT        replay timed touches and typing from SCRIPT\n"
    "  --capture DIR         write presented frames to DIR as PNG files\n"
    "  --capture-every N     capture every Nth frame (default 1)\n"
    "  --size WxH            framebuffer size in pixels (default 480x320)\n"
    "  --bundle DIR          the data (default: the build's bundle)\n"
    "  --documents DIR       save folder (default: a folder under TMPDIR)\n"
    "  --help                this text\n";

struct Options {
    std::string screen;
    int frames = kDefaultFrames;
    std::string inputScript;
    std::string captureDir;
    int captureEvery = 1;
    int width = 480;
    int height = 320;
    std::string bundleDir = VARNOK_DEFAULT_BUNDLE_DIR;
    std::string documentsDir;
};

// The one screen, shown alone on the project's layers.
class GalleryGame final : public VarnokGame {
public:
    static std::string s_screen;
    static std::unique_ptr<VarnokGame> Create() { return std::make_unique<GalleryGame>(); }

    void SetPaths(const char* bundleDir, const char* documentsDir, const char*) override {
        FileSystemRegistry& files = FileSystemRegistry::Get();
        files.Clear();
        files.Add(std::make_unique<DirectoryFileSystem>(bundleDir, true), FileSystemKey("base"), 0);
        files.Add(std::make_unique<DirectoryFileSystem>(documentsDir, false), FileSystemKey("save"), 2);
    }

    void InitialiseStage1(void*, void*) override {}

    void Initialise(void*, void*) override {
        FrameRateController::Get().Init();
        RenderTransforms::Get().Reset();
        Renderer& renderer = Renderer::Get();
        renderer.Init(this, "ui_gallery", 0);
        renderer.SetClearColour(kClearColour);
        InputManager::Get().CreateDevices();
        (void)SoundManager::Get().Init(nullptr, 0, 0);  // screens may play sounds
        FontManager& fonts = FontManager::Get();
        if (!fonts.IsInitialised()) {
            if (fonts.Init(1.0f, 1.0f, FontManager::Rgba32, false)) {
                m_startedFonts = true;
            } else {
                Log("ui_gallery: no fonts: %s", fonts.GetErrorText());
            }
        }
        m_initialised = true;
        // Before the project loads: its set-up creates the keyboard's field.
        m_host.Install();
        UIManager& ui = UIManager::Get();
        if (ui.LoadProject(kUiProjectPath, AsciiString(kUiSku)) != 0) {
            Log("ui_gallery: the UI project \"%s\" did not load", kUiProjectPath);
            return;
        }
        for (const auto& layer : ui.GetSettings().layers) {
            m_layers.push_back(layer.second);
        }
        std::sort(m_layers.begin(), m_layers.end());
        m_layers.erase(std::unique(m_layers.begin(), m_layers.end()), m_layers.end());
        m_shown = ui.LoadScreenEnabled(AsciiString(s_screen.c_str())) != nullptr;
        if (!m_shown) {
            Log("ui_gallery: no screen \"%s\"", s_screen.c_str());
        }
    }

    void Update(float stepSeconds) override {
        InputManager::Get().Update(stepSeconds);
        if (m_shown) {
            UIManager::Get().Update(stepSeconds);
        }
    }

    void Render(float) override {
        if (!m_shown) {
            return;
        }
        UIManager& ui = UIManager::Get();
        for (int32_t layer : m_layers) {
            ui.Draw(layer);
        }
    }

    void Shutdown() override {
        if (!m_initialised) {
            return;
        }
        m_initialised = false;
        m_shown = false;
        UIManager& ui = UIManager::Get();
        if (ui.IsInitialised()) {
            ui.Shutdown();  // labels and textures go while GL is there
        }
        m_host.Uninstall();
        if (m_startedFonts) {
            FontManager::Get().Shutdown();
            m_startedFonts = false;
        }
        InputManager::Get().Shutdown();
        ImmediatePrimitiveRenderer::Get().Release();
        ShaderProgramCache::Get().Release();
        FrameRateController::Get().Shutdown();
    }

    bool IsShowing() const { return m_shown; }

private:
    // Text fields raise the shell's keyboard, toggles read registered
    // variables, as in the game.
    ApplicationUIHost m_host;
    bool m_initialised = false;
    bool m_startedFonts = false;
    bool m_shown = false;
    std::vector<int32_t> m_layers;
};

std::string GalleryGame::s_screen;

bool ReadCount(const char* text, int& out) {
    char* end = nullptr;
    const long value = strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 100000000) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

bool ReadSize(const char* text, int& width, int& height) {
    int w = 0;
    int h = 0;
    char tail = 0;
    if (sscanf(text, "%dx%d%c", &w, &h, &tail) != 2 || w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) {
        return false;
    }
    width = w;
    height = h;
    return true;
}

// 0 to run, 1 for --help, 2 for a command-line fault (with a message).
int ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (strcmp(option, "--help") == 0 || strcmp(option, "-h") == 0) {
            fputs(kUsage, stdout);
            return 1;
        }
        if (strcmp(option, "--headless") == 0) {
            continue;  // always headless; taken for ./run's sake
        }
        if (option[0] != '-') {
            if (!options.screen.empty()) {
                fprintf(stderr, "ui_gallery: one screen only (\"%s\" and \"%s\")\n", options.screen.c_str(), option);
                return 2;
            }
            options.screen = option;
            continue;
        }
        if (i + 1 >= argc) {
            fprintf(stderr, "ui_gallery: %s needs a value (or is unknown)\n%s", option, kUsage);
            return 2;
        }
        const char* value = argv[++i];
        bool good = true;
        if (strcmp(option, "--frames") == 0) {
            good = ReadCount(value, options.frames);
        } else if (strcmp(option, "--capture-every") == 0) {
            good = ReadCount(value, options.captureEvery);
        } else if (strcmp(option, "--size") == 0) {
            good = ReadSize(value, options.width, options.height);
        } else if (strcmp(option, "--input") == 0) {
            options.inputScript = value;
        } else if (strcmp(option, "--capture") == 0) {
            options.captureDir = value;
        } else if (strcmp(option, "--bundle") == 0) {
            options.bundleDir = value;
        } else if (strcmp(option, "--documents") == 0) {
            options.documentsDir = value;
        } else {
            fprintf(stderr, "ui_gallery: unknown option %s\n%s", option, kUsage);
            return 2;
        }
        if (!good) {
            fprintf(stderr, "ui_gallery: %s \"%s\" is not valid\n", option, value);
            return 2;
        }
    }
    if (options.screen.empty()) {
        fprintf(stderr, "ui_gallery: no screen named\n%s", kUsage);
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const int parsed = ParseOptions(argc, argv, options);
    if (parsed != 0) {
        return parsed == 1 ? 0 : 2;
    }
    if (options.documentsDir.empty()) {
        const char* tmp = getenv("TMPDIR");
        options.documentsDir = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/ui_gallery_documents";
    }
    for (const std::string& dir : {options.documentsDir, options.captureDir}) {
        if (!dir.empty() && !CreateDirectory(dir.c_str())) {
            Log("ui_gallery: cannot create the folder \"%s\"", dir.c_str());
        }
    }
    InputScript script;
    const bool haveScript = !options.inputScript.empty() && script.Load(options.inputScript.c_str());
    if (!options.inputScript.empty() && !haveScript) {
        Log("ui_gallery: input script \"%s\" not read, running without one", options.inputScript.c_str());
    }
    DisplayDef displayDef;
    displayDef.width = options.width;
    displayDef.height = options.height;
    displayDef.title = "ui_gallery";
    std::unique_ptr<PlatformDisplay> display = OpenBestDisplay(displayDef, true);
    if (display == nullptr) {
        Log("ui_gallery: no display could be opened");
        return 1;
    }
    InstallQuitSignalHandlers();
    GalleryGame::s_screen = options.screen;
    VarnokGame::SetFactory(&GalleryGame::Create);
    ShellDef shell;
    shell.display = display.get();
    shell.services = CreateDesktopServices(DesktopServicesDef{false, false});
    shell.bundleDir = options.bundleDir;
    shell.documentsDir = options.documentsDir;
    shell.cachesDir = options.documentsDir;
    bool shown = false;
    {
        VarnokTouchAppDelegate app(shell);
        app.SetInputScript(haveScript ? &script : nullptr);
        PngFrameWriter writer(options.captureDir, options.captureEvery, "ui_gallery");
        if (!options.captureDir.empty()) {
            app.viewController().SetFrameObserver(&writer);
        }
        app.Launch(LaunchOptions{});
        while (!app.IsTerminated() && app.GetRefreshCount() < options.frames) {
            app.RunDisplayRefresh();
            if (auto* game = static_cast<GalleryGame*>(VarnokGame::Get())) {
                shown = game->IsShowing();
            }
        }
        if (!app.IsTerminated()) {
            app.viewController().presentHeldFrame();  // the last frame drawn
        }
        app.viewController().SetFrameObserver(nullptr);
        app.applicationWillTerminate();
    }
    return shown ? 0 : 1;
}
