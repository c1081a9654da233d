#pragma once

#include <utility>

// Holds one reference on a reference-counted framework object.
template <typename T>
class NxRef {
  public:
    NxRef() = default;
    // Adds a reference.
    explicit NxRef(T* object) : object_(object) {
        if (object_) {
            object_->AddRef();
        }
    }
    NxRef(const NxRef& other) : NxRef(other.object_) {}
    NxRef(NxRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    template <typename U>
    NxRef(NxRef<U> other) : object_(other.detach()) {}
    ~NxRef() { reset(); }

    NxRef& operator=(NxRef other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }

    // Takes over a reference the caller already added.
    static NxRef adopt(T* object) {
        NxRef ref;
        ref.object_ = object;
        return ref;
    }

    void reset() {
        if (T* object = std::exchange(object_, nullptr)) {
            object->Release();
        }
    }
    // Gives the reference to the caller.
    T* detach() { return std::exchange(object_, nullptr); }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

  private:
    T* object_ = nullptr;
};

// Creates a framework object and holds the creator's reference.
template <typename T, typename... Args>
NxRef<T> MakeNx(Args&&... args) {
    return NxRef<T>(new T(std::forward<Args>(args)...));
}
