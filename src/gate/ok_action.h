#pragma once

#include <string>

#include "gate/front_end.h"
#include "platform/files.h"
#include "platform/program_start.h"
#include "platform/secrets.h"

namespace mirutoka::gate {

inline constexpr Message M1{"プログラムが実行されませんでした", "実行失敗"};
inline constexpr Message M2{"パスワードが一致しません", "パスワード不一致"};
inline constexpr Message M3{"パスワードファイルが見つかりません", "エラー"};

// Everything the OK action reaches the machine and the user through: main
// passes the real ones, tests fakes.
struct Services {
    const platform::Files& files;
    platform::ProgramStart& program_start;
    MessageBoxes& message_boxes;
    ErrorReport& error_report;
};

// The OK action, given what was typed into Text1:
// checks it against the first field of PASSWORD.INI and starts the second
// field's command line on a match, with a message box for every other way.
// When it returns, the front end unloads PASS. A run-time error goes to the
// error report at once, without a message box, and ends the process there.
void Command1_Click(const Services& services, platform::SecretText typed_text) noexcept;

}  // namespace mirutoka::gate
