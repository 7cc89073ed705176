// Run once per locale by ctest (see CMakeLists.txt): ENGINE_CORE_EXPECT_UI_LANGUAGE holds the UI
// language Wine must report for that locale, ENGINE_CORE_EXPECT_FRENCH the flag it must give.
#include "engine/Language.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>

namespace {

// Initialisers around the language flag's (203): before it the flag is still unset.
int g_flagBefore = -1;
int g_flagAfter = -1;
struct SeeFlagBefore {
    SeeFlagBefore() { g_flagBefore = g_bFrench; }
} s_before __attribute__((init_priority(201)));
struct SeeFlagAfter {
    SeeFlagAfter() { g_flagAfter = g_bFrench; }
} s_after __attribute__((init_priority(204)));

long Expected(const char* variable, int base)
{
    const char* value = getenv(variable);
    if (!value || !*value)
        return -1;
    return strtol(value, nullptr, base);
}

TEST(LanguageFlag, FollowsThePrimaryLanguageOfTheUserInterface)
{
    long uiLanguage = Expected("ENGINE_CORE_EXPECT_UI_LANGUAGE", 16);
    long french = Expected("ENGINE_CORE_EXPECT_FRENCH", 10);
    if (uiLanguage < 0 || french < 0)
        GTEST_SKIP() << "run through ctest, which sets the locale and the expected language";

    // Wine takes the UI language from the locale variables: make sure it did, so that an
    // English result is not merely Wine's default.
    ASSERT_EQ(GetUserDefaultUILanguage(), (LANGID)uiLanguage);
    EXPECT_EQ(g_bFrench, (int)french);

    // Set by the static initialiser, before later initialisers and long before main.
    EXPECT_EQ(g_flagAfter, (int)french);
    EXPECT_EQ(g_flagBefore, 0);

    InitLanguageFlag();
    EXPECT_EQ(g_bFrench, (int)french);
}

} // namespace
