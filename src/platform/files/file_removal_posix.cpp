#include "platform/files/file_removal.h"

#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/text/error_codes.h"
#include "platform/text/last_error_posix.h"
#include "platform/files/tree_entry_posix.h"

namespace platform {
namespace {
bool same_file(const struct stat& info, const file_identity& identity) {
  return static_cast<std::uint64_t>(info.st_dev) == identity.volume &&
         static_cast<std::uint64_t>(info.st_ino) == identity.index;
}

// Whether the entry, whose own status is `own`, still leads to the file that
// was judged: itself, or for a link the file it names.
bool leads_to_judged(const tree_entry& entry, const struct stat& own, const file_identity& judged) {
  if (!judged.known) return true;
  if (!S_ISLNK(own.st_mode)) return same_file(own, judged);
  struct stat target {};
  return fstatat(at_base(entry), at_name(entry), &target, 0) == 0 && same_file(target, judged);
}

removal_result failure_from_errno(int error_number) {
  const std::uint32_t code = error_code_from_errno(error_number);
  const bool gone = code == error_code::file_not_found || code == error_code::path_not_found;
  return {gone ? removal_outcome::gone : removal_outcome::failed, code};
}
}  // namespace

bool delete_file(const tree_entry& entry, const file_identity& judged) {
  struct stat own {};
  if (fstatat(at_base(entry), at_name(entry), &own, AT_SYMLINK_NOFOLLOW) != 0) return false;
  // Windows refuses to delete a read-only file; a file without any write
  // permission bit is the read-only file of this platform.
  if (!S_ISLNK(own.st_mode) && (own.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    errno = EACCES;
    return false;
  }
  // Narrows the time in which another file put in its place would go instead.
  if (!leads_to_judged(entry, own, judged)) {
    errno = ENOENT;
    return false;
  }
  return unlinkat(at_base(entry), at_name(entry), 0) == 0;
}

removal_result move_to_recycle_bin(const tree_entry& entry, const char* path_block, const file_identity& judged) {
  // The trash takes a path, but the file was judged through its directory: a
  // directory on the way swapped for a link since then would send another
  // file. Both must name the same entry, and it the judged file.
  struct stat own {};
  if (fstatat(at_base(entry), at_name(entry), &own, AT_SYMLINK_NOFOLLOW) != 0) return failure_from_errno(errno);
  struct stat by_path {};
  if (lstat(path_block, &by_path) != 0) return failure_from_errno(errno);
  if (by_path.st_dev != own.st_dev || by_path.st_ino != own.st_ino || !leads_to_judged(entry, own, judged))
    return {removal_outcome::gone, error_code::file_not_found};

  GFile* file = g_file_new_for_path(path_block);
  GError* error = nullptr;
  const gboolean moved = g_file_trash(file, nullptr, &error);
  g_object_unref(file);
  if (moved) return {removal_outcome::removed, error_code::success};
  // Only a refusal is passed over; any other failure (no trash on that
  // volume, say) ends the run rather than deleting the file for good.
  removal_result result{removal_outcome::failed, error_code::io_device};
  if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED))
    result = {removal_outcome::refused, error_code::access_denied};
  else if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NOT_FOUND))
    result = {removal_outcome::gone, error_code::file_not_found};
  g_error_free(error);
  return result;
}
}  // namespace platform
