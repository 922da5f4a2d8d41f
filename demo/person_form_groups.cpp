// The check box and the check groups of the person's choices.
#include "person_form.h"

void TPersonForm::buildGroups(TWinControl*)
{
}
