// Compiled with the platform's execution character set, which the build chooses:
// every literal below becomes Shift_JIS bytes on Windows and UTF-8 elsewhere.
#include "diag/texts.h"

namespace texts {
const char* const strange_command_line = "変なコマンドラインが入れられてます。しっかり説明書を読んでください。";
const char* const exception_context = "例外処理:開発者にログファイルを添付してメール等で連絡を下さい";
const char* const strange_wildcard = "へんなワイルドカード入れるな！";
const char* const file_operator_not_open = "file_operator:openしてない。";
const char* const impossible = "ありえない！";
const char* const out_of_memory = "メモリが足らん！";
const char* const specify_directory = "ディレクトリ指定";

const std::vector<const char*>& all() {
  static const std::vector<const char*> every = {strange_command_line, exception_context, strange_wildcard,
                                                 file_operator_not_open, impossible, out_of_memory,
                                                 specify_directory};
  return every;
}
}  // namespace texts
