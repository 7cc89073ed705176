// Test data: reproducible bytes and their MD5, computed here independently of the program.
#pragma once
#include <cstddef>
#include <string>

namespace testsupport {

// Reproducible pseudo-random content.
std::string RandomBytes(size_t count, unsigned seed);

// MD5 as 32 lower-case hexadecimal digits, computed with CryptoAPI.
std::string Md5Of(const std::string& bytes);

} // namespace testsupport
