// Stored views: the library, the tree, parameter instances and the conditions they make.
#include "objdb_test_support.h"

#include "objdb/qellog.h"
#include "objdb/qelview.h"
#include "objdb/qelviewcondition.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

const char* const kViewSchema = R"(
class 42001 Adresse table=V_Adresse
  field Ort Text
end
class 42010 Person : Objekt table=Person format="<Name>"
  field Name Text
  field Ort Text
  field Aktiv Boolesch
  field Kinder Ganzzahl
  vector Adressen Adresse
end
class 42011 Mitarbeiter : Person
  field Nummer Ganzzahl
end
class 42020 Firma : Objekt table=Firma format="<Name>"
  field Name Text
end
class 42030 OrtParameter : Ansichtsparameter table=OrtParameter
  field Ort Text
  field Mindestens Ganzzahl
end
)";

std::vector<std::string> names(const std::vector<TQelAnsicht*>& views)
{
    std::vector<std::string> out;
    for (const TQelAnsicht* v : views)
        out.push_back(std::string(static_cast<std::size_t>(v->Depth() - 1) * 2, ' ') + v->Name());
    return out;
}

class Views : public ::testing::Test {
protected:
    explicit Views(const std::string& path = ":memory:")
        : db(kViewSchema, path)
    {
    }
    TQelAnsichtLib* lib() { return QelAnsichten(); }
    TQelClassKey person() const { return db.cls("Person"); }
    TQelClassKey param() const { return db.cls("OrtParameter"); }
    TQelAnsicht* view(const std::string& name, const std::string& condition, TQelAnsicht* parent = nullptr,
        TQelClassKey paramClass = {})
    {
        std::string error;
        TQelAnsicht* v = lib()->CreateView(
            person(), name, condition, parent ? parent->Key() : TQelAnsichtKey(), paramClass, false, &error);
        EXPECT_NE(v, nullptr) << error;
        return v;
    }
    TQelObject* addPerson(const std::string& name, const std::string& ort, int kinder = 0)
    {
        TQelObject* p = db.create("Person", name.c_str());
        p->FieldByName("Ort")->set_AsString(ort);
        p->FieldByName("Kinder")->set_AsInteger(kinder);
        p->FieldList()->VectorByName("Adressen")->Add()->FieldList()->FieldByName("Ort")->set_AsString(ort);
        EXPECT_TRUE(p->Commit()) << p->ErrorMessage();
        return p;
    }
    // Names of the persons a condition lists, through the store's own list query.
    std::vector<std::string> listed(const std::string& condition)
    {
        auto q = db->CreateSQLEngine()->ListEx(person(), lfNotDeleted, condition, "Name", "Person.Name");
        EXPECT_TRUE(q->TryOpen()) << q->ErrorMessage() << "\n" << condition;
        std::vector<std::string> out;
        for (; q->Success() && !q->Eof(); q->Next())
            out.push_back(q->AsString(1));
        return out;
    }
    TestDb db;
};

TEST_F(Views, CreatedViewsAreFoundByKeyNameAndRepresentation)
{
    TQelAnsicht* v = view("Aktive", "Person.Aktiv = 1");
    EXPECT_EQ(v->Name(), "Aktive");
    EXPECT_EQ(v->Condition(), "Person.Aktiv = 1");
    EXPECT_EQ(v->Basisklasse(), person());
    EXPECT_EQ(v->TrueClassType(), person());
    EXPECT_EQ(v->Repr(), "Person:Aktive");
    EXPECT_FALSE(v->HasParams());
    EXPECT_EQ(lib()->Find(v->Key()), v);
    EXPECT_EQ(v->Key().Ansicht(), v);
    EXPECT_EQ(lib()->FindByName("Aktive"), v);
    EXPECT_EQ(lib()->FindByName("aktive"), nullptr);
    EXPECT_EQ(lib()->SearchConditionByRepr("Person:Aktive"), "Person.Aktiv = 1");
    EXPECT_EQ(lib()->SearchConditionByRepr("Aktive"), "Person.Aktiv = 1");
    EXPECT_EQ(lib()->SearchConditionByRepr("Firma:Aktive"), "");
    EXPECT_EQ(lib()->SearchConditionByRepr("Keine:Aktive"), "");
    EXPECT_EQ(MakeNP(TQelClassKey(qelcls::Ansicht), "d", 1), "der Filter");

    std::string error;
    EXPECT_EQ(lib()->CreateView(TQelClassKey(99999), "X", "", {}, {}, false, &error), nullptr);
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_EQ(lib()->CreateView(person(), "  ", "", {}, {}, false, &error), nullptr);
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_EQ(lib()->CreateView(person(), "P", "", {}, db.cls("Firma"), false, &error), nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(lib()->CreateView(person(), "P", "", TQelAnsichtKey(4242), {}, false, nullptr), nullptr);
    EXPECT_EQ(lib()->Tree().size(), 1u);
    EXPECT_TRUE(db->NewObjects().empty()); // refused views leave no object behind
}

TEST_F(Views, DeletedViewsLeaveTheListButTheirPointersStayUsable)
{
    TQelAnsicht* a = view("A", "Person.Kinder > 0");
    TQelAnsicht* b = view("B", "");
    ASSERT_TRUE(lib()->DeleteView(a->Key()));
    EXPECT_EQ(names(lib()->Tree()), std::vector<std::string>({ "B" }));
    EXPECT_EQ(lib()->Find(a->Key()), nullptr);
    EXPECT_EQ(lib()->FindByName("A"), nullptr);
    EXPECT_EQ(a->Name(), "A");
    EXPECT_TRUE(a->Object()->Deleted());
    EXPECT_FALSE(lib()->DeleteView(a->Key()));
    // Views removed from the store for good answer empty.
    ASSERT_TRUE(db->DeleteObject(b->Key(), true));
    EXPECT_TRUE(lib()->Tree().empty());
    EXPECT_EQ(b->Name(), "");
    EXPECT_EQ(b->MakeSearchCondition(nullptr, ""), "");
}

TEST_F(Views, TreeOrderDepthDescendantsAndJoinedConditions)
{
    TQelAnsicht* z = view("Zweig", "Person.Kinder > 0");
    TQelAnsicht* a = view("Alle", "");
    TQelAnsicht* z2 = view("Blatt", "Person.Kinder < 3", z);
    TQelAnsicht* z1 = view("Ast", "Person.Ort = 'Bonn'", z);
    TQelAnsicht* z11 = view("Spitze", "Person.Name LIKE 'M%'", z1);
    // Position goes before the name.
    z2->Object()->FieldByName("Position")->set_AsInteger(-1);
    ASSERT_TRUE(z2->Object()->Commit());
    EXPECT_EQ(names(lib()->Tree()),
        std::vector<std::string>({ "Alle", "Zweig", "  Blatt", "  Ast", "    Spitze" }));
    EXPECT_EQ(z11->Depth(), 3);
    EXPECT_EQ(z11->Key().Depth(), 3);
    EXPECT_EQ(TQelAnsichtKey(777).Depth(), 0);
    EXPECT_EQ(z11->Parent(), z1);
    EXPECT_EQ(z1->ParentKey(), z->Key());
    EXPECT_TRUE(z11->DerivesFrom(z->Key()));
    EXPECT_TRUE(z11->DerivesFrom(z11->Key()));
    EXPECT_FALSE(z->DerivesFrom(z11->Key()));
    EXPECT_FALSE(z1->DerivesFrom(z2->Key()));
    EXPECT_FALSE(a->DerivesFrom(TQelAnsichtKey()));
    EXPECT_EQ(z->DescendantList(), std::vector<TQelAnsichtKey>({ z2->Key(), z1->Key(), z11->Key() }));
    EXPECT_TRUE(z11->DescendantList().empty());

    EXPECT_EQ(z->MakeSearchCondition(nullptr, ""), "Person.Kinder > 0");
    EXPECT_EQ(z11->MakeSearchCondition(nullptr, ""),
        "(Person.Kinder > 0) AND (Person.Ort = 'Bonn') AND (Person.Name LIKE 'M%')");
    TQelAnsicht* under = view("Unter Alle", "Person.Kinder = 2", a);
    EXPECT_EQ(under->MakeSearchCondition(nullptr, ""), "Person.Kinder = 2"); // empty parents add nothing
    EXPECT_EQ(lib()->SearchConditionByRepr("Person:Spitze"), z11->MakeSearchCondition(nullptr, ""));

    // A deleted parent leaves its children at the top.
    ASSERT_TRUE(lib()->DeleteView(z->Key()));
    EXPECT_EQ(z1->Depth(), 1);
    EXPECT_EQ(z11->MakeSearchCondition(nullptr, ""), "(Person.Ort = 'Bonn') AND (Person.Name LIKE 'M%')");
}

TEST_F(Views, ValidityExclusionsAndUnknownClasses)
{
    TQelAnsicht* v = view("P", "");
    EXPECT_TRUE(v->IsValidFor(person()));
    EXPECT_TRUE(v->IsValidFor(db.cls("Mitarbeiter")));
    EXPECT_FALSE(v->IsValidFor(db.cls("Firma")));
    EXPECT_FALSE(v->IsValidFor(TQelClassKey()));
    TQelAnsicht* m = lib()->CreateView(db.cls("Mitarbeiter"), "M", "", {}, {}, true);
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->ShowDeleted());
    EXPECT_FALSE(v->ShowDeleted());
    EXPECT_TRUE(m->IsValidFor(person())); // offered in a list of the base class

    TQelAnsicht* x = view("X", "");
    x->Object()
        ->FieldByName("Ausschluesse")
        ->set_AsString(" " + v->Key().ToString() + ",abc,;" + m->Key().ToString() + "5");
    ASSERT_TRUE(x->Object()->Commit());
    EXPECT_TRUE(x->Excludes(v->Key()));
    EXPECT_FALSE(x->Excludes(m->Key()));
    EXPECT_FALSE(v->Excludes(x->Key()));

    x->Object()->FieldByName("Klasse")->set_AsInteger(99999);
    ASSERT_TRUE(x->Object()->Commit());
    EXPECT_FALSE(x->TrueClassType().Valid());
    EXPECT_FALSE(x->IsValidFor(person()));
}

TEST_F(Views, ParametersAreFilledFromInstancesAndStoredWithTheView)
{
    TQelAnsicht* v = view("Nach Ort",
        "Person.Ort = :Ort AND Person.Kinder >= :mindestens AND ':Ort' <> :Fremd", nullptr, param());
    ASSERT_TRUE(v->HasParams());
    EXPECT_EQ(v->ParamClass(), param());
    // No instance: every parameter is NULL; quoted text and unknown names stay.
    EXPECT_EQ(v->MakeSearchCondition(nullptr, ""),
        "Person.Ort = NULL AND Person.Kinder >= NULL AND ':Ort' <> :Fremd");

    TQelFieldList* bonn = v->FindInstanceByParams("Ort=Bonn");
    ASSERT_NE(bonn, nullptr);
    EXPECT_FALSE(bonn->Object()->IsNew());
    EXPECT_FALSE(v->Object()->Touched());
    EXPECT_TRUE(v->HasInstance(bonn));
    EXPECT_EQ(v->Instances(), std::vector<TQelFieldList*>({ bonn }));
    EXPECT_EQ(v->InstanceText(bonn), "Ort=Bonn");
    EXPECT_EQ(v->NiceName(bonn), "Nach Ort (Ort=Bonn)");
    EXPECT_EQ(v->NiceName(), "Nach Ort");
    EXPECT_EQ(v->MakeSearchCondition(bonn, ""),
        "Person.Ort = 'Bonn' AND Person.Kinder >= NULL AND ':Ort' <> :Fremd");

    // The same instance again, also when written differently; a new one only when asked for.
    EXPECT_EQ(v->FindInstanceByParams("Ort=Bonn"), bonn);
    EXPECT_EQ(v->FindInstanceByParams(" Ort = Bonn ", false), bonn);
    EXPECT_EQ(v->FindInstanceByParams("Ort=Köln", false), nullptr);
    EXPECT_TRUE(db->NewObjects().empty());
    TQelFieldList* two = v->FindInstanceByParams("Unbekannt=1, Ort=Bad Godesberg, Nord, Mindestens=2");
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->FieldByName("Ort")->AsString(), "Bad Godesberg, Nord");
    EXPECT_EQ(two->FieldByName("Mindestens")->AsInteger(), 2);
    EXPECT_EQ(v->Instances(), std::vector<TQelFieldList*>({ bonn, two }));

    // A parameter object made for the dialog is stored only by AddInstance.
    TQelFieldList* fresh = v->NewInstance();
    ASSERT_NE(fresh, nullptr);
    EXPECT_FALSE(v->HasInstance(fresh));
    fresh->FieldByName("Ort")->set_AsString("Ulm");
    ASSERT_TRUE(v->AddInstance(fresh));
    EXPECT_TRUE(v->AddInstance(fresh));
    EXPECT_EQ(v->Instances().size(), 3u);
    EXPECT_FALSE(fresh->Object()->IsNew());
    // Instances of another class and views without parameters take none.
    TQelAnsicht* plain = view("Ohne", "");
    EXPECT_EQ(plain->FindInstanceByParams("Ort=Bonn"), nullptr);
    EXPECT_EQ(plain->NewInstance(), nullptr);
    EXPECT_FALSE(plain->AddInstance(bonn));
    EXPECT_FALSE(v->AddInstance(db.create("Firma", "F")->FieldList()));

    ASSERT_TRUE(v->RemoveInstance(two));
    EXPECT_EQ(v->Instances(), std::vector<TQelFieldList*>({ bonn, fresh }));
    EXPECT_FALSE(plain->RemoveInstance(bonn));
    EXPECT_FALSE(v->RemoveInstance(nullptr));
}

TEST_F(Views, HostileParameterValuesStayLiteralInTheStoresQueries)
{
    addPerson("O'Brien", "O'Brien");
    addPerson("Meier", "Bonn", 2);
    addPerson("Dropper", "'; DROP TABLE Person; --");
    TQelAnsicht* v = view("Nach Ort", "Person.Ort = :Ort", nullptr, param());
    TQelAnsicht* byAddress = view("Nach Adresse", "Person_Adressen1.Ort = :Ort AND Person.Kinder >= 0", v);
    byAddress->Object()->FieldByName("Parameterklasse")->set_AsInteger(param().Id());
    ASSERT_TRUE(byAddress->Object()->Commit());

    for (const char* ort : { "O'Brien", "'; DROP TABLE Person; --", "Bonn" }) {
        TQelFieldList* inst = v->FindInstanceByParams(std::string("Ort=") + ort);
        ASSERT_NE(inst, nullptr) << ort;
        EXPECT_EQ(inst->FieldByName("Ort")->AsString(), ort);
        const std::vector<std::string> one = listed(v->MakeSearchCondition(inst, ""));
        ASSERT_EQ(one.size(), 1u) << ort;
        EXPECT_EQ(listed(byAddress->MakeSearchCondition(inst, "")), one) << ort;
        // On the second name of the class table.
        const std::string ext = v->MakeSearchCondition(inst, "O_EXT");
        EXPECT_EQ(ext.rfind("O_EXT.Ort = ", 0), 0u) << ext;
        EXPECT_EQ(listed(ext), one);
    }
    EXPECT_EQ(listed(v->MakeSearchCondition(nullptr, "")), std::vector<std::string>());
    EXPECT_EQ(listed("").size(), 3u); // the table is still there
}

TEST_F(Views, DetachingAnInstanceMakesAViewOfItsOwn)
{
    addPerson("Meier", "Bonn", 1);
    addPerson("Schulz", "Köln", 3);
    TQelAnsicht* parent = view("Mit Kindern", "Person.Kinder > 0");
    TQelAnsicht* v = view("Nach Ort", "Person.Ort = :Ort", parent, param());
    TQelFieldList* koeln = v->FindInstanceByParams("Ort=Köln");
    ASSERT_NE(koeln, nullptr);
    const TQelObjectKey instKey = koeln->Object()->Key();
    v->Object()->FieldByName("Position")->set_AsInteger(4);
    ASSERT_TRUE(v->Object()->Commit());

    std::string error;
    TQelAnsicht* own = v->DetachInstance(koeln, &error);
    ASSERT_NE(own, nullptr) << error;
    EXPECT_EQ(own->Name(), "Nach Ort (Ort=Köln)");
    EXPECT_EQ(own->Condition(), "Person.Ort = 'Köln'");
    EXPECT_FALSE(own->HasParams());
    EXPECT_EQ(own->ParentKey(), parent->Key());
    EXPECT_EQ(own->Position(), 4);
    EXPECT_EQ(listed(own->MakeSearchCondition(nullptr, "")), std::vector<std::string>({ "Schulz" }));
    EXPECT_TRUE(v->Instances().empty());
    EXPECT_EQ(db->GetObjectA(instKey), nullptr); // the parameter object is gone from the store
    EXPECT_EQ(parent->DescendantList(), std::vector<TQelAnsichtKey>({ v->Key(), own->Key() })); // by name
    EXPECT_EQ(v->DetachInstance(nullptr, &error), nullptr);
    EXPECT_FALSE(error.empty());
}

TEST_F(Views, ViewsChangedOutsideTheLibraryAreSeen)
{
    TQelAnsicht* v = view("Erster", "");
    ASSERT_EQ(lib()->Tree().size(), 1u);
    // A view object written directly, as another part of the application would.
    TQelObject* obj = db->CreateObject(TQelClassKey(qelcls::Ansicht));
    obj->FieldByName("Bezeichnung")->set_AsString("Zweiter");
    obj->FieldByName("Klasse")->set_AsInteger(person().Id());
    obj->FieldByName("Oberansicht")->set_AsInteger(v->Key().Id());
    ASSERT_TRUE(obj->Commit()) << obj->ErrorMessage();
    EXPECT_EQ(names(lib()->Tree()), std::vector<std::string>({ "Erster", "  Zweiter" }));
    v->Object()->FieldByName("Bezeichnung")->set_AsString("Umbenannt");
    ASSERT_TRUE(v->Object()->Commit());
    EXPECT_EQ(lib()->FindByName("Umbenannt"), v);
    ASSERT_TRUE(obj->Delete());
    EXPECT_EQ(names(lib()->Tree()), std::vector<std::string>({ "Umbenannt" }));
    ASSERT_TRUE(obj->Recover());
    EXPECT_EQ(lib()->Tree().size(), 2u);
}

TEST_F(Views, ACycleOfParentsInStoredDataIsCutAndLoggedOnce)
{
    TQelAnsicht* a = view("A", "Person.Kinder > 0");
    TQelAnsicht* b = view("B", "Person.Kinder < 5", a);
    TQelAnsicht* c = view("C", "Person.Kinder <> 2", b);
    a->Object()->FieldByName("Oberansicht")->set_AsInteger(c->Key().Id());
    ASSERT_TRUE(a->Object()->Commit());
    const auto errors = [&] { return db->LogManager()->EntriesOf(QEL_LOG_ERROR).size(); };
    EXPECT_EQ(names(lib()->Tree()), std::vector<std::string>({ "A", "  B", "    C" }));
    EXPECT_EQ(errors(), 1u);
    EXPECT_EQ(c->Depth(), 3);
    EXPECT_FALSE(a->DerivesFrom(c->Key()));
    EXPECT_TRUE(c->DerivesFrom(a->Key()));
    EXPECT_EQ(a->DescendantList(), std::vector<TQelAnsichtKey>({ b->Key(), c->Key() }));
    EXPECT_EQ(c->MakeSearchCondition(nullptr, ""),
        "(Person.Kinder > 0) AND (Person.Kinder < 5) AND (Person.Kinder <> 2)");
    // A later reload of the same data does not log again.
    b->Object()->FieldByName("Position")->set_AsInteger(1);
    ASSERT_TRUE(b->Object()->Commit());
    EXPECT_EQ(lib()->Tree().size(), 3u);
    EXPECT_EQ(errors(), 1u);
    // A view that is its own parent.
    b->Object()->FieldByName("Oberansicht")->set_AsInteger(b->Key().Id());
    ASSERT_TRUE(b->Object()->Commit());
    EXPECT_EQ(names(lib()->Tree()), std::vector<std::string>({ "B", "  C", "    A" }));
    EXPECT_EQ(b->DescendantList(), std::vector<TQelAnsichtKey>({ c->Key(), a->Key() }));
}

struct FileHolder {
    TempFile file;
};

// The file exists before the fixture's database opens it.
class FileViews : public FileHolder, public Views {
protected:
    FileViews()
        : Views(file.path())
    {
    }
    std::unique_ptr<TQelDatabase> reopen()
    {
        db->Close();
        auto again = openFile(file.path());
        SetQelDatabase(again.get());
        return again;
    }
};

TEST_F(FileViews, ViewsAndInstancesLastButInstanceIdsDoNot)
{
    TQelAnsicht* top = view("Oben", "Person.Kinder > 0");
    TQelAnsicht* v = view("Nach Ort", "Person.Ort = :Ort", top, param());
    const TQelAnsichtKey key = v->Key();
    TQelFieldList* bonn = v->FindInstanceByParams("Ort=Bonn");
    TQelFieldList* ulm = v->FindInstanceByParams("Ort=Ulm");
    const int id = v->InstanceId(bonn);
    EXPECT_NE(id, 0);
    EXPECT_EQ(v->InstanceId(bonn), id);
    EXPECT_NE(v->InstanceId(ulm), id);
    EXPECT_EQ(v->InstanceById(id), bonn);
    EXPECT_EQ(v->InstanceId(nullptr), 0);
    EXPECT_EQ(v->InstanceById(0), nullptr);
    ASSERT_TRUE(v->RemoveInstance(ulm));
    EXPECT_EQ(QelAnsichten(db.db.get()), lib());

    auto again = reopen();
    EXPECT_EQ(db->Ansichten(), nullptr); // closed: the views went with it
    TQelAnsichtLib* lib2 = QelAnsichten();
    ASSERT_NE(lib2, nullptr);
    EXPECT_EQ(names(lib2->Tree()), std::vector<std::string>({ "Oben", "  Nach Ort" }));
    TQelAnsicht* v2 = lib2->Find(key);
    ASSERT_NE(v2, nullptr);
    ASSERT_EQ(v2->Instances().size(), 1u);
    TQelFieldList* bonn2 = v2->Instances().front();
    EXPECT_EQ(v2->InstanceText(bonn2), "Ort=Bonn");
    EXPECT_EQ(v2->InstanceById(id), nullptr);
    EXPECT_NE(v2->InstanceId(bonn2), id);
    EXPECT_EQ(v2->MakeSearchCondition(bonn2, ""), "(Person.Kinder > 0) AND (Person.Ort = 'Bonn')");
    SetQelDatabase(nullptr);
}

TEST_F(FileViews, AFileWithoutTheViewTablesGetsThemWhenOpened)
{
    // As a file written before stored views existed: no view tables, no mark of the built-in part.
    sqlite3_exec(db->Handle(),
        "DROP TABLE QEL_ANSICHT; DROP TABLE QEL_ANSICHTINSTANZ; DELETE FROM QEL_INFO WHERE NAME = 'builtin'",
        nullptr, nullptr, nullptr);
    auto again = reopen();
    TQelAnsicht* v = QelAnsichten()->CreateView(
        again->FindClass("Person")->Key(), "Neu", "", {}, again->FindClass("OrtParameter")->Key());
    ASSERT_NE(v, nullptr);
    EXPECT_NE(v->FindInstanceByParams("Ort=X"), nullptr);
    SetQelDatabase(nullptr);
}

TEST(ViewConditionText, FuzzedConditionsAndInstanceTextsNeverBreakTheirRules)
{
    auto schema = TQelSchema::Load(kViewSchema, "v.qelschema");
    const TQelKlasse* cls = schema->ClassByName("OrtParameter");
    const TQelSQLDialect dialect;
    const char* const pieces[] = { ":", "Ort", "'", "\"", ",", "=", " ", "Person", ".", "::", "ä",
        "Mindestens", "x", "1", "\\", "_" };
    std::mt19937 rng(7);
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        const int n = static_cast<int>(rng() % 24);
        for (int i = 0; i < n; ++i)
            text += pieces[rng() % std::size(pieces)];
        const std::string once = QelFillViewParams(text, cls, nullptr, dialect);
        ASSERT_EQ(QelFillViewParams(once, cls, nullptr, dialect), once) << text;
        if (text.find(':') == std::string::npos) {
            ASSERT_EQ(once, text);
        }
        ASSERT_EQ(QelReplaceTablePrefix(text, "Person", "Person"), text);
        const std::string moved = QelReplaceTablePrefix(text, "Person", "P");
        ASSERT_LE(moved.size(), text.size());
        for (const auto& [name, value] : QelSplitInstanceText(text, cls))
            ASSERT_TRUE(name == "Ort" || name == "Mindestens") << text;
    }
}

} // namespace
