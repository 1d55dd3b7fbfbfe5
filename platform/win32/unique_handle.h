// Owner of a kernel object handle (file, process, mutex): closed once, when
// the owner goes. Both of the system's "no handle" values count as empty.
#pragma once

#include <memory>

#include "platform/win32/windows_inc.h"

namespace morvane::win32 {

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle)
        : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    HANDLE Get() const { return handle_.get(); }
    bool Valid() const { return handle_ != nullptr; }
    void Reset(HANDLE handle = nullptr) {
        handle_.reset(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
    }

  private:
    std::unique_ptr<void, HandleCloser> handle_;
};

}  // namespace morvane::win32
