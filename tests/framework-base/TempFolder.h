// A fresh folder under the temporary directory, removed with its files when the object goes.
#pragma once

#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path(const char* name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

// Writes a whole file with plain Win32 calls (independent of the classes under test).
void WriteWholeFile(const std::string& path, const std::string& content);
std::string ReadWholeFile(const std::string& path);
