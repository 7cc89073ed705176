// Records the program's fixed waits (engine/Pause.h) and shortens them, while it lives.
// Header-only, so that it binds to the engine that the test links.
#pragma once
#include "engine/Pause.h"

#include <windows.h>
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace testsupport {

// Installs itself as the pause hook: every requested wait is recorded (from any thread) and lasts
// requested / divisor milliseconds instead. One recorder at a time; the destructor removes the hook.
class WaitRecorder {
public:
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
    };

    static Shared& State()
    {
        static Shared shared;
        return shared;
    }

    static DWORD Record(DWORD requestedMs)
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        State().waits.push_back(requestedMs);
        return requestedMs / State().divisor;
    }
};

} // namespace testsupport
