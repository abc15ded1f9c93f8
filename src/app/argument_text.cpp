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

argument_text& refuse(argument_text& formed, const std::string& argument) {
  formed.text.clear();
  formed.refused = true;
  formed.refused_argument = argument;
  return formed;
}
}  // namespace

argument_text form_command_text(const std::vector<std::string>& arguments) {
  argument_text formed;
  std::vector<std::string> parts;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string argument = arguments[i];
    if (argument.size() > 2 && starts_with(argument, "--")) argument.erase(0, 1);
    if (argument == "-f") {
      const std::string value = i + 1 < arguments.size() ? arguments[++i] : std::string();
      if (!can_carry(value)) return refuse(formed, value);
      parts.push_back("-f\"" + value + "\"");
    } else if (is_glued_tree(argument)) {
      if (!can_carry(argument.substr(2))) return refuse(formed, argument);
      parts.push_back("-f\"" + argument.substr(2) + "\"");
    } else {
      parts.push_back(argument);
    }
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) formed.text += ' ';
    formed.text += parts[i];
  }
  // Windows drops every byte up to 0x20 between the program's name and the text.
  std::size_t first = 0;
  while (first < formed.text.size() && static_cast<unsigned char>(formed.text[first]) <= 0x20) ++first;
  formed.text.erase(0, first);
  return formed;
}
