// Opening what the user chose the desktop's way: a program is started, anything else goes to xdg-open.
#pragma once
#include <string>

#include "ports.h"

namespace vr::lx {

// Fire and forget, and never through a shell: a program (a name found on PATH, or a path to an executable file)
// is started with no arguments; a document, a folder or a web address is handed to xdg-open (a document from its
// own folder). The started process is detached from this one (a session of its own, no open descriptors beyond
// the standard three, stdin from /dev/null), and no child is left for this program to reap. Windows' show states
// (minimised, maximised) have no meaning here.
class ProcessLauncher final : public Launcher {
public:
    void program(const std::string& path) override;
    void document(const std::string& path) override;
    void address(const std::string& url) override;
};

// The program's full path when the file names one (an executable regular file, or a bare name found on PATH);
// "" otherwise.
std::string programPath(const std::string& file);

}  // namespace vr::lx
