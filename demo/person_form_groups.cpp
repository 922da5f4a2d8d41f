// The check box and the check groups of the person's choices.
#include "person_form.h"

#include "controls/QelCheckBox.h"
#include "controls/qelcheckgroup.h"
#include "controls/qelchecklist.h"

#include "toolkit/stdctrls.h"

void TPersonForm::buildGroups(TWinControl* area)
{
    auto* aktiv = new TQelCheckBox(this);
    aktiv->SetName("cbAktiv");
    aktiv->SetParent(area);
    aktiv->SetBounds(8, 4, 176, 22);
    aktiv->set_FieldPath("Aktiv");
    aktiv->SetCaption("<b>Aktiv</b> (Person ist aktiv)");

    // Languages as a bit mask in one field, one check box per entry.
    auto* sprachen = new TQelCheckGroup(this);
    sprachen->SetName("cgSprachen");
    sprachen->SetParent(area);
    sprachen->SetBounds(8, 32, 176, 156);
    sprachen->SetCaption("Sprachen");
    sprachen->set_FieldPath("Sprachen");

    // Roles as a flag text, sorted by name; stored by domain position.
    auto* caption = new TLabel(this);
    caption->SetParent(area);
    caption->SetBounds(196, 32, 164, 16);
    caption->SetCaption("Rollen");
    auto* rollen = new TQelCheckList(this);
    rollen->SetName("clRollen");
    rollen->SetParent(area);
    rollen->SetBounds(196, 50, 164, 138);
    rollen->SetItemHeight(22);
    rollen->SetSorted(true);
    rollen->set_FieldPath("Rollen");
}
