// What the vector grid steers besides its cells: the field panel of the current element, the
// tool bar that mirrors the element menu, the column-definition editor (Ctrl+Shift+F6), the name
// format of references and a choose-object button that changes a referenced object.
#include "vgrid_fixture.h"

#include "controls/QelEdit.h"
#include "controls/QelPanel.h"
#include "lists/chobjbtn.h"
#include "lists/frmEditColDefs.h"
#include "support/modal_scope.h"

#include "toolkit/menus.h"
#include "toolkit/toolbar.h"

#include <QPushButton>

using VGridLinks = VGridThree;

TEST_F(VGridLinks, ThePanelFollowsTheCurrentRowsElement)
{
    auto* panel = new TQelPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 310, 300, 40);
    auto* ort = new TQelEdit(panel);
    ort->SetParent(panel);
    ort->SetBounds(4, 8, 200, 24);
    ort->set_FieldPath("Ort");
    int before = 0, after = 0;
    grid->BeforeSubConnect = TNotifyEvent([&](TObject*) { ++before; });
    grid->AfterSubConnect = TNotifyEvent([&](TObject*) {
        ++after;
        EXPECT_EQ(before, after);
    });
    grid->set_Panel(panel);
    connect();
    EXPECT_EQ(panel->get_FieldPath(), "Adressen");
    EXPECT_EQ(ort->Text(), "Bonn");
    click(0, 2);
    EXPECT_EQ(ort->Text(), "Köln");
    EXPECT_EQ(panel->get_VectorIndex(), 2);
    EXPECT_EQ(after, 2);
    click(0, 2); // the same element: not connected again
    key(Qt::Key_Right);
    EXPECT_EQ(after, 2);

    // Typed into the panel: the element's field and the grid's cell.
    QTest::mouseClick(ort->Handle(), Qt::LeftButton);
    QTest::keyClick(ort->Handle(), Qt::Key_End);
    QTest::keyClicks(ort->Handle(), "-Deutz");
    settle();
    EXPECT_EQ(orte(), "Bonn,Köln-Deutz,Ulm");
    EXPECT_EQ(grid->Cells(1, 2), "Köln-Deutz");

    // The element moves: the panel stays with the row's element.
    grid->SetFocus();
    grid->set_VectorIndex(2);
    grid->movedown_event();
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(ort->Text(), "Köln-Deutz");
    // Deleted elsewhere: the panel shows the element that now holds the cursor's row.
    addresses()->Delete(3);
    settle();
    EXPECT_EQ(ort->Text(), "Ulm");
    EXPECT_EQ(grid->Cells(1, grid->Row()), "Ulm");

    delete panel; // the grid forgets it
    EXPECT_EQ(grid->get_Panel(), nullptr);
    click(0, 1);
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(VGridLinks, ToolBarButtonsMirrorTheElementMenu)
{
    auto* bar = new TToolBar(form.get());
    bar->SetParent(form.get());
    bar->SetBounds(0, 310, 660, 28);
    for (int i = 0; i < 5; ++i)
        (new TToolButton(bar))->SetParent(bar);
    grid->set_ToolBar(bar);
    connect();
    EXPECT_EQ(bar->Buttons(0)->Caption(), "Neues Element einfügen");
    EXPECT_EQ(bar->Buttons(1)->Caption(), "Element löschen");
    EXPECT_EQ(bar->Buttons(2)->Hint(), "Element nach oben verschieben");
    EXPECT_EQ(bar->Buttons(3)->ImageIndex(), 24);
    EXPECT_EQ(bar->Buttons(4)->MenuItem(), nullptr) << "only four slots";
    EXPECT_LT(bar->Buttons(0)->Left(), bar->Buttons(1)->Left());

    // Row 1: up is off; a click on "down" moves the element and the cursor with it.
    EXPECT_FALSE(bar->Buttons(2)->Enabled());
    EXPECT_TRUE(bar->Buttons(3)->Enabled());
    QTest::mouseClick(qobject_cast<QPushButton*>(bar->Buttons(3)->Handle()), Qt::LeftButton);
    settle();
    EXPECT_EQ(orte(), "Köln,Bonn,Ulm");
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_TRUE(bar->Buttons(2)->Enabled());
    click(0, 3);
    EXPECT_FALSE(bar->Buttons(3)->Enabled()) << "the last element cannot go down";
    QTest::mouseClick(qobject_cast<QPushButton*>(bar->Buttons(3)->Handle()), Qt::LeftButton);
    EXPECT_EQ(orte(), "Köln,Bonn,Ulm");

    // Read-only: nothing to change.
    grid->set_ReadOnly(true);
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(bar->Buttons(i)->Enabled()) << i;

    // A freed tool bar is forgotten; a grid that reconnects without one does not fail.
    delete bar;
    EXPECT_EQ(grid->get_ToolBar(), nullptr);
    grid->Reconnect();
    EXPECT_TRUE(grid->Connected());
}

TEST_F(VGridLinks, CtrlShiftF6EditsTheColumnDefinitionInDebugMode)
{
    connect();
    int shown = 0;
    ModalScope drive([&](TCustomForm* form) {
        ++shown;
        auto* f = static_cast<TQelEditColDefsForm*>(form);
        EXPECT_NE(f->mmLines->Text().find("Firma"), std::string::npos);
        f->mmLines->SetText("Strasse AS Straße\nOrt\n");
        QTest::mouseClick(qobject_cast<QPushButton*>(f->Button1->Handle()), Qt::LeftButton);
    });
    // The form gives the focus back to no one in particular: the keys go to the grid itself.
    const auto f6 = [this](Qt::KeyboardModifiers mods) {
        QTest::keyClick(grid->Handle(), Qt::Key_F6, mods);
        settle();
    };
    click(0, 1);
    f6(Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(shown, 0) << "only in debug mode";
    db->set_Debug(true);
    f6(Qt::ControlModifier);
    EXPECT_EQ(shown, 0) << "Ctrl alone is no request";
    f6(Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(grid->Cells(0, 0), "Straße");
    EXPECT_EQ(grid->Cells(1, 2), "Köln");
    EXPECT_TRUE(grid->Connected());

    // Cancelled: the definition stays.
    ModalScope cancel([](TCustomForm* form) {
        auto* f = static_cast<TQelEditColDefsForm*>(form);
        f->mmLines->SetText("Notiz\n");
        QTest::mouseClick(qobject_cast<QPushButton*>(f->Button2->Handle()), Qt::LeftButton);
    });
    f6(Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(grid->get_FieldNames().Count(), 2);
    EXPECT_EQ(grid->Cells(0, 0), "Straße");
    db->set_Debug(false);
}

TEST_F(VGridLinks, ReferenceNamesTakeTheApplicationsFormat)
{
    TQelObject* firma = create("Firma");
    firma->FieldList()->FieldByName("Name")->set_AsString("ACME");
    dynamic_cast<TQelRefField*>(addresses()->Item(1)->FieldList()->FieldByName("Firma"))
        ->set_AsKey(firma->Key());
    int asked = 0;
    grid->OnGetNameFormat = TQelGetNameFormatEvent(
        [&](TObject*, TQelRefField* ref, TQelERVKeyField* erv, std::string& format, std::string&) {
            ++asked;
            EXPECT_NE(ref, nullptr);
            EXPECT_EQ(erv, nullptr);
            format = "Firma <Name>";
        });
    connect();
    EXPECT_GT(asked, 0);
    EXPECT_EQ(grid->Cells(3, 1), "<A href=\"\">Firma ACME</A>");
    grid->OnGetNameFormat = nullptr;
    grid->Reload();
    EXPECT_EQ(grid->Cells(3, 1), "<A href=\"\">ACME</A>");
}

TEST_F(VGridLinks, AChooseObjectButtonChangesAReference)
{
    TQelObject* acme = create("Firma");
    acme->FieldList()->FieldByName("Name")->set_AsString("ACME");
    TQelObject* beta = create("Firma");
    beta->FieldList()->FieldByName("Name")->set_AsString("Beta");
    auto* button = new TChooseObjectBtn(form.get());
    button->SetParent(form.get());
    std::vector<TQelObjectKey> offered;
    bool cancel = false;
    button->OnChoose = [&](TObject*, const std::string&, TQelClassKey cls, TQelObjectKey& key) {
        EXPECT_EQ(cls, db->FindClass("Firma")->Key());
        offered.push_back(key);
        if (!cancel)
            key = key == acme->Key() ? beta->Key() : acme->Key();
    };
    QelChooseObjectsWith(grid, button);
    connect();
    click(3, 2); // unset: chosen through the button
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0], TQelObjectKey());
    EXPECT_EQ(grid->Cells(3, 2), "<A href=\"\">ACME</A>");

    // Through the reference menu: the button is offered the current key.
    click(3, 2, Qt::RightButton);
    grid->ReferenceMenu()->CloseMenu();
    EXPECT_TRUE(grid->ReferenceMenu()->Items()->Items(0)->Enabled());
    grid->ReferenceMenu()->Items()->Items(0)->Click();
    EXPECT_EQ(offered.back(), acme->Key());
    EXPECT_EQ(grid->Cells(3, 2), "<A href=\"\">Beta</A>");
    cancel = true; // the chooser closed without a choice: the reference stays
    grid->ReferenceMenu()->Items()->Items(0)->Click();
    EXPECT_EQ(grid->current_key(), beta->Key());

    delete button; // gone: choosing leaves the key as it is
    cancel = false;
    grid->choose_obj_event();
    EXPECT_EQ(grid->current_key(), beta->Key());
    EXPECT_EQ(offered.size(), 3u);
}
