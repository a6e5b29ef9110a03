#include "linux/adapters/process_launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace vr::lx {

namespace {

bool isProgram(const std::string& path) {
    struct stat s {};
    return ::stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// After fork only async-signal-safe calls: everything the child needs is made before.
void startDetached(const std::vector<std::string>& arguments, const std::string& folder) {
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const char* dir = folder.empty() ? nullptr : folder.c_str();

    const pid_t child = ::fork();
    if (child < 0) return;
    if (child == 0) {
        // The child starts a session of its own and leaves at once; the grandchild runs the program and is
        // adopted by init (or the session's subreaper), which reaps it.
        ::setsid();
        if (::fork() != 0) ::_exit(0);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int sig : {SIGPIPE, SIGCHLD, SIGINT, SIGTERM, SIGHUP}) ::signal(sig, SIG_DFL);
        if (dir && ::chdir(dir) != 0) ::_exit(127);
        if (const int null = ::open("/dev/null", O_RDONLY); null > 0) ::dup2(null, 0), ::close(null);
        if (::syscall(SYS_close_range, 3u, ~0u, 0u) != 0)  // a kernel before 5.9
            for (int fd = 3; fd < 4096; ++fd) ::close(fd);
        ::execve(argv[0], argv.data(), environ);
        ::_exit(127);
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

std::string programPath(const std::string& file) {
    if (file.empty()) return "";
    if (file.find('/') != std::string::npos) return isProgram(file) ? file : "";
    const char* path = std::getenv("PATH");
    const std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        auto end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = end == start ? "." : dirs.substr(start, end - start);
        if (const std::string candidate = dir + "/" + file; isProgram(candidate)) return candidate;
        start = end + 1;
    }
    return "";
}

namespace {

// A program is started itself; anything else goes to the desktop's opener.
void open(const std::string& file, const std::string& folder) {
    if (file.empty()) return;
    if (const std::string program = programPath(file); !program.empty()) return startDetached({program}, folder);
    if (const std::string opener = programPath("xdg-open"); !opener.empty()) startDetached({opener, file}, folder);
}

}  // namespace

void ProcessLauncher::program(const std::string& path) { open(path, ""); }

void ProcessLauncher::document(const std::string& path) {
    const auto slash = path.rfind('/');
    open(path, slash == std::string::npos ? "" : path.substr(0, slash + 1));
}

void ProcessLauncher::address(const std::string& url) { open(url, ""); }

}  // namespace vr::lx
