// A fresh folder under the temporary directory, removed with its files when the object goes, and
// whole-file reads and writes with plain Win32 calls (independent of the classes under test).
#pragma once

#include "tests/support/TestPaths.h"

using TempFolder = testsupport::ScratchFolder;
using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;
