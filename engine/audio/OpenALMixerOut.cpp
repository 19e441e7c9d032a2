// OpenALMixerOut: device set-up, the buffer queue and the output thread.
#include "engine/audio/OpenALMixerOut.h"

#include "engine/audio/AudioSession.h"
#include "engine/core/Log.h"
#include "engine/core/Mutex.h"

#include <AL/alext.h>

#include <utility>

namespace Varnok {

namespace {

constexpr uint64_t kPollNanoseconds = 10000000;   // 10 ms between services
constexpr int kSuspendedPolls = 50;               // 500 ms asleep while suspended
constexpr int kHighestThreadPriority = 2;

void ClearAlError() {
    // Errors are read after each step and otherwise ignored: a failed call
    // leaves that buffer silent, and the next fill tries again.
    alGetError();
}

}  // namespace

SmartPtr<OpenALMixerOut> OpenALMixerOut::Get() {
    static Mutex mutex;
    static SmartPtr<OpenALMixerOut> instance;
    MutexLock lock(mutex);
    if (!instance) {
        instance = Create();
    }
    return instance;
}

SmartPtr<OpenALMixerOut> OpenALMixerOut::Create(OpenALOutputDef def) {
    const bool startThread = def.startThread;
    SmartPtr<OpenALMixerOut> output(new OpenALMixerOut(std::move(def)));
    // Started once the output is counted: the thread may take references to it.
    if (startThread) {
        output->m_thread.Start(kThreadName, kHighestThreadPriority);
    }
    return output;
}

OpenALMixerOut::OpenALMixerOut(OpenALOutputDef def) : m_def(std::move(def)), m_thread(*this) {
    SetAmbientAudioSession();
}

OpenALMixerOut::~OpenALMixerOut() {
    m_thread.Stop();  // the thread closes the device as it ends
    Close();          // a test-driven output closes here
}

void OpenALMixerOut::OutputThread::Run() {
    m_owner.Run(*this);
}

void OpenALMixerOut::Run(const OutputThread& thread) {
    // Without a device (logged) the thread still follows suspend, resume and
    // stop requests; IsOpen() tells the callers.
    (void)Open();
    while (!thread.StopRequested()) {
        if (m_suspended.load()) {
            // Sleeps in slices so that a resume or a shutdown is not kept waiting.
            for (int i = 0; i < kSuspendedPolls && m_suspendRequested.load() &&
                            !thread.StopRequested();
                 ++i) {
                Thread::Sleep(0, kPollNanoseconds);
            }
        }
        Service();
        Thread::Sleep(0, kPollNanoseconds);
    }
    Close();
}

void OpenALMixerOut::MakeCurrent(ALCcontext* context) {
    // With thread contexts only this thread's context changes, and other
    // users of OpenAL in the process keep theirs.
    if (m_setThreadContext != nullptr) {
        m_setThreadContext(context);
    } else {
        alcMakeContextCurrent(context);
    }
}

bool OpenALMixerOut::Open() {
    if (m_context != nullptr) {
        return true;
    }
    m_device = m_def.openDevice ? m_def.openDevice() : alcOpenDevice(nullptr);
    m_triedOpen.store(true);
    if (m_device == nullptr) {
        Log("OpenALMixerOut: no audio device, playing nothing");
        return false;
    }
    const ALCint* attributes =
        m_def.contextAttributes.empty() ? nullptr : m_def.contextAttributes.data();
    m_context = alcCreateContext(m_device, attributes);
    if (m_context == nullptr) {
        Log("OpenALMixerOut: cannot create a context (error 0x%X), playing nothing",
            alcGetError(m_device));
        alcCloseDevice(m_device);
        m_device = nullptr;
        return false;
    }
    if (alcIsExtensionPresent(m_device, "ALC_EXT_thread_local_context") == ALC_TRUE) {
        m_setThreadContext = reinterpret_cast<ALCboolean(ALC_APIENTRY*)(ALCcontext*)>(
            alcGetProcAddress(m_device, "alcSetThreadContext"));
    }
    MakeCurrent(m_context);
    alGenBuffers(kBufferCount, m_buffers);
    ClearAlError();
    alGenSources(1, &m_source);
    ClearAlError();
    m_haveObjects = true;
    // Our mixer has placed every sample already: the buffer's channels go
    // to the speakers unchanged.
    if (alIsExtensionPresent("AL_SOFT_direct_channels") == AL_TRUE) {
        alSourcei(m_source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
        ClearAlError();
    }
    m_freeBuffers.assign(m_buffers, m_buffers + kBufferCount);
    for (int i = 0; i < kBuffersAtStart; ++i) {
        FillBuffer();
    }
    m_open.store(true);
    return true;
}

void OpenALMixerOut::Service() {
    const bool open = m_context != nullptr;
    if (!m_suspended.load() && open) {
        for (int i = 0; i < kBufferCount; ++i) {
            ReclaimBuffers();
            if (m_freeBuffers.empty()) {
                break;
            }
            FillBuffer();
        }
    }
    const bool wanted = m_suspendRequested.load();
    if (wanted == m_suspended.load()) {
        return;
    }
    m_suspended.store(wanted);
    if (!open) {
        return;
    }
    if (wanted) {
        MakeCurrent(nullptr);
        alcSuspendContext(m_context);
    } else {
        MakeCurrent(m_context);
        alcProcessContext(m_context);
    }
}

void OpenALMixerOut::FillBuffer() {
    if (m_freeBuffers.empty()) {
        return;
    }
    const ALuint buffer = m_freeBuffers.front();
    m_freeBuffers.pop_front();
    const int16_t* pcm = MixOutputBuffer();
    alBufferData(buffer, AL_FORMAT_STEREO16, pcm,
                 static_cast<ALsizei>(kBufferFrames * kChannels * sizeof(int16_t)), 44100);
    ClearAlError();
    ReclaimBuffers();
    alSourceQueueBuffers(m_source, 1, &buffer);
    ClearAlError();
    ALint state = AL_STOPPED;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) {
        alSourcePlay(m_source);  // first start, or a restart after an underrun
    }
    ClearAlError();
}

void OpenALMixerOut::ReclaimBuffers() {
    ALint processed = 0;
    alGetSourcei(m_source, AL_BUFFERS_PROCESSED, &processed);
    ClearAlError();
    for (ALint i = 0; i < processed && i < kBufferCount; ++i) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(m_source, 1, &buffer);
        if (alGetError() == AL_NO_ERROR) {
            m_freeBuffers.push_back(buffer);
        }
    }
}

void OpenALMixerOut::Close() {
    m_open.store(false);
    if (m_context != nullptr) {
        MakeCurrent(m_context);
        if (m_haveObjects) {
            alSourceStop(m_source);
            alSourcei(m_source, AL_BUFFER, 0);
            alDeleteSources(1, &m_source);
            alDeleteBuffers(kBufferCount, m_buffers);
            ClearAlError();
            m_haveObjects = false;
        }
        MakeCurrent(nullptr);
        alcDestroyContext(m_context);
        m_context = nullptr;
    }
    if (m_device != nullptr) {
        alcCloseDevice(m_device);
        m_device = nullptr;
    }
    m_freeBuffers.clear();
}

}  // namespace Varnok
