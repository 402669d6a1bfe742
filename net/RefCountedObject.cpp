#include "net/RefCountedObject.h"

RefCountedObject::~RefCountedObject() = default;

void RefCountedObject::AddRef() {
    count_.fetch_add(1);
}

void RefCountedObject::Release() {
    int current = count_.load();
    while (current > 0) {
        if (count_.compare_exchange_weak(current, current - 1)) {
            if (current == 1) {
                delete this;
            }
            return;
        }
    }
}
