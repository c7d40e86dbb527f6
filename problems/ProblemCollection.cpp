#include "problems/ProblemCollection.h"

#include "core/Errors.h"

const ProblemRef& ProblemCollection::Item(int32_t position) const {
    if (position < 1 || position > Count()) throw RuntimeError(kErrSubscript);
    return items_[static_cast<size_t>(position - 1)];
}

void ProblemCollection::Remove(int32_t position) {
    if (position < 1 || position > Count()) throw RuntimeError(kErrSubscript);
    items_.erase(items_.begin() + (position - 1));
}

void ProblemCollection::Clear() {
    while (Count() >= 1) items_.pop_back();
}
