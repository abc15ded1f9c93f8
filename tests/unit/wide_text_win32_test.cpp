#include <gtest/gtest.h>

#include <windows.h>

#include <tuple>
#include <utility>

#include "diag/texts.h"
#include "platform/desktop/shell_result_win32.h"
#include "platform/files/file_removal.h"
#include "platform/files/file_status.h"
#include "platform/files/tree_directory.h"
#include "platform/text/wide_text_win32.h"
#include "test_support.h"

namespace {
using namespace test_support;
using namespace platform;

TEST(wide_text, utf8_and_utf16_convert_both_ways_exactly) {
  const std::pair<std::string, std::wstring> rows[] = {
      {"", L""}, {"C:\\src\\a.obj", L"C:\\src\\a.obj"}, {"\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88", L"\u30c6\u30b9\u30c8"},
      {"\xf0\x9f\x98\x80.pdb", {0xD83D, 0xDE00, L'.', L'p', L'd', L'b'}},  // an emoji: a surrogate pair
      {"a\xed\xa0\x80z", {L'a', 0xD800, L'z'}}, {"\xed\xbf\xbf", {0xDFFF}}};  // unpaired surrogates
  for (const auto& [utf8, utf16] : rows) {
    EXPECT_EQ(to_wide(utf8), utf16) << utf8;
    EXPECT_EQ(from_wide(utf16), utf8) << utf8;
  }
  // A stray trail byte, an overlong form and a cut sequence name no character.
  EXPECT_EQ(to_wide("a\x80z\xc0\xaf\xe3\x83"), (std::wstring{L'a', 0xFFFD, L'z', 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}));
}

TEST(wide_text, call_path_lifts_the_limit_once_the_full_form_reaches_max_path) {
  temp_dir dir;
  working_directory cwd(dir.path());
  const std::string name(300, 'd');
  const std::wstring wide(300, L'd');
  const std::pair<std::string, std::wstring> rows[] = {
      {"C:\\src/x\\\\a.obj", L"C:\\src/x\\\\a.obj"}, {"build\\a.obj", L"build\\a.obj"},
      // Short as given, but not once the working directory is put in front.
      {std::string(259, 'a'), L"\\\\?\\" + fs::current_path().wstring() + L"\\" + std::wstring(259, L'a')},
      {name + "\\a.obj", L"\\\\?\\" + fs::current_path().wstring() + L"\\" + wide + L"\\a.obj"},
      {"C:/" + name + "\\\\x\\..\\a.obj", L"\\\\?\\C:\\" + wide + L"\\a.obj"},
      {"\\\\server\\share\\" + name, L"\\\\?\\UNC\\server\\share\\" + wide},
      {"\\\\?\\C:\\" + name, L"\\\\?\\C:\\" + wide}};
  for (const auto& [path, called] : rows) EXPECT_EQ(call_path(path), called) << path;
}

TEST(wide_text, ansi_text_puts_a_question_mark_for_each_unit_the_code_page_lacks) {
  ASSERT_TRUE(GetACP() == 1252 || GetACP() == 932) << GetACP();
  // Hangul is in neither; a-macron would best-fit to "a" in 1252, e-acute to "e" in 932.
  EXPECT_EQ(ansi_text(L"a.obj \ud55c\u0101\u00e9"), GetACP() == 1252 ? "a.obj ??\xe9" : "a.obj ???");
  EXPECT_EQ(ansi_text({0xD83D, 0xDE00, L'.', 0xD800}), "??.?");  // an emoji, an unpaired surrogate
}

TEST(wide_text, dialogs_read_the_programs_texts_as_shift_jis_and_the_rest_in_the_code_page) {
  ASSERT_TRUE(GetACP() == 1252 || GetACP() == 932) << GetACP();
  const std::wstring context = L"\u4f8b\u5916\u51e6\u7406:\u958b\u767a\u8005\u306b\u30ed\u30b0\u30d5\u30a1\u30a4"
                               L"\u30eb\u3092\u6dfb\u4ed8\u3057\u3066\u30e1\u30fc\u30eb\u7b49\u3067\u9023\u7d61"
                               L"\u3092\u4e0b\u3055\u3044";
  // A system text in the code page: a copyright sign in 1252, a half-width katakana in 932.
  const std::wstring system = GetACP() == 1252 ? L"r\u00a9ussi\r\n" : L"r\uff69ussi\r\n";
  EXPECT_EQ(dialog_text(std::string("ERROR Message:r\xa9ussi\r\nMessage=") + texts::exception_context, texts::all()),
            L"ERROR Message:" + system + L"Message=" + context);
  EXPECT_EQ(dialog_text(texts::specify_directory, texts::all()), L"\u30c7\u30a3\u30ec\u30af\u30c8\u30ea\u6307\u5b9a");
  EXPECT_EQ(dialog_text("", texts::all()), L"");
}

TEST(wide_text, the_command_text_starts_after_the_program_name_and_its_blanks) {
  const std::pair<const wchar_t*, const wchar_t*> rows[] = {
      {L"\"C:\\my tools\\brulo.exe\" -f C:\\a b", L"-f C:\\a b"}, {L"\"brulo.exe\"-vc  ", L"-vc  "},
      {L"\"C:\\brulo.exe", L""}, {L"brulo.exe -f\"x\"", L"-f\"x\""}, {L"brulo.exe   ", L""},
      {L"brulo.exe\t\t \x01-vc", L"-vc"}};
  for (const auto& [line, text] : rows) EXPECT_STREQ(after_program_name(line), text) << line;
}

TEST(shell_removal_result, maps_the_shells_own_result_and_nothing_else) {
  using o = removal_outcome;
  const std::tuple<int, o, std::uint32_t> rows[] = {
      {0, o::removed, 0},      {2, o::gone, 2},          {3, o::gone, 2},          {0x7C, o::gone, 2},
      {8, o::failed, 8},       {14, o::failed, 8},       {0x75, o::refused, 1223}, {1223, o::refused, 1223},
      {0x78, o::refused, 5},   {0x79, o::refused, 206},  {0x81, o::refused, 206},  {0x86, o::refused, 19},
      {0x87, o::refused, 19},  {0x88, o::refused, 19},   {5, o::refused, 5},       {32, o::refused, 32},
      {19, o::refused, 19},    {0x7B, o::refused, 0x7B}, {0x71, o::refused, 31},   {0x85, o::refused, 31},
      {0xB7, o::refused, 31},  {0x402, o::refused, 31},  {0x10074, o::refused, 31}, {-1, o::refused, 31}};
  for (const auto& [result, outcome, code] : rows) {
    EXPECT_EQ(shell_removal_result(result, false).outcome, outcome) << result;
    EXPECT_EQ(shell_removal_result(result, false).code, code) << result;
  }
  // Aborted without a word and still 0: the file stayed where it was.
  EXPECT_EQ(shell_removal_result(0, true).outcome, o::refused);
  EXPECT_EQ(shell_removal_result(0, true).code, 1223u);
  EXPECT_EQ(shell_removal_result(5, true).code, 5u);
}

TEST(tree_directory, a_listed_name_ending_in_a_dot_is_reached_itself_never_its_neighbour) {
  temp_dir dir;
  working_directory cwd(dir.path());
  const std::wstring exact = exact_path(fs::current_path().wstring() + L"\\t\\");
  fs::create_directory(dir.path() / "t");
  ASSERT_TRUE(CreateDirectoryW((exact + L"x.").c_str(), nullptr)) << GetLastError();
  fs::create_directory(dir.path() / "t/x");
  write_file(dir.path() / "t/x/plain.obj", "");
  CloseHandle(CreateFileW((exact + L"x.\\dot.obj").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  tree_directory root, sub;
  ASSERT_TRUE(root.open_root("t"));  // relative: made absolute once, the names appended as listed
  ASSERT_TRUE(sub.open_subdirectory(root, "x."));
  ASSERT_TRUE(sub.start_listing());
  std::string name;
  entry_kind kind = entry_kind::other;
  ASSERT_EQ(sub.next_entry(name, kind), tree_directory::step::entry);
  EXPECT_EQ(name, "dot.obj");
  EXPECT_EQ(sub.next_entry(name, kind), tree_directory::step::end);
  // Deleted through the handle, and by its exact path the same file.
  const tree_entry entry{&sub, "dot.obj", "t\\x.\\dot.obj", entry_kind::regular};
  file_status status;
  ASSERT_TRUE(stat_entry(entry, status));
  ASSERT_TRUE(delete_file(entry, status.identity)) << GetLastError();
  EXPECT_EQ(GetFileAttributesW((exact + L"x.\\dot.obj").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(fs::exists(dir.path() / "t/x/plain.obj"));
  RemoveDirectoryW((exact + L"x.").c_str());
}
}  // namespace
