// The command line, in Windows text and as Linux arguments; help and version;
// runs that stop; a terminal instead of a display; the logs and standard output.

#include "end_to_end_fixture.h"

using namespace e2e;

namespace {

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

// A mistake, the end of a run: in a pipe its bytes as they always were; at a terminal a plain line on standard error.
TEST_F(end_to_end, at_a_terminal_a_mistake_and_what_a_run_left_read_plainly_and_a_pipe_keeps_its_bytes) {
  if (target().wine) GTEST_SKIP() << "a Windows program has no terminal";
  const std::string missing = tree + "/missing", file = base / "file.obj", named = base / "named", spaced = base / "my proj";
  put(file, with_payload(obj_start));
  for (const std::string& folder : {named + "/x.obj", spaced}) make_dirs(folder);
  const failure not_a_folder{"boost::filesystem::directory_iterator::construct: Not a directory: \"" + file + "\"", 3,
                             "The system cannot find the path specified.\n"};
  const auto refused = [](const std::string& word) { return echoed(strange_command_line) + echoed("Error Command Line = " + word); };
  const auto ended = [](const failure& f) { return header() + exception_echo(f); };
  const std::string lists = "; brulo -h lists them all\r\n", data_home = fresh_trash();
  const struct { std::string text; int status; std::string out, seen; } rows[] = {  // out: standard output, when compared
      {"-dryrn -f " + tree, 255, refused("dryrn"), "brulo: -dryrn is not an option (did you mean -dryrun?)" + lists},
      {"--dry-run -f " + tree, 255, refused("dry-run"), "brulo: -dry-run is not an option (did you mean -dryrun?)" + lists},
      {"-n", 255, refused("n"), "brulo: -n is not an option (did you mean -dryrun?)" + lists},
      {"-SUMMARY", 255, refused("SUMMARY"), "brulo: -SUMMARY is not an option (did you mean -summary?)" + lists},
      {"-gototrash", 255, refused("gototrash"), "brulo: -gototrash is not an option" + lists},
      {"-older 3x", 255, refused("older\"3x\""), "brulo: -older needs a number of days (digits only), not \"3x\"" + lists},
      {"-skip", 255, refused("skip\"\""), "brulo: -skip needs a folder name or pattern and got none" + lists},
      {"-f " + missing, 255, ended(missing_tree(missing)), "brulo: cannot clean " + missing + ": no such folder\r\n"},
      {"-f " + file, 255, ended(not_a_folder), "brulo: cannot clean " + file + ": not a folder\r\n"},
      {"-f", 255, ended(empty_tree(false)), "brulo: -f needs a folder: -f FOLDER\r\n"},
      {"-f " + named, 255, ended(folder_opened_as_file()),
       "brulo: cannot clean " + named + "/x.obj: a folder named like a build output file; rename it\r\n"},
      {"-dryrun " + tree, 0, "", tree + " was not cleaned: a word after -dryrun names no tree; to clean it: -f " + tree + "\r\n"},
      {"-summary " + spaced, 0, "",
       spaced + " was not cleaned: a word after -summary names no tree; to clean it: -f '" + spaced + "'\r\n"},
      {"-dryrun -f " + tree, 0, "", "\n1 file, 32 bytes (32 B) of today's tool chains is not included; -modern includes it\r\n"},
      {"-outputlog -gototrashbox -f " + tree, 0, "", " 9 B to the trash\x1b[K"},
  };
  for (const auto& row : rows) {
    for (const bool terminal : {false, true}) {
      SCOPED_TRACE(row.text + (terminal ? " at a terminal" : ""));
      put(tree + "/m.pdb", msf7_start);
      put(tree + "/a.obj", with_payload(obj_start));
      remove_tree(work + "/brulo_log.log");
      run_request request;
      request.text = row.text;
      request.cwd = work;
      // A terminal that redraws lines, whatever the one the tests run at.
      request.set_env = {{"XDG_DATA_HOME", data_home},
                         {"BRULO_PROGRESS_AFTER_MS", row.out.empty() ? "0" : "9999"},
                         {"TERM", "xterm"}};
      request.terminal = request.output_to_terminal = terminal;
      program_run run(request);
      const std::string seen = terminal ? run.process().read_terminal_until(row.seen, run_timeout_ms()) : "";
      const run_result result = run.finish();
      EXPECT_EQ(result.status, row.status);
      EXPECT_EQ(run.errors_so_far(), "");
      EXPECT_EQ(seen.find(row.seen) != std::string::npos, terminal) << seen;
      if (!row.out.empty()) {
        EXPECT_EQ(mask_times(terminal ? seen : result.out, result.started, result.finished),
                  terminal ? on_terminal(row.out) + row.seen : row.out);
      }
      if (row.text.rfind("-outputlog", 0) == 0) {
        EXPECT_EQ(run_log(result), log_lines({shown(tree + "/a.obj")}));
      }
    }
  }
}

class folder_prompt : public end_to_end {
 protected:
  const std::string prompt = on_terminal(
      "brulo: no folder was named. Type a folder to clean now (its build outputs are removed at once),\n"
      "or press Enter to stop. To see first what would go: brulo -dryrun -f FOLDER\nディレクトリ指定: ");
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
  // An empty answer stops, and says so.
  run_request request;
  request.cwd = work;
  request.terminal = true;
  program_run stopped(request);
  EXPECT_EQ(stopped.process().read_terminal_until(prompt, run_timeout_ms()), prompt);
  stopped.process().write_terminal("\n");
  EXPECT_EQ(stopped.process().read_terminal_until("cleaned\r\n", run_timeout_ms()), prompt + "\r\nbrulo: nothing was cleaned\r\n");
  EXPECT_EQ(stopped.finish().status, 9);
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

}  // namespace
