#include "platform/desktop/desktop_prompt_posix.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/process/descriptor_limit.h"

namespace platform {
bool display_available() {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (display != nullptr && *display != '\0') || (wayland != nullptr && *wayland != '\0');
}

namespace {
struct file_closer {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// dup2 onto itself is a no-op that would leave the close-on-exec flag set.
void place_descriptor(int fd, int target) {
  if (fd == target) {
    fcntl(fd, F_SETFD, 0);
  } else {
    dup2(fd, target);
  }
}

std::string read_back(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char chunk[512];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
  return text;
}
}  // namespace

int run_zenity(const std::vector<std::string>& arguments, std::string* output) {
  // zenity's complaints are read back afterwards: they tell a display that does
  // not answer from a cancel, as zenity exits with 1 for both.
  const std::unique_ptr<std::FILE, file_closer> complaints(std::tmpfile());
  if (!complaints) return -1;
  // Neither zenity nor what it starts keeps our descriptors: only the copies
  // placed on 0, 1 and 2 reach it.
  fcntl(fileno(complaints.get()), F_SETFD, FD_CLOEXEC);
  int pipe_ends[2] = {-1, -1};
  if (output != nullptr && pipe2(pipe_ends, O_CLOEXEC) != 0) return -1;

  std::vector<char*> argv;
  static char program[] = "zenity";
  argv.push_back(program);
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child == 0) {
    // zenity talks to the display only: no input from us, and nothing of its own in our output.
    const int null_device = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null_device < 0) _exit(127);
    place_descriptor(null_device, STDIN_FILENO);
    place_descriptor(output != nullptr ? pipe_ends[1] : null_device, STDOUT_FILENO);
    place_descriptor(fileno(complaints.get()), STDERR_FILENO);
    restore_descriptor_limit();
    execvp(argv[0], argv.data());
    _exit(127);
  }
  if (output != nullptr) close(pipe_ends[1]);
  if (child < 0) {
    if (output != nullptr) close(pipe_ends[0]);
    return -1;
  }
  if (output != nullptr) {
    char chunk[512];
    for (;;) {
      const ssize_t got = read(pipe_ends[0], chunk, sizeof chunk);
      if (got > 0) {
        output->append(chunk, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        break;
      }
    }
    close(pipe_ends[0]);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 127) return -1;
  // A stale DISPLAY (an SSH session's, say): GTK could not reach it, nothing was shown.
  if (WEXITSTATUS(status) == 1 && read_back(complaints.get()).find("cannot open display") != std::string::npos)
    return -1;
  return WEXITSTATUS(status);
}

namespace {
void write_all(int terminal, const std::string& text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t put = write(terminal, text.data() + written, text.size() - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    written += static_cast<std::size_t>(put);
  }
}
}  // namespace

void tell_terminal(const std::string& text) {
  const int terminal = open("/dev/tty", O_WRONLY | O_NOCTTY);
  if (terminal < 0) return;
  write_all(terminal, text);
  close(terminal);
}

bool ask_terminal(const std::string& prompt, std::string& answer) {
  const int terminal = open("/dev/tty", O_RDWR | O_NOCTTY);
  if (terminal < 0) return false;
  write_all(terminal, prompt);
  answer.clear();
  char byte = 0;
  for (;;) {
    const ssize_t got = read(terminal, &byte, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || byte == '\n') break;
    answer.push_back(byte);
  }
  close(terminal);
  return true;
}
}  // namespace platform
