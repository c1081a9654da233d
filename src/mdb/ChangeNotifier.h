#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace mdb {

enum class ChangeKind : uint32_t {
    None = 0,
    Added = 1,
    Removed = 2,
    ItemChanged = 3,
    Moved = 4,
    Sorted = 5,
    Destroyed = 6,
};

class ChangeListener;

// The listener registration of a database container; events name it as
// their source.
class ChangeSource {
  public:
    virtual void addListener(ChangeListener* listener) = 0;
    virtual void removeListener(ChangeListener* listener) = 0;

  protected:
    virtual ~ChangeSource() = default;
};

struct ChangeEvent {
    const ChangeSource* source;
    ChangeKind kind;
};

class ChangeListener {
  public:
    virtual ~ChangeListener() = default;
    virtual void onChange(const ChangeEvent& event) = 0;
};

// Listener list plus one pending change kind. Mutations record their kind
// (a later one overwrites an earlier one) and a flush delivers it once;
// ItemChanged bypasses the pending kind and is delivered at once.
class ChangeNotifier : public ChangeSource {
  public:
    explicit ChangeNotifier(std::recursive_mutex& lock) : lock_(lock) {}
    ChangeNotifier(const ChangeNotifier&) = delete;
    ChangeNotifier& operator=(const ChangeNotifier&) = delete;

    void addListener(ChangeListener* listener) override;
    void removeListener(ChangeListener* listener) override;
    void flush();
    ChangeKind pendingKind() const;
    // ItemChanged is never pended: it goes out at once.
    void deliverItemChanged();

  protected:
    ~ChangeNotifier() override = default;
    void setPending(ChangeKind kind);
    void deliver(ChangeKind kind);
    std::recursive_mutex& mutex() const { return lock_; }
    // Called when the pending kind leaves None.
    virtual void onPending() {}

  private:
    std::recursive_mutex& lock_;
    std::vector<ChangeListener*> listeners_;
    ChangeKind pending_ = ChangeKind::None;
};

}  // namespace mdb
