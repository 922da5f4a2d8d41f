#include "person_form.h"

#include "QelObjCntrl.h"

#include "binding/methods.h"
#include "controls/QelEdit.h"
#include "controls/QelHTMLStaticText.h"
#include "controls/QelPageControl.h"

#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

#include <stdexcept>

namespace {

const char* const kSaved = "Gespeichert.";
const char* const kDiscarded = "Änderungen verworfen.";
const char* const kNoPerson = "Keine Person in der Datenbank.";

} // namespace

TPersonForm::TPersonForm(TComponent* owner, TQelDatabase* db)
    : TForm(owner)
    , db_(db)
{
    SetName("PersonForm");
    SetCaption("Person");
    SetClientWidth(960);
    SetClientHeight(720);
    build();
    if (const TQelKlasse* cls = db_->FindClass("Person")) {
        auto q
            = db_->CreateSQLEngine()->ListEx(cls->Key(), lfNotDeleted, "", "", "Person.Name, Person.Vorname");
        for (q->Open(); !q->Eof(); q->Next())
            keys_.emplace_back(static_cast<int>(q->AsInteger(0)));
    }
}

TQelEdit* TPersonForm::addEdit(
    TWinControl* parent, const std::string& path, const std::string& caption, int x, int y, int w)
{
    auto* e = new TQelEdit(this);
    e->SetName("ed" + path);
    e->SetParent(parent);
    e->SetBounds(x, y, w, 24);
    e->set_FieldPath(path);
    e->SetLabelCaption(caption);
    return e;
}

void TPersonForm::build()
{
    auto* header = new TPanel(this);
    header->SetParent(this);
    header->SetAlign(alTop);
    header->SetHeight(56);
    header->SetBevelOuter(bvNone);
    header->SetColor(TColor(0xF3E9DC));
    // A summary of the person, filled from its fields and refreshed when one of them changes.
    auto* summary = new TQelHTMLStaticText(this);
    summary->SetName("htmlSummary");
    summary->SetParent(header);
    summary->SetBounds(16, 8, 928, 44);
    summary->HTMLText().SetText("<FONT size=\"4\"><B><Anrede> <Titel> <Vorname> <Name></B></FONT><BR>"
                                "geboren am <Geburtsdatum> · <Email>");
    summary->get_WatchFields().SetCommaText("Anrede,Titel,Vorname,Name,Geburtsdatum,Email");

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
    auto button = [&](const char* name, const char* caption, int x, int w, auto fn) {
        auto* b = new TButton(this);
        b->SetName(name);
        b->SetParent(buttons);
        b->SetCaption(caption);
        b->SetBounds(x, 10, w, 28);
        b->OnClick = TNotifyEvent([fn](TObject*) { fn(); });
        return b;
    };
    button("btnPrev", "◀ Vorige", 16, 90, [this] { Step(-1); });
    button("btnNext", "Nächste ▶", 112, 90, [this] { Step(1); });
    button("btnDiscard", "Verwerfen", 744, 96, [this] { Discard(); });
    button("btnSave", "Speichern", 848, 96, [this] { Save(); })->SetDefault(true);

    // The person on pages, as a clerk works through it; the page control passes the person's
    // field list to the controls of every page. Pages and the controls that need no code come
    // from the designed form.
    const TFormLoadResult designedForm = QelObjCntrl::LoadFormText(this, kPersonFormUi, this);
    if (!designedForm.ok)
        throw std::runtime_error("person_form.ui: " + designedForm.error);
    pages_ = designed<TQelPageControl>("pcPerson");
    buildGeneral(designed<TTabSheet>("tsAllgemein"));
    buildAddresses(designed<TTabSheet>("tsAdressen"));
    buildBank(designed<TTabSheet>("tsBank"));
    buildTexts(designed<TTabSheet>("tsNotizen"));
    buildDocuments(designed<TTabSheet>("tsDokumente"));
    buildRelations(designed<TTabSheet>("tsBeziehungen"));
    pages_->SetActivePageIndex(0);
}

template <class T> T* TPersonForm::designed(const char* name)
{
    auto* c = dynamic_cast<T*>(FindComponent(name));
    if (!c)
        throw std::runtime_error(std::string("person_form.ui: ") + name + " fehlt");
    return c;
}

void TPersonForm::buildGeneral(TWinControl*)
{
    designed<TQelEdit>("edName")->SetTabOrder(0);
    // The choices beside the edits, the groups below them.
    buildChoices(designed<TPanel>("pnlChoices"));
    buildGroups(designed<TPanel>("pnlGroups"));
}

bool TPersonForm::ShowPerson(TQelObjectKey key)
{
    if (!key.Valid() && !keys_.empty())
        key = keys_.front();
    return ShowObject(key.Valid() ? db_->GetObjectA(key) : nullptr);
}

bool TPersonForm::ShowObject(TQelObject* p)
{
    if (!p) {
        TQelCommonMethods::DisconnectSubControls(this, false);
        person_ = nullptr;
        setStatus(kNoPerson);
        return false;
    }
    person_ = p;
    TQelCommonMethods::ConnectSubControls(this, p->FieldList(), false);
    updateTitle();
    setStatus(
        FormatStr("Datenbank: %s · %d Objekte", db_->FileName(), static_cast<int>(db_->CountObjects())));
    return true;
}

void TPersonForm::updateTitle()
{
    if (!person_)
        return;
    SetCaption("Person – " + person_->Name());
}

void TPersonForm::Save()
{
    if (!person_)
        return;
    // Leaving the focused edit writes what it holds before the object is stored.
    if (TWinControl* focused = TQelCommonMethods::FindFocusedControl(this))
        focused->Perform(WM_OC_CONTROLEXIT, reinterpret_cast<WPARAM>(static_cast<TControl*>(focused)), 0);
    if (person_->Commit()) {
        updateTitle();
        setStatus(kSaved);
    } else {
        setStatus("Nicht gespeichert: " + person_->ErrorMessage());
        MessageDlg("Die Person wurde nicht gespeichert:\n\n" + person_->ErrorMessage(), mtError, { mbOK });
    }
}

void TPersonForm::Discard()
{
    if (!person_)
        return;
    person_->Rollback();
    TQelCommonMethods::ConnectSubControls(this, person_->FieldList(), false);
    updateTitle();
    setStatus(kDiscarded);
}

void TPersonForm::Step(int delta)
{
    if (keys_.empty())
        return;
    if (person_ && person_->Touched()
        && MessageDlg("Die Änderungen an " + person_->Name() + " speichern?", mtConfirmation, { mbYes, mbNo })
            == mrYes)
        Save();
    int at = 0;
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (person_ && keys_[i] == person_->Key())
            at = static_cast<int>(i);
    const int n = static_cast<int>(keys_.size());
    ShowPerson(keys_[((at + delta) % n + n) % n]);
}

void TPersonForm::setStatus(const std::string& text)
{
    status_->SetCaption("  " + text);
}

std::string TPersonForm::StatusText() const
{
    return Trim(status_->Caption());
}
