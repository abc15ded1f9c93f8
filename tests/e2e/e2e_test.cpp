// The program as a whole: a process in a fresh working directory, its exit
// status, the exact bytes it writes, and the files it leaves.
#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <pwd.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "expected_texts.h"
#include "generated_tree.h"
#include "harness.h"

using namespace harness;
using namespace expected;

namespace {

class wine_session : public ::testing::Environment {
 public:
  void SetUp() override { wine_session_start(""); }
  void TearDown() override { wine_session_stop(); }
};

class end_to_end : public ::testing::Test {
 protected:
  temp_dir base;
  const std::string work = base / "work";  // the program's working directory
  const std::string tree = base / "tree";  // what it is told to clean

  void SetUp() override {
    make_dirs(work);
    make_dirs(tree);
  }

  // An empty desktop trash of the test's own; its data folder is returned, for XDG_DATA_HOME.
  std::string fresh_trash() {
    const std::string data_home = base / "xdg";
    remove_tree(data_home + "/Trash");
    make_dirs(data_home + "/Trash/files");
    make_dirs(data_home + "/Trash/info");
    return data_home;
  }

  // What trash-cli, a client independent of brulo, lists of this test's own
  // files: each original path below its folder, dates left off, sorted. It
  // lists every trash it knows, those of the machine's other mounts as well.
  std::vector<std::string> trash_listed(const std::string& data_home) const {
    std::string listed;
    EXPECT_EQ(run_command({"trash-list"}, run_timeout_ms(), &listed, {{"XDG_DATA_HOME", data_home}}), 0);
    const std::string own = base / "";
    std::vector<std::string> paths;
    std::istringstream lines(listed);
    for (std::string line; std::getline(lines, line);) {
      const std::string path = line.substr(line.find(' ', 11) + 1);
      if (path.compare(0, own.size(), own) == 0) paths.push_back(path);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  run_result run(const std::string& text, stdout_mode out = stdout_mode::capture,
                 std::vector<std::pair<std::string, std::string>> env = {}) {
    run_request request;
    request.text = text;
    request.out = out;
    request.set_env = std::move(env);
    return run_in_work(request);
  }

  // Native only: the program started with these separate arguments.
  run_result run_arguments(const std::vector<std::string>& arguments) {
    run_request request;
    request.arguments = arguments;
    return run_in_work(request);
  }

  run_result run_in_work(run_request& request) {
    request.cwd = work;
    run_result result = run_program(request);
    result.out = mask_times(result.out, result.started, result.finished);
    return result;
  }

  // A log in the working directory, time stamps masked with the run's times.
  std::string log_of(const std::string& name, const run_result& result) {
    return mask_times(read_file(work + "/" + name), result.started, result.finished);
  }
  std::string run_log(const run_result& result) { return log_of("brulo_log.log", result); }
  std::string exception_log_of(const run_result& result) { return log_of("brulo_exception.log", result); }

  // The run log lines of the header and of `messages`, as written on disk.
  static std::string log_lines(const std::vector<std::string>& messages) {
    std::string text = "//" + std::string(58, '*') + "\nTime <now>\n";
    for (const auto& message : messages) text += message + "\n";
    return as_written(text);
  }

  // Standard output: the header, then each message.
  static std::string stdout_of(const std::vector<std::string>& messages) {
    std::string text = header();
    for (const auto& message : messages) text += echoed(message);
    return as_written(text);
  }

  // A tmpfs at each of `points`, in a mount namespace of this test process's
  // own, never seen outside it; unmounted when it goes. `failure` tells why
  // where none can be made.
  struct private_tmpfs {
    std::vector<std::string> points;
    std::string failure;
    private_tmpfs(const std::vector<std::string>& at, const char* options) {
      if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        failure = std::string("no mount namespace of its own here: ") + strerror(errno);
        return;
      }
      for (const std::string& point : at) {
        make_dirs(point);
        if (mount("tmpfs", point.c_str(), "tmpfs", 0, options) != 0) {
          failure = std::string("cannot mount a tmpfs: ") + strerror(errno);
          return;
        }
        points.push_back(point);
      }
    }
    ~private_tmpfs() {
      for (const auto& point : points) umount2(point.c_str(), MNT_DETACH);
    }
  };

  static std::string with_payload(const std::string& start) { return start + "payload"; }
  void put(const std::string& path, const std::string& content) {
    const auto slash = path.rfind('/');
    make_dirs(path.substr(0, slash));
    write_file(path, content);
  }
};

// ---- the command line ----------------------------------------------------------

TEST_F(end_to_end, unknown_option_prints_both_messages_and_stops_before_the_header) {
  put(work + "/kept.obj", with_payload(obj_start));
  const run_result result = run("-bogus");
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.out, as_written(echoed(strange_command_line) + echoed("Error Command Line = bogus")));
  EXPECT_EQ(list_tree(work), std::vector<std::string>{"kept.obj"});
}

TEST_F(end_to_end, unknown_option_after_outputlog_is_logged_and_nothing_is_cleaned) {
  put(tree + "/a.obj", with_payload(obj_start));
  const run_result result = run("-outputlog -f\"" + shown(tree) + "\" -bogus");
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.out, as_written(echoed(strange_command_line) + echoed("Error Command Line = bogus")));
  EXPECT_EQ(run_log(result), as_written(strange_command_line + "\nError Command Line = bogus\n"));
  EXPECT_TRUE(exists(tree + "/a.obj"));
}

TEST_F(end_to_end, unknown_option_before_outputlog_writes_no_log) {
  const run_result result = run("-bogus -outputlog");
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.out, as_written(echoed(strange_command_line) + echoed("Error Command Line = bogus")));
  EXPECT_EQ(list_tree(work), std::vector<std::string>{});
}

TEST_F(end_to_end, option_names_are_case_sensitive) {
  const run_result result = run("-OutputLog");
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.out, as_written(echoed(strange_command_line) + echoed("Error Command Line = OutputLog")));
  EXPECT_EQ(list_tree(work), std::vector<std::string>{});
}

TEST_F(end_to_end, plain_words_are_ignored_and_clean_nothing) {
  put(work + "/kept.obj", with_payload(obj_start));
  put(tree + "/a.obj", with_payload(obj_start));
  run_request request;
  request.text = "hello " + shown(tree);
  request.cwd = work;
  request.set_env = {{"TERM", "dumb"}};
  program_run piped(request);
  const run_result result = piped.finish();
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(mask_times(result.out, result.started, result.finished), stdout_of({}));
  EXPECT_EQ(list_tree(work), std::vector<std::string>{"kept.obj"});
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{"a.obj"});
  if (target().wine) return;
  // Only a person at a terminal is told that the folder was no tree, after the run.
  EXPECT_EQ(piped.errors_so_far(), "");
  request.terminal = request.output_to_terminal = true;
  program_run at_terminal(request);
  const std::string hint = tree + " was not cleaned: a word without an option names no tree; to clean it: -f " + tree;
  const std::string seen = at_terminal.process().read_terminal_until(hint + "\r\n", run_timeout_ms());
  EXPECT_EQ(at_terminal.finish().status, 0);
  EXPECT_EQ(seen.rfind(hint + "\r\n"), seen.size() - hint.size() - 2) << seen;  // last, after the header
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{"a.obj"});
}

TEST_F(end_to_end, slash_introduces_an_option_only_on_windows) {
  const run_result result = run("/bogus");
  if (target().wine) {
    EXPECT_EQ(result.status, 255);
    EXPECT_EQ(result.out, as_written(echoed(strange_command_line) + echoed("Error Command Line = bogus")));
  } else {
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, stdout_of({}));
  }
}

TEST_F(end_to_end, unquoted_tree_runs_to_the_end_spaces_included) {
  put(tree + "/my tree/x.obj", with_payload(obj_start));
  put(tree + "/my/y.obj", with_payload(obj_start));
  const run_result result = run("-outputlog -f " + shown(tree + "/my tree"));
  EXPECT_EQ(result.status, 0);
  const std::string removed = shown(tree + "/my tree/x.obj");
  EXPECT_EQ(result.out, stdout_of({removed}));
  EXPECT_EQ(run_log(result), log_lines({removed}));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"my tree/", "my/", "my/y.obj"}));
}

TEST_F(end_to_end, quoted_tree_ends_at_the_quote_and_later_options_count) {
  put(tree + "/q r/x.pdb", with_payload(pdb_start));
  const run_result result = run("-f\"" + shown(tree + "/q r") + "\" -outputlog");
  EXPECT_EQ(result.status, 0);
  const std::string removed = shown(tree + "/q r/x.pdb");
  EXPECT_EQ(result.out, stdout_of({removed}));
  EXPECT_EQ(run_log(result), log_lines({removed}));
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{"q r/"});
}

TEST_F(end_to_end, two_trees_are_cleaned_in_command_line_order) {
  put(tree + "/zz/1.obj", with_payload(obj_start));
  put(tree + "/zz/3.pdb", with_payload(pdb_start));
  put(tree + "/aa/2.obj", with_payload(obj_start));
  const run_result result = run("-outputlog -f\"" + shown(tree + "/zz") + "\" -f " + shown(tree + "/aa"));
  EXPECT_EQ(result.status, 0);
  const std::vector<std::string> removed = {shown(tree + "/zz/1.obj"), shown(tree + "/zz/3.pdb"),
                                            shown(tree + "/aa/2.obj")};
  EXPECT_EQ(result.out, stdout_of(removed));
  EXPECT_EQ(run_log(result), log_lines(removed));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"aa/", "zz/"}));
}

TEST_F(end_to_end, second_dash_f_without_quotes_is_part_of_the_first_value) {
  put(tree + "/a/1.obj", with_payload(obj_start));
  put(tree + "/b/2.obj", with_payload(obj_start));
  const std::string value = shown(tree + "/a") + " -f " + shown(tree + "/b");
  const run_result result = run("-f " + value);
  EXPECT_EQ(result.status, 255);
  // One tree named by the whole rest of the text, which does not exist.
  const failure f = missing_tree(value);
  EXPECT_EQ(result.out, as_written(header() + exception_echo(f)));
  EXPECT_EQ(exception_log_of(result), as_written(exception_log(f)));
  EXPECT_TRUE(exists(tree + "/a/1.obj"));
  EXPECT_TRUE(exists(tree + "/b/2.obj"));
}

TEST_F(end_to_end, mode_options_do_not_change_the_cleaning) {
  put(tree + "/a.obj", with_payload(obj_start));
  put(tree + "/b.o", with_payload(mingw_start));
  const run_result result = run("-vc -mingw -alltrash_delete_mode -outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  const std::vector<std::string> removed = {shown(tree + "/a.obj"), shown(tree + "/b.o")};
  EXPECT_EQ(result.out, stdout_of(removed));
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{});
}

TEST_F(end_to_end, empty_command_line_without_a_picker_cleans_nothing) {
  put(work + "/kept.obj", with_payload(obj_start));
  const run_result result = run("");
  if (target().wine) {
    // Started from a shell the show state is SW_SHOWDEFAULT: no picker, a finished run.
    EXPECT_EQ(result.status, 0);
  } else {
    // No display and no terminal: the picker returns no folder.
    EXPECT_EQ(result.status, 9);
  }
  EXPECT_EQ(result.out, stdout_of({}));
  EXPECT_EQ(list_tree(work), std::vector<std::string>{"kept.obj"});
}

// ---- the arguments of a Linux shell ----------------------------------------------------

TEST_F(end_to_end, each_dash_f_takes_the_next_argument_and_words_keep_their_meaning) {
  if (target().wine) GTEST_SKIP() << "Windows hands the program one command-line text";
  put(tree + "/a/1.obj", with_payload(obj_start));
  put(tree + "/b c/2.obj", with_payload(obj_start));
  put(tree + "/d/3.obj", with_payload(obj_start));
  put(tree + "/e/4.obj", with_payload(obj_start));
  const run_result result =
      run_arguments({"word", "-f", tree + "/a", "--f", tree + "/b c", "-f" + tree + "/d", "--outputlog", "-f" + tree + "/e"});
  EXPECT_EQ(result.status, 0);
  const std::vector<std::string> removed = {tree + "/a/1.obj", tree + "/b c/2.obj", tree + "/d/3.obj",
                                            tree + "/e/4.obj"};
  EXPECT_EQ(result.out, stdout_of(removed));
  EXPECT_EQ(run_log(result), log_lines(removed));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"a/", "b c/", "d/", "e/"}));
}

TEST_F(end_to_end, a_tree_argument_the_text_cannot_carry_stops_the_run_like_an_unknown_option) {
  if (target().wine) GTEST_SKIP() << "Windows hands the program one command-line text";
  put(tree + "/a/1.obj", with_payload(obj_start));
  std::string logged;
  for (const std::string& value : {std::string("q\"uote"), std::string("-x")}) {
    const run_result result = run_arguments({"-outputlog", "-f", tree + "/a", "-f", value});
    EXPECT_EQ(result.status, 255);
    EXPECT_EQ(result.out, echoed(strange_command_line) + echoed("Error Command Line = " + value));
    logged += strange_command_line + "\nError Command Line = " + value + "\n";
  }
  EXPECT_EQ(read_file(work + "/brulo_log.log"), logged);
  // An unknown option word before it is the first fault.
  EXPECT_EQ(run_arguments({"-bogus", "-f", "\""}).out, echoed(strange_command_line) + echoed("Error Command Line = bogus"));
  EXPECT_TRUE(exists(tree + "/a/1.obj"));
}

TEST_F(end_to_end, a_value_older_or_skip_cannot_take_stops_the_run_before_the_header) {
  put(tree + "/a.obj", with_payload(obj_start));
  const std::string f = "-f\"" + shown(tree) + "\" ";
  struct bad_value {
    std::string text;                    // one command-line text, on both builds
    std::vector<std::string> arguments;  // or these Linux arguments
    std::string named;
  };
  const std::vector<bad_value> cases = {
      {f + "-older\"3x\"", {}, "older\"3x\""},
      {f + "-older 3x", {}, "older\"3x\""},  // last on the line: the value runs to its end
      {f + "-skip\"\" -skip\"a\"", {}, "skip\"\""},
      {"", {"-f", tree, "--older", "3x"}, "older\"3x\""},
      {"", {"-f", tree, "--older=-5"}, "older\"-5\""},
      {"", {"-f", tree, "-older", "-5"}, "older\"-5\""},
      {"", {"-f", tree, "-older"}, "older\"\""},
      {"", {"-f", tree, "-skip=", "-skip", "a"}, "skip\"\""},
      {"", {"-f", tree, "--skip", "a\"b"}, "skip\"a\"b\""},
  };
  for (const bad_value& c : cases) {
    if (!c.arguments.empty() && target().wine) continue;  // Windows hands the program one text
    run_request request;
    request.text = c.text;
    request.arguments = c.arguments;
    const run_result result = run_in_work(request);
    EXPECT_EQ(result.status, 255) << c.named;
    EXPECT_EQ(result.out, as_written(echoed(strange_command_line) + echoed("Error Command Line = " + c.named)))
        << c.text;
  }
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{"a.obj"});
  EXPECT_EQ(list_tree(work), std::vector<std::string>{});
}

// ---- help and version -------------------------------------------------------------------

TEST_F(end_to_end, help_anywhere_prints_the_usage_and_cleans_nothing) {
  put(tree + "/a.obj", with_payload(obj_start));
  const std::string usage = run("-help").out;
  EXPECT_EQ(usage.rfind(as_written("Usage: brulo [option]... [-f tree]...\n"), 0), 0u) << usage;
  for (const char* word : {"-f TREE", "-current", "-gototrashbox", "-dryrun", "-summary", "-older DAYS",
                           "-skip NAME", "-modern", "-del0", "-outputlog", "-messagebox",
                           "-vc, -mingw, -alltrash_delete_mode", "-h, -help", "-version"})
    EXPECT_NE(usage.find(as_written("\n  ") + word), std::string::npos) << word;
  EXPECT_NE(usage.find(target().wine ? "Example: brulo.exe -outputlog -f\"C:\\" : "Example: brulo -outputlog -f ~/"),
            std::string::npos);
  EXPECT_NE(usage.find(as_written("\nA directory that holds an entry named .brulokeep, in any letter case, is "
                                  "never\nentered.\n")),
            std::string::npos);
  // Wherever it stands, and in this platform's other spelling.
  for (const std::string& text : {"-outputlog -f\"" + shown(tree) + "\" -bogus -help",
                                  std::string(target().wine ? "/?" : "--help"), std::string("-h")}) {
    const run_result result = run(text);
    EXPECT_EQ(result.status, 0) << text;
    EXPECT_EQ(result.out, usage) << text;
  }
  EXPECT_EQ(list_tree(work), std::vector<std::string>{});
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{"a.obj"});
}

TEST_F(end_to_end, version_anywhere_prints_the_name_and_version) {
  const run_result result = run("-bogus -version -help");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, as_written("brulo " BRULO_E2E_VERSION "\n"));
  EXPECT_EQ(list_tree(work), std::vector<std::string>{});
}

// ---- failures ------------------------------------------------------------------------

TEST_F(end_to_end, dash_f_without_value_is_reported_as_an_exception) {
  const run_result result = run("-f");
  EXPECT_EQ(result.status, 255);
  const failure f = empty_tree(false);
  EXPECT_EQ(result.out, as_written(header() + exception_echo(f)));
  EXPECT_EQ(exception_log_of(result), as_written(exception_log(f)));
  EXPECT_FALSE(exists(work + "/brulo_log.log"));
}

TEST_F(end_to_end, dash_f_followed_by_an_option_has_no_value_and_the_report_is_logged) {
  const run_result result = run("-f -outputlog");
  EXPECT_EQ(result.status, 255);
  const failure f = empty_tree(true);
  EXPECT_EQ(result.out, as_written(header() + exception_echo(f)));
  EXPECT_EQ(run_log(result), log_lines({"Exception Message = " + f.what, error_block(f)}));
  EXPECT_EQ(exception_log_of(result), as_written(exception_log(f)));
}

TEST_F(end_to_end, nonexistent_tree_is_reported_and_both_records_are_appended) {
  write_file(work + "/brulo_exception.log", "earlier record\n");
  const std::string missing = shown(tree + "/missing");
  const run_result result = run("-f " + missing);
  EXPECT_EQ(result.status, 255);
  const failure f = missing_tree(missing);
  EXPECT_EQ(result.out, as_written(header() + exception_echo(f)));
  EXPECT_EQ(exception_log_of(result), "earlier record\n" + as_written(exception_log(f)));
  EXPECT_EQ(list_tree(work), std::vector<std::string>{"brulo_exception.log"});
}

TEST_F(end_to_end, folder_named_like_build_output_stops_the_run_after_earlier_removals) {
  put(tree + "/a.sbr", with_payload(sbr_start));
  make_dirs(tree + "/old.obj");
  put(tree + "/z.pdb", with_payload(pdb_start));
  const run_result result = run("-outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 255);
  const failure f = folder_opened_as_file();
  const std::string removed = shown(tree + "/a.sbr");
  EXPECT_EQ(result.out, as_written(header() + echoed(removed) + exception_echo(f)));
  EXPECT_EQ(run_log(result), log_lines({removed, "Exception Message = " + f.what, error_block(f)}));
  EXPECT_EQ(exception_log_of(result), as_written(exception_log(f)));
  // *.pdb comes after *.obj, so its file was never reached.
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"old.obj/", "z.pdb"}));
}

TEST_F(end_to_end, messagebox_without_display_or_terminal_does_not_hold_the_run) {
  const std::string missing = shown(tree + "/missing");
  const run_result result = run("-messagebox -f " + missing);
  EXPECT_EQ(result.status, 255);
  const failure f = missing_tree(missing);
  EXPECT_EQ(result.out, as_written(header() + exception_echo(f)));
  EXPECT_EQ(exception_log_of(result), as_written(exception_log(f)));
}

// ---- a terminal instead of a display (Linux) -------------------------------------------

// What a terminal shows for `text` written to it: each "\n" as "\r\n".
std::string on_terminal(const std::string& text) {
  std::string shown_text;
  for (char c : text) {
    if (c == '\n') shown_text.push_back('\r');
    shown_text.push_back(c);
  }
  return shown_text;
}

class folder_prompt : public end_to_end {
 protected:
  // An empty command line with `display` set: the folder is typed on the terminal.
  void folder_typed_on_the_terminal(const std::string& display) {
    put(work + "/kept.obj", with_payload(obj_start));
    put(tree + "/typed/a.obj", with_payload(obj_start));
    put(tree + "/typed/sub/b.pdb", with_payload(pdb_start));
    run_request request;
    request.cwd = work;
    request.terminal = true;
    request.display = display;
    program_run run(request);
    const std::string prompt = "ディレクトリ指定: ";
    EXPECT_EQ(run.process().read_terminal_until(prompt, run_timeout_ms()), prompt);
    EXPECT_TRUE(run.running());
    run.process().write_terminal(tree + "/typed\n");
    const run_result result = run.finish();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(mask_times(result.out, result.started, result.finished), stdout_of({}));
    EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"typed/", "typed/sub/"}));
    EXPECT_EQ(list_tree(work), std::vector<std::string>{"kept.obj"});
  }
};

TEST_F(folder_prompt, empty_command_line_asks_for_the_folder_on_the_terminal) {
  if (target().wine) GTEST_SKIP() << "a Windows program has no terminal to ask on";
  folder_typed_on_the_terminal("");
}

TEST_F(folder_prompt, a_display_that_does_not_answer_falls_back_to_the_terminal) {
  if (target().wine) GTEST_SKIP() << "a Windows program has no terminal to ask on";
  // A stale DISPLAY, as an SSH session can leave: no X server has this number.
  folder_typed_on_the_terminal(":7339");
}

TEST_F(end_to_end, messagebox_waits_for_enter_on_the_terminal) {
  if (target().wine) GTEST_SKIP() << "a Windows program has no terminal to ask on";
  const std::string missing = tree + "/missing";
  const failure f = missing_tree(missing);
  run_request request;
  request.text = "-messagebox -f " + missing;
  request.cwd = work;
  request.terminal = true;
  program_run run(request);
  const std::string question = "[OK: press Enter] ";
  // The box's title and text, in UTF-8.
  const std::string box = "Error\nGetLastError ID = 2\nLastError details=ERROR Message:" + f.system_text +
                          "\nMessage=例外処理:開発者にログファイルを添付してメール等で連絡を下さい\n" + question;
  EXPECT_EQ(run.process().read_terminal_until(question, run_timeout_ms()), on_terminal(box));
  // Held until answered: the block is echoed only afterwards.
  EXPECT_TRUE(run.running());
  EXPECT_EQ(mask_times(run.output_so_far(), now_seconds(), now_seconds()),
            as_written(header() + echoed("Exception Message = " + f.what)));
  run.process().write_terminal("\n");
  const run_result result = run.finish();
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(mask_times(result.out, result.started, result.finished), as_written(header() + exception_echo(f)));
}

// ---- cleaning ------------------------------------------------------------------------

TEST_F(end_to_end, current_cleans_the_working_directory_at_any_length) {
  // Once, 520 bytes were the most a working directory could have (Linux only:
  // the Windows one is read by another layer).
  std::string deep = work;
  while (deep.size() < 600) deep += "/" + std::string(100, 'd');
  for (const std::string& cwd : target().wine ? std::vector<std::string>{work} : std::vector<std::string>{work, deep}) {
    SCOPED_TRACE(cwd.size());
    put(cwd + "/a.obj", with_payload(obj_start));
    put(cwd + "/sub/b.o", with_payload(mingw_start));
    put(cwd + "/keep.txt", "text");
    run_request request;
    request.text = "-outputlog -current";
    request.cwd = cwd;
    const run_result result = run_program(request);
    EXPECT_EQ(result.status, 0);
    const std::vector<std::string> removed = {shown(cwd + "/a.obj"), shown(cwd + "/sub/b.o")};
    EXPECT_EQ(mask_times(result.out, result.started, result.finished), stdout_of(removed));
    EXPECT_EQ(mask_times(read_file(cwd + "/brulo_log.log"), result.started, result.finished), log_lines(removed));
    EXPECT_EQ(list_tree(cwd), (std::vector<std::string>{"brulo_log.log", "keep.txt", "sub/"}));
  }
}

// On Windows the root is made absolute once; the files below it lie past
// MAX_PATH in that form. (Wine takes such paths either way.)
TEST_F(end_to_end, a_relative_root_is_cleaned_past_max_path_in_its_full_form) {
  std::string deep = "rel";
  for (int i = 0; i < 3; ++i) deep += separator() + std::string(100, 'd');
  std::string on_disk = deep;
  std::replace(on_disk.begin(), on_disk.end(), '\\', '/');
  put(work + "/" + on_disk + "/a.obj", with_payload(obj_start));
  put(work + "/" + on_disk + "/keep.txt", "text");
  const run_result result = run("-outputlog -f rel");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out, stdout_of({deep + separator() + "a.obj"}));
  EXPECT_EQ(list_tree(work + "/" + on_disk), std::vector<std::string>{"keep.txt"});
}

// A folder swapped for a link to a folder of same-named objects once the
// removals in it have begun: each file goes from the folder it was judged in
// or stays, and nothing of the other folder is deleted.
TEST_F(end_to_end, delete_mode_removes_files_without_trash_and_outputlog_off_writes_no_log) {
  const std::string data_home = fresh_trash();
  put(tree + "/a.obj", with_payload(obj_start));
  put(tree + "/sub/b.ilk", with_payload(ilk_start));
  const run_result result = run("-f " + shown(tree), stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({}));
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{"sub/"});
  EXPECT_EQ(list_tree(work), std::vector<std::string>{});
  EXPECT_EQ(list_tree(data_home), (std::vector<std::string>{"Trash/", "Trash/files/", "Trash/info/"}));
}

TEST_F(end_to_end, recycle_mode_moves_files_into_the_trash) {
  const std::string data_home = fresh_trash();
  const std::string content = with_payload(obj_start) + " recycled";
  put(tree + "/a.obj", content);
  const run_result result =
      run("-gototrashbox -outputlog -f " + shown(tree), stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(result.status, 0);
  const std::string removed = shown(tree + "/a.obj");
  EXPECT_EQ(result.out, stdout_of({removed}));
  EXPECT_EQ(run_log(result), log_lines({removed}));
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{});
  EXPECT_EQ(list_tree(data_home), (std::vector<std::string>{"Trash/", "Trash/files/", "Trash/files/a.obj",
                                                            "Trash/info/", "Trash/info/a.obj.trashinfo"}));
  EXPECT_EQ(read_file(data_home + "/Trash/files/a.obj"), content);
  const std::string info = read_file(data_home + "/Trash/info/a.obj.trashinfo");
  const std::string info_start = "[Trash Info]\nPath=" + tree + "/a.obj\nDeletionDate=";
  EXPECT_EQ(info.substr(0, info_start.size()), info_start) << info;
  if (target().wine) return;
  EXPECT_EQ(trash_listed(data_home), std::vector<std::string>{tree + "/a.obj"});
  EXPECT_EQ(run_command({"sh", "-c", "echo 0 | trash-restore \"$1\"", "sh", tree}, run_timeout_ms(), nullptr,
                        {{"XDG_DATA_HOME", data_home}}),
            0);
  EXPECT_EQ(read_file(tree + "/a.obj"), content);
  EXPECT_EQ(list_tree(data_home), (std::vector<std::string>{"Trash/", "Trash/files/", "Trash/info/"}));
}

// A folder swapped for a link to a folder of same-named objects while its
// files go: each judged file goes from the folder it was judged in, and
// nothing of the other folder is touched.
TEST_F(end_to_end, a_folder_swapped_for_a_link_during_the_removals_touches_nothing_of_the_other_folder) {
  const std::string data_home = fresh_trash();
  const std::string victim = base / "victim";
  for (const std::string how : {"", "-gototrashbox "}) {
    SCOPED_TRACE(how);
    if (target().wine && !how.empty()) continue;  // the recycle bin takes paths: see the README
    for (const std::string& folder : {tree, victim}) remove_tree(folder);
    std::vector<std::string> names, judged;
    for (int i = 0; i < 300; ++i) {
      names.push_back("f" + std::to_string(1000 + i) + ".obj");
      put(tree + "/sub/" + names.back(), with_payload(obj_start));
      put(victim + "/" + names.back(), with_payload(obj_start));
      judged.push_back(tree + "/sub/" + names.back());
    }
    run_result result;
    {
      open_watch swap(tree + "/sub/" + names.front(), [&] {
        EXPECT_EQ(rename((tree + "/sub").c_str(), (tree + "/moved").c_str()), 0);
        EXPECT_EQ(symlink(victim.c_str(), (tree + "/sub").c_str()), 0);
      });
      result = run(how + "-f " + shown(tree), stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
      EXPECT_TRUE(swap.fired());
    }
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(list_tree(victim), names);
    if (!how.empty()) {
      EXPECT_EQ(trash_listed(data_home), judged);
    }
  }
}

// A tree on another mount goes to that mount's own trash, one on a read-only
// mount is reported and kept, and the run goes on.
TEST_F(end_to_end, a_folder_moved_out_of_the_tree_before_its_removals_keeps_its_files) {
  const std::string data_home = fresh_trash();
  const std::string outside = base / "outside";
  for (const std::string how : {"", "-gototrashbox "}) {
    SCOPED_TRACE(how);
    if (target().wine && !how.empty()) continue;  // the recycle bin takes paths: see the README
    for (const std::string& folder : {tree, outside}) remove_tree(folder);
    std::vector<std::string> moved;
    // The browse files come first, in the root: the folder goes while they do.
    for (int i = 0; i < 200; ++i) {
      put(tree + "/b" + std::to_string(1000 + i) + ".sbr", with_payload(sbr_start));
      moved.push_back("f" + std::to_string(1000 + i) + ".obj");
      put(tree + "/sub/" + moved.back(), with_payload(obj_start));
    }
    run_result result;
    {
      open_watch move(tree + "/b1000.sbr", [&] { EXPECT_EQ(rename((tree + "/sub").c_str(), outside.c_str()), 0); });
      result = run(how + "-f " + shown(tree), stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
      EXPECT_TRUE(move.fired());
    }
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(list_tree(tree), std::vector<std::string>{});
    EXPECT_EQ(list_tree(outside), moved);
  }
}

TEST_F(end_to_end, a_file_that_is_a_mount_point_is_refused_and_the_run_goes_on) {
  if (target().wine) GTEST_SKIP() << "a mount namespace of the Linux program";
  const private_tmpfs mounted({}, "");
  if (!mounted.failure.empty()) GTEST_SKIP() << mounted.failure;
  put(tree + "/m.obj", with_payload(obj_start));
  put(base / "mounted.obj", with_payload(obj_start));
  put(tree + "/z.pdb", with_payload(pdb_start));
  ASSERT_EQ(mount((base / "mounted.obj").c_str(), (tree + "/m.obj").c_str(), nullptr, MS_BIND, nullptr), 0)
      << strerror(errno);
  const run_result result = run("-outputlog -f " + shown(tree));
  umount2((tree + "/m.obj").c_str(), MNT_DETACH);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({"ERROR Message:The requested resource is in use.\n\n" + tree + "/m.obj",
                                   tree + "/z.pdb"}));
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{"m.obj"});
}

TEST_F(end_to_end, the_trash_of_another_mount_takes_its_files_and_a_read_only_mount_keeps_them) {
  if (target().wine) GTEST_SKIP() << "the Linux trash";
  const std::string other = base / "other", locked = base / "locked";
  const private_tmpfs mounted({other, locked}, "mode=0755");
  if (!mounted.failure.empty()) GTEST_SKIP() << mounted.failure;
  put(other + "/tree/a.obj", with_payload(obj_start));
  put(other + "/tree/sub/b.obj", with_payload(obj_start));
  put(locked + "/tree/r.obj", with_payload(obj_start));
  ASSERT_EQ(mount(nullptr, locked.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << strerror(errno);
  const std::string data_home = fresh_trash();
  const run_result result = run("-gototrashbox -outputlog -f\"" + locked + "/tree\" -f " + other + "/tree",
                                stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({"ERROR Message:The media is write protected.\n\n" + locked + "/tree/r.obj",
                                   other + "/tree/a.obj", other + "/tree/sub/b.obj"}));
  EXPECT_EQ(read_file(locked + "/tree/r.obj"), with_payload(obj_start));
  EXPECT_EQ(list_tree(other + "/tree"), std::vector<std::string>{"sub/"});
  const std::string info = read_file(other + "/.Trash-" + std::to_string(getuid()) + "/info/b.obj.trashinfo");
  const std::string info_start = "[Trash Info]\nPath=tree/sub/b.obj\nDeletionDate=";  // relative to the mount
  EXPECT_EQ(info.substr(0, info_start.size()), info_start) << info;
  EXPECT_EQ(trash_listed(data_home), (std::vector<std::string>{other + "/tree/a.obj", other + "/tree/sub/b.obj"}));
  // Cleaning the whole mount leaves its trashes as they are.
  put(other + "/.Trash/c.obj", with_payload(obj_start));
  const std::vector<std::string> mount_before = list_tree(other);
  EXPECT_EQ(run("-f " + other).status, 0);
  EXPECT_EQ(list_tree(other), mount_before);
}

TEST_F(end_to_end, the_home_trash_inside_the_tree_is_never_walked_in_either_mode) {
  if (target().wine) GTEST_SKIP() << "the Linux trash";
  const std::string home = base / "home", data_home = home + "/.local/share";
  // Trashed earlier, with its record: a file that would count as an output anywhere else.
  put(data_home + "/Trash/files/a.o", with_payload(mingw_start));
  put(data_home + "/Trash/info/a.o.trashinfo",
      "[Trash Info]\nPath=" + home + "/old/a.o\nDeletionDate=2026-01-02T03:04:05\n");
  const std::vector<std::string> earlier = list_tree(data_home);
  for (const std::string how : {"-gototrashbox ", ""}) {
    SCOPED_TRACE(how);
    put(home + "/proj/b.o", with_payload(mingw_start));
    const run_result result = run(how + "-f " + home, stdout_mode::capture, {{"HOME", home}, {"XDG_DATA_HOME", data_home}});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_FALSE(exists(home + "/proj/b.o"));
  }
  EXPECT_EQ(trash_listed(data_home), (std::vector<std::string>{home + "/old/a.o", home + "/proj/b.o"}));
  EXPECT_EQ(read_file(data_home + "/Trash/files/a.o"), with_payload(mingw_start));
  // The deleting run took nothing from the trash either: the moved file is there too.
  EXPECT_EQ(read_file(data_home + "/Trash/files/b.o"), with_payload(mingw_start));
  for (const std::string& entry : earlier) EXPECT_TRUE(exists(data_home + "/" + entry)) << entry;
}

// The home trash may be a link to a folder elsewhere on the file's device, as
// other clients allow. Without the home itself, a file on its device is
// reported and kept, and nothing is made in the home's place.
TEST_F(end_to_end, the_home_trash_is_followed_through_a_link_and_without_a_home_the_file_stays) {
  if (target().wine) GTEST_SKIP() << "the Linux trash";
  const std::string data_home = base / "linked", elsewhere = base / "elsewhere", no_home = base / "no-home";
  make_dirs(data_home);
  make_dirs(elsewhere + "/Trash");
  ASSERT_EQ(symlink((elsewhere + "/Trash").c_str(), (data_home + "/Trash").c_str()), 0);
  put(tree + "/a.obj", with_payload(obj_start));
  run_result result = run("-gototrashbox -outputlog -f " + tree, stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({tree + "/a.obj"}));
  EXPECT_EQ(read_file(elsewhere + "/Trash/files/a.obj"), with_payload(obj_start));
  EXPECT_EQ(trash_listed(data_home), std::vector<std::string>{tree + "/a.obj"});

  put(tree + "/b.obj", with_payload(obj_start));
  result = run("-gototrashbox -outputlog -f " + tree, stdout_mode::capture, {{"XDG_DATA_HOME", ""}, {"HOME", no_home}});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({"ERROR Message:The system cannot find the file specified.\n\n" + tree + "/b.obj"}));
  EXPECT_EQ(read_file(tree + "/b.obj"), with_payload(obj_start));
  EXPECT_FALSE(exists(no_home));
}

// Without HOME (a service, cron) the home is the user database's, for the
// trash and for the walk alike: a run over that home keeps what was trashed.
TEST_F(end_to_end, without_home_the_users_home_trash_takes_the_files_and_is_never_walked) {
  if (target().wine) GTEST_SKIP() << "the Linux trash";
  const passwd* user = getpwuid(geteuid());
  if (user == nullptr || user->pw_dir[0] != '/') GTEST_SKIP() << "no home in the user database";
  const std::string home = user->pw_dir, trashed = home + "/.local/share/Trash/files/a.obj";
  const private_tmpfs mounted({home}, "mode=0700");  // the real home is never touched
  if (!mounted.failure.empty()) GTEST_SKIP() << mounted.failure;
  put(home + "/proj/a.obj", with_payload(obj_start));
  const std::vector<std::pair<std::string, std::string>> no_home = {{"HOME", ""}, {"XDG_DATA_HOME", ""}};
  EXPECT_EQ(run("-gototrashbox -f " + home + "/proj", stdout_mode::capture, no_home).out, stdout_of({}));
  EXPECT_EQ(run("-f " + home, stdout_mode::capture, no_home).status, 0);
  EXPECT_EQ(read_file(trashed), with_payload(obj_start));
}

// A bind mount of the home trash's file system has a trash of its own at its
// top; seen from the real mount that is an ordinary folder, and no folder
// named as a mount's trash is entered at any depth.
TEST_F(end_to_end, a_bind_mount_takes_its_files_into_its_own_trash_which_no_run_enters) {
  if (target().wine) GTEST_SKIP() << "the Linux trash";
  const std::string real = base / "real", bound = base / "bound";
  const private_tmpfs mounted({real}, "mode=0755");
  if (!mounted.failure.empty()) GTEST_SKIP() << mounted.failure;
  for (const std::string& folder : {real + "/src", bound}) make_dirs(folder);
  ASSERT_EQ(mount((real + "/src").c_str(), bound.c_str(), nullptr, MS_BIND, nullptr), 0) << strerror(errno);
  const std::string trash = real + "/src/.Trash-" + std::to_string(getuid());
  put(trash + "/files/old.obj", with_payload(obj_start));
  put(real + "/deep/.Trash/files/c.obj", with_payload(obj_start));
  put(bound + "/tree/a.obj", with_payload(obj_start));
  EXPECT_EQ(run("-gototrashbox -f " + bound + "/tree", stdout_mode::capture, {{"XDG_DATA_HOME", real + "/data"}}).out,
            stdout_of({}));
  umount2(bound.c_str(), MNT_DETACH);
  const std::string info = read_file(trash + "/info/a.obj.trashinfo"), start = "[Trash Info]\nPath=tree/a.obj\n";
  EXPECT_EQ(info.substr(0, start.size()), start) << info;
  const std::vector<std::string> before = list_tree(real);
  EXPECT_EQ(run("-f " + real).status, 0);
  EXPECT_EQ(list_tree(real), before);
  EXPECT_EQ(read_file(trash + "/files/a.obj"), with_payload(obj_start));
}

// On a shared sticky tmpfs another user has made this user's .Trash-$uid a
// link: only this user's moves there are refused, and the run goes on. On
// another, a folder of mode 0711 above the tree does not keep the files from
// that mount's trash.
TEST_F(end_to_end, a_mount_trash_made_a_link_by_another_user_keeps_the_files_and_the_run_goes_on) {
  if (target().wine) GTEST_SKIP() << "the Linux trash";
  const uid_t user = other_user();
  if (user == 0) GTEST_SKIP() << "no other user to run as: not root";
  const std::string shared = base / "shared", closed = base / "closed";
  const private_tmpfs mounted({shared, closed}, "mode=1777");
  if (!mounted.failure.empty()) GTEST_SKIP() << mounted.failure;
  const std::string uid = std::to_string(user);
  make_dirs(shared + "/elsewhere");
  ASSERT_EQ(symlink((shared + "/elsewhere").c_str(), (shared + "/.Trash-" + uid).c_str()), 0);
  put(shared + "/tree/a.obj", with_payload(obj_start));
  put(closed + "/locked/tree/b.obj", with_payload(obj_start));
  ASSERT_EQ(chmod((closed + "/locked").c_str(), 0711), 0);
  for (const std::string& path : {shared + "/tree", shared + "/tree/a.obj", closed + "/locked/tree",
                                  closed + "/locked/tree/b.obj"})
    ASSERT_EQ(chown(path.c_str(), user, user), 0);
  chmod(base.path().c_str(), 0755);
  chmod(work.c_str(), 0777);
  run_request request;
  request.arguments = {"-gototrashbox", "-outputlog", "-f", shared + "/tree", "-f", closed + "/locked/tree"};
  request.other_user = user;
  request.set_env = {{"XDG_DATA_HOME", ""}, {"HOME", "/proc/self/no-home"}};
  const run_result result = run_in_work(request);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({"ERROR Message:The name of the file cannot be resolved by the system.\n\n" +
                                       shared + "/tree/a.obj",
                                   closed + "/locked/tree/b.obj"}));
  EXPECT_EQ(read_file(shared + "/tree/a.obj"), with_payload(obj_start));
  EXPECT_EQ(list_tree(shared + "/elsewhere"), std::vector<std::string>{});
  EXPECT_EQ(read_file(closed + "/.Trash-" + uid + "/files/b.obj"), with_payload(obj_start));
}

TEST_F(end_to_end, outputlog_appends_to_an_existing_log) {
  write_file(work + "/brulo_log.log", "earlier line\n");
  put(tree + "/a.res", with_payload(res_start));
  const run_result result = run("-outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  const std::string removed = shown(tree + "/a.res");
  EXPECT_EQ(result.out, stdout_of({removed}));
  EXPECT_EQ(run_log(result), "earlier line\n" + log_lines({removed}));
}

TEST_F(end_to_end, closed_standard_output_does_not_stop_the_run) {
  put(tree + "/a.obj", with_payload(obj_start));
  put(tree + "/sub/b.pdb", with_payload(pdb_start));
  const run_result result = run("-outputlog -f " + shown(tree), stdout_mode::closed);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{"sub/"});
  EXPECT_EQ(run_log(result), log_lines({shown(tree + "/a.obj"), shown(tree + "/sub/b.pdb")}));
}

TEST_F(end_to_end, standard_output_without_reader_does_not_stop_the_run) {
  put(tree + "/a.obj", with_payload(obj_start));
  put(tree + "/sub/b.pdb", with_payload(pdb_start));
  const run_result result = run("-outputlog -f " + shown(tree), stdout_mode::broken_pipe);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{"sub/"});
  EXPECT_EQ(run_log(result), log_lines({shown(tree + "/a.obj"), shown(tree + "/sub/b.pdb")}));
}

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

TEST_F(end_to_end, decoys_stay_and_are_not_mentioned) {
  // Recognised: one per pattern in the root, so the order is fixed.
  put(tree + "/short.sbr", bytes({0x00, 0x02, 0x00, 0x07}));  // the missing fifth byte counts as zero
  put(tree + "/good.obj", with_payload(obj_start));
  put(tree + "/upper/X.OBJ", with_payload(obj_start));
  put(tree + "/good.pch", with_payload(pch_start));
  put(tree + "/good.ilk", with_payload(ilk_start));
  put(tree + "/good.bsc", with_payload(pdb_start));
  put(tree + "/good.pdb", with_payload(pdb_start));
  put(tree + "/good.idb", with_payload(pdb_start));
  put(tree + "/good.res", with_payload(res_start));
  put(tree + "/good.opp", with_payload(mingw_start));
  put(tree + "/tiny.o", bytes({0x4C, 0x01, 0x1C}));  // zeros beyond the end complete the signature
  // Decoys.
  const std::vector<std::pair<std::string, std::string>> decoys = {
      {"empty.sbr", ""},
      {"bad.sbr", bytes({0x00, 0x02, 0x00, 0x08, 0x00})},
      {"bad.obj", "MZ" + with_payload(obj_start)},
      {"upper/BAD.OBJ", bytes({0x4C, 0x02})},
      {"bad.pch", "VCPCX"},
      {"bad.ilk", "Microsoft Linker Databasf"},
      {"short.pdb", pdb_start.substr(0, 31)},
      {"bad.bsc", "microsoft C/C++ program database"},
      {"bad.idb", "Microsoft C/C++ program databasE"},
      {"bad.res", res_start.substr(0, 15) + "\x01"},
      {"bad.opp", bytes({0x4C, 0x01, 0x1C, 0x00, 0x00, 0x00, 0x01})},
      {"bad.o", obj_start},
      {"good.obj.txt", with_payload(obj_start)},
      {"good.exe", with_payload(obj_start)},
  };
  for (const auto& decoy : decoys) put(tree + "/" + decoy.first, decoy.second);

  const run_result result = run("-outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  const std::vector<std::string> removed = {
      shown(tree + "/short.sbr"), shown(tree + "/good.obj"), shown(tree + "/upper/X.OBJ"),
      shown(tree + "/good.pch"),  shown(tree + "/good.ilk"), shown(tree + "/good.bsc"),
      shown(tree + "/good.pdb"),  shown(tree + "/good.idb"), shown(tree + "/good.res"),
      shown(tree + "/good.opp"),  shown(tree + "/tiny.o")};
  EXPECT_EQ(result.out, stdout_of(removed));
  EXPECT_EQ(run_log(result), log_lines(removed));
  std::vector<std::string> left = {"upper/"};
  for (const auto& decoy : decoys) left.push_back(decoy.first);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(list_tree(tree), left);
  for (const auto& decoy : decoys) EXPECT_EQ(read_file(tree + "/" + decoy.first), decoy.second) << decoy.first;
}

TEST_F(end_to_end, del0_counts_empty_browse_files_only) {
  put(tree + "/empty.sbr", "");
  put(tree + "/empty.obj", "");
  put(tree + "/empty.pdb", "");
  put(tree + "/bad.sbr", "not empty");
  const run_result result = run("-del0 -outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({shown(tree + "/empty.sbr")}));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"bad.sbr", "empty.obj", "empty.pdb"}));
}

TEST_F(end_to_end, read_only_file_is_reported_and_later_files_are_still_removed) {
  const std::string locked = tree + "/a.obj";
  put(locked, with_payload(obj_start));
  ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
  put(tree + "/sub/b.obj", with_payload(obj_start));
  put(tree + "/c.pdb", with_payload(pdb_start));
  const run_result result = run("-outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  const std::vector<std::string> messages = {"ERROR Message:" + access_denied_text() + "\n" + shown(locked),
                                             shown(tree + "/sub/b.obj"), shown(tree + "/c.pdb")};
  EXPECT_EQ(result.out, stdout_of(messages));
  EXPECT_EQ(run_log(result), log_lines(messages));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"a.obj", "sub/"}));
  EXPECT_EQ(read_file(locked), with_payload(obj_start));
}

TEST_F(end_to_end, a_folder_or_file_that_denies_access_is_reported_and_everything_else_is_cleaned) {
  const uid_t user = other_user();
  if (user == 0) GTEST_SKIP() << "no second user to run as (not root, or under Wine)";
  const std::string denied = "ERROR Message:" + access_denied_text() + "\n";
  // Every mode that reads a candidate; a file and a folder the user may not
  // read, and a folder it may list but not enter.
  for (const std::string mode : {"-del0", "-dryrun", "-older\"0\"", "-gototrashbox"}) {
    SCOPED_TRACE(mode);
    remove_tree(tree);
    const std::string data_home = fresh_trash();
    for (const std::string& folder : {data_home, data_home + "/Trash", data_home + "/Trash/files",
                                      data_home + "/Trash/info"})
      ASSERT_EQ(chown(folder.c_str(), user, user), 0);
    put(tree + "/a.obj", with_payload(obj_start));
    put(tree + "/closed/b.obj", with_payload(obj_start));
    put(tree + "/open/c.obj", with_payload(obj_start));
    put(tree + "/open/listed/d.obj", with_payload(obj_start));
    put(tree + "/open/unread.pdb", with_payload(pdb_start));
    // The user gets into every folder but two, and may delete in them.
    for (const std::string& folder : {base.path(), work, tree, tree + "/open"})
      ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    ASSERT_EQ(chmod((tree + "/closed").c_str(), 0), 0);
    ASSERT_EQ(chmod((tree + "/open/listed").c_str(), 0744), 0);
    ASSERT_EQ(chmod((tree + "/open/unread.pdb").c_str(), 0600), 0);
    // An empty browse file the user may not read is judged by its size with del0.
    put(tree + "/open/e.sbr", "");
    ASSERT_EQ(chmod((tree + "/open/e.sbr").c_str(), 0200), 0);
    run_request request;
    request.text = mode + " -outputlog -f " + shown(tree);
    request.other_user = user;
    request.set_env = {{"XDG_DATA_HOME", data_home}};
    const run_result result = run_in_work(request);
    EXPECT_EQ(result.status, 0);
    // A folder told as the walk meets it, before any removal; files as the pass reaches them.
    const bool del0 = mode == "-del0", dry_run = mode == "-dryrun";
    const std::string c_obj = shown(tree + "/open/c.obj");
    std::vector<std::string> messages{denied + shown(tree + "/closed"),
                                      del0 ? shown(tree + "/open/e.sbr") : denied + shown(tree + "/open/e.sbr"),
                                      shown(tree + "/a.obj"), c_obj, denied + shown(tree + "/open/listed/d.obj"),
                                      denied + shown(tree + "/open/unread.pdb")};
    if (dry_run)
      messages.push_back("dry run: 2 files, " + std::to_string(2 * with_payload(obj_start).size()) +
                         " bytes would be removed from " + shown(tree));
    EXPECT_EQ(result.out, stdout_of(messages));
    ASSERT_EQ(chmod((tree + "/closed").c_str(), 0755), 0);
    std::vector<std::string> left{"closed/", "closed/b.obj", "open/", "open/e.sbr", "open/listed/",
                                  "open/listed/d.obj", "open/unread.pdb"};
    if (del0) left.erase(left.begin() + 3);
    if (dry_run) left = {"a.obj", "closed/", "closed/b.obj", "open/", "open/c.obj", "open/e.sbr",
                         "open/listed/", "open/listed/d.obj", "open/unread.pdb"};
    EXPECT_EQ(list_tree(tree), left);
  }
}

TEST_F(end_to_end, removal_follows_pattern_order_then_depth_first_folders) {
  // Pattern order: *.sbr *.obj *.pch *.ilk *.bsc *.pdb *.idb *.res *.opp *.o.
  put(tree + "/n.o", with_payload(mingw_start));
  put(tree + "/r.pdb", with_payload(pdb_start));
  put(tree + "/w.obj", with_payload(obj_start));
  put(tree + "/d1/x.obj", with_payload(obj_start));
  put(tree + "/d1/q.res", with_payload(res_start));
  put(tree + "/d1/d2/y.obj", with_payload(obj_start));
  put(tree + "/d1/d2/z.pch", with_payload(pch_start));
  put(tree + "/d1/d2/m.opp", with_payload(mingw_start));
  put(tree + "/e1/v.obj", with_payload(obj_start));
  put(tree + "/e1/s.sbr", with_payload(sbr_start));
  const run_result result = run("-outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);

  // The two sibling folders may be listed either way round; each one's
  // subtree is visited whole before the other.
  auto order = [&](bool d1_first) {
    const std::vector<std::string> obj_d1 = {shown(tree + "/d1/x.obj"), shown(tree + "/d1/d2/y.obj")};
    const std::vector<std::string> obj_e1 = {shown(tree + "/e1/v.obj")};
    std::vector<std::string> removed = {shown(tree + "/e1/s.sbr"), shown(tree + "/w.obj")};
    for (const auto& path : d1_first ? obj_d1 : obj_e1) removed.push_back(path);
    for (const auto& path : d1_first ? obj_e1 : obj_d1) removed.push_back(path);
    for (const char* rest : {"/d1/d2/z.pch", "/r.pdb", "/d1/q.res", "/d1/d2/m.opp", "/n.o"})
      removed.push_back(shown(tree + rest));
    return removed;
  };
  const std::string d1_first = stdout_of(order(true));
  const std::string e1_first = stdout_of(order(false));
  EXPECT_TRUE(result.out == d1_first || result.out == e1_first) << result.out;
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"d1/", "d1/d2/", "e1/"}));
}

TEST_F(end_to_end, root_ending_in_a_separator_doubles_it_for_root_files_only) {
  put(tree + "/a.obj", with_payload(obj_start));
  put(tree + "/sub/b.obj", with_payload(obj_start));
  const run_result result = run("-outputlog -f " + shown(tree) + separator());
  EXPECT_EQ(result.status, 0);
  const std::vector<std::string> removed = {shown(tree) + separator() + separator() + "a.obj",
                                            shown(tree + "/sub/b.obj")};
  EXPECT_EQ(result.out, stdout_of(removed));
  EXPECT_EQ(run_log(result), log_lines(removed));
}

// ---- today's build outputs ("modern") and dry runs ---------------------------------------

// Real files of today's tool chains, built once per run of the suite.
const std::string& corpus() {
  static temp_dir folder;
  static const std::string path = [] {
    const std::string out = folder / "corpus";
    std::string log;
    const int status =
        run_command({"bash", "-c", "\"$0\" \"$1\" 2>&1", BRULO_E2E_CORPUS_SCRIPT, out}, 300000, &log);
    EXPECT_EQ(status, 0) << "building the corpus failed:\n" << log;
    return out;
  }();
  return path;
}

// Real outputs that the classic rules know already.
const std::vector<std::string> classic_corpus = {"clang_x86.obj", "windres.res"};
// Real outputs that only "modern" knows.
const std::vector<std::string> modern_corpus = {
    "clang_x64.obj",      "clang_arm64.obj",        "clang_thumb2.obj",   "clang_pch_user.obj",
    "generic/add.c.obj",  "clang_cl.pch",           "lld_link.pdb",       "mingw_i686_cpp.opp",
    "mingw_i686.o",       "mingw_i686_debug.o",     "mingw_x86_64.o",     "mingw_bigobj.o",
    "gcc_elf.o",          "clang_elf_big_endian.o", "clang_macho_x64.o",  "clang_macho_arm64.o",
    "clang_macho_i386.o", "clang_macho_lto.o",      "clang_module.pcm",   "gcm.cache/twice.gcm",
    "gcc_c_header.h.gch", "clang_c_header.h.gch",
    "cmake_gxx/CMakeFiles/app.dir/cmake_pch.hxx.gch",     "cmake_gxx/CMakeFiles/app.dir/main.cpp.o",
    "cmake_gxx/CMakeFiles/app.dir/twice.cpp.o",           "cmake_clangxx/CMakeFiles/app.dir/cmake_pch.hxx.pch",
    "cmake_clangxx/CMakeFiles/app.dir/main.cpp.o",        "cmake_clangxx/CMakeFiles/app.dir/twice.cpp.o",
    "clang_coverage_big_endian.gcno", "mingw_x86_64_split.dwo", ".vs/app/v17/Browse.VC.db",
    "cmake_coverage/app.wpa.gcno", "cmake_coverage/app.ltrans0.ltrans.gcno", "cmake_coverage/app.ltrans0.ltrans.dwo",
    "cmake_coverage/CMakeFiles/app.dir/cmake_pch.hxx.gcno",
    "cmake_coverage/CMakeFiles/app.dir/main.cpp.o",      "cmake_coverage/CMakeFiles/app.dir/main.cpp.gcno",
    "cmake_coverage/CMakeFiles/app.dir/main.cpp.gcda",   "cmake_coverage/CMakeFiles/app.dir/main.cpp.dwo",
    "cmake_coverage/CMakeFiles/app.dir/twice.cpp.o",     "cmake_coverage/CMakeFiles/app.dir/twice.cpp.gcno",
    "cmake_coverage/CMakeFiles/app.dir/twice.cpp.gcda",  "cmake_coverage/CMakeFiles/app.dir/twice.cpp.dwo",
    "cmake_profile/default.profraw", "cmake_profile/app.profdata",
    "cmake_profile/CMakeFiles/app.dir/main.cpp.o",       "cmake_profile/CMakeFiles/app.dir/twice.cpp.o"};
// What the tool chains' builds keep: folders, sources, generated sources and programs.
const std::vector<std::string> corpus_kept = [] {
  std::vector<std::string> kept = {"generic/", "gcm.cache/", "twice.cppm", "cmake_project/", "cmake_project/CMakeLists.txt",
                                   "cmake_project/main.cpp", "cmake_project/twice.cpp", ".vs/", ".vs/app/", ".vs/app/v17/"};
  for (const std::string build : {"cmake_gxx/", "cmake_clangxx/"})
    for (const char* name : {"", "app", "CMakeFiles/", "CMakeFiles/app.dir/", "CMakeFiles/app.dir/cmake_pch.hxx",
                             "CMakeFiles/app.dir/cmake_pch.hxx.cxx"})
      kept.push_back(build + name);
  for (const std::string build : {"cmake_coverage/", "cmake_profile/"})
    for (const char* name : {"", "app", "CMakeFiles/", "CMakeFiles/app.dir/"}) kept.push_back(build + name);
  return kept;
}();
// Real files under an object's name that are no objects: images and shared objects.
const std::vector<std::string> corpus_look_alikes = {"lld_link_dll.obj", "mingw_exe.obj",  "elf_executable.o",
                                                     "elf_executable.obj", "elf_shared.o", "elf_shared.obj"};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> lists) {
  std::vector<std::string> all;
  for (const auto& list : lists) all.insert(all.end(), list.begin(), list.end());
  std::sort(all.begin(), all.end());
  return all;
}

// The pattern whose pass takes a file of the corpus.
std::string pattern_of(const std::string& relative) {
  const std::string browse_database = ".VC.db";
  if (relative.size() > browse_database.size() &&
      relative.compare(relative.size() - browse_database.size(), std::string::npos, browse_database) == 0)
    return "*" + browse_database;
  return "*" + relative.substr(relative.rfind('.'));
}

// Where a file's removal comes in a pass: by pattern, then root before subfolders.
int pass_rank(const std::string& relative) {
  const std::vector<std::string> order = {
      "*.sbr", "*.obj", "*.pch", "*.ilk",  "*.bsc",  "*.pdb",  "*.idb",     "*.res",      "*.opp", "*.o", "*.lo",
      "*.gch", "*.pcm", "*.gcm", "*.ifc", "*.ipdb", "*.iobj", "*.gcno", "*.gcda", "*.profraw", "*.profdata",
      "*.dwo", "*.VC.db"};
  const auto at = std::find(order.begin(), order.end(), pattern_of(relative)) - order.begin();
  return static_cast<int>(at) * 100 + static_cast<int>(std::count(relative.begin(), relative.end(), '/'));
}

class modern_outputs : public end_to_end {
 protected:
  // Synthetic look-alikes: what no tool chain writes but a tree may hold.
  std::vector<std::pair<std::string, std::string>> made_look_alikes() {
    return {{"text.obj", "int main;\n"},
            {"alpha_coff.obj", bytes({0x84, 0x01, 0x01, 0x00}) + std::string(16, '\0')},
            {"truncated_x64.obj", read_file(corpus() + "/clang_x64.obj").substr(0, 10)},
            {"import_member.obj", bytes({0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x4C, 0x01}) + "payload"},
            {"text.gch", "#pragma once\n"},
            {"image.pcm", bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}) + std::string(8, '\0')},
            {"executable.gcm", read_file(corpus() + "/elf_executable.o")},
            {"cut_wrapper.o", read_file(corpus() + "/clang_macho_lto.o").substr(0, 1024)},
            {"database.ifc", std::string("SQLite format 3\0", 16) + std::string(84, '\0')},
            {"text.gcda", "lines executed: 100.00% of 3\n"},
            {"image.profdata", bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}) + std::string(8, '\0')},
            {"executable.dwo", read_file(corpus() + "/elf_executable.o")},
            {"notes.VC.db", "SQLite format 3\n"},
            // What else the IDE keeps beside its browse database: settings, a lock file.
            {".vs/app/v17/.suo", bytes({0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1}) + std::string(504, '\0')},
            {".vs/app/v17/Browse.VC.opendb", ""}};
  }

  // Copies the corpus into the tree, with the synthetic look-alikes; all names, sorted.
  std::vector<std::string> plant() {
    std::vector<std::string> names;
    for (const std::string& name : list_tree(corpus())) {
      if (name.back() != '/') put(tree + "/" + name, read_file(corpus() + "/" + name));
      names.push_back(name);
    }
    for (const auto& file : made_look_alikes()) {
      put(tree + "/" + file.first, file.second);
      names.push_back(file.first);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::uint64_t size_of(const std::vector<std::string>& names) {
    std::uint64_t total = 0;
    for (const auto& name : names) total += read_file(tree + "/" + name).size();
    return total;
  }

  // The messages of a run, checked byte for byte: one line for each file of
  // `removed` in pass order, then `closing`. Files of one folder and pattern
  // come in the order the folder lists them.
  std::vector<std::string> expect_messages(const run_result& result, const std::vector<std::string>& removed,
                                           const std::vector<std::string>& closing = {}) {
    const std::string start = as_written(header());
    const std::string end = as_written("\n\n");
    EXPECT_EQ(result.out.substr(0, start.size()), start);
    std::vector<std::string> messages;
    for (std::size_t at = start.size(), next; at < result.out.size(); at = next + end.size()) {
      next = std::min(result.out.find(end, at), result.out.size());
      messages.push_back(result.out.substr(at, next - at));
    }
    EXPECT_EQ(result.out, stdout_of(messages));
    if (messages.size() < closing.size()) {
      ADD_FAILURE() << result.out;
      return messages;
    }
    const auto removals_end = messages.end() - static_cast<std::ptrdiff_t>(closing.size());
    EXPECT_EQ(std::vector<std::string>(removals_end, messages.end()), closing);
    std::vector<std::string> removals(messages.begin(), removals_end);
    std::vector<int> ranks;
    for (std::string relative : removals) {
      relative.erase(0, shown(tree).size() + 1);
      std::replace(relative.begin(), relative.end(), separator(), '/');
      ranks.push_back(pass_rank(relative));
    }
    EXPECT_TRUE(std::is_sorted(ranks.begin(), ranks.end())) << result.out;
    std::vector<std::string> wanted;
    for (const auto& name : removed) wanted.push_back(shown(tree + "/" + name));
    std::sort(wanted.begin(), wanted.end());
    std::sort(removals.begin(), removals.end());
    EXPECT_EQ(removals, wanted);
    return messages;
  }
};

TEST_F(modern_outputs, corpus_lists_every_file_the_tool_chains_built) {
  EXPECT_EQ(list_tree(corpus()), joined({classic_corpus, modern_corpus, corpus_look_alikes, corpus_kept}));
}

TEST_F(modern_outputs, without_modern_only_what_the_classic_rules_know_goes) {
  std::vector<std::string> left = plant();
  const run_result result = run("-outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(run_log(result), log_lines(expect_messages(result, classic_corpus)));
  for (const auto& name : classic_corpus) left.erase(std::find(left.begin(), left.end(), name));
  EXPECT_EQ(list_tree(tree), left);
}

TEST_F(modern_outputs, with_modern_every_real_output_goes_and_look_alikes_stay) {
  plant();
  const run_result result = run("-modern -outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(run_log(result), log_lines(expect_messages(result, joined({classic_corpus, modern_corpus}))));
  std::vector<std::string> left = joined({corpus_look_alikes, corpus_kept});
  for (const auto& file : made_look_alikes()) {
    left.push_back(file.first);
    EXPECT_EQ(read_file(tree + "/" + file.first), file.second);
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(list_tree(tree), left);
}

TEST_F(modern_outputs, a_folder_named_like_an_output_only_modern_knows_is_walked_and_its_files_judged) {
  // GCC looks into "all.h.gch/" for one header per set of options.
  const std::string header = read_file(corpus() + "/gcc_c_header.h.gch");
  put(tree + "/a.sbr", with_payload(sbr_start));
  put(tree + "/all.h.gch/O2.gch", header);
  put(tree + "/all.h.gch/g.gch", header);
  put(tree + "/z.pdb", with_payload(pdb_start));
  if (!target().wine) {
    ASSERT_EQ(symlink((tree + "/all.h.gch").c_str(), (tree + "/link.pcm").c_str()), 0);
  }
  const run_result result = run("-modern -outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  expect_messages(result, {"a.sbr", "z.pdb", "all.h.gch/O2.gch", "all.h.gch/g.gch"});
  std::vector<std::string> left = {"all.h.gch/"};
  if (!target().wine) left.push_back("link.pcm");
  EXPECT_EQ(list_tree(tree), left);
}

TEST_F(modern_outputs, dry_run_reports_every_output_and_the_total_and_removes_nothing) {
  const std::vector<std::string> planted = plant();
  const std::vector<std::string> outputs = joined({classic_corpus, modern_corpus});
  const run_result result = run("-modern -dryrun -outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  const std::string total = "dry run: " + std::to_string(outputs.size()) + " files, " +
                            std::to_string(size_of(outputs)) + " bytes would be removed from " + shown(tree);
  EXPECT_EQ(run_log(result), log_lines(expect_messages(result, outputs, {total})));
  EXPECT_EQ(list_tree(tree), planted);
}

TEST_F(modern_outputs, dry_run_summary_breaks_the_outputs_down_by_every_kind) {
  plant();
  const run_result result = run("-modern -dryrun -summary -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  std::map<std::string, int> wanted, listed;
  for (const auto& name : joined({classic_corpus, modern_corpus})) ++wanted[pattern_of(name)];
  // The message after the total: a line per kind, "PATTERN  N files  SIZE  BAR".
  const std::string total_end = as_written(" would be removed from " + shown(tree) + "\n\n");
  const std::size_t start = result.out.find(total_end) + total_end.size();
  std::istringstream breakdown(result.out.substr(start, result.out.find(as_written("\n\n"), start) - start));
  std::string pattern, files, rest;
  for (int count = 0; breakdown >> pattern >> count >> files && std::getline(breakdown, rest);) listed[pattern] = count;
  EXPECT_EQ(listed, wanted) << result.out;
}

TEST_F(modern_outputs, at_a_terminal_a_run_without_modern_tells_what_a_dry_run_with_it_would_add) {
  if (target().wine) GTEST_SKIP() << "a Windows program has no terminal";
  plant();
  std::uint64_t added[2] = {};  // files and bytes: a dry run with -modern, less one without
  for (const std::string modern : {"-modern", ""}) {
    const std::string out = run(modern + " -dryrun -f " + tree).out;
    std::smatch found;
    ASSERT_TRUE(std::regex_search(out, found, std::regex("dry run: ([0-9]+) files, ([0-9]+) bytes"))) << out;
    for (int k : {0, 1}) added[k] = modern.empty() ? added[k] - std::stoull(found.str(k + 1)) : std::stoull(found.str(k + 1));
  }
  EXPECT_EQ(added[0], modern_corpus.size());
  EXPECT_EQ(added[1], size_of(modern_corpus));
  const std::string hint_start = std::to_string(added[0]) + " files, " + std::to_string(added[1]) + " bytes (";
  const std::string hint_end = ") of today's tool chains were kept; -modern removes them too\r\n";
  // In a pipe: standard output as it always was, and nothing on standard error.
  run_request request;
  request.text = "-f " + tree;
  request.cwd = work;
  request.set_env = {{"TERM", "dumb"}};  // no progress line between the summary and the hint
  program_run piped(request);
  const run_result result = piped.finish();
  EXPECT_EQ(mask_times(result.out, result.started, result.finished), stdout_of({}));
  EXPECT_EQ(piped.errors_so_far(), "");
  request.terminal = request.output_to_terminal = true;
  program_run at_terminal(request);
  const std::string seen = at_terminal.process().read_terminal_until(hint_end, run_timeout_ms());
  EXPECT_EQ(at_terminal.finish().status, 0);
  const std::string summary = on_terminal(echoed("removed: 0 files, 0 bytes (0 B) from " + tree));
  ASSERT_NE(seen.find(summary), std::string::npos) << seen;
  EXPECT_EQ(seen.substr(seen.find(summary) + summary.size()).rfind(hint_start, 0), 0u) << seen;
  EXPECT_EQ(seen.substr(seen.size() - hint_end.size()), hint_end) << seen;
}

TEST_F(end_to_end, dry_run_without_outputlog_totals_each_tree_and_leaves_the_trash_alone) {
  const std::string data_home = fresh_trash();
  put(tree + "/a/x.obj", with_payload(obj_start));
  put(tree + "/a/sub/y.pdb", pdb_start);
  put(tree + "/a/keep.obj", "text");
  make_dirs(tree + "/b");
  const std::string a = shown(tree + "/a");
  const std::string b = shown(tree + "/b");
  const run_result result =
      run("-dryrun -gototrashbox -f\"" + a + "\" -f " + b, stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({shown(tree + "/a/x.obj"), shown(tree + "/a/sub/y.pdb"),
                                   "dry run: 2 files, 41 bytes would be removed from " + a,
                                   "dry run: 0 files, 0 bytes would be removed from " + b}));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"a/", "a/keep.obj", "a/sub/", "a/sub/y.pdb", "a/x.obj", "b/"}));
  EXPECT_EQ(list_tree(work), std::vector<std::string>{});
  EXPECT_EQ(list_tree(data_home), (std::vector<std::string>{"Trash/", "Trash/files/", "Trash/info/"}));
}

TEST_F(modern_outputs, a_trees_own_build_writes_again_all_that_was_removed_but_run_data) {
  // What a clean takes of each tree, and what of it only a run writes. add.bin keeps add.gcno and add.dwo.
  const struct { const char* kind; std::vector<std::string> removed, run_data; } rows[] = {
      {"libtool", {".libs/add.o", ".libs/sub.o", "add.lo", "add.o", "sub.lo", "sub.o"}, {}},
      {"coverage", {"add.gcda", "main.dwo", "main.gcda", "main.gcno", "main.o"}, {"add.gcda", "main.gcda"}},
      {"mingw", {"build/CMakeFiles/app.dir/app.rc.res", "build/CMakeFiles/app.dir/main.c.obj"}, {}}};
  for (const auto& row : rows) {
    const std::string own = tree + "/" + row.kind;
    std::string log;
    ASSERT_EQ(run_command({BRULO_E2E_OWN_BUILD_SCRIPT, row.kind, own, "build"}, 300000, &log), 0) << log;
    std::vector<std::string> removed, built = list_tree(own), left = built;
    for (const std::string& name : row.removed) {
      removed.push_back(row.kind + ("/" + name));
      left.erase(std::find(left.begin(), left.end(), name));
    }
    expect_messages(run("-modern -dryrun -f " + shown(own)), removed,
                    {"dry run: " + std::to_string(removed.size()) + " files, " + std::to_string(size_of(removed)) +
                     " bytes would be removed from " + shown(own)});
    expect_messages(run("-modern -outputlog -f " + shown(own)), removed);
    EXPECT_EQ(list_tree(own), left) << row.kind;
    EXPECT_EQ(run_command({BRULO_E2E_OWN_BUILD_SCRIPT, row.kind, own, "rebuild"}, 300000, &log), 0) << log;
    left = list_tree(own);
    for (const std::string& name : built) {
      if (std::count(row.run_data.begin(), row.run_data.end(), name) == 0) {
        EXPECT_TRUE(std::binary_search(left.begin(), left.end(), name)) << row.kind << "/" << name;
      }
    }
  }
}

// ---- under load, odd files and hostile trees ---------------------------------------

// Four runs started at once on one tree, all in the same working directory.
void clean_four_at_once(const std::string& work, const std::string& tree, const std::string& options,
                        const std::vector<std::pair<std::string, std::string>>& env) {
  std::vector<std::unique_ptr<program_run>> runs;
  for (int i = 0; i < 4; ++i) {
    run_request request;
    request.text = options + "-f " + shown(tree);
    request.cwd = work;
    request.set_env = env;
    runs.push_back(std::make_unique<program_run>(request));
  }
  for (auto& run : runs) {
    const run_result result = run->finish();
    EXPECT_EQ(result.status, 0) << result.out;
  }
  EXPECT_FALSE(exists(work + "/brulo_exception.log"));
}

TEST_F(end_to_end, four_runs_at_once_remove_every_output_between_them) {
  const generated_tree made = generate_tree(tree, 40, 50);
  clean_four_at_once(work, tree, "", {});
  EXPECT_EQ(list_tree(tree), made.left_after_clean());
}

TEST_F(end_to_end, four_runs_at_once_put_every_output_in_the_trash_exactly_once) {
  const std::string data_home = fresh_trash();
  const generated_tree made = generate_tree(tree, 20, 50);
  clean_four_at_once(work, tree, "-gototrashbox ", {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(list_tree(tree), made.left_after_clean());
  std::vector<std::string> trashed;
  for (const std::string& name : list_tree(data_home + "/Trash/files"))
    trashed.push_back(read_file(data_home + "/Trash/files/" + name));
  std::vector<std::string> expected = made.payloads;
  std::sort(trashed.begin(), trashed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(trashed, expected);
  EXPECT_EQ(list_tree(data_home + "/Trash/info").size(), expected.size());
}

TEST_F(end_to_end, fifos_sockets_and_links_neither_hold_the_run_nor_lead_out_of_the_tree) {
  const generated_tree made = generate_tree(tree, 2, 10);
  const std::string outside = base / "outside";
  const generated_tree elsewhere = generate_tree(outside, 1, 10);
  std::vector<std::string> left = made.left_after_clean();
  const auto link = [&](const std::string& target, const std::string& name) {
    ASSERT_EQ(symlink(target.c_str(), (tree + "/" + name).c_str()), 0) << name;
    left.push_back(name);
  };
  link("nowhere.obj", "a.obj");
  link(outside, "out");
  link("..", "d0/up");
  if (!target().wine) {  // Windows has neither
    // A link named like an output that loops, or leads to a folder, is never a folder of the tree.
    link("loop.obj", "loop.obj");
    link(outside, "dl.obj");
    ASSERT_EQ(mkfifo((tree + "/x.obj").c_str(), 0644), 0);
    const int unix_socket = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socket_path = tree + "/s.pdb";
    ASSERT_LT(socket_path.size(), sizeof address.sun_path);
    socket_path.copy(address.sun_path, socket_path.size());
    ASSERT_EQ(bind(unix_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(unix_socket);
    left.insert(left.end(), {"s.pdb", "x.obj"});
  }
  std::sort(left.begin(), left.end());
  const run_result result = run("-f " + shown(tree));
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out, stdout_of({}));
  EXPECT_EQ(list_tree(tree), left);
  std::vector<std::string> untouched = elsewhere.left_after_clean();
  untouched.insert(untouched.end(), elsewhere.outputs.begin(), elsewhere.outputs.end());
  std::sort(untouched.begin(), untouched.end());
  EXPECT_EQ(list_tree(outside), untouched);
}

TEST_F(end_to_end, a_link_to_a_device_and_a_fifo_are_never_opened_and_the_run_goes_on) {
  if (target().wine) GTEST_SKIP() << "Windows has neither devices nor FIFOs in a tree";
  if (geteuid() != 0) GTEST_SKIP() << "making a device node needs root";
  // A node of the test's own with /dev/null's numbers, and a FIFO: no other
  // process opens either.
  const std::string node = base / "null", fifo = tree + "/f.obj";
  ASSERT_EQ(mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0) << strerror(errno);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  for (const std::string& watched : {node, fifo}) ASSERT_GE(inotify_add_watch(watch, watched.c_str(), IN_OPEN), 0);
  const auto opens_seen = [watch] {
    alignas(inotify_event) char events[4096];
    int seen = 0;
    ssize_t got = 0;
    while ((got = read(watch, events, sizeof events)) > 0)
      for (ssize_t at = 0; at < got; at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(events + at)->len)
        ++seen;
    return seen;
  };
  // The watch sees an open of either (a nodev mount would refuse the node's).
  const int probe = open(node.c_str(), O_RDONLY);
  if (probe < 0) GTEST_SKIP() << "device nodes cannot be opened here: " << strerror(errno);
  close(probe);
  close(open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
  ASSERT_EQ(opens_seen(), 2);

  ASSERT_EQ(symlink(node.c_str(), (tree + "/x.o").c_str()), 0);
  put(tree + "/a.obj", with_payload(obj_start));
  const run_result result = run("-outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out, stdout_of({tree + "/a.obj"}));
  EXPECT_EQ(run_log(result), log_lines({tree + "/a.obj"}));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"f.obj", "x.o"}));
  EXPECT_EQ(opens_seen(), 0);
  close(watch);
  // The link still leads to the node, and the FIFO is one still.
  struct stat node_info {}, fifo_info {};
  EXPECT_TRUE(stat((tree + "/x.o").c_str(), &node_info) == 0 && S_ISCHR(node_info.st_mode) &&
              node_info.st_rdev == makedev(1, 3));
  EXPECT_TRUE(lstat(fifo.c_str(), &fifo_info) == 0 && S_ISFIFO(fifo_info.st_mode));
}

TEST_F(end_to_end, logs_that_cannot_be_written_do_not_stop_the_clean) {
  // Both logs of the working directory are blocked alike; a log is appended
  // to only when it is a regular file of its own.
  const std::string other = base / "other.txt";
  const struct {
    const char* what;
    std::string link_target;  // empty: a directory
  } cases[] = {{"links to another file", other}, {"links to a device", "/dev/full"}, {"directories", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    remove_tree(work);
    make_dirs(work);
    write_file(other, "someone else's\n");
    for (const std::string log : {"brulo_log.log", "brulo_exception.log"}) {
      if (c.link_target.empty()) {
        make_dirs(work + "/" + log);
      } else {
        ASSERT_EQ(symlink(c.link_target.c_str(), (work + "/" + log).c_str()), 0);
      }
    }
    put(tree + "/a.obj", with_payload(obj_start));
    put(tree + "/sub/b.pdb", with_payload(pdb_start));
    const run_result result = run("-outputlog -f " + shown(tree));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, stdout_of({shown(tree + "/a.obj"), shown(tree + "/sub/b.pdb")}));
    EXPECT_EQ(list_tree(tree), std::vector<std::string>{"sub/"});

    const std::string missing = shown(tree + "/missing");
    const run_result failed = run("-outputlog -f " + missing);
    EXPECT_EQ(failed.status, 255);
    EXPECT_EQ(failed.out, as_written(header() + exception_echo(missing_tree(missing))));
    EXPECT_EQ(read_file(other), "someone else's\n");
    const std::string kind = c.link_target.empty() ? "/" : "";
    EXPECT_EQ(list_tree(work), (std::vector<std::string>{"brulo_exception.log" + kind, "brulo_log.log" + kind}));
  }
}

// ---- every name, any length -----------------------------------------------------------

// Wine takes its ANSI code page from the locale. How brulo.exe shows names
// under each: Hangul is in neither, an emoji (two UTF-16 units) gives "??".
// The Linux program shows every name as it is.
struct code_page {
  int number;
  std::string katakana, too_long;  // テスト shown; the text of ERROR_FILENAME_EXCED_RANGE
};
const code_page code_pages[] = {
    {1252, "???", "File name is too long.\r\n"},
    {932, "\x83\x65\x83\x58\x83\x67",
     "\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc\x82\xaa\x92\xb7\x82\xb7\x82\xac\x82\xdc\x82\xb7\x81\x42\r\n"}};
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
  const std::vector<std::string> outputs = {katakana + ".obj", deep + "/deep.obj", emoji + ".pdb", hangul + "/x.o"};
  const std::vector<std::string> starts = {obj_start, obj_start, msf7_start, mingw_start};
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
    // The shell is never handed a path it would not take: the file stays.
    std::vector<std::string> trashed = {"x.o", katakana + ".obj", emoji + ".pdb"}, left = folders;
    if (target().wine) {
      messages[1] = "ERROR Message:" + page.too_long + "\n" + messages[1];
      left.insert(left.begin() + 2, deep + "/deep.obj");
    } else {
      trashed.insert(trashed.begin(), "deep.obj");
    }
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

TEST_F(end_to_end, a_file_held_open_without_read_sharing_is_reported_and_the_pass_goes_on) {
  if (!target().wine) GTEST_SKIP() << "Linux has no share modes";
  put(tree + "/a.pdb", with_payload(pdb_start));
  put(tree + "/b.obj", with_payload(obj_start));
  put(tree + "/c.res", with_payload(res_start));
  put(tree + "/d.o", with_payload(mingw_start));
  temp_dir scratch;
  process_request hold;
  hold.argv = {"wine", windows_helper("hold_open.exe"), shown(tree + "/a.pdb")};
  hold.set_env = wine_env();
  hold.unset_env = {"DISPLAY", "WAYLAND_DISPLAY"};
  hold.stdout_path = scratch / "out";
  child_process holder(hold);
  ASSERT_TRUE(wait_for_text(hold.stdout_path, "held", run_timeout_ms()));
  const run_result result = run("-outputlog -f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  const std::vector<std::string> messages = {shown(tree + "/b.obj"),
                                             "ERROR Message:" + sharing_violation_text() + "\n" + shown(tree + "/a.pdb"),
                                             shown(tree + "/c.res"), shown(tree + "/d.o")};
  EXPECT_EQ(result.out, stdout_of(messages));
  EXPECT_EQ(run_log(result), log_lines(messages));
  EXPECT_EQ(list_tree(tree), std::vector<std::string>{"a.pdb"});
}



// ---- one walk per tree ------------------------------------------------------------

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), ::toupper);
  return text;
}

// A folder's entries in the order the program's platform lists them: as the
// system does natively; Wine sorts them by name, as NTFS keeps them.
std::vector<std::string> listing_order(const std::string& dir) {
  std::vector<std::string> names;
  DIR* listing = opendir(dir.c_str());
  if (listing == nullptr) return names;
  while (dirent* entry = readdir(listing))
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names.push_back(entry->d_name);
  closedir(listing);
  if (target().wine)
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return upper(a) < upper(b); });
  return names;
}

bool is_folder_not_link(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folders of a tree in depth-first pre-order, root first; links are not folders to enter.
void folders_in_pre_order(const std::string& dir, std::vector<std::string>& out) {
  out.push_back(dir);
  for (const auto& name : listing_order(dir))
    if (is_folder_not_link(dir + "/" + name)) folders_in_pre_order(dir + "/" + name, out);
}

bool ends_with_extension(const std::string& name, const std::string& extension) {
  if (name.size() < extension.size() + 1 || name[name.size() - extension.size() - 1] != '.') return false;
  for (std::size_t i = 0; i < extension.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(name[name.size() - extension.size() + i])) != extension[i]) return false;
  return true;
}

TEST_F(end_to_end, one_walk_removes_in_the_order_of_ten_passes_and_never_leaves_through_a_link) {
  const std::vector<std::string> extensions = {"sbr", "obj", "pch", "ilk", "bsc", "pdb", "idb", "res", "opp", "o"};
  const std::vector<std::string> starts = {sbr_start, obj_start, pch_start, ilk_start, pdb_start,
                                           pdb_start, pdb_start, res_start, mingw_start, mingw_start};
  put(base / "outside/far.obj", with_payload(obj_start));
  // The same tree cleaned with the walk's default threads, with the main
  // thread alone and always on eight must give the same bytes.
  std::vector<std::string> outs;
  for (const char* threads : {"", "1", "8"}) {
    SCOPED_TRACE(std::string("BRULO_THREADS=") + threads);
    remove_tree(tree);
    // A fixed pseudo-random tree: folders nested under earlier ones, every pattern
    // in mixed case, outputs and look-alikes side by side.
    unsigned seed = 16;
    auto next = [&seed](unsigned range) {
      seed = seed * 1103515245u + 12345u;
      return (seed >> 16) % range;
    };
    std::vector<std::string> folders = {tree};
    for (int i = 0; i < 14; ++i) folders.push_back(folders[next(folders.size())] + "/d" + std::to_string(i));
    std::set<std::string> outputs;
    int count = 0;
    for (const auto& folder : folders) {
      make_dirs(folder);
      for (int j = 0; j < 9; ++j) {
        const unsigned kind = next(10);
        const std::string extension = next(3) == 0 ? upper(extensions[kind]) : extensions[kind];
        const std::string path = folder + "/f" + std::to_string(count++) + "." + extension;
        const bool output = next(4) != 0;
        write_file(path, output ? with_payload(starts[kind]) : "look-alike");
        if (output) outputs.insert(path);
      }
      write_file(folder + "/notes" + std::to_string(count++) + ".objx", with_payload(obj_start));
    }
    // Outputs behind a link to a folder outside the tree stay, and a link back up is no loop.
    ASSERT_EQ(symlink((base / "outside").c_str(), (folders[3] + "/away").c_str()), 0);
    ASSERT_EQ(symlink(tree.c_str(), (folders[5] + "/up").c_str()), 0);

    std::vector<std::string> expected;
    std::vector<std::string> walk;
    folders_in_pre_order(tree, walk);
    for (const auto& extension : extensions)
      for (const auto& folder : walk)
        for (const auto& name : listing_order(folder))
          if (ends_with_extension(name, extension) && outputs.count(folder + "/" + name))
            expected.push_back(shown(folder + "/" + name));
    ASSERT_EQ(expected.size(), outputs.size());

    std::vector<std::pair<std::string, std::string>> env;
    if (*threads != '\0') env.push_back({"BRULO_THREADS", threads});
    const run_result result = run("-outputlog -f " + shown(tree), stdout_mode::capture, env);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, stdout_of(expected));
    outs.push_back(result.out);
    for (const auto& path : outputs) EXPECT_FALSE(exists(path)) << path;
    EXPECT_EQ(read_file(base / "outside/far.obj"), with_payload(obj_start));
    EXPECT_EQ(list_tree(base / "outside"), std::vector<std::string>{"far.obj"});
  }
  EXPECT_EQ(outs[0], outs[1]);
  EXPECT_EQ(outs[0], outs[2]);
}

// Deeper than any path can name, under a tight descriptor limit and under the
// highest the system allows: every object goes, every look-alike stays.
TEST_F(end_to_end, chains_thousands_of_folders_deep_are_cleaned_under_any_descriptor_limit) {
  if (target().wine) GTEST_SKIP() << "Windows paths cannot be that deep";
  rlimit current{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &current), 0);
  // The tight limit with the walk on eight threads, which hold more open at once.
  const struct {
    int depth, every;
    unsigned long limit;
    const char* threads;
  } cases[] = {{5000, 50, 256, "8"},
               {4000, 1, 256, "1"},  // the teeth wait while their parents close and open again
               {30000, 500, static_cast<unsigned long>(current.rlim_max), ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE("depth " + std::to_string(c.depth) + ", descriptor limit " + std::to_string(c.limit));
    deep_chain chain(tree + "/chain", c.depth, c.every);
    run_request request;
    request.text = "-f " + shown(tree);
    request.descriptor_limit = c.limit;
    if (*c.threads != '\0') request.set_env = {{"BRULO_THREADS", c.threads}};
    const run_result result = run_in_work(request);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, stdout_of({}));
    EXPECT_EQ(chain.left(), std::make_pair(0, chain.levels_with_files()));
  }
}
// ---- leaving things alone, and the summary --------------------------------------

// The files of `relative` below `root` in the order one pattern's pass meets them.
std::vector<std::string> in_walk_order(const std::string& root, const std::vector<std::string>& relative) {
  std::vector<std::string> folders;
  folders_in_pre_order(root, folders);
  std::vector<std::string> ordered;
  for (const auto& folder : folders)
    for (const auto& name : listing_order(folder)) {
      const std::string path = folder + "/" + name;
      if (std::find(relative.begin(), relative.end(), path.substr(root.size() + 1)) != relative.end())
        ordered.push_back(path);
    }
  return ordered;
}

class leaving_alone : public end_to_end {
 protected:
  // An object of `bytes` bytes written `days` days ago.
  void put_aged(const std::string& path, std::size_t bytes, int days, const std::string& start = obj_start) {
    put(path, start + std::string(bytes - start.size(), 'x'));
    ASSERT_EQ(run_command({"touch", "-d", std::to_string(days) + " days ago", path}, 10000), 0);
  }
  // The tree every case below cleans: outputs of several ages, folders to
  // skip by wildcards in other letter cases, a marker deep down.
  void plant() {
    put_aged(tree + "/old.obj", 100, 40);
    put_aged(tree + "/fresh.obj", 200, 1);
    put_aged(tree + "/src/old.obj", 300, 31);
    put_aged(tree + "/src/edge.obj", 400, 29);
    put_aged(tree + "/Vendor_zlib/v.obj", 10, 90);
    put_aged(tree + "/THIRD_party/t.obj", 10, 90);
    put_aged(tree + "/lib/.brulokeep", 2, 90);
    put_aged(tree + "/lib/deep/k.obj", 10, 90);
  }
  const std::string skips = "-skip\"vendor*\" -skip\"third_party\" ";
};

TEST_F(leaving_alone, older_skip_and_the_marker_each_keep_what_they_name) {
  plant();
  const std::string keep = shown(tree + "/lib");
  struct case_ {
    std::string options;
    std::vector<std::string> removed;
  };
  const case_ cases[] = {
      {"-older\"30\" ", {"old.obj", "src/old.obj", "Vendor_zlib/v.obj", "THIRD_party/t.obj"}},
      {skips, {"old.obj", "fresh.obj", "src/old.obj", "src/edge.obj"}},
      {"", {"old.obj", "fresh.obj", "src/old.obj", "src/edge.obj", "Vendor_zlib/v.obj", "THIRD_party/t.obj"}},
  };
  for (const case_& c : cases) {
    SCOPED_TRACE(c.options);
    const run_result result = run("-dryrun " + c.options + "-f " + shown(tree));
    EXPECT_EQ(result.status, 0);
    std::vector<std::string> lines = {"kept: " + keep + " (.brulokeep)"};
    std::size_t bytes = 0;
    for (const std::string& path : in_walk_order(tree, c.removed)) {
      lines.push_back(shown(path));
      bytes += read_file(path).size();
    }
    lines.push_back("dry run: " + std::to_string(c.removed.size()) + " files, " + std::to_string(bytes) +
                    " bytes would be removed from " + shown(tree));
    EXPECT_EQ(result.out, stdout_of(lines));
  }
  // The real run takes what the dry run listed, and the marker keeps its whole subtree.
  const run_result result = run("-older\"30\" " + skips + "-f " + shown(tree));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({}));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"THIRD_party/", "THIRD_party/t.obj", "Vendor_zlib/",
                                                       "Vendor_zlib/v.obj", "fresh.obj", "lib/", "lib/.brulokeep",
                                                       "lib/deep/", "lib/deep/k.obj", "src/", "src/edge.obj"}));
  // At the root the marker keeps everything; an entry of any kind, in any case, is one.
  make_dirs(tree + "/.BruloKeep");
  const run_result kept = run("-dryrun -f " + shown(tree));
  EXPECT_EQ(kept.out, stdout_of({"kept: " + shown(tree) + " (.brulokeep)",
                                 "dry run: 0 files, 0 bytes would be removed from " + shown(tree)}));
}

TEST_F(leaving_alone, skip_names_hold_no_wildcards_but_star_and_question_mark) {
  // Brackets, a semicolon and a leading blank are part of the names.
  for (const char* folder : {"a[1]", "a1", "a;b", "a", "b", " x", "x", "Q7", "q77"})
    put(tree + "/" + folder + "/k.obj", with_payload(obj_start));
  EXPECT_EQ(run("-skip\"a[1]\" -skip\"a;b\" -skip\" x\" -skip\"q?\" -f " + shown(tree)).status, 0);
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{" x/", " x/k.obj", "Q7/", "Q7/k.obj", "a/", "a1/", "a;b/",
                                                       "a;b/k.obj", "a[1]/", "a[1]/k.obj", "b/", "q77/", "x/"}));
}

TEST_F(leaving_alone, older_compares_times_at_either_end_of_the_range_exactly) {
  // A file system in memory keeps such times; a disk's clamps them to 1901 and 2446.
  if (target().wine || !is_dir("/dev/shm")) GTEST_SKIP() << "Linux with a file system in memory at /dev/shm only";
  const temp_dir memory("/dev/shm");
  for (const std::int64_t seconds : {-9223372036854775000, 9223372036854775000}) {
    const std::string path = memory / (seconds < 0 ? "ancient.obj" : "future.obj");
    write_file(path, with_payload(obj_start));
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    struct stat info {};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << strerror(errno);
    if (stat(path.c_str(), &info) != 0 || info.st_mtim.tv_sec != seconds) GTEST_SKIP() << "/dev/shm clamps the time";
  }
  EXPECT_EQ(run("-dryrun -older\"1\" -f " + shown(memory.path())).out,
            stdout_of({shown(memory / "ancient.obj"),
                       "dry run: 1 file, 9 bytes would be removed from " + shown(memory.path())}));
}

TEST_F(leaving_alone, summary_counts_each_tree_and_the_total_and_the_trash_reads_as_such) {
  const std::string data_home = fresh_trash();
  put_aged(tree + "/a/x.obj", 1000, 40);
  put_aged(tree + "/a/sub/y.obj", 1048576 + 524288, 40);
  put_aged(tree + "/a/sub/fresh.obj", 7, 0);
  put_aged(tree + "/b/z.obj", 26, 40);
  make_dirs(tree + "/c");
  const std::string a = shown(tree + "/a"), b = shown(tree + "/b"), c = shown(tree + "/c");
  const run_result result = run("-summary -older\"1\" -f\"" + a + "\" -f\"" + b + "\" -f " + c);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({"removed: 2 files, 1573864 bytes (1.5 MiB) from " + a,
                                   "removed: 1 file, 26 bytes (26 B) from " + b,
                                   "removed: 0 files, 0 bytes (0 B) from " + c,
                                   "total: 3 files, 1573890 bytes (1.5 MiB) removed from 3 trees"}));
  EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"a/", "a/sub/", "a/sub/fresh.obj", "b/", "c/"}));
  // One tree: no total; the trash says so.
  const run_result trashed = run("-gototrashbox -summary -outputlog -f " + a, stdout_mode::capture,
                                 {{"XDG_DATA_HOME", data_home}});
  EXPECT_EQ(trashed.out, stdout_of({shown(tree + "/a/sub/fresh.obj"), "moved to the trash: 1 file, 7 bytes (7 B) from " + a}));
  EXPECT_EQ(run_log(trashed), log_lines({shown(tree + "/a/sub/fresh.obj"), "moved to the trash: 1 file, 7 bytes (7 B) from " + a}));
  EXPECT_EQ(list_tree(data_home + "/Trash/files"), std::vector<std::string>{"fresh.obj"});
  // A dry run: its own line, then where the space is, by kind and by folder.
  put_aged(tree + "/b/w.obj", 5, 3);
  put_aged(tree + "/b/p/r.obj", 1000, 3);
  put_aged(tree + "/b/s/t.obj", 100, 3);
  put_aged(tree + "/b/p/q.pdb", 2048, 3, pdb_start);
  const run_result dry = run("-dryrun -summary -gototrashbox -older\"2\" -f\"" + a + "\" -f " + b,
                             stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
  std::vector<std::string> lines = {"dry run: 0 files, 0 bytes would be removed from " + a};
  for (const std::string& path : in_walk_order(tree, {"b/w.obj", "b/p/r.obj", "b/s/t.obj"})) lines.push_back(shown(path));
  lines.insert(lines.end(), {shown(tree + "/b/p/q.pdb"), "dry run: 4 files, 3153 bytes would be removed from " + b,
                             "  *.pdb   1 file  2.0 KiB  ####################\n"
                             "  *.obj  3 files  1.0 KiB  ##########",
                             "  " + shown(tree + "/b/p") + "  2.9 KiB\n  " + shown(tree + "/b/s") + "    100 B\n  " + b +
                                 "        5 B"});
  EXPECT_EQ(dry.out, stdout_of(lines));
  EXPECT_EQ(list_tree(data_home + "/Trash/files"), std::vector<std::string>{"fresh.obj"});
  EXPECT_TRUE(exists(tree + "/b/w.obj"));
}

TEST_F(leaving_alone, at_a_terminal_the_summary_shows_and_the_progress_line_never_stands_among_messages) {
  if (target().wine) GTEST_SKIP() << "a Windows program has no terminal";
  std::vector<std::string> names;
  for (int folder = 0; folder < 8; ++folder)
    for (int file = 0; file < 5; ++file) names.push_back("d" + std::to_string(folder) + "/f" + std::to_string(file) + ".obj");
  for (const std::string& name : names) put(tree + "/" + name, with_payload(obj_start));
  std::vector<std::string> messages;
  for (const std::string& path : in_walk_order(tree, names)) messages.push_back(path);
  const std::string total = "removed: 40 files, 360 bytes (360 B) from " + tree;
  run_request request;
  request.text = "-outputlog -f " + tree;
  request.cwd = work;
  request.set_env = {{"BRULO_PROGRESS_AFTER_MS", "0"}, {"NO_COLOR", "1"}, {"TERM", "xterm"}};
  // In a pipe or a file: no summary, and nothing on standard error.
  program_run piped(request);
  run_result result = piped.finish();
  EXPECT_EQ(mask_times(result.out, result.started, result.finished), stdout_of(messages));
  EXPECT_EQ(piped.errors_so_far(), "");
  for (const std::string& name : names) put(tree + "/" + name, with_payload(obj_start));
  request.terminal = request.output_to_terminal = true;
  program_run at_terminal(request);
  const std::string seen = at_terminal.process().read_terminal_until(on_terminal(echoed(total)), run_timeout_ms());
  result = at_terminal.finish();
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(seen.find("\rwalking: 1 folders, 8 entries, 0 candidates\x1b[K"), std::string::npos) << seen;
  EXPECT_NE(seen.find("\rremoving: 1 of 40 [--------------------] 2% 9 B freed\x1b[K"), std::string::npos) << seen;
  // Each drawing of the line is one piece without a line end, and an erasure
  // ends the drawings before the next message: without them every message is whole.
  messages.push_back(total);
  const std::regex progress("(\r[^\r\n]*\x1b\\[K)*\r\x1b\\[K");
  const std::string without_progress = std::regex_replace(seen, progress, "");
  EXPECT_EQ(mask_times(without_progress, result.started, result.finished), on_terminal(stdout_of(messages)));
  // On a narrow terminal every drawing stays within one line.
  for (const std::string& name : names) put(tree + "/" + name, with_payload(obj_start));
  request.terminal_columns = 30;
  program_run narrow(request);
  const std::string narrow_seen = narrow.process().read_terminal_until(on_terminal(echoed(total)), run_timeout_ms());
  EXPECT_EQ(narrow.finish().status, 0);
  EXPECT_NE(narrow_seen.find("\rremoving: 1 of 40 [----------\x1b[K"), std::string::npos) << narrow_seen;
  const std::regex drawing("\r([^\r\n\x1b]*)\x1b\\[K");
  for (std::sregex_iterator it(narrow_seen.begin(), narrow_seen.end(), drawing), end; it != end; ++it)
    EXPECT_LT((*it)[1].length(), 30) << (*it)[1];
}

TEST_F(leaving_alone, the_totals_count_what_the_removals_free_a_link_by_its_own_size) {
  if (target().wine) GTEST_SKIP() << "links to files need Linux";
  put(base / "far/target.obj", with_payload(obj_start) + std::string(1048576, 'x'));
  put(tree + "/real.obj", with_payload(obj_start));
  for (const char* link : {"/one.obj", "/two.obj"})
    ASSERT_EQ(symlink((base / "far/target.obj").c_str(), (tree + link).c_str()), 0);
  const auto apparent_bytes = [this] {
    std::string out;
    EXPECT_EQ(run_command({"du", "-sb", "--apparent-size", tree}, 10000, &out), 0);
    return std::stoull(out);
  };
  const unsigned long long before = apparent_bytes();
  const run_result dry = run("-dryrun -f " + shown(tree));
  const run_result result = run("-summary -f " + shown(tree));
  const std::string freed = std::to_string(before - apparent_bytes());
  EXPECT_EQ(result.out, stdout_of({"removed: 3 files, " + freed + " bytes (" + freed + " B) from " + tree}));
  EXPECT_NE(dry.out.find("dry run: 3 files, " + freed + " bytes would be removed"), std::string::npos) << dry.out;
  EXPECT_TRUE(exists(base / "far/target.obj"));
}

TEST_F(leaving_alone, a_file_of_several_names_counts_its_bytes_with_the_last_name_that_goes) {
  const std::string content = with_payload(obj_start) + std::string(1048576, 'x');
  const std::string size = std::to_string(content.size()), data_home = fresh_trash();
  // Two names in the tree: the second frees the bytes; a third name outside keeps them.
  for (const bool outside : {false, true}) {
    SCOPED_TRACE(outside);
    const std::string freed = outside ? "0 bytes" : size + " bytes";
    for (const std::string how : {"", "-gototrashbox "}) {
      if (target().wine && !how.empty()) continue;  // the recycle bin tells nothing of names
      remove_tree(tree);
      remove_tree(base / "outside.obj");
      put(tree + "/a/one.obj", content);
      make_dirs(tree + "/b");
      ASSERT_EQ(link((tree + "/a/one.obj").c_str(), (tree + "/b/two.obj").c_str()), 0);
      if (outside) {
        ASSERT_EQ(link((tree + "/a/one.obj").c_str(), (base / "outside.obj").c_str()), 0);
      }
      const run_result dry = run("-dryrun " + how + "-f " + shown(tree));
      EXPECT_NE(dry.out.find("dry run: 2 files, " + freed + " would be removed"), std::string::npos) << dry.out;
      const run_result result =
          run(how + "-summary -f " + shown(tree), stdout_mode::capture, {{"XDG_DATA_HOME", data_home}});
      const std::string done = how.empty() ? "removed" : "moved to the trash";
      EXPECT_EQ(result.out, stdout_of({done + ": 2 files, " + freed + " (" + (outside ? "0 B" : "1.0 MiB") + ") from " +
                                       shown(tree)}));
    }
  }
}

// ---- a tree that changes under the run, and the limits of the machine ----------

class changing_tree : public end_to_end {
 protected:
  // `count` folders below `root`, each holding one object x.obj.
  void plant(const std::string& root, int count) {
    for (int i = 0; i < count; ++i) put(root + "/f" + std::to_string(i) + "/x.obj", with_payload(obj_start));
  }
  static int objects_in(const std::string& root, int count) {
    int left = 0;
    for (int i = 0; i < count; ++i) left += exists(root + "/f" + std::to_string(i) + "/x.obj") ? 1 : 0;
    return left;
  }
  void SetUp() override {
    end_to_end::SetUp();
    if (target().wine) GTEST_SKIP() << "the tree is changed through Linux calls at a moment only Linux tells";
  }
};

TEST_F(changing_tree, a_folder_locked_after_the_walk_is_reported_once_and_the_rest_is_cleaned) {
  const uid_t user = other_user();
  if (user == 0) GTEST_SKIP() << "no second user to run as (not root)";
  plant(tree, 40);
  put(tree + "/a.sbr", with_payload(sbr_start));
  for (const std::string& folder : {base.path(), work, tree}) ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
  for (int i = 0; i < 40; ++i) ASSERT_EQ(chmod((tree + "/f" + std::to_string(i)).c_str(), 0777), 0);
  run_request request;
  request.text = "-f " + shown(tree);
  request.other_user = user;
  request.descriptor_limit = 12;  // too few to keep the folders open: each is opened again
  run_result result;
  {
    // The browse file goes first; the objects' folders are reached after it.
    open_watch lock(tree + "/a.sbr", [&] { EXPECT_EQ(chmod((tree + "/f7").c_str(), 0), 0); });
    result = run_in_work(request);
    EXPECT_TRUE(lock.fired());
  }
  ASSERT_EQ(chmod((tree + "/f7").c_str(), 0755), 0);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, stdout_of({"ERROR Message:" + access_denied_text() + "\n" + shown(tree + "/f7")}));
  EXPECT_EQ(objects_in(tree, 40), 1);
  EXPECT_TRUE(exists(tree + "/f7/x.obj"));
}

TEST_F(changing_tree, a_root_swapped_for_a_link_as_the_walk_starts_sends_nothing_out_of_the_tree) {
  const std::string walked = base / "walked", other = base / "other";
  const std::string data_home = fresh_trash();
  for (const std::string how : {"", "-gototrashbox "}) {
    SCOPED_TRACE(how);
    for (const std::string& root : {tree, walked, other}) remove_tree(root);
    plant(tree, 200);
    plant(other, 200);
    // Enough in one folder that the walk is still going when the swap comes.
    for (int i = 0; i < 5000; ++i) put(tree + "/h/" + std::to_string(i) + ".h", "");
    open_watch swap(tree, [&] {
      ASSERT_EQ(rename(tree.c_str(), walked.c_str()), 0);
      ASSERT_EQ(symlink(other.c_str(), tree.c_str()), 0);
    });
    run_request request;
    request.text = how + "-f " + shown(tree);
    request.descriptor_limit = 64;
    request.set_env = {{"XDG_DATA_HOME", data_home}};
    const run_result result = run_in_work(request);
    ASSERT_TRUE(swap.fired());
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(objects_in(other, 200), 200);
    EXPECT_EQ(objects_in(walked, 200), 0);
  }
}

TEST_F(changing_tree, a_fifo_or_folder_put_in_place_of_a_listed_file_stays_and_the_run_goes_on) {
  // The same in the modes that judge by age or by size.
  for (const std::string how : {"", "-older\"0\" ", "-del0 "}) {
    SCOPED_TRACE(how);
    remove_tree(tree);
    put(tree + "/a.sbr", sbr_start);
    for (int i = 0; i < 300; ++i) put(tree + "/z/" + std::to_string(i) + ".sbr", sbr_start);
    put(tree + "/z/b.obj", with_payload(obj_start));
    put(tree + "/z/c.pdb", pdb_start);
    put(tree + "/z/d.res", res_start);
    // While the other browse files go, two files listed as plain become a FIFO and a folder.
    open_watch swap(tree + "/a.sbr", [this] {
      ASSERT_EQ(unlink((tree + "/z/b.obj").c_str()), 0);
      ASSERT_EQ(mkfifo((tree + "/z/b.obj").c_str(), 0644), 0);
      ASSERT_EQ(unlink((tree + "/z/c.pdb").c_str()), 0);
      make_dirs(tree + "/z/c.pdb");
    });
    const run_result result = run(how + "-f " + shown(tree));
    ASSERT_TRUE(swap.fired());
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, stdout_of({}));
    EXPECT_EQ(list_tree(tree), (std::vector<std::string>{"z/", "z/b.obj", "z/c.pdb/"}));
  }
  // A name that keeps turning from a plain file into a FIFO and back, so that
  // a change falls between any two looks at it: by age too, the file is
  // judged as it is open, or kept.
  remove_tree(tree);
  put(tree + "/b.obj", with_payload(obj_start));
  std::atomic<bool> stop{false};
  const std::string fifo = base / "fifo", name = tree + "/b.obj";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  std::thread flipper([&] {
    while (!stop)
      if (renameat2(AT_FDCWD, fifo.c_str(), AT_FDCWD, name.c_str(), RENAME_EXCHANGE) != 0)
        write_file(name, with_payload(obj_start));  // removed while it was a file
  });
  for (int round = 0; round < 20; ++round) {
    const run_result result = run("-older\"0\" -f " + shown(tree));
    EXPECT_EQ(result.status, 0) << "round " << round << ": " << result.out;
    if (result.status != 0) break;
  }
  stop = true;
  flipper.join();
}

TEST_F(changing_tree, every_limit_of_descriptors_or_memory_still_cleans_the_whole_tree) {
  const struct {
    unsigned long descriptors, memory;
    const char* threads;
  } cases[] = {{8, 0, "8"},         {9, 0, "8"},         {10, 0, "8"},        {12, 0, "8"},
               {13, 0, "8"},        {16, 0, "8"},        {24, 0, "8"},        {40, 0, "8"},
               {0, 20u << 20, "24"}, {0, 100u << 20, "24"}, {0, 100u << 20, "1000"}};
  for (const auto& c : cases) {
    SCOPED_TRACE("descriptors " + std::to_string(c.descriptors) + ", memory " + std::to_string(c.memory) +
                 ", threads " + c.threads);
    plant(tree, 40);
    run_request request;
    request.text = "-f " + shown(tree);
    request.descriptor_limit = c.descriptors;
    request.memory_limit = c.memory;
    request.set_env = {{"BRULO_THREADS", c.threads}};
    const run_result result = run_in_work(request);
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(objects_in(tree, 40), 0);
  }
  // A move to the trash holds descriptors of its own: a chain 40 deep, an
  // object in each folder, at every limit from 8 up, and a chain 20 deep on
  // another device, whose trash, in a shared .Trash, is found while the home
  // trash is held.
  const std::string data_home = fresh_trash(), other = tree + "/other";
  const private_tmpfs mounted({other}, "mode=0755");
  if (mounted.failure.empty()) {
    make_dirs(other + "/.Trash");
    ASSERT_EQ(chmod((other + "/.Trash").c_str(), 01777), 0);
  }
  for (unsigned long descriptors = 8; descriptors <= 40; ++descriptors) {
    SCOPED_TRACE("-gototrashbox, descriptors " + std::to_string(descriptors));
    std::string folder = tree, far = other;
    for (int depth = 0; depth < 40; ++depth) put((folder += "/d") + "/x.obj", with_payload(obj_start));
    for (int depth = 0; depth < 20 && mounted.failure.empty(); ++depth)
      put((far += "/d") + "/x.obj", with_payload(obj_start));
    run_request request;
    request.text = "-gototrashbox -f " + shown(tree);
    request.descriptor_limit = descriptors;
    request.set_env = {{"XDG_DATA_HOME", data_home}, {"BRULO_THREADS", "8"}};
    const run_result result = run_in_work(request);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, stdout_of({}));
    EXPECT_EQ(list_tree(data_home + "/Trash/files").size(), 40 * (descriptors - 7));
    if (mounted.failure.empty()) {
      EXPECT_EQ(list_tree(other + "/.Trash/" + std::to_string(getuid()) + "/files").size(), 20 * (descriptors - 7));
    }
  }
  if (!mounted.failure.empty()) GTEST_SKIP() << "one device only: " << mounted.failure;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new wine_session);
  return RUN_ALL_TESTS();
}
