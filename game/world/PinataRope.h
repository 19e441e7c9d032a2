// A rope that hangs a fruit or a bomb from a point: ten point masses joined
// by tension-only springs, stepped in fixed 1 ms steps. The carrier reads the
// end mass every frame after Update and takes its position. Hits push the
// end, a delayed impulse hauls the top up and pulls the end away, and a soft
// ceiling can keep the end below a height. World units and seconds, y up.
// Main thread only.
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/ImmediateVertex.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

class Texture;

struct RopeMass {
    float mass = 0.0f;
    Vector3 position;
    Vector3 velocity;
    Vector3 force;
    Vector3 pushForce;        // acts while pushSeconds is above 0
    float pushSeconds = 0.0f;

    void ResetForce() { force = pushSeconds > 0.0f ? pushForce : Vector3{}; }
};

struct RopeLink {
    int first = 0;  // mass indices
    int second = 0;
    float stiffness = 0.0f;
    float restLength = 0.0f;
    float damping = 0.0f;
};

// A set of point masses advanced by explicit Euler steps: Init clears the
// forces, Solve adds them, Simulate moves the masses.
class MassSimulation {
public:
    // count masses of that mass, at rest at the origin.
    MassSimulation(int count, float mass);
    virtual ~MassSimulation() = default;
    MassSimulation(const MassSimulation&) = delete;
    MassSimulation& operator=(const MassSimulation&) = delete;

    virtual void Init();
    virtual void Solve() {}
    virtual void Simulate(float stepSeconds);
    virtual void Operate(float stepSeconds);

    int GetMassCount() const { return static_cast<int>(m_masses.size()); }
    RopeMass& GetMass(int index) { return m_masses[static_cast<size_t>(index)]; }
    const RopeMass& GetMass(int index) const { return m_masses[static_cast<size_t>(index)]; }

protected:
    std::vector<RopeMass> m_masses;
};

class RopeSimulation : public MassSimulation {
public:
    struct Settings {
        int massCount = 10;
        float mass = 0.01f;
        float stiffness = 1000.0f;
        float restLength = 1.0f;
        float damping = 0.1f;
        Vector3 gravitation{0.0f, -2000.0f, 0.0f};
        float airFriction = 0.000001f;
        float ceilingStiffness = -100.0f;  // 0 or below: the end is kept under the height
        float ceilingDamping = 0.0f;
        float ceilingHeight = 120.0f;
    };

    // The masses lie evenly from top towards end, the first at top and the
    // last one step short of end.
    RopeSimulation(const Settings& settings, const Vector3& top, const Vector3& end);

    void Solve() override;
    void Simulate(float stepSeconds) override;

    const RopeLink& GetLink(int index) const { return m_links[static_cast<size_t>(index)]; }
    int GetLinkCount() const { return static_cast<int>(m_links.size()); }

    Vector3 connectionPosition;  // the pinned top
    Vector3 connectionVelocity;
    bool ceilingEnabled = false;

private:
    void SolveLink(const RopeLink& link);

    std::vector<RopeLink> m_links;
    Settings m_settings;
};

class PinataRope {
public:
    static constexpr int kMassCount = 10;
    static constexpr float kStepSeconds = 0.001f;
    static constexpr float kLongestFrame = 1.0f / 30.0f;
    static constexpr float kPullSeconds = 1.0f;
    static constexpr float kHitSpeed = 400.0f;
    static constexpr float kStripHalfWidth = 8.0f;
    static constexpr const char* kTexturePath = "textures/effects/pinataRope.tex";

    // top is the anchor; the end mass starts nine tenths of the way to end.
    PinataRope(const Vector3& top, const Vector3& end, float length);
    virtual ~PinataRope() = default;
    PinataRope(const PinataRope&) = delete;
    PinataRope& operator=(const PinataRope&) = delete;

    static std::unique_ptr<PinataRope> Create(const Vector3& top, const Vector3& end, float length);

    // The texture every rope draws with; the owner of the ropes loads it
    // with its resources and releases it with them.
    static void LoadTexture();
    static void ReleaseTexture();
    static bool IsTextureLoaded();

    void Update(float stepSeconds);
    RopeMass& GetEndMass() { return m_simulation.GetMass(kMassCount - 1); }
    const RopeMass& GetEndMass() const { return m_simulation.GetMass(kMassCount - 1); }
    // Pushes the end away along direction, harder the more hits the carried
    // object has taken (capped at 20). direction becomes its unit vector
    // times 400. Two draws of the game-wide generator give a sideways part.
    void Hit(Vector3& direction, int hits);
    // Hauls the top up by the rope's length over a second and pulls the end
    // along direction (normalised in place); clears the ceiling.
    void Impulse(Vector3& direction);
    void EnableCeiling() { m_simulation.ceilingEnabled = true; }
    // Nothing while the texture is not loaded.
    void Render() const;

    // The push factor a hit gets after that many hits: 0.375 below one,
    // then from 0.4375 up to 1.625 at 20 or more.
    static float HitFactor(int hits);
    // The strip the rope draws, two vertices a mass in mass order, in the
    // colour 0xAARRGGBB. out holds kStripVertices.
    void BuildStrip(ImmediateVertex* out, uint32_t packedColour) const;
    static constexpr int kStripVertices = 2 * kMassCount;

    const RopeSimulation& GetSimulation() const { return m_simulation; }
    RopeSimulation& GetSimulation() { return m_simulation; }
    // How many fixed steps a frame of that length runs (at least one).
    static int StepsForFrame(float stepSeconds);

    Vector3 anchor;
    float pullTimer = 0.0f;
    float length = 0.0f;
    float impulseDelay = 0.0f;  // seconds until Impulse(impulse) runs; 0: none pending
    Vector3 impulse;

private:
    RopeSimulation m_simulation;

    static SmartPtr<Texture> s_texture;
};

}  // namespace Varnok
