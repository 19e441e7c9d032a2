// Version parsing, the base answers and the game factory.
#include "engine/iOS/VarnokGame.h"

#include "engine/core/DeviceInfo.h"
#include "engine/core/Log.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Varnok {
namespace {

VarnokGame::Factory s_factory = nullptr;
VarnokGame* s_current = nullptr;

// The leading integer as C's atoi reads it, clamped to int instead of
// overflowing.
int LeadingInt(const char* text) {
    const long value = strtol(text, nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

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
    m_major = 1;
    m_minor = 0;
    m_patch = 0;
    m_versionSet = true;

    m_major = LeadingInt(text);
    const char* minorPart = strchr(text, '.');
    if (minorPart != nullptr) {
        ++minorPart;
        m_minor = LeadingInt(minorPart);
        const char* minorEnd = strchr(minorPart, '.');
        const size_t minorLength = minorEnd != nullptr ? static_cast<size_t>(minorEnd - minorPart)
                                                       : strlen(minorPart);
        if (minorLength == 1) {
            m_minor *= 10;
        }
        if (minorEnd != nullptr) {
            const char* patchPart = minorEnd + 1;
            m_patch = LeadingInt(patchPart);
            if (strlen(patchPart) == 1) {
                m_patch *= 10;
            }
        }
    }

    snprintf(m_formattedVersion, sizeof(m_formattedVersion), "%04i.%02i.%02i", m_major, m_minor,
             m_patch);
    // Wide arithmetic: absurd texts must not overflow into a negative number.
    const long long number = static_cast<long long>(m_patch) + static_cast<long long>(m_minor) * 100 +
                             static_cast<long long>(m_major) * 10000;
    m_versionNumber = number > INT_MAX ? INT_MAX : number < INT_MIN ? INT_MIN : static_cast<int>(number);

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
