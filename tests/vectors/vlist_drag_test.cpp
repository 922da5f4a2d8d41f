// Moving vector-list items by dragging them with the mouse, the copy hook, and the vector button
// on a field panel and on a tab control.
#include "controls/QelEdit.h"
#include "controls/QelPanel.h"
#include "controls/QelTabControl.h"
#include "support/qel_db_fixture.h"
#include "vectors/QelVectorButton.h"
#include "vectors/QelVectorList.h"

#include "toolkit/scripteddialogs.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr const char* kSchema = R"(
class 64001 Station table=VD_Station format="<Ort>" noun=Station gender=f plural=Stationen
  field Ort Text length=40
end
class 64002 Reise : Objekt table=VD_Reise format="<Name>" noun=Reise gender=f plural=Reisen
  field Name Text length=60
  vector Stationen Station
end
)";

class VectorDragTest : public QelDbTest {
protected:
    VectorDragTest()
        : QelDbTest(kSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        trip = create("Reise");
        for (const char* ort : { "Bonn", "Köln", "Ulm", "Kiel" })
            stations()->Add()->FieldList()->FieldByName("Ort")->set_AsString(ort);
    }
    void TearDown() override
    {
        QApplication::processEvents();
        QelDbTest::TearDown();
    }
    TQelVector* stations() const { return trip->FieldList()->VectorByName("Stationen"); }
    std::string orte() const { return stations()->GetAll("Ort", ','); }
    void show()
    {
        form->Show();
        QWidget* window = form->Handle()->window();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        settle();
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    TQelVectorList* makeList()
    {
        auto* list = add<TQelVectorList>(form.get(), "vlStationen");
        list->SetBounds(10, 10, 200, 200);
        list->set_FieldPath("Stationen");
        list->set_NameFormat("<Ort>");
        list->set_DragItem(true);
        list->ConnectFL(trip->FieldList(), false);
        return list;
    }
    static QWidget* viewport(TQelVectorList* list)
    {
        return static_cast<QListWidget*>(list->Handle())->viewport();
    }
    // The centre of an item, in the viewport.
    static QPoint itemPoint(TQelVectorList* list, int item)
    {
        auto* w = static_cast<QListWidget*>(list->Handle());
        return w->visualItemRect(w->item(item)).center();
    }
    TQelObject* trip = nullptr;
    TScopedScriptedDialogs dialogs;
};

} // namespace

TEST_F(VectorDragTest, DraggingAnItemAsksAndMovesItByExchanges)
{
    TQelVectorList* list = makeList();
    std::vector<std::pair<int, int>> exchanges;
    list->AfterExchangeItems
        = TQelVLExchangeEvent([&](TObject*, int a, int b) { exchanges.emplace_back(a, b); });
    show();

    // Refused: nothing moves.
    dialogs->AnswerBox(IDNO);
    QTest::mousePress(viewport(list), Qt::LeftButton, {}, itemPoint(list, 2));
    EXPECT_TRUE(list->Dragging());
    QTest::mouseRelease(viewport(list), Qt::LeftButton, {}, itemPoint(list, 0));
    settle();
    ASSERT_EQ(dialogs->Questions().size(), 1u);
    EXPECT_EQ(dialogs->LastQuestion().text, "Soll das 3.Element an die 1.Position verschoben werden?");
    EXPECT_EQ(orte(), "Bonn,Köln,Ulm,Kiel");

    // Accepted: the third element reaches the first position through two exchanges.
    dialogs->AnswerBox(IDYES);
    QTest::mousePress(viewport(list), Qt::LeftButton, {}, itemPoint(list, 2));
    QTest::mouseRelease(viewport(list), Qt::LeftButton, {}, itemPoint(list, 0));
    settle();
    EXPECT_EQ(orte(), "Ulm,Bonn,Köln,Kiel");
    EXPECT_EQ(exchanges, (std::vector<std::pair<int, int>> { { 3, 2 }, { 2, 1 } }));
    EXPECT_EQ(list->get_VectorIndex(), 1) << "the selection follows the element";

    // Downwards, and not onto the next-entry item.
    dialogs->AnswerBox(IDYES);
    QTest::mousePress(viewport(list), Qt::LeftButton, {}, itemPoint(list, 0));
    QTest::mouseRelease(viewport(list), Qt::LeftButton, {}, itemPoint(list, 3));
    settle();
    EXPECT_EQ(orte(), "Bonn,Köln,Kiel,Ulm");
    ASSERT_TRUE(list->IsNewItem(4));
    const std::size_t asked = dialogs->Questions().size();
    QTest::mousePress(viewport(list), Qt::LeftButton, {}, itemPoint(list, 1));
    QTest::mouseRelease(viewport(list), Qt::LeftButton, {}, itemPoint(list, 4));
    QTest::mousePress(viewport(list), Qt::LeftButton, {}, itemPoint(list, 4));
    QTest::mouseRelease(viewport(list), Qt::LeftButton, {}, itemPoint(list, 1));
    settle();
    EXPECT_EQ(dialogs->Questions().size(), asked);
    EXPECT_EQ(orte(), "Bonn,Köln,Kiel,Ulm");
}

TEST_F(VectorDragTest, LeavingTheListEndsTheDragAndDraggingNeedsTheOption)
{
    TQelVectorList* list = makeList();
    show();
    QTest::mousePress(viewport(list), Qt::LeftButton, {}, itemPoint(list, 2));
    ASSERT_TRUE(list->Dragging());
    QTest::mouseMove(viewport(list), QPoint(viewport(list)->width() + 40, 5));
    settle();
    EXPECT_FALSE(list->Dragging());
    QTest::mouseRelease(viewport(list), Qt::LeftButton, {}, itemPoint(list, 0));
    settle();
    EXPECT_TRUE(dialogs->Questions().empty());

    list->set_DragItem(false);
    QTest::mousePress(viewport(list), Qt::LeftButton, {}, itemPoint(list, 2));
    EXPECT_FALSE(list->Dragging());
    QTest::mouseRelease(viewport(list), Qt::LeftButton, {}, itemPoint(list, 0));
    // Read-only lists move nothing either.
    list->set_DragItem(true);
    list->Perform(WM_OC_SETREADONLY, 1, 0);
    QTest::mousePress(viewport(list), Qt::LeftButton, {}, itemPoint(list, 2));
    QTest::mouseRelease(viewport(list), Qt::LeftButton, {}, itemPoint(list, 0));
    settle();
    EXPECT_TRUE(dialogs->Questions().empty());
    EXPECT_EQ(orte(), "Bonn,Köln,Ulm,Kiel");
}

TEST_F(VectorDragTest, TheCopyHookFillsOrRefusesTheCopy)
{
    TQelVectorList* list = makeList();
    TQelVectorListOptions o = list->get_VectorListOptions();
    o << vloCopyAllowed;
    list->set_VectorListOptions(o);
    bool succeed = false;
    list->OnCopy = TQelVLCopyEvent([&](TObject*, TQelSubObject* from, TQelSubObject* copy, bool& ok) {
        copy->FieldList()->FieldByName("Ort")->set_AsString(
            from->FieldList()->FieldByName("Ort")->AsString() + "-Süd");
        ok = succeed;
    });
    list->set_VectorIndex(2);
    list->copy_event();
    EXPECT_EQ(orte(), "Bonn,Köln,Ulm,Kiel") << "a failed copy goes again";
    EXPECT_EQ(list->get_VectorIndex(), 2);
    succeed = true;
    list->copy_event();
    EXPECT_EQ(orte(), "Bonn,Köln,Köln-Süd,Ulm,Kiel");
    EXPECT_EQ(list->get_VectorIndex(), 3) << "the copy is selected";
}

TEST_F(VectorDragTest, TheVectorButtonHandsOverItsParentsElement)
{
    // On a tab control bound to the vector: the selected tab's element.
    auto* tabs = add<TQelTabControl>(form.get(), "tcStationen");
    tabs->SetBounds(10, 10, 300, 150);
    tabs->set_FieldPath("Stationen");
    auto* ort = add<TQelEdit>(tabs, "edOrt");
    ort->set_FieldPath("Ort");
    auto* button = add<TQelVectorButton>(tabs, "vbStation");
    button->SetBounds(250, 100, 15, 13);
    tabs->ConnectFL(trip->FieldList(), false);
    tabs->set_TabIndex(2);
    EXPECT_EQ(ort->Text(), "Ulm");
    show();

    TQelVector* handed = nullptr;
    int index = 0;
    button->OnDoIt = TQelVectorButtonEvent([&](TObject*, TQelVector* v, int ix) {
        handed = v;
        index = ix;
        ort->Disconnect(); // what the application's editing may leave behind
    });
    QTest::mouseClick(button->Handle(), Qt::LeftButton);
    settle();
    EXPECT_EQ(handed, stations());
    EXPECT_EQ(index, 3);
    EXPECT_TRUE(ort->Connected()) << "the tab control reconnected its controls";
    EXPECT_EQ(ort->Text(), "Ulm");
    EXPECT_EQ(tabs->get_TabIndex(), 2);

    button->set_ReconnectAfterEdit(false);
    QTest::mouseClick(button->Handle(), Qt::LeftButton);
    settle();
    EXPECT_FALSE(ort->Connected());

    // On a field panel: the panel's element; read-only hides it.
    auto* panel = add<TQelPanel>(form.get(), "pnStation");
    panel->SetBounds(10, 200, 300, 100);
    panel->set_FieldPath("Stationen");
    panel->set_VectorIndex(4);
    auto* onPanel = add<TQelVectorButton>(panel, "vbPanel");
    panel->ConnectFL(trip->FieldList(), false);
    EXPECT_EQ(onPanel->ParentVector(), stations());
    EXPECT_EQ(onPanel->ParentIndex(), 4);
    onPanel->Perform(WM_OC_SETREADONLY, 1, 0);
    EXPECT_FALSE(onPanel->Visible());
    onPanel->Perform(WM_OC_SETREADONLY, 0, 0);
    EXPECT_TRUE(onPanel->Visible());
    onPanel->SetEnabled(false);
    EXPECT_TRUE(onPanel->Enabled());
}

TEST_F(VectorDragTest, AMarkColoursTheListUntilAnotherItemIsChosen)
{
    TQelVectorList* list = makeList();
    show();
    EXPECT_EQ(list->Perform(WM_OC_SETMARK, 1 | OC_MARK_UNMARK_ON_EDIT, 0x0000FF), 1);
    EXPECT_NE(list->Color(), clWindow);
    EXPECT_TRUE(list->Marked());
    QTest::mouseClick(viewport(list), Qt::LeftButton, {}, itemPoint(list, 1));
    settle();
    EXPECT_EQ(list->get_VectorIndex(), 2);
    EXPECT_EQ(list->Color(), clWindow);
    EXPECT_FALSE(list->Marked());
}
