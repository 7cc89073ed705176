// Resource ids of the control tests' own dialog and artwork.
#pragma once

#define IDD_CONTROLS_TEST 300
#define IDR_TEST_PICTURE 104
// The launcher's ids (res/resource.h): its button style loads the face and the cursor by them.
#define IDB_TEST_FACE 200
#define IDB_TEST_FACE_HOT 201
#define IDC_TEST_CURSOR 176
#define IDR_TEST_NOT_A_PICTURE 105

#define IDC_BTN_1 1019
#define IDC_BTN_2 1041
#define IDC_BTN_3 1004
#define IDC_BTN_4 1011
#define IDC_LBL_STATUS 1008
#define IDC_LBL_SPEED 1007
#define IDC_LBL_COUNT 1005
#define IDC_LBL_VERSION 1013
