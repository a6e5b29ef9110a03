// Opening a file the desktop's way: a program is started, anything else goes to xdg-open.
#pragma once
#include <string>
#include <vector>

#include "ports.h"

namespace vr::lx {

// Fire and forget, and never through a shell: a program (a name found on PATH, or a path to an executable
// file) is started with its parameters split at blanks (double quotes keep blanks in one), in the folder when
// one is given; a document, a folder or a web address is handed to xdg-open. The started process is detached
// from this one (a session of its own, no open descriptors beyond the standard three, stdin from /dev/null),
// and no child is left for this program to reap. The owner and the show state have no meaning here.
class ProcessShell final : public Shell {
public:
    void open(WindowHandle owner, const std::string& verb, const std::string& file, const std::string& parameters,
              const std::string& folder, Show show) override;
};

// The parameters as separate arguments: split at blanks; a double-quoted part keeps its blanks, and a \" is a
// quote of its own. Nothing else is special.
std::vector<std::string> splitParameters(const std::string& parameters);

// The program's full path when the file names one (an executable regular file, or a bare name found on PATH);
// "" otherwise.
std::string programPath(const std::string& file);

}  // namespace vr::lx
