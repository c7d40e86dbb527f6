#pragma once
// The one ordered collection of the current scan's problems. Positions count from 1;
// records are kept in the order they were admitted, duplicates included.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class clsItem;
using ProblemRef = std::shared_ptr<clsItem>;

class ProblemCollection {
public:
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    // The record at a 1-based position; throws RuntimeError 9 outside 1..Count().
    const ProblemRef& Item(int32_t position) const;
    void Add(ProblemRef item) { items_.push_back(std::move(item)); }
    // Removes the record at a 1-based position; later records move up by one.
    void Remove(int32_t position);
    // Removes the last record while there is one.
    void Clear();

    std::vector<ProblemRef>::const_iterator begin() const { return items_.begin(); }
    std::vector<ProblemRef>::const_iterator end() const { return items_.end(); }

private:
    std::vector<ProblemRef> items_;
};
