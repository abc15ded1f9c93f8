#include "platform/text/system_message.h"

#include "platform/text/error_codes.h"

namespace platform {
namespace {
struct message_entry {
  std::uint32_t code;
  const char* text;
};

// Worded as the Windows system texts are, so reports read the same; a bare line
// feed ends them, as every line of a Linux log.
constexpr message_entry message_table[] = {
    {error_code::success, "The operation completed successfully.\n"},
    {error_code::file_not_found, "The system cannot find the file specified.\n"},
    {error_code::path_not_found, "The system cannot find the path specified.\n"},
    {error_code::too_many_open_files, "The system cannot open the file.\n"},
    {error_code::access_denied, "Access is denied.\n"},
    {error_code::invalid_handle, "The handle is invalid.\n"},
    {error_code::not_enough_memory, "Not enough memory resources are available to process this command.\n"},
    {error_code::not_same_device, "The system cannot move the file to a different disk drive.\n"},
    {error_code::no_more_files, "There are no more files.\n"},
    {error_code::write_protect, "The media is write protected.\n"},
    {error_code::gen_failure, "A device attached to the system is not functioning.\n"},
    {error_code::sharing_violation,
     "The process cannot access the file because it is being used by another process.\n"},
    {error_code::file_exists, "The file exists.\n"},
    {error_code::invalid_parameter, "The parameter is incorrect.\n"},
    {error_code::disk_full, "There is not enough space on the disk.\n"},
    {error_code::dir_not_empty, "The directory is not empty.\n"},
    {error_code::busy, "The requested resource is in use.\n"},
    {error_code::filename_too_long, "The filename or extension is too long.\n"},
    {error_code::bad_file_type, "The file type being saved or retrieved has been blocked.\n"},
    {error_code::unrecognized_volume, "The volume does not contain a recognized file system.\n"},
    {error_code::io_device, "The request could not be performed because of an I/O device error.\n"},
    {error_code::cant_resolve_filename, "The name of the file cannot be resolved by the system.\n"},
};
}  // namespace

bool system_message_text(std::uint32_t code, std::string& text) {
  for (const auto& entry : message_table) {
    if (entry.code == code) {
      text = entry.text;
      return true;
    }
  }
  return false;
}
}  // namespace platform
