// The star that shows the points a power withholds while it runs and, once
// the power lets go of it, flies off and pays them (doubled when the power
// ran its course) into the score.
#pragma once

#include "game/screens/SpriteScreenItem.h"

#include <cstdint>

namespace Varnok {

class PowerRecord;

class BonusStarItem : public SpriteScreenItem {
public:
    static constexpr float kRiseSeconds = 0.3f;
    static constexpr float kImpactSeconds = 0.5f;
    static constexpr float kPaySeconds = 0.8f;
    static constexpr float kEndSeconds = 1.35f;
    static constexpr const char* kImpactParticles = "bonus_star_impact";

    void Update(float stepSeconds) override;
    void Render(const float tint[3]) override;
    // A new game takes a flying star away unpaid.
    void Reset() override;
    // A star owed points pays at once, so the saved score holds them.
    void OnBeforeSave() override;
    int GetTypeId() const override { return 8; }

    // The power lets go: the points it will pay and where its flight starts.
    void Release(int32_t pointsToPay);

    Vector3 m_startPosition;
    PowerRecord* m_owner = nullptr;
    int32_t m_pending = 0;
    int32_t m_points = -1;
    float m_timer = 0.0f;
    float m_numberScale = 1.0f;

private:
    void PayOut();
};

}  // namespace Varnok
