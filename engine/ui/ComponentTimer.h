// A text that shows a duration (weeks down to seconds, optionally with
// fractions of a second) through a template holding "{0}", and can count
// itself down, firing "OnCountdownFinished" once when it reaches zero.
#pragma once

#include "engine/ui/ComponentText.h"

#include <cstdint>

namespace Varnok {

class ComponentTimer : public ComponentText {
public:
    // Unit indices of "maxDisplayItem" and "minDisplayItem".
    enum Unit : int { kSeconds = 0, kMinutes = 1, kHours = 2, kDays = 3, kWeeks = 4 };

    ComponentTimer();
    ~ComponentTimer() override;

    static const ComponentClassInfo& GetStaticClassInfo();

    void Update(float dt) override;
    void OnFinishedLoading() override;
    void OnPropertyChanged(UIPropertyBase* property) override;

    // "Weeks" 4 ... "Minutes" 1, anything else (seconds too) 0; exact.
    static int ParseUnit(const AsciiString& name);
    // "Short" 0, "Medium" 1, "Long" 2; -1 for anything else.
    static int ParseTimeFormat(const AsciiString& name);
    // "{0}" becomes time; other numbered placeholders are written back with
    // their number in plain decimal; any other '{' is kept.
    static AsciiString FillTemplate(const char* text, const char* time);

    // Counts down by the elapsed seconds and shows the result; with fire,
    // reaching zero raises OnCountdownFinished.
    void Tick(float elapsed, bool fire);
    // The shown time string, without the template.
    const AsciiString& GetTimeText() const { return m_timeText; }
    int32_t GetTotalSeconds() const { return m_totalSeconds; }
    float GetFraction() const { return m_fraction; }

    PlainEvent OnCountdownFinished{this};

private:
    void ComputeTotalSeconds();
    void SetUnitsFromTotal();
    void CountDown(float elapsed);
    void FormatText();

    UIProperty<AsciiString>* m_timeFormatName;
    UIProperty<AsciiString>* m_maxDisplayItem;
    UIProperty<AsciiString>* m_minDisplayItem;
    UIProperty<bool>* m_alwaysPadSeconds;
    UIProperty<bool>* m_alwaysPadMinutes;
    UIProperty<bool>* m_alwaysPadHours;
    UIProperty<int>* m_millisecondDigits;
    UIProperty<int>* m_weeks;
    UIProperty<int>* m_days;
    UIProperty<int>* m_hours;
    UIProperty<int>* m_minutes;
    UIProperty<int>* m_seconds;
    UIProperty<bool>* m_selfCountdown;

    int m_timeFormat = 0;
    int m_maxDisplayUnit = 0;
    int m_minDisplayUnit = 0;
    float m_fraction = 0.0f;
    int32_t m_totalSeconds = 0;
    bool m_settingText = false;
    bool m_updatingUnits = false;
    AsciiString m_textTemplate;
    AsciiString m_timeText;
};

}  // namespace Varnok
