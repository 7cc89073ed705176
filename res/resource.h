// Resource and control ids of the launcher. Included by the resource scripts and by the C++ code.
#ifndef VELMORA_RES_RESOURCE_H
#define VELMORA_RES_RESOURCE_H

// Dialog templates
#define IDD_LAUNCHER            102
#define IDD_INSTALL             300

// Artwork
#define IDR_BACKGROUND          104     // JPEG, resource type "IMAGE"
#define IDI_LAUNCHER            128
#define IDC_BUTTON_CURSOR       176
#define IDB_BUTTON              200
#define IDB_BUTTON_HOT          201

// Main window controls
#define IDC_PROGRESS_FILE       1001
#define IDC_PROGRESS_TOTAL      1002
#define IDC_WEBSITE             1004
#define IDC_COUNT               1005
#define IDC_SPEED               1007
#define IDC_STATUS              1008
#define IDC_QUIT                1011
#define IDC_VERSION             1013
#define IDC_PLAY                1019
#define IDC_SIGNUP              1041
#define IDC_NEWS_VIEW           0xE900  // created at run time, not in the template

// Install dialog controls
#define IDC_INSTALL_PROMPT      1100
#define IDC_INSTALL_FOLDER      1101
#define IDC_INSTALL_BROWSE      1102
#define IDC_INSTALL_SPACE       1103

#endif
