#pragma once
// The main window's mouse pointer. The hourglass doubles as the busy flag that
// removal operations of the file list respect.

namespace quorvane {

enum class PointerStyle { Default = 0, Arrow = 1, Hourglass = 11, Custom = 99 };

class PointerHost {
public:
    virtual ~PointerHost() = default;
    virtual PointerStyle pointer() const = 0;
    virtual void setPointer(PointerStyle style) = 0;
    bool busy() const { return pointer() == PointerStyle::Hourglass; }
};

} // namespace quorvane
