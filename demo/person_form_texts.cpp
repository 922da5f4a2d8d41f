// The person's remark (a long text, read from the database only when the memo is entered) and
// note.
#include "person_form.h"

#include "toolkit/stdctrls.h"

void TPersonForm::buildTexts()
{
    // A .ui font has no colour: the count of free characters is grey from here.
    designed<TLabel>("lblBemerkungFrei")->Font().SetColor(clGray);
}
