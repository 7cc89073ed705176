// The language of every fixed text the user sees, chosen once at process start.
#pragma once

// Nonzero when the user's interface language is French; read-only once start-up has run.
extern int g_bFrench;

// Sets g_bFrench from the user's default UI language. Runs as a static initialiser,
// after the update context and before any window or thread exists.
void InitLanguageFlag();
