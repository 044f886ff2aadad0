// Key paths split into their names, as the registry splits them: on the backslashes that are
// separators, never on a double-byte character whose trail byte is 0x5C.
#pragma once

#include <string>
#include <vector>

// The path's components. The empty path gives none; "a\\" gives "a" and ""; a doubled backslash an
// empty one.
std::vector<std::string> SplitKeyPath(const std::string& path);
