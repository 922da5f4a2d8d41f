// The page "Beziehungen": the employer chosen from the firms' hierarchy, the languages the
// person speaks entered one by one.
#include "person_form.h"

#include "controls/QelPageControl.h"
#include "pickers/qeltreecombo.h"

#include "toolkit/comctrls.h"

void TPersonForm::ShowEmployerTree()
{
    auto* page = dynamic_cast<TTabSheet*>(FindComponent("tsBeziehungen"));
    auto* employer = dynamic_cast<TQelTreeCombo*>(FindComponent("tcArbeitgeber"));
    if (!page || !employer)
        return;
    pages_->SetActivePage(page);
    employer->SetDroppedDown(true);
}
