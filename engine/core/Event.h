// Named events with typed arguments kept as text, and the global dispatcher
// through which services subscribe to and fire them by name.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Delegate.h"
#include "engine/core/EventList.h"

#include <cstdint>
#include <map>

namespace Varnok {

struct EventArg {
    enum Type : int { None = 0, String = 1, Int = 2, Float = 3 };
    int type = None;
    AsciiString value;  // the value as text
};

class Event {
public:
    explicit Event(const char* name);

    // Each replaces an earlier value under the same argument name.
    void SetString(const char* argName, const char* text);  // null stores ""
    void SetInt(const char* argName, int value);
    void SetFloat(const char* argName, float value);

    // 0 when the argument is missing or a string; a float reads truncated.
    int GetInt(const char* argName) const;
    // 0 when the argument is missing or a string.
    float GetFloat(const char* argName) const;
    // Empty when missing; numbers as "%d" or "%f".
    AsciiString GetArgText(const char* argName) const;
    bool HasArg(const char* argName) const;

    const char* GetName() const { return m_name.c_str(); }
    uint32_t GetNameHash() const { return m_name.GetHash(); }

private:
    const EventArg* Find(const char* argName) const;

    AsciiString m_name;
    std::map<uint32_t, EventArg> m_args;  // keyed by HashName of the name
};

using EventListener = Delegate1<void, const Event&>;

// One per process, created on first use and never destroyed. Main thread only.
class EventDispatcher {
public:
    static EventDispatcher& Get();

    // Added to the list of the name's hash; during a firing of that event
    // the new listener waits for the next firing.
    void Subscribe(const char* eventName, const EventListener& listener);
    void Unsubscribe(const char* eventName, const EventListener& listener);
    // Dispatches to the listeners of the event's name; nothing without any.
    void Fire(const Event& event);
    static void FireGlobal(const Event& event);

private:
    std::map<uint32_t, Event1<const Event&>> m_lists;  // never shrinks
};

}  // namespace Varnok
