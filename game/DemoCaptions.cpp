// What each caption shows and how it is styled.
#include "game/DemoCaptions.h"

#include "engine/core/Log.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/text/FontManager.h"
#include "engine/text/MarkupColourMap.h"
#include "engine/text/TextLabel.h"

namespace Varnok {
namespace {

constexpr const char* kLatinFont = "fontstruetype/miserable.ttf";
constexpr const char* kBoldFont = "fontstruetype/bronic.ttf";
constexpr const char* kCjkFont = "fontstruetype/gangofchinese.ttf";
constexpr const char* kArabicFont = "fontstruetype/amiri.ttf";
constexpr const char* kBankName = "TamberloFelisRex";

enum CaptionIndex { kOutlined, kBevelled, kMarkup, kJapanese, kKorean, kArabic };

void LoadBank(TextBank& bank, const char* language, bool shaping) {
    char path[128];
    bank.Init();
    bank.SetShaping(shaping);
    snprintf(path, sizeof(path), "stringtables/%s_header.str", kBankName);
    if (!bank.LoadKeys(path)) {
        return;
    }
    snprintf(path, sizeof(path), "stringtables/%s_%s.str", kBankName, language);
    (void)bank.LoadStrings(path);
}

// The key itself when the bank lacks it, as the game's lookups do.
const char* Text(const TextBank& bank, const char* key) {
    const char* text = bank.FindText(key);
    return text != nullptr ? text : key;
}

}  // namespace

DemoCaptions::DemoCaptions() = default;
DemoCaptions::~DemoCaptions() {
    Release();
}

void DemoCaptions::Load(int viewportHeight) {
    Release();
    FontManager& fonts = FontManager::Get();
    if (!fonts.IsInitialised()) {
        if (!fonts.Init(1.0f, 1.0f, FontManager::Rgba32, false)) {
            Log("DemoCaptions: no fonts: %s", fonts.GetErrorText());
            return;
        }
        m_startedFonts = true;
    }
    // Glyphs rendered at the viewport's own resolution stay sharp.
    fonts.SetScale(static_cast<float>(viewportHeight) / kWorkspaceHeight);
    LoadBank(m_japanese, "japanese", false);
    LoadBank(m_korean, "korean", false);
    LoadBank(m_arabic, "arabic", true);

    auto make = [this](CaptionIndex index, const char* fontPath, float size, int flags, int maximumLines,
                       int lineSpacing = 2) {
        const CaptionBox& box = kCaptionBoxes[index];
        auto label = std::make_unique<TextLabel>(FontManager::Get().GetFont(fontPath), size,
                                                 static_cast<int>(box.width), static_cast<int>(box.height),
                                                 flags, maximumLines, lineSpacing);
        label->SetPosition(Vector3{box.left, -box.top, 0.0f}, false);
        label->SetFirstLineOnTop(true);
        TextLabel& made = *label;
        m_labels.push_back(std::move(label));
        return &made;
    };

    TextLabel* outlined = make(kOutlined, kBoldFont, 22.0f, kLabelAlignLeft | kLabelAlignMiddle, 1);
    outlined->SetColour(Colour(255, 214, 40), false);
    outlined->SetOutline(2.0f, Colour(40, 20, 0));
    outlined->SetShadow(1.0f, Colour(0, 0, 0, 180), Vector3{3.0f, -3.0f, 0.0f}, 0);
    outlined->SetText("Slice the fruit!");

    TextLabel* bevelled = make(kBevelled, kBoldFont, 34.0f, kLabelAlignLeft | kLabelAlignMiddle, 1);
    bevelled->SetGradient(Colour(255, 240, 80), Colour(230, 60, 20), false);
    bevelled->SetBevel(2.0f, 2.0f, 0.8f, 0.6f, Colour(255, 255, 220), Colour(90, 20, 0));
    bevelled->SetInnerGlow(2.0f, Colour(255, 255, 255, 200));
    bevelled->SetText("FRUIT FRENZY");

    TextLabel* markup = make(kMarkup, kLatinFont, 18.0f, kLabelAlignLeft | kLabelAlignMiddle, 1);
    markup->EnableMarkup(true);
    markup->GetMarkup()->DefineColour("lime", Colour(120, 230, 60));
    markup->GetMarkup()->DefineColour("berry", Colour(230, 50, 120));
    markup->SetColour(Colour(235, 235, 235), false);
    markup->SetText("<lime>Limes</lime> and <berry>berries</berry>");

    // Sizes are points at 100 dots per inch: the lines need more than 2 apart.
    TextLabel* japanese = make(kJapanese, kCjkFont, 15.0f, kLabelAlignLeft, 8, 7);
    japanese->SetColour(Colour(250, 250, 250), false);
    japanese->SetText(Text(m_japanese, "TUTORIAL_SWIPE"));

    TextLabel* korean = make(kKorean, kCjkFont, 18.0f, kLabelAlignLeft | kLabelAlignMiddle, 1);
    korean->SetColour(Colour(160, 220, 255), false);
    korean->SetText(Text(m_korean, "DEMO_CAPTION"));

    TextLabel* arabic = make(kArabic, kArabicFont, 22.0f, kLabelAlignRight | kLabelAlignMiddle, 1);
    arabic->SetColour(Colour(255, 200, 150), false);
    arabic->SetText(Text(m_arabic, "DEMO_CAPTION"));
}

void DemoCaptions::Draw() {
    if (m_labels.empty()) {
        return;
    }
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.View().Set(Matrix4::Identity());
    // The workspace: x right, y up with the top edge at 0, as labels expect.
    transforms.SetOrthographic(0.0f, -kWorkspaceHeight, 0.0f, kWorkspaceWidth, -1.0f, 1.0f);
    Renderer::Get().SetDepthTest(false);
    for (const auto& label : m_labels) {
        label->Draw(1.0f, 1.0f, 0.0f, false);
    }
}

void DemoCaptions::Release() {
    m_labels.clear();
    m_japanese.Clear();
    m_korean.Clear();
    m_arabic.Clear();
    if (m_startedFonts) {
        FontManager::Get().Shutdown();
        m_startedFonts = false;
    }
}

}  // namespace Varnok
