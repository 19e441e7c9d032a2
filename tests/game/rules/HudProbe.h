// HUD elements for mode tests: components that record the animations asked
// of them, built into the element tree the classic HUD names.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/ui/Component.h"

#include <string>
#include <vector>

namespace Varnok {
namespace TestSupport {

class ProbeComponent : public Component {
public:
    float PlayAnimation(const AsciiString& name, bool recursive) override {
        (void)recursive;
        played.emplace_back(name.c_str());
        return 0.0f;
    }
    std::string Last() const { return played.empty() ? std::string() : played.back(); }

    std::vector<std::string> played;
};

inline ProbeComponent* AddProbe(Component* parent, const char* id) {
    auto* probe = new ProbeComponent();
    probe->SetId(AsciiString(id));
    if (parent != nullptr) {
        parent->AddChild(probe, -1);
    }
    return probe;
}

inline Vector3 PositionOf(Component* c) {
    UIProperty<Vector3>* p = c->FindProperty<Vector3>(AsciiString("position"));
    return p != nullptr ? p->Get() : Vector3{};
}

// "inGameClassic" without its intro and game-over containers (so play
// begins and ends at once): markers, score labels, pause and pop-ups.
struct ClassicHud {
    ProbeComponent* root = AddProbe(nullptr, "inGameClassic");
    ProbeComponent* counters = AddProbe(root, "misscounters");
    ProbeComponent* markers[3] = {AddProbe(counters, "cross1"), AddProbe(counters, "cross2"),
                                  AddProbe(counters, "cross3")};
    ProbeComponent* score = AddProbe(root, "score");
    ProbeComponent* scoreText = AddProbe(score, "text");
    ProbeComponent* best = AddProbe(score, "bestScoreText");
    ProbeComponent* pause = AddProbe(root, "pause");
    ProbeComponent* popups = AddProbe(root, "popups");
    ProbeComponent* combo = AddProbe(popups, "combo");
    ProbeComponent* comboLabel = AddProbe(combo, "labelTop");
    ProbeComponent* extraLife = AddProbe(popups, "beanExtraLife");
    ProbeComponent* plus25 = AddProbe(popups, "beanPlus25");
    ProbeComponent* critical = AddProbe(popups, "critical");
    ProbeComponent* crosses[3] = {AddProbe(popups, "cross1"), AddProbe(popups, "cross2"),
                                  AddProbe(popups, "cross3")};

    ClassicHud() {
        for (ProbeComponent* cross : crosses) {
            cross->GetEnabledProperty()->Set(false);
        }
    }
    ~ClassicHud() { delete root; }
    ClassicHud(const ClassicHud&) = delete;
    ClassicHud& operator=(const ClassicHud&) = delete;
};

}  // namespace TestSupport
}  // namespace Varnok
