#pragma once
// A growable run of code units with spare room in front, so the replacement
// stages can put their held-back tails before the text without moving it.
// Every allocation has kCopySlackBytes more behind its end, so copies may
// move whole blocks past the end of what they copy (see CopyWithSlack).
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <memory>

namespace quorvane {

// Room every RoomBuffer keeps behind its end, and what CopyWithSlack may move
// past the end of what it copies.
inline constexpr std::size_t kCopySlackBytes = 64;

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
    // Sets the length; units beyond the old end are left unset.
    void resize(std::size_t len)
    {
        if (begin_ + len > capacity_) grow(std::max(capacity_ * 2, begin_ + len));
        end_ = begin_ + len;
    }
    // Moves the first len units delta places towards the front (back when
    // delta is negative) and starts the text there; needs delta <= frontSpace().
    void slideFront(std::size_t len, std::ptrdiff_t delta)
    {
        assert(delta <= std::ptrdiff_t(begin_));
        Unit* from = data_.get() + begin_;
        if (len) std::memmove(from - delta, from, len * sizeof(Unit));
        begin_ = std::size_t(std::ptrdiff_t(begin_) - delta);
    }
    std::size_t frontSpace() const { return begin_; }
    const Unit* data() const { return data_.get() + begin_; }
    Unit* data() { return data_.get() + begin_; }
    std::size_t size() const { return end_ - begin_; }

private:
    void grow(std::size_t capacity)
    {
        std::unique_ptr<Unit[]> bigger(new Unit[capacity + kCopySlackBytes / sizeof(Unit)]);
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
