#include "firm_form.h"

#include "binding/methods.h"
#include "controls/QelEdit.h"
#include "controls/QelPanel.h"
#include "vectors/QelRevVectorGrid.h"
#include "vectors/QelVectorList.h"
#include "vectors/qeldetailgrid.h"

#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

TFirmForm::TFirmForm(TComponent* owner, TQelDatabase* db)
    : TForm(owner)
    , db_(db)
{
    SetName("FirmForm");
    SetCaption("Firma");
    SetClientWidth(960);
    SetClientHeight(720);
    build();
}

void TFirmForm::build()
{
    auto* header = new TPanel(this);
    header->SetParent(this);
    header->SetAlign(alTop);
    header->SetHeight(64);
    header->SetBevelOuter(bvNone);
    auto edit = [this](TWinControl* parent, const std::string& path, const std::string& caption, int x, int y,
                    int w) {
        auto* e = new TQelEdit(this);
        e->SetName("ed" + path);
        e->SetParent(parent);
        e->SetBounds(x, y, w, 24);
        e->set_FieldPath(path);
        e->SetLabelCaption(caption);
        return e;
    };
    edit(header, "Name", "Firma", 16, 28, 320);
    edit(header, "Branche", "Branche", 352, 28, 180);
    edit(header, "Gruendung", "Gegründet", 548, 28, 120);

    status_ = new TPanel(this);
    status_->SetParent(this);
    status_->SetAlign(alBottom);
    status_->SetHeight(26);
    status_->SetBevelOuter(bvLowered);
    status_->SetAlignment(taLeftJustify);

    auto* buttons = new TPanel(this);
    buttons->SetParent(this);
    buttons->SetAlign(alBottom);
    buttons->SetHeight(48);
    buttons->SetBevelOuter(bvNone);
    auto button = [&](const char* name, const char* caption, int x, int w, std::function<void()> fn) {
        auto* b = new TButton(this);
        b->SetName(name);
        b->SetParent(buttons);
        b->SetCaption(caption);
        b->SetBounds(x, 10, w, 28);
        b->OnClick = TNotifyEvent([fn](TObject*) { fn(); });
        return b;
    };
    button("btnInspect", "Objekt untersuchen", 16, 150, [this] {
        if (OnInspect && firm_)
            OnInspect(employees_->get_Object(employees_->Row()) ? employees_->get_Object(employees_->Row())
                                                                : firm_);
    });
    button("btnDiscard", "Verwerfen", 744, 96, [this] { Discard(); });
    button("btnSave", "Speichern", 848, 96, [this] { Save(); })->SetDefault(true);

    // Addresses: the list is the index, the panel shows the chosen address.
    auto* side = new TPanel(this);
    side->SetName("pnAdressen");
    side->SetParent(this);
    side->SetAlign(alRight);
    side->SetWidth(330);
    side->SetBevelOuter(bvNone);
    auto* caption = new TLabel(this);
    caption->SetParent(side);
    caption->SetCaption("Adressen");
    caption->SetBounds(8, 4, 200, 18);
    addresses_ = new TQelVectorList(this);
    addresses_->SetName("vlAdressen");
    addresses_->SetParent(side);
    addresses_->SetBounds(8, 24, 314, 130);
    addresses_->set_FieldPath("Adressen");
    addresses_->set_NameFormat("<Strasse>, <PLZ> <Ort>");
    address_ = new TQelPanel(this);
    address_->SetName("pnAdresse");
    address_->SetParent(side);
    address_->SetBounds(8, 164, 314, 200);
    address_->SetBevelOuter(bvNone);
    edit(address_, "Strasse", "Straße", 0, 20, 300);
    edit(address_, "PLZ", "PLZ", 0, 70, 80);
    edit(address_, "Ort", "Ort", 96, 70, 204);
    edit(address_, "Land", "Land", 0, 120, 200);
    addresses_->set_Panel(address_);

    // The middle: employees above, the firm's master data below.
    auto* middle = new TPanel(this);
    middle->SetName("pnMitte");
    middle->SetParent(this);
    middle->SetAlign(alClient);
    middle->SetBevelOuter(bvNone);
    auto* detailBox = new TPanel(this);
    detailBox->SetName("pnStammdaten");
    detailBox->SetParent(middle);
    detailBox->SetAlign(alBottom);
    detailBox->SetHeight(262);
    detailBox->SetBevelOuter(bvNone);

    // Master data: sections of field rows, the first address's place, and rows the form fills.
    auto* detailLabel = new TLabel(this);
    detailLabel->SetParent(detailBox);
    detailLabel->SetCaption("Stammdaten");
    detailLabel->SetAlign(alTop);
    details_ = new TQelDetailGrid(this);
    details_->SetName("dgFirma");
    details_->SetParent(detailBox);
    details_->SetAlign(alClient);
    details_->SetColWidths(TQelDetailGrid::colCaption, 190);
    details_->SetColWidths(TQelDetailGrid::colValue, 400);
    TStringList rows;
    for (const char* line : { "* Allgemein AS 'Allgemeine Angaben'", "Name AS Firma", "Branche",
             "Gruendung AS Gegründet", "Umsatz AS Jahresumsatz", "* Kontakt", "FIELDPATH Adressen[0]",
             "Ort AS 'Ort (erste Adresse)' READONLY", "FIELDPATH Telefone[0]", "Nummer AS Telefon",
             "FIELDPATH", "* Auswertung", "Mitarbeiter AS 'Anzahl Mitarbeiter' READONLY",
             "Bewertung/COMBOLIST(A,B,C) AS Bewertung" })
        rows.Add(line);
    details_->set_FieldNames(rows);
    details_->OnGetValue = TQelDGGetValueEvent([this](TObject*, const std::string& name, std::string& value) {
        if (name == "MITARBEITER")
            value = std::to_string(employees_->ObjectCount());
        else if (name == "BEWERTUNG")
            value = rating_;
    });
    details_->OnValueChanged
        = TQelDGValueChangedEvent([this](TObject*, const std::string& name, const std::string& value) {
              if (name == "BEWERTUNG") {
                  rating_ = value;
                  setStatus("Bewertung: " + value);
              }
          });

    // Employees: the persons whose Arbeitgeber is this firm.
    auto* label = new TLabel(this);
    label->SetParent(middle);
    label->SetCaption("Mitarbeiter");
    label->SetAlign(alTop);
    employees_ = new TQelRevVectorGrid(this);
    employees_->SetName("rvgMitarbeiter");
    employees_->SetParent(middle);
    employees_->SetAlign(alClient);
    employees_->set_ClassName("Person");
    employees_->set_FieldName("Arbeitgeber");
    TStringList cols;
    for (const char* line : { "Name/OBJREF LENGTH:130", "Vorname/LENGTH:100", "Email AS E-Mail/LENGTH:190",
             "Geburtsdatum AS Geboren/LENGTH:90", "Telefone[0].Nummer AS Telefon/READONLY LENGTH:110" })
        cols.Add(line);
    employees_->set_FieldNames(cols);
    employees_->OnOpenObject = [this](TObject*, TQelObject* obj, bool) {
        if (OnOpenPerson)
            OnOpenPerson(obj);
    };
}

bool TFirmForm::ShowFirm(TQelObjectKey key)
{
    const TQelKlasse* firm = db_->FindClass("Firma");
    const TQelKlasse* person = db_->FindClass("Person");
    if (!firm || !person)
        return false;
    if (!key.Valid()) {
        // The firm with the most employees makes the best showcase.
        auto q = db_->CreateSQLEngine()->Query("SELECT Arbeitgeber, COUNT(*) AS N FROM " + person->TableName()
            + " WHERE Arbeitgeber > 0 AND GELOESCHT = 0 GROUP BY Arbeitgeber ORDER BY N DESC LIMIT 1");
        if (q->TryOpen() && !q->Eof())
            key = TQelObjectKey(static_cast<int>(q->AsInteger(0)));
    }
    TQelObject* obj = key.Valid() ? db_->GetObjectA(key) : nullptr;
    if (!obj)
        return false;
    firm_ = obj;
    TQelCommonMethods::ConnectSubControls(this, obj->FieldList(), false);
    details_->ReconnectFields(); // the employee count is known now
    SetCaption("Firma: " + obj->Name());
    setStatus(std::to_string(employees_->ObjectCount()) + " Mitarbeiter");
    return true;
}

void TFirmForm::Save()
{
    if (!firm_)
        return;
    if (firm_->Commit())
        setStatus("Gespeichert.");
    else
        setStatus("Speichern gescheitert: " + firm_->ErrorMessage());
}

void TFirmForm::Discard()
{
    if (!firm_)
        return;
    firm_->Rollback("");
    setStatus("Änderungen verworfen.");
}

void TFirmForm::setStatus(const std::string& text)
{
    status_->SetCaption("  " + text);
}
