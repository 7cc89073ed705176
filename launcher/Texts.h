// Picks the French or the English form of a fixed text by the process's language flag.
#pragma once
#include "engine/Language.h"

inline const char* FrEn(const char* french, const char* english)
{
    return g_bFrench ? french : english;
}
