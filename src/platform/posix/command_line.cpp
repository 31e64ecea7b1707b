#include "platform/posix/command_line.h"

#include <optional>

#include "platform/run_time_error.h"

namespace mirutoka::platform {
namespace {

constexpr bool is_separator(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Inside double quotes a backslash escapes only these; before anything else it stays.
constexpr bool escapable_in_double_quotes(char c) {
    return c == '$' || c == '`' || c == '"' || c == '\\' || c == '\n';
}

RunTimeError malformed(std::string_view what, std::string_view command_line) {
    return run_time_error(Failure::MalformedCommandLine, command_line, what);
}

class Splitter {
public:
    explicit Splitter(std::string_view command_line) : line_(command_line) {}

    std::vector<std::string> words() {
        if (line_.find('\0') != std::string_view::npos) throw malformed("NUL 文字があります", line_);
        while (position_ < line_.size()) {
            const char c = line_[position_++];
            if (is_separator(c)) {
                end_word();
            } else if (c == '\'') {
                single_quoted();
            } else if (c == '"') {
                double_quoted();
            } else if (c == '\\') {
                escaped();
            } else {
                word().push_back(c);
            }
        }
        end_word();
        if (words_.empty()) throw run_time_error(Failure::NoProgram);
        return std::move(words_);
    }

private:
    std::string& word() {
        if (!current_) current_.emplace();
        return *current_;
    }

    void end_word() {
        if (current_) words_.push_back(std::move(*current_));
        current_.reset();
    }

    void single_quoted() {
        const std::size_t close = line_.find('\'', position_);
        if (close == std::string_view::npos) throw malformed("' が閉じていません", line_);
        word().append(line_.substr(position_, close - position_));
        position_ = close + 1;
    }

    void double_quoted() {
        std::string& text = word();
        while (position_ < line_.size() && line_[position_] != '"') {
            const char c = line_[position_++];
            if (c == '\\' && position_ < line_.size() && escapable_in_double_quotes(line_[position_])) {
                const char escaped_char = line_[position_++];
                if (escaped_char != '\n') text.push_back(escaped_char);
            } else {
                text.push_back(c);
            }
        }
        if (position_ == line_.size()) throw malformed("\" が閉じていません", line_);
        ++position_;
    }

    void escaped() {
        if (position_ == line_.size()) throw malformed("末尾に \\ があります", line_);
        const char c = line_[position_++];
        if (c != '\n') word().push_back(c);
    }

    std::string_view line_;
    std::size_t position_ = 0;
    std::optional<std::string> current_;
    std::vector<std::string> words_;
};

}  // namespace

std::vector<std::string> split_command_line(std::string_view command_line) {
    return Splitter(command_line).words();
}

}  // namespace mirutoka::platform
