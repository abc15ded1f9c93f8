#include "app/command_line.h"

#include <cstring>

namespace {
// The scanner over the raw text; a NUL byte ends the text like its end does.
class token_scanner {
 public:
  token_scanner(const std::string& text, const char* introducers) : text_(text), introducers_(introducers) {}

  bool at_end() const { return pos_ >= text_.size() || text_[pos_] == '\0'; }
  char current() const { return text_[pos_]; }
  void step() { ++pos_; }
  void step_back() { --pos_; }
  bool is_introducer(char c) const { return c != '\0' && std::strchr(introducers_, c) != nullptr; }

  // Takes bytes up to, not including, the first of `stops`, a NUL or the end.
  std::string take_until(const char* stops) {
    const std::size_t start = pos_;
    while (!at_end() && std::strchr(stops, current()) == nullptr) ++pos_;
    return text_.substr(start, pos_ - start);
  }

 private:
  const std::string& text_;
  const char* introducers_;
  std::size_t pos_ = 0;
};

bool is_blank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

void read_plain_word(token_scanner& scan, std::list<command_token>& tokens) {
  tokens.push_back(command_token{scan.take_until(" "), std::string()});
}

void read_option(token_scanner& scan, std::list<command_token>& tokens) {
  if (scan.at_end()) return;
  std::string name = scan.take_until(" \"");
  std::string value;
  if (!scan.at_end()) {
    scan.step();  // the space or quote that ended the name
    if (scan.at_end()) {
      // value stays empty
    } else if (scan.is_introducer(scan.current())) {
      scan.step_back();  // the driver steps over it and reads the next option
    } else {
      value = scan.take_until("\"");
    }
  }
  tokens.push_back(command_token{std::move(value), std::move(name)});
}
}  // namespace

void split_command_line(const std::string& raw_text, std::list<command_token>& tokens, const char* introducers) {
  token_scanner scan(raw_text, introducers);
  while (!scan.at_end()) {
    const char c = scan.current();
    if (is_blank(c)) {
      scan.step();
      continue;
    }
    if (scan.is_introducer(c)) {
      scan.step();
      read_option(scan, tokens);
    } else {
      read_plain_word(scan, tokens);
    }
    if (scan.at_end()) break;
    scan.step();  // the separator or quote that ended the token
  }
}

void command_line::load(const char* text, int show_state) {
  raw_text_ = text != nullptr ? text : "";
  show_state_ = show_state;
  tokens_.clear();
  split_command_line(raw_text_, tokens_);
}

command_line& process_command_line() {
  static command_line line;
  return line;
}
