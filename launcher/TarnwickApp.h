// The application object: single instance, start modes, the hand-over to a restarted launcher and
// the start of the game client.
#pragma once
#include "framework/framework.h"

class CTarnwickApp : public CWinApp {
public:
    CTarnwickApp();
    virtual ~CTarnwickApp();

    virtual BOOL InitInstance();

    // TRUE when this process created the single-instance mutex; FALSE after the "already running" box.
    BOOL CheckSingleInstance();
    // Makes the executable's folder the current directory and clears the previous run's leftovers;
    // FALSE when the folder cannot be entered or its paths do not fit.
    BOOL PrepareStartup();

    HINSTANCE OpenUrl(const char* url);
    // Starts a new launcher with "/relance" (after the launcher replaced its own executable).
    BOOL RelaunchSelf();
    // Starts the game client with the launch token and closes the main window.
    BOOL LaunchGame();

    HANDLE m_hMutex; // the single-instance mutex, NULL whenever none is held

    DECLARE_MESSAGE_MAP()
};

// The one application object.
extern CTarnwickApp theApp;

// The application object as the main window reaches it.
inline CTarnwickApp* GetTarnwickApp() { return static_cast<CTarnwickApp*>(AfxGetApp()); }
