// Reading the program's log, "PatchLog.txt": lines "MM/DD-hh:mm:ss<TAB>message" ended by CR LF.
#pragma once
#include <string>
#include <vector>

namespace testsupport {

// The log of the folder as it stands ("" when there is none).
std::string LogText(const std::string& folder);

// Its messages without time stamps; a message that holds a line break goes on over the lines that
// follow it without a time stamp. Records a test failure for a log that does not keep that form.
std::vector<std::string> LogMessages(const std::string& folder);

} // namespace testsupport
