// TQelObject: deep copies (Clone) and repairs (DeepForceValid).
#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"
#include "objdb/qelvector.h"

#include <variant>

namespace {

// Copies field values by name (same field type only) and, recursively, the elements of vectors of
// the same element class. Long texts are loaded first so that the copy carries their contents.
std::string copyFieldList(const TQelFieldList* from, TQelFieldList* to)
{
    for (int i = 1; i <= to->FieldCount(); ++i) {
        TQelField* f = to->Field(i);
        TQelField* s = from->FieldByName(f->Name());
        if (!s || s->HardType() != f->HardType())
            continue;
        if (auto* blob = dynamic_cast<TQelBlobField*>(s)) {
            if (!blob->set_Loaded(true))
                return "Feld '" + s->Name() + "' nicht lesbar: " + blob->ErrorMessage();
            if (auto* target = dynamic_cast<TQelBlobField*>(f)) {
                target->set_BufferAsString(blob->BufferAsString());
                continue;
            }
        }
        f->SetValue(s->Value());
    }
    for (int i = 1; i <= to->VectorCount(); ++i) {
        TQelVector* v = to->Vector(i);
        TQelVector* sv = from->VectorByName(v->VectorName());
        if (!sv || sv->get_Vektorklasse() != v->get_Vektorklasse())
            continue;
        while (v->Count() > 0)
            v->Delete(v->Count());
        for (int j = 1; j <= sv->Count(); ++j) {
            TQelSubObject* e = v->Add();
            if (!e)
                break;
            if (std::string error = copyFieldList(sv->Item(j)->FieldList(), e->FieldList()); !error.empty())
                return error;
        }
    }
    return {};
}

void repairField(TQelField* f, const std::string& where, std::string& measures)
{
    auto note
        = [&](const std::string& what) { measures += where + "Feld '" + f->Name() + "': " + what + "\n"; };
    if (f->SyntaxError()) {
        f->SetValue(f->StoredValue());
        note("ungültige Eingabe verworfen");
    }
    if (f->Valid())
        return;
    const auto* text = std::get_if<std::string>(&f->Value());
    if (text && f->MaxLength() > 0 && Utf8Length(*text) > static_cast<std::size_t>(f->MaxLength())) {
        f->SetValue(TQelValue { Utf8Substr(*text, 0, static_cast<std::size_t>(f->MaxLength())) });
        note("auf " + std::to_string(f->MaxLength()) + " Zeichen gekürzt");
    }
    if (f->Valid())
        return;
    if (f->Mandatory() && f->Null()) {
        if (f->Urtyp() == qelft::Text) {
            f->set_AsString("?");
            note("leeres Pflichtfeld mit '?' gefüllt");
        }
        return;
    }
    if (!f->Mandatory() && !f->Null()) {
        const std::string old = f->AsString();
        f->set_Null(true);
        note("ungültigen Wert '" + old + "' entfernt");
    }
}

void repairFieldList(TQelFieldList* fl, const std::string& where, std::string& measures)
{
    for (int i = 1; i <= fl->FieldCount(); ++i)
        repairField(fl->Field(i), where, measures);
    for (int i = 1; i <= fl->VectorCount(); ++i) {
        TQelVector* v = fl->Vector(i);
        if (v->MaxCount() > 0 && v->Count() > v->MaxCount()) {
            const int surplus = v->Count() - v->MaxCount();
            while (v->Count() > v->MaxCount())
                v->Delete(v->Count());
            measures += where + "Vektor '" + v->VectorName() + "': " + std::to_string(surplus)
                + " überzählige Elemente entfernt\n";
        }
        for (int j = 1; j <= v->Count(); ++j)
            repairFieldList(v->Item(j)->FieldList(),
                where + v->VectorName() + "[" + std::to_string(j - 1) + "].", measures);
    }
}

} // namespace

std::string TQelObject::Clone(TQelClassKey cls, TQelObject*& copy)
{
    copy = nullptr;
    if (!db_ || !db_->Initialized())
        return "Die Datenbank ist nicht geöffnet.";
    const TQelClassKey target = cls.Valid() ? cls : ClassKey();
    const TQelKlasse* k = db_->Klasse(target);
    if (!k)
        return "Unbekannte Klasse " + target.ToString() + ".";
    TQelObject* c = db_->CreateObject(target);
    if (!c)
        return "Die Klasse '" + k->name + "' kann keine Objekte aufnehmen.";
    if (std::string error = copyFieldList(FieldList(), c->FieldList()); !error.empty()) {
        db_->FreeObject(c);
        return error;
    }
    copy = c;
    return {};
}

bool TQelObject::DeepForceValid(std::string& measures)
{
    measures.clear();
    repairFieldList(FieldList(), "", measures);
    if (!measures.empty() && measures.back() == '\n')
        measures.pop_back();
    return Valid();
}
