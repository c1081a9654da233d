#include "stream/CNxSSObject.h"

#include <algorithm>
#include <cstring>

#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

CNxSSObject::CNxSSObject(CNxSSObject* parent) : manager_(parent ? parent->Manager() : nullptr) {
    SetTag("NXSSOBJ ");
    if (parent) {
        SetParent(parent);
    }
}

CNxSSObject::~CNxSSObject() {
    std::vector<CNxSSObject*> children;
    {
        std::lock_guard lock(childrenMutex_);
        children = children_;
    }
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        (*it)->SetParent(nullptr);
    }
}

void CNxSSObject::SetParent(CNxSSObject* newParent) {
    CNxSSObject* const oldParent = parent_;
    if (oldParent && !oldParent->RemoveChild(this)) {
        throw CNxSSException(nxss::kFail);
    }
    // Join the new parent before the old parent's reference goes: that may
    // be the last one and must not delete an object that is being moved.
    if (newParent) {
        newParent->AddChild(this);
        AddRef();
    }
    parent_ = newParent;
    if (oldParent) {
        Release();
    }
}

uint32_t CNxSSObject::GetInterface(uint32_t, void** out) {
    if (out) {
        *out = nullptr;
    }
    return nxss::kFail;
}

size_t CNxSSObject::ChildCount() const {
    std::lock_guard lock(childrenMutex_);
    return children_.size();
}

void CNxSSObject::SetTag(const char (&tag)[kTagLength + 1]) {
    std::memcpy(tag_, tag, kTagLength);
}

void CNxSSObject::AddChild(CNxSSObject* child) {
    std::lock_guard lock(childrenMutex_);
    children_.push_back(child);
}

bool CNxSSObject::RemoveChild(CNxSSObject* child) {
    std::lock_guard lock(childrenMutex_);
    const auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end()) {
        return false;
    }
    children_.erase(it);
    return true;
}
