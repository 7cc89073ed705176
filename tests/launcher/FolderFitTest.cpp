// Whether a launcher's folder leaves room for the paths the program makes there, and what the
// player is told when it does not.
#include <gtest/gtest.h>
#include <string>
#include "engine/Language.h"
#include "launcher/FolderFit.h"

namespace {

// A launcher path with a folder of exactly `folderLength` characters.
std::string LauncherIn(size_t folderLength, const std::string& exeName)
{
    return "C:\\" + std::string(folderLength - 3, 'f') + "\\" + exeName;
}

TEST(FolderFit, TheLongestPathOfTheFolderOrOfTheLauncherDecides)
{
    // "Velmora World.exe.part": 236 + 1 + 17 + 5 = 259 characters.
    EXPECT_TRUE(GameFolderFits(LauncherIn(236, "Velmora World.exe").c_str()));
    EXPECT_FALSE(GameFolderFits(LauncherIn(237, "Velmora World.exe").c_str()));
    // With a short name the list's download in progress decides: 241 + 1 + "filelist.new.part" = 259.
    EXPECT_TRUE(GameFolderFits(LauncherIn(241, "V.exe").c_str()));
    EXPECT_FALSE(GameFolderFits(LauncherIn(242, "V.exe").c_str()));
    EXPECT_TRUE(GameFolderFits("D:\\Velmora World.exe"));
    EXPECT_FALSE(GameFolderFits("Velmora World.exe"));
}

TEST(FolderFit, MessageInBothLanguages)
{
    int language = g_bFrench;
    g_bFrench = 0;
    EXPECT_STREQ(FolderTooLongText(), "The game folder's path is too long: move Velmora World to a shorter folder.");
    g_bFrench = 1;
    EXPECT_STREQ(FolderTooLongText(),
                 "Le chemin du dossier du jeu est trop long : déplacez Velmora World dans un dossier plus court.");
    g_bFrench = language;
}

} // namespace
