#pragma once
// The one maker of larger test trees: folders of build outputs of every kind,
// each beside a look-alike of the same name pattern that must stay.
#include <algorithm>
#include <string>
#include <vector>

#include "expected_texts.h"
#include "harness.h"

namespace expected {

struct generated_tree {
  std::vector<std::string> folders;      // relative, ending in '/'
  std::vector<std::string> outputs;      // relative paths of files the program removes
  std::vector<std::string> look_alikes;  // relative paths of files it keeps
  std::vector<std::string> payloads;     // the bytes of each output, in the order of `outputs`

  // What list_tree shows once every output is gone.
  std::vector<std::string> left_after_clean() const {
    std::vector<std::string> left = folders;
    left.insert(left.end(), look_alikes.begin(), look_alikes.end());
    std::sort(left.begin(), left.end());
    return left;
  }
};

// `folders` folders below `root`, each holding `per_folder` outputs and as many
// look-alikes. Every output's bytes are its own, so copies can be told apart.
inline generated_tree generate_tree(const std::string& root, int folders, int per_folder) {
  struct kind {
    const char* extension;
    const std::string* start;
  };
  const kind kinds[] = {{"obj", &obj_start}, {"pdb", &pdb_start}, {"o", &mingw_start}, {"res", &res_start},
                        {"pch", &pch_start}, {"ilk", &ilk_start}, {"sbr", &sbr_start}, {"idb", &pdb_start},
                        {"bsc", &pdb_start}, {"opp", &mingw_start}};
  generated_tree made;
  for (int f = 0; f < folders; ++f) {
    const std::string folder = "d" + std::to_string(f) + "/";
    made.folders.push_back(folder);
    harness::make_dirs(root + "/" + folder);
    for (int i = 0; i < per_folder; ++i) {
      const kind& k = kinds[i % (sizeof kinds / sizeof kinds[0])];
      const std::string name = std::to_string(i) + "." + k.extension;
      const std::string output = folder + "out" + name;
      const std::string look_alike = folder + "look" + name;
      made.outputs.push_back(output);
      made.payloads.push_back(*k.start + " " + output);
      made.look_alikes.push_back(look_alike);
      harness::write_file(root + "/" + output, made.payloads.back());
      // One byte off at the very start.
      std::string other = *k.start;
      other[0] = static_cast<char>(other[0] ^ 0x20);
      harness::write_file(root + "/" + look_alike, other + " " + look_alike);
    }
  }
  return made;
}

}  // namespace expected
