// Records the program's fixed waits (engine/Pause.h) and shortens them, while it lives.
// Header-only, so that it binds to the engine that the test links.
#pragma once
#include "engine/Pause.h"

#include <windows.h>
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <vector>

namespace testsupport {

// Installs itself as the pause hook: every requested wait is recorded (from any thread) and lasts
// requested / divisor milliseconds instead. One recorder at a time; the destructor removes the hook.
class WaitRecorder {
public:
    // A divisor that makes every wait last no time at all.
    static const DWORD kNoWait = 0xFFFFFFFF;

    explicit WaitRecorder(DWORD divisor = 100)
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        if (State().active) {
            fprintf(stderr, "WaitRecorder: only one recorder may be alive at a time\n");
            abort();
        }
        State().active = true;
        State().divisor = divisor ? divisor : 1;
        State().waits.clear();
        SetPauseHook(Record);
    }

    ~WaitRecorder()
    {
        SetPauseHook(nullptr);
        std::lock_guard<std::mutex> lock(State().mutex);
        State().active = false;
        State().action = nullptr;
    }

    // Runs `action` at every wait from now on, on the waiting thread, with the number of waits so far.
    void OnWait(std::function<void(size_t)> action)
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        State().action = std::move(action);
    }

    WaitRecorder(const WaitRecorder&) = delete;
    WaitRecorder& operator=(const WaitRecorder&) = delete;

    // The requested waits, in the order they were asked for.
    std::vector<DWORD> Waits() const
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        return State().waits;
    }

    // How many waits of exactly `ms` were asked for.
    size_t CountOf(DWORD ms) const
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        return (size_t)std::count(State().waits.begin(), State().waits.end(), ms);
    }

    void Clear()
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        State().waits.clear();
    }

private:
    // The pause hook is a plain function pointer, so the recorder's state is global.
    struct Shared {
        std::mutex mutex;
        std::vector<DWORD> waits;
        DWORD divisor = 1;
        bool active = false;
        std::function<void(size_t)> action;
    };

    static Shared& State()
    {
        static Shared shared;
        return shared;
    }

    static DWORD Record(DWORD requestedMs)
    {
        std::function<void(size_t)> action;
        size_t count;
        DWORD shortened;
        {
            std::lock_guard<std::mutex> lock(State().mutex);
            State().waits.push_back(requestedMs);
            count = State().waits.size();
            action = State().action;
            shortened = requestedMs / State().divisor;
        }
        if (action)
            action(count);
        return shortened;
    }
};

} // namespace testsupport
