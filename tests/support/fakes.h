#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "gate/front_end.h"
#include "platform/files.h"
#include "platform/program_start.h"
#include "platform/run_time_error.h"
#include "platform/utf8.h"

namespace mirutoka::platform {

// What a failed expectation shows of a secret: it only ever holds test data here.
inline void PrintTo(const SecretText& text, std::ostream* out) { *out << '"' << text.view() << '"'; }

}  // namespace mirutoka::platform

namespace mirutoka::testing {

// Hands out `content` a few bytes at a time, so every buffer boundary gets crossed.
class MemoryFile final : public platform::InputFile {
public:
    MemoryFile(std::string content, std::size_t chunk, int* open_count = nullptr)
        : content_(std::move(content)), chunk_(chunk), open_count_(open_count) {
        if (open_count_ != nullptr) ++*open_count_;
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile() override {
        if (open_count_ != nullptr) --*open_count_;
    }

    std::size_t read(std::span<char> buffer) override {
        const std::size_t count = std::min({buffer.size(), chunk_, content_.size() - position_});
        std::memcpy(buffer.data(), content_.data() + position_, count);
        position_ += count;
        return count;
    }

private:
    std::string content_;
    std::size_t chunk_;
    int* open_count_;
    std::size_t position_ = 0;
};

// Files by name; any other name is missing. Legacy text comes back tagged, so
// a test sees which fields needed the code page.
class FakeFiles final : public platform::Files {
public:
    std::map<std::string, std::string> contents;
    std::size_t chunk = 3;
    mutable int opens_attempted = 0;
    mutable int open_now = 0;
    std::optional<int> vanish_after_opens;  // the file disappears once this many opens have been tried

    std::unique_ptr<platform::InputFile> open_for_input(const std::string& name) const override {
        ++opens_attempted;
        const auto found = contents.find(name);
        if (found == contents.end() || (vanish_after_opens && opens_attempted > *vanish_after_opens))
            throw platform::RunTimeError(platform::ErrorNumber::FileNotFound, "missing: " + name);
        return std::make_unique<MemoryFile>(found->second, chunk, &open_now);
    }

    platform::SecretText decode_legacy_text(std::string_view bytes) const override {
        return platform::SecretText("legacy:" + std::string(bytes));
    }
};

class FakeProgramStart final : public platform::ProgramStart {
public:
    std::vector<std::string> started;
    double task_id = 4242;
    std::optional<platform::RunTimeError> failure;

    double start(const std::string& command_line) override {
        if (failure) throw *failure;
        started.push_back(command_line);
        return task_id;
    }
};

class FakeMessageBoxes final : public gate::MessageBoxes {
public:
    std::vector<gate::Message> shown;

    void show(const gate::Message& message) override { shown.push_back(message); }
};

// Records the error and returns, where the real reports end the process.
class FakeErrorReport final : public gate::ErrorReport {
public:
    std::vector<platform::RunTimeError> reported;

    void report(const platform::RunTimeError& error) override { reported.push_back(error); }
};

}  // namespace mirutoka::testing
