#pragma once

#include <cstdint>
#include <mutex>
#include <string_view>
#include <vector>

#include "stream/NxRefCounted.h"

class CNxSSManager;

// Root of the framework's objects: reference counted, owned by a parent
// through the parent's child list, tagged for inspection.
class CNxSSObject : public NxRefCounted {
  public:
    static constexpr size_t kTagLength = 8;

    // Joins parent's child list (one reference) and takes parent's manager.
    explicit CNxSSObject(CNxSSObject* parent);
    // Releases the children from last to first.
    ~CNxSSObject() override;

    // Moves the object from its parent's child list into newParent's (or
    // into none). Throws CNxSSException(0x80004005) when the current
    // parent does not list it.
    virtual void SetParent(CNxSSObject* newParent);
    // Gives an interface of the object by id; the base has none.
    virtual uint32_t GetInterface(uint32_t id, void** out);

    std::string_view Tag() const { return {tag_, kTagLength}; }
    CNxSSObject* Parent() const { return parent_; }
    CNxSSManager* Manager() const { return manager_; }
    size_t ChildCount() const;

  protected:
    void SetTag(const char (&tag)[kTagLength + 1]);
    void SetManager(CNxSSManager* manager) { manager_ = manager; }

  private:
    void AddChild(CNxSSObject* child);
    bool RemoveChild(CNxSSObject* child);

    char tag_[kTagLength];
    CNxSSObject* parent_ = nullptr;
    CNxSSManager* manager_ = nullptr;
    mutable std::mutex childrenMutex_;
    std::vector<CNxSSObject*> children_;
};
