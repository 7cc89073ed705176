#include "launcher/FolderFit.h"
#include "engine/Language.h"
#include "engine/PathFit.h"

namespace {

// The list while it downloads; "filelist.sig.part" is as long.
const char kLongestWorkingName[] = "filelist.new.part";
// The launcher's own download in progress when it updates itself (".old" is shorter).
const char kLongestOwnSuffix[] = ".part";

} // namespace

BOOL GameFolderFits(const char* exePath)
{
    char folder[MAX_PATH];
    char path[MAX_PATH];
    return FolderOfPath(exePath, folder) && JoinFolderPath(path, folder, kLongestWorkingName) &&
           FormatWhole(path, sizeof path, "%s%s", exePath, kLongestOwnSuffix);
}

const char* FolderTooLongText()
{
    return FrEn("Le chemin du dossier du jeu est trop long : déplacez Velmora World dans un dossier plus court.",
                "The game folder's path is too long: move Velmora World to a shorter folder.");
}
