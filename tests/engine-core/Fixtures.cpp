#include "Fixtures.h"

std::string FixturePath(const char* name)
{
    return WindowsPath(ENGINE_CORE_FIXTURES) + "\\" + name;
}
