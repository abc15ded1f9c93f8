#include "app/help_and_version.h"

#include <iostream>

#include "app/command_line.h"
#include "platform/process/command_syntax.h"
#include "platform/process/console.h"

std::string usage_text() {
  return std::string(
             "Usage: brulo [option]... [-f tree]...\n"
             "Removes the object files, precompiled headers, program databases and other\n"
             "build outputs of C and C++ tool chains from source trees. A file goes only\n"
             "when its start shows it is such an output. With no arguments brulo asks for\n"
             "the folder to clean.\n"
             "\n"
             "  -f TREE        clean the tree TREE (give -f once per tree)\n"
             "  -current       clean the current working directory\n"
             "  -gototrashbox  move the files to the trash instead of deleting them\n"
             "  -dryrun        list what would be removed, and how much, removing nothing\n"
             "  -summary       after each tree, how many files and bytes were removed\n"
             "  -older DAYS    keep build outputs written less than DAYS days ago\n"
             "  -skip NAME     do not enter directories named NAME, where * stands for any\n"
             "                 run of characters, ? for one, and any other character for\n"
             "                 itself, ASCII letters in either case (give once per name)\n"
             "  -modern        also recognise the outputs of today's tool chains: x64 and\n"
             "                 ARM64 COFF and LTCG objects, ELF and Mach-O objects, LLVM\n"
             "                 bitcode (LTO) objects, COFF resource objects (*.res of a\n"
             "                 prefixed windres), MSF 7.00 program databases, clang\n"
             "                 precompiled headers; and search *.lo (libtool objects and\n"
             "                 their descriptors), *.gch (GCC and clang precompiled\n"
             "                 headers), *.pcm (clang modules), *.gcm (GCC modules), *.ifc\n"
             "                 (MSVC modules), *.ipdb and *.iobj (MSVC incremental LTCG);\n"
             "                 and, as the next build, test run or the IDE writes them\n"
             "                 again, *.gcno and *.gcda (gcc --coverage notes and counts),\n"
             "                 *.profraw and *.profdata (clang profiles, raw and merged),\n"
             "                 *.dwo (split debug information) and *.VC.db (Visual\n"
             "                 Studio's browse database). Notes and split debug\n"
             "                 information go only with their object, or where there is none.\n"
             "                 Without -modern, *.o and *.opp count only as i686 COFF\n"
             "                 objects of exactly 28 sections whose time stamp ends in\n"
             "                 three zero bytes: never x86-64 or ELF objects, and rarely\n"
             "                 what MinGW-w64 writes today\n"
             "  -del0          an empty *.sbr file counts as a build output\n"
             "  -outputlog     also append every message to brulo_log.log, and list each\n"
             "                 removed file\n"
             "  -messagebox    also show a failure in a message box\n"
             "  -vc, -mingw, -alltrash_delete_mode\n"
             "                 clean modes; all of them clean the same patterns\n"
             "  -h, -help      show this text\n"
             "  -version       show the version\n"
             "\n"
             "A directory that holds an entry named .brulokeep, in any letter case, is never\n"
             "entered.\n"
             "\n") +
         platform::command_syntax_text +
         "\n"
         "Exit status: 0 the run finished; 9 no folder was picked; -1 (255) an unknown\n"
         "option or a value it cannot take, or a failure that ended the run.\n"
         "Logs, in the working directory: brulo_log.log (with -outputlog) and\n"
         "brulo_exception.log (on a failure).\n";
}

std::string version_text() { return "brulo " BRULO_VERSION "\n"; }

bool answer_help_or_version(const char* command_text) {
  const command_line line(command_text);
  const std::string extra_help = platform::extra_help_word;
  for (const command_token& token : line.tokens()) {
    const std::string& name = token.option_name;
    // "h" too: where people look first.
    const bool help = name == "help" || name == "h" || (!extra_help.empty() && name == extra_help);
    if (!help && name != "version") continue;
    platform::attach_parent_console();
    std::cout << (help ? usage_text() : version_text()) << std::flush;
    return true;
  }
  return false;
}
