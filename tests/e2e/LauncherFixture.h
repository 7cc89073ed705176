// One scenario of the real launcher under Wine: a scratch folder, the program's waits recorded
// (and shortened a hundredfold) through the environment, and the checks of the window.
#pragma once
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include "tests/e2e/E2eKit.h"

class LauncherE2e : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string GameFolder() const { return m_dir + "\\Game Folder"; }
    // The waits recorded by every launcher of the test so far.
    std::vector<DWORD> Waits() const { return e2e::ReadWaits(m_waitLog); }

    // The window is ready: exactly 480 x 600 with rounded corners, PLAY shown, both bars full,
    // the labels printed on the picture. Saves a screenshot under the name.
    void CheckReadyWindow(e2e::Launcher& launcher, const std::string& screenshot);
    // While not ready: PLAY is hidden and the picture shows where it stands.
    void CheckPlayHidden(e2e::Launcher& launcher, const std::string& screenshot);
    // Closes the stand-in game client windows that a test started.
    static void CloseGameClients();

    std::string m_dir;
    std::string m_waitLog;

private:
    std::string m_oldThemeActive;
    std::unique_ptr<e2e::ScopedEnv> m_waitLogEnv;
    std::unique_ptr<e2e::ScopedEnv> m_divisorEnv;
};

// The URL path of a listed name ("files/pc/data/" and the name, blanks escaped).
std::string DataPath(const std::string& listedName);
