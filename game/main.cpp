// The game program: opens a window (or runs headless), starts the shell with
// the game, and runs the display loop; headless runs replay an input script
// and can write frames to PNG files.
#include "engine/core/Clock.h"
#include "engine/core/FileUtil.h"
#include "engine/core/Log.h"
#include "engine/iOS/AppleICloudHelper.h"
#include "engine/iOS/PngFrameWriter.h"
#include "engine/iOS/PushNotification.h"
#include "engine/iOS/VarnokTouchAppDelegate.h"
#include "game/AutoPlay.h"
#include "game/DemoGame.h"
#include "game/GameApplication.h"
#include "game/SliceScene.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/RunOptions.h"
#include "platform/DesktopServices.h"
#include "platform/InputScript.h"
#include "platform/KeyValueStoreFile.h"
#include "platform/PlatformDisplay.h"
#include "platform/SignInClientStandIn.h"
#include "providers/Klui/SignInClient.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

constexpr int kDefaultHeadlessFrames = 300;
constexpr int kMaxSide = 8192;
// An autoplayed game runs on this long after its results open, and stops
// here at the latest when no frame count is given (20 minutes of play).
constexpr int kFramesAfterResults = 45;
constexpr int kMaxAutoplayFrames = 72000;
// A seeded run's calendar starts here (1 January 2026, 00:00 UTC).
constexpr int64_t kSeededStartTime = 1767225600;

const char kUsage[] =
    "usage: varnok_game [options]\n"
    "  --headless            run without a window (the default when no display is set)\n"
    "  --frames N            stop after N frames (headless default 300; a window runs until closed)\n"
    "  --input SCRIPT        replay timed touches from SCRIPT\n"
    "  --capture DIR         write presented frames to DIR as PNG files\n"
    "  --capture-every N     capture every Nth frame (default 1)\n"
    "  --size WxH            window or framebuffer size in pixels (default 960x640)\n"
    "  --documents DIR       save folder (default ~/.local/share/varnok)\n"
    "  --caches DIR          cache folder (default ~/.cache/varnok)\n"
    "  --bundle DIR          the game's data (default: the build's bundle)\n"
    "  --open-url URL        hand the game URL as if another application opened it\n"
    "  --notification JSON   deliver a remote notification with this payload\n"
    "  --xdg-open            let URLs the game opens go to xdg-open (otherwise only logged)\n"
    "  --scene NAME          what to run: game (default), demo (the UI's sample screens), slice (a fan of fruit to cut)\n"
    "  --seed N              make the run repeatable: N fixes the clock, the date and the random draws\n"
    "  --autoplay MODE       a bot blade plays a round of MODE (classic) without the menus until its results\n"
    "  --help                this text\n";

struct Options {
    bool headless = false;
    int frames = -1;  // -1: the mode's default
    std::string inputScript;
    std::string captureDir;
    int captureEvery = 1;
    int width = 960;
    int height = 640;
    std::string documentsDir;
    std::string cachesDir;
    std::string bundleDir = VARNOK_DEFAULT_BUNDLE_DIR;
    std::vector<std::string> openUrls;
    std::vector<std::string> notifications;
    bool xdgOpen = false;
    std::string scene = "game";
    RunOptions run;
};

// What the program can run, by the name --scene takes.
struct Scene {
    const char* name;
    VarnokGame::Factory factory;
};

const Scene kScenes[] = {
    {"game", &GameApplication::Create},
    {"demo", &DemoGame::Create},
    {"slice", &SliceScene::Create},
};

const Scene* FindScene(const std::string& name) {
    for (const Scene& scene : kScenes) {
        if (name == scene.name) {
            return &scene;
        }
    }
    return nullptr;
}

// A positive count, or the fallback with a log line.
int ReadCount(const char* option, const char* text, int fallback) {
    char* end = nullptr;
    const long value = strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 100000000) {
        Log("varnok_game: %s \"%s\" is not a positive count, using %d", option, text, fallback);
        return fallback;
    }
    return static_cast<int>(value);
}

void ReadSize(const char* text, Options& options) {
    int width = 0;
    int height = 0;
    char tail = 0;
    if (sscanf(text, "%dx%d%c", &width, &height, &tail) != 2 || width < 1 || height < 1 ||
        width > kMaxSide || height > kMaxSide) {
        Log("varnok_game: --size \"%s\" is not WxH, using %dx%d", text, options.width, options.height);
        return;
    }
    options.width = width;
    options.height = height;
}

// 0 to run, 1 for --help, 2 for a command-line fault.
int ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&]() -> const char* { return argv[++i]; };
        if (strcmp(option, "--help") == 0 || strcmp(option, "-h") == 0) {
            fputs(kUsage, stdout);
            return 1;
        } else if (strcmp(option, "--headless") == 0) {
            options.headless = true;
        } else if (strcmp(option, "--xdg-open") == 0) {
            options.xdgOpen = true;
        } else if (!hasValue) {
            fprintf(stderr, "varnok_game: %s needs a value (or is unknown)\n%s", option, kUsage);
            return 2;
        } else if (strcmp(option, "--frames") == 0) {
            options.frames = ReadCount(option, value(), kDefaultHeadlessFrames);
        } else if (strcmp(option, "--input") == 0) {
            options.inputScript = value();
        } else if (strcmp(option, "--capture") == 0) {
            options.captureDir = value();
        } else if (strcmp(option, "--capture-every") == 0) {
            options.captureEvery = ReadCount(option, value(), 1);
        } else if (strcmp(option, "--size") == 0) {
            ReadSize(value(), options);
        } else if (strcmp(option, "--documents") == 0) {
            options.documentsDir = value();
        } else if (strcmp(option, "--caches") == 0) {
            options.cachesDir = value();
        } else if (strcmp(option, "--bundle") == 0) {
            options.bundleDir = value();
        } else if (strcmp(option, "--open-url") == 0) {
            options.openUrls.push_back(value());
        } else if (strcmp(option, "--notification") == 0) {
            options.notifications.push_back(value());
        } else if (strcmp(option, "--seed") == 0) {
            const char* text = value();
            char* end = nullptr;
            const unsigned long long seed = strtoull(text, &end, 10);
            if (end == text || *end != '\0' || text[0] == '-' || seed > 0xFFFFFFFFull) {
                fprintf(stderr, "varnok_game: --seed \"%s\" is not a number from 0 to 4294967295\n", text);
                return 2;
            }
            options.run.seeded = true;
            options.run.seed = static_cast<uint32_t>(seed);
        } else if (strcmp(option, "--autoplay") == 0) {
            options.run.autoplay = value();
            if (options.run.autoplay != "classic") {
                fprintf(stderr, "varnok_game: --autoplay knows only \"classic\", not \"%s\"\n", options.run.autoplay.c_str());
                return 2;
            }
        } else if (strcmp(option, "--scene") == 0) {
            options.scene = value();
            if (FindScene(options.scene) == nullptr) {
                fprintf(stderr, "varnok_game: no scene \"%s\"\n%s", options.scene.c_str(), kUsage);
                return 2;
            }
        } else {
            fprintf(stderr, "varnok_game: unknown option %s\n%s", option, kUsage);
            return 2;
        }
    }
    return 0;
}

// Under HOME, or the working folder when HOME is not set.
std::string HomePath(const char* relative) {
    const char* home = getenv("HOME");
    std::string path = home != nullptr && home[0] != '\0' ? home : ".";
    return path + "/" + relative;
}

// Wall-clock time of each display refresh of a headless run but the first
// (which initialises the game), for the line printed at the end.
class FrameTimer {
public:
    explicit FrameTimer(int frames) { m_milliseconds.reserve(frames > 0 ? static_cast<size_t>(frames) : 0); }

    void Begin() { m_begin = std::chrono::steady_clock::now(); }
    void End() {
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - m_begin;
        m_milliseconds.push_back(took.count());
    }

    // One line: median and maximum frame time and frames per second.
    void Print(bool capturing) {
        if (m_milliseconds.empty()) {
            return;
        }
        double total = 0.0;
        for (double ms : m_milliseconds) {
            total += ms;
        }
        const double longest = *std::max_element(m_milliseconds.begin(), m_milliseconds.end());
        std::nth_element(m_milliseconds.begin(), m_milliseconds.begin() + m_milliseconds.size() / 2,
                         m_milliseconds.end());
        const double median = m_milliseconds[m_milliseconds.size() / 2];
        printf("varnok_game: %zu headless frames (the first left out), frame time median %.3f ms, max %.3f ms, "
               "%.1f frames per second%s\n",
               m_milliseconds.size(), median, longest, 1000.0 * static_cast<double>(m_milliseconds.size()) / total,
               capturing ? " (PNG capture included)" : "");
    }

private:
    std::chrono::steady_clock::time_point m_begin;
    std::vector<double> m_milliseconds;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const int parsed = ParseOptions(argc, argv, options);
    if (parsed != 0) {
        return parsed == 1 ? 0 : 2;
    }
    if (options.documentsDir.empty()) {
        options.documentsDir = HomePath(".local/share/varnok");
    }
    if (options.cachesDir.empty()) {
        options.cachesDir = HomePath(".cache/varnok");
    }
    for (const std::string& dir : {options.documentsDir, options.cachesDir, options.captureDir}) {
        if (!dir.empty() && !CreateDirectory(dir.c_str())) {
            Log("varnok_game: cannot create the folder \"%s\"", dir.c_str());
        }
    }

    // Saved logins travel in the key-value store the player's devices share;
    // a social sign-in comes back through the launch-URL dispatcher.
    SetUbiquitousKeyValueStore(std::make_shared<KeyValueStoreFile>(DefaultKeyValueStorePath(options.documentsDir)));
    SetSignInClient(std::make_shared<SignInClientStandIn>());

    InputScript script;
    const bool haveScript = !options.inputScript.empty() && script.Load(options.inputScript.c_str());
    if (!options.inputScript.empty() && !haveScript) {
        Log("varnok_game: input script \"%s\" not read, running without one", options.inputScript.c_str());
    }

    DisplayDef displayDef;
    displayDef.width = options.width;
    displayDef.height = options.height;
    displayDef.title = "Varnok";
    std::unique_ptr<PlatformDisplay> display = OpenBestDisplay(displayDef, options.headless);
    if (display == nullptr) {
        Log("varnok_game: no display could be opened");
        return 1;
    }
    const bool windowed = !display->IsOffscreen();
    const bool autoplay = !options.run.autoplay.empty();
    int frames = options.frames;
    if (frames < 0 && autoplay) {
        frames = kMaxAutoplayFrames;
    } else if (frames < 0 && !windowed) {
        frames = kDefaultHeadlessFrames;
    }
    InstallQuitSignalHandlers();
    SetRunOptions(options.run);
    if (options.run.seeded) {
        SetFixedClock(kSeededStartTime);
    }
    VarnokGame::SetFactory(FindScene(options.scene)->factory);
    ShellDef shell;
    shell.display = display.get();
    shell.services = CreateDesktopServices(DesktopServicesDef{windowed, options.xdgOpen});
    shell.bundleDir = options.bundleDir;
    shell.documentsDir = options.documentsDir;
    shell.cachesDir = options.cachesDir;
    {
        VarnokTouchAppDelegate app(shell);
        app.SetInputScript(haveScript ? &script : nullptr);
        PngFrameWriter capturer(options.captureDir, options.captureEvery, "varnok_game");
        if (!options.captureDir.empty()) {
            app.viewController().SetFrameObserver(&capturer);
        }
        FrameTimer timer(frames);
        AutoPlayDef botDef;
        botDef.seed = options.run.seed;
        botDef.screenWidth = LogicalScreenHeight() * static_cast<float>(options.width) / static_cast<float>(options.height);
        botDef.screenHeight = LogicalScreenHeight();
        AutoPlayRun bot(botDef);
        app.Launch(LaunchOptions{});
        while (!app.IsTerminated() && (frames < 0 || app.GetRefreshCount() < frames)) {
            if (autoplay) {
                bot.BeforeRefresh(app.GetRefreshCount(), app);
                if (bot.IsOver(app.GetRefreshCount(), kFramesAfterResults)) {
                    break;
                }
            }
            // After the first frame, once the game listens.
            if (app.GetRefreshCount() == 1) {
                for (const std::string& url : options.openUrls) {
                    app.InjectOpenedUrl(url.c_str(), nullptr);
                }
                for (const std::string& json : options.notifications) {
                    PlatformDictionary payload;
                    if (ReadPayloadJson(json.c_str(), "--notification", payload)) {
                        app.didReceiveRemoteNotification(payload);
                    }
                }
            }
            const bool timed = !windowed && app.GetRefreshCount() > 0;
            if (timed) {
                timer.Begin();
            }
            app.RunDisplayRefresh();
            if (timed) {
                timer.End();
            }
        }
        if (!app.IsTerminated()) {
            // The frame count is reached: the last frame drawn is shown too.
            app.viewController().presentHeldFrame();
        }
        app.viewController().SetFrameObserver(nullptr);
        app.applicationWillTerminate();
        if (!windowed) {
            timer.Print(!options.captureDir.empty());
        }
        if (autoplay) {
            bot.Stop(app.GetRefreshCount());
            printf("varnok_game: autoplay %s: score %d, misses %d, ended by %s, %d frames, %d strokes\n",
                   options.run.autoplay.c_str(), static_cast<int>(bot.GetScore()), bot.GetMisses(),
                   AutoPlayEndName(bot.GetEnd()), app.GetRefreshCount(), bot.GetBot().GetStrokeCount());
        }
    }
    return 0;
}
