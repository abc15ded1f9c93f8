#pragma once
#include <cstdint>
#include <string>

// A byte count for people: "26 B" below 1024, otherwise the largest binary
// unit that keeps the value at 1 or more, with one decimal rounded down
// ("1.5 KiB", "1023.9 KiB", never "1024.0 KiB").
std::string size_text(std::uint64_t bytes);
