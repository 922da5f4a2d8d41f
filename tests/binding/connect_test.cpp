#include "binding_fixture.h"

TEST_F(BindingTest, ConnectCountsDataControlsAndContainers)
{
    auto* plain = add<TCustomControl>(form.get(), "pnlPlain");
    auto* e1 = add<TTestEdit>(plain, "edVorname", "Vorname");
    add<TTestEdit>(plain, "edName", "Name");
    add<TTestEdit>(plain, "edKinder", "Kinder");
    auto* konto = add<TTestPanel>(form.get(), "pnlKonto", "Konto");
    auto* bank = add<TTestEdit>(konto, "edBank", "Bankname");
    add<TTestEdit>(konto, "edIBAN", "IBAN");
    add<TLabel>(form.get(), "lblNoData");

    // three edits in a plain panel count 3; a data panel counts 1 plus its two children
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), fl(), false), 3 + 3);
    EXPECT_TRUE(e1->Enabled());
    ASSERT_NE(bank->link.Field(), nullptr);
    EXPECT_EQ(bank->link.Field()->Name(), "Bankname");
    EXPECT_EQ(bank->link.Field()->FieldList(), person->FieldList()->FindFieldList("Konto"));

    EXPECT_EQ(TQelCommonMethods::DisconnectSubControls(form.get(), false), 0);
    EXPECT_FALSE(e1->Enabled());
    EXPECT_EQ(e1->link.OI(), nullptr);
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(nullptr, fl(), false), 0);
}

TEST_F(BindingTest, EmptyPathStaysUnconnectedAndDisabled)
{
    auto* e = add<TTestEdit>(form.get(), "edNothing");
    auto* bad = add<TTestEdit>(form.get(), "edBad", "GibtEsNicht");
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), fl(), false), 0);
    EXPECT_FALSE(e->Enabled());
    EXPECT_FALSE(bad->Enabled());
    EXPECT_FALSE(bad->link.Connected());
}

TEST_F(BindingTest, OnlyIfUnconnectedKeepsTheOldBinding)
{
    auto* e = add<TTestEdit>(form.get(), "edName", "Name");
    person->FieldByName("Name")->set_AsString("Erste");
    ASSERT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), fl(), false), 1);

    TQelObject* other = db->CreateObject(person->ClassKey());
    other->FieldByName("Name")->set_AsString("Zweite");
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), other->FieldList(), true), 0);
    EXPECT_EQ(e->link.Field(), person->FieldByName("Name"));
    EXPECT_EQ(e->Text(), "Erste");
    // so a "disconnect only the unconnected" leaves connected controls connected
    EXPECT_EQ(TQelCommonMethods::DisconnectSubControls(form.get(), true), 0);
    EXPECT_TRUE(e->link.Connected());

    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), other->FieldList(), false), 1);
    EXPECT_EQ(e->Text(), "Zweite");
    EXPECT_FALSE(person->FieldByName("Name")->IsConnected(&e->link));
}

TEST_F(BindingTest, ReadOnlyOrNoAllowCreateNeverCreatesElements)
{
    TQelVector* addresses = fl()->VectorByName("Adressen");
    auto* ro = add<TTestEdit>(form.get(), "edRO", "Adressen[0].Ort");
    ro->link.SetReadOnly(true);
    auto* noCreate = add<TTestEdit>(form.get(), "edNoCreate", "Adressen[0].Ort");
    noCreate->link.SetAllowCreate(false);

    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), fl(), false), 0);
    EXPECT_EQ(addresses->Count(), 0);

    auto* writer = add<TTestEdit>(form.get(), "edWriter", "Adressen[0].Ort");
    EXPECT_EQ(writer->ConnectFL(fl(), false), 1);
    EXPECT_EQ(addresses->Count(), 1);
    // now the element exists, so the read-only edit finds it without creating anything
    EXPECT_EQ(ro->ConnectFL(fl(), false), 1);
    EXPECT_EQ(addresses->Count(), 1);
}

TEST_F(BindingTest, PropertyConnectionUsesTheMarker)
{
    auto* e = add<TTestEdit>(form.get(), "edProp");
    e->link.SetFieldProp("Farbe");
    fl()->SetPropA("Farbe", "blau");
    EXPECT_EQ(e->ConnectFL(fl(), false), 1);
    EXPECT_TRUE(e->link.PropConnection());
    EXPECT_EQ(e->get_FieldPath(), "@PropConn!");
    EXPECT_EQ(e->Text(), "blau");
    EXPECT_EQ(e->Hint(), "");
    e->link.Disconnect();
    EXPECT_EQ(e->get_FieldPath(), "");
    EXPECT_FALSE(e->link.Connected());
}

TEST_F(BindingTest, VectorBoundEditShowsOneFieldOfAllElements)
{
    TQelVector* addresses = fl()->VectorByName("Adressen");
    addresses->Add()->FieldList()->FieldByName("Ort")->set_AsString("Köln");
    addresses->Add()->FieldList()->FieldByName("Ort")->set_AsString("Bonn");
    auto* e = add<TTestEdit>(form.get(), "edOrte", "Adressen");
    e->link.SetFieldProp("Ort");
    EXPECT_EQ(e->ConnectFL(fl(), false), 1);
    EXPECT_EQ(e->link.Vector(), addresses);
    EXPECT_EQ(e->Text(), "Köln,Bonn");
    EXPECT_EQ(
        e->Perform(WM_OC_LOCATE, 1, QelOIToParam(addresses->Item(2)->FieldList()->FieldByName("Ort"))), 1);
    EXPECT_EQ(e->Perform(WM_OC_LOCATE, 1, QelOIToParam(addresses)), 2);
    EXPECT_EQ(e->Perform(WM_OC_LOCATE, 1, QelOIToParam(fl()->FieldByName("Name"))), 0);
}

TEST_F(BindingTest, EmbeddedFormConnectsItsOwnControlsOrIsDescendedInto)
{
    class TAnsweringForm : public TForm {
    public:
        using TForm::TForm;
        int answer = 0;
        TQelFieldList* got = nullptr;
        WPARAM flag = 99;

    protected:
        void WndProc(TMessage& m) override
        {
            if (m.Msg == WM_OC_CONNECTFORM) {
                got = reinterpret_cast<TQelFieldList*>(m.LParam);
                flag = m.WParam;
                m.Result = answer;
                return;
            }
            TForm::WndProc(m);
        }
    };
    auto* inner = new TAnsweringForm(form.get());
    static_cast<TControl*>(inner)->SetParent(form.get());
    add<TTestEdit>(inner, "edInner", "Name");

    inner->answer = 7;
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), fl(), true), 7);
    EXPECT_EQ(inner->got, fl());
    EXPECT_EQ(inner->flag, 1u);

    inner->answer = 0; // not handled: the walk connects the form's controls itself
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), fl(), false), 1);
}
