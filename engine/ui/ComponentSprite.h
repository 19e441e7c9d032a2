// A texture that is a sprite sheet: a grid of equal frames, one of them
// shown. Changing "spriteSheetCurrentFrame" flips through the sheet.
#pragma once

#include "engine/ui/ComponentTexture.h"

namespace Varnok {

class ComponentSprite : public ComponentTexture {
public:
    ComponentSprite();

    static const ComponentClassInfo& GetStaticClassInfo();

    AsciiString Dump() const override;
    void OnPropertyChanged(UIPropertyBase* property) override;
    // The current cell's corner; frames wrap around the frames in use.
    Vector2 GetTexCoordOffset() const override;
    // One cell.
    Vector2 GetTexCoordSize() const override;

    // Columns and rows above 0 and a frame count of -1 or above 0; an
    // invalid sheet shows the texture as a ComponentTexture would.
    bool IsSheetValid() const;

private:
    UIProperty<int>* m_columns;
    UIProperty<int>* m_rows;
    UIProperty<int>* m_frameCount;
    UIProperty<int>* m_currentFrame;
};

}  // namespace Varnok
