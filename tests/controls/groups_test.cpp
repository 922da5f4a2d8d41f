#include "groups_fixture.h"

#include "controls/QelCheckBox.h"
#include "controls/qelcheckgroup.h"
#include "controls/qelchecklist.h"
#include "controls/qelradiogroup.h"

#include <QListWidget>

namespace {

QListWidget* listOf(TQelCheckList* l)
{
    return static_cast<QListWidget*>(l->Handle());
}

// Checks item `row` of a check list with the space key, as a user does.
void spaceOn(TQelCheckList* l, int row)
{
    listOf(l)->setCurrentRow(row);
    QTest::keyClick(listOf(l), Qt::Key_Space);
}

} // namespace

TEST_F(GroupsTest, CheckBoxWritesItsFieldOnClickAndFollowsOutsideChanges)
{
    auto* box = add<TQelCheckBox>("cbAktiv", "Aktiv");
    field("Zahl")->set_AsInteger(7);
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    EXPECT_TRUE(field("Aktiv")->Null());
    EXPECT_FALSE(box->Checked()); // null shows unchecked

    QTest::mouseClick(box->Handle(), Qt::LeftButton, {}, QPoint(8, box->Height() / 2));
    EXPECT_TRUE(box->Checked());
    EXPECT_FALSE(field("Aktiv")->Null());
    EXPECT_TRUE(field("Aktiv")->AsBool());
    QTest::mouseClick(box->Handle(), Qt::LeftButton, {}, QPoint(8, box->Height() / 2));
    EXPECT_FALSE(field("Aktiv")->AsBool());
    EXPECT_FALSE(field("Aktiv")->Null());
    EXPECT_EQ(field("Zahl")->AsInteger(), 7);

    field("Aktiv")->set_AsBool(true);
    EXPECT_TRUE(box->Checked());
}

TEST_F(GroupsTest, CheckBoxTakesOnlyBooleanFieldsAndProperties)
{
    auto* wrong = add<TQelCheckBox>("cbZahl", "Zahl");
    auto* prop = add<TQelCheckBox>("cbProp", "");
    prop->set_FieldProp("Merker");
    EXPECT_EQ(connect(), 1);
    EXPECT_FALSE(wrong->Enabled());
    EXPECT_TRUE(prop->PropConnection());
    ASSERT_TRUE(ShowActive(*form));
    focus(prop);
    QTest::keyClick(prop->Handle(), Qt::Key_Space);
    EXPECT_EQ(person->FieldList()->GetPropA("Merker", ""), "1");
    QTest::keyClick(prop->Handle(), Qt::Key_Space);
    EXPECT_EQ(person->FieldList()->GetPropA("Merker", "-"), "");
}

TEST_F(GroupsTest, CheckBoxWithoutDeselectKeepsItsCheckAndReadOnlyIgnoresClicks)
{
    auto* box = add<TQelCheckBox>("cbAktiv", "Aktiv");
    box->set_DeselectAllowed(false);
    int blocked = 0;
    box->OnDeselectBlocked = TNotifyEvent([&](TObject*) { ++blocked; });
    field("Aktiv")->set_AsBool(true);
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    focus(box);
    QTest::keyClick(box->Handle(), Qt::Key_Space);
    QTest::mouseClick(box->Handle(), Qt::LeftButton, {}, QPoint(8, box->Height() / 2));
    EXPECT_TRUE(box->Checked());
    EXPECT_TRUE(field("Aktiv")->AsBool());
    EXPECT_EQ(blocked, 2);

    box->set_DeselectAllowed(true);
    box->Perform(WM_OC_SETREADONLY, 1, 0);
    QTest::keyClick(box->Handle(), Qt::Key_Space);
    EXPECT_TRUE(field("Aktiv")->AsBool());
}

TEST_F(GroupsTest, RadioGroupOverABooleanHasThreeStates)
{
    auto* rg = add<TQelRadioGroup>("rgAktiv", "Aktiv", 100);
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    ASSERT_EQ(rg->Items().Count(), 3);
    EXPECT_EQ(rg->ItemIndex(), 0); // null

    clickItem(rg, 1);
    EXPECT_TRUE(field("Aktiv")->AsBool());
    clickItem(rg, 2);
    EXPECT_FALSE(field("Aktiv")->Null());
    EXPECT_FALSE(field("Aktiv")->AsBool());
    clickItem(rg, 0);
    EXPECT_TRUE(field("Aktiv")->Null());

    // Another control changes the field: the group shows it.
    auto* box = add<TQelCheckBox>("cbAktiv", "Aktiv");
    box->ConnectFL(person->FieldList(), false);
    QTest::mouseClick(box->Handle(), Qt::LeftButton, {}, QPoint(8, box->Height() / 2));
    EXPECT_EQ(rg->ItemIndex(), 1);
    EXPECT_TRUE(itemChecked(rg, 1));
    EXPECT_FALSE(itemChecked(rg, 0));
}

TEST_F(GroupsTest, RadioGroupWithoutNullEntryAndWithItemMapping)
{
    auto* rg = add<TQelRadioGroup>("rgAnrede", "Anrede", 100);
    rg->set_ExcludeNullValue(true);
    TStringList mapping;
    mapping.Add("Herr=Sehr geehrter Herr");
    mapping.Add("Liebe Frau");
    rg->set_ItemMapping(&mapping);
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    ASSERT_EQ(rg->Items().Count(), 3);
    EXPECT_EQ(rg->Items().Get(0), "Sehr geehrter Herr");
    EXPECT_EQ(rg->Items().Get(1), "Liebe Frau");
    EXPECT_EQ(rg->Items().Get(2), "Divers");
    EXPECT_EQ(rg->ItemIndex(), -1);

    clickItem(rg, 0);
    auto* choice = static_cast<TQelChoiceField*>(field("Anrede"));
    EXPECT_EQ(choice->AsIndex(), 1);
    EXPECT_EQ(choice->AsString(), "Herr");
    clickItem(rg, 2);
    EXPECT_EQ(choice->AsString(), "Divers");
}

TEST_F(GroupsTest, CheckGroupBitMaskRoundTripsAndKeepsUnknownBits)
{
    auto* cg = add<TQelCheckGroup>("cgSprachen", "Sprachen", 120);
    field("Sprachen")->set_AsInteger((std::int64_t(1) << 6) | 1); // bit 6: no domain entry
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    ASSERT_EQ(cg->Items().Count(), 4);
    EXPECT_TRUE(itemChecked(cg, 0));
    EXPECT_FALSE(itemChecked(cg, 1));

    clickItem(cg, 2);
    EXPECT_EQ(field("Sprachen")->AsInteger(), (std::int64_t(1) << 6) | 1 | 4);
    clickItem(cg, 0);
    EXPECT_EQ(field("Sprachen")->AsInteger(), (std::int64_t(1) << 6) | 4);

    reopen();
    EXPECT_EQ(field("Sprachen")->AsInteger(), (std::int64_t(1) << 6) | 4);
    auto* again = add<TQelCheckGroup>("cgSprachen", "Sprachen", 120);
    ASSERT_EQ(connect(), 1);
    EXPECT_FALSE(again->Checked(0));
    EXPECT_TRUE(again->Checked(2));
    // Changed elsewhere: the group follows.
    field("Sprachen")->set_AsString("Englisch");
    EXPECT_TRUE(again->Checked(1));
    EXPECT_FALSE(again->Checked(2));
}

TEST_F(GroupsTest, CheckGroupOverAVectorAddsAndDeletesElements)
{
    auto* cg = add<TQelCheckGroup>("cgKenntnisse", "Kenntnisse", 120);
    cg->set_FieldProp("Sprache");
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    TQelVector* v = person->FieldList()->VectorByName("Kenntnisse");
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(v->Count(), 0);
    ASSERT_EQ(cg->Items().Count(), 3); // the domain without the null choice
    EXPECT_EQ(cg->Items().Get(0), "Deutsch");

    clickItem(cg, 1);
    clickItem(cg, 2);
    ASSERT_EQ(v->Count(), 2);
    EXPECT_EQ(v->GetAll("Sprache", ','), "Englisch,Französisch");
    EXPECT_TRUE(itemChecked(cg, 1));
    clickItem(cg, 1);
    EXPECT_EQ(v->GetAll("Sprache", ','), "Französisch");

    reopen();
    auto* again = add<TQelCheckGroup>("cgKenntnisse", "Kenntnisse", 120);
    again->set_FieldProp("Sprache");
    ASSERT_EQ(connect(), 1);
    EXPECT_FALSE(again->Checked(1));
    EXPECT_TRUE(again->Checked(2));
    EXPECT_EQ(again->read(), 4);
}

TEST_F(GroupsTest, CheckGroupOverAMandatoryChoiceUsesTheIndexAsBit)
{
    auto* cg = add<TQelCheckGroup>("cgPflichten", "Pflichten", 120);
    cg->set_FieldProp("Sprache");
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    ASSERT_EQ(cg->Items().Count(), 3);
    clickItem(cg, 0);
    TQelVector* v = person->FieldList()->VectorByName("Pflichten");
    EXPECT_EQ(v->GetAll("Sprache", ','), "Deutsch");
    EXPECT_EQ(cg->read(), 1);
}

TEST_F(GroupsTest, SortedCheckListStoresFlagsByDomainPosition)
{
    auto* cl = add<TQelCheckList>("clRollen", "Rollen", 100);
    cl->SetSorted(true);
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    ASSERT_EQ(cl->Count(), 4);
    EXPECT_EQ(cl->Items().Get(0), "Interessent");
    EXPECT_EQ(cl->s2p(0), 3);
    EXPECT_EQ(cl->p2s(0), 1); // Kunde
    focus(cl);
    spaceOn(cl, 0);
    EXPECT_EQ(static_cast<TQelFlagsField*>(field("Rollen"))->ValueAsFlags(), "...X");
    spaceOn(cl, 1);
    EXPECT_EQ(static_cast<TQelFlagsField*>(field("Rollen"))->ValueAsFlags(), "X..X");

    reopen();
    EXPECT_EQ(static_cast<TQelFlagsField*>(field("Rollen"))->ValueAsFlags(), "X..X");
    auto* again = add<TQelCheckList>("clRollen", "Rollen", 100);
    again->SetSorted(true);
    ASSERT_EQ(connect(), 1);
    EXPECT_TRUE(again->Checked(0));
    EXPECT_TRUE(again->Checked(1));
    EXPECT_FALSE(again->Checked(2));
}

TEST_F(GroupsTest, CheckListOverABitMaskKeepsUnknownBits)
{
    auto* cl = add<TQelCheckList>("clSprachen", "Sprachen", 100);
    field("Sprachen")->set_AsInteger(std::int64_t(1) << 9);
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    focus(cl);
    spaceOn(cl, 1);
    EXPECT_EQ(field("Sprachen")->AsInteger(), (std::int64_t(1) << 9) | 2);
    EXPECT_TRUE(cl->Checked(1));
    field("Sprachen")->set_AsString("Deutsch");
    EXPECT_TRUE(cl->Checked(0));
    EXPECT_FALSE(cl->Checked(1));
}

TEST_F(GroupsTest, CheckListMarkGoesAtTheNextClickBackToTheButtonFace)
{
    auto* cl = add<TQelCheckList>("clRollen", "Rollen", 100);
    ASSERT_EQ(connect(), 1);
    ASSERT_TRUE(ShowActive(*form));
    EXPECT_EQ(cl->Perform(WM_OC_SETMARK, 2 | OC_MARK_UNMARK_ON_EDIT, clRed), 1);
    EXPECT_TRUE(cl->Marked());
    EXPECT_NE(cl->Color(), clBtnFace);

    // A click on the check box of the second item, as a user does.
    QListWidget* list = listOf(cl);
    const QRect r = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 10, r.center().y()));
    EXPECT_TRUE(cl->Checked(1));
    EXPECT_FALSE(cl->Marked());
    EXPECT_EQ(cl->Color(), clBtnFace);

    reopen();
    EXPECT_EQ(static_cast<TQelFlagsField*>(field("Rollen"))->ValueAsFlags(), ".X..");
}

TEST_F(GroupsTest, ConnectSubControlsBindsEveryChoiceControl)
{
    add<TQelCheckBox>("cb", "Aktiv");
    add<TQelRadioGroup>("rg", "Anrede", 100);
    add<TQelCheckGroup>("cg", "Sprachen", 100);
    add<TQelCheckList>("cl", "Rollen", 100);
    add<TQelCheckList>("clWrong", "Anrede", 100);
    EXPECT_EQ(connect(), 4);
    auto* rg = static_cast<TQelRadioGroup*>(form->FindComponent("rg"));
    EXPECT_EQ(rg->Perform(WM_OC_GETFIELD, 0, 0), QelOIToParam(field("Anrede")));
    EXPECT_EQ(rg->Perform(WM_OC_LOCATE, 1, QelOIToParam(field("Anrede"))), 2);
    EXPECT_EQ(TQelCommonMethods::FieldPath(rg, true), "Anrede");
    EXPECT_EQ(TQelCommonMethods::DisconnectSubControls(form.get(), false), 0);
    EXPECT_FALSE(rg->Enabled());
}

TEST_F(GroupsTest, MarksGoAtTheNextClickAndReadOnlyKeepsTheValue)
{
    auto* cg = add<TQelCheckGroup>("cgSprachen", "Sprachen", 120);
    auto* rg = add<TQelRadioGroup>("rgAnrede", "Anrede", 100);
    ASSERT_EQ(connect(), 2);
    ASSERT_TRUE(ShowActive(*form));

    cg->Perform(WM_OC_SETREADONLY, 1, 0);
    clickItem(cg, 0);
    EXPECT_TRUE(field("Sprachen")->Null());
    EXPECT_FALSE(cg->Checked(0));
    // A mark that lifts read-only and goes at the next click.
    EXPECT_EQ(cg->Perform(WM_OC_SETMARK, 2 | OC_MARK_UNMARK_ON_EDIT | OC_MARK_LIFT_READONLY, clRed), 1);
    EXPECT_TRUE(cg->Marked());
    EXPECT_NE(cg->Color(), clBtnFace);
    clickItem(cg, 0);
    EXPECT_EQ(field("Sprachen")->AsInteger(), 1);
    EXPECT_FALSE(cg->Marked());
    EXPECT_EQ(cg->Color(), clBtnFace);

    rg->Perform(WM_OC_SETREADONLY, 1, 0);
    EXPECT_FALSE(rg->Enabled());
    rg->Perform(WM_OC_SETREADONLY, 0, 0);
    EXPECT_TRUE(rg->Enabled());
}
