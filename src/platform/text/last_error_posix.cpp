#include "platform/text/last_error.h"

#include <cerrno>

#include "platform/text/error_codes.h"
#include "platform/text/last_error_posix.h"

namespace platform {
namespace {
struct errno_entry {
  int error_number;
  std::uint32_t code;
};

// The first entry for a code is the errno that stands for it when set.
constexpr errno_entry errno_table[] = {
    {0, error_code::success},
    {ENOENT, error_code::file_not_found},
    {ENOTDIR, error_code::path_not_found},
    {EMFILE, error_code::too_many_open_files},
    {ENFILE, error_code::too_many_open_files},
    {EACCES, error_code::access_denied},
    {EPERM, error_code::access_denied},
    {EISDIR, error_code::access_denied},
    {EBADF, error_code::invalid_handle},
    {ENOMEM, error_code::not_enough_memory},
    {EXDEV, error_code::not_same_device},
    {EROFS, error_code::write_protect},
    {ETXTBSY, error_code::sharing_violation},
    {EEXIST, error_code::file_exists},
    {EINVAL, error_code::invalid_parameter},
    {ENOSPC, error_code::disk_full},
    {EDQUOT, error_code::disk_full},
    {ENOTEMPTY, error_code::dir_not_empty},
    {EBUSY, error_code::busy},
    {ENAMETOOLONG, error_code::filename_too_long},
    {ENXIO, error_code::bad_file_type},
    {EIO, error_code::io_device},
    {ELOOP, error_code::cant_resolve_filename},
};
}  // namespace

std::uint32_t error_code_from_errno(int error_number) {
  for (const auto& entry : errno_table)
    if (entry.error_number == error_number) return entry.code;
  return error_code::gen_failure;
}

int errno_from_error_code(std::uint32_t code) {
  for (const auto& entry : errno_table)
    if (entry.code == code) return entry.error_number;
  return EIO;
}

std::uint32_t get_last_error() { return error_code_from_errno(errno); }

void set_last_error(std::uint32_t code) { errno = errno_from_error_code(code); }

int native_last_error() { return errno; }

void set_native_last_error(int error) { errno = error; }

const int native_path_not_found = ENOENT;
}  // namespace platform
