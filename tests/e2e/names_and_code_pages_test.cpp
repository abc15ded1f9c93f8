// Every name, any length: odd bytes, names beyond the code page, paths past
// MAX_PATH.

#include "end_to_end_fixture.h"

using namespace e2e;

namespace {

TEST_F(end_to_end, odd_bytes_in_a_path_come_out_literally_or_as_a_question_mark) {
  // A '%' is never formatted again; a control byte (a Linux name may hold a
  // line feed) is shown as '?', and the file still goes.
  struct odd_name {
    std::string folder, shown_as;
  };
  std::vector<odd_name> names = {{"p%d%s%n", "p%d%s%n"}};
  if (!target().wine) names.push_back({"a\nb", "a?b"});  // no Windows name holds a line feed
  for (const odd_name& name : names) {
    put(tree + "/" + name.folder + "/a.obj", with_payload(obj_start));
    const run_result result = run("-outputlog -f " + shown(tree + "/" + name.folder));
    EXPECT_EQ(result.status, 0);
    const std::string removed = shown(tree + "/" + name.shown_as + "/a.obj");
    EXPECT_EQ(result.out, stdout_of({removed}));
    EXPECT_EQ(run_log(result), log_lines({removed}));
    EXPECT_EQ(list_tree(tree + "/" + name.folder), std::vector<std::string>{});
    remove_tree(work + "/brulo_log.log");
  }
}

// ---- every name, any length -----------------------------------------------------------

// Wine takes its ANSI code page from the locale. How brulo.exe shows names
// under each: Hangul is in neither, an emoji (two UTF-16 units) gives "??".
// The Linux program shows every name as it is.
struct code_page {
  int number;
  std::string katakana, too_long;  // テスト shown; the text of ERROR_FILENAME_EXCED_RANGE
  std::string invalid_name;        // the text of ERROR_INVALID_NAME
};
const code_page code_pages[] = {
    {1252, "???", "File name is too long.\r\n", "Invalid name.\r\n"},
    {932, "\x83\x65\x83\x58\x83\x67",
     "\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc\x82\xaa\x92\xb7\x82\xb7\x82\xac\x82\xdc\x82\xb7\x81\x42\r\n",
     "\x96\xbc\x91\x4f\x82\xcd\x90\xb3\x82\xb5\x82\xad\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x42\r\n"}};
const std::string katakana = "\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88", hangul = "\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4",
                  emoji = "\xf0\x9f\x98\x80", deep = std::string(200, 'd') + "/" + std::string(200, 'e');

std::string shown_in(const code_page& page, std::string text) {
  for (const auto& [name, as] : {std::make_pair(katakana, page.katakana), std::make_pair(hangul, std::string("???")),
                                 std::make_pair(emoji, std::string("??"))})
    for (std::size_t at = 0; target().wine && (at = text.find(name, at)) != std::string::npos;)
      text.replace(at, name.size(), as);
  return shown(text);
}

class beyond_the_code_page : public end_to_end {
 protected:
  void SetUp() override {
    end_to_end::SetUp();
    const locale_t japanese = newlocale(LC_ALL_MASK, "ja_JP.UTF-8", nullptr);  // else Wine runs with 1252
    ASSERT_NE(japanese, nullptr) << "missing locale: localedef -i ja_JP -f UTF-8 ja_JP.UTF-8";
    freelocale(japanese);
  }

  // Outputs in the order they go (each pattern's in turn, so no listing order
  // counts), their starts, and the folders that stay. The root's own name is
  // one the code page lacks.
  const std::vector<std::string> outputs = {katakana + ".obj", deep + "/deep.obj", emoji + ".pdb",
                                            "nul.res",          hangul + "/com1 .res", hangul + "/x.o"};
  const std::vector<std::string> starts = {obj_start, obj_start, msf7_start, res_start, res_start, mingw_start};
  const std::vector<std::string> folders = {std::string(200, 'd') + "/", deep + "/", hangul + "/"};
  std::string root(const code_page& page) { return tree + "/" + (page.katakana == "???" ? katakana : hangul); }

  run_result clean(const code_page& page, const std::string& options, std::vector<std::string>& messages) {
    for (std::size_t i = 0; i < outputs.size(); ++i) put(root(page) + "/" + outputs[i], with_payload(starts[i]));
    for (const auto& output : outputs) messages.push_back(shown_in(page, root(page) + "/" + output));
    remove_tree(work + "/brulo_log.log");
    run_request request;
    request.text = "-modern -outputlog " + options + "-f\"" + shown(root(page)) + "\"";
    request.wide_text = true;  // a batch line could not carry the root's name
    request.set_env = code_page_env(page.number);
    request.set_env.push_back({"XDG_DATA_HOME", base / "xdg"});
    return run_in_work(request);
  }
};

TEST_F(beyond_the_code_page, every_name_and_every_length_is_cleaned_and_shown_in_the_code_page) {
  for (const code_page& page : code_pages) {
    std::vector<std::string> messages;
    const run_result result = clean(page, "", messages);
    EXPECT_EQ(result.status, 0) << page.number;
    EXPECT_EQ(result.out, stdout_of(messages)) << page.number;
    EXPECT_EQ(run_log(result), log_lines(messages)) << page.number;
    EXPECT_EQ(list_tree(root(page)), folders) << page.number;
  }
}

TEST_F(beyond_the_code_page, the_recycle_bin_takes_every_name_once_but_no_path_beyond_max_path) {
  const std::string trash = base / "xdg/Trash";
  for (const code_page& page : code_pages) {
    fresh_trash();
    std::vector<std::string> messages;
    const run_result result = clean(page, "-gototrashbox ", messages);
    EXPECT_EQ(result.status, 0) << page.number;
    // The shell is never handed a path it would not take, nor one naming a device: the file stays.
    std::vector<std::string> trashed = {"x.o", katakana + ".obj", emoji + ".pdb"}, left = folders;
    if (target().wine) {
      messages[1] = "ERROR Message:" + page.too_long + "\n" + messages[1];
      for (const int device : {3, 4}) messages[device] = "ERROR Message:" + page.invalid_name + "\n" + messages[device];
      left.insert(left.end(), {deep + "/deep.obj", hangul + "/com1 .res", "nul.res"});
    } else {
      trashed.insert(trashed.begin(), {"com1 .res", "deep.obj", "nul.res"});
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(result.out, stdout_of(messages)) << page.number;
    EXPECT_EQ(list_tree(trash + "/files"), trashed) << page.number;
    EXPECT_EQ(list_tree(trash + "/info").size(), trashed.size()) << page.number;
    EXPECT_EQ(list_tree(root(page)), left) << page.number;
    remove_tree(root(page));
  }
}

TEST_F(beyond_the_code_page, shift_jis_names_ending_in_the_separators_byte_are_listed_as_themselves) {
  // 機能 and 一覧表: 能 and 表 end in 0x5C in Shift_JIS.
  const std::string function = "\xe6\xa9\x9f\xe8\x83\xbd", list = "\xe4\xb8\x80\xe8\xa6\xa7\xe8\xa1\xa8";
  for (const std::string& path : {function + "/a.obj", function + "/" + function + katakana + "/c.obj",
                                  list + "/b.obj", std::string("top.obj")})
    put(tree + "/" + path, with_payload(obj_start));
  const run_result result = run("-f " + shown(tree), stdout_mode::capture, code_page_env(932));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({}));
  const std::vector<std::string> left = {list + "/", function + "/", function + "/" + function + katakana + "/"};
  EXPECT_EQ(list_tree(tree), left);
}

}  // namespace
