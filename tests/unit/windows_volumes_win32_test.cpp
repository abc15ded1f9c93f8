#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "engine/removal/removal_tally.h"
#include "platform/desktop/deletion_watch_win32.h"
#include "platform/desktop/shell_recycle_win32.h"
#include "platform/files/handle_files_win32.h"
#include "platform/files/recycle_bin_win32.h"
#include "platform/files/system_places.h"
#include "platform/files/volume_bin_win32.h"
#include "platform/process/descriptor_limit_win32.h"
#include "platform/text/wide_text_win32.h"

namespace {
using namespace platform;

// What one call made of a situation, as "outcome code".
std::string said(const removal_result& result) {
  static const char* const names[] = {"removed", "destroyed", "gone", "refused", "failed"};
  return std::string(names[static_cast<int>(result.outcome)]) + " " + std::to_string(result.code);
}

// A shell and a volume that answer as told, and a record of what was asked.
struct fake_system {
  shell_report told;
  volume_bin bin{DRIVE_FIXED, false, false, 0};
  shell_report older;
  std::string asked;

  recycle_calls calls() {
    return recycle_calls{[this](const std::wstring&) { asked += "shell "; return told; },
                         [this](const std::wstring&) { asked += "volume "; return bin; },
                         [this](const std::wstring&) { asked += "older "; return older; }};
  }
};

struct row {
  const char* situation;
  std::function<std::string()> act;
  const char* expected;
};

// Marks a file for deletion through a file system that answers each form
// with the code given; what was tried, then the code that came out.
std::string marked(std::uint32_t posix, std::uint32_t classic) {
  std::string tried;
  const std::uint32_t code = mark_for_deletion([&](disposition_form form) {
    tried += form == disposition_form::posix ? "posix " : "classic ";
    return form == disposition_form::posix ? posix : classic;
  });
  return tried + std::to_string(code);
}

// Two entries of one volume with the ids given, as the walk and the removals
// compare them: "same", "different" or "unknown" (not told at all).
std::string compared(bool lasting, bool directory, std::uint64_t id_a, std::uint64_t id_b, std::uint64_t size_b = 10) {
  const file_identity a = identity_from(9, id_a, 0, lasting, directory, 10, 1000);
  const file_identity b = identity_from(9, id_b, 0, lasting, directory, size_b, 1000);
  if (!a.known || !b.known) return "unknown";
  return a == b ? "same" : "different";
}

// What a listing makes of an entry with these attributes and reparse tag.
std::string listed(DWORD attributes, DWORD tag) {
  static const char* const names[] = {"folder", "file", "link", "not here"};
  return names[static_cast<int>(listed_kind(attributes, tag))];
}

// What recycling a file of 100 bytes makes of what the shell and the volume
// tell, then what was asked: a situation a real Windows volume shows and Wine does not.
const struct {
  const char* situation;
  shell_report shell;  // told, result, aborted, recycled, declined, destroyed
  volume_bin volume;
  const char* expected;
} recycle_rows[] = {
    {"the shell recycles the item", {true, 0, false, true}, {DRIVE_FIXED}, "removed 0 volume shell "},
    {"the shell would destroy the item, and the watch stops it", {true, -1, false, false, true}, {DRIVE_FIXED},
     "refused 50 volume shell "},
    {"the shell destroyed the item all the same", {true, 0, false, false, false, true}, {DRIVE_FIXED},
     "destroyed 0 volume shell "},
    {"the shell reports success but never the item in the bin", {true}, {DRIVE_FIXED}, "refused 50 volume shell "},
    {"the shell fails for the item with access denied", {true, 5}, {DRIVE_FIXED}, "refused 5 volume shell "},
    {"the item failed, the operation says only cancelled", {true, 1223, false, false, false, false, 5}, {DRIVE_FIXED},
     "refused 5 volume shell "},
    {"the shell cancels without a dialog", {true, 1223}, {DRIVE_FIXED}, "refused 1223 volume shell "},
    {"the shell would recycle on a drive without a bin", {true, 0, false, true}, {DRIVE_REMOVABLE}, "refused 50 volume "},
    {"no report: a fixed disk with its bin", {}, {DRIVE_FIXED}, "removed 0 volume shell older "},
    {"no report: a removable drive", {}, {DRIVE_REMOVABLE}, "refused 50 volume "},
    {"no report: a network share or mapped drive", {}, {DRIVE_REMOTE}, "refused 50 volume "},
    {"no report: a subst drive", {}, {DRIVE_FIXED, true}, "refused 50 volume "},
    {"no report: the bin turned off", {}, {DRIVE_FIXED, false, true}, "refused 50 volume "},
    {"no report: a file larger than the bin's room", {}, {DRIVE_FIXED, false, false, 99}, "refused 50 volume "},
    {"no report: a file the bin has room for", {}, {DRIVE_FIXED, false, false, 100}, "removed 0 volume shell older "},
};

// Each row is another situation a real Windows volume shows and Wine does not.
const row rows[] = {
    {"an open meets a name pending deletion",
     [] { return std::to_string(open_failure_code(static_cast<long>(0xC0000056))); }, "2"},
    {"an open is denied", [] { return std::to_string(open_failure_code(static_cast<long>(0xC0000022))); }, "5"},
    {"a path open at a name pending deletion, and one failing before the call with that status left", [] {
       const long pending = static_cast<long>(0xC0000056);
       return std::to_string(path_open_failure_code(5, pending)) + std::to_string(path_open_failure_code(3, pending));
     }, "23"},
    {"one answer per volume, but volumes of serial 0 are each asked", [] {
       per_volume_answer answers;
       std::string said;  // each volume answers yes, then no
       for (const int serial : {7, 7, 0, 0}) said += answers.get(serial, [&] { return said.size() % 2 == 0; }) ? "y" : "n";
       return said;
     }, "yyyn"},
    {"a volume's top: local, a share at a volume's root; not a folder two deep, nor one in a share", [] {
       std::string top;
       for (const auto& [name, final_path] : {std::make_pair(L"\\", L"\\\\?\\C:\\"), {L"\\s\\d$", L"\\\\?\\UNC\\s\\d$\\"},
                                              {L"\\s\\d$", L"\\\\?\\C:\\s\\d$"}, {L"\\s\\d$\\x", L"\\\\?\\UNC\\s\\d$\\x"}})
         top += std::to_string(names_volume_top(name, final_path));
       return top;
     }, "1100"},
    {"the bins of every system at a volume's top", [] {
       std::string skipped;
       for (const char* name : {"$Recycle.Bin", "RECYCLER", "Recycled", "Recycle"})
         skipped += std::to_string(system_places().at_volume_top(name));
       return skipped;
     }, "1110"},
    {"the watch lives until the shell lets it go", [] {
       deletion_watch* watch = deletion_watch::make();
       std::string counts = std::to_string(watch->AddRef());
       counts += std::to_string(watch->Release());
       return counts + std::to_string(watch->Release());
     }, "210"},
    {"COM is set up on each thread that asks the shell (S_FALSE: already)", [] {
       HRESULT again = E_FAIL;
       std::thread([] { com_ready(); }).join();
       std::thread([&] { com_ready() ? again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) : 0; }).join();
       return std::to_string(again);
     }, "1"},
    {"files the shell deleted for good are counted apart", [] {
       removal_tally tally;
       tally.count_destroyed(5);
       tally.report_tree("C:\\t", true);
       return tally.lines().back();
     }, "deleted for good: 1 file, 5 bytes (5 B) from C:\\t, which the recycle bin could not take"},
    {"deleted with POSIX semantics", [] { return marked(0, 0); }, "posix 0"},
    {"a file system without POSIX semantics", [] { return marked(87, 0); }, "posix classic 0"},
    {"an older system without the class", [] { return marked(1, 0); }, "posix classic 0"},
    {"a read-only file stays refused", [] { return marked(5, 0); }, "posix 5"},
    {"a file held open without delete sharing", [] { return marked(32, 0); }, "posix 32"},
    {"folders with their own ids on a volume that opens by id", [] { return compared(true, true, 7, 8); }, "different"},
    {"a folder reached again on a volume that opens by id", [] { return compared(true, true, 7, 7); }, "same"},
    {"folders with id 0", [] { return compared(true, true, 0, 0); }, "unknown"},
    {"folders with one constant id on a server", [] { return compared(false, true, 5, 5); }, "unknown"},
    {"files with a reused FAT id and another size", [] { return compared(false, false, 5, 5, 11); }, "different"},
    {"files with id 0 and another size", [] { return compared(true, false, 0, 0, 11); }, "different"},
    {"one file on a FAT volume", [] { return compared(false, false, 5, 5); }, "same"},
    {"a symbolic link", [] { return listed(0x20 | 0x400, 0xA000000C); }, "link"},
    {"a junction", [] { return listed(0x10 | 0x400, 0xA0000003); }, "link"},
    {"a reparse point whose tag is not told", [] { return listed(0x10 | 0x400, 0); }, "link"},
    {"a synced cloud folder", [] { return listed(0x10 | 0x400, 0x9000601A); }, "folder"},
    {"a cloud file on this computer", [] { return listed(0x20 | 0x400, 0x9000001A); }, "file"},
    {"a deduplicated file", [] { return listed(0x20 | 0x400, 0x80000013); }, "file"},
    {"a cloud file recalled on data access", [] { return listed(0x20 | 0x400 | 0x400000, 0x9000001A); }, "not here"},
    {"a placeholder recalled on open", [] { return listed(0x20 | 0x40000, 0); }, "not here"},
    {"an offline file", [] { return listed(0x20 | 0x1000, 0); }, "not here"},
    {"a root named by its volume keeps its prefix",
     [] { return from_wide(full_path("\\\\?\\Volume{5a}\\app")); }, "\\\\?\\Volume{5a}\\app"},
    {"and its exact form is itself", [] { return from_wide(exact_path(L"\\\\?\\Volume{5a}\\app")); },
     "\\\\?\\Volume{5a}\\app"},
    {"a drive letter's path loses its prefix", [] { return from_wide(full_path("\\\\?\\C:\\app")); }, "C:\\app"},
    {"a path by a volume's name has no recycle bin the shell takes",
     [] { return std::to_string(bin_of_volume(L"\\\\?\\Volume{5a}\\a.obj").drive_type); }, "0"},
    {"the folder handles a walk holds on a share",
     [] { return std::to_string(spare_handles_on(DRIVE_REMOTE)); }, "256"},
    {"and on a fixed disk", [] { return std::to_string(spare_handles_on(DRIVE_FIXED)); }, "65536"},
};

TEST(windows_volumes, each_situation_is_taken_as_its_row_says) {
  for (const auto& r : recycle_rows) {
    fake_system system;
    system.told = r.shell;
    system.bin = r.volume;
    EXPECT_EQ(said(recycle_file(L"C:\\t\\a.obj", 100, system.calls())) + " " + system.asked, r.expected)
        << r.situation;
  }
  for (const row& r : rows) EXPECT_EQ(r.act(), r.expected) << r.situation;
}
}  // namespace
