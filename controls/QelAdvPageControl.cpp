#include "controls/QelAdvPageControl.h"

TQelAdvPageControl::TQelAdvPageControl(TComponent* owner)
    : TQelPageBinding(owner)
{
}
