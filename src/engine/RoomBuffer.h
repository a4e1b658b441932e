#pragma once
// A growable run of code units with spare room in front, so the replacement
// stages can put their held-back tails before the text without moving it.
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <memory>

namespace quorvane {

template <typename Unit>
class RoomBuffer {
public:
    // Empties the buffer and keeps `room` units free in front for prepend().
    void reset(std::size_t room)
    {
        begin_ = end_ = 0;
        if (capacity_ < room) grow(room + 4096);
        begin_ = end_ = room;
    }
    // Adds n units at the end, growing the storage when needed.
    void append(const Unit* p, std::size_t n)
    {
        if (n == 0) return;
        if (end_ + n > capacity_) grow(std::max(capacity_ * 2, end_ + n));
        std::memcpy(data_.get() + end_, p, n * sizeof(Unit));
        end_ += n;
    }
    // Puts n units before the text; the caller reserved them with reset().
    void prepend(const Unit* p, std::size_t n)
    {
        if (n == 0) return;
        assert(n <= begin_);
        begin_ -= n;
        std::memcpy(data_.get() + begin_, p, n * sizeof(Unit));
    }
    // Keeps only the first len units.
    void truncate(std::size_t len) { end_ = begin_ + len; }
    const Unit* data() const { return data_.get() + begin_; }
    std::size_t size() const { return end_ - begin_; }

private:
    void grow(std::size_t capacity)
    {
        std::unique_ptr<Unit[]> bigger(new Unit[capacity]);
        if (end_ > begin_) std::memcpy(bigger.get() + begin_, data_.get() + begin_, (end_ - begin_) * sizeof(Unit));
        data_ = std::move(bigger);
        capacity_ = capacity;
    }

    std::unique_ptr<Unit[]> data_;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

} // namespace quorvane
