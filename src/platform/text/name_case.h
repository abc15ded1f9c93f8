#pragma once
#include <string>

// What "ignoring case" means for names, patterns and option words, on every
// build: each byte through the C locale's tolower, so the letters A to Z
// alone fold and no byte of a multibyte character ever does.
inline char folded_case(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The same for a UTF-16 unit: A to Z alone.
inline wchar_t folded_case(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Whether `name` equals `wanted`, case folded.
inline bool same_ignoring_case(const std::string& name, const char* wanted) {
  std::size_t k = 0;
  for (; k < name.size() && wanted[k] != '\0'; ++k)
    if (folded_case(name[k]) != folded_case(wanted[k])) return false;
  return k == name.size() && wanted[k] == '\0';
}

// `text` with every byte folded.
inline std::string folded_case(std::string text) {
  for (char& c : text) c = folded_case(c);
  return text;
}
