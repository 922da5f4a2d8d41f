// Search conditions from the filled fields of an object.
#include "binding/methods.h"

std::string TQelCommonMethods::SqlColumnName(TQelObjectInterface* oi)
{
    if (!oi)
        return {};
    std::string s = SqlColumnName(oi->Owner());
    switch (oi->OIType()) {
    case TQelObjectInterface::oiSubObject:
        s += std::to_string(static_cast<TQelSubObject*>(oi)->VectorIndex());
        break;
    case TQelObjectInterface::oiFieldList: {
        const TQelClassKey key = static_cast<TQelFieldList*>(oi)->Key();
        if (key.DerivesFrom(TQelClassKey(qelcls::Objekt)))
            if (const TQelKlasse* cls = key.Klasse())
                s = cls->TableName();
        break;
    }
    case TQelObjectInterface::oiVector:
        s += "_" + TQelSQLEngine::make_sql_str(static_cast<TQelVector*>(oi)->VectorName());
        break;
    case TQelObjectInterface::oiField:
        s += "." + static_cast<TQelField*>(oi)->ColumnName();
        break;
    default:
        break;
    }
    return s;
}

std::string TQelCommonMethods::ExtractSearchCond(TQelObject* obj)
{
    if (!obj)
        return {};
    TQelDatabase* db = obj->Database();
    if (!db)
        return {};
    const std::unique_ptr<TQelSQLDialect> dialect = db->CreateSQLDialect();
    std::string cond;
    obj->FieldList()->ForEachField(
        [&](TQelField* f) {
            if (f->NullOrDefault())
                return true;
            if (TQelFieldList* owner = f->FieldList(); owner && owner->Key().Meta())
                return true;
            const char* op = f->FieldType().Id() == qelft::Text ? "LIKE" : "=";
            if (!cond.empty())
                cond += " AND ";
            cond += SqlColumnName(f) + " " + op + " " + dialect->ValueString(f);
            return true;
        },
        TQelFieldList::efFields | TQelFieldList::efElements);
    return cond;
}
