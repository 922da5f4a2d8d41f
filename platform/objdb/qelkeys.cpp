#include "objdb/qelkeys.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelobject.h"
#include "objdb/qelstorage.h"

namespace {

const TQelSchema* schema()
{
    TQelDatabase* db = QelDatabase();
    return db && db->Initialized() ? &db->Schema() : nullptr;
}

} // namespace

const TQelKlasse* TQelClassKey::Klasse() const
{
    const TQelSchema* s = schema();
    return s ? s->Class(id_) : nullptr;
}

bool TQelClassKey::IsA(TQelClassKey other) const
{
    const TQelKlasse* k = Klasse();
    return k && k->IsA(other.Id());
}

bool TQelClassKey::Meta() const
{
    const TQelKlasse* k = Klasse();
    return k && k->meta;
}

bool TQelClassKey::Exists() const
{
    return Klasse() != nullptr;
}

std::string TQelClassKey::Name() const
{
    const TQelKlasse* k = Klasse();
    return k ? k->name : std::string();
}

const TQelFeldtyp* TQelFieldKey::Feldtyp() const
{
    const TQelSchema* s = schema();
    return s ? s->FieldType(id_) : nullptr;
}

bool TQelFieldKey::IsA(TQelFieldKey other) const
{
    const TQelFeldtyp* t = Feldtyp();
    return t && t->IsA(other.Id());
}

bool TQelFieldKey::Exists() const
{
    return Feldtyp() != nullptr;
}

std::string TQelFieldKey::Name() const
{
    const TQelFeldtyp* t = Feldtyp();
    return t ? t->name : std::string();
}

int TQelFieldKey::Urtyp() const
{
    const TQelFeldtyp* t = Feldtyp();
    return t ? t->Urtyp() : 0;
}

TQelObject* TQelObjectKey::Object() const
{
    TQelDatabase* db = QelDatabase();
    return db ? db->GetObjectA(*this) : nullptr;
}

bool TQelObjectKey::Exists() const
{
    TQelDatabase* db = QelDatabase();
    if (!db || !db->Initialized() || !Valid())
        return false;
    if (db->CachedObject(*this))
        return true;
    int cls = 0;
    bool deleted = false;
    return db->Storage().ObjectRow(*this, cls, deleted);
}

TQelClassKey TQelObjectKey::ClassKey() const
{
    TQelDatabase* db = QelDatabase();
    if (!db || !db->Initialized() || !Valid())
        return {};
    if (TQelObject* o = db->CachedObject(*this))
        return o->ClassKey();
    int cls = 0;
    bool deleted = false;
    return db->Storage().ObjectRow(*this, cls, deleted) ? TQelClassKey(cls) : TQelClassKey();
}

bool TQelObjectKey::IsA(TQelClassKey cls) const
{
    return ClassKey().IsA(cls);
}
