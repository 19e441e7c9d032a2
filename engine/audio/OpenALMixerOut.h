// The output mixer on OpenAL: its own thread keeps five 40 ms buffers queued
// on one source, mixing a new buffer whenever one has played.
#pragma once

#include "engine/audio/AudioMixerOutput.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/Thread.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <atomic>
#include <deque>
#include <functional>
#include <vector>

namespace Varnok {

// Where the output plays. The default is the system's default device and a
// thread of the output's own; a test passes a loopback device and drives the
// output itself.
struct OpenALOutputDef {
    // Null: alcOpenDevice with no name. The output closes what it returns.
    std::function<ALCdevice*()> openDevice;
    // Zero-terminated context attributes; empty for none.
    std::vector<ALCint> contextAttributes;
    bool startThread = true;
};

class OpenALMixerOut : public AudioMixerOutput {
public:
    static constexpr int kBufferCount = 5;
    static constexpr int kBuffersAtStart = 3;  // 120 ms queued before playback starts
    static constexpr const char* kThreadName = "Varnok - OpenALMixerOut Thread";

    // The shared output on the default device, made on first use and kept
    // until exit; later calls return it.
    static SmartPtr<OpenALMixerOut> Get();
    static SmartPtr<OpenALMixerOut> Create(OpenALOutputDef def = {});

    ~OpenALMixerOut() override;

    // From the game's thread: the output stops mixing (voices keep their
    // positions) and starts again where it was.
    void Suspend() override { m_suspendRequested.store(true); }
    void Resume() override { m_suspendRequested.store(false); }

    // ---- The thread body's steps; a test without the thread calls them ----
    // Opens the device and context, makes the buffers and the source and
    // queues the first buffers. False (one log line) without a device.
    [[nodiscard]] bool Open();
    // Refills every played buffer unless suspended, then follows a suspend
    // or resume request.
    void Service();
    void Close();

    bool IsOpen() const { return m_open.load(); }
    bool IsSuspended() const { return m_suspended.load(); }
    // True once the thread has tried to open the device.
    bool HasTriedOpen() const { return m_triedOpen.load(); }
    ALCdevice* GetDevice() const { return m_device; }

private:
    class OutputThread : public Thread {
    public:
        explicit OutputThread(OpenALMixerOut& owner) : m_owner(owner) {}
        ~OutputThread() override { Stop(); }
        bool StopRequested() const { return IsStopRequested(); }

    private:
        void Run() override;
        OpenALMixerOut& m_owner;
    };

    explicit OpenALMixerOut(OpenALOutputDef def);
    void Run(const OutputThread& thread);
    void FillBuffer();
    void ReclaimBuffers();
    void MakeCurrent(ALCcontext* context);

    OpenALOutputDef m_def;
    ALCdevice* m_device = nullptr;
    ALCcontext* m_context = nullptr;
    ALuint m_buffers[kBufferCount] = {};
    ALuint m_source = 0;
    bool m_haveObjects = false;
    // alcSetThreadContext when the device has ALC_EXT_thread_local_context.
    ALCboolean(ALC_APIENTRY* m_setThreadContext)(ALCcontext*) = nullptr;
    std::deque<ALuint> m_freeBuffers;
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_suspended{false};  // the output thread's state
    std::atomic<bool> m_suspendRequested{false};
    std::atomic<bool> m_triedOpen{false};
    OutputThread m_thread;  // last: stopped first, while everything above lives
};

}  // namespace Varnok
