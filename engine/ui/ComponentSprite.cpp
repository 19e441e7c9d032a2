// ComponentSprite: which cell of the sheet the quad shows.
#include "engine/ui/ComponentSprite.h"

#include <algorithm>

namespace Varnok {

const ComponentClassInfo& ComponentSprite::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentSprite", ComponentClassId::Sprite,
                                           &ComponentTexture::GetStaticClassInfo());
    return s_info;
}

ComponentSprite::ComponentSprite()
    : m_columns(GetOrAddProperty<int>(AsciiString("spriteSheetColumns"), 1)),
      m_rows(GetOrAddProperty<int>(AsciiString("spriteSheetRows"), 1)),
      m_frameCount(GetOrAddProperty<int>(AsciiString("spriteSheetFrameCount"), 1)),
      m_currentFrame(GetOrAddProperty<int>(AsciiString("spriteSheetCurrentFrame"), 0)) {
    SetClassInfo(GetStaticClassInfo());
}

bool ComponentSprite::IsSheetValid() const {
    const int frames = m_frameCount->Get();
    return m_columns->Get() > 0 && m_rows->Get() > 0 && (frames == -1 || frames > 0);
}

Vector2 ComponentSprite::GetTexCoordSize() const {
    const Vector2 size = ComponentTexture::GetTexCoordSize();
    if (!IsSheetValid()) {
        return size;
    }
    return Vector2{size.x / static_cast<float>(m_columns->Get()), size.y / static_cast<float>(m_rows->Get())};
}

Vector2 ComponentSprite::GetTexCoordOffset() const {
    const Vector2 offset = ComponentTexture::GetTexCoordOffset();
    if (!IsSheetValid()) {
        return offset;
    }
    const int columns = m_columns->Get();
    const int rows = m_rows->Get();
    // Products past the int range are held at it: such sheets show nothing
    // sensible, but they must not overflow.
    const long long cells = static_cast<long long>(columns) * rows;
    long long total = cells;
    if (m_frameCount->Get() != -1) {
        total = std::min<long long>(m_frameCount->Get(), cells);
    }
    // The remainder takes the dividend's sign: frame -1 lies one cell
    // before the sheet's start.
    const long long frame = m_currentFrame->Get() % total;
    const long long column = frame % columns;
    const long long row = frame / columns;
    const Vector2 cell = GetTexCoordSize();
    return Vector2{offset.x + static_cast<float>(column) * cell.x, offset.y + static_cast<float>(row) * cell.y};
}

void ComponentSprite::OnPropertyChanged(UIPropertyBase* property) {
    ComponentTexture::OnPropertyChanged(property);
    if (IsLoaded() && (property == m_columns || property == m_rows || property == m_frameCount ||
                       property == m_currentFrame)) {
        m_layoutDirty = 1;
    }
}

AsciiString ComponentSprite::Dump() const {
    AsciiString text(GetClassInfo().name.c_str());
    text.Append("\n{\n  id: \"");
    text.AppendString(GetId());
    text.Append("\"\n}");
    return text;
}

}  // namespace Varnok
