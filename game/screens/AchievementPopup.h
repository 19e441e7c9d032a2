// The banner that slides down from the top edge when an achievement or an
// item unlocks: a panel, the unlock's icon, two lines of text and, for an
// achievement, its points in a badge. It rests for 2.5 s and is gone 2.9 s
// after it came.
#pragma once

#include "game/screens/SpriteScreenItem.h"

#include <cstdint>

namespace Varnok {

class AchievementPopup : public SpriteScreenItem {
public:
    static constexpr int kTextBytes = 128;
    static constexpr float kSlideSeconds = 0.2f;
    static constexpr float kRestEnd = 2.7f;
    static constexpr float kLifeSeconds = 2.9f;

    enum Kind : int { kNamed = 0, kAchievement = 1, kItem = 2 };

    // Plays the unlock sound; the title is shown upper-cased (a to z only),
    // the points (kind 1 only) in at most three characters.
    AchievementPopup(const char* title, int32_t points, const SmartPtr<Texture>& icon, int kind,
                     const char* detail);

    // Lays the same texts out once so that the first banner finds them ready.
    static void PrepareText(const char* title, int32_t points, int kind, const char* detail);
    // How many layouts PrepareText has made.
    static int PreparedCount();

    void Update(float stepSeconds) override;
    void Render(const float tint[3]) override;
    void Close() override { m_texture = SmartPtr<Texture>(); }
    int GetTypeId() const override { return 7; }

    int m_kind = kNamed;
    char m_title[kTextBytes] = {};
    char m_detail[kTextBytes] = {};
    uint32_t m_points = 0;
    char m_pointsText[4] = {};
    float m_age = 0.0f;
    int m_confettiBursts = 0;

private:
    void DrawPicture(const SmartPtr<Texture>& texture, float x, float y, float width, float height,
                     const float tint[3]);
};

}  // namespace Varnok
