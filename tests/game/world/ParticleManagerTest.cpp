// Particle files, running systems, emission, the half-step motion and the
// refusals of bad definitions.
#include "game/world/ParticleManager.h"

#include "engine/core/HashName.h"
#include "engine/core/Random.h"
#include "game/rules/GameRecord.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace Varnok {
namespace {

const char* kTemplate =
    "<particleTemplate name='%s'><life>60</life><texture name='dot'/>"
    "<SourceBlend>a</SourceBlend><DestinationBlend>b</DestinationBlend>"
    "<gravity>0 0 0</gravity><color startMin='31 31 31 31' startMax='31 31 31 31'/>"
    "<size startMin='4' startMax='4' endMin='4' endMax='4'/></particleTemplate>";

std::string Template(const char* name) {
    char text[600];
    std::snprintf(text, sizeof(text), kTemplate, name);
    return text;
}

std::string Emitter(const char* name, const char* life, const char* start, const char* stop, int init,
                    const char* rate, const char* velocity = "0 0 0") {
    std::ostringstream out;
    out << "<emitter name='" << name << "'><life>" << life << "</life><particleSet name='dot'>"
        << "<time start='" << start << "' stop='" << stop << "'/><particleNumber init='" << init
        << "' perSec='" << rate << "'/><velocity min='" << velocity << "' max='" << velocity
        << "'/></particleSet></emitter>";
    return out.str();
}

std::string File(const std::string& body) {
    return "<particle_file><body>" + body + "</body></particle_file>";
}

uint32_t Hash(const char* name) {
    return HashName(name, static_cast<int>(std::strlen(name)));
}

class ParticleManagerTest : public testing::Test {
protected:
    void Load(const std::string& text) { particles.LoadText("particles", text.data(), text.size(), false); }
    void SetUp() override {
        GetGameRecord().backgroundDelta = Vector2{};
        particles.SetDrawing(false);
    }

    ParticleManager particles;
};

TEST_F(ParticleManagerTest, ASetStartingAtZeroBurstsAtOnceAndEmitsSteadily) {
    Load(File(Template("dot") + Emitter("burst", "120", "0", "0", 5, "60")));
    ParticleSystem* system = particles.Spawn("burst", nullptr);
    ASSERT_NE(system, nullptr);
    particles.UpdateSystems(1.0f / 60.0f, false);
    // Five at once and one of the steady 60 a second.
    EXPECT_EQ(particles.LiveParticleCount(), 6);
    particles.UpdateSystems(0.5f, false);
    EXPECT_EQ(particles.LiveParticleCount(), 6 + 30);
}

TEST_F(ParticleManagerTest, SystemsRetireOrRunUntilReleased) {
    Load(File(Template("dot") + Emitter("short", "30", "0", "0.2", 1, "0") + Emitter("endless", "0", "0", "0", 0, "10")));
    ParticleSystem* slot = nullptr;
    slot = particles.Spawn("short", &slot);
    ParticleSystem* endless = particles.Spawn("endless", nullptr);
    ASSERT_NE(slot, nullptr);
    EXPECT_FALSE(particles.EndsByItself(*endless->emitter));
    EXPECT_TRUE(particles.EndsByItself(*slot->emitter));
    for (int i = 0; i < 120; ++i) {
        particles.UpdateSystems(1.0f / 60.0f, false);
    }
    EXPECT_EQ(slot, nullptr) << "a retired system clears its owner's slot";
    EXPECT_EQ(particles.RunningCount(), 1);
    particles.ReleaseEmitter(endless);
    EXPECT_EQ(particles.RunningCount(), 0);
}

TEST_F(ParticleManagerTest, At119RunningSystemsASpawnIsRefused) {
    Load(File(Template("dot") + Emitter("idle", "0", "0", "0", 0, "1")));
    for (int i = 0; i < 119; ++i) {
        ASSERT_NE(particles.Spawn("idle", nullptr), nullptr) << i;
    }
    ParticleSystem* slot = reinterpret_cast<ParticleSystem*>(&slot);
    EXPECT_EQ(particles.Spawn("idle", &slot), nullptr);
    EXPECT_EQ(slot, reinterpret_cast<ParticleSystem*>(&slot)) << "a full pool leaves the slot alone";
    particles.Clear();
    slot = reinterpret_cast<ParticleSystem*>(&slot);
    EXPECT_EQ(particles.Spawn("missing", &slot), nullptr);
    EXPECT_EQ(slot, nullptr) << "an unknown name nulls the slot";
}

TEST_F(ParticleManagerTest, AStepOfThreeHundredthsMovesInTwoHalves) {
    // Gravity -100 from rest: two half steps of 0.015 s give
    // v1 = -1.5, x1 = -0.0225; v2 = -3, x2 = -0.0675 (one whole step: -0.09).
    std::string t = Template("dot");
    t.replace(t.find("<gravity>0 0 0"), 14, "<gravity>0 -100 0");
    Load(File(t + Emitter("drop", "60", "0", "0", 1, "0")));
    ParticleSystem* system = particles.Spawn("drop", nullptr);
    particles.UpdateSystems(0.001f, false);
    ASSERT_EQ(particles.LiveParticleCount(), 1);
    particles.Render(0.03f, false, 0);
    const Particle* p = particles.ParticlesOf(0).at(0);
    EXPECT_NEAR(p->position.y, -0.0675f, 1e-5f);
    EXPECT_NEAR(p->velocity.y, -3.0f, 1e-4f);
    // A step of 0.02 s is one step.
    particles.Render(0.02f, false, 0);
    EXPECT_NEAR(p->velocity.y, -5.0f, 1e-4f);
    // Paused, a system that does not run while paused holds still.
    const float y = p->position.y;
    particles.Render(0.02f, true, 0);
    EXPECT_EQ(p->position.y, y);
    (void)system;
}

TEST_F(ParticleManagerTest, LifeFractionEndsParticlesEarly) {
    Load(File(Template("dot") + Emitter("half", "60", "0", "0", 1, "0")));
    ParticleSystem* system = particles.Spawn("half", nullptr);
    system->lifeFraction = 0.5f;
    particles.UpdateSystems(0.001f, false);
    // Half of one second: alive after 28 frames, gone within 33.
    for (int i = 0; i < 28; ++i) {
        particles.Render(1.0f / 60.0f, false, 0);
    }
    EXPECT_EQ(particles.LiveParticleCount(), 1);
    for (int i = 0; i < 5; ++i) {
        particles.Render(1.0f / 60.0f, false, 0);
    }
    EXPECT_EQ(particles.LiveParticleCount(), 0);
}

TEST_F(ParticleManagerTest, RefusedDefinitionsAreLoggedAndSkipped) {
    std::string noTexture = Template("bare");
    noTexture.replace(noTexture.find("<texture name='dot'/>"), 21, "");
    const struct {
        const char* what;
        std::string text;
        const char* fault;
        size_t templates;
        size_t emitters;
    } cases[] = {
        {"template without texture", File(noTexture + Template("dot")), "lacks its texture", 1, 0},
        {"set without velocity",
         File(Template("dot") + "<emitter name='e'><life>5</life><particleSet><time start='0' stop='0'/>"
                                "<particleNumber init='1' perSec='1'/></particleSet></emitter>"),
         "lacks its time", 1, 1},
        {"another root", "<particles/>", "no particle_file", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestSupport::LogCapture capture;
        Load(c.text);
        EXPECT_TRUE(TestSupport::IsOneLogLineNaming(capture.Take(), "ParticleManager: ", c.fault));
        EXPECT_EQ(particles.Templates().size(), c.templates);
        EXPECT_EQ(particles.Emitters().size(), c.emitters);
    }
}

TEST_F(ParticleManagerTest, ManyDefinitionsNeverOverflow) {
    // Far more than a 61,440-byte work area would take.
    std::string body;
    for (int i = 0; i < 600; ++i) {
        body += Template(("t" + std::to_string(i)).c_str());
    }
    for (int i = 0; i < 300; ++i) {
        body += Emitter(("e" + std::to_string(i)).c_str(), "10", "0", "0", 1, "0");
    }
    Load(File(body));
    EXPECT_EQ(particles.Templates().size(), 600u);
    EXPECT_TRUE(particles.HasSystem(Hash("e299")));
}

TEST(ParticleFiles, TheShippedSetsNameTheSystemsTheWorldStarts) {
    for (const char* file : {"particles_fast.xml", "particles_slow.xml"}) {
        SCOPED_TRACE(file);
        std::ifstream in(std::string(VARNOK_SOURCE_DIR) + "/data/particles/" + file);
        std::stringstream text;
        text << in.rdbuf();
        ParticleManager particles;
        TestSupport::LogCapture capture;
        particles.LoadText("particles", text.str().data(), text.str().size(), false);
        EXPECT_EQ(capture.Take(), "");
        for (const char* name : {"apple_trail", "watermelon_sliced", "bean_sliced", "crit_hit", "bomb_smoke",
                                 "purple_bomb_smoke", "fruit_split_transform", "beanLife", "heartLostSml",
                                 "kiwifruit"}) {
            EXPECT_TRUE(particles.HasSystem(Hash(name))) << name;
        }
    }
}

}  // namespace
}  // namespace Varnok
