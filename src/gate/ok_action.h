#pragma once

#include <functional>
#include <string>

#include "platform/files.h"
#include "platform/message_boxes.h"
#include "platform/program_start.h"

namespace mirutoka::gate {

inline constexpr platform::Message M1{"プログラムが実行されませんでした", "実行失敗"};
inline constexpr platform::Message M2{"パスワードが一致しません", "パスワード不一致"};
inline constexpr platform::Message M3{"パスワードファイルが見つかりません", "エラー"};

struct GatePlatform {
    const platform::Files& files;
    platform::ProgramStart& program_start;
    platform::MessageBoxes& message_boxes;
};

// What the password window lends the OK action.
struct PassOperations {
    std::function<std::string()> typed_text;  // the unmasked text of Text1, as UTF-8
    std::function<void()> unload;             // unloads PASS, which ends the process
};

// The OK action: checks the typed text against the first field of
// PASSWORD.INI and starts the second field's command line on a match. Every
// path that completes unloads the window; a run-time error leaves at once,
// without a message box, a close or an unload.
void Command1_Click(const GatePlatform& platform, const PassOperations& pass);

}  // namespace mirutoka::gate
