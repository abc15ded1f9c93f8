#pragma once
#include <string>
#include <vector>

class command_line;
class removal_tally;

// What a person who reads the end of a run should know, one line each: every
// plain word of the command line that names a folder (no tree is named
// without "f"), then what "modern" would also have removed from the trees.
// The run itself is the same with or without them. Words are as the command
// line gave them, for the place that shows them to show as it can.
std::vector<std::string> run_hints(const command_line& line, const removal_tally& run_total);
