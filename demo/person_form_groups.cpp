// The check box and the check groups of the person's choices.
#include "person_form.h"

#include "controls/qelcheckgroup.h"

void TPersonForm::buildGroups()
{
    // Languages as a bit mask in one field, one check box per entry. Not published yet: the
    // group's caption.
    designed<TQelCheckGroup>("cgSprachen")->SetCaption("Sprachen");
}
