#pragma once
#include <list>
#include <string>

#include "engine/removal/removal_tally.h"

// The patterns of a clean pass, in the order they are processed: the ten, then
// with "modern" the ones only it knows.
std::list<std::string> target_patterns();

// Removes every recognised build output below `root`; true when anything was
// removed. What went (or in a dry run would go) is added to `run_total` when given.
bool clean_tree(const char* root, removal_tally* run_total = nullptr);

// The pass proper over an ordered pattern list.
bool remove_build_outputs(const char* root, const std::list<std::string>& patterns,
                          removal_tally* run_total = nullptr);
