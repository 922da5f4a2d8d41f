#include "person_form.h"

#include "QelObjCntrl.h"

#include "binding/methods.h"
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
    SetPosition(poMainFormCenter);
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

void TPersonForm::build()
{
    // The form as designed (person_form.ui); the code adds what a designer cannot: the buttons'
    // actions, the choice grid, the links between the controls and what still lacks a property.
    const TFormLoadResult designedForm = QelObjCntrl::LoadFormText(this, kPersonFormUi, this);
    if (!designedForm.ok)
        throw std::runtime_error("person_form.ui: " + designedForm.error);
    pages_ = designed<TQelPageControl>("pcPerson");
    status_ = designed<TPanel>("pnlStatus");

    const auto onClick = [this](const char* name, auto fn) {
        auto* b = designed<TButton>(name);
        b->OnClick = TNotifyEvent([fn](TObject*) { fn(); });
        return b;
    };
    onClick("btnPrev", [this] { Step(-1); });
    onClick("btnNext", [this] { Step(1); });
    onClick("btnDiscard", [this] { Discard(); });
    // A button's Default is not published: set here.
    onClick("btnSave", [this] { Save(); })->SetDefault(true);

    // The person on pages, as a clerk works through it; the page control passes the person's
    // field list to the controls of every page.
    buildChoices(designed<TPanel>("pnlAuswahl"));
    buildAddresses();
    buildTexts();
    buildDocuments();
    pages_->SetActivePageIndex(0);
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
