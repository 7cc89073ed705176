// "Velmora World.lnk" shortcuts to the installed launcher.
#pragma once

// One on the user's Desktop and one in the user's Start menu Programs folder.
void CreateShortcuts(const char* targetPath, const char* workingFolder);

// Writes (or overwrites) linkFolder\Velmora World.lnk. Failures are silent: a missing shortcut
// must not stop the install.
void CreateShortcut(const char* linkFolder, const char* targetPath, const char* workingFolder);
