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
    std::string GameExe() const { return GameFolder() + "\\Velmora World.exe"; }
    // The waits recorded by every launcher of the test so far.
    std::vector<DWORD> Waits() const { return e2e::ReadWaits(m_waitLog); }

    // Puts the v1 game in GameFolder(), publishes `served` on nginx (nothing when empty) and starts the
    // folder's launcher; then, unless `status` is empty, waits until its status label shows `status`.
    // m_requests counts nginx's requests from just before the start.
    ::testing::AssertionResult StartOverV1(e2e::Launcher& launcher, const std::string& served,
                                           const std::string& status, DWORD timeoutMs = 60000);
    // The folder's log once its last message is `last`, for a launcher that may still be writing it.
    std::vector<std::string> LogEndingWith(const std::string& last) { return LogEndingWith(GameFolder(), last); }
    std::vector<std::string> LogEndingWith(const std::string& folder, const std::string& last);

    // The window is ready: exactly 480 x 600 with rounded corners, PLAY shown, both bars full,
    // the labels printed on the picture. Saves a screenshot under the name.
    void CheckReadyWindow(e2e::Launcher& launcher, const std::string& screenshot);
    // While not ready: PLAY is hidden and the picture shows where it stands.
    void CheckPlayHidden(e2e::Launcher& launcher, const std::string& screenshot);
    // Closes the stand-in game client windows that a test started.
    static void CloseGameClients();

    std::string m_dir;
    std::string m_waitLog;
    e2e::RequestLog m_requests = e2e::RequestLog::Nginx();

private:
    std::string m_oldThemeActive;
    std::unique_ptr<testsupport::ScopedEnv> m_waitLogEnv;
    std::unique_ptr<testsupport::ScopedEnv> m_divisorEnv;
};

// The URL path of a listed name ("files/pc/data/" and the name, blanks escaped).
std::string DataPath(const std::string& listedName);
