// Measures CUpdateContext::BuildDownloadList over a large, fully current game folder:
// once with "filelist.txt" vouching for every digest, once without it (everything hashed).
// Usage: filelist_bench [entries] [bytes per file] [folder]
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "engine/FileList.h"
#include "engine/Md5.h"
#include "engine/UpdateContext.h"

namespace {

unsigned g_hashedFiles;
unsigned long long g_hashedBytes;

BOOL CountingDigest(const char* path, char out[33]) {
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &info))
        g_hashedBytes += (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    ++g_hashedFiles;
    return ComputeFileMd5(path, out);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

// Fills the folder with `entries` files (the game client among them) and returns the list.
bool MakeGameFolder(const std::string& dir, unsigned entries, unsigned fileSize, std::string* list) {
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA((dir + "\\data").c_str(), nullptr);
    std::string content(fileSize, '\0');
    unsigned seed = 12345;
    char md5[33];
    for (unsigned i = 0; i < entries; ++i) {
        char name[64];
        if (i == 0) {
            strcpy(name, "Vorn.exe");
        } else {
            snprintf(name, sizeof name, "data/%03u/file%05u.bin", i / 200, i);
            if (i % 200 == 0 || i == 1)
                CreateDirectoryA((dir + "\\data\\" + std::string(name + 5, 3)).c_str(), nullptr);
        }
        for (char& c : content) {
            seed = seed * 1103515245u + 12345u;
            c = static_cast<char>(seed >> 24);
        }
        std::string path = dir + "\\" + name;
        for (char& c : path) {
            if (c == '/')
                c = '\\';
        }
        if (!WriteBytes(path, content) || !ComputeFileMd5(path.c_str(), md5)) {
            fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }
        char line[256];
        snprintf(line, sizeof line, "%s|%u|%s\r\n", name, fileSize, md5);
        *list += line;
    }
    return true;
}

void Run(const char* title) {
    g_hashedFiles = 0;
    g_hashedBytes = 0;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const ListCheckResult result = g_update.BuildDownloadList();
    QueryPerformanceCounter(&end);
    const double s = Seconds(start, end);
    printf("%s: result %d, %u job(s), %.3f s, %u file(s) hashed, %llu bytes hashed",
           title, static_cast<int>(result), static_cast<unsigned>(g_update.m_jobs.size()), s,
           g_hashedFiles, g_hashedBytes);
    if (g_hashedBytes > 0 && s > 0)
        printf(", %.1f MB/s", static_cast<double>(g_hashedBytes) / (1024.0 * 1024.0) / s);
    printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned entries = argc > 1 ? static_cast<unsigned>(strtoul(argv[1], nullptr, 10)) : 20000;
    const unsigned fileSize = argc > 2 ? static_cast<unsigned>(strtoul(argv[2], nullptr, 10)) : 16384;
    std::string dir;
    if (argc > 3) {
        dir = argv[3];
    } else {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        dir = std::string(temp) + "filelist-bench";
    }
    if (entries == 0) {
        fprintf(stderr, "usage: filelist_bench [entries] [bytes per file] [folder]\n");
        return 2;
    }

    printf("Preparing %u files of %u bytes in %s ...\n", entries, fileSize, dir.c_str());
    std::string list;
    if (!MakeGameFolder(dir, entries, fileSize, &list))
        return 1;
    if (!SetCurrentDirectoryA(dir.c_str()))
        return 1;
    DeleteFileA("PatchLog.txt");
    if (!WriteBytes(dir + "\\filelist.new", list) || !WriteBytes(dir + "\\filelist.txt", list))
        return 1;

    strncpy(g_update.m_szDir, dir.c_str(), sizeof g_update.m_szDir - 1);
    snprintf(g_update.m_szExePath, sizeof g_update.m_szExePath, "%s\\Velmora World.exe", dir.c_str());
    SetListDigestHook(CountingDigest);

    Run("with filelist.txt   ");
    DeleteFileA("filelist.txt");
    Run("without filelist.txt");

    char parent[MAX_PATH];
    GetTempPathA(sizeof parent, parent);
    SetCurrentDirectoryA(parent);
    std::string from = dir;
    from.push_back('\0');  // the operation takes a double-NUL-ended list
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationA(&op);
    return 0;
}
