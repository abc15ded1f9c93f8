#pragma once
#include <cstdint>

// Whether a file last written at `last_write` is less than `days` (0 or more)
// days old at `now`, both in seconds since 1970-01-01 UTC. Exact for any pair
// of times and any day count: a time after `now` is always young, and so is
// `now` itself unless `days` is 0.
bool written_less_than_days_ago(std::int64_t last_write, std::int64_t now, std::int32_t days);
