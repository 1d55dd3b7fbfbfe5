// Small RAII helpers for COM: an owning interface pointer, BSTR and VARIANT
// holders and the apartment of the window thread. (mingw has no WRL.)
#pragma once

#include <objbase.h>
#include <oleauto.h>

#include <utility>

namespace morvane::win32 {

// Owns one reference to a COM interface.
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // Releases what is held and hands out the slot for an out-parameter.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

  private:
    T* p_ = nullptr;
};

// Owns a BSTR.
class Bstr {
  public:
    explicit Bstr(const wchar_t* text) : b_(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return b_; }

  private:
    BSTR b_;
};

// Owns a VARIANT: initialised on construction, cleared on destruction.
class Variant {
  public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* Get() { return &v_; }
    VARIANT* operator->() { return &v_; }
    // Clears the old value and hands out the slot for an out-parameter.
    VARIANT* Put() {
        VariantClear(&v_);
        return &v_;
    }

  private:
    VARIANT v_;
};

// COM on the calling thread (a single-threaded apartment, as a window thread
// needs) for the holder's lifetime. The program's main and the tests' main
// hold one.
class ComInit {
  public:
    ComInit() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComInit() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
    bool Ok() const { return SUCCEEDED(hr_); }

  private:
    HRESULT hr_;
};

}  // namespace morvane::win32
