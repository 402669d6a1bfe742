#pragma once
// Base of objects shared between threads: a name lookup's caller and its worker each hold one
// reference to the resolver, and whichever lets go last destroys it. The count starts at 0;
// a release that takes it from 1 to 0 deletes the object, and it never goes below zero.

#include <atomic>

#include "core/QuorvelObject.h"

class RefCountedObject : public QuorvelObject {
public:
    RefCountedObject() = default;
    RefCountedObject(const RefCountedObject&) = delete;
    RefCountedObject& operator=(const RefCountedObject&) = delete;

    void AddRef();
    void Release();

protected:
    ~RefCountedObject() override;  // only Release destroys

private:
    std::atomic<int> count_{0};
};

// Holds one reference for the life of a scope (the caller's side of a shared resolver).
template <class T>
class RefHolder {
public:
    explicit RefHolder(T* object) : object_(object) {
        if (object_) {
            object_->AddRef();
        }
    }
    ~RefHolder() {
        if (object_) {
            object_->Release();
        }
    }
    RefHolder(const RefHolder&) = delete;
    RefHolder& operator=(const RefHolder&) = delete;

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_;
};
