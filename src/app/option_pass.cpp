#include "app/option_pass.h"

#include <cstdio>
#include <limits>

#include "app/command_line.h"
#include "app/option_advice.h"
#include "app/strange_command_line.h"
#include "platform/process/console.h"

namespace {
enum class option_effect {
  zero_size, output_log, message_box, tree, current, recycle, mode_vc, mode_mingw, mode_all, modern, dry_run,
  older, skip, summary
};

struct option_word {
  const char* word;
  option_effect effect;
};

// Tried in this order; a match needs the whole name, byte for byte.
constexpr option_word option_table[] = {
    {"del0", option_effect::zero_size},
    {"outputlog", option_effect::output_log},
    {"messagebox", option_effect::message_box},
    {"f", option_effect::tree},
    {"current", option_effect::current},
    {"gototrashbox", option_effect::recycle},
    {"vc", option_effect::mode_vc},
    {"mingw", option_effect::mode_mingw},
    {"alltrash_delete_mode", option_effect::mode_all},
    {"modern", option_effect::modern},
    {"dryrun", option_effect::dry_run},
    {"older", option_effect::older},
    {"skip", option_effect::skip},
    {"summary", option_effect::summary},
};

// False when the option takes a value and this one will not do.
bool apply_effect(option_effect effect, const std::string& value, run_settings& settings) {
  switch (effect) {
    case option_effect::zero_size: settings.delete_zero_size = true; break;
    case option_effect::output_log: settings.output_log = true; break;
    case option_effect::message_box: settings.show_message_box = true; break;
    case option_effect::recycle: settings.use_recycle_bin = true; break;
    case option_effect::mode_vc: settings.clean_mode = 1; break;
    case option_effect::mode_mingw: settings.clean_mode = 2; break;
    case option_effect::mode_all: settings.clean_mode = -1; break;
    case option_effect::modern: settings.modern_outputs = true; break;
    case option_effect::dry_run: settings.dry_run = true; break;
    case option_effect::summary: settings.summary = true; break;
    case option_effect::older: {
      const std::optional<std::int32_t> days = day_count(value);
      if (!days) return false;
      settings.older_than_days = *days;
      break;
    }
    case option_effect::skip:
      if (value.empty()) return false;
      settings.skip_names.push_back(value);
      break;
    case option_effect::tree:
    case option_effect::current: break;  // acted on by the run, not here
  }
  return true;
}

const option_word* find_option(const std::string& name) {
  for (const auto& option : option_table)
    if (name == option.word) return &option;
  return nullptr;
}

// After the refusal's own two lines, which stay as they are: a plain word for a person at a terminal.
void advise(const std::string& line) {
  if (!platform::errors_are_terminal()) return;
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}
}  // namespace

bool apply_options(command_line& line, run_settings& settings, const char* command_text, int show_state) {
  line.load(command_text, show_state);
  for (const command_token& token : line.tokens()) {
    if (token.option_name.empty()) continue;  // a plain word
    const option_word* option = find_option(token.option_name);
    if (option == nullptr) {
      report_strange_command_line(token.option_name.c_str());
      const char* words[sizeof option_table / sizeof option_table[0]];
      for (std::size_t k = 0; k < sizeof words / sizeof words[0]; ++k) words[k] = option_table[k].word;
      advise(unknown_option_advice(token.option_name, words, sizeof words / sizeof words[0]));
      return false;
    }
    if (!apply_effect(option->effect, token.value, settings)) {
      report_strange_command_line((token.option_name + '"' + token.value + '"').c_str());
      advise(bad_value_advice(token.option_name, token.value));
      return false;
    }
  }
  return true;
}

std::optional<std::int32_t> day_count(const std::string& text) {
  if (text.empty()) return std::nullopt;
  constexpr std::int64_t most = std::numeric_limits<std::int32_t>::max();
  std::int64_t days = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    days = days * 10 + (c - '0');
    if (days > most) return std::nullopt;  // also stops the sum from growing further
  }
  return static_cast<std::int32_t>(days);
}
