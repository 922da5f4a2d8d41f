// The person's remark and note.
#include "person_form.h"

void TPersonForm::buildTexts(TWinControl*)
{
}
