// The person's remark and note.
#include "person_form.h"

#include "controls/QelFTMemo.h"
#include "controls/QelMemo.h"

#include "toolkit/stdctrls.h"

void TPersonForm::buildTexts(TWinControl* area)
{
    const auto caption = [&](const char* text, int x, int y, int w) {
        auto* l = new TLabel(this);
        l->SetParent(area);
        l->SetBounds(x, y, w, 16);
        l->SetCaption(text);
        return l;
    };

    // A long text: read from the database only when the memo is entered.
    caption("Bemerkung (wird beim Betreten geladen)", 16, 8, 440);
    auto* bemerkung = new TQelMemo(this);
    bemerkung->SetName("mmBemerkung");
    bemerkung->SetParent(area);
    bemerkung->SetBounds(16, 28, 440, 380);
    bemerkung->set_FieldPath("Bemerkung");
    auto* count = caption("", 16, 412, 440);
    count->SetName("lblBemerkungFrei");
    count->SetAlignment(taRightJustify);
    count->SetAutoSize(false);
    count->Font().SetColor(clGray);
    bemerkung->set_CountLabel(count);

    caption("Notiz (formatiert)", 480, 8, 460);
    auto* notiz = new TQelFTMemo(this);
    notiz->SetName("ftNotiz");
    notiz->SetParent(area);
    notiz->SetBounds(480, 28, 460, 400);
    notiz->set_FieldPath("Notiz");
}
