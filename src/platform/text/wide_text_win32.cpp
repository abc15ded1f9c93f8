#include "platform/text/wide_text_win32.h"

#include <windows.h>

namespace platform {
namespace {
constexpr wchar_t replacement_character = 0xFFFD;

bool is_high_surrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void append_utf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool starts_with(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, std::wstring(prefix).size(), prefix) == 0;
}

// "\\?\" or "\\.\" before a drive letter's path, which reads the same without it.
bool is_prefixed_drive_path(const std::wstring& path) {
  return (starts_with(path, L"\\\\?\\") || starts_with(path, L"\\\\.\\")) && path.size() >= 6 && path[5] == L':';
}
}  // namespace

std::wstring to_wide(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned lead = bytes[i];
    std::size_t length = 1;
    char32_t code = lead;
    char32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
      smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
      smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
      smallest = 0x10000;
    } else if (lead >= 0x80) {
      length = 0;  // a trail byte or an invalid lead
    }
    std::size_t k = 1;
    for (; k < length && i + k < text.size() && (bytes[i + k] & 0xC0) == 0x80; ++k)
      code = (code << 6) | (bytes[i + k] & 0x3F);
    // Surrogates in three bytes are taken as they are: that is what makes it WTF-8.
    if (length == 0 || k < length || code < smallest || code > 0x10FFFF) {
      out.push_back(replacement_character);
      ++i;
      continue;
    }
    i += length;
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(code));
    }
  }
  return out;
}

std::string from_wide(const wchar_t* text, std::size_t length) {
  std::string out;
  out.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    const char32_t unit = static_cast<char16_t>(text[i]);
    if (is_high_surrogate(unit) && i + 1 < length && is_low_surrogate(static_cast<char16_t>(text[i + 1]))) {
      append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char16_t>(text[i + 1]) - 0xDC00));
      ++i;
    } else {
      append_utf8(out, unit);
    }
  }
  return out;
}

std::string from_wide(const std::wstring& text) { return from_wide(text.data(), text.size()); }

std::wstring full_path(const std::string& path) {
  const std::wstring wide = to_wide(path);
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (length == 0) return std::wstring();
    const bool fits = length < full.size();
    full.resize(length);
    if (fits) break;
  }
  if (starts_with(full, L"\\\\?\\UNC\\")) return L"\\\\" + full.substr(8);
  // Any other such path ("\\?\Volume{GUID}\") has no form without the prefix.
  if (is_prefixed_drive_path(full)) return full.substr(4);
  return full;
}

std::wstring exact_path(const std::wstring& full) {
  if (starts_with(full, L"\\\\?\\") || starts_with(full, L"\\\\.\\")) return full;
  if (starts_with(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::wstring call_path(const std::string& path) {
  const std::wstring wide = to_wide(path);
  if (starts_with(wide, L"\\\\?\\")) return wide;
  // A relative path is resolved against the working directory before the
  // limit applies; the prefix turns off the system's own clean-up of the path,
  // so that is done here first.
  const std::wstring full = full_path(path);
  if (full.empty()) return wide;  // the call that takes it reports why
  return full.size() < MAX_PATH ? wide : exact_path(full);
}

std::string ansi_text(const std::wstring& text) {
  if (text.empty()) return std::string();
  const DWORD saved_error = GetLastError();
  const int length = static_cast<int>(text.size());
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  const char* fallback = "?";
  BOOL used_fallback = FALSE;
  int size = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, fallback, &used_fallback);
  if (size == 0) {
    // UTF-8 and a few other code pages take neither; they hold every character anyway.
    flags = 0;
    fallback = nullptr;
    size = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
  }
  std::string out(static_cast<std::size_t>(size), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_ACP, flags, text.data(), length, &out[0], size, fallback,
                        fallback != nullptr ? &used_fallback : nullptr);
  SetLastError(saved_error);
  return out;
}

std::wstring code_page_to_wide(const std::string& text, unsigned code_page) {
  if (text.empty()) return std::wstring();
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(code_page, 0, text.data(), length, nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), length, &wide[0], size);
  return wide;
}

std::wstring dialog_text(const std::string& text, const std::vector<const char*>& own_texts) {
  std::wstring out;
  std::size_t written_from = 0;  // start of the ANSI run not yet converted
  std::size_t at = 0;
  while (at < text.size()) {
    const char* own = nullptr;
    for (const char* candidate : own_texts)
      if (text.compare(at, std::char_traits<char>::length(candidate), candidate) == 0) own = candidate;
    if (own == nullptr || own[0] == '\0') {
      ++at;
      continue;
    }
    out += code_page_to_wide(text.substr(written_from, at - written_from), CP_ACP);
    out += code_page_to_wide(own, own_text_code_page);
    at += std::char_traits<char>::length(own);
    written_from = at;
  }
  return out + code_page_to_wide(text.substr(written_from), CP_ACP);
}

const wchar_t* after_program_name(const wchar_t* command_line) {
  const wchar_t* p = command_line;
  if (*p == L'"') {
    ++p;
    while (*p != L'\0' && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p > L' ') ++p;
  }
  while (*p != L'\0' && *p <= L' ') ++p;
  return p;
}
}  // namespace platform
