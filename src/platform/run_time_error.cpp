#include "platform/run_time_error.h"

#include <array>
#include <cstddef>

namespace mirutoka::platform {
namespace {

struct FailureText {
    Failure failure;
    ErrorNumber number;
    std::string_view text;
};

// In the order of Failure.
constexpr std::array failure_texts = {
    FailureText{Failure::EndOfData, ErrorNumber::InputPastEndOfFile, "ファイルにこれ以上データがありません"},
    FailureText{Failure::FieldTooLong, ErrorNumber::StringTooLong, "ファイルの項目が長すぎます (上限は 64 KiB です)"},
    FailureText{Failure::UndecodableText, ErrorNumber::InvalidArgument,
                "ファイルの文字を読み取れません。文字コードが正しくありません"},
    FailureText{Failure::NoProgram, ErrorNumber::InvalidArgument, "起動するプログラムが指定されていません"},
    FailureText{Failure::MalformedCommandLine, ErrorNumber::InvalidArgument, "コマンドラインを解釈できません"},
    FailureText{Failure::OutOfMemory, ErrorNumber::OutOfMemory, "メモリが不足しています"},
    FailureText{Failure::Internal, ErrorNumber::InternalError, "内部エラーが発生しました"},
    FailureText{Failure::NotCreated, ErrorNumber::InternalError, "作成できません"},
    FailureText{Failure::ConverterMissing, ErrorNumber::InternalError, "文字コード変換を使えません"},
    FailureText{Failure::FileNotFound, ErrorNumber::FileNotFound, "ファイルが見つかりません"},
    FailureText{Failure::FileAccessDenied, ErrorNumber::PermissionDenied, "ファイルを読み取る権限がありません"},
    FailureText{Failure::FileInUse, ErrorNumber::PermissionDenied, "ファイルはほかのプログラムが使用中です"},
    FailureText{Failure::FileNotOpened, ErrorNumber::PathFileAccess, "ファイルを開けません"},
    FailureText{Failure::NotRegularFile, ErrorNumber::PathFileAccess, "通常のファイルではありません"},
    FailureText{Failure::ReadFailed, ErrorNumber::DeviceIo, "ファイルの読み取りに失敗しました"},
    FailureText{Failure::ProgramNotFound, ErrorNumber::FileNotFound, "プログラムが見つかりません"},
    FailureText{Failure::ProgramAccessDenied, ErrorNumber::PermissionDenied,
                "プログラムを実行できません (実行の権限がありません)"},
    FailureText{Failure::ProgramNotExecutable, ErrorNumber::InvalidArgument,
                "プログラムを実行できません (実行できる形式ではありません)"},
    FailureText{Failure::ProgramNotStarted, ErrorNumber::InvalidArgument, "プログラムを起動できません"},
    FailureText{Failure::ElevationDeclined, ErrorNumber::PermissionDenied,
                "プログラムを起動できません (管理者としての実行が許可されませんでした)"},
};

constexpr bool in_order() {
    for (std::size_t i = 0; i < failure_texts.size(); ++i)
        if (static_cast<std::size_t>(failure_texts[i].failure) != i) return false;
    return true;
}
static_assert(in_order() && failure_texts.size() == static_cast<std::size_t>(Failure::ElevationDeclined) + 1,
              "failure_texts lists every Failure once, in order");

}  // namespace

RunTimeError run_time_error(Failure failure, std::string_view subject, std::string_view detail) {
    const FailureText& entry = failure_texts.at(static_cast<std::size_t>(failure));
    std::string description(entry.text);
    if (!detail.empty()) description.append(" (").append(detail).append(")");
    if (subject.empty())
        description += "。";
    else
        description.append(": ").append(subject);
    return {entry.number, description};
}

}  // namespace mirutoka::platform
