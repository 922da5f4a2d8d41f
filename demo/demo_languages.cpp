#include "demo_languages.h"

#include "binding/objdb.h"

void seedLanguages(TQelDatabase& db)
{
    const TQelKlasse* sprache = db.FindClass("Sprache");
    const TQelKlasse* person = db.FindClass("Person");
    if (!sprache || !person)
        return;
    std::vector<TQelObjectKey> keys;
    db.StartTransaction();
    for (const char* name : { "Deutsch", "Englisch", "Französisch", "Spanisch", "Italienisch", "Polnisch" }) {
        TQelObject* s = db.CreateObject(sprache->Key());
        s->FieldByName("Name")->set_AsString(name);
        if (s->Commit())
            keys.push_back(s->Key());
        db.FreeObject(s);
    }
    // The first persons speak one to three of them.
    auto q = db.CreateSQLEngine()->ListEx(person->Key(), lfNotDeleted, "", "", "K", 10);
    int n = 0;
    for (q->Open(); !q->Eof() && keys.size() >= 3; q->Next(), ++n) {
        TQelObject* p = db.GetObjectA(TQelObjectKey(static_cast<int>(q->AsInteger(0))));
        TQelVector* v = p ? p->FieldList()->VectorByName("Sprachkenntnisse") : nullptr;
        if (!v)
            continue;
        for (int i = 0; i <= n % 3; ++i)
            if (TQelSubObject* e = v->Add())
                static_cast<TQelRefField*>(e->FieldList()->FieldByName("Sprache"))
                    ->set_AsKey(keys[static_cast<std::size_t>((n + i) % static_cast<int>(keys.size()))]);
        p->Commit();
    }
    q->Close();
    db.CommitTransaction();
}
