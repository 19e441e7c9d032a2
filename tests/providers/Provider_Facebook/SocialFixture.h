// A social client stand-in installed for the test, and frames to let it
// answer.
#pragma once

#include "engine/core/PlatformEventHub.h"
#include "platform/SocialClientStandIn.h"
#include "providers/Provider_Facebook/SocialClient.h"

#include <gtest/gtest.h>

#include <memory>

namespace SocialTest {

class SocialFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_client = std::make_shared<Varnok::SocialClientStandIn>();
        Varnok::SetSocialClient(m_client);
    }
    void TearDown() override { Varnok::SetSocialClient(nullptr); }

    static void RunFrame() {
        Varnok::PlatformEventHub& hub = Varnok::PlatformEventHub::Get();
        hub.DispatchPreUpdate(1.0f / 60.0f);
        hub.postUpdate.Invoke(1.0f / 60.0f);
    }

    Varnok::SocialClientStandIn& Client() { return *m_client; }

private:
    std::shared_ptr<Varnok::SocialClientStandIn> m_client;
};

}  // namespace SocialTest
