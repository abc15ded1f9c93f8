#pragma once
#include <list>
#include <string>

// The ten patterns of a clean pass, in the order they are processed.
std::list<std::string> target_patterns();

// Removes every recognised build output below `root`; true when anything was removed.
bool clean_tree(const char* root);

// The pass proper over an ordered pattern list.
bool remove_build_outputs(const char* root, const std::list<std::string>& patterns);
