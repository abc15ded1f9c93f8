// Holds a file open without read sharing, as development tools hold a program
// database while a solution is open, until it is killed.
// Usage: hold_open FILE. Writes "held" once the file is open.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: hold_open FILE\n");
    return 2;
  }
  const HANDLE file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
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
