#include "combo_fixture.h"

#include "toolkit/extctrls.h"

#include <map>
#include <random>

namespace {

// Keys of the objects of `cls` that `condition` finds.
std::vector<int> found(TQelDatabase& db, const std::string& cls, const std::string& condition)
{
    auto q = db.CreateSQLEngine()->ListEx(db.FindClass(cls)->Key(), lfNotDeleted, condition);
    std::vector<int> keys;
    if (!q->TryOpen()) {
        ADD_FAILURE() << "query failed: " << q->ErrorMessage() << "\n" << q->SQL();
        return keys;
    }
    for (; !q->Eof(); q->Next())
        keys.push_back(static_cast<int>(q->AsInteger(0)));
    return keys;
}

} // namespace

class ComboSearchTest : public ComboTest {
protected:
    // A connected combo over the string field Kuerzel, and persons holding `values` in it.
    TQelCombo* kuerzel(const std::vector<std::string>& values)
    {
        for (const std::string& v : values) {
            TQelObject* p = create("Person");
            p->FieldByName("Name")->set_AsString("P");
            p->FieldByName("Pflicht")->set_AsString("A");
            p->FieldByName("Kuerzel")->set_AsString(v);
            EXPECT_TRUE(p->Commit()) << p->ErrorMessage();
            keys[v] = p->Key().Id();
        }
        TQelCombo* c = combo("Kuerzel");
        c->ConnectFL(person->FieldList(), false);
        return c;
    }
    std::map<std::string, int> keys;
};

TEST_F(ComboSearchTest, TypedTextBecomesAPatternOrAnExactMatch)
{
    TQelCombo* c = kuerzel({});
    EXPECT_EQ(c->get_ColumnName(), "Person.Kuerzel");
    EXPECT_EQ(c->make_search_condition("mei", false), "UPPER(Person.Kuerzel) LIKE 'MEI%' ESCAPE '\\'");
    EXPECT_EQ(c->make_search_condition("  mei  ", false), "UPPER(Person.Kuerzel) LIKE 'MEI%' ESCAPE '\\'");
    EXPECT_EQ(c->make_search_condition("mei$", false), "UPPER(Person.Kuerzel) LIKE 'MEI' ESCAPE '\\'");
    EXPECT_EQ(c->make_search_condition("m*i?", false), "UPPER(Person.Kuerzel) LIKE 'M%I_' ESCAPE '\\'");
    EXPECT_EQ(
        c->make_search_condition("12", false), "Person.Kuerzel LIKE '12%' ESCAPE '\\'"); // nothing to fold
    EXPECT_EQ(c->make_search_condition("", false), "");
    c->Items().Add("Meier");
    EXPECT_EQ(c->make_search_condition("Meier", false), "Person.Kuerzel = 'Meier'");
}

TEST_F(ComboSearchTest, QuotesWildcardsAndUmlautsAreSearchedLiterally)
{
    TQelCombo* c
        = kuerzel({ "O'Brien", "O'Bxien", "a%b", "axb", "a_b", "ä_ö", "äxö", "Müller", "MÜLLER2", "x\\y" });
    EXPECT_EQ(c->make_search_condition("o'b", false), "UPPER(Person.Kuerzel) LIKE 'O''B%' ESCAPE '\\'");
    EXPECT_EQ(c->make_search_condition("a%", false), "UPPER(Person.Kuerzel) LIKE 'A\\%%' ESCAPE '\\'");

    const auto search
        = [&](const char* typed) { return found(*db, "Person", c->make_search_condition(typed, false)); };
    EXPECT_EQ(search("o'br"), std::vector<int>({ keys["O'Brien"] }));
    EXPECT_EQ(search("a%"), std::vector<int>({ keys["a%b"] }));
    EXPECT_EQ(search("a_"), std::vector<int>({ keys["a_b"] }));
    EXPECT_EQ(search("Ä_"), std::vector<int>({ keys["ä_ö"] }));
    EXPECT_EQ(search("mül"), std::vector<int>({ keys["Müller"], keys["MÜLLER2"] }));
    EXPECT_EQ(search("müller$"), std::vector<int>({ keys["Müller"] }));
    EXPECT_EQ(search("x\\"), std::vector<int>({ keys["x\\y"] }));
    EXPECT_EQ(
        search("a?b"), std::vector<int>({ keys["a%b"], keys["axb"], keys["a_b"] })); // the user's wildcard
}

// Bounded fuzz: any typed text gives a statement that runs, and (without the user's wildcards)
// finds exactly the values that start with the text, ignoring case.
TEST_F(ComboSearchTest, FuzzedTextsRunAndFindTheirPrefixes)
{
    const std::vector<std::string> alphabet
        = { "a", "b", "A", "'", "%", "_", "\\", "ä", "Ö", "ß", "\"", ";", "-", " ", "[", "]", "(", ")", "é" };
    std::vector<std::string> values;
    std::mt19937 rng(4711);
    const auto randomText = [&](int maxLen) {
        std::string s;
        const int n = std::uniform_int_distribution<int>(1, maxLen)(rng);
        for (int i = 0; i < n; ++i)
            s += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
        return s;
    };
    for (int i = 0; i < 60; ++i) {
        std::string v = Trim(randomText(8));
        if (Utf8Length(v) > 10)
            v = Utf8Substr(v, 0, 10);
        if (!v.empty() && std::find(values.begin(), values.end(), v) == values.end())
            values.push_back(v);
    }
    TQelCombo* c = kuerzel(values);
    for (int round = 0; round < 400; ++round) {
        std::string typed = randomText(4);
        if (round % 7 == 0 && !values.empty())
            typed = Utf8Substr(values[static_cast<std::size_t>(round) % values.size()], 0, 3);
        const std::string condition = c->make_search_condition(typed, false);
        const std::string t = Trim(typed);
        if (t.empty()) {
            EXPECT_EQ(condition, "");
            continue;
        }
        std::vector<int> expected;
        for (const std::string& v : values)
            if (TextStartsWithCI(v, t))
                expected.push_back(keys[v]);
        std::sort(expected.begin(), expected.end());
        std::vector<int> got = found(*db, "Person", condition);
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, expected) << "typed: " << typed << "\ncondition: " << condition;
    }
}

TEST_F(ComboSearchTest, SearchPanelConditionByKeys)
{
    TQelObject* bauer = firm("Bauer AG");
    TQelObject* becker = firm("Becker KG");
    TQelObject* berg = firm("Berg OHG");
    firm("Abele GmbH");
    TPanel panel(form.get());
    TQelCombo* c = combo("Arbeitgeber");
    EXPECT_FALSE(c->get_SearchMode());
    EXPECT_EQ(c->Perform(WM_OC_ENTERSEARCHMODE, static_cast<WPARAM>(db->FindClass("Person")->id),
                  reinterpret_cast<LPARAM>(static_cast<TControl*>(&panel))),
        1);
    ASSERT_TRUE(c->get_SearchMode());
    EXPECT_TRUE(c->EnabledLook());
    EXPECT_EQ(c->Items().Count(), 4); // the complete list, no "no object" entry
    EXPECT_EQ(c->get_ColumnName(), "Person.Arbeitgeber");
    EXPECT_EQ(c->make_search_condition("b", true),
        FormatStr(
            "Person.Arbeitgeber IN (%d,%d,%d)", bauer->Key().Id(), becker->Key().Id(), berg->Key().Id()));
    EXPECT_EQ(c->make_search_condition("BECKER kg", true),
        FormatStr("Person.Arbeitgeber = %d", becker->Key().Id()));
    EXPECT_EQ(c->make_search_condition("zz", true), "Person.Arbeitgeber = 0");

    // The text shown is the panel's condition.
    c->set_SelectedText("Berg OHG");
    EXPECT_EQ(c->get_SearchCondition(), FormatStr("Person.Arbeitgeber = %d", berg->Key().Id()));
}

TEST_F(ComboSearchTest, ConditionsAreAddedToStatements)
{
    EXPECT_EQ(TQelCombo::sql_add_condition("SELECT K FROM Firma", ""), "SELECT K FROM Firma");
    EXPECT_EQ(
        TQelCombo::sql_add_condition("SELECT K FROM Firma", "a = 1"), "SELECT K FROM Firma WHERE (a = 1)");
    EXPECT_EQ(TQelCombo::sql_add_condition("select K from Firma where b = 2", "a = 1"),
        "select K from Firma where b = 2 AND (a = 1)");
}

TEST_F(ComboSearchTest, RestrictionViewsAndTypedTextNarrowTheList)
{
    TQelObject* bonn = firm("Bonner Bau");
    bonn->FieldByName("Ort")->set_AsString("Bonn");
    ASSERT_TRUE(bonn->Commit());
    TQelObject* koeln = firm("O'Kölner");
    koeln->FieldByName("Ort")->set_AsString("Köln");
    ASSERT_TRUE(koeln->Commit());
    TQelCombo* c = combo("Arbeitgeber");
    ASSERT_NE(QelAnsichten()->CreateView(bonn->ClassKey(), "InBonn", "Firma.Ort = 'Bonn'"), nullptr);
    c->set_SQLRestriction("#[InBonn]");
    c->ConnectFL(person->FieldList(), false);
    EXPECT_EQ(items(c), std::vector<std::string>({ "Bonner Bau" }));

    // "_TEXT_" takes the typed text: inside quotes with its quotes doubled.
    c->set_ShowCompleteList(false);
    c->set_SQLRestriction("Firma.Name LIKE '_TEXT_%'");
    c->SetText("O'K");
    c->Reload(-1, "");
    EXPECT_EQ(items(c), std::vector<std::string>({ "O'Kölner" }));
    c->SetText("x' OR 1=1 OR Firma.Name LIKE '");
    c->Reload(-1, "");
    EXPECT_EQ(items(c), std::vector<std::string>());

    // A view below another one carries its parent's condition too.
    TQelAnsichtLib* views = QelAnsichten();
    ASSERT_NE(views->CreateView(bonn->ClassKey(), "Mit O", "Firma.Name LIKE 'O%'"), nullptr);
    ASSERT_NE(views->CreateView(bonn->ClassKey(), "Bonner mit O", "Firma.Name LIKE 'O%'",
                  views->FindByName("InBonn")->Key()),
        nullptr);
    c->SetText("");
    c->set_SQLRestriction("#[Firma:Mit O]");
    c->Reload(-1, "");
    EXPECT_EQ(items(c), std::vector<std::string>({ "O'Kölner" }));
    c->set_SQLRestriction("#[Bonner mit O]");
    c->Reload(-1, "");
    EXPECT_EQ(items(c), std::vector<std::string>());

    // ShowColumn gives the item text; RestrictedClassType narrows to a derived class.
    TQelObject* lieferant = firm("Lieferant Eins", "Lieferant");
    c->set_SQLRestriction("");
    c->set_ShowColumn("Ort");
    c->set_RestrictedClassType("Lieferant");
    c->set_ShowCompleteList(true);
    c->Reload(-1, "");
    EXPECT_EQ(c->ref_ct(), lieferant->ClassKey());
    ASSERT_EQ(c->Items().Count(), 0); // its Ort is empty: no text, no item
    lieferant->FieldByName("Ort")->set_AsString("Ulm");
    ASSERT_TRUE(lieferant->Commit());
    c->Reload(-1, "");
    EXPECT_EQ(items(c), std::vector<std::string>({ "Ulm" }));
}

TEST_F(ComboSearchTest, SetItemsRestrictsToKeysWithinTheDialectsLimit)
{
    TQelObject* a = firm("A");
    TQelObject* b = firm("B");
    firm("C");
    TQelCombo* c = combo("Arbeitgeber");
    c->set_ShowCompleteList(false);
    c->ConnectFL(person->FieldList(), false);
    TStringList list;
    list.Add(a->Key().ToString());
    list.Add(b->Key().ToString());
    c->SetItems(list);
    EXPECT_EQ(items(c), std::vector<std::string>({ "A", "B" }));
    list.Add("1) OR (1=1"); // no key: the list is not taken
    c->SetItems(list);
    EXPECT_EQ(c->Items().Count(), 0);
    c->SetItems(TStringList());
    EXPECT_EQ(c->Items().Count(), 0);
    TStringList many;
    for (int i = 1; i <= 501; ++i)
        many.Add(std::to_string(i));
    c->SetItems(many);
    EXPECT_EQ(c->Items().Count(), 0);
}

// Without a listed class (a search box over a text field) the list of keys is not a restriction:
// the handler sees the entries last to first and the list keeps their order.
TEST_F(ComboSearchTest, SetItemsWithoutClassOffersTheEntriesLastToFirst)
{
    TQelCombo* c = kuerzel({});
    c->set_ShowCompleteList(false);
    std::vector<std::string> offered;
    c->OnAddItem = [&](TObject*, TQelObjectKey, std::string& text, bool& accept) {
        offered.push_back(text);
        accept = text != "b";
        if (text == "c")
            text = "cä";
    };
    TStringList list;
    for (const char* t : { "a", "b", "c" })
        list.Add(t);
    c->SetItems(list);
    EXPECT_EQ(offered, std::vector<std::string>({ "c", "b", "a" }));
    EXPECT_EQ(items(c), std::vector<std::string>({ "a", "cä" }));
}

// An application's statement keeps its restriction in a search box over a field that refers to
// no class.
TEST_F(ComboSearchTest, StatementIsRestrictedWithoutAListedClass)
{
    TQelObject* bonn = firm("Bonner Bau");
    bonn->FieldByName("Ort")->set_AsString("Bonn");
    ASSERT_TRUE(bonn->Commit());
    firm("Kölner Bau");
    TPanel panel(form.get());
    TQelCombo* c = combo("Kuerzel");
    c->set_SQLSelect("SELECT Firma.K, Firma.Name FROM Firma");
    c->set_SQLRestriction("Firma.Ort = 'Bonn'");
    ASSERT_EQ(c->Perform(WM_OC_ENTERSEARCHMODE, static_cast<WPARAM>(db->FindClass("Person")->id),
                  reinterpret_cast<LPARAM>(static_cast<TControl*>(&panel))),
        1);
    EXPECT_FALSE(c->ref_ct().Valid());
    EXPECT_EQ(items(c), std::vector<std::string>({ "Bonner Bau" }));
}

TEST_F(ComboSearchTest, FailedQueryLeavesTheListEmptyAndIsLogged)
{
    firm("A");
    TQelCombo* c = combo("Arbeitgeber");
    c->set_SQLSelect("SELECT K, Name FROM Nirgends");
    c->ConnectFL(person->FieldList(), false);
    EXPECT_EQ(c->Items().Count(), 0);
    EXPECT_FALSE(db->LogManager()->EntriesOf(QEL_LOG_ERROR).empty());
    c->set_SQLSelect("SELECT Firma.K, Firma.Name, 'x' FROM Firma");
    c->Reload(-1, "");
    EXPECT_EQ(items(c), std::vector<std::string>({ "A;x" }));
}
