#include "app/argument_text.h"

namespace {
bool starts_with(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The splitter ends a quoted value at its next quote, and reads a value that
// starts with a hyphen-minus as the next option: neither can be carried.
bool can_carry(const std::string& value) {
  return value.find('"') == std::string::npos && (value.empty() || value[0] != '-');
}

// "-fVALUE" with the value glued on: not a blank or a quote after the name, and no
// quote anywhere, so "-f\"DIR\"" and "-f \"DIR\" -vc" still reach the splitter as typed.
bool is_glued_tree(const std::string& argument) {
  if (argument.size() < 3 || !starts_with(argument, "-f")) return false;
  const char next = argument[2];
  if (next == ' ' || next == '\t') return false;
  return argument.find('"') == std::string::npos;
}

std::string joined_text(const std::vector<std::string>& parts) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += ' ';
    text += parts[i];
  }
  // Windows drops every byte up to 0x20 between the program's name and the text.
  std::size_t first = 0;
  while (first < text.size() && static_cast<unsigned char>(text[first]) <= 0x20) ++first;
  return text.substr(first);
}
}  // namespace

argument_text form_command_text(const std::vector<std::string>& arguments) {
  argument_text formed;
  std::vector<std::string> parts;
  for (std::size_t i = 0; i < arguments.size() && !formed.refused; ++i) {
    std::string argument = arguments[i];
    if (argument.size() > 2 && starts_with(argument, "--")) argument.erase(0, 1);
    std::string value;
    if (argument == "-f") {
      value = i + 1 < arguments.size() ? arguments[++i] : std::string();
      formed.refused_argument = value;
    } else if (is_glued_tree(argument)) {
      value = argument.substr(2);
      formed.refused_argument = argument;
    } else {
      parts.push_back(argument);
      continue;
    }
    formed.refused = !can_carry(value);
    if (!formed.refused) parts.push_back("-f\"" + value + "\"");
  }
  if (!formed.refused) formed.refused_argument.clear();
  formed.text = joined_text(parts);
  return formed;
}
