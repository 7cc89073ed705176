// The engine-core tests' files made at build time by make_fixtures.py, and the shared test kit.
#pragma once
#include <string>

#include "tests/support/TestPaths.h"

using namespace testsupport;

// Path of one of the fixture files.
std::string FixturePath(const char* name);
