// Holds a file or folder open, as development tools hold a program database
// while a solution is open (no read sharing) and as an indexer or scanner may
// hold a folder (no sharing at all), until it is killed.
// Usage: hold_open PATH [SHARE_MODE]. Writes "held" once it is open.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: hold_open PATH [SHARE_MODE]\n");
    return 2;
  }
  const DWORD attributes = GetFileAttributesA(argv[1]);
  const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const DWORD share = argc == 3 ? std::strtoul(argv[2], nullptr, 0) : FILE_SHARE_WRITE;
  const HANDLE file = CreateFileA(argv[1], GENERIC_READ | (folder ? 0 : GENERIC_WRITE), share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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
