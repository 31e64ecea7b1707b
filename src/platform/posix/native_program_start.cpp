#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/native.h"
#include "platform/posix/command_line.h"
#include "platform/posix/core_limit.h"
#include "platform/posix/errno_text.h"
#include "platform/run_time_error.h"

extern char** environ;  // NOLINT: POSIX declares it nowhere else

namespace mirutoka::platform {
namespace {

RunTimeError start_error(int error, const std::string& program) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return run_time_error(Failure::ProgramNotFound, program);
    case EACCES:
    case EPERM:
        return run_time_error(Failure::ProgramAccessDenied, program);
    case ENOEXEC:
        return run_time_error(Failure::ProgramNotExecutable, program);
    default:
        return run_time_error(Failure::ProgramNotStarted, program, errno_name(error));
    }
}

// The started program gets its own session, a clear signal mask and default
// signal actions, so it outlives us and owes nothing to our state.
class SpawnAttributes {
public:
    SpawnAttributes() {
        ::posix_spawnattr_init(&attributes_);
        sigset_t signals;
        ::sigemptyset(&signals);
        ::posix_spawnattr_setsigmask(&attributes_, &signals);
        ::sigfillset(&signals);
        ::posix_spawnattr_setsigdefault(&attributes_, &signals);
        ::posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }

    [[nodiscard]] const posix_spawnattr_t* get() const { return &attributes_; }

private:
    posix_spawnattr_t attributes_{};
};

// Only standard input, output and error go along: whatever else the process
// holds open, even a descriptor someone forgot to mark close-on-exec, stays.
class SpawnFileActions {
public:
    SpawnFileActions() {
        ::posix_spawn_file_actions_init(&actions_);
        ::posix_spawn_file_actions_addclosefrom_np(&actions_, 3);
    }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
    ~SpawnFileActions() { ::posix_spawn_file_actions_destroy(&actions_); }

    [[nodiscard]] const posix_spawn_file_actions_t* get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_{};
};

// The environment the process was started with, copied before main runs.
// A front end may give its toolkit settings through the environment (Qt
// takes some from there alone) and leave them there, as threads may read it
// at any time; the started program gets none of them.
class EnvironmentAtStart {
public:
    EnvironmentAtStart() {
        for (char** variable = environ; variable != nullptr && *variable != nullptr; ++variable)
            strings_.emplace_back(*variable);
        for (std::string& string : strings_) pointers_.push_back(string.data());
        pointers_.push_back(nullptr);
    }
    EnvironmentAtStart(const EnvironmentAtStart&) = delete;
    EnvironmentAtStart& operator=(const EnvironmentAtStart&) = delete;

    [[nodiscard]] char* const* get() const { return pointers_.data(); }

private:
    std::vector<std::string> strings_;
    std::vector<char*> pointers_;
};

const EnvironmentAtStart environment_at_start;

// For as long as it lives, this process has the core-file limit it was
// started with, so that the started program inherits that, not ours.
class CoreLimitAtStart {
public:
    CoreLimitAtStart() {
        ::getrlimit(RLIMIT_CORE, &own_);
        ::setrlimit(RLIMIT_CORE, &core_limit_at_start());
    }
    CoreLimitAtStart(const CoreLimitAtStart&) = delete;
    CoreLimitAtStart& operator=(const CoreLimitAtStart&) = delete;
    ~CoreLimitAtStart() { ::setrlimit(RLIMIT_CORE, &own_); }

private:
    rlimit own_{};
};

}  // namespace

// Never a shell: the words go straight to exec, searched along PATH unless
// the program's name holds a slash.
double NativeProgramStart::start(const std::string& command_line) {
    std::vector<std::string> words = split_command_line(command_line);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    const SpawnFileActions file_actions;
    const SpawnAttributes attributes;
    const CoreLimitAtStart core_limit;
    pid_t pid = 0;
    const int error =
        ::posix_spawnp(&pid, argv.front(), file_actions.get(), attributes.get(), argv.data(), environment_at_start.get());
    if (error != 0) throw start_error(error, words.front());
    return static_cast<double>(pid);
}

}  // namespace mirutoka::platform
