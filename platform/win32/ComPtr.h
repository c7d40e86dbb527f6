#pragma once
// Owner of one COM interface pointer: not copyable, released once.
#include <objbase.h>

#include <utility>

namespace win {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(other.release()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T* release() { return std::exchange(p_, nullptr); }
    void reset(T* p = nullptr) {
        if (p_) p_->Release();
        p_ = p;
    }
    // For the out parameter of CoCreateInstance and QueryInterface: drops the
    // pointer held and hands over the slot.
    void** put() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }

private:
    T* p_ = nullptr;
};

// COM for the calling thread, initialised once (single-threaded apartment) and
// uninitialised by the owner if this call initialised it.
class ComApartment {
public:
    ComApartment() = default;
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (entered_) CoUninitialize();
    }
    // S_OK or S_FALSE once COM is usable on this thread; RPC_E_CHANGED_MODE means it
    // already runs in another apartment model, which serves as well.
    HRESULT Enter() {
        if (entered_) return S_OK;
        HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(hr)) entered_ = true;
        return hr == RPC_E_CHANGED_MODE ? S_OK : hr;
    }

private:
    bool entered_ = false;
};

}  // namespace win
