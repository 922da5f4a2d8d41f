// The addresses (one tab per address, each bound to a field panel, and all of them in a vector
// grid beside the phone numbers) and the bank account (a field panel on the sub-object Bank,
// created by the first entry).
#include "person_form.h"

#include "binding/methods.h"
#include "controls/QelTabControl.h"

#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

namespace {

const char* const kNoAddress = "Die Person hat keine Adresse.";

} // namespace

void TPersonForm::buildAddresses()
{
    designed<TButton>("btnAdresseNeu")->OnClick = TNotifyEvent([this](TObject*) { AddAddress(); });
    designed<TButton>("btnAdresseWeg")->OnClick = TNotifyEvent([this](TObject*) { RemoveAddress(); });
    addresses_ = designed<TQelTabControl>("tcAdressen");
    addresses_->OnGetCaption
        = TQelGetCaptionEvent([](TObject*, int index, TQelSubObject* a, std::string& caption) {
              const std::string ort = a->FieldList()->GetPropA("Ort", "");
              caption = FormatStr("%d. %s", index, ort.empty() ? std::string("(neu)") : ort);
          });

    // A .ui font has no colour: the hints are grey from here.
    designed<TLabel>("lblAdressenHinweis")->Font().SetColor(clGray);
    designed<TLabel>("lblBankHinweis")->Font().SetColor(clGray);
}

void TPersonForm::AddAddress()
{
    TQelVector* v = person_ ? person_->FieldList()->VectorByName("Adressen") : nullptr;
    if (!v)
        return;
    if (!v->Add()) {
        MessageDlg(
            FormatStr("Mehr als %d Adressen sind nicht möglich.", v->MaxCount()), mtInformation, { mbOK });
        return;
    }
    addresses_->set_TabIndex(v->Count() - 1);
}

void TPersonForm::RemoveAddress()
{
    TQelVector* v = addresses_->Vector();
    TQelFieldList* shown = addresses_->ElementFieldList();
    if (!v || !shown) {
        MessageDlg(kNoAddress, mtInformation, { mbOK });
        return;
    }
    TQelSubObject* element = shown->ParentSubObject();
    if (MessageDlg("Die Adresse \"" + element->Name() + "\" entfernen?", mtConfirmation, { mbYes, mbNo })
        == mrYes)
        v->Remove(element);
}
