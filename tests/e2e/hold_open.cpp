// Holds a file open without read sharing, as development tools hold a program
// database while a solution is open, until it is killed.
// Usage: hold_open PATH [SHARE_MODE]: a folder too, as an indexer may hold one with 0.
// Writes "held" once it is open.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: hold_open PATH [SHARE_MODE]\n");
    return 2;
  }
  const bool folder = (GetFileAttributesA(argv[1]) & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const HANDLE file = CreateFileA(argv[1], GENERIC_READ | (folder ? 0 : GENERIC_WRITE),
                                  argc == 3 ? std::strtoul(argv[2], nullptr, 0) : FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "hold_open: CreateFileA failed with %lu\n", GetLastError());
    return 3;
  }
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(INFINITE);
  CloseHandle(file);
  return 0;
}
