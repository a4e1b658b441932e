#include "app/Hover.h"

namespace quorvane {

void HoverOverButton(PointerHost& host)
{
    if (!host.busy())
        host.setPointer(PointerStyle::Custom);
}

void HoverOverBackground(PointerHost& host)
{
    if (!host.busy())
        host.setPointer(PointerStyle::Default);
}

} // namespace quorvane
