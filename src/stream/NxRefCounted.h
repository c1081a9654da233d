#pragma once

#include <atomic>
#include <cstdint>

// The reference count the framework's objects share: an object starts with
// none (NxRef or a parent adds the first) and the Release that takes the
// last one deletes it.
class NxRefCounted {
  public:
    NxRefCounted(const NxRefCounted&) = delete;
    NxRefCounted& operator=(const NxRefCounted&) = delete;

    int32_t AddRef() { return ++refs_; }
    int32_t Release() {
        const int32_t left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    int32_t RefCount() const { return refs_.load(); }

  protected:
    NxRefCounted() = default;
    virtual ~NxRefCounted() = default;

  private:
    std::atomic<int32_t> refs_{0};
};
