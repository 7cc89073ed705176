// Running this thread's messages in a test, for windows that live on the test's own thread.
#pragma once
#include <windows.h>
#include <functional>

namespace testsupport {

// Takes a message before the dialog manager does (a control's pre-translation); true when it did.
typedef std::function<bool(MSG&)> MessageFilter;

// Runs the thread's messages until done() holds or timeoutMs passed; true when done() held. Each
// message goes first to `filter`, then to the dialog manager of `dialog`, when they are given.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000, HWND dialog = nullptr,
               const MessageFilter& filter = nullptr);

// Runs the messages waiting now and those they cause: input and paints reach the queue a little after
// they are caused, so it returns after a few quiet turns in a row.
void PumpPending(HWND dialog = nullptr, const MessageFilter& filter = nullptr);

} // namespace testsupport
