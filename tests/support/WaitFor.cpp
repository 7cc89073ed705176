#include "tests/support/WaitFor.h"

namespace testsupport {

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs, const std::atomic<bool>* stop)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if ((stop && *stop) || GetTickCount64() > deadline)
            return false;
        Sleep(10);
    }
}

} // namespace testsupport
