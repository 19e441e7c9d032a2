// What the input manager needs of the UI: an input frame around each update
// and the first look at every event. The UI lives above the engine core, so
// it plugs in through this interface (InputManager::SetUiSink).
#pragma once

namespace Varnok {

struct InputEvent;

class IInputUiSink {
public:
    virtual ~IInputUiSink() = default;

    // Before any device is polled: clears the UI's per-frame input state.
    virtual void BeginInputFrame() = 0;
    // Non-zero when the UI consumed the event; the bindings then never see it.
    virtual int HandleInputEvent(InputEvent& event) = 0;
    // After the last device; true when any event of the frame was consumed.
    virtual bool EndInputFrame() = 0;
};

}  // namespace Varnok
