#pragma once
#include <list>
#include <string>

#include "platform/files/path_syntax.h"

// One token of the command line: a plain word (empty option_name) or an option.
struct command_token {
  std::string value;        // the word, or the text after the option's name
  std::string option_name;  // without its introducer; empty for a plain word
};

// Appends the tokens of `raw_text` to `tokens`. `introducers` are the bytes
// that start an option between tokens and at the start of an option's value.
void split_command_line(const std::string& raw_text, std::list<command_token>& tokens,
                        const char* introducers = platform::option_introducers);

// The command-line text, the show state it came with, and its tokens in order.
class command_line {
 public:
  command_line() = default;
  explicit command_line(const char* text, int show_state = 0) { load(text, show_state); }
  virtual ~command_line() = default;

  // Replaces the text and show state and rebuilds the tokens from the text.
  void load(const char* text, int show_state);

  const std::string& raw_text() const { return raw_text_; }
  int show_state() const { return show_state_; }
  const std::list<command_token>& tokens() const { return tokens_; }

 private:
  std::string raw_text_;
  int show_state_ = 0;
  std::list<command_token> tokens_;
};

// The process-wide record.
command_line& process_command_line();
