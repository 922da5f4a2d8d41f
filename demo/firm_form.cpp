#include "firm_form.h"

#include "binding/methods.h"
#include "controls/QelEdit.h"
#include "controls/QelPanel.h"
#include "vectors/QelRevVectorGrid.h"
#include "vectors/QelVectorList.h"
#include "vectors/qeldetailgrid.h"

#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

#include <QBoxLayout>
#include <QGridLayout>

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
    // Laid out with Qt's layouts: the form grows with its window, the lists take the room.
    // A control goes where its layout puts it; the control tree follows the widget tree.
    const auto panel = [this](const char* name) {
        auto* p = new TPanel(this);
        p->SetName(name);
        p->SetBevelOuter(bvNone);
        return p;
    };
    const auto box = [](TControl* on, QBoxLayout* layout, int margin) {
        on->Handle()->setLayout(layout);
        layout->setContentsMargins(margin, margin, margin, margin);
        return layout;
    };
    const auto edit = [this](const std::string& path, const std::string& caption) {
        auto* e = new TQelEdit(this);
        e->SetName("ed" + path);
        e->set_FieldPath(path);
        e->SetLabelCaption(caption);
        return e->Handle();
    };
    auto* rows = new QVBoxLayout(ClientWidget());
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);

    auto* header = panel("pnKopf");
    auto* headerRow = box(header, new QHBoxLayout(), 16);
    headerRow->addWidget(edit("Name", "Firma"), 3);
    headerRow->addWidget(edit("Branche", "Branche"), 2);
    headerRow->addWidget(edit("Gruendung", "Gegründet"), 1);
    rows->addWidget(header->Handle());

    // The middle: employees above the firm's master data, the addresses beside them.
    auto* body = new QHBoxLayout();
    body->setContentsMargins(12, 0, 12, 0);
    body->setSpacing(16);
    rows->addLayout(body, 1);
    auto* middle = panel("pnMitte");
    auto* middleRows = box(middle, new QVBoxLayout(), 0);
    body->addWidget(middle->Handle(), 1);

    // Addresses: the list is the index, the panel shows the chosen address.
    auto* side = panel("pnAdressen");
    side->Handle()->setFixedWidth(330);
    auto* sideRows = box(side, new QVBoxLayout(), 0);
    body->addWidget(side->Handle());
    auto* caption = new TLabel(this);
    caption->SetCaption("Adressen");
    sideRows->addWidget(caption->Handle());
    addresses_ = new TQelVectorList(this);
    addresses_->SetName("vlAdressen");
    addresses_->set_FieldPath("Adressen");
    addresses_->set_NameFormat("<Strasse>, <PLZ> <Ort>");
    // A firm's addresses are its sites: the list offers "Erster Standort", "Weiterer Standort".
    addresses_->set_ClassNameInfo("Standort gender=m plural=Standorte");
    sideRows->addWidget(addresses_->Handle(), 1);
    address_ = new TQelPanel(this);
    address_->SetName("pnAdresse");
    address_->SetBevelOuter(bvNone);
    auto* fields = new QGridLayout(address_->Handle());
    fields->setContentsMargins(0, 8, 0, 0);
    fields->setHorizontalSpacing(16);
    fields->setVerticalSpacing(10);
    fields->addWidget(edit("Strasse", "Straße"), 0, 0, 1, 2);
    fields->addWidget(edit("PLZ", "PLZ"), 1, 0);
    fields->addWidget(edit("Ort", "Ort"), 1, 1);
    fields->addWidget(edit("Land", "Land"), 2, 0, 1, 2);
    fields->setColumnStretch(1, 3);
    fields->setColumnStretch(0, 1);
    fields->setRowStretch(3, 1);
    sideRows->addWidget(address_->Handle(), 1);
    addresses_->set_Panel(address_);

    auto* buttons = panel("pnKnoepfe");
    auto* buttonRow = box(buttons, new QHBoxLayout(), 10);
    buttonRow->setContentsMargins(16, 10, 16, 10);
    auto button = [&](const char* name, const char* caption, std::function<void()> fn) {
        auto* b = new TButton(this);
        b->SetName(name);
        b->SetCaption(caption);
        b->Handle()->setMinimumWidth(96);
        b->OnClick = TNotifyEvent([fn](TObject*) { fn(); });
        return b;
    };
    buttonRow->addWidget(button("btnInspect", "Objekt untersuchen", [this] {
        if (OnInspect && firm_)
            OnInspect(employees_->get_Object(employees_->Row()) ? employees_->get_Object(employees_->Row())
                                                                : firm_);
    })->Handle());
    buttonRow->addStretch(1);
    buttonRow->addWidget(button("btnDiscard", "Verwerfen", [this] { Discard(); })->Handle());
    TButton* save = button("btnSave", "Speichern", [this] { Save(); });
    save->SetDefault(true);
    buttonRow->addWidget(save->Handle());
    rows->addWidget(buttons->Handle());

    status_ = panel("pnStatus");
    status_->SetBevelOuter(bvLowered);
    status_->SetAlignment(taLeftJustify);
    status_->Handle()->setFixedHeight(26);
    rows->addWidget(status_->Handle());

    // Master data: sections of field rows, the first address's place, and rows the form fills.
    auto* detailLabel = new TLabel(this);
    detailLabel->SetCaption("Stammdaten");
    details_ = new TQelDetailGrid(this);
    details_->SetName("dgFirma");
    details_->SetColWidths(TQelDetailGrid::colCaption, 190);
    details_->SetColWidths(TQelDetailGrid::colValue, 400);
    TStringList detailRows;
    for (const char* line : { "* Allgemein AS 'Allgemeine Angaben'", "Name AS Firma", "Branche",
             "Gruendung AS Gegründet", "Umsatz AS Jahresumsatz", "* Kontakt", "FIELDPATH Adressen[0]",
             "Ort AS 'Ort (erste Adresse)' READONLY", "FIELDPATH Telefone[0]", "Nummer AS Telefon",
             "FIELDPATH", "* Auswertung", "Mitarbeiter AS 'Anzahl Mitarbeiter' READONLY",
             "Bewertung/COMBOLIST(A,B,C) AS Bewertung" })
        detailRows.Add(line);
    details_->set_FieldNames(detailRows);
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
    label->SetCaption("Mitarbeiter");
    employees_ = new TQelRevVectorGrid(this);
    employees_->SetName("rvgMitarbeiter");
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
    middleRows->addWidget(label->Handle());
    middleRows->addWidget(employees_->Handle(), 3);
    middleRows->addSpacing(8);
    middleRows->addWidget(detailLabel->Handle());
    middleRows->addWidget(details_->Handle(), 2);
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
