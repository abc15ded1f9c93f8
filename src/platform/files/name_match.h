#pragma once

namespace platform {
// Whether a wildcard matches an entry name as the platform's own listing
// would: without regard to case, '*' for any run of bytes, '?' for one.
bool name_matches(const char* pattern, const char* name);
}  // namespace platform
