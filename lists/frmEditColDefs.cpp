#include "lists/frmEditColDefs.h"

#include <memory>

namespace {

const char* const kColDefsCaption = "Spaltendefinitionen bearbeiten";
const char* const kOk = "OK";
const char* const kCancel = "Abbrechen";

template <class T> T* make(TForm* form, TWinControl* parent, const char* name)
{
    auto* c = new T(form);
    c->SetName(name);
    c->SetParent(parent);
    return c;
}

} // namespace

TQelEditColDefsForm::TQelEditColDefsForm(TComponent* owner)
    : TForm(owner)
{
    SetName("QelEditColDefsForm");
    SetCaption(kColDefsCaption);
    SetPosition(poScreenCenter);
    SetColor(clBtnFace);
    Font().SetName("Tahoma");
    Font().SetSize(8);
    SetClientWidth(643);
    SetClientHeight(315);

    // The bottom panel first, so that the client-aligned panel takes the rest.
    pnBottom = make<TPanel>(this, this, "pnBottom");
    pnBottom->SetCaption("");
    pnBottom->SetHeight(41);
    pnBottom->SetAlign(alBottom);
    Button1 = make<TButton>(this, pnBottom, "Button1");
    Button1->SetCaption(kOk);
    Button1->SetModalResult(mrOk);
    Button1->SetBounds(472, 6, 75, 25);
    Button2 = make<TButton>(this, pnBottom, "Button2");
    Button2->SetCaption(kCancel);
    Button2->SetModalResult(mrCancel);
    Button2->SetBounds(560, 6, 75, 25);

    Panel1 = make<TPanel>(this, this, "Panel1");
    Panel1->SetCaption("");
    Panel1->SetAlign(alClient);
    mmLines = make<TMemo>(this, Panel1, "mmLines");
    mmLines->SetAlign(alClient);
    mmLines->SetScrollBars(ssVertical);
    mmLines->SetWordWrap(false);
}

bool TQelEditColDefsForm::Execute(std::string& lines)
{
    auto form = std::make_unique<TQelEditColDefsForm>(nullptr);
    form->mmLines->SetText(lines);
    if (form->ShowModal() != mrOk)
        return false;
    lines = form->mmLines->Text();
    return true;
}
