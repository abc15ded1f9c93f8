#include "engine/recognition/object_companions.h"

#include "platform/text/name_case.h"

namespace {
bool has_extension(const std::string& name, const char* extension) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::size_t k = 0;
  for (; dot + 1 + k < name.size() && extension[k] != '\0'; ++k)
    if (folded_case(name[dot + 1 + k]) != extension[k]) return false;
  return dot + 1 + k == name.size() && extension[k] == '\0';
}

// Counts of a run are written beside the object under its stem too, and are
// never the object: the next run writes them again.
bool is_beside_an_object(const std::string& name) {
  return names_an_object_description(name) || has_extension(name, "gcda");
}
}  // namespace

bool describes_an_object(modern_kind kind) {
  return kind == modern_kind::coverage_notes || kind == modern_kind::split_debug_info;
}

bool names_an_object_description(const std::string& name) {
  return has_extension(name, "gcno") || has_extension(name, "dwo");
}

std::string object_stem(const std::string& name) { return name.substr(0, name.rfind('.')); }

void object_companions::note_listed(std::uint32_t folder, const std::string& name) {
  if (!is_beside_an_object(name)) listed_.emplace(folder, object_stem(name));
}

void object_companions::note_taken(std::uint32_t folder, const std::string& name) {
  if (!is_beside_an_object(name)) taken_.emplace(folder, object_stem(name));
}

bool object_companions::may_go(std::uint32_t folder, const std::string& name) const {
  const std::pair<std::uint32_t, std::string> stem(folder, object_stem(name));
  return taken_.count(stem) != 0 || listed_.count(stem) == 0;
}
