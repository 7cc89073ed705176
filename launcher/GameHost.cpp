#include "launcher/GameHost.h"
#include <cstdlib>
#include "BuildSettings.h"

const char* GameHost()
{
#ifndef VELMORA_RELEASE_BUILD
    const char* testHost = getenv("VELMORA_TEST_GAME_HOST");
    if (testHost && *testHost)
        return testHost;
#endif
    return VELMORA_GAME_HOST;
}
