#include "xml/TreeInfo.h"

#include <atomic>
#include <new>

namespace {
std::atomic<int32_t> g_treesMade{0};
}  // namespace

TreeInfo::TreeInfo(TreeNode* root)
    : magic_(NodeMagic::kLive),
      root_(root),
      declaration_(nullptr),
      piText_(nullptr),
      doctypeText_(nullptr),
      serial_(++g_treesMade),
      handleCount_(0) {
    stylesheets_.SetOwnsItems(true);
}

TreeInfo::~TreeInfo() {
    delete declaration_;
    delete piText_;
    delete doctypeText_;
    magic_ = NodeMagic::kDestroyed;
}

void TreeInfo::SetDeclaration(TreeNode* declaration) {
    if (declaration != declaration_) {
        delete declaration_;
        declaration_ = declaration;
    }
}

namespace {
bool StoreCopy(StringBuffer*& field, const char* bytes, uint32_t count) {
    if (count == 0) {
        return true;
    }
    auto* copy = new (std::nothrow) StringBuffer(bytes, count);
    if (!copy || copy->GetSize() != count) {
        delete copy;
        return false;
    }
    delete field;
    field = copy;
    return true;
}
}  // namespace

bool TreeInfo::SetPiText(const char* bytes, uint32_t count) { return StoreCopy(piText_, bytes, count); }
bool TreeInfo::SetDoctypeText(const char* bytes, uint32_t count) { return StoreCopy(doctypeText_, bytes, count); }
