#include "toolkit/constraints.h"

#include <algorithm>

void TSizeConstraints::Set(int& field, int v)
{
    v = std::max(0, v);
    if (field == v)
        return;
    field = v;
    OnChange(this);
}

void TSizeConstraints::SetMinWidth(int v)
{
    Set(minWidth_, v);
}

void TSizeConstraints::SetMinHeight(int v)
{
    Set(minHeight_, v);
}

void TSizeConstraints::SetMaxWidth(int v)
{
    Set(maxWidth_, v);
}

void TSizeConstraints::SetMaxHeight(int v)
{
    Set(maxHeight_, v);
}

namespace {

int clamp(int v, int lo, int hi)
{
    if (hi > 0)
        v = std::min(v, hi);
    return std::max(v, lo);
}

} // namespace

int TSizeConstraints::ClampWidth(int width) const
{
    return clamp(width, minWidth_, maxWidth_);
}

int TSizeConstraints::ClampHeight(int height) const
{
    return clamp(height, minHeight_, maxHeight_);
}
