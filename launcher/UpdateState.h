// States of the main window's update controller and its signature-retry constants.
#pragma once
#include <windows.h>

enum UpdateState {
    STATE_CHECKING = 0,    // fetching the list, or authenticating and comparing it
    STATE_SELF_UPDATE = 1, // downloading the launcher itself; a restart follows
    STATE_DOWNLOADING = 2, // downloading game files
    STATE_READY = 3,       // PLAY shown and active
    STATE_ERROR = 4        // an error stands in the status label; nothing more happens
};

const UINT_PTR IDT_SIGNATURE_RETRY = 1;
const UINT SIGNATURE_RETRY_DELAY_MS = 15000;
const int MAX_SIGNATURE_CHECKS = 9;
