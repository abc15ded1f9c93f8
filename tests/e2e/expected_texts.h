#pragma once
// Bytes the program writes that both suites compare against.
#include <initializer_list>
#include <string>

#include "harness.h"

namespace expected {

// The program's Japanese texts: Shift_JIS (CP932) bytes from brulo.exe, UTF-8 on Linux.
inline std::string by_target(const std::string& shift_jis, const std::string& utf8) {
  return harness::target().wine ? shift_jis : utf8;
}
inline const std::string strange_command_line = by_target(
    "\x95\xcf\x82\xc8\x83\x52\x83\x7d\x83\x93\x83\x68\x83\x89\x83\x43\x83\x93\x82\xaa\x93\xfc\x82\xea\x82\xe7"
    "\x82\xea\x82\xc4\x82\xdc\x82\xb7\x81\x42\x82\xb5\x82\xc1\x82\xa9\x82\xe8\x90\xe0\x96\xbe\x8f\x91\x82\xf0"
    "\x93\xc7\x82\xf1\x82\xc5\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42",
    "変なコマンドラインが入れられてます。しっかり説明書を読んでください。");
inline const std::string exception_context = by_target(
    "\x97\xe1\x8a\x4f\x8f\x88\x97\x9d\x3a\x8a\x4a\x94\xad\x8e\xd2\x82\xc9\x83\x8d\x83\x4f\x83\x74\x83\x40\x83"
    "\x43\x83\x8b\x82\xf0\x93\x59\x95\x74\x82\xb5\x82\xc4\x83\x81\x81\x5b\x83\x8b\x93\x99\x82\xc5\x98\x41\x97"
    "\x8d\x82\xf0\x89\xba\x82\xb3\x82\xa2",
    "例外処理:開発者にログファイルを添付してメール等で連絡を下さい");
inline const std::string file_operator_not_open = by_target(
    "file_operator:open"
    "\x82\xb5\x82\xc4\x82\xc8\x82\xa2\x81\x42",
    "file_operator:openしてない。");

inline std::string bytes(std::initializer_list<int> values) {
  std::string text;
  for (int value : values) text.push_back(static_cast<char>(value));
  return text;
}

// Starts of files each pattern recognises.
inline const std::string obj_start = bytes({0x4C, 0x01});
inline const std::string mingw_start = bytes({0x4C, 0x01, 0x1C, 0x00, 0x00, 0x00, 0x00});
inline const std::string pch_start = "VCPCH";
inline const std::string ilk_start = "Microsoft Linker Database";
inline const std::string pdb_start = "Microsoft C/C++ program database";
inline const std::string msf7_start = std::string("Microsoft C/C++ MSF 7.00\r\n\x1a" "DS\0\0\0", 32);  // with "modern"
inline const std::string sbr_start = bytes({0x00, 0x02, 0x00, 0x07, 0x00});
inline const std::string res_start =
    bytes({0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00});

// What the error report holds for one failure; the system's part differs per platform.
struct failure {
  std::string what;
  int code;
  std::string system_text;
};

// The block echoed after "Exception Message = ...", in logical form.
inline std::string error_block(const failure& f) {
  return "GetLastError ID = " + std::to_string(f.code) + "\nLastError details=ERROR Message:" + f.system_text +
         "\nMessage=" + exception_context;
}

// Standard output of an exception report (logical form).
inline std::string exception_echo(const failure& f) {
  return harness::echoed("Exception Message = " + f.what) + harness::echoed(error_block(f));
}

// brulo_exception.log after one report (logical form, time stamp masked).
inline std::string exception_log(const failure& f) { return "<now>:\n" + f.what + "\n" + error_block(f) + "\n"; }

// The system's text for "access denied" as the program prints it.
inline std::string access_denied_text() {
  return harness::target().wine ? "Access denied.\r\n" : "Access is denied.\n";
}

// The system's text for a file held open by another program.
inline std::string sharing_violation_text() {
  return harness::target().wine ? "Sharing violation.\r\n"
                                : "The process cannot access the file because it is being used by another process.\r\n";
}

// Wine's text for a name it cannot resolve (a link it cannot remove itself).
inline std::string unresolved_name_text() { return "The filename cannot be resolved.\r\n"; }

// A tree the program cannot list: its own path as given, or an empty value.
inline failure missing_tree(const std::string& shown_path) {
  const std::string prefix = "boost::filesystem::directory_iterator::construct: ";
  if (harness::target().wine) {
    return {prefix + "Path not found" + (shown_path.empty() ? "" : ": \"" + shown_path + "\""), 3, "Path not found.\r\n"};
  }
  return {prefix + "No such file or directory" + (shown_path.empty() ? "" : ": \"" + shown_path + "\""), 2,
          "The system cannot find the file specified.\n"};
}

// An "f" without a value. The empty path is refused before any system call,
// so the report carries whatever the last call left: none, or on Windows the
// run log's open of an existing file (ERROR_ALREADY_EXISTS) when outputlog is on.
inline failure empty_tree(bool run_log_written) {
  failure f = missing_tree("");
  if (!harness::target().wine) {
    f.code = 0;
    f.system_text = "The operation completed successfully.\n";
    return f;
  }
  if (run_log_written) {
    f.code = 183;
    f.system_text = "File already exists.\r\n";
  } else {
    f.code = 0;
    f.system_text = "Success.\r\n";
  }
  return f;
}

// A folder whose name matches a pattern, opened as if it were a file.
inline failure folder_opened_as_file() {
  if (harness::target().wine) return {file_operator_not_open, 5, "Access denied.\r\n"};
  return {file_operator_not_open, 5, "Access is denied.\n"};
}

}  // namespace expected
