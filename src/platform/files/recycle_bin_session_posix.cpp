#include "platform/files/recycle_bin_session.h"

#include "platform/files/trash_places_posix.h"

namespace platform {
struct recycle_bin_session::held {
  trash_places places;
};

namespace {
recycle_bin_session* innermost = nullptr;
trash_places* innermost_places = nullptr;
}  // namespace

recycle_bin_session::recycle_bin_session() : held_(new held), outer_(innermost) {
  innermost = this;
  innermost_places = &held_->places;
}

recycle_bin_session::~recycle_bin_session() {
  innermost = outer_;
  innermost_places = outer_ == nullptr ? nullptr : &outer_->held_->places;
  delete held_;
}

trash_places* session_trash_places() { return innermost_places; }
}  // namespace platform
