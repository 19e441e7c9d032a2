// A block of text inside the component's rectangle, drawn by a TextLabel
// at the visual's place. "text" is shown as it is, or looked up as a key in
// the screen's string table when "localiseText" is set.
#pragma once

#include "engine/ui/ComponentVisual.h"

#include <memory>

namespace Varnok {

class TextLabel;

class ComponentText : public ComponentVisual {
public:
    ComponentText();
    ~ComponentText() override;

    static const ComponentClassInfo& GetStaticClassInfo();

    void SetText(const AsciiString& text) override;
    void Update(float dt) override;
    void Draw() override;
    void OnPropertyChanged(UIPropertyBase* property) override;
    // The text to show: "text", or its string-table value when localised.
    virtual AsciiString GetDisplayText() const;

    // Hands the current display text to the label now.
    void RefreshText();
    // Re-wraps now so that line metrics can be read.
    void UpdateTextLayout();
    // Null until a font is available.
    TextLabel* GetLabel() const { return m_label.get(); }
    // Alignment words ("topLeft", "centre", "textbox"...) as label flags.
    static int ParseAlignment(const AsciiString& words);
    int GetAlignFlags() const { return m_alignFlags; }

protected:
    UIProperty<AsciiString>* m_text;
    UIProperty<AsciiString>* m_fontName;
    UIProperty<float>* m_fontSize;
    UIProperty<int>* m_maxLines;
    UIProperty<AsciiString>* m_alignment;
    UIProperty<bool>* m_localiseText;
    UIProperty<float>* m_strokeSize;
    UIProperty<Colour>* m_strokeColour;

private:
    AsciiString ResolveFontName() const;
    void RebuildLabel();

    int m_alignFlags = 15;
    std::unique_ptr<TextLabel> m_label;
    AsciiString m_fontFile;
    bool m_rebuildPending = true;
    bool m_textDirty = false;
};

}  // namespace Varnok
