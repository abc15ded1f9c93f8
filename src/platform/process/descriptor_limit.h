#pragma once
#include <cstddef>
#include <string>

namespace platform {
// How many more descriptors the process may open before it reaches its limit,
// after those it holds already, inherited ones included. Where a directory
// costs a handle of which a process may hold millions (Windows), a number
// larger than any walk keeps open.
std::size_t spare_descriptors();
// The same for a walk of the tree `root`: where its volume is a network
// share, no more than a server is sure to let one client hold open.
std::size_t spare_descriptors(const std::string& root);

// Raises the process's own limit of open descriptors as far as the system
// allows, once at start; a program started later gets the limit this process
// was given (restore_descriptor_limit, in the child before it runs the program).
void raise_descriptor_limit();
void restore_descriptor_limit();
}  // namespace platform
