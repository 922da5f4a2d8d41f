#include "person_list.h"

#include "person_form.h"
#include "person_search.h"

#include "lists/QelSelectGrid.h"
#include "lists/chobjbtn.h"

#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"
#include "toolkit/tabset.h"

#include <algorithm>

const char* const kDemoPersonFields = "Anrede,Titel,Vorname,Name,Geburtsdatum,Email,Kinder,Aktiv";

namespace {

const char* const kGridName = "Personenliste";

} // namespace

TPersonListForm::TPersonListForm(TComponent* owner, TQelDatabase* db)
    : TForm(owner)
    , db_(db)
{
    SetName("PersonListForm");
    SetCaption("Personen");
    SetClientWidth(1080);
    SetClientHeight(600);

    auto* top = new TPanel(this);
    top->SetParent(this);
    top->SetAlign(alTop);
    top->SetHeight(34);
    top->SetBevelOuter(bvNone);
    top->SetColor(TColor(0xF3E9DC));
    tabs_ = new TAdvTabSet(this);
    tabs_->SetName("tabFilter");
    tabs_->SetParent(top);
    tabs_->SetBounds(8, 6, 620, 28);
    // Incremental search over the listed rows; Bild auf/ab and the buttons step through the hits.
    search_ = new TEdit(this);
    search_->SetName("edSuche");
    search_->SetParent(top);
    search_->SetBounds(760, 6, 240, 24);
    search_->SetHint("Suchen: Text, Spalte=Text, *irgendwo, ^Anfang");
    prev_ = new TButton(this);
    prev_->SetName("btnVorige");
    prev_->SetParent(top);
    prev_->SetBounds(1004, 6, 34, 24);
    prev_->SetCaption("<");
    next_ = new TButton(this);
    next_->SetName("btnNaechste");
    next_->SetParent(top);
    next_->SetBounds(1040, 6, 34, 24);
    next_->SetCaption(">");
    // Chooses a person in the search window and opens it.
    auto* choose = new TChooseObjectBtn(this);
    choose->SetName("btnChoosePerson");
    choose->SetParent(top);
    choose->SetCaption("Person wählen ...");
    choose->SetBounds(636, 5, 116, 25);
    choose->set_ClassName("Person");
    choose->OnChoose = [this](TObject*, const std::string&, TQelClassKey, TQelObjectKey& key) {
        TPersonSearchForm search(nullptr, db_);
        search.OnOpenPerson = [&](TQelObjectKey k) { key = k, search.SetModalResult(mrOk); };
        if (search.ShowModal() == mrOk)
            Open(key);
    };

    status_ = new TPanel(this);
    status_->SetParent(this);
    status_->SetAlign(alBottom);
    status_->SetHeight(26);
    status_->SetBevelOuter(bvLowered);
    status_->SetAlignment(taLeftJustify);

    grid_ = new TQelSelectGrid(this);
    grid_->SetName(kGridName);
    grid_->SetParent(this);
    grid_->SetAlign(alClient);
    grid_->set_ViewTabSet(tabs_);
    // A filter row under the header, new persons below the stored ones, rows that follow commits
    // made elsewhere, lists kept in the list cache.
    // Several persons at once for the commands, which offer printing the list, copying and merging.
    TQelSelectGridOptions options = grid_->get_SelectGridOptions();
    options << soFilter << soAutoRefresh << soUseCache << soMultiSelect << soPrintList << soCopyItem
            << soMergeObjects;
    grid_->set_SelectGridOptions(options);
    grid_->FontColorFilter = TColor(0xC05000);
    grid_->set_SearchEdit(search_);
    grid_->set_SearchPrev(prev_);
    grid_->set_SearchNext(next_);
    grid_->OnKeyOpen = [this](TObject*, TQelObjectKey key, TQelObject*) { Open(key); };
    wireCommands();
    // The widths a user drags are kept for that user; the grid keeps them over its loads.
    grid_->OnEndColumnSize = [this](TObject*, int) { grid_->SaveColWidths(kGridName); };
    grid_->AfterReload = [this](TObject*) { updateStatus(); };
    grid_->OnViewChange = [this](TObject*) { updateStatus(); };
    grid_->set_ClassName("Person");
    if (grid_->get_Fields().empty())
        grid_->set_Fields(kDemoPersonFields);
    // Sorted by name until the user sorts otherwise; the list opens at its top.
    if (grid_->SortSettings().Column <= 1) {
        grid_->SortSettings().Column = grid_->ColumnByName("Name");
        grid_->Reload();
        grid_->SelectRow(grid_->FirstDataRow(), 0);
    }
    grid_->LoadColWidths(kGridName);
}

TPersonListForm::~TPersonListForm() = default;

namespace {

// A file name from the save dialog, or "" when the user cancels.
std::string askFile(
    const std::string& title, const std::string& ext, const std::string& filter, const std::string& name)
{
    TFileDialogRequest request;
    request.title = title;
    request.defaultExt = ext;
    request.filter = filter;
    request.fileName = name;
    if (!Dialogs().SaveFile(request) || request.files.empty())
        return {};
    return request.files.front();
}

} // namespace

// Every command of the list's popup menu: new persons open in the person form, printing a person
// shows its "Personenblatt", the list prints into a PDF file and saves as CSV.
void TPersonListForm::wireCommands()
{
    grid_->OnNewClick = [this](TObject*, TQelClassKey cls) {
        if (!personForm_)
            personForm_ = std::make_unique<TPersonForm>(nullptr, db_);
        if (TQelObject* person = db_->CreateObject(cls); person && personForm_->ShowObject(person))
            personForm_->Show();
    };
    grid_->OnMultiKeyPrint = [this](TObject*, const TQelKeyList& keys) {
        const std::vector<TQelRTFVorlage> templates = TQelRTFVorlage::FindeVorlagen(db_, grid_->GridClass());
        auto sheet = std::find_if(
            templates.begin(), templates.end(), [](const auto& t) { return t.Kind() == "html"; });
        if (sheet == templates.end()) {
            ShowMessage("Für Personen ist keine Vorlage zum Drucken eingerichtet.");
            return;
        }
        TQelRTFVorlage vorlage = *sheet;
        for (const TQelObjectKey& key : keys)
            if (!vorlage.Execute(
                    db_->GetObjectA(key), "open", "", [](const std::string& file, const std::string&) {
                        return Dialogs().OpenWithProgram(file, "");
                    })) {
                ShowMessage(vorlage.ErrorMessage());
                return;
            }
    };
    grid_->OnExporting = [](TObject*, TQelObjectKey, const TQelKeyList&, bool&) {};
    grid_->OnPrintList = [this](TObject*) {
        const std::string file
            = askFile("Liste drucken (PDF-Datei)", "pdf", "PDF-Dateien (*.pdf)|*.pdf", "Personen.pdf");
        if (file.empty())
            return;
        grid_->PrintSettings().Title = "Personen";
        try {
            grid_->PrintToPDF(file);
        } catch (const std::exception& e) {
            Application()->MessageBox(
                std::string("Fehler beim Drucken:\n\n") + e.what(), "Fehler", MB_OK | MB_ICONERROR);
        }
    };
    grid_->OnSaveCSV = [](TObject*, std::string& file) {
        file = askFile("Liste als CSV-Datei speichern", "csv", "CSV-Dateien (*.csv)|*.csv", "Personen.csv");
    };
}

void TPersonListForm::Open(TQelObjectKey key)
{
    if (!personForm_)
        personForm_ = std::make_unique<TPersonForm>(nullptr, db_);
    if (personForm_->ShowPerson(key))
        personForm_->Show();
}

std::string TPersonListForm::StatusText() const
{
    return status_->Caption();
}

void TPersonListForm::updateStatus()
{
    const int n = grid_->EntryCount();
    const std::string view = grid_->get_CurrentViewName();
    std::string text = "  " + std::to_string(n) + " " + MakeNP(grid_->GridClass(), "", 1, n == 1);
    text += view.empty() ? " (Vollansicht)" : " im Filter \"" + view + "\"";
    text += "  ·  Enter oder Doppelklick öffnet die Person, F5 lädt neu (auch nach Eingaben in der "
            "Filterzeile), rechte Maustaste: Befehle und Filter";
    status_->SetCaption(text);
}
