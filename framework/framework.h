// The class layer the program is written against: include this one header.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <olectl.h>

#include "framework/Object.h"
#include "framework/Geometry.h"
#include "framework/String.h"
#include "framework/File.h"
#include "framework/Gdi.h"
#include "framework/CmdTarget.h"
#include "framework/Wnd.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Thread.h"
#include "framework/App.h"
#include "framework/MessageBox.h"
#include "framework/ControlContainer.h"
