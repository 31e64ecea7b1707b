#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "gate/ok_action.h"
#include "gate/password_file.h"
#include "platform/native.h"
#include "platform/secrets.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace mirutoka::platform {
namespace {

// The password, made at run time so that no literal of the test holds it, and
// only ever kept reversed here: the scan must find nothing but what the OK
// action left behind.
std::string reversed_password() {
    std::mt19937_64 random(std::random_device{}());
    std::string reversed = "-pw-";
    while (reversed.size() < 40) reversed.push_back(static_cast<char>('a' + random() % 26));
    return reversed;
}

// Writes the file without a stream, whose buffer would keep a copy behind.
void write_password_file(const std::string& reversed) {
    std::string content(reversed.rbegin(), reversed.rend());
    content += "\ngame\n";
    const int fd = ::open(gate::password_file_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    ::close(fd);
    wipe(content);
}

// The allocator writes its own bookkeeping over the first bytes of a freed
// block, so a copy left behind is recognised by the password's tail.
constexpr std::size_t tail_length = 16;

bool holds_tail(const std::vector<char>& memory, const std::string& reversed) {
    for (std::size_t at = 0; at + tail_length <= memory.size(); ++at) {
        std::size_t k = 0;
        while (k < tail_length && memory[at + k] == reversed[tail_length - 1 - k]) ++k;
        if (k == tail_length) return true;
    }
    return false;
}

// Every writable mapping of this process: heap, stacks, data.
int copies_in_memory(const std::string& reversed) {
    std::ifstream maps("/proc/self/maps");
    const int memory = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
    int found = 0;
    for (std::string line; std::getline(maps, line);) {
        std::istringstream fields(line);
        std::string range;
        std::string permissions;
        fields >> range >> permissions;
        if (permissions.substr(0, 2) != "rw" || line.find("[vvar") != std::string::npos) continue;
        const std::size_t begin = std::stoul(range, nullptr, 16);
        const std::size_t end = std::stoul(range.substr(range.find('-') + 1), nullptr, 16);
        std::vector<char> bytes(end - begin);
        const ssize_t count = ::pread(memory, bytes.data(), bytes.size(), static_cast<off_t>(begin));
        if (count > 0 && holds_tail({bytes.begin(), bytes.begin() + count}, reversed)) ++found;
    }
    ::close(memory);
    return found;
}

// Once the OK action has compared them, neither the typed text nor the
// stored password is anywhere in the process's writable memory.
TEST(Secrets, AreWipedAfterTheComparison) {
    const testing::TempDir dir;
    const testing::ScopedWorkingDirectory in_dir(dir.path());
    const std::string reversed = reversed_password();
    write_password_file(reversed);

    const NativeFiles files;
    testing::FakeProgramStart program_start;
    testing::FakeMessageBoxes boxes;
    testing::FakeErrorReport report;
    gate::Command1_Click({files, program_start, boxes, report}, std::string(reversed.rbegin(), reversed.rend()));
    ASSERT_EQ(program_start.started, std::vector<std::string>{"game"});
    EXPECT_EQ(copies_in_memory(reversed), 0);
}

}  // namespace
}  // namespace mirutoka::platform
