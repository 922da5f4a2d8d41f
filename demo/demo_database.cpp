#include "demo_database.h"
#include "demo_languages.h"

#include "objdb/qeldocuments.h"
#include "objdb/qelerror.h"
#include "objdb/qelobject.h"
#include "objdb/qelsample.h"
#include "objdb/qelsql.h"
#include "objdb/qeltemplate.h"
#include "objdb/qelvector.h"
#include "objdb/qelview.h"

#include <filesystem>

namespace {

TQelAnsicht* storedView(TQelAnsichtLib* views, TQelClassKey cls, const std::string& name,
    const std::string& condition, TQelAnsicht* parent = nullptr, TQelClassKey paramClass = {},
    bool showDeleted = false)
{
    std::string error;
    TQelAnsicht* v = views->CreateView(
        cls, name, condition, parent ? parent->Key() : TQelAnsichtKey(), paramClass, showDeleted, &error);
    if (!v)
        throw TQelError("Filter '" + name + "': " + error);
    return v;
}

// Former staff, kept as deleted persons so that restoring and the filter of deleted persons have
// something to show.
void formerPersons(TQelDatabase& db, TQelClassKey person)
{
    const char* const names[][2] = { { "Altmann", "Erika" }, { "Vogt", "Heinz" } };
    for (const auto& [name, first] : names) {
        TQelObject* p = db.CreateObject(person);
        p->FieldByName("Name")->set_AsString(name);
        p->FieldByName("Vorname")->set_AsString(first);
        p->FieldByName("Aktiv")->set_AsBool(false);
        if (!p->Commit() || !p->Delete())
            throw TQelError(p->ErrorMessage());
        db.FreeObject(p);
    }
}

// The stored filters a new demo database starts with.
void seedViews(TQelDatabase& db)
{
    TQelAnsichtLib* views = db.Ansichten();
    const TQelClassKey person = db.FindClass("Person")->Key();
    const TQelClassKey firm = db.FindClass("Firma")->Key();
    formerPersons(db, person);
    TQelAnsicht* active = storedView(views, person, "Aktive Personen", "Person.Aktiv = 1");
    storedView(views, person, "Aktive mit Kindern", "Person.Kinder > 0", active);
    TQelAnsicht* byTown = storedView(views, person, "Personen nach Ort", "Person_Adressen1.Ort = :Ort",
        nullptr, db.FindClass("OrtParameter")->Key());
    if (!byTown->FindInstanceByParams("Ort=Köln"))
        throw TQelError("Filter 'Personen nach Ort': Parameter nicht gespeichert");
    storedView(views, person, "Gelöschte Personen", "OBJEKT.GELOESCHT = 1", nullptr, {}, true);
    storedView(views, firm, "Firmen im Handel", "Firma.Branche = 'Handel'");
}

// The document templates a new demo database starts with (export and print preview of persons).
void seedTemplates(TQelDatabase& db)
{
    const TQelClassKey person = db.FindClass("Person")->Key();
    std::string error;
    const TQelObjectKey sheet = TQelRTFVorlage::Create(&db, "Personenblatt", person, "html",
        "<html><head><meta charset=\"utf-8\"><title><Name>, <Vorname></title></head><body>\n"
        "<h1><Anrede> <Titel> <Vorname> <Name></h1>\n"
        "<p>Geboren: <Geburtsdatum><br>E-Mail: <Email><br>Kinder: <Kinder></p>\n"
        "<h2>Adresse</h2><p><Adressen[0].Strasse><br><Adressen[0].PLZ> <Adressen[0].Ort></p>\n"
        "<h2>Bank</h2><p><Bank.Bank><br>IBAN <Bank.IBAN></p>\n</body></html>\n",
        error);
    const TQelObjectKey label = TQelRTFVorlage::Create(&db, "Adressetikett", person, "txt",
        "<Anrede> <Titel> <Vorname> <Name>\n<Adressen[0].Strasse>\n<Adressen[0].PLZ> <Adressen[0].Ort>\n",
        error);
    if (!sheet.Valid() || !label.Valid())
        throw TQelError("Vorlagen nicht gespeichert: " + error);
}

// A few small documents for the first persons, in folders, so the page "Dokumente" has content.
void seedDocuments(TQelDatabase& db)
{
    struct Sample {
        const char* name;
        const char* format;
        const char* category;
        const char* text;
    } const samples[] = {
        { "Arbeitsvertrag", "txt", "Verträge",
            "Arbeitsvertrag\n\nBeginn: 01.04.2020\nProbezeit: 6 Monate\n" },
        { "Nachtrag Gehalt", "txt", "Verträge/Nachträge",
            "Nachtrag zum Arbeitsvertrag: neues Gehalt ab 01.01.2024.\n" },
        { "Anschreiben", "html", "Korrespondenz/2024",
            "<html><body><p>Sehr geehrte Damen und Herren,</p></body></html>\n" },
        { "Adressliste", "csv", "Korrespondenz", "Name;Ort\nMeier;Köln\nSchulz;Bonn\n" },
        { "Notiz", "txt", "", "Rückruf vereinbart.\n" },
    };
    auto q = db.CreateSQLEngine()->Query("SELECT K FROM Person ORDER BY Name, Vorname LIMIT 5");
    q->Open();
    std::vector<TQelObjectKey> persons;
    for (; !q->Eof(); q->Next())
        persons.emplace_back(static_cast<int>(q->AsInteger(0)));
    db.StartTransaction();
    for (TQelObjectKey person : persons) {
        TQelObject* owner = db.GetObjectA(person);
        TQelVector* attachments = owner ? owner->FieldList()->VectorByName("Anlagen") : nullptr;
        for (const Sample& s : samples) {
            TQelDokument* doc = QelAsDokument(db.CreateObject(TQelClassKey(qelcls::Dokument)));
            doc->set_DocName(s.name);
            doc->set_DataFormat(s.format);
            doc->set_Zeitstempel(db.TimeStamp());
            doc->set_Bemerkung("Beispieldokument");
            doc->Blob()->set_BufferAsString(s.text);
            TQelZuordnung z = doc->AddZuordnung(person);
            z.set_Art("Anlage");
            z.set_Kategorie(s.category);
            doc->Commit();
            // The contracts are the person's attachments as well (the vector "Anlagen").
            if (TQelSubObject* e = attachments && *s.category == 'V' ? attachments->NewItem() : nullptr) {
                dynamic_cast<TQelRefField*>(e->FieldList()->FieldByName("Dokument"))->set_AsKey(doc->Key());
                e->FieldList()
                    ->FieldByName("Beschreibung")
                    ->set_AsString(std::string(s.name) + ", unterschrieben");
            }
        }
        if (owner)
            owner->Commit();
    }
    db.CommitTransaction();
}

// Whoever runs the demo administers its data: the filter of deleted persons, restoring them and
// removing them for good are offered to administrators only.
void makeUserAdmin(TQelDatabase& db)
{
    TQelUser* user = db.User();
    TQelField* admin = user ? user->FieldByName("Admin") : nullptr;
    if (!admin || admin->AsBool())
        return;
    admin->set_AsBool(true);
    // A database opened read-only keeps the right for this session only.
    if (!db.ReadOnly() && !user->Commit())
        user->Rollback();
}

} // namespace

DemoDatabase openDemoDatabase(const std::string& path, int persons, int firms)
{
    namespace fs = std::filesystem;
    DemoDatabase d;
    d.path = path;
    std::error_code ec;
    // A database server (postgresql://...) gets its sample data when it holds no objects yet.
    const bool server = path.find("://") != std::string::npos;
    d.created = !server && !fs::exists(path, ec);
    if (d.created) {
        const fs::path dir = fs::path(path).parent_path();
        if (!dir.empty())
            fs::create_directories(dir, ec);
    }
    d.db = std::make_unique<TQelDatabase>();
    TQelOpenOptions o;
    o.schemaText = QelDemoSchemaText();
    o.schemaFile = QelDemoSchemaFile;
    o.create = d.created || server;
    try {
        d.db->Open(path, o);
        if (server)
            d.created = d.db->CountObjects(true) == 0;
        if (d.created) {
            TQelSampleOptions sample;
            sample.persons = persons;
            sample.firms = firms;
            QelGenerateSampleData(*d.db, sample);
            seedViews(*d.db);
            seedTemplates(*d.db);
            seedDocuments(*d.db);
            seedLanguages(*d.db);
        }
        makeUserAdmin(*d.db);
        d.objectCount = d.db->CountObjects();
    } catch (const TQelOpenError& e) {
        d.error = e.what();
    } catch (const std::exception& e) {
        d.error = path + ": Beispieldaten konnten nicht angelegt werden: " + e.what();
    }
    if (!d.error.empty()) {
        d.db.reset();
        if (d.created && !server)
            fs::remove(path, ec); // leave no half-made file behind
    }
    return d;
}
