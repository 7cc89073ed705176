#pragma once

// Outcome of checking "filelist.new" and building the download list from it.
enum ListCheckResult {
    LIST_MISSING = 0,  // "filelist.new" cannot be opened
    LIST_INVALID = 1,  // a bad line, a path that does not fit, or no "Vorn.exe" entry
    LIST_OK = 2        // accepted; the job list holds what must be downloaded
};
