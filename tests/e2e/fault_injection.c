// Preloaded into the Linux program by the fault sweep: numbers the program's
// own file-system calls in the order they come and fails the one numbered
// BRULO_FAULT_AT with the error a real disk would give for that call. Only
// calls made from the program's own code count: the C library's inner calls
// never pass through here, and other libraries' calls are told apart by their
// caller. Opens of the logs (appends) do not count.
//   BRULO_FAULT_AT     the call to fail, from 1
//   BRULO_FAULT_COUNT  file that receives the number of calls at exit
//   BRULO_FAULT_TRACE  file that receives "N call ERROR path" for every call counted,
//                      with the error it gets when failed
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <link.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static uintptr_t program_start = UINTPTR_MAX, program_end;
static long fail_at = -1;
static long calls;
static FILE* trace;

// The program's own mapped segments: the first object the loader lists.
static int find_program(struct dl_phdr_info* info, size_t size, void* data) {
  (void)size, (void)data;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)* segment = &info->dlpi_phdr[i];
    if (segment->p_type != PT_LOAD) continue;
    const uintptr_t start = info->dlpi_addr + segment->p_vaddr;
    if (start < program_start) program_start = start;
    if (start + segment->p_memsz > program_end) program_end = start + segment->p_memsz;
  }
  return 1;
}

__attribute__((constructor)) static void start(void) {
  dl_iterate_phdr(find_program, NULL);
  const char* at = getenv("BRULO_FAULT_AT");
  if (at != NULL) fail_at = atol(at);
  const char* trace_path = getenv("BRULO_FAULT_TRACE");
  if (trace_path != NULL) trace = fopen(trace_path, "we");
}

__attribute__((destructor)) static void finish(void) {
  const char* count_path = getenv("BRULO_FAULT_COUNT");
  FILE* count = count_path != NULL ? fopen(count_path, "we") : NULL;
  if (count != NULL) fprintf(count, "%ld\n", calls), fclose(count);
  if (trace != NULL) fclose(trace);
}

// The full path a call names: `name` below the folder `dir` holds.
static void describe(int dir, const char* name, char* path, size_t size) {
  char link[64];
  ssize_t length = 0;
  if (name != NULL && strncmp(name, "/proc/self/fd/", 14) == 0) {
    length = readlink(name, path, size - 1);  // a file reopened through its handle
    name = NULL;
  } else if (name == NULL || name[0] != '/') {
    snprintf(link, sizeof link, dir == AT_FDCWD ? "/proc/self/cwd" : "/proc/self/fd/%d", dir);
    length = readlink(link, path, size - 1);
  }
  path[length < 0 ? 0 : length] = '\0';
  if (name != NULL && name[0] != '\0')
    snprintf(path + strlen(path), size - strlen(path), "%s%s", length > 0 ? "/" : "", name);
}

// Counts a call of the program's own; true when it is the one to fail, with errno set.
static int fails(const void* caller, const char* call, int dir, const char* name, int error) {
  if ((uintptr_t)caller < program_start || (uintptr_t)caller >= program_end) return 0;
  const long number = __atomic_add_fetch(&calls, 1, __ATOMIC_SEQ_CST);
  if (trace != NULL) {
    char path[4096];
    describe(dir, name, path, sizeof path);
    fprintf(trace, "%ld %s %s %s\n", number, call, strerrorname_np(error), path);
    fflush(trace);
  }
  if (number != fail_at) return 0;
  errno = error;
  return 1;
}

#define REAL(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))
#define CALLER __builtin_return_address(0)

// The trash's own files are made with O_CREAT; the logs, appended to, do not count.
static int open_fails(const void* caller, const char* call, int dir, const char* path, int flags) {
  return !(flags & O_APPEND) && fails(caller, call, dir, path, flags & O_CREAT ? ENOSPC : EACCES);
}
#define MODE(mode, flags)                         \
  mode_t mode = 0;                                \
  if ((flags) & (O_CREAT | __O_TMPFILE)) {        \
    va_list rest;                                 \
    va_start(rest, flags);                        \
    mode = va_arg(rest, mode_t);                  \
    va_end(rest);                                 \
  }
#define OPEN(name)                                                             \
  int name(const char* path, int flags, ...) {                                 \
    MODE(mode, flags)                                                          \
    if (open_fails(CALLER, #name, AT_FDCWD, path, flags)) return -1;           \
    return REAL(name)(path, flags, mode);                                      \
  }
#define OPENAT(name)                                                           \
  int name(int dir, const char* path, int flags, ...) {                        \
    MODE(mode, flags)                                                          \
    if (open_fails(CALLER, #name, dir, path, flags)) return -1;                \
    return REAL(name)(dir, path, flags, mode);                                 \
  }
OPEN(open)
OPEN(open64)
OPENAT(openat)
OPENAT(openat64)

ssize_t read(int file, void* buffer, size_t size) {
  if (fails(CALLER, "read", file, NULL, EIO)) return -1;
  return REAL(read)(file, buffer, size);
}

ssize_t getdents64(int dir, void* buffer, size_t size) {
  if (fails(CALLER, "getdents64", dir, NULL, EIO)) return -1;
  return REAL(getdents64)(dir, buffer, size);
}

#define STAT(name, type)                                          \
  int name(const char* path, struct type* info) {                 \
    if (fails(CALLER, #name, AT_FDCWD, path, EACCES)) return -1;  \
    return REAL(name)(path, info);                                \
  }
#define FSTATAT(name, type)                                                \
  int name(int dir, const char* path, struct type* info, int flags) {      \
    if (fails(CALLER, #name, dir, path, EACCES)) return -1;                \
    return REAL(name)(dir, path, info, flags);                             \
  }
STAT(stat, stat)
STAT(stat64, stat64)
FSTATAT(fstatat, stat)
FSTATAT(fstatat64, stat64)

int statx(int dir, const char* path, int flags, unsigned mask, struct statx* info) {
  if (fails(CALLER, "statx", dir, path, EACCES)) return -1;
  return REAL(statx)(dir, path, flags, mask, info);
}

int unlinkat(int dir, const char* path, int flags) {
  if (fails(CALLER, "unlinkat", dir, path, EBUSY)) return -1;
  return REAL(unlinkat)(dir, path, flags);
}

int renameat(int from_dir, const char* from, int to_dir, const char* to) {
  if (fails(CALLER, "renameat", from_dir, from, EBUSY)) return -1;
  return REAL(renameat)(from_dir, from, to_dir, to);
}

int renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
  if (fails(CALLER, "renameat2", from_dir, from, EBUSY)) return -1;
  return REAL(renameat2)(from_dir, from, to_dir, to, flags);
}

int mkdirat(int dir, const char* path, mode_t mode) {
  if (fails(CALLER, "mkdirat", dir, path, ENOSPC)) return -1;
  return REAL(mkdirat)(dir, path, mode);
}
