// Waiting in a test for a condition, never for a time: polled, with a bound against a hang.
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>

namespace testsupport {

// Polls `condition` until it holds (true), or timeoutMs has passed or `stop` is set (false).
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs, const std::atomic<bool>* stop = nullptr);

} // namespace testsupport
