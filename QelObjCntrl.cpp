#include "QelObjCntrl.h"

#include "controls/QelEdit.h"
#include "controls/QelGradientLabel.h"
#include "controls/QelHTMLStaticText.h"

#include <iterator>

namespace QelObjCntrl {

namespace {

bool g_initialized = false;

// The units of the package, in initialisation order. Each registers its data-control class with
// the binding walk and its components on the palette page.
struct Unit {
    void (*initialize)();
    void (*finalize)();
};

const Unit kUnits[] = {
    { QelEditUnit::Initialize, QelEditUnit::Finalize },
    { QelGradientLabelUnit::Initialize, QelGradientLabelUnit::Finalize },
    { QelHTMLStaticTextUnit::Initialize, QelHTMLStaticTextUnit::Finalize },
};

} // namespace

void Initialize()
{
    if (g_initialized)
        return;
    g_initialized = true;
    for (const Unit& u : kUnits)
        if (u.initialize)
            u.initialize();
}

void Finalize()
{
    if (!g_initialized)
        return;
    for (auto it = std::rbegin(kUnits); it != std::rend(kUnits); ++it)
        if (it->finalize)
            it->finalize();
    g_initialized = false;
}

bool IsInitialized()
{
    return g_initialized;
}

} // namespace QelObjCntrl
