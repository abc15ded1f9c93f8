#include "harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <grp.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace harness {
namespace {

std::string env_or(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

std::string absolute(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) != nullptr) return resolved;
  return path;
}

std::string dir_of(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A helper program of the Windows build: beside brulo.exe, or where the build makes it.
std::string helper_beside(const std::string& build_dir, const std::string& name) {
  const std::string beside = build_dir + "/" + name;
  return absolute(exists(beside) ? beside : build_dir + "/tests/e2e/" + name);
}

target_info load_target() {
  target_info info;
#ifdef BRULO_E2E_DEFAULT_PROGRAM
  info.program = env_or("BRULO_E2E_PROGRAM", BRULO_E2E_DEFAULT_PROGRAM);
#else
  info.program = env_or("BRULO_E2E_PROGRAM", "");
#endif
  if (info.program.empty()) throw std::runtime_error("set BRULO_E2E_PROGRAM to the program under test");
  info.program = absolute(info.program);
  const std::string wine = env_or("BRULO_E2E_WINE", "");
  info.wine = wine.empty() ? ends_with(info.program, ".exe") : wine == "1";
  if (info.wine) {
    const std::string build_dir = dir_of(info.program);
    info.wineprefix = absolute(env_or("WINEPREFIX", build_dir + "/wineprefix"));
    const std::string launcher = env_or("BRULO_E2E_LAUNCHER", "");
    info.launcher = launcher.empty() ? helper_beside(build_dir, "show_normal_launcher.exe") : absolute(launcher);
  }
  return info;
}

std::string double_percent(const std::string& text) {
  std::string doubled;
  for (char c : text) {
    doubled.push_back(c);
    if (c == '%') doubled.push_back('%');
  }
  return doubled;
}

std::string format_stamp(long seconds) {
  const time_t t = static_cast<time_t>(seconds);
  struct tm parts {};
  localtime_r(&t, &parts);
  char text[64];
  std::snprintf(text, sizeof text, "%d:%d %d/%d/%d", parts.tm_hour, parts.tm_min, parts.tm_year + 1900,
                parts.tm_mon + 1, parts.tm_mday);
  return text;
}

// Length of a "H:M Y/M/D" stamp at `pos`, or 0.
std::size_t stamp_length(const std::string& bytes, std::size_t pos) {
  // Each field: count of digits allowed, then the byte that follows it.
  const struct {
    int min_digits, max_digits;
    char after;
  } fields[] = {{1, 2, ':'}, {1, 2, ' '}, {4, 4, '/'}, {1, 2, '/'}, {1, 2, '\0'}};
  std::size_t at = pos;
  for (const auto& field : fields) {
    int digits = 0;
    while (at < bytes.size() && digits < field.max_digits && bytes[at] >= '0' && bytes[at] <= '9') {
      ++at;
      ++digits;
    }
    if (digits < field.min_digits) return 0;
    if (field.after != '\0') {
      if (at >= bytes.size() || bytes[at] != field.after) return 0;
      ++at;
    }
  }
  return at - pos;
}

void close_other_fds() {
  const long max_fd = sysconf(_SC_OPEN_MAX);
  for (int fd = 3; fd < (max_fd > 0 && max_fd < 65536 ? max_fd : 4096); ++fd) close(fd);
}

}  // namespace

const target_info& target() {
  static const target_info info = load_target();
  return info;
}

std::string windows_helper(const std::string& name) { return helper_beside(dir_of(target().program), name); }

int run_timeout_ms() { return target().wine ? 60000 : 20000; }

std::string artifacts_dir() {
#ifdef BRULO_E2E_DEFAULT_ARTIFACTS
  const std::string fallback = BRULO_E2E_DEFAULT_ARTIFACTS;
#else
  const std::string fallback = env_or("TMPDIR", "/tmp") + "/brulo_test_artifacts";
#endif
  const std::string dir = env_or("BRULO_TEST_ARTIFACTS", fallback);
  make_dirs(dir);
  return dir;
}

long now_seconds() { return static_cast<long>(::time(nullptr)); }

// ---- scratch folders and files ------------------------------------------------

temp_dir::temp_dir() : temp_dir(env_or("TMPDIR", "/tmp")) {}

temp_dir::temp_dir(const std::string& parent) {
  std::string pattern = parent + "/brulo-e2e.XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed: " + std::string(strerror(errno)));
  path_ = absolute(buffer.data());
}

temp_dir::~temp_dir() { remove_tree(path_); }

void make_dirs(const std::string& path) {
  for (std::size_t end = 1; end <= path.size(); ++end) {
    if (end != path.size() && path[end] != '/') continue;
    const std::string partial = path.substr(0, end);
    if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
      throw std::runtime_error("mkdir " + partial + ": " + strerror(errno));
  }
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) throw std::runtime_error("cannot write " + path);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    ADD_FAILURE() << "missing file " << path;
    return std::string();
  }
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

bool exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

bool is_dir(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

namespace {
void list_into(const std::string& root, const std::string& relative, std::vector<std::string>& out) {
  DIR* dir = opendir((root + (relative.empty() ? "" : "/" + relative)).c_str());
  if (dir == nullptr) return;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string rel = relative.empty() ? name : relative + "/" + name;
    if (is_dir(root + "/" + rel)) {
      out.push_back(rel + "/");
      list_into(root, rel, out);
    } else {
      out.push_back(rel);
    }
  }
  closedir(dir);
}
}  // namespace

std::vector<std::string> list_tree(const std::string& root) {
  std::vector<std::string> out;
  list_into(root, "", out);
  std::sort(out.begin(), out.end());
  return out;
}

void remove_tree(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return;
  if (S_ISDIR(info.st_mode)) {
    chmod(path.c_str(), 0755);
    if (DIR* dir = opendir(path.c_str())) {
      std::vector<std::string> names;
      while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      closedir(dir);
      for (const auto& name : names) remove_tree(path + "/" + name);
    }
    rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}

// ---- how the target writes things ---------------------------------------------

std::string shown(const std::string& unix_path) {
  if (!target().wine) return unix_path;
  std::string path = "Z:" + unix_path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

char separator() { return target().wine ? '\\' : '/'; }

std::string as_written(const std::string& logical) {
  if (!target().wine) return logical;
  std::string text;
  for (char c : logical) {
    if (c == '\n') text.push_back('\r');
    text.push_back(c);
  }
  return text;
}

std::string echoed(const std::string& text) { return text + "\n\n"; }

std::string header() { return echoed("//" + std::string(58, '*')) + echoed("Time <now>"); }

std::string mask_times(const std::string& bytes, long started, long finished) {
  std::set<std::string> seen;
  for (long t = started - 60; t <= finished + 60; t += 30) seen.insert(format_stamp(t));
  seen.insert(format_stamp(finished));

  std::string out;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t line_end = bytes.find('\n', pos);
    if (line_end == std::string::npos) line_end = bytes.size();
    const std::string line = bytes.substr(pos, line_end - pos);
    const std::size_t time_prefix = line.rfind("Time ", 0) == 0 ? 5 : 0;
    const std::size_t length = stamp_length(line, time_prefix);
    std::string rest = length > 0 ? line.substr(time_prefix + length) : std::string();
    if (!rest.empty() && rest.back() == '\r') rest.pop_back();
    const bool whole = length > 0 && (time_prefix > 0 ? rest.empty() : rest == ":");
    if (whole && seen.count(line.substr(time_prefix, length)) != 0) {
      out += line.substr(0, time_prefix) + "<now>" + line.substr(time_prefix + length);
    } else {
      out += line;
    }
    if (line_end < bytes.size()) out.push_back('\n');
    pos = line_end + 1;
  }
  return out;
}

// ---- processes --------------------------------------------------------------------

child_process::child_process(const process_request& request) {
  int pipe_ends[2] = {-1, -1};
  if (request.out == stdout_mode::broken_pipe && pipe(pipe_ends) != 0)
    throw std::runtime_error("pipe failed");
  std::vector<char*> argv;
  for (const auto& arg : request.argv) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  int& terminal_side = terminal_side_;
  winsize size{};
  size.ws_row = 24;
  size.ws_col = request.terminal_columns;
  if (request.terminal &&
      openpty(&terminal_, &terminal_side, nullptr, nullptr, request.terminal_columns > 0 ? &size : nullptr) != 0)
    throw std::runtime_error("openpty failed");
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    if (request.new_session) {
      setsid();
      if (request.terminal) ioctl(terminal_side, TIOCSCTTY, 0);
    } else {
      setpgid(0, 0);
    }
    signal(SIGPIPE, SIG_DFL);
    for (const auto& name : request.unset_env) unsetenv(name.c_str());
    for (const auto& entry : request.set_env) setenv(entry.first.c_str(), entry.second.c_str(), 1);
    if (!request.cwd.empty() && chdir(request.cwd.c_str()) != 0) _exit(126);
    const int null_device = open("/dev/null", O_RDWR);
    dup2(null_device, STDIN_FILENO);
    const std::string err_path = request.stdout_path.empty() ? std::string() : request.stdout_path + ".err";
    const int err_fd = err_path.empty() ? null_device : open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(err_fd >= 0 ? err_fd : null_device, STDERR_FILENO);
    switch (request.out) {
      case stdout_mode::capture: {
        const int fd = request.stdout_path.empty()
                           ? null_device
                           : open(request.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDOUT_FILENO);
        break;
      }
      case stdout_mode::broken_pipe:
        dup2(pipe_ends[1], STDOUT_FILENO);
        break;
      case stdout_mode::closed:
        break;
    }
    if (request.output_to_terminal) {
      dup2(terminal_side, STDOUT_FILENO);
      dup2(terminal_side, STDERR_FILENO);
    }
    close_other_fds();
    if (request.out == stdout_mode::closed) close(STDOUT_FILENO);
    if (request.descriptor_limit > 0) {
      const rlimit limit{request.descriptor_limit, request.descriptor_limit};
      if (setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(126);
    }
    if (request.memory_limit > 0) {
      const rlimit limit{request.memory_limit, request.memory_limit};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(126);
    }
    if (request.other_user > 0) {
      const uid_t user = request.other_user;
      if (setgroups(0, nullptr) != 0 || setresgid(user, user, user) != 0 || setresuid(user, user, user) != 0)
        _exit(126);
    }
    execvp(argv[0], argv.data());
    _exit(127);
  }
  if (request.out == stdout_mode::broken_pipe) {
    // The reader is gone before the child writes anything.
    close(pipe_ends[0]);
    close(pipe_ends[1]);
  }
}

child_process::~child_process() {
  if (!done_ && pid_ > 0) {
    kill_group();
    int ignored = 0;
    waitpid(pid_, &ignored, 0);
  }
  if (terminal_ >= 0) close(terminal_);
  if (terminal_side_ >= 0) close(terminal_side_);
}

std::string child_process::read_terminal_until(const std::string& wanted, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (terminal_output_.find(wanted) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd ready{terminal_, POLLIN, 0};
    if (poll(&ready, 1, 50) <= 0) continue;
    char chunk[512];
    const ssize_t got = read(terminal_, chunk, sizeof chunk);
    if (got <= 0) break;
    terminal_output_.append(chunk, static_cast<std::size_t>(got));
  }
  return terminal_output_;
}

void child_process::write_terminal(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(terminal_, bytes.data() + done, bytes.size() - done);
    if (put <= 0) throw std::runtime_error("writing to the terminal failed");
    done += static_cast<std::size_t>(put);
  }
}

bool child_process::running() {
  if (done_) return false;
  int raw = 0;
  const pid_t got = waitpid(pid_, &raw, WNOHANG);
  if (got == pid_) {
    done_ = true;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : (WIFSIGNALED(raw) ? -1 - WTERMSIG(raw) : -1);
    return false;
  }
  return true;
}

bool child_process::wait_for(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (running()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

void child_process::kill_group() {
  if (pid_ > 0) kill(-pid_, SIGKILL);
}

int run_command(const std::vector<std::string>& argv, int timeout_ms, std::string* output,
                const std::vector<std::pair<std::string, std::string>>& set_env, bool may_time_out) {
  temp_dir scratch;
  process_request request;
  request.argv = argv;
  request.set_env = set_env;
  if (output != nullptr) request.stdout_path = scratch / "out";
  child_process child(request);
  if (!child.wait_for(timeout_ms)) {
    child.kill_group();
    child.wait_for(5000);
    if (!may_time_out)
      ADD_FAILURE() << "timed out after " << timeout_ms << " ms: " << argv[0] << (argv.size() > 1 ? " " + argv[1] : "");
    return -1;
  }
  if (output != nullptr) *output = read_file(request.stdout_path);
  return child.status();
}

open_watch::open_watch(const std::string& path, std::function<void()> action) {
  inotify_ = inotify_init1(IN_CLOEXEC);
  if (inotify_ < 0 || pipe2(stop_, O_CLOEXEC) != 0 || inotify_add_watch(inotify_, path.c_str(), IN_OPEN) < 0) {
    ADD_FAILURE() << "cannot watch " << path;
    return;
  }
  thread_ = std::thread([this, action] {
    pollfd waits[2] = {{inotify_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    while (poll(waits, 2, -1) > 0 || errno == EINTR) {
      if (waits[1].revents != 0) return;
      if (waits[0].revents == 0) continue;
      alignas(inotify_event) char events[4096];
      if (read(inotify_, events, sizeof events) <= 0) return;
      action();
      fired_ = true;
      return;
    }
  });
}

open_watch::~open_watch() {
  if (stop_[1] >= 0 && write(stop_[1], "x", 1) < 0) ADD_FAILURE() << "cannot stop a watch";
  if (thread_.joinable()) thread_.join();
  for (int fd : {inotify_, stop_[0], stop_[1]})
    if (fd >= 0) close(fd);
}

bool wait_for_text(const std::string& path, const std::string& wanted, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    if (content.str().find(wanted) != std::string::npos) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// ---- runs of the program ----------------------------------------------------------

std::vector<std::pair<std::string, std::string>> wine_env() {
  return {{"WINEPREFIX", target().wineprefix},
          {"WINEDEBUG", "-all"},
          // No installer windows for Mono or Gecko when the prefix is new.
          {"WINEDLLOVERRIDES", "mscoree,mshtml="}};
}

std::vector<std::pair<std::string, std::string>> code_page_env(int code_page) {
  std::string locale;
  if (code_page == 1252) {
    locale = "C.UTF-8";
  } else if (code_page == 932) {
    locale = "ja_JP.UTF-8";
  } else {
    throw std::runtime_error("no locale for code page " + std::to_string(code_page));
  }
  return {{"LANG", locale}, {"LC_ALL", locale}};
}

namespace {
// The program as a user without rights can start it: the build tree may lie
// in a folder only its owner can enter.
const std::string& program_for_other_user() {
  static temp_dir folder;
  static const std::string copy = [] {
    const std::string path = folder / "brulo";
    write_file(path, read_file(target().program));
    if (chmod(folder.path().c_str(), 0755) != 0 || chmod(path.c_str(), 0755) != 0)
      throw std::runtime_error("cannot open the program's copy to other users");
    return path;
  }();
  return copy;
}
}  // namespace

uid_t other_user() { return geteuid() == 0 && !target().wine ? 65534 : 0; }

program_run::program_run(const run_request& request) {
  const target_info& info = target();
  process_request process;
  process.cwd = request.cwd;
  stdout_path_ = scratch_ / "stdout";
  process.stdout_path = stdout_path_;
  process.out = request.out;
  process.terminal = request.terminal;
  process.output_to_terminal = request.output_to_terminal;
  process.terminal_columns = request.terminal_columns;
  process.descriptor_limit = request.descriptor_limit;
  process.memory_limit = request.memory_limit;
  process.other_user = request.other_user;
  process.unset_env = {"WAYLAND_DISPLAY"};
  if (request.display.empty()) {
    process.unset_env.push_back("DISPLAY");
  } else {
    process.set_env.push_back({"DISPLAY", request.display});
  }
  if (!info.wine) {
    process.argv = {request.other_user > 0 ? program_for_other_user() : info.program};
    // One argument that is not a tree option carries the text as it is.
    if (!request.text.empty()) process.argv.push_back(request.text);
    process.argv.insert(process.argv.end(), request.arguments.begin(), request.arguments.end());
  } else {
    for (const auto& entry : wine_env()) process.set_env.push_back(entry);
    if (request.show_normal || request.wide_text) {
      process.argv = {"wine", info.launcher, shown(info.program), request.text};
      // Wine would take any file the loader opens in place of a closed one for the output.
      if (request.out == stdout_mode::closed) process.argv.insert(process.argv.begin() + 2, "-no-output");
    } else {
      // Wine quotes again an argument holding spaces or quotes; a batch line
      // hands the text over untouched.
      if (request.text.find_first_of("&|<>^\r\n") != std::string::npos)
        throw std::runtime_error("text not expressible in a batch line: " + request.text);
      const std::string batch = scratch_ / "run.bat";
      write_file(batch, "@\"" + double_percent(shown(info.program)) + "\"" + (request.text.empty() ? "" : " ") +
                            double_percent(request.text) + "\r\n");
      process.argv = {"wine", "cmd", "/c", shown(batch)};
    }
  }
  for (const auto& entry : request.set_env) process.set_env.push_back(entry);
  started_ = now_seconds();
  child_ = new child_process(process);
}

program_run::~program_run() { delete child_; }

std::string program_run::output_so_far() const {
  std::ifstream file(stdout_path_, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

std::string program_run::errors_so_far() const {
  std::ifstream file(stdout_path_ + ".err", std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

bool program_run::running() { return child_->running(); }

run_result program_run::finish() {
  run_result result;
  result.started = started_;
  if (!child_->wait_for(run_timeout_ms())) {
    child_->kill_group();
    child_->wait_for(5000);
    result.timed_out = true;
    ADD_FAILURE() << "the program did not end within " << run_timeout_ms() << " ms";
  }
  result.finished = now_seconds();
  result.status = child_->status();
  result.out = output_so_far();
  return result;
}

run_result run_program(const run_request& request) {
  program_run run(request);
  return run.finish();
}

// ---- Wine ---------------------------------------------------------------------------

namespace {
bool started_wineserver = false;
}

void wine_session_start(const std::string& display) {
  if (!target().wine) return;
  auto env = wine_env();
  if (!display.empty()) env.push_back({"DISPLAY", display});
  // The server needs the prefix folder; Wine fills a new one on first use.
  make_dirs(target().wineprefix);
  // A server that stays up between runs spares each run Wine's start-up. One
  // already serving this prefix (status 2) is used as it is and left running.
  int server = run_command({"wineserver", "-p"}, 60000, nullptr, env);
  if (server == 2) {
    // Another session's server: one started without -p ends a few seconds
    // after its last program, and this suite then gets a server of its own.
    run_command({"wineserver", "-w"}, 20000, nullptr, env, true);
    server = run_command({"wineserver", "-p"}, 60000, nullptr, env);
  }
  if (server != 0 && server != 2) throw std::runtime_error("wineserver -p failed");
  started_wineserver = server == 0;
  // The first use of a prefix builds it; later uses just start Wine's services.
  process_request boot;
  boot.argv = {"wine", "cmd", "/c", "exit"};
  boot.set_env = env;
  if (display.empty()) boot.unset_env = {"DISPLAY", "WAYLAND_DISPLAY"};
  child_process child(boot);
  if (!child.wait_for(300000)) {
    child.kill_group();
    throw std::runtime_error("Wine did not come up within 5 minutes");
  }
}

void wine_session_stop() {
  if (!target().wine || !started_wineserver) return;
  run_command({"wineserver", "-k"}, 60000, nullptr, wine_env());
  // Gone for good before the next suite starts a server of its own.
  run_command({"wineserver", "-w"}, 60000, nullptr, wine_env(), true);
}

}  // namespace harness
