#include "objdb/qelsample.h"

#include "objdb/qeldatabase.h"
#include "objdb/qelerror.h"
#include "objdb/qelobject.h"
#include "objdb/qelvector.h"

#include <algorithm>
#include <cstdio>

namespace {

// A small deterministic generator (the same on every platform, unlike std::rand).
class Rng {
public:
    explicit Rng(unsigned seed)
        : s_(seed * 2654435761u + 1)
    {
    }
    unsigned next()
    {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<unsigned>(n)); }
    template <std::size_t N> const char* pick(const char* const (&a)[N])
    {
        return a[below(static_cast<int>(N))];
    }

private:
    unsigned s_;
};

const char* const kLast[] = { "Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner",
    "Becker", "Schulz", "Hoffmann", "Schäfer", "Koch", "Bauer", "Richter", "Klein", "Wolf", "Schröder",
    "Neumann", "Schwarz", "Zimmermann", "Braun", "Krüger", "Hofmann", "Hartmann", "Lange", "Schmitt",
    "Werner", "Krause", "Meier", "Lehmann", "O'Brien", "Öztürk", "Groß", "Weiß", "Jäger", "Köhler" };
const char* const kFirstM[] = { "Jürgen", "Peter", "Michael", "Thomas", "Andreas", "Stefan", "Klaus", "Jörg",
    "Björn", "Lukas", "Felix", "Maximilian", "Seán" };
const char* const kFirstF[] = { "Anna", "Ursula", "Monika", "Sabine", "Jana", "Sophie", "Marie", "Jülide",
    "Chloé", "Käthe", "Hannah", "Lea", "Siobhán" };
const char* const kStreets[] = { "Hauptstraße", "Bahnhofstraße", "Gartenweg", "Schillerstraße",
    "Goethestraße", "Am Mühlbach", "Lindenallee", "Kirchplatz", "Bergstraße", "Rosenweg" };
const char* const kTowns[] = { "Berlin", "Hamburg", "München", "Köln", "Frankfurt am Main", "Stuttgart",
    "Düsseldorf", "Leipzig", "Nürnberg", "Würzburg", "Lübeck", "Görlitz" };
const char* const kFirmWords[] = { "Grüne Wiese", "Straßenbau Süd", "Müller & Söhne", "Nordlicht",
    "Bäckerei Korn", "Datenwerk", "Elbtal", "Weißblech", "Südwind", "Alpenglühen" };
const char* const kForms[] = { "GmbH", "AG", "KG", "e.K.", "GmbH & Co. KG" };
const char* const kBanks[] = { "Sparkasse", "Volksbank", "Postbank", "Commerzbank", "Raiffeisenbank" };

void set(TQelFieldList* fl, const char* name, const std::string& text)
{
    if (TQelField* f = fl->FieldByName(name))
        f->set_AsString(text);
}

std::string date(Rng& r, int fromYear, int years)
{
    char buf[48];
    std::snprintf(
        buf, sizeof buf, "%02d.%02d.%04d", 1 + r.below(28), 1 + r.below(12), fromYear + r.below(years));
    return buf;
}

void commitOrThrow(TQelObject* o)
{
    if (!o->Commit())
        throw TQelError(o->ErrorMessage());
}

void addresses(Rng& r, TQelVector* v, int count)
{
    for (int i = 0; i < count; ++i) {
        TQelSubObject* e = v->Add();
        if (!e)
            break;
        TQelFieldList* fl = e->FieldList();
        set(fl, "Strasse", std::string(r.pick(kStreets)) + " " + std::to_string(1 + r.below(120)));
        char plz[16];
        std::snprintf(plz, sizeof plz, "%05d", 1067 + r.below(98000));
        set(fl, "PLZ", plz);
        set(fl, "Ort", r.pick(kTowns));
        set(fl, "GueltigAb", date(r, 2000, 20));
        if (i == 0)
            set(fl, "Standard", "Ja");
        else if (r.below(3) == 0)
            set(fl, "GueltigBis", date(r, 2021, 3));
    }
}

void phones(Rng& r, TQelVector* v, int count)
{
    static const char* const kinds[] = { "Privat", "Geschäftlich", "Mobil", "Fax" };
    for (int i = 0; i < count; ++i)
        if (TQelSubObject* e = v->Add()) {
            set(e->FieldList(), "Art", r.pick(kinds));
            set(e->FieldList(), "Nummer",
                "0" + std::to_string(30 + r.below(900)) + " " + std::to_string(100000 + r.below(899999)));
        }
}

} // namespace

TQelSampleResult QelGenerateSampleData(TQelDatabase& db, const TQelSampleOptions& o)
{
    const TQelKlasse* person = db.FindClass("Person");
    const TQelKlasse* firm = db.FindClass("Firma");
    if (!person || !firm)
        throw TQelError("Beispieldaten brauchen das Demo-Schema (Klassen Person und Firma)");
    Rng r(o.seed);
    TQelSampleResult res;
    const std::vector<TQelObject*> before = db.CachedObjects();
    db.StartTransaction();
    try {
        for (int i = 0; i < o.firms; ++i) {
            TQelObject* f = db.CreateObject(firm->Key());
            TQelFieldList* fl = f->FieldList();
            set(fl, "Name",
                std::string(r.pick(kFirmWords)) + " " + r.pick(kForms)
                    + (i >= 10 ? " " + std::to_string(i) : ""));
            static_cast<TQelChoiceField*>(fl->FieldByName("Branche"))->set_AsIndex(1 + r.below(5));
            set(fl, "Gruendung", date(r, 1950, 70));
            set(fl, "Umsatz", std::to_string(10000 + r.below(5000000)) + ",00");
            addresses(r, fl->VectorByName("Adressen"), 1 + r.below(2));
            phones(r, fl->VectorByName("Telefone"), 1 + r.below(2));
            // A hierarchy of groups: three daughters below each mother, every sixth firm on its own.
            if (auto* mother = dynamic_cast<TQelRefField*>(fl->FieldByName("Mutter"));
                mother && i > 0 && i % 6 != 0)
                mother->set_AsKey(res.firms[static_cast<std::size_t>((i - 1) / 3)]);
            commitOrThrow(f);
            res.firms.push_back(f->Key());
            db.FreeObject(f);
        }
        for (int i = 0; i < o.persons; ++i) {
            TQelObject* p = db.CreateObject(person->Key());
            TQelFieldList* fl = p->FieldList();
            const bool female = r.below(2) == 0;
            set(fl, "Anrede", female ? "Frau" : "Herr");
            if (r.below(10) == 0)
                set(fl, "Titel", "Dr.");
            set(fl, "Vorname", female ? r.pick(kFirstF) : r.pick(kFirstM));
            set(fl, "Name", r.pick(kLast));
            set(fl, "Geburtsdatum", date(r, 1950, 55));
            set(fl, "Gehalt", std::to_string(1800 + r.below(9000)) + "," + std::to_string(10 + r.below(90)));
            set(fl, "Aktiv", r.below(8) == 0 ? "Nein" : "Ja");
            set(fl, "Kinder", std::to_string(r.below(4)));
            set(fl, "Sprachen", r.below(2) ? "Deutsch, Englisch" : "Deutsch");
            set(fl, "Eintritt", date(r, 2005, 18) + " 08:00");
            set(fl, "Email", "person" + std::to_string(i) + "@example.org");
            if (r.below(4) == 0)
                set(fl, "Bemerkung",
                    "Bemerkung zu Person " + std::to_string(i) + ": 50% Rabatt; \"Stammkunde\".");
            if (!res.firms.empty() && r.below(5) != 0)
                static_cast<TQelRefField*>(fl->FieldByName("Arbeitgeber"))
                    ->set_AsKey(
                        res.firms[static_cast<std::size_t>(r.below(static_cast<int>(res.firms.size())))]);
            addresses(r, fl->VectorByName("Adressen"), r.below(o.maxAddresses + 1));
            phones(r, fl->VectorByName("Telefone"), r.below(o.maxPhones + 1));
            if (r.below(3) == 0)
                if (TQelFieldList* bank = fl->FindFieldList("Bank", true)) {
                    set(bank, "Bank", r.pick(kBanks));
                    set(bank, "IBAN",
                        "DE" + std::to_string(10 + r.below(89)) + "1000000000"
                            + std::to_string(1000000 + r.below(8999999)));
                }
            commitOrThrow(p);
            res.persons.push_back(p->Key());
            db.FreeObject(p);
        }
    } catch (...) {
        db.RollbackTransaction();
        throw;
    }
    if (!db.CommitTransaction())
        throw TQelError("Beispieldaten konnten nicht gespeichert werden");
    // Checking references loaded the firms again; leave memory as it was.
    for (TQelObject* obj : db.CachedObjects())
        if (std::find(before.begin(), before.end(), obj) == before.end() && !obj->Touched())
            db.FreeObject(obj);
    return res;
}
