// The program's dialogs on a real X display (Xvfb), driven with xdotool:
// zenity's on Linux, Wine's own for brulo.exe.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "expected_texts.h"
#include "harness.h"

using namespace harness;
using namespace expected;

namespace {

std::string display_name;  // ":N" of the suite's Xvfb

class display_session : public ::testing::Environment {
 public:
  void SetUp() override {
    start_xvfb();
    wine_session_start(display_name);
  }
  void TearDown() override {
    wine_session_stop();
    server_.reset();
  }

 private:
  void start_xvfb() {
    for (int number = 90; number < 190; ++number) {
      const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
      const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
      if (exists(lock) || exists(socket)) continue;
      process_request request;
      request.argv = {"Xvfb", ":" + std::to_string(number), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"};
      auto server = std::make_unique<child_process>(request);
      // Ready once its socket is there; gone early means the number was taken meanwhile.
      for (int waited = 0; waited < 10000 && server->running() && !exists(socket); waited += 50)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      if (!server->running() && server->status() == 127) throw std::runtime_error("Xvfb could not be started");
      if (!server->running() || !exists(socket)) continue;
      display_name = ":" + std::to_string(number);
      for (int tries = 0; tries < 50; ++tries) {
        if (run_command({"xdpyinfo"}, 10000, nullptr, {{"DISPLAY", display_name}}, true) == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
      server_ = std::move(server);
      return;
    }
    throw std::runtime_error("no free X display number for Xvfb");
  }

  std::unique_ptr<child_process> server_;
};

std::vector<std::pair<std::string, std::string>> display_env() { return {{"DISPLAY", display_name}}; }

int window_timeout_ms() { return target().wine ? 90000 : 30000; }

std::string platform_tag() { return target().wine ? "wine" : "linux"; }

// The first window whose name matches `title_regex`, waiting for it to appear.
std::string wait_for_window(const std::string& title_regex) {
  std::string found;
  const int status =
      run_command({"xdotool", "search", "--sync", "--name", title_regex}, window_timeout_ms(), &found, display_env());
  std::istringstream lines(found);
  std::string first;
  std::getline(lines, first);
  if (status != 0 || first.empty()) ADD_FAILURE() << "no window named " << title_regex << " appeared";
  return first;
}

void pause_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The whole screen, once `window` shows more than black: a dialog is there
// before it is drawn.
void screenshot(const std::string& name, const std::string& window) {
  for (int tries = 0; tries < 50; ++tries) {
    std::string mean;
    if (run_command({"import", "-window", window, "-format", "%[fx:mean]", "info:"}, 20000, &mean, display_env(),
                    true) == 0 &&
        std::atof(mean.c_str()) > 0.1)
      break;
    pause_ms(200);
  }
  const std::string file = artifacts_dir() + "/" + platform_tag() + "_" + name + ".png";
  EXPECT_EQ(run_command({"import", "-window", "root", file}, 60000, nullptr, display_env()), 0);
  EXPECT_TRUE(exists(file)) << file;
}

// A text as Wine's traces print a wide string: line ends and backslashes
// escaped, each character beyond ASCII as a backslash and four hex digits.
std::string as_traced(const std::string& utf8) {
  std::string traced;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      traced += byte == '\n' ? "\\n" : byte == '\r' ? "\\r" : byte == '\\' ? "\\\\" : std::string(1, utf8[i]);
      continue;
    }
    const int trail = byte >= 0xE0 ? 2 : 1;  // the suite's texts stay in the first plane
    unsigned code = byte & (trail == 2 ? 0x0F : 0x1F);
    for (int k = 0; k < trail; ++k) code = (code << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
    char unit[8];
    std::snprintf(unit, sizeof unit, "\\%04x", code);
    traced += unit;
  }
  return traced;
}

// The environment of a run of brulo.exe on a Windows outside Japan (code
// page 1252), whose dialog fonts borrow the characters they lack from a
// Japanese font, so a screenshot shows what a user would read. Wine writes
// its own links whenever the code page changes, so a process under 1252 goes first.
std::vector<std::pair<std::string, std::string>> western_windows() {
  const auto page = code_page_env(1252);
  auto env = wine_env();
  env.insert(env.end(), page.begin(), page.end());
  env.push_back({"DISPLAY", display_name});
  run_command({"wine", "cmd", "/c", "exit"}, 60000, nullptr, env);
  for (const char* face : {"Tahoma", "MS Shell Dlg", "Microsoft Sans Serif"})
    run_command({"wine", "reg", "add", "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink",
                 "/v", face, "/t", "REG_MULTI_SZ", "/d", "ipag.ttf,IPAGothic", "/f"},
                60000, nullptr, env);
  return page;
}

// There is no window manager: focus is given explicitly, and tried again.
void focus(const std::string& window) {
  for (int tries = 0; tries < 5; ++tries) {
    if (run_command({"xdotool", "windowfocus", "--sync", window}, 3000, nullptr, display_env(), true) == 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  ADD_FAILURE() << "could not focus window " << window;
}

// Wine takes keys sent to its window; GTK takes them from the keyboard once focused.
void keys(const std::string& window, const std::vector<std::string>& names) {
  std::vector<std::string> argv = {"xdotool", "key"};
  if (target().wine) {
    argv.insert(argv.end(), {"--window", window});
  } else {
    focus(window);
  }
  argv.insert(argv.end(), names.begin(), names.end());
  EXPECT_EQ(run_command(argv, 20000, nullptr, display_env()), 0);
}

void type_text(const std::string& window, const std::string& text) {
  std::vector<std::string> argv = {"xdotool", "type", "--delay", "40"};
  if (target().wine) {
    argv.insert(argv.end(), {"--window", window});
  } else {
    focus(window);
  }
  argv.push_back(text);
  EXPECT_EQ(run_command(argv, 60000, nullptr, display_env()), 0);
}

// A click low in Wine's folder browser: inside its tree, below the few items
// it starts with, so the selection stays as it is.
void click_empty_tree_area(const std::string& window) {
  std::string geometry;
  ASSERT_EQ(run_command({"xdotool", "getwindowgeometry", "--shell", window}, 20000, &geometry, display_env()), 0);
  int width = 0;
  int height = 0;
  std::istringstream lines(geometry);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("WIDTH=", 0) == 0) width = std::stoi(line.substr(6));
    if (line.rfind("HEIGHT=", 0) == 0) height = std::stoi(line.substr(7));
  }
  ASSERT_GT(width, 0) << geometry;
  ASSERT_GT(height, 0) << geometry;
  EXPECT_EQ(run_command({"xdotool", "mousemove", "--window", window, std::to_string(width / 2),
                         std::to_string(height * 3 / 4), "click", "1"},
                        20000, nullptr, display_env()),
            0);
  pause_ms(300);
}

// Sends `key` until the run ends (a first key may arrive before the dialog takes keys).
void press_until_closed(program_run& run, const std::string& window, const std::string& key) {
  for (int tries = 0; tries < 5 && run.running(); ++tries) {
    keys(window, {key});
    for (int waited = 0; waited < 4000 && run.running(); waited += 100) pause_ms(100);
  }
}

// The folder names from the root down to `path`.
std::vector<std::string> path_steps(const std::string& path) {
  std::vector<std::string> steps;
  std::istringstream parts(path);
  std::string part;
  while (std::getline(parts, part, '/'))
    if (!part.empty()) steps.push_back(part);
  return steps;
}

// The names of the last `count` distinct items Wine's tree selected, oldest first.
std::vector<std::string> selection_trail(const std::string& traces, std::size_t count) {
  std::vector<std::string> names;
  std::istringstream lines(traces);
  std::string line;
  const std::string marker = "TREEVIEW_DoSelectItem Entering item ";
  while (std::getline(lines, line)) {
    if (line.find(marker) == std::string::npos || line.find("flag 0x9,") == std::string::npos) continue;
    const auto open = line.find("(L\"");
    const auto close = line.find("\"), flag");
    if (open == std::string::npos || close == std::string::npos || close < open + 3) continue;
    const std::string name = line.substr(open + 3, close - open - 3);
    if (names.empty() || names.back() != name) names.push_back(name);
  }
  if (names.size() > count) names.erase(names.begin(), names.end() - static_cast<long>(count));
  return names;
}

// Wine's folder browser has no edit box: walk its tree from "/" down,
// expanding each folder and picking the next by typing its name (the tree's
// search ignores case; each name goes in twice, in case a slow step split
// the first one into separate searches). Keys reach the tree only once a
// click has made the dialog active.
void walk_folder_tree(const std::string& window, const std::vector<std::string>& steps) {
  click_empty_tree_area(window);
  keys(window, {"Home"});
  pause_ms(300);
  type_text(window, "/");
  for (const std::string& step : steps) {
    pause_ms(700);
    keys(window, {"Right"});
    for (int twice = 0; twice < 2; ++twice) {
      pause_ms(700);
      type_text(window, step);
    }
  }
  pause_ms(500);
}

// The arguments of a running child of `parent` whose program is `name`.
std::vector<std::string> child_arguments(pid_t parent, const std::string& name) {
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return {};
  std::vector<std::string> found;
  while (dirent* entry = readdir(proc)) {
    const std::string pid = entry->d_name;
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat_file("/proc/" + pid + "/stat");
    std::string stat_line;
    std::getline(stat_file, stat_line);
    // pid (comm) state ppid ...: the command name may hold spaces, so read after its ')'.
    const auto close = stat_line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat_line.substr(close + 1));
    std::string state;
    long ppid = 0;
    rest >> state >> ppid;
    if (ppid != parent) continue;
    std::ifstream cmdline_file("/proc/" + pid + "/cmdline", std::ios::binary);
    std::vector<std::string> arguments;
    std::string argument;
    while (std::getline(cmdline_file, argument, '\0')) arguments.push_back(argument);
    if (!arguments.empty() && arguments[0] == name) {
      found = arguments;
      break;
    }
  }
  closedir(proc);
  return found;
}

class gui : public ::testing::Test {
 protected:
  temp_dir base;
  const std::string work = base / "work";

  void SetUp() override { make_dirs(work); }

  run_request request(const std::string& text) {
    run_request r;
    r.text = text;
    r.cwd = work;
    r.display = display_name;
    r.show_normal = true;
    if (!target().wine) {
      // zenity's file chooser opens on the working directory, and keeps its
      // settings and recent files out of the user's home.
      const std::string config = base / "config";
      make_dirs(config + "/glib-2.0/settings");
      write_file(config + "/glib-2.0/settings/keyfile", "[org/gtk/settings/file-chooser]\nstartup-mode='cwd'\n");
      make_dirs(base / "data");
      r.set_env = {{"GSETTINGS_BACKEND", "keyfile"},
                   {"XDG_CONFIG_HOME", config},
                   {"XDG_DATA_HOME", base / "data"},
                   {"NO_AT_BRIDGE", "1"},
                   {"GDK_BACKEND", "x11"}};
    }
    return r;
  }

  // Wine's own title, in English or Japanese.
  static std::string picker_title() {
    return target().wine ? "^(Browse for Folder|フォルダーの参照)$" : "^ディレクトリ指定$";
  }

  static std::string masked(const std::string& bytes, long started) {
    return mask_times(bytes, started, now_seconds());
  }
};

TEST_F(gui, empty_command_line_opens_the_picker_and_cancel_ends_with_status_9) {
  write_file(work + "/kept.obj", obj_start + "payload");
  // Its prompt reads the same in every code page; Wine traces the text it sets.
  for (const int page : target().wine ? std::vector<int>{1252, 932} : std::vector<int>{0}) {
    const long started = now_seconds();
    run_request r = request("");
    if (target().wine) {
      r.set_env = page == 1252 ? western_windows() : code_page_env(page);
      r.set_env.push_back({"WINEDEBUG", "-all,trace+win"});
    }
    program_run run(r);
    const std::string window = wait_for_window(picker_title());
    ASSERT_FALSE(window.empty());
    if (page != 932) screenshot("picker_open", window);
    if (target().wine) {
      // The prompt is set as the dialog is drawn, soon after its window is there.
      const std::string prompt = "set_window_text L\"" + as_traced("ディレクトリ指定") + "\"";
      for (int waited = 0; waited < 5000 && run.errors_so_far().find(prompt) == std::string::npos; waited += 100)
        pause_ms(100);
      EXPECT_NE(run.errors_so_far().find(prompt), std::string::npos) << page;
    }
    EXPECT_TRUE(run.running());
    EXPECT_EQ(masked(run.output_so_far(), started), as_written(header()));

    press_until_closed(run, window, "Escape");
    const run_result result = run.finish();
    EXPECT_EQ(result.status, 9);
    EXPECT_EQ(mask_times(result.out, result.started, result.finished), as_written(header()));
    EXPECT_EQ(list_tree(work), std::vector<std::string>{"kept.obj"});
  }
}

TEST_F(gui, confirming_a_folder_cleans_it) {
  const std::string chosen = base / "pick";
  make_dirs(chosen + "/sub");
  write_file(chosen + "/a.obj", obj_start + "payload");
  write_file(chosen + "/sub/b.pdb", pdb_start + "payload");
  write_file(chosen + "/bad.obj", "MZ not an object");
  write_file(work + "/kept.obj", obj_start + "payload");

  run_request r = request("");
  // Wine's tree reports each selection in its traces: the test reads them to
  // confirm only the folder it meant.
  if (target().wine) r.set_env.push_back({"WINEDEBUG", "-all,trace+treeview"});
  program_run run(r);
  const std::string window = wait_for_window(picker_title());
  ASSERT_FALSE(window.empty());
  if (target().wine) {
    // Keys sent to a window lose Shift, so only names typed without it can be walked.
    ASSERT_EQ(chosen.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789./-"),
              std::string::npos)
        << "set TMPDIR to a path of letters, digits, '.', '-' and '/': " << chosen;
    const std::vector<std::string> steps = path_steps(chosen);
    bool arrived = false;
    for (int attempt = 0; attempt < 3 && !arrived; ++attempt) {
      walk_folder_tree(window, steps);
      arrived = selection_trail(run.errors_so_far(), 2) == std::vector<std::string>(steps.end() - 2, steps.end());
    }
    if (!arrived) {
      // Never confirm a folder the test did not mean: the program would clean it.
      screenshot("picker_folder_not_reached", window);
      press_until_closed(run, window, "Escape");
      FAIL() << "the folder browser did not reach " << chosen << "; selections: "
             << testing::PrintToString(selection_trail(run.errors_so_far(), 8));
    }
  } else {
    keys(window, {"ctrl+l"});
    pause_ms(300);
    type_text(window, chosen);
    pause_ms(500);
    // Drops the completion the entry proposes after the typed path.
    keys(window, {"Delete"});
  }
  pause_ms(500);
  screenshot("picker_folder_chosen", window);
  EXPECT_TRUE(run.running());
  press_until_closed(run, window, "Return");

  const run_result result = run.finish();
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(mask_times(result.out, result.started, result.finished), as_written(header()));
  EXPECT_EQ(list_tree(chosen), (std::vector<std::string>{"bad.obj", "sub/"}));
  EXPECT_EQ(list_tree(work), std::vector<std::string>{"kept.obj"});
}

TEST_F(gui, exception_is_shown_in_a_message_box_and_echoed_only_after_it_closes) {
  const std::string missing = shown(base / "missing");
  const failure f = missing_tree(missing);
  const std::string context_utf8 = "例外処理:開発者にログファイルを添付してメール等で連絡を下さい";
  const std::string text_utf8 = "GetLastError ID = " + std::to_string(f.code) +
                                "\nLastError details=ERROR Message:" + f.system_text + "\nMessage=" + context_utf8;
  const long started = now_seconds();
  run_request r = request("-messagebox -f " + missing);
  // Wine traces the text its message box shows; outside Japan too it shows the Japanese text.
  if (target().wine) {
    r.set_env = western_windows();
    r.set_env.push_back({"WINEDEBUG", "-all,trace+msgbox"});
  }
  program_run run(r);
  const std::string window = wait_for_window("^Error$");
  ASSERT_FALSE(window.empty());
  screenshot("error_message_box", window);

  if (target().wine) {
    EXPECT_NE(run.errors_so_far().find("trace:msgbox:MSGBOX_OnInit L\"" + as_traced(text_utf8) + "\""),
              std::string::npos)
        << run.errors_so_far();
  } else {
    EXPECT_EQ(child_arguments(run.process().pid(), "zenity"),
              (std::vector<std::string>{"zenity", "--info", "--no-markup", "--title=Error", "--text=" + text_utf8}));
  }

  // The box holds the run up: the block is echoed only once it is closed.
  pause_ms(500);
  EXPECT_TRUE(run.running());
  EXPECT_EQ(masked(run.output_so_far(), started),
            as_written(header() + echoed("Exception Message = " + f.what)));
  EXPECT_EQ(masked(read_file(work + "/brulo_exception.log"), started), as_written(exception_log(f)));

  press_until_closed(run, window, "Return");
  const run_result result = run.finish();
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(mask_times(result.out, result.started, result.finished), as_written(header() + exception_echo(f)));
  if (!target().wine) return;
  // On a Japanese system the box reads as it always did.
  r.set_env = code_page_env(932);
  r.set_env.push_back({"WINEDEBUG", "-all,trace+msgbox"});
  program_run japanese(r);
  const std::string japanese_window = wait_for_window("^Error$");
  ASSERT_FALSE(japanese_window.empty());
  EXPECT_NE(japanese.errors_so_far().find("\\nMessage=" + as_traced(context_utf8) + "\""), std::string::npos)
      << japanese.errors_so_far();
  press_until_closed(japanese, japanese_window, "Return");
  EXPECT_EQ(japanese.finish().status, 255);
}

TEST_F(gui, summary_without_a_console_shows_in_one_box_after_every_removal_and_with_an_output_goes_there) {
  if (!target().wine) GTEST_SKIP() << "the box stands in for the console a Windows program lacks";
  // Each box shows a name the code page lacks as it is (932 here, 1252 with the hints); the output shows "???".
  const std::string hangul = "\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4", a = base / "a", b = base / ("b" + hangul);
  make_dirs(a);
  make_dirs(b + "/sub");
  write_file(a + "/x.obj", obj_start + "payload");
  write_file(b + "/sub/y.obj", obj_start + "payload2");
  std::vector<std::string> lines = {"removed: 1 file, 9 bytes (9 B) from " + shown(a),
                                    "removed: 1 file, 10 bytes (10 B) from " + shown(b),
                                          "total: 2 files, 19 bytes (19 B) removed from 2 trees"};
  run_request r = request("-summary -f\"" + shown(a) + "\" -f " + shown(b));
  r.out = stdout_mode::closed;
  r.set_env = code_page_env(932);
  r.set_env.push_back({"WINEDEBUG", "-all,trace+msgbox"});
  program_run run(r);
  const std::string window = wait_for_window("^brulo$");
  ASSERT_FALSE(window.empty());
  screenshot("summary_message_box", window);
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  EXPECT_NE(run.errors_so_far().find("trace:msgbox:MSGBOX_OnInit L\"" + as_traced(text) + "\""), std::string::npos)
      << run.errors_so_far();
  EXPECT_TRUE(run.running());
  EXPECT_EQ(list_tree(base.path()),
            (std::vector<std::string>{"a/", "b" + hangul + "/", "b" + hangul + "/sub/", "work/"}));

  press_until_closed(run, window, "Return");
  EXPECT_EQ(run.finish().status, 0);
  // With an output the lines go there, and no box holds the run up; nor does
  // a hint change them: a plain word naming a folder, a file only -modern takes.
  make_dirs(work + "/proj");
  write_file(a + "/x.obj", obj_start + "payload");
  write_file(b + "/sub/y.obj", obj_start + "payload2");
  write_file(b + "/x64.obj", bytes({0x64, 0x86}) + std::string(18, '\0') + "payload");
  r.text = "proj " + r.text;
  r.out = stdout_mode::capture;
  r.set_env = western_windows();
  r.set_env.push_back({"WINEDEBUG", "-all,trace+msgbox"});
  lines[1] = "removed: 1 file, 10 bytes (10 B) from " + shown(base / "b???");
  const run_result redirected = run_program(r);
  EXPECT_EQ(redirected.status, 0);
  std::string expected = header();
  for (const std::string& line : lines) expected += echoed(line);
  EXPECT_EQ(mask_times(redirected.out, redirected.started, redirected.finished), as_written(expected));
  // Without one the box tells what the run left, and why, and where the space is.
  for (const char* folder : {"/sub/deep", "/vendor"}) make_dirs(b + folder);
  write_file(b + "/sub/deep/z.obj", obj_start + "payload");
  r.text = "proj -dryrun -summary -skip\"vendor\" -f " + shown(b);
  r.out = stdout_mode::closed;
  program_run hinted(r);
  const std::string hint_window = wait_for_window("^brulo$");
  ASSERT_FALSE(hint_window.empty());
  screenshot("summary_message_box_hints", hint_window);
  const std::string hints = "dry run: 1 file, 9 bytes would be removed from " + shown(b) +
                            "\n  *.obj  1 file  9 B  ####################\n  " + shown(b + "/sub/deep") +
                            "  9 B\nleft: 1 folder by -skip"
                            "\nproj was not cleaned: a word without an option names no tree";
  // Wine's trace of the text ends in "..." within the hint's line.
  EXPECT_NE(hinted.errors_so_far().find("trace:msgbox:MSGBOX_OnInit L\"" + as_traced(hints)),
            std::string::npos)
      << hinted.errors_so_far();
  press_until_closed(hinted, hint_window, "Return");
  EXPECT_EQ(hinted.finish().status, 0);
  EXPECT_EQ(list_tree(b), (std::vector<std::string>{"sub/", "sub/deep/", "sub/deep/z.obj", "vendor/", "x64.obj"}));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new display_session);
  return RUN_ALL_TESTS();
}
