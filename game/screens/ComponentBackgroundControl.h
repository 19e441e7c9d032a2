// Tells the game where the shared scrolling background should sit for the
// screen that carries it: "backgroundtarget" is where it scrolls to and
// "movescale" (0..1, moved by the screen's animations) how far it has got;
// a negative "movescale" leaves the background alone. The element places
// itself opposite the background's offset so that what sits below it moves
// with the background.
#pragma once

#include "engine/ui/ComponentVisual.h"

namespace Varnok {

class ComponentBackgroundControl : public ComponentVisual {
public:
    ComponentBackgroundControl();
    static const ComponentClassInfo& GetStaticClassInfo();

    void Update(float dt) override;
    void Draw() override {}
    void OnPropertyChanged(UIPropertyBase* property) override;

    // The scroll starts from where the background is now, toward the target.
    void BeginMove();
    // The scroll's start becomes where the background is now.
    void ResetStart();

    const Vector2& GetMoveStart() const { return m_moveStart; }

private:
    UIProperty<Vector2>* m_target;
    UIProperty<float>* m_moveScale;
    Vector2 m_moveStart;
};

}  // namespace Varnok
