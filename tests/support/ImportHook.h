// Sends this program's calls of one imported function to a replacement while the object lives, by
// rewriting the function's entry in the program's import table. The code linked into the program
// (the product's libraries too) calls through that entry.
#pragma once
#include <windows.h>

namespace testsupport {

class ImportHook {
public:
    ImportHook(const char* dll, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    // The function's own address, for the replacement to call; NULL when the program does not import it.
    void* Original() const { return m_original; }

private:
    void** m_slot = nullptr;
    void* m_original = nullptr;
};

} // namespace testsupport
