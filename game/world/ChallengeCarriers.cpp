// Until the balloon and rope classes join the world, a challenge fruit
// simply flies without a carrier.
#include "game/world/ChallengeCarriers.h"

namespace Varnok {

WorldObject* AttachChallengeBalloon(Fruit& fruit, float lift, float maxSpeed) {
    (void)fruit;
    (void)lift;
    (void)maxSpeed;
    return nullptr;
}

PinataRope* CreateChallengeRope(const Vector3& anchor, const Vector3& start, float length,
                                float deploySeconds) {
    (void)anchor;
    (void)start;
    (void)length;
    (void)deploySeconds;
    return nullptr;
}

void DestroyChallengeRope(PinataRope* rope) {
    (void)rope;
}

}  // namespace Varnok
