#include "app/argument_text.h"

namespace {
bool starts_with(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

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

// Options besides "f" that take a value, as the next argument or after '='.
constexpr const char* valued_words[] = {"older", "skip"};

std::string quoted_option(const std::string& name, const std::string& value) { return name + '"' + value + '"'; }

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
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string argument = arguments[i];
    if (argument.size() > 2 && starts_with(argument, "--")) argument.erase(0, 1);
    const auto next_argument = [&] { return i + 1 < arguments.size() ? arguments[++i] : std::string(); };
    std::string name;
    std::string value;
    std::string refusal;  // what the refusal names, for "f" the argument as typed
    if (argument == "-f") {
      name = "f";
      value = refusal = next_argument();
    } else if (is_glued_tree(argument)) {
      name = "f";
      value = argument.substr(2);
      refusal = argument;
    } else {
      for (const std::string word : valued_words) {
        if (argument == "-" + word)
          value = next_argument();
        else if (starts_with(argument, "-" + word + "="))
          value = argument.substr(word.size() + 2);
        else
          continue;
        name = word;
        refusal = quoted_option(name, value);
        break;
      }
      if (name.empty()) {
        parts.push_back(argument);
        continue;
      }
    }
    if (!can_carry(value)) {
      formed.refused = true;
      formed.refused_what = refusal;
      break;
    }
    parts.push_back("-" + quoted_option(name, value));
  }
  formed.text = joined_text(parts);
  return formed;
}
