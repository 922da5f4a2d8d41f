// The page "Beziehungen": the employer chosen from the firms' hierarchy, the languages the
// person speaks entered one by one.
#include "person_form.h"

#include "controls/QelPageControl.h"
#include "pickers/QelDataMultiEdit.h"
#include "pickers/qeltreecombo.h"

#include "toolkit/comctrls.h"
#include "toolkit/stdctrls.h"

void TPersonForm::buildRelations(TWinControl* page)
{
    auto caption = [&](const char* text, int y) {
        auto* l = new TLabel(this);
        l->SetParent(page);
        l->SetBounds(16, y, 400, 16);
        l->SetCaption(text);
    };
    caption("Arbeitgeber (aus der Konzernstruktur)", 16);
    auto* employer = new TQelTreeCombo(this);
    employer->SetName("tcArbeitgeber");
    employer->SetParent(page);
    employer->SetBounds(16, 34, 320, 24);
    employer->set_FieldPath("Arbeitgeber");
    employer->set_NullEntry("<keine Firma>");
    employer->SetDropHeight(260);

    caption("Sprachkenntnisse (tippen, Enter übernimmt; Doppelklick öffnet)", 84);
    auto* languages = new TQelDataMultiEdit(this);
    languages->SetName("dmeSprachen");
    languages->SetParent(page);
    languages->SetBounds(16, 102, 480, 24);
    languages->set_FieldPath("Sprachkenntnisse/Sprache");
    languages->set_NeuEintrag(false);
    languages->set_SuchEintrag(false);
    languages->setLookupPause(400);
}

void TPersonForm::ShowEmployerTree()
{
    auto* page = dynamic_cast<TTabSheet*>(FindComponent("tsBeziehungen"));
    auto* employer = dynamic_cast<TQelTreeCombo*>(FindComponent("tcArbeitgeber"));
    if (!page || !employer)
        return;
    pages_->SetActivePage(page);
    employer->SetDroppedDown(true);
}
