// The combos: salutation, active flag and employer.
#include "person_form.h"

void TPersonForm::buildChoices(TWinControl*)
{
}
