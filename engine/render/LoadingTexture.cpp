// Choosing, reading and converting the launch image.
#include "engine/render/LoadingTexture.h"

#include "engine/core/FilePath.h"
#include "engine/core/Log.h"
#include "engine/render/ImageDecoder.h"
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureSizeAdapters.h"

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace Varnok {
namespace {

// The aspects of the tall phone screen (1136 x 640) either way round.
constexpr float kTallPhoneAspect = 1.775f;
constexpr float kTallPhoneAspectInverse = 0.5633803f;

std::shared_ptr<ImageDecoder>& DecoderSlot() {
    static std::shared_ptr<ImageDecoder> decoder;
    return decoder;
}

AsciiString LaunchImagePath(const char* bundleDir, const char* name) {
    AsciiString file(name);
    file.Append(".png");
    return JoinHostPath(bundleDir, file.c_str());
}

bool LaunchImageExists(const char* bundleDir, const char* name) {
    struct stat info;
    return stat(LaunchImagePath(bundleDir, name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsTallPhone(float aspect) {
    return std::fabs(aspect - kTallPhoneAspect) < 1e-6f ||
           std::fabs(aspect - kTallPhoneAspectInverse) < 1e-6f;
}

}  // namespace

AsciiString ChooseLaunchImage(const char* bundleDir, const LaunchImageDef& def) {
    const char* const kLandscape[] = {"Default-iPad-Landscape~ipad", "Default-Landscape~ipad",
                                      "Default-568h@2x", "Default-Landscape-568h@2x",
                                      "Default-Landscape@2x", "Default-Landscape"};
    const char* const kPortrait[] = {"Default-iPad-Portrait~ipad", "Default-Portrait~ipad",
                                     "Default-568h@2x", "Default-Portrait-568h@2x",
                                     "Default-Portrait@2x", "Default-Portrait"};
    const char* const* names = def.portrait ? kPortrait : kLandscape;
    auto exists = [bundleDir](const char* name) { return LaunchImageExists(bundleDir, name); };

    const char* candidate = "Default";
    if (def.tablet) {
        candidate = exists(names[0]) ? names[0] : names[1];
    } else if (def.retina && IsTallPhone(def.aspect)) {
        candidate = exists(names[2]) ? names[2] : exists(names[3]) ? names[3] : names[4];
    } else if (def.retina) {
        candidate = names[4];
    }
    if (!exists(candidate)) {
        candidate = names[5];
    }
    if (!exists(candidate)) {
        candidate = "Default";
    }
    return AsciiString(candidate);
}

void SetLaunchImageDecoder(std::shared_ptr<ImageDecoder> decoder) {
    DecoderSlot() = std::move(decoder);
}

SmartPtr<Texture> CreateLoadingTexture(const char* bundleDir, const LaunchImageDef& def) {
    const AsciiString name = ChooseLaunchImage(bundleDir, def);
    if (!LaunchImageExists(bundleDir, name.c_str())) {
        return nullptr;  // the launch image is optional
    }
    const AsciiString path = LaunchImagePath(bundleDir, name.c_str());
    ImageDecoder* decoder = DecoderSlot().get();
    if (decoder == nullptr) {
        Log("LoadingTexture: no image decoder installed, %s not shown", path.c_str());
        return nullptr;
    }
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    if (!decoder->DecodeFile(path.c_str(), width, height, rgba)) {
        return nullptr;
    }
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF ||
        rgba.size() != size_t(width) * height * 4) {
        Log("LoadingTexture: %s decoded to %dx%d with %zu bytes, not shown", path.c_str(), width,
            height, rgba.size());
        return nullptr;
    }
    // Drawn as a premultiplied bitmap would hold it.
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        const unsigned alpha = rgba[i + 3];
        for (size_t c = 0; c < 3; ++c) {
            rgba[i + c] = static_cast<uint8_t>((rgba[i + c] * alpha + 127) / 255);
        }
    }

    // Scaled to power-of-two sizes, which then are its size in layout too.
    SmartPtr<TextureSource> original(new MemoryBlockTextureSource(
        RgbaDescription(static_cast<uint16_t>(width), static_cast<uint16_t>(height)), rgba.data(),
        rgba.size(), false));
    SmartPtr<TextureSource> scaled(new TextureLayerScaler(original, TextureSizeMode::RoundUp));
    TextureImageLock lock(scaled);
    const TextureImage* image = lock.GetImage();
    if (image == nullptr) {
        return nullptr;
    }
    size_t byteCount = 0;
    const uint8_t* pixels = image->GetData(0, 0, byteCount);
    // The source copies the pixels and keeps them for as long as the texture
    // may read them again (a restore, a change of its source).
    SmartPtr<TextureSource> source(new MemoryBlockTextureSource(
        RgbaDescription(image->description.width, image->description.height), pixels, byteCount,
        true));
    lock.Clear();
    return Texture2D::Create(source, 0, TextureCreateMode::Scale);
}

}  // namespace Varnok
