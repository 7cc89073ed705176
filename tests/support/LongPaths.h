// Folders whose paths are longer than the ANSI file functions take: Wine's CreateFileA and DeleteFileA
// refuse a path of 260 characters or more, its wide functions do not.
#pragma once
#include <string>

namespace testsupport {

// Removes the folder with everything in it, however long the paths below it; true when it is gone.
bool RemoveLongTree(const std::string& path);

} // namespace testsupport
