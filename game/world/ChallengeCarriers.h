// The balloon and pinata rope a challenge hangs a fruit on. The fruit asks
// for its carriers only through these three functions, so that the carriers
// themselves stay in their own files.
#pragma once

#include "engine/core/MathUtil.h"

namespace Varnok {

class Fruit;
class PinataRope;
class WorldObject;

// Takes a balloon from the world and ties the fruit under it, rising with
// lift up to maxSpeed; the balloon, or null when none could be had.
WorldObject* AttachChallengeBalloon(Fruit& fruit, float lift, float maxSpeed);
// A rope from start to the anchor of that length, pulled up (0, 1, 0) after
// deploySeconds; null when none could be made. The caller owns it.
PinataRope* CreateChallengeRope(const Vector3& anchor, const Vector3& start, float length,
                                float deploySeconds);
// Null is ignored.
void DestroyChallengeRope(PinataRope* rope);

}  // namespace Varnok
