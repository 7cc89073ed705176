// The language of every fixed text the user sees, chosen once at process start.
#pragma once

// Nonzero when the user's interface language is French; read-only once start-up has run.
extern int g_bFrench;

// The French or the English form of a fixed text, by g_bFrench. Either may be a format: the
// compiler checks both against the arguments.
__attribute__((format_arg(1), format_arg(2))) inline const char* FrEn(const char* french, const char* english)
{
    return g_bFrench ? french : english;
}

// Sets g_bFrench from the user's default UI language. Runs as a static initialiser,
// after the update context and before any window or thread exists.
void InitLanguageFlag();
