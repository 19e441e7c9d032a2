// The rope's spring simulation, its hits and pull, and its textured strip.
#include "game/world/PinataRope.h"

#include "engine/core/Colour.h"
#include "engine/core/Random.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureManager.h"
#include "game/rules/GameFunctions.h"

#include <algorithm>
#include <cmath>

namespace Varnok {

namespace {

constexpr float kMassWeight = 0.01f;
constexpr float kEndWeight = 0.1f;         // the carried object's share while it hangs
constexpr float kDropPush = -100.0f;       // the carried object drops into the rope at first
constexpr float kDropSeconds = 0.5f;
constexpr float kHitPushSeconds = 0.1f;
constexpr float kSidewaysSpeed = 280.0f;   // 0.7 of a hit's 400
constexpr float kPullForce = 200.0f;
constexpr float kCeilingBelowTop = 40.0f;  // under the top edge of the screen
constexpr float kDrawDepth = -5400.0f;


float Length(const Vector3& v) { return std::sqrt(Dot(v, v)); }

}  // namespace

SmartPtr<Texture> PinataRope::s_texture;

// ---- MassSimulation ----

MassSimulation::MassSimulation(int count, float mass) : m_masses(static_cast<size_t>(std::max(count, 0))) {
    for (RopeMass& m : m_masses) {
        m.mass = mass;
    }
}

void MassSimulation::Init() {
    for (RopeMass& m : m_masses) {
        m.ResetForce();
    }
}

void MassSimulation::Simulate(float stepSeconds) {
    for (RopeMass& m : m_masses) {
        if (m.pushSeconds > 0.0f) {
            m.pushSeconds -= stepSeconds;
        }
        m.velocity = Add(m.velocity, Scale(m.force, stepSeconds / m.mass));
        m.position = Add(m.position, Scale(m.velocity, stepSeconds));
    }
}

void MassSimulation::Operate(float stepSeconds) {
    Init();
    Solve();
    Simulate(stepSeconds);
}

// ---- RopeSimulation ----

RopeSimulation::RopeSimulation(const Settings& settings, const Vector3& top, const Vector3& end)
    : MassSimulation(std::max(settings.massCount, 2), settings.mass), m_settings(settings) {
    const int count = GetMassCount();
    const Vector3 span = Subtract(end, top);
    for (int i = 0; i < count; ++i) {
        GetMass(i).position = Add(top, Scale(span, static_cast<float>(i) / static_cast<float>(count)));
    }
    m_links.resize(static_cast<size_t>(count - 1));
    for (int i = 0; i < count - 1; ++i) {
        RopeLink& link = m_links[static_cast<size_t>(i)];
        link.first = i;
        link.second = i + 1;
        link.stiffness = settings.stiffness;
        link.restLength = settings.restLength;
        link.damping = settings.damping;
    }
    connectionPosition = top;
}

void RopeSimulation::SolveLink(const RopeLink& link) {
    RopeMass& a = GetMass(link.first);
    RopeMass& b = GetMass(link.second);
    const Vector3 d = Subtract(a.position, b.position);
    const float r = Length(d);
    Vector3 force;
    // Links only pull: a slack rope folds instead of pushing its load away.
    if (r != 0.0f && r > link.restLength) {
        force = Scale(d, -(r - link.restLength) * link.stiffness / r);
    }
    force = Subtract(force, Scale(Subtract(a.velocity, b.velocity), link.damping));
    a.force = Add(a.force, force);
    b.force = Subtract(b.force, force);
}

void RopeSimulation::Solve() {
    for (const RopeLink& link : m_links) {
        SolveLink(link);
    }
    for (RopeMass& m : m_masses) {
        m.force = Add(m.force, Scale(m_settings.gravitation, m.mass));
        if (std::fabs(m.velocity.x) + std::fabs(m.velocity.y) > 10.0f) {
            const float speed = Length(m.velocity);
            m.force = Subtract(m.force, Scale(m.velocity, m_settings.airFriction * speed * speed));
        }
    }
    if (!ceilingEnabled) {
        return;
    }
    RopeMass& end = m_masses.back();
    const float y = end.position.y;
    const float height = m_settings.ceilingHeight;
    const bool acts = m_settings.ceilingStiffness > 0.0f ? y < height : y > height;
    if (acts) {
        if (end.velocity.y < 0.0f) {
            end.force.y -= end.velocity.y * m_settings.ceilingDamping;
        }
        end.force.y += m_settings.ceilingStiffness * std::fabs(height - y);
    }
}

void RopeSimulation::Simulate(float stepSeconds) {
    MassSimulation::Simulate(stepSeconds);
    connectionPosition = Add(connectionPosition, Scale(connectionVelocity, stepSeconds));
    RopeMass& top = m_masses.front();
    top.position = connectionPosition;
    top.velocity = connectionVelocity;
}

// ---- PinataRope ----

namespace {

RopeSimulation::Settings RopeSettings(float length) {
    RopeSimulation::Settings settings;
    settings.massCount = PinataRope::kMassCount;
    settings.mass = kMassWeight;
    settings.restLength = length / static_cast<float>(PinataRope::kMassCount);
    settings.ceilingHeight = LogicalScreenHeight() / 2.0f - kCeilingBelowTop;
    return settings;
}

}  // namespace

PinataRope::PinataRope(const Vector3& top, const Vector3& end, float ropeLength)
    : anchor(top), length(ropeLength), m_simulation(RopeSettings(ropeLength), top, end) {
    RopeMass& last = GetEndMass();
    last.mass = kEndWeight;
    last.velocity = Vector3{};
    last.pushForce = Vector3{0.0f, kDropPush, 0.0f};
    last.pushSeconds = kDropSeconds;
}

std::unique_ptr<PinataRope> PinataRope::Create(const Vector3& top, const Vector3& end, float ropeLength) {
    return std::make_unique<PinataRope>(top, end, ropeLength);
}

void PinataRope::LoadTexture() {
    s_texture = TextureManager::Get().GetTexture(kTexturePath);
}

void PinataRope::ReleaseTexture() {
    s_texture = nullptr;
}

bool PinataRope::IsTextureLoaded() {
    return s_texture.Get() != nullptr;
}

int PinataRope::StepsForFrame(float stepSeconds) {
    if (!(stepSeconds > kStepSeconds)) {  // NaN and negative steps run one step too
        return 1;
    }
    return static_cast<int>(std::ceil(std::min(stepSeconds, kLongestFrame) / kStepSeconds));
}

void PinataRope::Update(float stepSeconds) {
    m_simulation.connectionVelocity = Vector3{};
    if (impulseDelay > 0.0f) {
        impulseDelay -= stepSeconds;
        if (impulseDelay <= 0.0f) {
            Impulse(impulse);
        }
    }
    if (pullTimer > 0.0f) {
        m_simulation.connectionPosition =
            Vector3{anchor.x, anchor.y + length * (1.0f - pullTimer) / kPullSeconds, anchor.z};
        pullTimer -= stepSeconds;
    }
    const int steps = StepsForFrame(stepSeconds);
    for (int i = 0; i < steps; ++i) {
        m_simulation.Operate(kStepSeconds);
    }
}

float PinataRope::HitFactor(int hits) {
    if (hits < 1) {
        return 0.375f;
    }
    return static_cast<float>(std::min(hits, 20) + 6) * 0.0625f;
}

void PinataRope::Hit(Vector3& direction, int hits) {
    const float factor = HitFactor(hits);
    direction.Normalise();
    direction = Scale(direction, kHitSpeed);
    Random& random = GlobalRandom();
    const float r1 = random.NextFloat();
    const float r2 = random.NextFloat();
    Vector3 sideways{r1 - 0.5f, r2 - 0.5f, 0.0f};
    sideways.Normalise();
    sideways = Scale(sideways, kSidewaysSpeed);
    RopeMass& last = GetEndMass();
    last.velocity = Vector3{};
    last.pushForce = Scale(Add(direction, sideways), factor);
    last.pushSeconds = kHitPushSeconds;
}

void PinataRope::Impulse(Vector3& direction) {
    pullTimer = kPullSeconds;
    RopeMass& last = GetEndMass();
    // Once pulled away the carried object no longer weighs on the rope.
    last.mass = kMassWeight;
    m_simulation.ceilingEnabled = false;
    direction.Normalise();
    last.velocity = Vector3{};
    last.pushForce = Scale(direction, kPullForce);
    last.pushSeconds = kPullSeconds;
}

void PinataRope::BuildStrip(ImmediateVertex* out, uint32_t packedColour) const {
    float rgba[4];
    Colour::FromPacked(packedColour).GetRGBAFloats(rgba);
    Vector3 along{1.0f, 0.0f, 0.0f};
    for (int i = 0; i < kMassCount; ++i) {
        const Vector3& p = m_simulation.GetMass(i).position;
        if (i + 1 < kMassCount) {  // the last mass keeps the previous direction
            along = Subtract(m_simulation.GetMass(i + 1).position, p);
            along.Normalise();
        }
        const float u = (i % 2 == 0) ? 0.0f : 1.0f;
        for (int side = 0; side < 2; ++side) {
            ImmediateVertex& v = out[2 * i + side];
            v = ImmediateVertex{};
            v.x = p.x + (side == 0 ? 0.0f : kStripHalfWidth * along.y);
            v.y = p.y + (side == 0 ? 0.0f : -kStripHalfWidth * along.x);
            v.z = anchor.z;
            v.nz = 1.0f;
            v.r = rgba[0];
            v.g = rgba[1];
            v.b = rgba[2];
            v.a = rgba[3];
            v.u = u;
            v.v = static_cast<float>(side);
        }
    }
}

void PinataRope::Render() const {
    if (s_texture.Get() == nullptr) {
        return;
    }
    ImmediateVertex strip[kStripVertices];
    BuildStrip(strip, Renderer::Get().GetPackedColour());
    RenderTransforms& transforms = RenderTransforms::Get();
    Matrix4 world;
    world.m[14] = kDrawDepth;
    transforms.World().Set(world);
    transforms.Apply(false);  // the shader takes the matrices only here
    DrawTexturedTriangleStrip(strip, kStripVertices, true, nullptr, s_texture);
    transforms.World().Set(Matrix4::Identity());
}

}  // namespace Varnok
