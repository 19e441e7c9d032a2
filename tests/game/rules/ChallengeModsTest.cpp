#include "game/rules/ChallengeMods.h"

#include "engine/core/HashName.h"
#include "engine/core/Random.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/ChallengeConditions.h"
#include "game/rules/GameRecord.h"
#include "game/world/Bomb.h"
#include "game/world/Fruit.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace Varnok {
namespace {

uint32_t Hash(const char* text) {
    return HashName(text, static_cast<int>(std::strlen(text)));
}

float Speed(const Vector3& v) {
    return std::sqrt(Dot(v, v));
}

class RecordingSounds final : public ChallengeSounds {
public:
    void Play(const char* name) override { played.emplace_back(name); }
    std::vector<std::string> played;
};

class ChallengeModsTest : public testing::Test {
protected:
    void SetUp() override {
        WorldObject::CreatePool(WorldObject::kDefaultPoolBytes);
        mods.SetSounds(&sounds);
        mods.SetRandom(&random);
    }
    void TearDown() override {
        GetGameRecord().requestedState = 0;
        mods.ClearLibrary();
    }
    void Load(const std::string& body) {
        const std::string text = "<challengeMods>" + body + "</challengeMods>";
        TiXmlDocument document;
        ASSERT_TRUE(ParseXmlDocument(document, text.data(), text.size()));
        mods.Parse(*document.RootElement());
    }
    void Activate(std::initializer_list<const char*> names) {
        std::vector<uint32_t> hashes;
        for (const char* name : names) {
            hashes.push_back(Hash(name));
        }
        mods.Activate(hashes, nullptr);
    }
    // A fruit at (x, y) of collision radius 10 moving with v.
    std::unique_ptr<Fruit> Ball(float x, float y, const Vector3& v) {
        std::unique_ptr<Fruit> fruit(new Fruit());
        fruit->typeId = static_cast<uint8_t>(WorldObjectType::Fruit);
        fruit->position = Vector3{x, y, 0.0f};
        fruit->velocity = v;
        fruit->collision = std::make_unique<CollisionSphere>(fruit->position, 10.0f);
        return fruit;
    }
    const CollisionMod& Colliders(const char* name) { return static_cast<const CollisionMod&>(*mods.Find(Hash(name))); }

    RecordingSounds sounds;
    Random random;
    ChallengeModList mods;
};

TEST_F(ChallengeModsTest, ReadsEveryTypeAndItsParameters) {
    Load("<mod type=\"SIMPLE\" name=\"KeepyUppy\"/><mod name=\"untyped\"/>"
         "<mod type=\"SLICE_LIMIT\" name=\"limit\" total=\"3\"/>"
         "<mod type=\"COLLISION\" name=\"walls\"><collision shape=\"line\" centerX=\"-5\" centerY=\"1\" "
         "directionX=\"5\" directionY=\"2\" directionEffect=\"LEFT\" friction=\"0.5\" maxSpeed=\"9\" killOnTouch=\"1\"/>"
         "<collision shape=\"halfpipe\" centerX=\"3\" radius=\"40\"/><collision/><collision shape=\"sphere\"/></mod>"
         "<mod type=\"WINDOWS\" name=\"windows\"/>"
         "<mod type=\"CIRCLE_VELOCITY\" name=\"orbit\"><vector1 valueX=\"1\" valueY=\"2\" valueZ=\"3\"/></mod>"
         "<mod type=\"BALLOONS\" name=\"balloons\"><params radius=\"4\" lift=\"1.5\" maxSpeed=\"2\"/></mod>"
         "<mod type=\"FAN\" name=\"fan\"/>"
         "<mod type=\"ROPES\" name=\"ropes\"><params ropeLength=\"280\"/></mod>");
    ASSERT_EQ(mods.LibrarySize(), 9);
    EXPECT_EQ(mods.Find(Hash("untyped"))->type, ChallengeModType::Other);
    EXPECT_EQ(static_cast<SliceLimitMod*>(mods.Find(Hash("limit")))->total, 3);
    const CollisionMod& walls = Colliders("walls");
    ASSERT_EQ(walls.colliders.size(), 2u);  // a collider without a shape ends the list
    const ModCollider& line = walls.colliders[0];
    EXPECT_EQ(line.kind, ColliderKind::Line);
    EXPECT_EQ(line.directionEffect, DirectionEffect::Left);
    EXPECT_FLOAT_EQ(line.segment.a.x, -5.0f);
    EXPECT_FLOAT_EQ(line.segment.b.y, 2.0f);
    EXPECT_FLOAT_EQ(line.friction, 0.5f);
    EXPECT_EQ(line.killOnTouch, 1);
    EXPECT_EQ(walls.colliders[1].kind, ColliderKind::Halfpipe);
    EXPECT_FLOAT_EQ(walls.colliders[1].sphere.radius, 40.0f);
    EXPECT_EQ(mods.Find(Hash("windows"))->type, ChallengeModType::Windows);
    EXPECT_FLOAT_EQ(static_cast<CircleVelocityMod*>(mods.Find(Hash("orbit")))->vector1.z, 3.0f);
    EXPECT_FLOAT_EQ(static_cast<BalloonsMod*>(mods.Find(Hash("balloons")))->lift, 1.5f);
    EXPECT_EQ(mods.Find(Hash("fan"))->type, ChallengeModType::Fan);
    const auto* ropes = static_cast<RopesMod*>(mods.Find(Hash("ropes")));
    EXPECT_FLOAT_EQ(ropes->ropeLength, 280.0f);
    EXPECT_FLOAT_EQ(ropes->deployTime, 2.0f);  // default kept
    EXPECT_FLOAT_EQ(ropes->startOffset, 10.0f);

    // A mod without a type still works as a named behaviour.
    Activate({"untyped", "nothing", "KeepyUppy"});
    EXPECT_TRUE(mods.Has(Hash("untyped")));
    EXPECT_TRUE(mods.IsActiveName("KeepyUppy"));
    EXPECT_FALSE(mods.IsActiveName(nullptr));
    EXPECT_FALSE(mods.HasFlag(ChallengeModType::Collision));
    EXPECT_EQ(mods.GetActive().size(), 2u);
    int count = 0;
    ChallengeModList::Cursor cursor;
    for (ChallengeMod* mod = mods.FirstOfType(ChallengeModType::Other, cursor); mod != nullptr;
         mod = mods.NextOfType(ChallengeModType::Other, cursor)) {
        ++count;
    }
    EXPECT_EQ(count, 9);
    EXPECT_EQ(mods.FirstOfType(ChallengeModType::Ropes, cursor), ropes);
    EXPECT_EQ(mods.NextOfType(ChallengeModType::Ropes, cursor), nullptr);
}

TEST_F(ChallengeModsTest, SliceLimitRefusesStrokesPastItsTotal) {
    Load("<mod type=\"SLICE_LIMIT\" name=\"limit\" total=\"3\"/>");
    GetGameRecord().requestedState = GameRecord::kGameState;
    EXPECT_TRUE(mods.TryUseSlice());  // no limit active
    Activate({"limit"});
    std::vector<bool> allowed;
    for (int stroke = 0; stroke < 6; ++stroke) {
        allowed.push_back(mods.TryUseSlice());
    }
    EXPECT_EQ(allowed, (std::vector<bool>{true, true, true, false, false, false}));
    Activate({"limit"});  // a new round starts counting again
    EXPECT_TRUE(mods.TryUseSlice());
    GetGameRecord().requestedState = 0;  // outside play nothing is counted
    for (int stroke = 0; stroke < 5; ++stroke) {
        EXPECT_TRUE(mods.TryUseSlice());
    }
}

TEST_F(ChallengeModsTest, SphereReflectsAndFrictionSlows) {
    Load("<mod type=\"COLLISION\" name=\"stop\"><collision shape=\"sphere\" radius=\"20\"/></mod>"
         "<mod type=\"COLLISION\" name=\"half\"><collision shape=\"sphere\" radius=\"20\" friction=\"0.5\"/></mod>");
    Vector3 scratch;
    auto ball = Ball(0.0f, 25.0f, Vector3{0.0f, -6.0f, 0.0f});
    mods.ApplyToObject(Colliders("stop"), *ball, scratch);
    EXPECT_FLOAT_EQ(Speed(ball->velocity), 0.0f);  // head-on with friction 0: stops
    EXPECT_NEAR(ball->position.y, 30.0f, 1e-4f);    // pushed out of the sphere
    ASSERT_EQ(sounds.played.size(), 1u);
    EXPECT_EQ(sounds.played[0].rfind("bounce-", 0), 0u);

    ball = Ball(3.0f, 25.0f, Vector3{1.0f, -6.0f, 0.0f});
    const float before = Speed(ball->velocity);
    mods.ApplyToObject(Colliders("half"), *ball, scratch);
    EXPECT_LE(Speed(ball->velocity), 0.5f * before + 1e-4f);
    EXPECT_GT(ball->velocity.y, 0.0f);  // sent back up
}

TEST_F(ChallengeModsTest, HalfpipeSendsObjectsOnAtItsFixedSpeed) {
    Load("<mod type=\"COLLISION\" name=\"bowl\"><collision shape=\"halfpipe\" centerY=\"0\" radius=\"100\"/></mod>");
    const Vector3 velocities[] = {{0.0f, -1.0f, 0.0f}, {3.0f, -12.0f, 0.0f}, {-0.2f, -0.1f, 0.0f}};
    for (const Vector3& v : velocities) {
        Vector3 scratch;
        auto ball = Ball(30.0f, -95.0f, v);
        mods.ApplyToObject(Colliders("bowl"), *ball, scratch);
        EXPECT_NEAR(Speed(ball->velocity), CollisionMod::kHalfpipeSpeed, 1e-4f);
        EXPECT_NEAR(Speed(ball->position), 90.0f, 1e-3f);  // back on the bowl's wall
    }
    EXPECT_TRUE(sounds.played.empty());  // the bowl makes no sound
    Vector3 scratch;
    auto inside = Ball(0.0f, -50.0f, Vector3{0.0f, -3.0f, 0.0f});
    mods.ApplyToObject(Colliders("bowl"), *inside, scratch);
    EXPECT_FLOAT_EQ(inside->velocity.y, -3.0f);
}

TEST_F(ChallengeModsTest, LinesBounceOnlyTheWayTheyFaceAndMayKill) {
    Load("<mod type=\"COLLISION\" name=\"left\"><collision shape=\"line\" centerX=\"-50\" directionX=\"50\" "
         "directionEffect=\"LEFT\" friction=\"1\" maxSpeed=\"4\" killOnTouch=\"1\"/></mod>");
    ChallengeConditionList conditions;
    mods.SetConditions(&conditions);
    Vector3 scratch;
    auto right = Ball(0.0f, 5.0f, Vector3{2.0f, -3.0f, 0.0f});
    mods.ApplyToObject(Colliders("left"), *right, scratch);
    EXPECT_FLOAT_EQ(right->velocity.y, -3.0f);  // moving right: ignored
    EXPECT_EQ(conditions.GetStatus(), kRoundRunning);

    auto left = Ball(0.0f, 5.0f, Vector3{-2.0f, -3.0f, 0.0f});
    mods.ApplyToObject(Colliders("left"), *left, scratch);
    EXPECT_NEAR(left->position.y, 10.0f, 1e-4f);
    EXPECT_GT(left->velocity.y, 0.0f);
    EXPECT_LE(Speed(left->velocity), 4.0f + 1e-4f);
    EXPECT_EQ(conditions.GetStatus(), kRoundFailed);  // kill on touch
}

TEST_F(ChallengeModsTest, BounceSounds) {
    const struct {
        bool bomb, mega;
        const char* sound;
    } cases[] = {{true, true, "megabomb-bounce"}, {false, true, "megafruit-bounce"}, {true, false, "bomb-bounce"}};
    for (const auto& c : cases) {
        sounds.played.clear();
        PlayBounceSound(sounds, random, c.bomb, c.mega);
        EXPECT_EQ(sounds.played, std::vector<std::string>{c.sound});
    }
    std::vector<std::string> seen;
    for (int i = 0; i < 60; ++i) {
        sounds.played.clear();
        PlayBounceSound(sounds, random, false, false);
        if (std::find(seen.begin(), seen.end(), sounds.played[0]) == seen.end()) {
            seen.push_back(sounds.played[0]);
        }
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"bounce-1", "bounce-2", "bounce-3"}));
}

TEST_F(ChallengeModsTest, RopeChoicesStayInTheirRanges) {
    Load("<mod type=\"ROPES\" name=\"ropes\"><params ropeLength=\"200\" ropeLengthRange=\"100\" startOffset=\"10\" "
         "startOffsetRange=\"4\" startOffsetAngle=\"0\" startOffsetAngleRange=\"0\"/></mod>");
    const auto& ropes = static_cast<const RopesMod&>(*mods.Find(Hash("ropes")));
    for (int i = 0; i < 50; ++i) {
        const float length = ropes.PickRopeLength(random);
        EXPECT_GE(length, 150.0f);
        EXPECT_LT(length, 250.0f);
        const Vector3 start = ropes.PickStartOffset(Vector3{5.0f, 7.0f, 3.0f}, random);
        // Angle 0 hangs the rope straight up from the anchor.
        EXPECT_NEAR(start.x, 5.0f, 0.1f);
        EXPECT_GE(start.y, 7.0f + 8.0f - 0.01f);
        EXPECT_LE(start.y, 7.0f + 12.0f + 0.01f);
        EXPECT_FLOAT_EQ(start.z, 6.0f);
    }
}

}  // namespace
}  // namespace Varnok
