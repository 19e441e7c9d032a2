// The engine's game base class: the one object through which the application
// shell drives a game. A game derives from it and overrides what it needs.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/iOS/ScreenOrientation.h"
#include "engine/render/Texture.h"

#include <memory>

namespace Varnok {

class VarnokGame {
public:
    // Makes the game object; the program registers one before the shell starts.
    using Factory = std::unique_ptr<VarnokGame> (*)();

    static constexpr int kVersionTextSize = 64;
    static constexpr int kLanguageCodeSize = 32;
    static constexpr int kPlatformNameSize = 64;

    VarnokGame();
    virtual ~VarnokGame();
    VarnokGame(const VarnokGame&) = delete;
    VarnokGame& operator=(const VarnokGame&) = delete;

    static void SetFactory(Factory factory);
    // A new game from the registered factory; null (with a log line) when
    // none is registered or it made none.
    static std::unique_ptr<VarnokGame> CreateFromFactory();
    // The live game object (the last one constructed and not yet deleted),
    // null when there is none.
    static VarnokGame* Get();

    // Keeps the text and reads it with ParseGameVersion (GameVersion.h).
    // Also resets the platform to "IPHONE" without fast hardware, so the
    // platform is set after the version.
    void SetVersion(const char* text);
    void SetPlatform(const char* modelName, bool fastHardware);

    const char* GetFormattedVersion() const { return m_formattedVersion; }
    const char* GetLanguageCode() const { return m_languageCode; }
    const char* GetPlatformName() const { return m_platformName; }
    int GetVersionNumber() const { return m_versionNumber; }
    int GetMajorVersion() const { return m_major; }
    int GetMinorVersion() const { return m_minor; }
    int GetPatchVersion() const { return m_patch; }

    virtual const char* GetVersionText() const { return m_versionText; }
    virtual bool IsFastHardware() const { return m_fastHardware; }
    virtual bool IsVersionSet() const { return m_versionSet; }
    // True for "iPhone 1G", "iPhone 3G" and "iPod Touch 1G"; the system
    // version is not used here.
    virtual bool IsSlowDevice(const char* modelName, const char* systemVersion);
    virtual float GetContentScale() const { return 1.0f; }
    // 1: present the previous frame before drawing the next one.
    virtual int PresentBeforeRender() const { return 1; }
    virtual void Extension1() {}
    virtual void Extension2() {}
    virtual const char* GetSocialConsumerKey() const { return nullptr; }
    virtual const char* GetSocialConsumerSecret() const { return nullptr; }
    virtual const char* GetDisplayName() const { return nullptr; }
    virtual const char* Extension3() const { return nullptr; }
    // Frames per second.
    virtual double GetTargetFrameRate() const { return 60.0; }
    virtual int Extension4() { return 0; }
    // UTF-8 directory paths.
    virtual void SetPaths(const char* bundleDir, const char* documentsDir, const char* cachesDir);
    virtual void Extension5() {}
    virtual void Update(float stepSeconds) { (void)stepSeconds; }
    virtual void BackgroundUpdate(float stepSeconds) { (void)stepSeconds; }
    virtual void Render(float elapsedSeconds) { (void)elapsedSeconds; }
    // The shell passes null for both.
    virtual void InitialiseStage1(void* reserved1, void* reserved2) = 0;
    virtual void Initialise(void* reserved1, void* reserved2) = 0;
    virtual void Shutdown() {}
    virtual void Suspend() {}
    virtual void Resume() {}
    virtual const char* GetDefaultVersion() const { return "1.0.0"; }
    virtual void Extension6() {}
    virtual void SetLanguage(const char* languageCode);
    virtual ScreenOrientation GetOrientation() const { return LandscapeRight; }
    virtual int Extension7() { return 0; }
    virtual void Extension8() {}
    // The launch image as a texture, which the game shows while it starts.
    virtual void SetLoadingTexture(SmartPtr<Texture> texture) { m_loadingTexture = std::move(texture); }
    virtual SmartPtr<Texture> GetLoadingTexture() const { return m_loadingTexture; }
    virtual void Extension9() {}
    virtual void Extension10() {}
    virtual int Extension11() { return 0; }
    virtual void Extension12() {}
    virtual bool WantsBackgroundUpdates() const { return false; }
    virtual int Extension13() { return 0; }
    // The UI manager calls it when it initialises.
    virtual void Extension14() {}

private:
    char m_versionText[kVersionTextSize] = {};
    char m_formattedVersion[kVersionTextSize] = {};
    char m_languageCode[kLanguageCodeSize] = {};
    int m_versionNumber = 0;
    int m_major = 0;
    int m_minor = 0;
    int m_patch = 0;
    char m_platformName[kPlatformNameSize] = {};
    bool m_fastHardware = false;
    SmartPtr<Texture> m_loadingTexture;  // null until set
    bool m_versionSet = false;
};

}  // namespace Varnok
