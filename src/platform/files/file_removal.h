#pragma once
#include <cstdint>

#include "platform/files/file_identity.h"
#include "platform/files/tree_directory.h"

namespace platform {
// Deletes one file for good; a link goes, not what it names. A read-only
// file is refused. Where the platform can tell, an entry that no longer names
// the file `judged` (replaced since it was read) is left alone as gone. On
// failure the last-error value tells why.
bool delete_file(const tree_entry& entry, const file_identity& judged);

// How a move to the recycle bin ended. Only the recycle bin's own answer
// decides: a last-error value left by an earlier call never does.
enum class removal_outcome {
  removed,
  destroyed,  // asked to go to the recycle bin, deleted for good by the shell all the same
  gone,     // the file was not there (any more)
  refused,  // the recycle bin would not take it; it stays, and the run goes on
  failed,   // the system ran out of memory; the run ends
};
struct removal_result {
  removal_outcome outcome;
  std::uint32_t code;  // a Windows error code telling why, for the report
};

// Moves one file to the user's recycle bin, from where it can be restored,
// without any dialog. On Linux a file the trash cannot take is never deleted
// for good in its place; the Windows shell deletes it for good on a volume
// without a recycle bin. Each platform forms what its recycle bin takes: the
// Windows shell a list of full paths, the Linux trash the file's directory
// descriptor and name, its path only recorded. As delete_file, an entry that
// no longer names `judged` counts as gone. No memory for the request: failed,
// with not_enough_memory.
removal_result move_to_recycle_bin(const tree_entry& entry, const file_identity& judged);
}  // namespace platform
