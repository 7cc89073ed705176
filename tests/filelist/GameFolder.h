// A throw-away game folder for list-builder tests: it becomes the current directory and the
// update context's folder, with the launcher's own path inside it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "engine/UpdateContext.h"

class ScratchGameFolder {
public:
    // `subPath` (may be empty) is appended to a fresh temp folder, to reach long paths.
    explicit ScratchGameFolder(const std::string& subPath = std::string());
    ~ScratchGameFolder();
    ScratchGameFolder(const ScratchGameFolder&) = delete;
    ScratchGameFolder& operator=(const ScratchGameFolder&) = delete;

    const std::string& Dir() const { return m_dir; }
    std::string PathOf(const std::string& name) const;  // "/" in `name` become "\"

    // Writes a file (creating its folders) and returns the MD5 of `content`.
    std::string Put(const std::string& name, const std::string& content) const;
    void MakeFolder(const std::string& name) const;
    bool Exists(const std::string& name) const;
    std::string Read(const std::string& name) const;

    // The messages of "PatchLog.txt", without time stamp and line end.
    std::vector<std::string> LogMessages() const;

    static std::string Md5Of(const std::string& content);

private:
    std::string m_root;  // what the destructor removes
    std::string m_dir;
    char m_savedDir[MAX_PATH];
};

// "name|size|md5\n"
std::string ListEntry(const std::string& name, size_t size, const std::string& md5);
