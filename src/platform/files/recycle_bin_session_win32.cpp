#include "platform/files/recycle_bin_session.h"

namespace platform {
// The shell opens the recycle bin itself at each call.
recycle_bin_session::recycle_bin_session() = default;
recycle_bin_session::~recycle_bin_session() = default;
}  // namespace platform
