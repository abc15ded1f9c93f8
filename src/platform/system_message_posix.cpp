#include "platform/system_message.h"

#include "platform/error_codes.h"

namespace platform {
namespace {
struct message_entry {
  std::uint32_t code;
  const char* text;
};

// Worded and terminated as the Windows system texts are, so reports read the same.
constexpr message_entry message_table[] = {
    {error_code::success, "The operation completed successfully.\r\n"},
    {error_code::file_not_found, "The system cannot find the file specified.\r\n"},
    {error_code::path_not_found, "The system cannot find the path specified.\r\n"},
    {error_code::too_many_open_files, "The system cannot open the file.\r\n"},
    {error_code::access_denied, "Access is denied.\r\n"},
    {error_code::invalid_handle, "The handle is invalid.\r\n"},
    {error_code::not_enough_memory, "Not enough memory resources are available to process this command.\r\n"},
    {error_code::not_same_device, "The system cannot move the file to a different disk drive.\r\n"},
    {error_code::no_more_files, "There are no more files.\r\n"},
    {error_code::write_protect, "The media is write protected.\r\n"},
    {error_code::gen_failure, "A device attached to the system is not functioning.\r\n"},
    {error_code::sharing_violation,
     "The process cannot access the file because it is being used by another process.\r\n"},
    {error_code::file_exists, "The file exists.\r\n"},
    {error_code::invalid_parameter, "The parameter is incorrect.\r\n"},
    {error_code::disk_full, "There is not enough space on the disk.\r\n"},
    {error_code::dir_not_empty, "The directory is not empty.\r\n"},
    {error_code::busy, "The requested resource is in use.\r\n"},
    {error_code::filename_too_long, "The filename or extension is too long.\r\n"},
    {error_code::bad_file_type, "The file type being saved or retrieved has been blocked.\r\n"},
    {error_code::unrecognized_volume, "The volume does not contain a recognized file system.\r\n"},
    {error_code::io_device, "The request could not be performed because of an I/O device error.\r\n"},
    {error_code::cant_resolve_filename, "The name of the file cannot be resolved by the system.\r\n"},
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
