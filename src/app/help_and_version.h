#pragma once
#include <string>

// The usage, listing every option word, this platform's syntax, the exit
// statuses and the logs.
std::string usage_text();
// "brulo X.Y.Z" and a line feed.
std::string version_text();

// When the command line asks for the usage ("help") or the version ("version")
// anywhere among its tokens, prints the first one asked for to the standard
// output and returns true; the run then ends without cleaning.
bool answer_help_or_version(const char* command_text);
