// The vector list driving a field panel, and the edit grid's tree with its state colours.
#include "controls/QelEdit.h"
#include "controls/QelPanel.h"
#include "support/qel_db_fixture.h"
#include "vectors/QelEditGrid.h"
#include "vectors/QelVectorList.h"

#include "toolkit/menus.h"
#include "toolkit/scripteddialogs.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr const char* kVectorListSchema = R"(
class 62003 Telefon table=VL_Telefon format="<Nummer>"
  field Nummer Text length=30
end
class 62001 Adresse : Gültigkeit table=Adresse format="<Ort>" noun=Adresse gender=f plural=Adressen
  field Ort Text length=40
  field PLZ Text length=5
  vector Telefone Telefon
end
class 62004 Standort table=VL_Standort format="<Ort>" noun=Standort gender=m plural=Standorte
  field Ort Text length=40
end
class 62005 Konto table=VL_Konto format="<Bank>" noun=Konto gender=n plural=Konten
  field Bank Text length=40
end
class 62002 Firma : Objekt table=Firma format="<Name>" noun=Firma gender=f plural=Firmen
  field Name Text length=60
  field Umsatz Betrag
  vector Adressen Adresse max=3
end
class 62006 Verbund : Objekt table=VL_Verbund format="<Name>"
  field Name Text length=60
  vector Standorte Standort
  vector Konten Konto
end
)";

class VectorListTest : public QelDbTest {
protected:
    VectorListTest()
        : QelDbTest(kVectorListSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        firm = create("Firma");
        firm->FieldList()->FieldByName("Name")->set_AsString("Acme");
        list = add<TQelVectorList>(form.get(), "vlAdressen");
        list->set_FieldPath("Adressen");
        list->set_NameFormat("<Ort>");
        panel = add<TQelPanel>(form.get(), "pnAdresse");
        panel->SetBounds(200, 0, 200, 100);
        ort = add<TQelEdit>(panel, "edOrt");
        ort->set_FieldPath("Ort");
        list->set_Panel(panel);
        form->Show();
        QWidget* window = form->Handle()->window();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    }
    // Real keys into a control that takes the focus first, replacing its text.
    static void type(TWinControl* c, const char* text)
    {
        c->SetFocus();
        QApplication::processEvents();
        QTest::keyClick(c->Handle(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(c->Handle(), QString::fromUtf8(text));
    }
    TQelVector* addresses() const { return firm->FieldList()->VectorByName("Adressen"); }
    void address(const std::string& ort)
    {
        addresses()->Add()->FieldList()->FieldByName("Ort")->set_AsString(ort);
    }
    std::string items() const
    {
        std::string s;
        for (int i = 0; i < list->Count(); ++i)
            s += (s.empty() ? "" : "|") + list->Items()[i];
        return s;
    }
    TQelObject* firm = nullptr;
    TQelVectorList* list = nullptr;
    TQelPanel* panel = nullptr;
    TQelEdit* ort = nullptr;
    TScopedScriptedDialogs dialogs;
};

} // namespace

TEST_F(VectorListTest, ItemsMarkStandardAndInactiveElementsAndOfferTheNextOne)
{
    address("Bonn");
    address("Köln");
    dynamic_cast<TQelGueltigkeit*>(addresses()->Item(1))->set_Standard(true);
    dynamic_cast<TQelGueltigkeit*>(addresses()->Item(2))->Deactivate(-2147483647.0, "");
    list->ConnectFL(firm->FieldList(), false);
    EXPECT_EQ(items(),
        "<B>Bonn</B>|<FONT COLOR=\"#808080\"><S>Köln</S></FONT>|<FONT COLOR=\"#808080\">Weitere "
        "Adresse</FONT>");
    EXPECT_TRUE(list->IsNewItem(2));
    // At the vector's limit there is no next item; with MaxEntries 1 and one element neither.
    address("Ulm");
    EXPECT_EQ(list->Count(), 3);
    EXPECT_FALSE(list->IsNewItem(2));
    list->set_MaxEntries(1);
    EXPECT_EQ(list->Count(), 3);
    // An element that fails the member constraint is left out.
    list->set_MaxEntries(0);
    list->set_MemberConstraint("a");
    EXPECT_EQ(list->vex_to_itex(2), -1);
}

// The item that offers the next element names it in the gender of its noun: the class's, or the
// one ClassNameInfo gives (a bare noun takes the forms of its class). Chosen with the mouse, it
// adds that element.
TEST_F(VectorListTest, TheNextItemDeclinesTheNounOfItsGender)
{
    TQelObject* group = create("Verbund");
    list->set_FieldPath("Standorte");
    list->set_ClassNameInfo("Sitz gender=m");
    list->ConnectFL(group->FieldList(), false);
    EXPECT_EQ(items(), "Erster Sitz");
    list->set_ClassNameInfo("Standort");
    list->RefreshItems();
    EXPECT_EQ(items(), "Erster Standort");
    QListWidget* view = qobject_cast<QListWidget*>(list->Handle());
    ASSERT_NE(view, nullptr);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualItemRect(view->item(0)).center());
    QApplication::processEvents();
    type(ort, "Bonn");
    ASSERT_EQ(group->FieldList()->VectorByName("Standorte")->GetAll("Ort", ','), "Bonn");
    list->RefreshItems();
    EXPECT_EQ(items(), "Bonn|<FONT COLOR=\"#808080\">Weiterer Standort</FONT>");

    list->set_ClassNameInfo("Konto");
    list->set_FieldPath("Konten");
    list->ConnectFL(group->FieldList(), false);
    EXPECT_EQ(items(), "Erstes Konto");
    list->set_ClassNameInfo("");
    list->RefreshItems();
    EXPECT_EQ(items(), "Erstes Konto");
}

TEST_F(VectorListTest, ThePanelFollowsTheChosenItem)
{
    address("Bonn");
    address("Köln");
    list->ConnectFL(firm->FieldList(), false);
    list->set_VectorIndex(2);
    EXPECT_EQ(ort->Text(), "Köln");
    list->SetItemIndex(0);
    list->Perform(WM_OC_SETVECTORINDEX, 1, 0);
    EXPECT_EQ(ort->Text(), "Bonn");
    // Writing through the panel renames the item once the delayed refresh ran.
    type(ort, "Berlin");
    list->RefreshItems();
    EXPECT_EQ(list->Items()[0].find("Berlin"), 0u);
}

// The copy of an element holds its values and its own vectors (the address's phone numbers),
// in memory and once stored.
TEST_F(VectorListTest, TheCopyTakesTheNestedVectors)
{
    address("Bonn");
    address("Köln");
    TQelVector* phones = addresses()->Item(1)->FieldList()->VectorByName("Telefone");
    phones->Add()->FieldList()->FieldByName("Nummer")->set_AsString("0228 1");
    phones->Add()->FieldList()->FieldByName("Nummer")->set_AsString("0228 2");
    addresses()->Item(1)->FieldList()->FieldByName("PLZ")->set_AsString("53111");
    ASSERT_TRUE(firm->Commit()) << firm->ErrorMessage();
    TQelVectorListOptions o = list->get_VectorListOptions();
    list->set_VectorListOptions(o << vloCopyAllowed);
    list->ConnectFL(firm->FieldList(), false);
    // The first address chosen with the mouse, copied from the list's menu.
    auto* widget = static_cast<QListWidget*>(list->Handle());
    QTest::mouseClick(
        widget->viewport(), Qt::LeftButton, {}, widget->visualItemRect(widget->item(0)).center());
    QApplication::processEvents();
    ASSERT_EQ(list->get_VectorIndex(), 1);
    ASSERT_NE(list->PopupMenu(), nullptr);
    TMenuItem* copy = list->PopupMenu()->Items()->Find("Eintrag kopieren");
    ASSERT_NE(copy, nullptr);
    copy->Click();
    ASSERT_EQ(addresses()->Count(), 3);
    EXPECT_EQ(list->get_VectorIndex(), 2) << "the copy is chosen";
    TQelFieldList* copied = addresses()->Item(2)->FieldList();
    EXPECT_EQ(copied->FieldByName("Ort")->AsString(), "Bonn");
    EXPECT_EQ(copied->FieldByName("PLZ")->AsString(), "53111");
    EXPECT_EQ(copied->VectorByName("Telefone")->GetAll("Nummer", ','), "0228 1,0228 2");
    EXPECT_EQ(phones->GetAll("Nummer", ','), "0228 1,0228 2") << "the source keeps its own";

    const TQelObjectKey key = firm->Key();
    ASSERT_TRUE(firm->Commit()) << firm->ErrorMessage();
    list->Disconnect();
    db->FreeObject(firm);
    firm = db->GetObjectA(key);
    ASSERT_NE(firm, nullptr);
    EXPECT_EQ(addresses()->GetAll("Ort", ','), "Bonn,Bonn,Köln");
    EXPECT_EQ(
        addresses()->Item(2)->FieldList()->VectorByName("Telefone")->GetAll("Nummer", ','), "0228 1,0228 2");
}

TEST_F(VectorListTest, TheNextItemCreatesAnElementOnlyWhenAFieldIsWritten)
{
    address("Bonn");
    list->ConnectFL(firm->FieldList(), false);
    ASSERT_TRUE(list->IsNewItem(1));
    list->set_VectorIndex(2);
    EXPECT_EQ(addresses()->Count(), 1); // choosing it creates nothing
    EXPECT_EQ(ort->Text(), "");
    type(ort, "Ulm");
    EXPECT_EQ(addresses()->Count(), 2);
    EXPECT_EQ(addresses()->Item(2)->FieldList()->FieldByName("Ort")->AsString(), "Ulm");
    EXPECT_EQ(list->get_VectorIndex(), 2);
    EXPECT_TRUE(list->IsNewItem(2));
}

TEST_F(VectorListTest, TheNextItemCannotBeDeletedAndDeletingAsks)
{
    address("Bonn");
    list->ConnectFL(firm->FieldList(), false);
    list->SetItemIndex(1); // the next item
    list->delete_event();
    EXPECT_EQ(addresses()->Count(), 1);
    list->SetItemIndex(0);
    dialogs->AnswerBox(IDNO);
    list->delete_event();
    EXPECT_EQ(addresses()->Count(), 1);
    dialogs->AnswerBox(IDYES);
    list->delete_event();
    EXPECT_EQ(addresses()->Count(), 0);
    EXPECT_NE(dialogs->LastQuestion().text.find("(Bonn)"), std::string::npos);
}

TEST_F(VectorListTest, TrailingEmptyElementsAreRemovedAtTheNextRefresh)
{
    address("Bonn");
    addresses()->Add(); // an abandoned new entry
    list->ConnectFL(firm->FieldList(), false);
    EXPECT_EQ(addresses()->Count(), 1);
    EXPECT_EQ(list->Count(), 2);
}

TEST_F(VectorListTest, EditGridTreeCollapsesAndColoursFieldStates)
{
    address("Bonn");
    address("Köln");
    auto* grid = add<TQelEditGrid>(form.get(), "egFirma");
    grid->SetBounds(0, 120, 400, 300);
    grid->ConnectFL(firm->FieldList(), false);
    // Name, Umsatz, then the vector and its elements with their fields.
    ASSERT_GE(grid->RowCount(), 8);
    EXPECT_EQ(grid->RowKind(1), 'F');
    EXPECT_EQ(grid->RowKind(3), 'V');
    EXPECT_EQ(grid->GetCellsEx(TQelEditGrid::colName, 3), "Adressen (2)");
    EXPECT_EQ(grid->RowKind(4), 'L');
    EXPECT_EQ(grid->GetCellsEx(TQelEditGrid::colName, 4), "Adressen - 1");
    // Level 0: only the top rows are shown.
    EXPECT_EQ(grid->DisplRowCount(), 4);
    grid->set_ExpandLevel(1);
    EXPECT_EQ(grid->DisplRowCount(), 6); // the element rows
    grid->set_ExpandLevel(2);
    EXPECT_EQ(grid->DisplRowCount(), grid->RowCount());
    // State colours: untouched black, touched green, a syntax error magenta.
    TQelField* name = firm->FieldList()->FieldByName("Name");
    TQelField* umsatz = firm->FieldList()->FieldByName("Umsatz");
    EXPECT_EQ(TQelEditGrid::StateColor(umsatz), TColor(0x808080));
    EXPECT_EQ(TQelEditGrid::StateColor(name), TColor(0x00CC00)); // new object: touched
    ASSERT_TRUE(firm->Commit());
    EXPECT_EQ(TQelEditGrid::StateColor(name), TColor(0x000000));
    umsatz->set_AsString("viel");
    EXPECT_EQ(TQelEditGrid::StateColor(umsatz), TColor(0xFF00FF));
    EXPECT_TRUE(umsatz->SyntaxError());
    // A touch reaches the value cell; references show their object.
    name->set_AsString("Acme AG");
    EXPECT_EQ(grid->GetCellsEx(TQelEditGrid::colValue, 1), "Acme AG");
}
