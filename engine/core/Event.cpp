// Named event arguments and the name-keyed dispatcher.
#include "engine/core/Event.h"

#include <cstdio>

namespace Varnok {

namespace {

constexpr int kNumberTextSize = 64;  // "%f" of FLT_MAX needs 47

uint32_t ArgKey(const char* argName) {
    return argName == nullptr ? 0 : HashName(argName, StrLength(argName));
}

uint32_t NameKey(const char* name) {
    return name == nullptr ? 0 : HashName(name, StrLength(name));
}

}  // namespace

Event::Event(const char* name) : m_name(name) {}

void Event::SetString(const char* argName, const char* text) {
    EventArg& arg = m_args[ArgKey(argName)];
    arg.type = EventArg::String;
    arg.value.Assign(text);
}

void Event::SetInt(const char* argName, int value) {
    char text[kNumberTextSize];
    FormatString(text, kNumberTextSize, "%d", value);
    EventArg& arg = m_args[ArgKey(argName)];
    arg.type = EventArg::Int;
    arg.value.Assign(text);
}

void Event::SetFloat(const char* argName, float value) {
    char text[kNumberTextSize];
    FormatString(text, kNumberTextSize, "%f", static_cast<double>(value));
    EventArg& arg = m_args[ArgKey(argName)];
    arg.type = EventArg::Float;
    arg.value.Assign(text);
}

const EventArg* Event::Find(const char* argName) const {
    auto it = m_args.find(ArgKey(argName));
    return it == m_args.end() ? nullptr : &it->second;
}

bool Event::HasArg(const char* argName) const {
    return Find(argName) != nullptr;
}

int Event::GetInt(const char* argName) const {
    const EventArg* arg = Find(argName);
    if (arg == nullptr) {
        return 0;
    }
    if (arg->type == EventArg::Int) {
        int value = 0;
        return sscanf(arg->value.c_str(), "%d", &value) == 1 ? value : 0;
    }
    if (arg->type == EventArg::Float) {
        float value = 0.0f;
        if (sscanf(arg->value.c_str(), "%f", &value) != 1) {
            return 0;
        }
        // Out of int range (or NaN) converts to 0 rather than undefined.
        if (!(value > -2147483648.0f && value < 2147483648.0f)) {
            return 0;
        }
        return static_cast<int>(value);
    }
    return 0;
}

float Event::GetFloat(const char* argName) const {
    const EventArg* arg = Find(argName);
    if (arg == nullptr) {
        return 0.0f;
    }
    if (arg->type == EventArg::Float) {
        float value = 0.0f;
        return sscanf(arg->value.c_str(), "%f", &value) == 1 ? value : 0.0f;
    }
    if (arg->type == EventArg::Int) {
        int value = 0;
        return sscanf(arg->value.c_str(), "%d", &value) == 1 ? static_cast<float>(value) : 0.0f;
    }
    return 0.0f;
}

AsciiString Event::GetArgText(const char* argName) const {
    const EventArg* arg = Find(argName);
    if (arg == nullptr) {
        return AsciiString();
    }
    char text[kNumberTextSize];
    switch (arg->type) {
        case EventArg::String:
            return arg->value;
        case EventArg::Int:
            FormatString(text, kNumberTextSize, "%d", GetInt(argName));
            return AsciiString(text);
        case EventArg::Float:
            FormatString(text, kNumberTextSize, "%f", static_cast<double>(GetFloat(argName)));
            return AsciiString(text);
        default:
            return AsciiString();
    }
}

EventDispatcher& EventDispatcher::Get() {
    static EventDispatcher* dispatcher = new EventDispatcher();  // never destroyed
    return *dispatcher;
}

void EventDispatcher::Subscribe(const char* eventName, const EventListener& listener) {
    // operator[] inserts an empty list; a std::map never moves its lists, so
    // a list being dispatched stays valid.
    m_lists[NameKey(eventName)].Add(listener);
}

void EventDispatcher::Unsubscribe(const char* eventName, const EventListener& listener) {
    auto it = m_lists.find(NameKey(eventName));
    if (it != m_lists.end()) {
        it->second.Remove(listener);
    }
}

void EventDispatcher::Fire(const Event& event) {
    auto it = m_lists.find(event.GetNameHash());
    if (it != m_lists.end()) {
        it->second.Invoke(event);
    }
}

void EventDispatcher::FireGlobal(const Event& event) {
    Get().Fire(event);
}

}  // namespace Varnok
