// The person's remark (a long text, read from the database only when the memo is entered) and
// note.
#include "person_form.h"

#include "controls/QelMemo.h"

#include "toolkit/stdctrls.h"

void TPersonForm::buildTexts()
{
    auto* count = designed<TLabel>("lblBemerkungFrei");
    designed<TQelMemo>("mmBemerkung")->set_CountLabel(count);
    // Not in the .ui: a label's alignment (not published yet) and its text colour (a .ui font
    // has none).
    count->SetAlignment(taRightJustify);
    count->Font().SetColor(clGray);
}
