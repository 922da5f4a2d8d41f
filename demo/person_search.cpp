#include "person_search.h"

#include "person_list.h"

#include "binding/methods.h"
#include "controls/QelCheckBox.h"
#include "controls/QelEdit.h"
#include "controls/QelPanel.h"
#include "lists/QelSelectGrid.h"
#include "pickers/QelCombo.h"

#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

TPersonSearchForm::TPersonSearchForm(TComponent* owner, TQelDatabase* db)
    : TForm(owner)
    , db_(db)
{
    SetName("PersonSearchForm");
    SetCaption("Personen suchen");
    SetClientWidth(720);
    SetClientHeight(520);

    panel_ = new TQelPanel(this);
    panel_->SetName("pnlSuche");
    panel_->SetParent(this);
    panel_->SetBounds(0, 0, 720, 120);
    panel_->set_FieldPath("Person");
    panel_->set_PanelOptions(TQelPanelOptions { poSearchObject });
    auto edit = [&](const char* path, const char* caption, int x, int y, int w) {
        auto* e = new TQelEdit(this);
        e->SetName(std::string("ed") + path);
        e->SetParent(panel_);
        e->SetBounds(x, y, w, 24);
        e->set_FieldPath(path);
        e->SetLabelCaption(caption);
        return e;
    };
    edit("Name", "Name", 16, 28, 220)->SetTabOrder(0);
    edit("Vorname", "Vorname", 252, 28, 200);
    edit("Email", "E-Mail", 468, 28, 236);
    auto* anrede = new TQelCombo(this);
    anrede->SetName("cbAnrede");
    anrede->SetParent(panel_);
    anrede->SetBounds(16, 84, 140, 24);
    anrede->set_FieldPath("Anrede");
    anrede->SetLabelCaption("Anrede");
    anrede->set_ShowCompleteList(false);
    auto* aktiv = new TQelCheckBox(this);
    aktiv->SetName("cbAktiv");
    aktiv->SetParent(panel_);
    aktiv->SetBounds(172, 86, 200, 22);
    aktiv->set_FieldPath("Aktiv");
    aktiv->SetCaption("nur <b>aktive</b> Personen");

    auto button = [&](const char* name, const char* caption, int x, auto fn) {
        auto* b = new TButton(this);
        b->SetName(name);
        b->SetParent(this);
        b->SetCaption(caption);
        b->SetBounds(x, 126, 110, 28);
        b->OnClick = TNotifyEvent([fn](TObject*) { fn(); });
        return b;
    };
    button("btnSuchen", "Suchen", 478, [this] { Search(); })->SetDefault(true);
    button("btnLeeren", "Leeren", 594, [this] { Clear(); });
    auto* hint = new TLabel(this);
    hint->SetParent(this);
    hint->SetBounds(16, 132, 440, 18);
    hint->SetCaption("* und ? sind Platzhalter; ohne sie zählt der Anfang.");
    hint->Font().SetColor(clGray);

    count_ = new TLabel(this);
    count_->SetName("lblTreffer");
    count_->SetParent(this);
    count_->SetBounds(16, 168, 688, 18);
    results_ = new TQelSelectGrid(this);
    results_->SetName("sgTreffer");
    results_->SetParent(this);
    results_->SetBounds(16, 190, 688, 314);
    results_->set_SelectGridOptions(results_->get_SelectGridOptions() >> soFilterAdmin);
    results_->OnKeyOpen = [this](TObject*, TQelObjectKey key, TQelObject*) {
        if (OnOpenPerson)
            OnOpenPerson(key);
    };

    if (const TQelKlasse* cls = db_->FindClass("Personensuche")) {
        search_ = db_->CreateObject(cls->Key());
        TQelCommonMethods::ConnectSubControls(this, search_->FieldList(), false);
    }
    // The salutations to choose from.
    if (const TQelKlasse* person = db_->FindClass("Person"))
        if (const TQelFelddefinition* def = person->FindFelddefinition("Anrede"))
            for (const std::string& text : def->DomainTexts())
                anrede->Items().Add(text);
    count_->SetCaption("Suchbegriffe eingeben und „Suchen“ wählen.");
}

int TPersonSearchForm::Search()
{
    found_.clear();
    if (!panel_->get_SearchMode())
        return 0;
    results_->set_SearchCondition(panel_->get_SearchCondition());
    if (!results_->GridClass().Valid()) {
        results_->set_ClassName("Person");
        if (results_->get_Fields().empty())
            results_->set_Fields(kDemoPersonFields);
    }
    results_->Reload();
    const int total = results_->EntryCount();
    for (int row = results_->FirstDataRow(); row < results_->FirstDataRow() + total; ++row)
        found_.push_back(results_->get_Key(row));
    if (total == 0)
        count_->SetCaption("Keine Person gefunden.");
    else if (total == 1)
        count_->SetCaption("1 Person gefunden (Enter oder Doppelklick öffnet sie).");
    else
        count_->SetCaption(FormatStr("%d Personen gefunden (Enter oder Doppelklick öffnet eine).", total));
    return total;
}

void TPersonSearchForm::Clear()
{
    panel_->ClearSubCombos();
    TQelCommonMethods::ConnectSubControls(this, search_ ? search_->FieldList() : nullptr, false);
    for (const char* name : { "edName", "edVorname", "edEmail" })
        if (auto* e = dynamic_cast<TQelEdit*>(FindComponent(name)))
            e->SetText("");
    if (auto* c = dynamic_cast<TQelCheckBox*>(FindComponent("cbAktiv")))
        c->SetChecked(false);
    found_.clear();
    results_->ClearList();
    count_->SetCaption("Suchbegriffe eingeben und „Suchen“ wählen.");
}

std::string TPersonSearchForm::ResultText() const
{
    return count_->Caption();
}
