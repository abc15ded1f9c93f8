#pragma once
#include <cstddef>

// Writes the local time as "hour:minute year/month/day" (no leading zeros),
// at most `size` bytes including the terminating NUL.
void local_time_text(char* buffer, std::size_t size);

namespace platform {
struct local_time;
}
// The same stamp for a given time.
void format_time_stamp(const platform::local_time& time, char* buffer, std::size_t size);
