#include "QelObjCntrl.h"

namespace QelObjCntrl {

namespace {
bool g_initialized = false;
}

void Initialize()
{
    if (g_initialized)
        return;
    g_initialized = true;
}

void Finalize()
{
    if (!g_initialized)
        return;
    g_initialized = false;
}

bool IsInitialized()
{
    return g_initialized;
}

} // namespace QelObjCntrl
