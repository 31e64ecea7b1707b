// Stands in for a protected program and writes down what it was handed: its
// open descriptors, whether it leads its own session, its core-file limit, the
// signals it has blocked or ignored (a normal start gives none), its variables.
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <string>

extern char** environ;  // NOLINT: POSIX declares it nowhere else

int main(int argc, char* argv[]) {
    if (argc < 2) return 2;
    DIR* listing = ::opendir("/proc/self/fd");
    if (listing == nullptr) return 1;
    std::string descriptors;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || std::stoi(name) == ::dirfd(listing)) continue;
        descriptors += (descriptors.empty() ? "" : ",") + name;
    }
    ::closedir(listing);
    rlimit core{};
    ::getrlimit(RLIMIT_CORE, &core);
    sigset_t blocked;
    ::sigprocmask(SIG_SETMASK, nullptr, &blocked);
    std::string blocked_signals;
    std::string ignored_signals;
    for (int signal = 1; signal < NSIG; ++signal) {
        const std::string number = std::to_string(signal);
        if (::sigismember(&blocked, signal) == 1) blocked_signals.append(" ").append(number);
        struct sigaction action {};
        if (::sigaction(signal, nullptr, &action) == 0 && action.sa_handler == SIG_IGN)
            ignored_signals.append(" ").append(number);
    }
    int variables = 0;
    while (environ[variables] != nullptr) ++variables;
    const std::string report = argv[1];
    std::ofstream(report + ".tmp") << "descriptors=" << descriptors << " session_leader=" << (::getsid(0) == ::getpid())
                                   << " core=" << core.rlim_cur << "/" << core.rlim_max
                                   << " blocked=[" << blocked_signals << "] ignored=[" << ignored_signals << "]"
                                   << " environment=" << variables << "\n";
    return std::rename((report + ".tmp").c_str(), report.c_str()) == 0 ? 0 : 1;
}
