// A throw-away game folder for list-builder tests: it becomes the current directory and the
// update context's folder, with the launcher's own path inside it.
#pragma once
#include <string>

#include "tests/support/TestPaths.h"

class ScratchGameFolder : public testsupport::CurrentFolder {
public:
    // `subPath` (may be empty) is appended to a fresh temp folder, to reach long paths.
    explicit ScratchGameFolder(const std::string& subPath = std::string());
    ~ScratchGameFolder();

    // Writes a file (creating its folders; '/' in `name` stand for '\') and returns the MD5 of `content`.
    std::string Put(const std::string& name, const std::string& content) const;
};

// "name|size|md5\n"
std::string ListEntry(const std::string& name, size_t size, const std::string& md5);
