#include "engine/ui/ComponentTimer.h"

#include "engine/text/TextBank.h"
#include "engine/ui/UIManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace Varnok {

namespace {

constexpr int32_t kSecondsPerWeek = 604800;
constexpr int32_t kSecondsPerDay = 86400;
constexpr int32_t kSecondsPerHour = 3600;
constexpr int32_t kSecondsPerMinute = 60;

void AppendNumber(std::string& out, long value, bool pad) {
    char digits[24];
    snprintf(digits, sizeof(digits), pad ? "%02ld" : "%ld", value);
    out += digits;
}

}  // namespace

const ComponentClassInfo& ComponentTimer::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentTimer", ComponentClassId::Timer,
                                           &ComponentText::GetStaticClassInfo());
    return s_info;
}

ComponentTimer::ComponentTimer()
    : m_timeFormatName(GetOrAddProperty<AsciiString>(AsciiString("timeFormat"), AsciiString("Short"))),
      m_maxDisplayItem(GetOrAddProperty<AsciiString>(AsciiString("maxDisplayItem"), AsciiString("Weeks"))),
      m_minDisplayItem(GetOrAddProperty<AsciiString>(AsciiString("minDisplayItem"), AsciiString("Seconds"))),
      m_alwaysPadSeconds(GetOrAddProperty<bool>(AsciiString("alwaysPadSeconds"), false)),
      m_alwaysPadMinutes(GetOrAddProperty<bool>(AsciiString("alwaysPadMinutes"), false)),
      m_alwaysPadHours(GetOrAddProperty<bool>(AsciiString("alwaysPadHours"), false)),
      m_millisecondDigits(GetOrAddProperty<int>(AsciiString("millisecondDigitsToDisplay"), 0)),
      m_weeks(GetOrAddProperty<int>(AsciiString("weeks"), 0)),
      m_days(GetOrAddProperty<int>(AsciiString("days"), 0)),
      m_hours(GetOrAddProperty<int>(AsciiString("hours"), 0)),
      m_minutes(GetOrAddProperty<int>(AsciiString("minutes"), 0)),
      m_seconds(GetOrAddProperty<int>(AsciiString("seconds"), 0)),
      m_selfCountdown(GetOrAddProperty<bool>(AsciiString("selfCountdown"), true)) {
    SetClassInfo(GetStaticClassInfo());
    RegisterEvent(AsciiString("OnCountdownFinished"), &OnCountdownFinished);
}

ComponentTimer::~ComponentTimer() = default;

int ComponentTimer::ParseUnit(const AsciiString& name) {
    static const char* const kNames[] = {"Minutes", "Hours", "Days", "Weeks"};
    for (int i = 0; i < 4; ++i) {
        if (strcmp(name.c_str(), kNames[i]) == 0) {
            return i + 1;
        }
    }
    return kSeconds;
}

int ComponentTimer::ParseTimeFormat(const AsciiString& name) {
    static const char* const kNames[] = {"Short", "Medium", "Long"};
    for (int i = 0; i < 3; ++i) {
        if (strcmp(name.c_str(), kNames[i]) == 0) {
            return i;
        }
    }
    return -1;
}

AsciiString ComponentTimer::FillTemplate(const char* text, const char* time) {
    std::string out;
    for (const char* p = text; *p != '\0';) {
        if (*p == '{' && p[1] >= '0' && p[1] <= '9') {
            const char* q = p + 1;
            unsigned long number = 0;
            bool huge = false;
            while (*q >= '0' && *q <= '9') {
                huge = huge || number > 100000000ul;
                number = number * 10 + static_cast<unsigned long>(*q - '0');
                ++q;
            }
            if (*q == '}') {
                if (!huge && number == 0) {
                    out += time;
                } else if (huge) {
                    out.append(p, static_cast<size_t>(q + 1 - p));  // too long to renumber
                } else {
                    out += '{';
                    AppendNumber(out, static_cast<long>(number), false);
                    out += '}';
                }
                p = q + 1;
                continue;
            }
        }
        out += *p++;
    }
    return AsciiString(out.c_str());
}

void ComponentTimer::OnFinishedLoading() {
    ComponentText::OnFinishedLoading();
    m_textTemplate = m_text->Get();
    m_localiseText->Set(false);  // the template is looked up here, not by the text
    const int format = ParseTimeFormat(m_timeFormatName->Get());
    if (format >= 0) {
        m_timeFormat = format;
    }
    m_maxDisplayUnit = ParseUnit(m_maxDisplayItem->Get());
    m_minDisplayUnit = ParseUnit(m_minDisplayItem->Get());
    ComputeTotalSeconds();
    SetUnitsFromTotal();
    FormatText();
}

void ComponentTimer::OnPropertyChanged(UIPropertyBase* property) {
    ComponentText::OnPropertyChanged(property);
    if (m_updatingUnits || !IsLoaded()) {
        return;
    }
    if (property == m_text) {
        if (!m_settingText) {
            m_textTemplate = m_text->Get();
            FormatText();
        }
    } else if (property == m_maxDisplayItem) {
        m_maxDisplayUnit = ParseUnit(m_maxDisplayItem->Get());
        SetUnitsFromTotal();
        FormatText();
    } else if (property == m_minDisplayItem) {
        m_minDisplayUnit = ParseUnit(m_minDisplayItem->Get());
        FormatText();
    } else if (property == m_timeFormatName) {
        const int format = ParseTimeFormat(m_timeFormatName->Get());
        if (format >= 0) {
            m_timeFormat = format;
        }
        FormatText();
    } else if (property == m_alwaysPadSeconds || property == m_alwaysPadMinutes || property == m_alwaysPadHours ||
               property == m_millisecondDigits) {
        FormatText();
    } else if (property == m_weeks || property == m_days || property == m_hours || property == m_minutes ||
               property == m_seconds) {
        ComputeTotalSeconds();
        FormatText();
    }
}

void ComponentTimer::Update(float dt) {
    if (m_selfCountdown->Get() && (m_totalSeconds > 0 || m_fraction > 0.0f)) {
        Tick(dt, true);
    }
    ComponentText::Update(dt);
}

void ComponentTimer::Tick(float elapsed, bool fire) {
    if (m_totalSeconds <= 0 && m_fraction <= 0.0f) {
        return;
    }
    CountDown(elapsed);
    FormatText();
    if (m_totalSeconds >= 1 || m_fraction > 0.0f || !fire) {
        return;
    }
    OnCountdownFinished.Raise();
}

void ComponentTimer::ComputeTotalSeconds() {
    // Wide sums: a screen may hold any int in each unit.
    const int64_t total = static_cast<int64_t>(m_weeks->Get()) * kSecondsPerWeek +
                          static_cast<int64_t>(m_days->Get()) * kSecondsPerDay +
                          static_cast<int64_t>(m_hours->Get()) * kSecondsPerHour +
                          static_cast<int64_t>(m_minutes->Get()) * kSecondsPerMinute + m_seconds->Get();
    m_totalSeconds = total > INT32_MAX ? INT32_MAX : (total < INT32_MIN ? INT32_MIN : static_cast<int32_t>(total));
}

void ComponentTimer::SetUnitsFromTotal() {
    const bool wasUpdating = m_updatingUnits;
    m_updatingUnits = true;
    int32_t s = m_totalSeconds;
    auto take = [&s](int32_t unitSeconds, bool shown) {
        if (!shown) {
            return 0;
        }
        const int32_t count = s / unitSeconds;
        s -= count * unitSeconds;
        return static_cast<int>(count);
    };
    m_weeks->Set(take(kSecondsPerWeek, m_maxDisplayUnit == kWeeks));
    m_days->Set(take(kSecondsPerDay, m_maxDisplayUnit >= kDays));
    m_hours->Set(take(kSecondsPerHour, m_maxDisplayUnit >= kHours));
    m_minutes->Set(take(kSecondsPerMinute, m_maxDisplayUnit >= kMinutes));
    m_seconds->Set(static_cast<int>(s));
    m_updatingUnits = wasUpdating;
}

void ComponentTimer::CountDown(float elapsed) {
    m_updatingUnits = true;
    // In doubles: an elapsed time past the int range still splits into its
    // whole seconds (capped, the countdown ends anyway) and its fraction.
    const double safe = elapsed > 0.0f ? static_cast<double>(elapsed) : 0.0;
    const double whole = std::floor(safe);
    const int64_t left = static_cast<int64_t>(m_totalSeconds) - static_cast<int64_t>(std::min(whole, 4.0e9));
    m_totalSeconds = left < INT32_MIN ? INT32_MIN : static_cast<int32_t>(left);
    m_fraction -= static_cast<float>(safe - whole);
    if (m_fraction < 0.0f) {
        m_totalSeconds -= 1;
        m_fraction += 1.0f;
    }
    if (m_totalSeconds <= 0) {
        m_totalSeconds = 0;
        m_fraction = 0.0f;
    }
    SetUnitsFromTotal();
    m_updatingUnits = false;
}

void ComponentTimer::FormatText() {
    const int weeks = m_weeks->Get();
    const int days = m_days->Get();
    const int hours = m_hours->Get();
    const int minutes = m_minutes->Get();
    const bool showWeeks = weeks >= 1 || m_minDisplayUnit == kWeeks;
    const bool showDays = showWeeks || days >= 1 || m_minDisplayUnit >= kDays;
    const bool showHours = showDays || hours >= 1 || m_minDisplayUnit >= kHours;
    const bool showMinutes = showHours || minutes >= 1 || m_minDisplayUnit >= kMinutes;
    std::string time;
    if (m_timeFormat == 0) {
        if (showWeeks) {
            AppendNumber(time, weeks, false);
            time += ':';
        }
        if (showDays) {
            AppendNumber(time, days, false);
            time += ':';
        }
        if (showHours) {
            AppendNumber(time, hours, hours < 10 && (showDays || m_alwaysPadHours->Get()));
            time += ':';
        }
        if (showMinutes) {
            AppendNumber(time, minutes, minutes < 10 && (showHours || m_alwaysPadMinutes->Get()));
            time += ':';
        }
        const int seconds = m_seconds->Get();
        AppendNumber(time, seconds, seconds >= 0 && seconds < 10 && (showMinutes || m_alwaysPadSeconds->Get()));
        const int digits = m_millisecondDigits->Get();
        if (digits >= 1) {
            const int shown = digits < 3 ? digits : 3;
            int millis = static_cast<int>(m_fraction * 1000.0f);
            for (int i = shown; i < 3; ++i) {
                millis /= 10;
            }
            char fraction[8];
            snprintf(fraction, sizeof(fraction), ":%0*d", shown, millis);
            time += fraction;
        }
    }
    m_timeText = AsciiString(time.c_str());
    m_settingText = true;
    if (m_textTemplate.IsEmpty()) {
        m_text->Set(m_timeText);
    } else {
        const char* format = m_textTemplate.c_str();
        if (TextBank* table = UIManager::Get().GetGameStringTable()) {
            if (const char* found = table->FindText(format)) {
                format = found;
            }
        }
        m_text->Set(FillTemplate(format, m_timeText.c_str()));
    }
    m_settingText = false;
}

}  // namespace Varnok
