// Whatever PASSWORD.INI holds and whatever the machine puts in its place, one
// press of OK ends in M1, M2, M3, started or a numbered run-time error, within
// a few seconds and a bounded amount of memory, and nothing starts unless the
// password matched. Each row runs in a child of its own, under an alarm.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "gate/ok_action.h"
#include "gate/password_file.h"
#include "platform/native.h"
#include "platform/hardening.h"
#include "platform/secrets.h"
#include "platform/run_time_error.h"
#include "support/case_name.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace mirutoka::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr auto typed = "himitsu";
constexpr unsigned time_limit_seconds = 10;
constexpr long memory_limit_kib = 160 * 1024;

// The real files, except that PASSWORD.INI disappears right after the probe.
class VanishingFiles final : public Files {
public:
    std::unique_ptr<InputFile> open_for_input(const std::string& name) const override {
        auto file = native_.open_for_input(name);
        fs::remove(name);
        return file;
    }
    SecretText decode_legacy_text(std::string_view bytes) const override {
        return native_.decode_legacy_text(bytes);
    }

private:
    NativeFiles native_;
};

void write(const std::string& content) { std::ofstream(gate::password_file_name, std::ios::binary) << content; }
void link_to(const char* target) { fs::create_symlink(target, gate::password_file_name); }

void make_socket() {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, gate::password_file_name.c_str());
    ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    ::close(fd);
}

// A sparse file: 100 MB of NUL bytes without a single delimiter.
void write_huge_field() {
    write("");
    fs::resize_file(gate::password_file_name, 100'000'000);
}

// A sparse terabyte after a closing quote: nothing but NUL bytes follows it.
void write_terabyte_after_a_quote() {
    write("\"himitsu\"");
    fs::resize_file(gate::password_file_name, 1'000'000'000'000);
}

struct Row {
    const char* name;
    std::function<void()> make;
    std::string outcome;  // "started", "M1", "M2", "M3" or "error N"
    bool as_nobody = false;
    bool vanishes = false;
};

const std::vector<Row> rows = {
    {"right_password", [] { write("himitsu\n./touch.sh started\n"); }, "started"},
    {"no_file", [] {}, "M3"},
    {"directory", [] { fs::create_directory(gate::password_file_name); }, "M3"},
    {"fifo", [] { ::mkfifo(gate::password_file_name.c_str(), 0644); }, "M3"},
    {"socket", make_socket, "M3"},
    {"link_to_dev_zero", [] { link_to("/dev/zero"); }, "M3"},
    {"link_to_dev_urandom", [] { link_to("/dev/urandom"); }, "M3"},
    {"link_loop", [] { link_to(gate::password_file_name.c_str()); }, "M3"},
    {"dangling_link", [] { link_to("nowhere.ini"); }, "M3"},
    {"no_read_permission",
     [] {
         write("himitsu\n./touch.sh started\n");
         fs::permissions(gate::password_file_name, fs::perms::owner_write);
     },
     "M3", true},
    {"disappears_after_the_probe", [] { write("himitsu\n./touch.sh started\n"); }, "error 53", false, true},
    {"empty_file", [] { write(""); }, "error 62"},
    {"only_blank_lines", [] { write("\n\n\n"); }, "M2"},
    {"nul_inside_the_password", [] { write("himi\0tsu\n./touch.sh started\n"s); }, "M2"},
    {"nul_inside_the_command_line", [] { write("himitsu\n./touch.sh sta\0rted\n"s); }, "error 5"},
    {"hundred_megabytes_without_delimiter", write_huge_field, "error 14"},
    {"terabyte_after_a_closing_quote", write_terabyte_after_a_quote, "error 14"},
    {"neither_utf8_nor_cp932", [] { write("\x83\xFF\n./touch.sh started\n"); }, "error 5"},
    {"lone_quote", [] { write("\""); }, "M2"},
    {"quote_open_to_the_end", [] { write("\"himitsu\n./touch.sh started\n"); }, "M2"},
    {"byte_order_mark_alone", [] { write("\xEF\xBB\xBF"); }, "error 62"},
    {"password_only", [] { write("himitsu\n"); }, "error 62"},
    {"command_line_empty", [] { write("himitsu,\n"); }, "error 5"},
    {"command_line_blank", [] { write("himitsu\n  \t \n"); }, "error 5"},
    {"command_line_only_quotes", [] { write("himitsu,\"\"\n"); }, "error 5"},
    {"command_line_unclosed_single_quote", [] { write("himitsu\n./touch.sh 'started\n"); }, "error 5"},
    {"command_line_names_a_directory", [] { write("himitsu\n./folder\n"); }, "error 70"},
    {"command_line_not_executable", [] { write("himitsu\n./plain.sh\n"); }, "error 70"},
    {"command_line_script_without_interpreter", [] { write("himitsu\n./bare.sh\n"); }, "error 5"},
    {"command_line_missing_program", [] { write("himitsu\n./nothing started\n"); }, "error 53"},
};

// The programs a command line may name, all leaving "started" behind if run.
void make_programs() {
    const auto script = [](const char* name, const char* text, fs::perms perms) {
        std::ofstream(name) << text;
        fs::permissions(name, perms);
    };
    script("touch.sh", "#!/bin/sh\n: > \"$1\"\n", fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    script("plain.sh", "#!/bin/sh\n: > started\n", fs::perms::owner_read | fs::perms::owner_write);
    script("bare.sh", ": > started\n", fs::perms::owner_all);
    fs::create_directory("folder");
}

bool drop_to_nobody() {
    constexpr uid_t nobody = 65534;
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setresgid(nobody, nobody, nobody) == 0 &&
           ::setresuid(nobody, nobody, nobody) == 0;
}

// Runs one press of OK and says what the user saw.
std::string press_ok(const Row& row) {
    const NativeFiles native_files;
    const VanishingFiles vanishing_files;
    NativeProgramStart program_start;
    testing::FakeMessageBoxes boxes;
    testing::FakeErrorReport report;
    const Files& files = row.vanishes ? static_cast<const Files&>(vanishing_files) : native_files;
    gate::Command1_Click({files, program_start, boxes, report}, SecretText(typed));
    if (!report.reported.empty()) {
        const RunTimeError& error = report.reported.front();
        if (error.description().find(typed) != std::string::npos) return "error leaks the password";
        return "error " + std::to_string(error.number());
    }
    if (boxes.shown.empty()) return "started";
    if (boxes.shown.front().title == gate::M1.title) return "M1";
    if (boxes.shown.front().title == gate::M2.title) return "M2";
    return "M3";
}

class BadInput : public ::testing::TestWithParam<Row> {};

TEST_P(BadInput, EndsInTheExpectedOutcomeWithinBounds) {
    const Row& row = GetParam();
    const testing::TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const testing::ScopedWorkingDirectory in_dir(dir.path());
    make_programs();
    row.make();

    std::array<int, 2> pipe_ends{};
    ASSERT_EQ(::pipe(pipe_ends.data()), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe_ends[0]);
        ::alarm(time_limit_seconds);
        const std::string outcome = row.as_nobody && !drop_to_nobody() ? "could not drop root" : press_ok(row);
        const bool reported = ::write(pipe_ends[1], outcome.data(), outcome.size()) ==
                              static_cast<ssize_t>(outcome.size());
        ::_exit(reported ? 0 : 1);
    }
    ::close(pipe_ends[1]);
    std::string outcome(64, '\0');
    outcome.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::read(pipe_ends[0], outcome.data(), outcome.size()))));
    ::close(pipe_ends[0]);
    int status = 0;
    rusage usage{};
    ASSERT_EQ(::wait4(child, &status, 0, &usage), child);

    EXPECT_FALSE(WIFSIGNALED(status)) << "killed by signal " << WTERMSIG(status) << " (alarm: a hang)";
    EXPECT_EQ(outcome, row.outcome);
    EXPECT_LT(usage.ru_maxrss, memory_limit_kib);
    const bool started = testing::wait_for_file(dir.path() / "started", std::chrono::milliseconds(
                                                                             row.outcome == "started" ? 10'000 : 300));
    EXPECT_EQ(started, row.outcome == "started");
}

INSTANTIATE_TEST_SUITE_P(Rows, BadInput, ::testing::ValuesIn(rows), testing::CaseName());

// Read before main, as the program reads them.
const rlimit core_limit_before_main = [] {
    rlimit limit{};
    ::getrlimit(RLIMIT_CORE, &limit);
    return limit;
}();
const int environment_before_main = [] { int n = 0; while (environ[n] != nullptr) ++n; return n; }();

// The process refuses core dumps while it may hold a secret; the program it
// starts gets the core-file limit the process was started with, not that.
TEST(StartedProgram, InheritsOnlyStandardDescriptorsAndTheLimitsWeWereStartedWith) {
    harden_process();
    // A blocked and an ignored signal would go along to the program, as
    // neither a normal start from a desktop nor a shell hands on.
    sigset_t user1;
    ::sigemptyset(&user1);
    ::sigaddset(&user1, SIGUSR1);
    ::sigprocmask(SIG_BLOCK, &user1, nullptr);
    ::signal(SIGUSR2, SIG_IGN);
    ::setenv("MIRUTOKA_SET_AFTER_START", "1", 1);  // as the Qt front end sets its toolkit's
    // And a descriptor anyone could leave open without close-on-exec.
    const int left_open = ::open("/dev/null", O_RDONLY);
    ASSERT_GT(left_open, 2);
    const testing::TempDir dir;
    const testing::ScopedWorkingDirectory in_dir(dir.path());
    write("himitsu\n"s + INHERIT_PROBE + " inherited.txt\n");
    const NativeFiles files;
    NativeProgramStart program_start;
    testing::FakeMessageBoxes boxes;
    testing::FakeErrorReport errors;
    gate::Command1_Click({files, program_start, boxes, errors}, SecretText(typed));
    ::close(left_open);
    ASSERT_TRUE(testing::wait_for_file(dir.path() / "inherited.txt"));
    std::string report;
    std::getline(std::ifstream(dir.path() / "inherited.txt"), report);
    EXPECT_EQ(report, "descriptors=0,1,2 session_leader=1 core=" + std::to_string(core_limit_before_main.rlim_cur) +
                          "/" + std::to_string(core_limit_before_main.rlim_max) + " blocked=[] ignored=[] environment=" +
                          std::to_string(environment_before_main));
    rlimit own{};
    ::getrlimit(RLIMIT_CORE, &own);
    EXPECT_EQ(own.rlim_cur, 0U);
    EXPECT_EQ(::prctl(PR_GET_DUMPABLE), 0) << "no core dump, and no other process of the user reads our memory";
}

}  // namespace
}  // namespace mirutoka::platform
