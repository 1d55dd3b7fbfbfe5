// The platform handles of one window's controls by name: widgets on Qt,
// window handles on Win32.
#pragma once

#include <map>

#include "platform/runtime.h"

namespace morvane {

template <typename Handle>
class ControlTable {
  public:
    void Add(Control name, Handle handle) { handles_[name] = handle; }

    // The handle of `name`; a null handle when the window has no such
    // control.
    Handle Find(Control name) const {
        const auto found = handles_.find(name);
        return found == handles_.end() ? Handle{} : found->second;
    }

    // Every control with its handle, in the order of the Control enum.
    auto begin() const { return handles_.begin(); }
    auto end() const { return handles_.end(); }

  private:
    std::map<Control, Handle> handles_;
};

}  // namespace morvane
