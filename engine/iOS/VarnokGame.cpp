// The base answers, the version and platform the shell sets, and the game
// factory.
#include "engine/iOS/VarnokGame.h"

#include "engine/core/DevicePropertyMap.h"
#include "engine/core/Log.h"
#include "engine/iOS/GameVersion.h"

#include <cstdio>
#include <cstring>

namespace Varnok {
namespace {

VarnokGame::Factory s_factory = nullptr;
VarnokGame* s_current = nullptr;

void CopyText(char* target, size_t size, const char* text) {
    snprintf(target, size, "%s", text != nullptr ? text : "");
}

}  // namespace

VarnokGame::VarnokGame() {
    s_current = this;
    // The base answer on purpose: a derived game is not built yet.
    const char* defaultVersion = VarnokGame::GetDefaultVersion();
    if (defaultVersion != nullptr) {
        SetVersion(defaultVersion);
    }
}

VarnokGame::~VarnokGame() {
    DevicePropertyMap::Destroy();
    if (s_current == this) {
        s_current = nullptr;
    }
}

void VarnokGame::SetFactory(Factory factory) {
    s_factory = factory;
}

std::unique_ptr<VarnokGame> VarnokGame::CreateFromFactory() {
    if (s_factory == nullptr) {
        Log("VarnokGame: no game factory registered, running without a game");
        return nullptr;
    }
    std::unique_ptr<VarnokGame> game = s_factory();
    if (game == nullptr) {
        Log("VarnokGame: the game factory made no game, running without one");
    }
    return game;
}

VarnokGame* VarnokGame::Get() {
    return s_current;
}

void VarnokGame::SetVersion(const char* text) {
    if (text == nullptr) {
        Log("VarnokGame: SetVersion without a text ignored");
        return;
    }
    CopyText(m_versionText, sizeof(m_versionText), text);
    m_versionSet = true;
    const GameVersion version = ParseGameVersion(text);
    m_major = version.major;
    m_minor = version.minor;
    m_patch = version.patch;
    m_versionNumber = version.number;
    FormatGameVersion(version, m_formattedVersion, sizeof(m_formattedVersion));

    m_fastHardware = false;
    CopyText(m_platformName, sizeof(m_platformName), "IPHONE");
}

void VarnokGame::SetPlatform(const char* modelName, bool fastHardware) {
    CopyText(m_platformName, sizeof(m_platformName), modelName);
    m_fastHardware = fastHardware;
}

bool VarnokGame::IsSlowDevice(const char* modelName, const char* /*systemVersion*/) {
    if (modelName == nullptr) {
        return false;
    }
    for (const char* slow : {"iPhone 1G", "iPhone 3G", "iPod Touch 1G"}) {
        if (strcmp(modelName, slow) == 0) {
            return true;
        }
    }
    return false;
}

void VarnokGame::SetPaths(const char* /*bundleDir*/, const char* /*documentsDir*/,
                          const char* /*cachesDir*/) {}

void VarnokGame::SetLanguage(const char* languageCode) {
    CopyText(m_languageCode, sizeof(m_languageCode), languageCode);
}

}  // namespace Varnok
