#include "controls/QelPageControl.h"

TQelPageControl::TQelPageControl(TComponent* owner)
    : TQelPageBinding(owner)
{
}
