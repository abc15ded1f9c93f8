// Starts a program as a desktop shortcut does: shown with SW_SHOWNORMAL,
// sharing this console's standard handles (with -no-output, no standard
// output at all, as from Explorer), and hands back its exit code. The text
// goes over as UTF-16, so it may hold any character.
// Usage: show_normal_launcher [-no-output] PROGRAM [COMMAND-LINE-TEXT]
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  const bool no_output = argc > 1 && std::wstring(argv[1]) == L"-no-output";
  if (no_output) {
    --argc;
    ++argv;
  }
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: show_normal_launcher [-no-output] PROGRAM [COMMAND-LINE-TEXT]\n");
    return 2;
  }
  // The program sees everything after its quoted name as its command-line text.
  std::wstring command = std::wstring(L"\"") + argv[1] + L"\"";
  if (argc == 3 && argv[2][0] != L'\0') command += std::wstring(L" ") + argv[2];

  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_SHOWNORMAL;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = no_output ? nullptr : GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);

  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof process);
  if (!CreateProcessW(argv[1], &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "show_normal_launcher: CreateProcessW failed with %lu\n", GetLastError());
    return 3;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
