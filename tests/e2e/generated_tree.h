#pragma once
// The one maker of larger test trees: folders of build outputs of every kind,
// each beside a look-alike of the same name pattern that must stay.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
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

// A chain of `depth` folders "d" below `root`, far deeper than a path can
// name: made and checked relative to each parent's descriptor, so no more than
// two are open at a time, and removed with rm, which handles any depth. Every
// `every`-th level holds an x86 object "o.obj", a look-alike "l.obj" and a
// side folder "e" with another object: a comb, whose teeth are listed
// while the folders above them wait.
class deep_chain {
 public:
  deep_chain(const std::string& root, int depth, int every) : root_(root), depth_(depth), every_(every) {
    std::string look_alike = obj_start;
    look_alike[0] = static_cast<char>(look_alike[0] ^ 0x20);
    harness::make_dirs(root_);
    down_the_chain(true, [&](int dir, int level) {
      put(dir, "o.obj", obj_start + " level " + std::to_string(level));
      put(dir, "l.obj", look_alike + " level " + std::to_string(level));
      mkdirat(dir, "e", 0755);
      const int tooth = openat(dir, "e", O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
      if (tooth < 0) throw std::runtime_error("cannot make a side folder in the chain");
      put(tooth, "o.obj", obj_start + " beside level " + std::to_string(level));
      close(tooth);
    });
  }
  ~deep_chain() { harness::run_command({"rm", "-rf", root_}, 60000); }
  deep_chain(const deep_chain&) = delete;
  deep_chain& operator=(const deep_chain&) = delete;

  int levels_with_files() const { return depth_ / every_; }
  // How many objects and how many look-alikes the chain still holds.
  std::pair<int, int> left() const {
    std::pair<int, int> found{0, 0};
    down_the_chain(false, [&found](int dir, int) {
      struct stat info {};
      if (fstatat(dir, "o.obj", &info, AT_SYMLINK_NOFOLLOW) == 0) ++found.first;
      if (fstatat(dir, "e/o.obj", &info, AT_SYMLINK_NOFOLLOW) == 0) ++found.first;
      if (fstatat(dir, "l.obj", &info, AT_SYMLINK_NOFOLLOW) == 0) ++found.second;
    });
    return found;
  }

 private:
  // Goes down the chain, making each folder first with `make`, and calls
  // `at_level` with every `every`-th folder's descriptor and level.
  void down_the_chain(bool make, const std::function<void(int, int)>& at_level) const {
    int dir = open(root_.c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 1; dir >= 0 && level <= depth_; ++level) {
      if (make) mkdirat(dir, "d", 0755);  // a failure shows as the open's
      const int below = openat(dir, "d", O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
      close(dir);
      dir = below;
      if (dir >= 0 && level % every_ == 0) at_level(dir, level);
    }
    if (dir < 0) throw std::runtime_error("the chain below " + root_ + " cannot be made or is broken");
    close(dir);
  }

  static void put(int dir, const char* name, const std::string& bytes) {
    const int file = openat(dir, name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool written = file >= 0 && write(file, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    if (file >= 0) close(file);
    if (!written) throw std::runtime_error(std::string("cannot write ") + name + " in the chain");
  }

  std::string root_;
  int depth_;
  int every_;
};

}  // namespace expected
