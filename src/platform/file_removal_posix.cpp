#include "platform/file_removal.h"

#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/tree_entry_posix.h"

namespace platform {
bool delete_file(const tree_entry& entry) {
  struct stat info {};
  if (fstatat(at_base(entry), at_name(entry), &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
  // Windows refuses to delete a read-only file; a file without any write
  // permission bit is the read-only file of this platform.
  if (!S_ISLNK(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    errno = EACCES;
    return false;
  }
  return unlinkat(at_base(entry), at_name(entry), 0) == 0;
}

bool move_to_recycle_bin(const char* path_block) {
  GFile* file = g_file_new_for_path(path_block);
  GError* error = nullptr;
  const gboolean moved = g_file_trash(file, nullptr, &error);
  g_object_unref(file);
  if (moved) return true;
  // Only a refusal counts as the tolerated "access denied"; any other failure
  // (no trash on that volume, say) must end the run rather than be skipped.
  if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED))
    errno = EACCES;
  else if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NOT_FOUND))
    errno = ENOENT;
  else
    errno = EIO;
  g_error_free(error);
  return false;
}
}  // namespace platform
