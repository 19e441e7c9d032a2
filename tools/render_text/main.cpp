// render_text --text TEXT --out PNG [options]: draws TEXT headless with the
// engine's font manager and text label, writes the frame as PNG and, with
// --atlas, the first page of the glyph atlas.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/Log.h"
#include "engine/render/AtlasPixelFormat.h"
#include "engine/render/RenderTarget.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/TextureAtlas.h"
#include "engine/text/FontManager.h"
#include "engine/text/TextLabel.h"
#include "platform/FrameCapture.h"
#include "platform/OffscreenFramebuffer.h"
#include "platform/PlatformDisplay.h"

#include <GLES2/gl2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

const char kUsage[] =
    "usage: render_text --text TEXT --out PNG [options]\n"
    "  --font PATH       font in the bundle (default fontstruetype/miserable.ttf)\n"
    "  --size N          size in points at 100 dots per inch (default 32)\n"
    "  --effect NAME     none, outline, shadow, innerglow, bevel or gradient (default none)\n"
    "  --colour RRGGBB   fill colour (default ffffff)\n"
    "  --background RRGGBB  the picture's colour behind the text (default 203050)\n"
    "  --width W         picture width (default 512)\n"
    "  --height H        picture height (default 128)\n"
    "  --bundle DIR      the bundle (default: the build's)\n"
    "  --atlas PNG       also write the first glyph atlas page\n";

struct Options {
    std::string text;
    std::string out;
    std::string font = "fontstruetype/miserable.ttf";
    float size = 32.0f;
    std::string effect = "none";
    uint32_t colour = 0xFFFFFF;
    uint32_t background = 0x203050;
    int width = 512;
    int height = 128;
    std::string bundle = VARNOK_DEFAULT_BUNDLE_DIR;
    std::string atlas;
};

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--text") {
            options.text = value;
        } else if (name == "--out") {
            options.out = value;
        } else if (name == "--font") {
            options.font = value;
        } else if (name == "--size") {
            options.size = static_cast<float>(atof(value));
        } else if (name == "--effect") {
            options.effect = value;
        } else if (name == "--colour") {
            options.colour = static_cast<uint32_t>(strtoul(value, nullptr, 16));
        } else if (name == "--background") {
            options.background = static_cast<uint32_t>(strtoul(value, nullptr, 16));
        } else if (name == "--width") {
            options.width = atoi(value);
        } else if (name == "--height") {
            options.height = atoi(value);
        } else if (name == "--bundle") {
            options.bundle = value;
        } else if (name == "--atlas") {
            options.atlas = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !options.text.empty() && !options.out.empty() && options.size > 0.0f &&
           options.width > 0 && options.height > 0 && options.width <= 4096 && options.height <= 4096;
}

class Target final : public RenderTarget {
public:
    Target(const OffscreenFramebuffer& framebuffer, int width, int height)
        : m_framebuffer(framebuffer), m_width(width), m_height(height) {}
    uint32_t DefaultFramebuffer() const override { return m_framebuffer.Framebuffer(); }
    int FramebufferWidth() const override { return m_width; }
    int FramebufferHeight() const override { return m_height; }

private:
    const OffscreenFramebuffer& m_framebuffer;
    int m_width;
    int m_height;
};

// False for an effect name it does not know.
bool ApplyEffect(const std::string& effect, TextLabel& label) {
    if (effect == "outline") {
        label.SetOutline(2.0f, kColourBlack);
    } else if (effect == "shadow") {
        label.SetShadow(1.0f, Colour(0, 0, 0, 200), Vector3{3.0f, -3.0f, 0.0f}, 0);
    } else if (effect == "innerglow") {
        label.SetInnerGlow(3.0f, Colour(255, 255, 255, 220));
    } else if (effect == "bevel") {
        label.SetBevel(2.0f, 2.0f, 0.8f, 0.6f, Colour(255, 255, 230), Colour(60, 20, 0));
    } else if (effect == "gradient") {
        label.SetGradient(Colour(255, 240, 80), Colour(230, 60, 20), false);
    } else if (effect != "none") {
        return false;
    }
    return true;
}

// The page's pixels as RGBA rows; false for a format it cannot show.
bool PageToRgba(const TextureAtlasPage& page, std::vector<uint8_t>& outRgba) {
    const int bytes = AtlasPixelFormat::GetBytesPerPixel(page.GetFormat());
    const uint8_t* pixels = page.GetPixels();
    if (pixels == nullptr || (bytes != 1 && bytes != 2 && bytes != 4)) {
        return false;
    }
    const size_t count = static_cast<size_t>(page.GetWidth()) * static_cast<size_t>(page.GetHeight());
    outRgba.resize(count * 4);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = pixels + i * static_cast<size_t>(bytes);
        uint8_t* out = &outRgba[i * 4];
        // Shown over black, so that white glyphs on a clear page are seen.
        if (bytes == 4) {
            for (int c = 0; c < 3; ++c) {
                out[c] = static_cast<uint8_t>(p[c] * p[3] / 255);
            }
        } else {
            const uint8_t luminance = bytes == 2 ? p[1] : 255;
            out[0] = out[1] = out[2] = static_cast<uint8_t>(luminance * p[0] / 255);
        }
        out[3] = 255;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        fputs(kUsage, stderr);
        return 2;
    }
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(options.bundle.c_str(), true),
                                  FileSystemKey("base"), 0);
    std::unique_ptr<PlatformDisplay> display = CreateHeadlessDisplay();
    DisplayDef def;
    def.width = options.width;
    def.height = options.height;
    if (!display->Open(def)) {
        Log("render_text: no headless GL ES 2.0 context");
        return 1;
    }
    int status = 0;
    {
        OffscreenFramebuffer framebuffer;
        if (!framebuffer.Create(options.width, options.height)) {
            Log("render_text: no %dx%d framebuffer", options.width, options.height);
            return 1;
        }
        Target target(framebuffer, options.width, options.height);
        Renderer& renderer = Renderer::Get();
        renderer.SetTarget(&target);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.Framebuffer());
        renderer.Init(nullptr, "render_text", 0);
        glViewport(0, 0, options.width, options.height);
        const Colour background = Colour::FromPacked(0xFF000000u | options.background);
        glClearColor(background.r / 255.0f, background.g / 255.0f, background.b / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderer.SetDepthTest(false);

        FontManager& fonts = FontManager::Get();
        if (!fonts.Init(1.0f, 1.0f, FontManager::Rgba32, false)) {
            Log("render_text: fonts not started: %s", fonts.GetErrorText());
            return 1;
        }
        {
            TextLabel label(fonts.GetFont(options.font.c_str()), options.size, options.width, options.height,
                            kLabelAlignCentre | kLabelAlignMiddle, 0, 2);
            label.SetColour(Colour::FromPacked(0xFF000000u | options.colour), false);
            if (!ApplyEffect(options.effect, label)) {
                Log("render_text: unknown effect \"%s\"", options.effect.c_str());
                fonts.Shutdown();
                return 2;
            }
            label.SetText(options.text.c_str());
            RenderTransforms& transforms = RenderTransforms::Get();
            transforms.Reset();
            transforms.SetOrthographic(0.0f, static_cast<float>(-options.height), 0.0f,
                                       static_cast<float>(options.width), -1.0f, 1.0f);
            label.Draw(1.0f, 1.0f, 0.0f, false);
            glFinish();

            std::vector<uint8_t> rgba;
            if (!ReadFramebufferRgba(options.width, options.height, rgba) ||
                !WritePng(options.out.c_str(), options.width, options.height, rgba)) {
                Log("render_text: %s not written", options.out.c_str());
                status = 1;
            }
            const TextureAtlas* atlas = fonts.GetAtlas();
            const TextureAtlasPage* page = atlas != nullptr ? atlas->GetPage(0) : nullptr;
            if (!options.atlas.empty()) {
                std::vector<uint8_t> pageRgba;
                if (page == nullptr || !PageToRgba(*page, pageRgba) ||
                    !WritePng(options.atlas.c_str(), page->GetWidth(), page->GetHeight(), pageRgba)) {
                    Log("render_text: atlas page %s not written", options.atlas.c_str());
                    status = 1;
                }
            }
        }
        fonts.Shutdown();
        ShaderProgramCache::Get().Release();
        renderer.SetTarget(nullptr);
    }
    return status;
}
