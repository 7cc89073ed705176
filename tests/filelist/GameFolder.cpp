#include "GameFolder.h"

#include <stdio.h>
#include <string.h>

#include <gtest/gtest.h>

#include "engine/UpdateContext.h"
#include "tests/support/Content.h"

ScratchGameFolder::ScratchGameFolder(const std::string& subPath) : CurrentFolder(std::string(), subPath) {
    strncpy(g_update.m_szDir, Path().c_str(), sizeof g_update.m_szDir - 1);
    snprintf(g_update.m_szExePath, sizeof g_update.m_szExePath, "%s\\Velmora World.exe", Path().c_str());
    g_update.m_jobs.clear();
    g_update.m_bSelfUpdate = 0;
}

ScratchGameFolder::~ScratchGameFolder() {
    memset(g_update.m_szDir, 0, sizeof g_update.m_szDir);
    memset(g_update.m_szExePath, 0, sizeof g_update.m_szExePath);
    g_update.m_jobs.clear();
    g_update.m_bSelfUpdate = 0;
}

std::string ScratchGameFolder::Put(const std::string& name, const std::string& content) const {
    EXPECT_TRUE(testsupport::WriteWholeFile(Path(name), content)) << Path(name);
    return testsupport::Md5Of(content);
}

std::string ListEntry(const std::string& name, size_t size, const std::string& md5) {
    return name + "|" + std::to_string(size) + "|" + md5 + "\n";
}
