#include "QelObjCntrl.h"

#include "binding/qelaction.h"
#include "controls/QelEdit.h"
#include "controls/QelGradientLabel.h"
#include "controls/QelHTMLStaticText.h"
#include "controls/QelPasswordEdit.h"

#include <iterator>

namespace QelObjCntrl {

namespace {

bool g_initialized = false;

// The units of the package, in initialisation order. Each registers its data-control class with
// the binding walk and its components on the palette page.
struct Unit {
    void (*initialize)();
    void (*finalize)();
    void (*registerComponents)();
};

const Unit kUnits[] = {
    { nullptr, nullptr, qelaction::Register },
    { QelEdit::Initialize, QelEdit::Finalize, QelEdit::Register },
    { QelGradientLabel::Initialize, QelGradientLabel::Finalize, QelGradientLabel::Register },
    { QelHTMLStaticText::Initialize, QelHTMLStaticText::Finalize, QelHTMLStaticText::Register },
    { nullptr, nullptr, QelPasswordEdit::Register },
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

void Register()
{
    for (const Unit& u : kUnits)
        if (u.registerComponents)
            u.registerComponents();
}

} // namespace QelObjCntrl
