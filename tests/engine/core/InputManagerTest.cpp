#include "engine/core/InputManager.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/InputDevice.h"
#include "tests/engine/core/FileTestUtil.h"
#include "tests/engine/core/InputTestUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace Varnok;
using VarnokTest::ActionRecorder;
using VarnokTest::Hash;
using VarnokTest::RecordingUiSink;
using VarnokTest::ScopedUiSink;

namespace {

// Emits the events it is given, once, at its next update.
class ScriptedDevice : public InputDevice {
public:
    void Update(float /*elapsedSeconds*/) override {
        ++updates;
        std::vector<InputEvent> now;
        now.swap(next);
        for (InputEvent& event : now) {
            DispatchEvent(event);
        }
    }
    int GetKind() const override { return 0; }

    std::vector<InputEvent> next;
    int updates = 0;
};

InputEvent Button(uint32_t code, uint32_t state) {
    return InputEvent::MakeButton(code, state, 1.0f, 0);
}

void Bind(InputManager& manager, const char* path, const std::string& text) {
    manager.BindFromMemory(path, reinterpret_cast<const uint8_t*>(text.data()),
                           static_cast<int32_t>(text.size()));
}

class InputManagerTest : public ::testing::Test {
protected:
    InputManagerTest() {
        auto first = std::make_unique<ScriptedDevice>();
        auto second = std::make_unique<ScriptedDevice>();
        m_first = first.get();
        m_second = second.get();
        m_manager.AddDevice(std::move(first));
        m_manager.AddDevice(std::move(second));
    }

    // Emits one event from the first device and runs an update.
    void Emit(InputEvent event) {
        m_first->next.push_back(event);
        m_manager.Update(1.0f / 60.0f);
    }

    InputManager m_manager;
    ScriptedDevice* m_first;
    ScriptedDevice* m_second;
};

}  // namespace

TEST_F(InputManagerTest, LinesBindTheirInputsAndStatesOnEveryDevice) {
    Bind(m_manager, "Input/Test.txt", "Both:Touch1,Touch2;pressed,down\nEach:Touch3;Touch4;pressed\n");
    const uint32_t both = Hash("Both");
    const uint32_t each = Hash("Each");
    for (ScriptedDevice* device : {m_first, m_second}) {
        ASSERT_NE(device->FindBinding(both), nullptr);
        const struct {
            uint32_t code;
            int stateBit;
            uint32_t action;  // 0: nothing bound
        } lists[] = {
            {137, 0, both}, {137, 1, both}, {138, 0, both}, {138, 1, both}, {137, 2, 0},
            {139, 0, each}, {140, 0, each}, {139, 1, 0},
        };
        for (const auto& l : lists) {
            SCOPED_TRACE(l.code * 100 + l.stateBit);
            const std::vector<InputBinding*>* list = device->GetStateList(l.code, l.stateBit);
            ASSERT_NE(list, nullptr);
            if (l.action == 0) {
                EXPECT_TRUE(list->empty());
            } else {
                ASSERT_EQ(list->size(), 1u);
                EXPECT_EQ(list->front()->action, l.action);
            }
        }
    }
    // The devices share one binding object per action.
    EXPECT_EQ(m_first->FindBinding(both), m_second->FindBinding(both));

    ActionRecorder recorder;
    m_manager.AddActionListener(both, recorder.Listener());
    Emit(Button(137, InputEvent::kPressed));
    Emit(Button(137, InputEvent::kReleased));
    Emit(Button(138, InputEvent::kDown));
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"Touch1 PRESSED", "Touch2 DOWN"}));
}

TEST_F(InputManagerTest, ConsumedEventsNeverReachTheBindings) {
    RecordingUiSink ui;
    ui.consume = [](const InputEvent& event) {
        return (event.eventType & InputEvent::kPressed) != 0;
    };
    ScopedUiSink scoped(&ui);
    Bind(m_manager, "Input/Test.txt", "Tap:Touch1;pressed,down\n");
    ActionRecorder recorder;
    m_manager.AddActionListener(Hash("Tap"), recorder.Listener());

    m_first->next = {Button(137, InputEvent::kPressed), Button(137, InputEvent::kDown)};
    m_second->next = {Button(137, InputEvent::kDown)};
    m_manager.Update(0.0f);

    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"Touch1 DOWN", "Touch1 DOWN"}));
    EXPECT_EQ(ui.events.size(), 3u);  // the UI saw all three, the first consumed
    EXPECT_EQ(m_second->updates, 1);  // the devices after a consumed event are still polled
    EXPECT_EQ(ui.frames, 1);
    EXPECT_EQ(ui.ends, 1);
}

TEST_F(InputManagerTest, FilesDeclaringOneActionShareItUntilBothAreRemoved) {
    Bind(m_manager, "Input/Input.txt", "Back:MouseButton2;pressed\n");
    Bind(m_manager, "Input/PauseMenu.txt", "Back:MouseButton2;pressed\n");
    ActionRecorder recorder;
    m_manager.AddActionListener(Hash("Back"), recorder.Listener());

    Emit(Button(127, InputEvent::kPressed));
    EXPECT_EQ(recorder.Calls(), 1);  // one call, although two files declared it

    m_manager.RemoveActionListeners(Hash("Input/PauseMenu.txt"));
    Emit(Button(127, InputEvent::kPressed));
    EXPECT_EQ(recorder.Calls(), 2);

    m_manager.RemoveActionListeners(Hash("Input/Input.txt"));
    Emit(Button(127, InputEvent::kPressed));
    EXPECT_EQ(recorder.Calls(), 2);
    for (ScriptedDevice* device : {m_first, m_second}) {
        EXPECT_EQ(device->FindBinding(Hash("Back")), nullptr);
        EXPECT_TRUE(device->GetStateList(127, 0)->empty());
    }
}

TEST_F(InputManagerTest, ListenersNeedALoadedBindingAndGoWithIt) {
    ActionRecorder recorder;
    m_manager.AddActionListener(Hash("Tap"), recorder.Listener());  // nothing bound yet: dropped
    Bind(m_manager, "Input/Test.txt", "Tap:Touch1;pressed\n");
    Emit(Button(137, InputEvent::kPressed));
    EXPECT_EQ(recorder.Calls(), 0);

    m_manager.AddActionListener(Hash("Tap"), recorder.Listener());
    Emit(Button(137, InputEvent::kPressed));
    EXPECT_EQ(recorder.Calls(), 1);

    m_manager.RemoveActionListeners(0);
    Bind(m_manager, "Input/Test.txt", "Tap:Touch1;pressed\n");
    Emit(Button(137, InputEvent::kPressed));
    EXPECT_EQ(recorder.Calls(), 1);  // a new binding has no listener until one is added again
}

TEST_F(InputManagerTest, AListenerMayUnbindAFileDuringDispatch) {
    Bind(m_manager, "Input/Input.txt", "First:Touch1;pressed\n");
    Bind(m_manager, "Input/PauseMenu.txt", "Second:Touch1;pressed\n");
    Bind(m_manager, "Input/Input.txt", "Third:Touch1;pressed\n");

    struct Unbinder {
        int OnEvent(InputEvent& /*event*/) {
            ++calls;
            manager->RemoveActionListeners(Hash("Input/PauseMenu.txt"));
            manager->RemoveActionListeners(Hash("Input/Input.txt"));  // itself too
            return 1;
        }
        InputManager* manager;
        int calls = 0;
    } unbinder{&m_manager};
    ActionRecorder second;
    ActionRecorder third;
    m_manager.AddActionListener(Hash("First"), InputListener(&unbinder, &Unbinder::OnEvent));
    m_manager.AddActionListener(Hash("Second"), second.Listener());
    m_manager.AddActionListener(Hash("Third"), third.Listener());

    Emit(Button(137, InputEvent::kPressed));
    EXPECT_EQ(unbinder.calls, 1);
    EXPECT_EQ(second.Calls(), 0);  // removed before its turn
    EXPECT_EQ(third.Calls(), 0);
    EXPECT_EQ(m_first->FindBinding(Hash("First")), nullptr);
}

TEST_F(InputManagerTest, ShutdownDeletesTheDevices) {
    m_manager.Shutdown();
    EXPECT_EQ(m_manager.GetDeviceCount(), 0);
    m_manager.Update(0.0f);  // nothing to poll, nothing breaks
}

TEST(InputManagerDevices, CreatesTheTouchDeviceThenTheMouse) {
    InputManager manager;
    manager.CreateDevices();
    ASSERT_EQ(manager.GetDeviceCount(), 2);
    EXPECT_EQ(manager.GetDevice(0).GetKind(), 13);
    EXPECT_EQ(manager.GetDevice(1).GetKind(), 8);
    EXPECT_EQ(TouchInputDevice::Get(), &manager.GetDevice(0));
    const InputPointerRange& range = manager.GetPointerRange();
    EXPECT_EQ(range.minX, 0.0f);
    EXPECT_EQ(range.maxY, 1.0f);
    manager.Shutdown();
    EXPECT_EQ(TouchInputDevice::Get(), nullptr);
}

// ---- Bindings files through the file layer ----

namespace {

class InputFilesTest : public InputManagerTest {
protected:
    InputFilesTest() {
        m_fileSystem = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(m_dir.Path().c_str(), true),
            FileSystemKey("inputTest"), 100);
    }
    ~InputFilesTest() override { FileSystemRegistry::Get().Remove(m_fileSystem); }

    VarnokTest::TempDir m_dir;
    FileSystem* m_fileSystem;
};

}  // namespace

TEST_F(InputFilesTest, MissingFilesFailAndEmptyFilesLoad) {
    EXPECT_FALSE(m_manager.LoadBindings("Input/Nothing.txt"));
    EXPECT_FALSE(m_manager.IsLoading());

    VarnokTest::WriteHostFile(m_dir / "Input/Empty.txt", "");
    EXPECT_TRUE(m_manager.LoadBindings("Input/Empty.txt"));

    VarnokTest::WriteHostFile(m_dir / "Input/Tap.txt", "Tap: Touch1; pressed\n");
    EXPECT_TRUE(m_manager.LoadBindings("Input/Tap.txt"));
    InputBinding* tap = m_first->FindBinding(Hash("Tap"));
    ASSERT_NE(tap, nullptr);
    EXPECT_EQ(tap->sources, std::vector<uint32_t>{Hash("Input/Tap.txt")});
    EXPECT_FALSE(m_manager.IsLoading());
}

// ---- Loading and updating exclude each other ----

namespace {

// A gate that one thread waits at until another opens it.
class Gate {
public:
    void Open() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

// Its update stays inside until released.
class BlockingDevice : public InputDevice {
public:
    void Update(float /*elapsedSeconds*/) override {
        ++updates;
        entered.Open();
        release.Wait();
    }
    int GetKind() const override { return 0; }

    Gate entered;
    Gate release;
    std::atomic<int> updates{0};
};

// Serves one bindings file whose load stays inside until released.
class BlockingFileSystem : public FileSystem {
public:
    explicit BlockingFileSystem(std::string text) : m_text(std::move(text)) {}

    bool Exists(const char* path) override { return std::strcmp(path, kPath) == 0; }
    int32_t GetSize(const char* path) override {
        return Exists(path) ? static_cast<int32_t>(m_text.size()) : -1;
    }
    bool Load(const char* path, uint8_t** inOutData, int32_t* inOutLength,
              bool* outOwnsData) override {
        if (!Exists(path) || *inOutData != nullptr) {
            return false;
        }
        entered.Open();
        release.Wait();
        auto* block = static_cast<uint8_t*>(std::malloc(m_text.size()));
        std::memcpy(block, m_text.data(), m_text.size());
        *inOutData = block;
        *inOutLength = static_cast<int32_t>(m_text.size());
        *outOwnsData = true;
        return true;
    }
    std::unique_ptr<FileStream> Open(const char* /*path*/, int /*mode*/) override {
        return nullptr;
    }
    bool Delete(const char* /*path*/) override { return false; }

    static constexpr const char* kPath = "Input/Slow.txt";
    Gate entered;
    Gate release;

private:
    std::string m_text;
};

}  // namespace

TEST(InputManagerThreads, LoadingWaitsForTheRunningUpdate) {
    InputManager manager;
    auto owned = std::make_unique<BlockingDevice>();
    BlockingDevice* device = owned.get();
    manager.AddDevice(std::move(owned));
    auto* files = FileSystemRegistry::Get().Add(
        std::make_unique<BlockingFileSystem>("Tap:Touch1;pressed\n"), FileSystemKey("slow"), 100);
    static_cast<BlockingFileSystem*>(files)->release.Open();  // the file itself loads at once

    std::thread updater([&] { manager.Update(0.0f); });
    device->entered.Wait();
    std::atomic<bool> loaded{false};
    std::thread loader([&] {
        EXPECT_TRUE(manager.LoadBindings(BlockingFileSystem::kPath));
        loaded = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(manager.IsLoading());
    EXPECT_FALSE(loaded.load());  // still waiting for the update
    EXPECT_EQ(device->FindBinding(Hash("Tap")), nullptr);

    device->release.Open();
    updater.join();
    loader.join();
    EXPECT_TRUE(loaded.load());
    EXPECT_NE(device->FindBinding(Hash("Tap")), nullptr);
    FileSystemRegistry::Get().Remove(files);
}

TEST(InputManagerThreads, UpdatesSkipTheDevicesWhileAFileLoads) {
    InputManager manager;
    auto owned = std::make_unique<BlockingDevice>();
    BlockingDevice* device = owned.get();
    device->release.Open();  // updates run straight through
    manager.AddDevice(std::move(owned));
    RecordingUiSink ui;
    ScopedUiSink scoped(&ui);
    auto* files = static_cast<BlockingFileSystem*>(FileSystemRegistry::Get().Add(
        std::make_unique<BlockingFileSystem>("Tap:Touch1;pressed\n"), FileSystemKey("slow"), 100));

    std::thread loader([&] { EXPECT_TRUE(manager.LoadBindings(BlockingFileSystem::kPath)); });
    files->entered.Wait();
    manager.Update(0.0f);
    EXPECT_EQ(device->updates.load(), 0);
    EXPECT_EQ(ui.frames, 0);  // not even the UI's input frame

    files->release.Open();
    loader.join();
    manager.Update(0.0f);
    EXPECT_EQ(device->updates.load(), 1);
    EXPECT_EQ(ui.frames, 1);
    FileSystemRegistry::Get().Remove(files);
}

TEST_F(InputFilesTest, LoadingFromAListenerIsRefusedInsteadOfHanging) {
    VarnokTest::WriteHostFile(m_dir / "Input/Tap.txt", "Tap:Touch1;pressed\n");
    ASSERT_TRUE(m_manager.LoadBindings("Input/Tap.txt"));
    struct Loader {
        int OnEvent(InputEvent& /*event*/) {
            result = manager->LoadBindings("Input/Tap.txt") ? 1 : 0;
            return 1;
        }
        InputManager* manager;
        int result = -1;
    } loader{&m_manager};
    m_manager.AddActionListener(Hash("Tap"), InputListener(&loader, &Loader::OnEvent));
    Emit(Button(137, InputEvent::kPressed));
    EXPECT_EQ(loader.result, 0);
    EXPECT_FALSE(m_manager.IsLoading());
    EXPECT_FALSE(m_manager.IsUpdating());
}
