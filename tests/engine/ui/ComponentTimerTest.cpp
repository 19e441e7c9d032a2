// The countdown text: durations in its units and formats, template filling,
// and the one "OnCountdownFinished" when the whole seconds run out.
#include "engine/ui/ComponentTimer.h"

#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

using UITest::Make;

class Timer : public UITest::UIManagerTest {
protected:
    // Made with the values, then loaded (as a screen file would).
    ComponentTimer* MakeTimer(const std::vector<std::pair<const char*, const char*>>& values) {
        ComponentTimer* timer = nullptr;
        Build(values, timer);
        return timer;
    }
    void Build(const std::vector<std::pair<const char*, const char*>>& values, ComponentTimer*& out) {
        const std::string screen = "screen" + std::to_string(m_screens++);
        auto* timer = Make<ComponentTimer>(AddScreen(screen.c_str()), "timer");
        timer->FindProperty<bool>(AsciiString("selfCountdown"))->Set(false);
        for (const auto& value : values) {
            const AsciiString name(value.first);
            const UIPropertyType type = timer->GetPropertyType(name);
            ASSERT_NE(type, UIPT_Invalid) << value.first;
            timer->GetTableByType(type).FindItem(name)->SetFromString(value.second);
        }
        timer->MarkLoaded();
        out = timer;
    }
    static std::string Text(ComponentTimer* timer) {
        return timer->FindProperty<AsciiString>(AsciiString("text"))->Get().c_str();
    }

private:
    int m_screens = 0;
};

TEST_F(Timer, ShowsItsUnitsAsTheSettingsAsk) {
    const struct {
        std::vector<std::pair<const char*, const char*>> values;
        const char* shown;
    } cases[] = {
        {{{"seconds", "3725"}}, "1:02:05"},
        {{{"seconds", "3725"}, {"maxDisplayItem", "Minutes"}}, "62:05"},
        {{{"seconds", "5"}, {"minDisplayItem", "Minutes"}}, "0:05"},
        {{{"seconds", "5"}, {"alwaysPadSeconds", "True"}}, "05"},
        {{{"seconds", "5"}}, "5"},
        {{{"days", "2"}}, "2:00:00:00"},
        {{{"hours", "50"}, {"maxDisplayItem", "Hours"}}, "50:00:00"},
        {{{"weeks", "1"}, {"seconds", "1"}}, "1:0:00:00:01"},
        {{{"minutes", "3"}, {"alwaysPadMinutes", "True"}}, "03:00"},
        {{{"seconds", "0"}}, "0"},
        {{{"seconds", "75"}, {"maxDisplayItem", "seconds"}}, "75"},  // names are exact: seconds
        {{{"seconds", "5"}, {"timeFormat", "Long"}}, ""},
        {{{"seconds", "5"}, {"timeFormat", "Sideways"}}, "5"},  // unknown keeps Short
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        ComponentTimer* timer = MakeTimer(c.values);
        EXPECT_EQ(Text(timer), c.shown);
    }
}

TEST_F(Timer, FractionsOfASecondShowTheirDigits) {
    const struct {
        const char* digits;
        const char* shown;
    } cases[] = {{"2", "4:25"}, {"1", "4:2"}, {"3", "4:250"}, {"7", "4:250"}, {"0", "4"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.digits);
        ComponentTimer* timer = MakeTimer({{"seconds", "5"}, {"millisecondDigitsToDisplay", c.digits}});
        timer->Tick(0.75f, false);  // 4.25 s left
        EXPECT_EQ(Text(timer), c.shown);
    }
}

TEST_F(Timer, TheTemplateTakesTheTimeForItsFirstPlaceholderOnly) {
    ComponentTimer* timer = MakeTimer({{"text", "Next in {0} ({1}, {01}, {x}"}, {"seconds", "65"}});
    EXPECT_EQ(Text(timer), "Next in 1:05 ({1}, {1}, {x}");
    // A new template from outside is taken; the timer's own writes are not.
    timer->FindProperty<AsciiString>(AsciiString("text"))->Set(AsciiString("{0} left"));
    EXPECT_EQ(Text(timer), "1:05 left");
    timer->FindProperty<int>(AsciiString("seconds"))->Set(9);  // beside the 1 minute
    EXPECT_EQ(Text(timer), "1:09 left");
    EXPECT_FALSE(timer->FindProperty<bool>(AsciiString("localiseText"))->Get());
    EXPECT_EQ(ComponentTimer::FillTemplate("{0}{0}{", "7"), AsciiString("77{"));
}

TEST_F(Timer, ACountdownFiresOnceWhenTheWholeSecondsRunOut) {
    ComponentTimer* timer = MakeTimer({});
    timer->FindProperty<bool>(AsciiString("selfCountdown"))->Set(true);
    int fired = 0;
    struct Counter {
        int* count;
        void On(Component*) { ++*count; }
    } counter{&fired};
    timer->OnCountdownFinished.AddListener(ComponentTimer::PlainEvent::Listener(&counter, &Counter::On));
    timer->FindProperty<int>(AsciiString("seconds"))->Set(3);
    float elapsed = 0.0f;
    for (int frame = 0; frame < 12; ++frame) {  // quarter seconds: 3 s in all
        timer->Update(0.25f);
        elapsed += 0.25f;
        if (elapsed <= 2.0f) {
            EXPECT_EQ(fired, 0) << elapsed;
        }
    }
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(Text(timer), "0");
    EXPECT_EQ(timer->GetTotalSeconds(), 0);
    // Setting the units again starts it afresh.
    timer->FindProperty<int>(AsciiString("seconds"))->Set(1);
    timer->Update(1.5f);
    EXPECT_EQ(fired, 2);
    // A step far past the int range still ends it cleanly, once.
    timer->FindProperty<int>(AsciiString("hours"))->Set(2);
    timer->Update(1.0e10f);
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(timer->GetTotalSeconds(), 0);
    EXPECT_FLOAT_EQ(timer->GetFraction(), 0.0f);
}

}  // namespace
}  // namespace Varnok
