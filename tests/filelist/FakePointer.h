#pragma once
// A window pointer for tests that records every style it was given.
#include "shell/Pointer.h"

#include <vector>

namespace quorvane::test {

class FakePointer : public PointerHost {
public:
    PointerStyle style = PointerStyle::Default;
    std::vector<PointerStyle> history;
    PointerStyle pointer() const override { return style; }
    void setPointer(PointerStyle s) override
    {
        style = s;
        history.push_back(s);
    }
};

} // namespace quorvane::test
