#include "panel_fixture.h"
#include "toolkit/tk_test_util.h"

#include "controls/QelCheckBox.h"
#include "pickers/QelCombo.h"

#include <algorithm>
#include <random>

namespace {

TQelVector* bankVector(TQelObject* p)
{
    return p->FieldList()->FindTypedOI<TQelVector>("Bank");
}

} // namespace

TEST_F(PanelTest, ChildrenOfABankPanelReadAndWriteTheSubObject)
{
    TQelPanel* bank = panel(form.get(), "Bank", "pnlBank");
    TQelEdit* iban = edit(bank, "IBAN", "edIBAN");
    TQelEdit* name = edit(bank, "Bank", "edBank");
    name->set_ReadOnly(true);

    const std::size_t before = warnings();
    EXPECT_EQ(connect(), 2); // the panel and the edit that may create the sub-object
    EXPECT_EQ(warnings(), before) << "the path is sound, the sub-object only missing";
    EXPECT_EQ(bankVector(person)->Count(), 0) << "showing creates nothing";
    EXPECT_TRUE(bank->Enabled());
    EXPECT_TRUE(iban->Enabled());
    EXPECT_EQ(iban->Text(), "");

    type(name, "Sparkasse"); // read-only: no sub-object for it
    EXPECT_EQ(bankVector(person)->Count(), 0);

    type(iban, "DE12");
    ASSERT_EQ(bankVector(person)->Count(), 1) << "the first write creates the sub-object";
    EXPECT_EQ(person->FieldList()->FindField("Bank.IBAN")->AsString(), "DE12");
    // The panel and its read-only edit waited for it: both bind at once, without a reconnect.
    EXPECT_EQ(bank->ConnectedFieldList(), bankVector(person)->FieldList(1));
    EXPECT_EQ(name->Field(), person->FieldList()->FindField("Bank.Bank"));
    EXPECT_TRUE(name->Enabled());
    person->FieldList()->FindField("Bank.Bank")->set_AsString("Sparkasse");
    EXPECT_EQ(name->Text(), "Sparkasse");

    // Shown again, the panel binds the existing sub-object and its children read it.
    person->FieldList()->FindField("Bank.Bank")->set_AsString("Volksbank");
    connect();
    EXPECT_EQ(bank->ConnectedFieldList(), bankVector(person)->FieldList(1));
    EXPECT_EQ(iban->Text(), "DE12");
    EXPECT_EQ(name->Text(), "Volksbank");
    type(iban, "34");
    EXPECT_EQ(person->FieldList()->FindField("Bank.IBAN")->AsString(), "DE1234");
    EXPECT_EQ(bankVector(person)->Count(), 1);
}

TEST_F(PanelTest, APathThatNamesNothingDisablesThePanelAndLogsOnce)
{
    TQelPanel* bank = panel(form.get(), "Bnak", "pnlBank");
    TQelEdit* iban = edit(bank, "IBAN", "edIBAN");
    const std::size_t before = warnings();
    EXPECT_NO_THROW(connect());
    EXPECT_NO_THROW(connect());
    EXPECT_FALSE(bank->Connected());
    EXPECT_FALSE(bank->Enabled());
    EXPECT_FALSE(iban->Enabled());
    EXPECT_EQ(warnings(), before + 1);
    EXPECT_EQ(bankVector(person)->Count(), 0);
}

TEST_F(PanelTest, NestedPanelsThreeDeepResolveRelativePaths)
{
    TQelPanel* outer = panel(form.get(), "Bank", "pnlBank");
    TQelPanel* middle = panel(outer, "Filiale", "pnlFiliale");
    TQelPanel* inner = panel(middle, "Kontakt", "pnlKontakt");
    TQelEdit* phone = edit(inner, "Telefon", "edTelefon");
    EXPECT_EQ(TQelCommonMethods::FieldPath(phone, true), "Bank.Filiale.Kontakt.Telefon");

    // Nothing exists yet: the first keystroke creates the whole chain.
    EXPECT_EQ(connect(), 4);
    EXPECT_EQ(bankVector(person)->Count(), 0);
    type(phone, "0228");
    TQelField* stored = person->FieldList()->FindField("Bank.Filiale.Kontakt.Telefon");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->AsString(), "0228");

    // Existing: each panel connects the level below its parent's.
    connect();
    EXPECT_EQ(inner->ConnectedFieldList(), stored->FieldList());
    EXPECT_EQ(middle->ConnectedFieldList(), person->FieldList()->FindFieldList("Bank.Filiale"));
    EXPECT_EQ(phone->Text(), "0228");
}

TEST_F(PanelTest, AnElementPanelFollowsInsertsAndDeletesBeforeIt)
{
    address("Aachen");
    address("Bonn");
    address("Celle");
    TQelPanel* second = panel(form.get(), "Adressen[1]", "pnlZweite");
    TQelEdit* ort = edit(second, "Ort", "edOrt");
    connect();
    EXPECT_EQ(ort->Text(), "Bonn");

    addresses()->Insert(1);
    addresses()->FieldList(1)->FindField("Ort")->set_AsString("Neu");
    EXPECT_EQ(ort->Text(), "Aachen") << "the panel shows what its path names now";

    addresses()->Delete(2); // the element it shows goes away
    EXPECT_EQ(ort->Text(), "Bonn");
    type(ort, "!");
    EXPECT_EQ(addresses()->FieldList(2)->FindField("Ort")->AsString(), "Bonn!");

    const std::size_t before = warnings();
    addresses()->Delete(1);
    addresses()->Delete(1);
    EXPECT_FALSE(second->Connected());
    EXPECT_FALSE(ort->Enabled());
    EXPECT_EQ(ort->Text(), "");
    EXPECT_EQ(warnings(), before) << "a missing element is no bad path";

    // It shows the element again once there is one.
    address("Dessau");
    EXPECT_EQ(ort->Text(), "Dessau");
}

TEST_F(PanelTest, AVectorPanelChoosesAndAllocatesItsElement)
{
    address("Aachen");
    address("Bonn");
    TQelPanel* p = panel(form.get(), "Adressen", "pnlAdresse");
    TQelEdit* ort = edit(p, "Ort", "edOrt");
    p->set_VectorIndex(3);
    p->Perform(WM_OC_SETREADONLY, 1, 0);
    p->set_PanelOptions(TQelPanelOptions { poAllocateIfVector, poAutoVisibility });
    connect();
    EXPECT_EQ(addresses()->Count(), 2) << "read-only: nothing is added";
    EXPECT_FALSE(p->Connected());
    EXPECT_FALSE(p->Visible());

    p->Perform(WM_OC_SETREADONLY, 0, 0);
    connect();
    ASSERT_EQ(addresses()->Count(), 3);
    EXPECT_EQ(p->ConnectedFieldList(), addresses()->FieldList(3));
    EXPECT_TRUE(p->Visible());

    p->Perform(WM_OC_SETVECTORINDEX, 2, 0);
    EXPECT_EQ(ort->Text(), "Bonn");

    // Standard element of a validity vector: the constraint is not added twice.
    p->set_PanelOptions(TQelPanelOptions { poStandardOnly });
    p->set_VectorConstraints("s");
    addresses()->FieldList(1)->FindField("Standard")->set_AsBool(true);
    connect();
    connect();
    EXPECT_EQ(p->get_VectorConstraints(), "s");
    EXPECT_EQ(ort->Text(), "Aachen");
}

TEST_F(PanelTest, AnotherClassLeavesThePanelUnconnected)
{
    address("Aachen");
    TQelPanel* p = panel(form.get(), "Adressen", "pnlAdresse");
    TQelEdit* ort = edit(p, "Ort", "edOrt");
    p->set_CheckClassType("Filiale");
    connect();
    EXPECT_FALSE(p->Connected());
    EXPECT_FALSE(ort->Enabled());
    p->set_CheckClassType("Adresse");
    connect();
    EXPECT_EQ(ort->Text(), "Aachen");
}

TEST_F(PanelTest, AnEmptyPathPassesTheFieldListOn)
{
    person->FieldList()->FindField("Name")->set_AsString("Meier");
    TQelPanel* p = panel(form.get(), "", "pnlAlles");
    TQelEdit* name = edit(p, "Name", "edName");
    EXPECT_EQ(connect(), 2);
    EXPECT_EQ(name->Text(), "Meier");
}

class PanelTimerTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        db->TimerTasks()->set_Clock(&clock);
        db->TimerTasks()->set_Dispatcher(&clock);
    }
    void TearDown() override { PanelTest::TearDown(); }
    TQelManualClock clock;
};

TEST_F(PanelTimerTest, ABurstOfReconnectsRunsOnce)
{
    TQelPanel* p = panel(form.get(), "", "pnlAlles");
    edit(p, "Name", "edName");
    connect();
    int connects = 0;
    p->AfterConnect = TNotifyEvent([&](TObject*) { ++connects; });
    for (int i = 0; i < 5; ++i) {
        p->Reconnect(100);
        clock.Advance(20);
    }
    EXPECT_EQ(db->TimerTasks()->Count(), 1);
    EXPECT_EQ(connects, 0);
    clock.Advance(79);
    EXPECT_EQ(connects, 0);
    clock.Advance(1);
    EXPECT_EQ(connects, 1);
    clock.Advance(1000);
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(db->TimerTasks()->Count(), 0);

    p->Reconnect(0);
    EXPECT_EQ(connects, 2) << "no delay: at once";
}

TEST_F(PanelTimerTest, DestroyingTheFormStopsAPendingReconnect)
{
    TQelPanel* p = panel(form.get(), "Bank", "pnlBank");
    edit(p, "IBAN", "edIBAN");
    connect();
    p->Reconnect(50);
    EXPECT_EQ(db->TimerTasks()->Count(), 1);
    form.reset();
    EXPECT_EQ(db->TimerTasks()->Count(), 0);
    clock.Advance(100);
}

class PanelSearchTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        person->FieldList()->FindField("Name")->set_AsString("O'Brien%_x");
        person->FieldList()->FindField("Anrede")->set_AsString("Herr");
        person->FieldList()->FindField("Aktiv")->set_AsBool(true);
        person->Commit();
        addPerson("O'Brienx", "Frau", true);
        addPerson("Obrien", "Frau", false);
        addPerson("Müller", "Herr", false);
        addPerson("Muster", "Frau", true);
        search = create("Suche");
        p = panel(form.get(), "Treffer", "pnlSuche");
        p->set_PanelOptions(TQelPanelOptions { poSearchObject });
        name = edit(p, "Name", "edName");
        active = add<TQelCheckBox>(p, "cbAktiv");
        active->set_FieldPath("Aktiv");
        salutation = add<TQelCombo>(p, "cbAnrede");
        salutation->set_FieldPath("Anrede");
        salutation->set_ShowCompleteList(false);
        TQelCommonMethods::ConnectSubControls(form.get(), search->FieldList(), false);
    }
    void addPerson(const char* n, const char* anrede, bool aktiv)
    {
        TQelObject* o = create("Person");
        o->FieldList()->FindField("Name")->set_AsString(n);
        o->FieldList()->FindField("Anrede")->set_AsString(anrede);
        o->FieldList()->FindField("Aktiv")->set_AsBool(aktiv);
        o->Commit();
    }
    // The names of the persons the panel's condition finds.
    std::vector<std::string> found()
    {
        TQelSQLEngine engine(db.get());
        auto q = engine.ListEx(db->FindClass("Person")->Key(), 0, p->get_SearchCondition(), "Name", "Name");
        q->Open();
        std::vector<std::string> names;
        for (; !q->Eof(); q->Next())
            names.push_back(q->AsString(1));
        return names;
    }

    TQelObject* search = nullptr;
    TQelPanel* p = nullptr;
    TQelEdit* name = nullptr;
    TQelCheckBox* active = nullptr;
    TQelCombo* salutation = nullptr;
};

TEST_F(PanelSearchTest, SearchFieldsAreEnabledWithoutAnObject)
{
    EXPECT_TRUE(p->get_SearchMode());
    EXPECT_FALSE(p->Connected());
    EXPECT_TRUE(p->Enabled());
    EXPECT_TRUE(name->Enabled());
    EXPECT_TRUE(active->Enabled());
    EXPECT_TRUE(salutation->get_SearchMode());
    EXPECT_EQ(p->get_SearchCondition(), "");
}

TEST_F(PanelSearchTest, TheConditionJoinsEditsCombosAndCheckBoxes)
{
    type(name, "o'brien");
    EXPECT_EQ(found(), (std::vector<std::string> { "O'Brien%_x", "O'Brienx" }));

    QTest::mouseClick(active->Handle(), Qt::LeftButton);
    EXPECT_TRUE(active->Checked());
    EXPECT_EQ(found(), (std::vector<std::string> { "O'Brien%_x", "O'Brienx" }));

    salutation->set_SelectedText("Frau");
    EXPECT_EQ(found(), (std::vector<std::string> { "O'Brienx" }));
    EXPECT_EQ(search->FieldList()->FindField("Treffer")->AsString(), "") << "searching writes nothing";
}

TEST_F(PanelSearchTest, HostileTextsStayLiteral)
{
    type(name, "O'Brien%_");
    EXPECT_EQ(found(), (std::vector<std::string> { "O'Brien%_x" })) << "% and _ are no wildcards";
    name->SetText("x' OR '1'='1");
    EXPECT_TRUE(found().empty());
    name->SetText("M*ller"); // the user's own wildcard
    EXPECT_EQ(found(), (std::vector<std::string> { "Müller" }));
}

TEST_F(PanelSearchTest, AUniqueMatchBecomesTheReference)
{
    salutation->set_SelectedText("Herr");
    name->SetText("Mü");
    EXPECT_TRUE(p->TryFindUnique());
    TQelRefField* ref = p->RefField();
    ASSERT_NE(ref->get_AsObject(), nullptr);
    EXPECT_EQ(ref->get_AsObject()->Name(), "Müller");

    ref->set_AsKey(TQelObjectKey());
    name->SetText("");
    salutation->set_SelectedText("Frau");
    EXPECT_FALSE(p->TryFindUnique()) << "three women";
    EXPECT_TRUE(p->TryFindBest());
    EXPECT_TRUE(ref->AsKey().Valid());
}

// Bounded fuzz: whatever is typed into a number search field gives a condition that runs, and it
// finds exactly the persons with that number when the text is one, none for any other text and
// everyone for a blank one.
TEST_F(PanelSearchTest, FuzzedNumberTextsRunAndFindTheirValue)
{
    const int kinder[] = { 0, 1, 2, 12, -1 };
    int k = 0;
    const TQelKlasse* cls = db->FindClass("Person");
    {
        auto q = db->CreateSQLEngine()->ListEx(cls->Key(), 0, "");
        std::vector<TQelObjectKey> keys;
        for (q->Open(); !q->Eof(); q->Next())
            keys.emplace_back(static_cast<int>(q->AsInteger(0)));
        for (TQelObjectKey key : keys) {
            TQelObject* o = db->GetObjectA(key);
            o->FieldList()->FindField("Kinder")->set_AsString(std::to_string(kinder[k++ % 5]));
            o->Commit();
        }
    }
    name->set_FieldPath("Kinder");
    TQelCommonMethods::ConnectSubControls(form.get(), search->FieldList(), false);
    ASSERT_TRUE(name->Enabled());

    const std::vector<std::string> alphabet = { "1", "2", "0", "-", "'", "x", " ", "%", "_", ";", "ä" };
    std::mt19937 rng(815);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int n = static_cast<int>(rng() % 5) + 1;
        for (int i = 0; i < n; ++i)
            text += alphabet[rng() % alphabet.size()];
        name->SetText(text);
        std::vector<std::string> names;
        ASSERT_NO_THROW(names = found()) << text;
        const std::string t = Trim(text);
        int expected = t.empty() ? k : 0; // nothing typed asks nothing
        try {
            std::size_t used = 0;
            const long long v = std::stoll(t, &used);
            if (used == t.size())
                for (int i = 0; i < k; ++i)
                    expected += kinder[i % 5] == v ? 1 : 0;
        } catch (const std::exception&) {
        }
        EXPECT_EQ(static_cast<int>(names.size()), expected) << "\"" << text << "\"";
    }
}

TEST_F(PanelSearchTest, ARefreshNarrowsTheCombosOrTakesTheOneMatch)
{
    name->SetText("o");
    EXPECT_EQ(p->Search(0, salutation), 3);
    std::vector<std::string> items;
    for (int i = 0; i < salutation->Items().Count(); ++i)
        items.push_back(salutation->Items()[i]);
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::string> { "Frau", "Herr" }));

    name->SetText("Mü");
    EXPECT_EQ(p->Search(0, nullptr), 1);
    ASSERT_TRUE(p->Connected()) << "one match: the panel shows it";
    EXPECT_EQ(p->ConnectedFieldList()->GetPropA("Name", ""), "Müller");
    EXPECT_EQ(name->Text(), "Müller");
    EXPECT_TRUE(p->get_SearchMode());
}

TEST_F(PanelSearchTest, MoreThanAThousandMatchesChangeNothing)
{
    for (int i = 0; i < 1001; ++i)
        addPerson("Zahl", "Divers", false);
    salutation->Items().Add("Vorher");
    name->SetText("Zahl");
    EXPECT_EQ(p->Search(0, salutation), 1001);
    ASSERT_EQ(salutation->Items().Count(), 1);
    EXPECT_EQ(salutation->Items()[0], "Vorher");
    salutation->set_SelectedText("Divers");
    EXPECT_FALSE(p->IsAllEmpty());
    EXPECT_FALSE(p->TryFindBest()) << "too many to pick the best";
    EXPECT_FALSE(p->RefField()->AsKey().Valid());
}

TEST_F(PanelTest, JumpToLooksAmongThePanelsChildren)
{
    TQelPanel* bank = panel(form.get(), "Bank", "pnlBank");
    TQelEdit* iban = edit(bank, "IBAN", "edIBAN");
    TQelField* field = person->FieldList()->FindField("Bank.IBAN", true);
    connect();
    EXPECT_EQ(TQelCommonMethods::JumpTo(field, form.get(), false), iban);
    EXPECT_EQ(bank->Perform(WM_OC_GETFIELD), QelOIToParam(field->FieldList()));
}

TEST_F(PanelTest, AClickIntoTheSecondEditOfAPanelTypesThere)
{
    TQelPanel* bank = panel(form.get(), "Bank", "pnlBank");
    TQelEdit* name = edit(bank, "Bank", "edBank");
    TQelEdit* iban = edit(bank, "IBAN", "edIBAN");
    TQelEdit* outside = edit(form.get(), "Name", "edName");
    outside->SetTop(320);
    connect();
    ASSERT_TRUE(ShowActive(*form));
    outside->SetFocus(); // the focus comes from outside the panel
    QApplication::processEvents();
    QTest::mouseClick(iban->Handle(), Qt::LeftButton, {}, QPoint(5, 5));
    QApplication::processEvents();
    EXPECT_TRUE(iban->Focused());
    QTest::keyClicks(iban->Handle(), "DE12");
    EXPECT_EQ(person->FieldList()->FindField("Bank.IBAN")->AsString(), "DE12");
    EXPECT_EQ(person->FieldList()->FindField("Bank.Bank")->AsString(), "");
    EXPECT_EQ(name->Text(), "");
}
