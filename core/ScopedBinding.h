#pragma once
// Points one of the program's hooks (App::events, ScanState::progress) at an object
// for as long as the binding lives, and puts back what it pointed at before when the
// binding ends: declared beside the object it binds, the hook never outlives it.
#include <type_traits>

template <typename T>
class ScopedBinding {
public:
    ScopedBinding(T*& hook, std::type_identity_t<T>& target) : hook_(hook), previous_(hook) {
        hook_ = &target;
    }
    ~ScopedBinding() { hook_ = previous_; }
    ScopedBinding(const ScopedBinding&) = delete;
    ScopedBinding& operator=(const ScopedBinding&) = delete;

private:
    T*& hook_;
    T* previous_;
};
