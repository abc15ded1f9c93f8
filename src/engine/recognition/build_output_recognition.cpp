#include "engine/recognition/build_output_recognition.h"

#include <cstring>
#include <ctime>
#include <stdexcept>

#include "diag/texts.h"
#include "engine/removal/failure_classes.h"
#include "engine/recognition/file_operator.h"
#include "engine/recognition/file_start.h"
#include "engine/recognition/output_age.h"
#include "engine/recognition/recognition_rules.h"
#include "platform/text/error_codes.h"
#include "platform/text/last_error.h"
#include "settings/run_settings.h"

namespace {
platform::tree_entry by_path(const char* file_path) {
  if (file_path == nullptr) file_path = "";
  return platform::tree_entry{nullptr, file_path, file_path};
}

// A file that could not be asked about or opened: gone is simply kept, one
// whose data is elsewhere is never fetched, and any other failure refuses this
// file alone, with its code.
recognition_result after_failure(std::uint32_t code, recognition_result& result) {
  if (is_gone(code)) return result;
  result.verdict = code == error_code::file_offline ? recognition_verdict::data_elsewhere : recognition_verdict::unreadable;
  result.error = code;
  return result;
}

// A real folder named like one of the classic outputs cannot be opened as a
// file, and that ends the run, as it always has; a link to one is never
// followed by the walk, and is kept.
recognition_result after_folder(const platform::tree_entry& entry, const recognition_rule& rule,
                                recognition_result& result) {
  if (entry.listed_as == platform::entry_kind::regular || rule.signature == nullptr) return result;
  platform::file_status itself;
  if (!platform::stat_entry_itself(entry, itself) || itself.type != platform::file_status::kind::directory)
    return result;
  platform::set_last_error(error_code::access_denied);
  throw std::runtime_error(texts::file_operator_not_open);
}

// What the removal takes: for a link, the link itself, never the file it names.
recognition_result& with_freed_size(const platform::tree_entry& entry, recognition_result& result) {
  platform::file_status removed = result.status;
  const bool goes = result.verdict == recognition_verdict::build_output || result.modern_only;
  if (goes && entry.listed_as != platform::entry_kind::regular) platform::stat_entry_itself(entry, removed);
  result.freed_size = removed.size;
  result.freed_links = removed.links;
  result.freed_identity = removed.identity;
  return result;
}
}  // namespace

recognition_result judge_build_output(const platform::tree_entry& entry, const char* pattern) {
  const recognition_rule* rule = find_rule(pattern);
  if (rule == nullptr) throw std::logic_error(texts::strange_wildcard);
  return judge_build_output(entry, *rule);
}

recognition_result judge_build_output(const platform::tree_entry& entry, const recognition_rule& rule) {
  const run_settings& settings = process_run_settings();
  recognition_result result;
  // Reading a file whose data is elsewhere would fetch it, even in a dry run.
  if (entry.listed_as == platform::entry_kind::data_elsewhere) return after_failure(error_code::file_offline, result);
  // Fresh output may still be needed by the work in hand; an empty
  // browse-information file is left by a compile that was cut short. True
  // when the status alone decides.
  const bool decided_unopened = (rule.zero_size_rule && settings.delete_zero_size) || settings.older_than_days >= 0;
  const auto decided_by_status = [&] {
    if (settings.older_than_days >= 0 &&
        written_less_than_days_ago(result.status.last_write, std::time(nullptr), settings.older_than_days))
      return result.newer_than_limit = true;
    if (!rule.zero_size_rule || !settings.delete_zero_size || result.status.size != 0) return false;
    result.verdict = recognition_verdict::build_output;
    with_freed_size(entry, result);
    return true;
  };
  file_operator file;
  // A plain file when listed is opened at once, in every mode, never through
  // a link put in its place, and asked about through the open file.
  if (entry.listed_as == platform::entry_kind::regular) {
    file.open_listed(entry, result.status);
    const std::uint32_t code = platform::get_last_error();
    // No longer a plain file (a FIFO, device or folder put in its place):
    // nothing of what was listed is left to judge, as with a file gone.
    if (!file.is_open() && code == error_code::bad_file_type) return result;
    // One that cannot be read (held by another program, say) may still be
    // judged by its age or size alone, as it always could.
    if (!file.is_open() && code != error_code::cant_resolve_filename && !decided_unopened)
      return after_failure(code, result);
  }
  if (!file.is_open()) {
    // A link, or a plain file that became one: asked about first, so that
    // only a regular file behind it is opened, and that one checked to be it.
    if (!platform::stat_entry(entry, result.status)) {
      const std::uint32_t code = platform::get_last_error();
      // A link that loops leads nowhere: kept, as one that dangles is.
      return code == error_code::cant_resolve_filename ? result : after_failure(code, result);
    }
    using kind = platform::file_status::kind;
    // A directory cannot be opened as a file, as on Windows; one put in
    // place of a listed plain file, or reached through a link, is not what
    // the walk takes for a folder, and is kept. Names only `modern` knows
    // are folders too (GCC's "all.h.gch/" holds one header per set of
    // options), walked like any other.
    if (result.status.type == kind::directory) return after_folder(entry, rule, result);
    // A FIFO, socket or device is never opened: opening one runs its driver.
    if (result.status.type != kind::regular) return result;
    if (decided_by_status()) return result;
    file.open(entry, result.status);
    const std::uint32_t code = platform::get_last_error();
    // Anything but that regular file by the time it is open is kept.
    if (!file.is_open()) return code == error_code::bad_file_type ? result : after_failure(code, result);
  }
  if (decided_by_status()) return result;
  unsigned char start[longest_file_start] = {};
  const std::size_t size = read_file_start(file, rule, start);
  // A read that failed tells nothing of the file: refused, as one that cannot be opened.
  const std::uint32_t read_error = file.get_handle().read_error();
  file.close();
  if (read_error != 0) return after_failure(read_error, result);
  if (judge_file_start(rule, start, size, result.status.size, settings))
    result.verdict = recognition_verdict::build_output;
  else if (settings.hints_shown && !settings.modern_outputs)
    result.modern_only = is_modern_output(rule.modern, start, size, result.status.size);
  return with_freed_size(entry, result);
}

recognition_verdict judge_build_output(const char* file_path, const char* pattern) {
  return judge_build_output(by_path(file_path), pattern).verdict;
}

bool is_build_output(const char* file_path, const char* pattern) {
  return judge_build_output(file_path, pattern) == recognition_verdict::build_output;
}

bool has_signature(const char* file_path, const unsigned char* signature, std::size_t length) {
  file_operator file;
  if (file_path != nullptr) file.file_name = file_path;
  file.open();
  if (length > max_signature_length) throw std::runtime_error("To Big Signature");
  unsigned char buffer[max_signature_length] = {};
  file.read(buffer, length);  // throws when the open failed
  // Bytes past the end of a short file stay zero, and compare as such.
  return std::memcmp(buffer, signature, length) == 0;
}

bool get_file_size(const char* file_path, std::uint32_t& high, std::uint32_t& low) {
  platform::file_status status;
  if (!platform::stat_entry(by_path(file_path), status)) return false;
  high = static_cast<std::uint32_t>(status.size >> 32);
  low = static_cast<std::uint32_t>(status.size & 0xFFFFFFFFu);
  return true;
}
