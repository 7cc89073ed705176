#include "engine/Language.h"
#include <windows.h>

int g_bFrench = 0;

void InitLanguageFlag()
{
    g_bFrench = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_FRENCH ? 1 : 0;
}

namespace {

struct LanguageFlagInitialiser {
    LanguageFlagInitialiser() { InitLanguageFlag(); }
};

// After the application object (201) and the update context (202).
LanguageFlagInitialiser s_languageFlag __attribute__((init_priority(203)));

} // namespace
