// The game's application object: what the game answers through the engine's
// game base class, the file systems it mounts, the device classes, the
// language mapping and the start-up logo that fades over the first frames.
// Main thread only.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/iOS/VarnokGame.h"
#include "engine/render/Texture.h"
#include "game/GameStartup.h"

#include <cstdint>
#include <memory>

namespace Varnok {

// How the start-up logo shows at a fade value: grey level and alpha 0..255,
// and its scale over the logical screen.
struct LogoLook {
    uint8_t grey = 0;
    uint8_t alpha = 0;
    float scale = 1.0f;
};

class GameApplication : public VarnokGame {
public:
    static constexpr int kDeviceTextBytes = 256;
    static constexpr int kArchivePathBytes = 512;
    static constexpr float kLogoStartAlpha = 1.5f;
    static constexpr float kLogoFadePerSecond = 2.0f;
    // The password of the bundle's "fruit.bin" archive: 72 printable characters.
    static constexpr const char* kFruitArchivePassword =
        "Tamberlo-fruit-archive/7Qw2Lk9Zp4Xv8Ns3Rb6Hd1Jm5Tc0Gy!Ue;Fo+Ia=Wk~Pe^Olx";

    // The factory the program registers with VarnokGame::SetFactory.
    static std::unique_ptr<VarnokGame> Create();
    // The live game object when it is a GameApplication, else null.
    static GameApplication* Get();

    GameApplication();
    ~GameApplication() override;

    // Empties the file-system registry and mounts "base", "save",
    // "saveBin", "fileZip" (when the bundle has "assets.zip"), the
    // "ServiceManagerOffline" view of its "services/offline" folder (mounted
    // in every case) and "zip" (the bundle's password-protected "fruit.bin"
    // under "fruit/"). A null path counts as empty; a "fruit.bin" path too
    // long for its buffer is refused with one log line.
    void MountFileSystems(const char* bundlePath, const char* documentsPath);
    // Low-end: "iPhone 1G", "iPhone 3G", "iPod Touch 1G", and "iPod Touch 2G"
    // on a system whose version starts with '3' or lower. Answers whether the
    // device is slow (the first three only). Keeps both texts when given.
    bool SetDeviceModel(const char* model, const char* osVersion);

    // ---- what the shell calls ----
    bool IsSlowDevice(const char* modelName, const char* systemVersion) override;
    float GetContentScale() const override { return 2.0f; }
    const char* GetSocialConsumerKey() const override;
    const char* GetSocialConsumerSecret() const override;
    const char* GetDisplayName() const override { return "Tamberlo"; }
    const char* Extension3() const override { return "FIX!"; }
    void SetPaths(const char* bundleDir, const char* documentsDir, const char* cachesDir) override;
    void Update(float stepSeconds) override;
    void Render(float elapsedSeconds) override;
    // Maps the language code to the game's language index.
    void InitialiseStage1(void* reserved1, void* reserved2) override;
    // Takes the logo (the shell's loading texture, else the bundle's).
    void Initialise(void* reserved1, void* reserved2) override;
    void Shutdown() override;
    void Suspend() override;
    void Resume() override;
    const char* GetDefaultVersion() const override { return "1.0.4"; }

    // From 1.5 to 1.0 full colour at scale 1.01; to 0.5 darkening to black
    // while growing to 2.01; below, black fading out at scale 1.01.
    static LogoLook LogoLookFor(float logoAlpha);
    // Draws the logo over everything while it fades; nothing once it is gone.
    void RenderLogoOverlay();

    // The index of a language code: "fr" 2 ... "ar" 20; any other 0.
    static uint8_t LanguageIndexOf(const char* languageCode);

    bool IsFastDevice() const { return IsFastHardware(); }
    bool IsLowEndDevice() const { return m_lowEndDevice; }
    bool IsInitialised() const { return m_initialised; }
    int32_t GetOrientationCode() const { return m_orientationCode; }
    const char* GetDeviceModel() const { return m_deviceModel; }
    const char* GetOsVersion() const { return m_osVersion; }
    float GetLogoAlpha() const { return m_logoAlpha; }
    const SmartPtr<Texture>& GetLogoTexture() const { return m_logoTexture; }
    // The set-up's steps in the order they ran on the first frame.
    const StartupTrace& GetStartupTrace() const { return m_startupTrace; }

private:
    bool m_lowEndDevice = false;
    bool m_initialised = false;
    int32_t m_orientationCode = 0;  // nothing sets it
    char m_deviceModel[kDeviceTextBytes] = {};
    char m_osVersion[kDeviceTextBytes] = {};
    SmartPtr<Texture> m_logoTexture;
    float m_logoAlpha = kLogoStartAlpha;
    StartupTrace m_startupTrace;
};

}  // namespace Varnok
