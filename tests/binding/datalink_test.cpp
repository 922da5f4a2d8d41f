#include "binding_fixture.h"

TEST_F(BindingTest, NotificationsReachTheControlAndStopAfterItDies)
{
    auto* name = add<TTestEdit>(form.get(), "edName", "Name");
    auto* other = add<TTestEdit>(form.get(), "edVorname", "Vorname");
    ASSERT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), fl(), false), 2);

    fl()->FieldByName("Name")->set_AsString("Meier");
    EXPECT_NE(std::count(name->received.begin(), name->received.end(), WM_ODB_FIELDTOUCHED), 0);

    TQelField* vorname = fl()->FieldByName("Vorname");
    EXPECT_TRUE(vorname->IsConnected(&other->link));
    delete other; // unregisters on the way out
    EXPECT_EQ(vorname->ControlCount(), 0u);
    vorname->set_AsString("Anna"); // nobody left to call
}

TEST_F(BindingTest, ControlForgetsWhatGoesAway)
{
    auto* e = add<TTestEdit>(form.get(), "edOrt", "Adressen[0].Ort");
    ASSERT_EQ(e->ConnectFL(fl(), false), 1);
    fl()->VectorByName("Adressen")->Delete(1);
    EXPECT_EQ(e->link.OI(), nullptr);
    EXPECT_EQ(e->Perform(WM_OC_GETFIELD), 0);

    auto* n = add<TTestEdit>(form.get(), "edName", "Name");
    ASSERT_EQ(n->ConnectFL(fl(), false), 1);
    db->FreeObject(person);
    person = nullptr;
    EXPECT_EQ(n->link.OI(), nullptr);
    EXPECT_EQ(n->link.FieldList(), nullptr);
    EXPECT_EQ(n->link.Reconnect(), 0);
}

TEST_F(BindingTest, CommonAnswersOfEveryDataControl)
{
    auto* e = add<TTestEdit>(form.get(), "edName", "Name");
    auto* plain = add<TCustomControl>(form.get(), "pnl");
    ASSERT_EQ(e->ConnectFL(fl(), false), 1);
    EXPECT_EQ(e->Perform(WM_OC_ISDATACONTROL), 1);
    EXPECT_EQ(plain->Perform(WM_OC_ISDATACONTROL), 0);
    EXPECT_EQ(e->Perform(WM_OC_GETFIELD), QelOIToParam(fl()->FieldByName("Name")));
    EXPECT_EQ(e->Hint(), fl()->FieldByName("Name")->Description());
}
