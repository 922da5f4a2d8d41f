// The addresses (one tab per address, each bound to a field panel, and all of them in a vector
// grid beside the phone numbers) and the bank account (a field panel on the sub-object Bank,
// created by the first entry).
#include "person_form.h"

#include "binding/methods.h"
#include "controls/QelCheckBox.h"
#include "controls/QelEdit.h"
#include "controls/QelPanel.h"
#include "controls/QelTabControl.h"
#include "vectors/QelVectorGrid.h"

#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

namespace {

const char* const kNoAddress = "Die Person hat keine Adresse.";

TLabel* addLabel(TComponent* owner, TWinControl* parent, const std::string& text, int x, int y, int w)
{
    auto* l = new TLabel(owner);
    l->SetParent(parent);
    l->SetBounds(x, y, w, 18);
    l->SetCaption(text);
    return l;
}

} // namespace

void TPersonForm::buildAddresses(TWinControl* page)
{
    auto* orte = addEdit(page, "Adressen", "Orte aller Adressen", 16, 28, 592);
    orte->SetName("edAdressOrte");
    orte->set_FieldProp("Ort");

    auto button = [&](const char* name, const char* caption, int x, auto fn) {
        auto* b = new TButton(this);
        b->SetName(name);
        b->SetParent(page);
        b->SetCaption(caption);
        b->SetBounds(x, 26, 150, 28);
        b->OnClick = TNotifyEvent([fn](TObject*) { fn(); });
    };
    button("btnAdresseNeu", "Adresse hinzufügen", 632, [this] { AddAddress(); });
    button("btnAdresseWeg", "Adresse entfernen", 792, [this] { RemoveAddress(); });

    addresses_ = new TQelTabControl(this);
    addresses_->SetName("tcAdressen");
    addresses_->SetParent(page);
    addresses_->SetBounds(16, 72, 926, 250);
    addresses_->set_FieldPath("Adressen");
    addresses_->OnGetCaption
        = TQelGetCaptionEvent([](TObject*, int index, TQelSubObject* a, std::string& caption) {
              const std::string ort = a->FieldList()->GetPropA("Ort", "");
              caption = FormatStr("%d. %s", index, ort.empty() ? std::string("(neu)") : ort);
          });

    // The tab control's children show the selected address; the panel groups them.
    auto* panel = new TQelPanel(this);
    panel->SetName("pnlAdresse");
    panel->SetParent(addresses_);
    panel->SetAlign(alClient);
    const int col1 = 16, col2 = 336, col3 = 496;
    addEdit(panel, "Strasse", "Straße", col1, 28, 304);
    addEdit(panel, "PLZ", "PLZ", col2, 28, 144);
    addEdit(panel, "Ort", "Ort", col3, 28, 304);
    addEdit(panel, "Land", "Land", col1, 84, 304);
    addEdit(panel, "GueltigAb", "Gültig ab", col2, 84, 144);
    addEdit(panel, "GueltigBis", "Gültig bis", col3, 84, 144);
    auto* standard = new TQelCheckBox(this);
    standard->SetName("cbStandardAdresse");
    standard->SetParent(panel);
    standard->SetBounds(col1, 128, 304, 22);
    standard->set_FieldPath("Standard");
    standard->SetCaption("<b>Standardadresse</b> (für Post und Rechnungen)");

    auto* hint = addLabel(this, page, "", 16, 332, 926);
    hint->Font().SetColor(clGray);
    hint->SetCaption("Jede Adresse hat ihren eigenen Reiter. Hinzugefügte und entfernte Adressen "
                     "werden erst mit „Speichern“ übernommen.");

    // All addresses and phone numbers at a glance, edited in place (right click: more commands).
    auto grid
        = [&](const char* name, const char* path, int x, int w, std::initializer_list<const char*> cols) {
              auto* g = new TQelVectorGrid(this);
              g->SetName(name);
              g->SetParent(page);
              g->SetBounds(x, 384, w, 168);
              g->set_FieldPath(path);
              TStringList lines;
              for (const char* c : cols)
                  lines.Add(c);
              g->set_FieldNames(lines);
              return g;
          };
    addLabel(this, page, "Alle Adressen", 16, 362, 300)->Font().SetStyle({ fsBold });
    addLabel(this, page, "Telefonnummern", 632, 362, 300)->Font().SetStyle({ fsBold });
    grid("vgAdressen", "Adressen", 16, 600,
        { "Strasse AS Straße/LENGTH:24c/0", "PLZ/LENGTH:7c/0", "Ort/LENGTH:16c/0",
            "GueltigAb AS \"gültig ab\"/HIDETIME LENGTH:10c/0",
            "GueltigBis AS \"gültig bis\"/HIDETIME LENGTH:10c" });
    grid("vgTelefone", "Telefone", 632, 310, { "Art/LENGTH:12c/0", "Nummer/LENGTH:20c" });
}

void TPersonForm::buildBank(TWinControl* page)
{
    // The bank panel and its edits are designed (person_form.ui); the hint needs its colour.
    auto* hint = addLabel(this, page, "", 16, 216, 640);
    hint->Font().SetColor(clGray);
    hint->SetCaption("Hat die Person noch keine Bankverbindung, wird sie beim ersten Eintrag angelegt.");
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
