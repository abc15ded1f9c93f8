#include "platform/files/file_removal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/text/error_codes.h"
#include "platform/text/last_error_posix.h"
#include "platform/files/held_descriptor_posix.h"
#include "platform/files/trash_info_posix.h"
#include "platform/files/trash_places_posix.h"
#include "platform/files/tree_entry_posix.h"
#include "platform/process/current_directory.h"

namespace platform {
namespace {
bool same_file(const struct stat& info, const file_identity& identity) {
  return static_cast<std::uint64_t>(info.st_dev) == identity.volume &&
         static_cast<std::uint64_t>(info.st_ino) == identity.index;
}

// Whether the entry, whose own status is `own`, still leads to the file that
// was judged (itself, or for a link the file it names): 0 when it does,
// ENOENT when another file stands there now, or why it could not be asked.
int differs_from_judged(const tree_entry& entry, const struct stat& own, const file_identity& judged) {
  if (!judged.known) return 0;
  struct stat target = own;
  if (S_ISLNK(own.st_mode) && fstatat(at_base(entry), at_name(entry), &target, 0) != 0) return errno;
  return same_file(target, judged) ? 0 : ENOENT;
}

// A file that is no longer there is gone; anything else that keeps it from
// the trash is a refusal: the file is kept and reported, and the run goes on.
removal_result trash_failure(int error_number) {
  const std::uint32_t code = error_code_from_errno(error_number);
  const bool gone = code == error_code::file_not_found || code == error_code::path_not_found;
  return {gone ? removal_outcome::gone : removal_outcome::refused, code};
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
  if (const int differs = differs_from_judged(entry, own, judged)) {
    errno = differs;
    return false;
  }
  return unlinkat(at_base(entry), at_name(entry), 0) == 0;
}

removal_result move_to_recycle_bin(const tree_entry& entry, const file_identity& judged) {
  struct stat own {};
  if (fstatat(at_base(entry), at_name(entry), &own, AT_SYMLINK_NOFOLLOW) != 0) return trash_failure(errno);
  if (const int differs = differs_from_judged(entry, own, judged)) return trash_failure(differs);
  // From here on the file is named only by its directory's descriptor and its
  // name there: a folder on its path swapped for a link cannot send another.
  int directory = directory_descriptor(entry);
  held_descriptor opened;
  if (directory < 0) {
    const std::string path = entry.path;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    opened.reset(open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    directory = opened.get();
  }
  int error = directory < 0 ? errno : 0;
  if (error == 0) {
    trash_places for_this_file;
    trash_places* places = session_trash_places();
    const std::string working_directory = entry.path[0] == '/' ? std::string() : get_current_directory();
    error = (places != nullptr ? places : &for_this_file)
                ->take(directory, at_base(entry), at_name(entry), own.st_dev,
                       absolute_path(entry.path, working_directory));
  }
  if (error == 0) return {removal_outcome::removed, error_code::success};
  struct stat now {};
  if (fstatat(at_base(entry), at_name(entry), &now, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT)
    return {removal_outcome::gone, error_code::file_not_found};
  // Not a file gone: the trash's own ENOENT (no home, say) is a refusal too.
  return {removal_outcome::refused, error_code_from_errno(error)};
}
}  // namespace platform
