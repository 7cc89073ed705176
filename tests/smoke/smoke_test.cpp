#include <windows.h>
#include <gtest/gtest.h>
#include "BuildSettings.h"

TEST(Smoke, RunsUnderWindows) {
    char dir[MAX_PATH] = {};
    EXPECT_GT(GetWindowsDirectoryA(dir, MAX_PATH), 0u);
    static const unsigned char key[] = {VELMORA_PUBLIC_KEY_BYTES};
    EXPECT_EQ(sizeof key, 64u);
}
