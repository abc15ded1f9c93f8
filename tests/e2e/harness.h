#pragma once
// Shared by the end-to-end and GUI suites: which program to drive, scratch
// folders, running a process under a deadline, and file helpers.
#include <sys/types.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace harness {

// ---- the program under test -------------------------------------------------

struct target_info {
  std::string program;     // unix path of brulo or brulo.exe
  bool wine = false;       // brulo.exe under Wine
  std::string wineprefix;  // only with wine
  std::string launcher;    // show_normal_launcher.exe, only with wine
};

// Chosen by BRULO_E2E_PROGRAM / BRULO_E2E_WINE / WINEPREFIX / BRULO_E2E_LAUNCHER.
const target_info& target();

// A small program of the Windows build that the suites start under Wine, by file name.
std::string windows_helper(const std::string& name);

// Deadline for one run of the program.
int run_timeout_ms();

// ---- scratch folders and files ----------------------------------------------

// A fresh folder, removed with everything in it when the object goes.
class temp_dir {
 public:
  temp_dir();
  explicit temp_dir(const std::string& parent);  // in that folder rather than TMPDIR
  ~temp_dir();
  temp_dir(const temp_dir&) = delete;
  temp_dir& operator=(const temp_dir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + relative, creating nothing.
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

void make_dirs(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);  // fails the test when missing
bool exists(const std::string& path);
bool is_dir(const std::string& path);
// Every entry below root, relative, sorted; folders end in '/'.
std::vector<std::string> list_tree(const std::string& root);
void remove_tree(const std::string& path);

// ---- how the target writes things -------------------------------------------

// The path as the program sees and prints it: the unix path natively,
// "Z:" + the path with '\' for '/' under Wine.
std::string shown(const std::string& unix_path);
char separator();
// Text the program wrote through its C runtime's text mode: each "\n" of
// `logical` becomes "\r\n" under Wine.
std::string as_written(const std::string& logical);
// One message on standard output (logical form): the text, its line end and an empty line.
std::string echoed(const std::string& text);
// The run header; the time line holds the placeholder "Time <now>".
std::string header();
// Replaces each "Time H:M Y/M/D" line and each "H:M Y/M/D:" time-stamp line by
// "Time <now>" / "<now>:", after checking the time is one seen during the run.
std::string mask_times(const std::string& bytes, long started, long finished);

// ---- processes ----------------------------------------------------------------

// closed: through the Windows launcher, no output handle at all.
enum class stdout_mode { capture, closed, broken_pipe };

struct process_request {
  std::vector<std::string> argv;
  std::string cwd;
  std::vector<std::pair<std::string, std::string>> set_env;  // added or replaced
  std::vector<std::string> unset_env;
  stdout_mode out = stdout_mode::capture;
  std::string stdout_path;  // with capture: the file that receives standard output
  bool new_session = true;  // setsid(): no controlling terminal
  bool terminal = false;    // with new_session: a pseudo-terminal becomes the controlling terminal
  bool output_to_terminal = false;  // with terminal: standard output and error go to it too
  unsigned short terminal_columns = 0;  // with terminal, > 0: its width
  unsigned long descriptor_limit = 0;  // > 0: the child's soft and hard RLIMIT_NOFILE
  unsigned long memory_limit = 0;      // > 0: the child's address space in bytes (RLIMIT_AS)
  uid_t other_user = 0;  // > 0: the child runs with this uid and gid and no supplementary groups
};

// A child in its own process group; killed with its group if still running when destroyed.
class child_process {
 public:
  explicit child_process(const process_request& request);
  ~child_process();
  child_process(const child_process&) = delete;
  child_process& operator=(const child_process&) = delete;

  // Waits until the child ends or the deadline passes; true when it ended.
  bool wait_for(int timeout_ms);
  bool running();
  // The exit status 0..255; -1 - signal number when killed by a signal.
  int status() const { return status_; }
  void kill_group();
  pid_t pid() const { return pid_; }
  // With `terminal`: waits until the terminal has shown `wanted`; returns all it showed.
  std::string read_terminal_until(const std::string& wanted, int timeout_ms);
  void write_terminal(const std::string& bytes);

 private:
  pid_t pid_ = -1;
  int terminal_ = -1;
  int terminal_side_ = -1;  // kept open so the terminal never hangs up on the reader
  std::string terminal_output_;
  bool done_ = false;
  int status_ = -1;
};

// Runs a command to its end under a deadline; returns its status, or -1 when
// it did not end in time (a test failure unless `may_time_out`). Standard
// output goes to `output` if given.
int run_command(const std::vector<std::string>& argv, int timeout_ms, std::string* output = nullptr,
                const std::vector<std::pair<std::string, std::string>>& set_env = {}, bool may_time_out = false);

// Runs `action` once, on a thread of its own, as soon as the file or folder
// at `path` is opened (inotify's IN_OPEN; a folder counts when it is opened
// for listing). Lets a test change the tree at a known moment of a run.
class open_watch {
 public:
  open_watch(const std::string& path, std::function<void()> action);
  ~open_watch();  // stops watching; waits for a running action
  open_watch(const open_watch&) = delete;
  open_watch& operator=(const open_watch&) = delete;
  bool fired() const { return fired_; }

 private:
  int inotify_ = -1;
  int stop_[2] = {-1, -1};
  std::atomic<bool> fired_{false};
  std::thread thread_;
};

// Waits until the file at `path` holds `wanted`; true when it came in time.
bool wait_for_text(const std::string& path, const std::string& wanted, int timeout_ms);

// ---- runs of the program -------------------------------------------------------

struct run_request {
  std::string text;  // the exact command-line text
  // Native only: these arguments instead of one argument holding `text`.
  std::vector<std::string> arguments;
  std::string cwd;   // working directory of the program
  stdout_mode out = stdout_mode::capture;
  std::vector<std::pair<std::string, std::string>> set_env;
  std::string display;        // empty: no display at all
  bool show_normal = false;   // Windows: start through the launcher with SW_SHOWNORMAL
  // Windows: through the launcher too, for a text that a batch line cannot
  // carry (cmd reads it in the console code page). Native runs ignore it.
  bool wide_text = false;
  bool terminal = false;      // native only: a controlling pseudo-terminal
  bool output_to_terminal = false;  // with terminal: standard output and error go to it too
  unsigned short terminal_columns = 0;  // with terminal, > 0: its width
  unsigned long descriptor_limit = 0;  // > 0: the program's descriptor limit, soft and hard
  unsigned long memory_limit = 0;      // > 0: the program's address space in bytes
  // Native only, > 0: the program runs as this uid (and gid), from a copy
  // that user can read; see other_user().
  uid_t other_user = 0;
};

struct run_result {
  int status = -1;
  std::string out;  // standard output, exact bytes
  long started = 0;
  long finished = 0;
  bool timed_out = false;
};

// A started run of the program; its standard output can be read while it runs.
class program_run {
 public:
  explicit program_run(const run_request& request);
  ~program_run();
  std::string output_so_far() const;
  // What the run wrote to its standard error so far (Wine's traces, say).
  std::string errors_so_far() const;
  bool running();
  child_process& process() { return *child_; }
  // Waits for the end within the run deadline; kills the group when it passes.
  run_result finish();

 private:
  temp_dir scratch_;
  std::string stdout_path_;
  long started_ = 0;
  child_process* child_ = nullptr;
};

run_result run_program(const run_request& request);

// A uid with no rights of its own that a run may take (other_user), or 0 where
// this process cannot change user (it is not root): the caller skips then.
// The folders a run as that user works in must be open to it (chmod 0755 the
// temp_dir); permissions that refuse it are real for it, unlike for root.
uid_t other_user();

// Environment for the programs: Wine's settings without a display.
std::vector<std::pair<std::string, std::string>> wine_env();

// Environment (LANG, LC_ALL) under which Wine runs brulo.exe with the ANSI code
// page 1252 (C.UTF-8) or 932 (ja_JP.UTF-8, a locale scripts/setup --all makes;
// without it Wine still takes 932 but misreads UTF-8 file names). The Linux
// program's texts do not depend on it.
std::vector<std::pair<std::string, std::string>> code_page_env(int code_page);

// Starts a persistent wineserver and brings the prefix up once (slow the
// first time); stops it again. No-ops for the native target.
void wine_session_start(const std::string& display);
void wine_session_stop();

// Where screenshots go: BRULO_TEST_ARTIFACTS, or a folder in the build tree.
std::string artifacts_dir();

// Seconds since the epoch; used to bound the time stamps the program writes.
long now_seconds();

}  // namespace harness
