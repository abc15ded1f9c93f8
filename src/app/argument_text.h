#pragma once
#include <string>
#include <vector>

// The command-line text formed from a list of arguments, as a shell hands them:
// "-f DIR", "-fDIR" and "--word" become what the splitter reads, "-f\"DIR\"" and
// "-word"; "-older N" and "-older=N" become "-older\"N\"", and so does "skip";
// every other argument passes unchanged. Arguments are joined with single
// spaces, and the blanks that would follow a program's name are dropped.
struct argument_text {
  std::string text;
  // Set when a value cannot be carried in the text (it holds a double quote, or
  // starts with a hyphen-minus that the splitter would read as an option):
  // `refused_what` is what the refusal names (the argument that holds a tree,
  // or the option's name and its value in quotes, older"-5"), and `text` is
  // formed from the arguments before it only.
  bool refused = false;
  std::string refused_what;
};

argument_text form_command_text(const std::vector<std::string>& arguments);
