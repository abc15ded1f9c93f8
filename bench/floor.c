/* The least work any correct clean must do: one listing per directory, one
   read of the first bytes per candidate, one unlink per proven output. The
   yardstick bench/compare measures brulo against. Usage: floor DIR */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

static const struct {
  const char *ext;
  const char *sig;
  size_t len;
} rules[] = {
    {"sbr", "\x00\x02\x00\x07\x00", 5},
    {"obj", "\x4C\x01", 2},
    {"pch", "VCPCH", 5},
    {"ilk", "Microsoft Linker Database", 25},
    {"bsc", "Microsoft C/C++ program database", 32},
    {"pdb", "Microsoft C/C++ program database", 32},
    {"idb", "Microsoft C/C++ program database", 32},
    {"res", "\x00\x00\x00\x00\x20\x00\x00\x00\xFF\xFF\x00\x00\xFF\xFF\x00\x00", 16},
    {"opp", "\x4C\x01\x1C\x00\x00\x00\x00", 7},
    {"o", "\x4C\x01\x1C\x00\x00\x00\x00", 7},
};

static long removed;

static void clean(int dir) {
  DIR *listing = fdopendir(dir);
  if (!listing) return;
  struct dirent *e;
  while ((e = readdir(listing))) {
    if (e->d_name[0] == '.' && (!e->d_name[1] || (e->d_name[1] == '.' && !e->d_name[2]))) continue;
    if (e->d_type == DT_DIR) {
      int sub = openat(dir, e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
      if (sub >= 0) clean(sub);
      continue;
    }
    const char *dot = strrchr(e->d_name, '.');
    if (!dot) continue;
    for (size_t i = 0; i < sizeof rules / sizeof rules[0]; ++i) {
      if (strcasecmp(dot + 1, rules[i].ext) != 0) continue;
      unsigned char head[64] = {0};
      int fd = openat(dir, e->d_name, O_RDONLY);
      if (fd < 0) break;
      if (read(fd, head, sizeof head) < 0) head[0] = 0xEE;
      close(fd);
      if (memcmp(head, rules[i].sig, rules[i].len) == 0 && unlinkat(dir, e->d_name, 0) == 0) ++removed;
      break;
    }
  }
  closedir(listing);
}

int main(int argc, char **argv) {
  if (argc != 2) return 2;
  int root = open(argv[1], O_RDONLY | O_DIRECTORY);
  if (root < 0) return 1;
  clean(root);
  fprintf(stderr, "%ld removed\n", removed);
  return 0;
}
