// An owned handle of any kind: given back once, on every way out, never copied.
#pragma once

#include <utility>

namespace norvanex {

// Owns `Handle` until it goes: `Close` (a function object, which may carry what closing needs)
// gives it back then. Handle{} is no handle. Movable, never copyable: a copy would close twice.
template <class Handle, class Close>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle, Close close = Close{}) : handle_(handle), close_(std::move(close)) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()), close_(std::move(other.close_)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
            close_ = std::move(other.close_);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }
    Handle release() { return std::exchange(handle_, Handle{}); }
    void reset(Handle handle = Handle{}) {
        const Handle old = std::exchange(handle_, handle);
        if (old != Handle{}) close_(old);
    }

private:
    Handle handle_{};
    Close close_{};
};

}  // namespace norvanex
