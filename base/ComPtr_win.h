// An owned COM interface pointer: released once, never copied.
#pragma once

#include <unknwn.h>

#include <utility>

namespace norvanex {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    // For the out parameter of CoCreateInstance and QueryInterface; drops what was held.
    void** put() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }

    // The same object under another interface; empty when it has none.
    template <class U>
    ComPtr<U> As(REFIID iid) const {
        ComPtr<U> other;
        if (p_ && FAILED(p_->QueryInterface(iid, other.put()))) other.reset();
        return other;
    }

private:
    T* p_ = nullptr;
};

}  // namespace norvanex
