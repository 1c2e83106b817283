// Process-wide state, one struct per subsystem.  Exactly one instance of each
// is current at a time; a StateScope makes a fresh one current for its
// lifetime, so a run (or a test) starts from clean tables and leaves nothing
// behind for the next.
#pragma once

#include <cassert>

namespace tol {

template <class T>
class StateScope;

template <class T>
class Current {
 public:
  static T& Get() {
    assert(ptr_ != nullptr && "no runtime context is current");
    return *ptr_;
  }
  static bool Exists() { return ptr_ != nullptr; }

 private:
  friend class StateScope<T>;
  static inline T* ptr_ = nullptr;
};

template <class T>
class StateScope {
 public:
  StateScope() : prev_(Current<T>::ptr_) { Current<T>::ptr_ = &state_; }
  ~StateScope() { Current<T>::ptr_ = prev_; }
  StateScope(const StateScope&) = delete;
  StateScope& operator=(const StateScope&) = delete;

  T& operator*() { return state_; }
  T* operator->() { return &state_; }

 private:
  T state_;
  T* prev_;
};

}  // namespace tol
