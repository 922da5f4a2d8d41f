// The field panel a vector list drives (chosen with the mouse, replaced, and freed while the list
// still shows the vector), and deleting an element with the Delete key.
#include "controls/QelEdit.h"
#include "controls/QelPanel.h"
#include "support/qel_db_fixture.h"
#include "vectors/QelVectorList.h"

#include "toolkit/scripteddialogs.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr const char* kPanelDeleteSchema = R"(
class 62101 Filiale table=VP_Filiale format="<Ort>" noun=Filiale gender=f plural=Filialen
  field Ort Text length=40
end
class 62102 Kette : Objekt table=VP_Kette format="<Name>"
  field Name Text length=60
  vector Filialen Filiale
end
)";

class VectorListPanelTest : public QelDbTest {
protected:
    VectorListPanelTest()
        : QelDbTest(kPanelDeleteSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        chain = create("Kette");
        TQelVector* v = chain->FieldList()->VectorByName("Filialen");
        for (const char* ort : { "Bonn", "Köln", "Görlitz" })
            v->Add()->FieldList()->FieldByName("Ort")->set_AsString(ort);
        list = add<TQelVectorList>(form.get(), "vlFilialen");
        list->set_FieldPath("Filialen");
        list->set_NameFormat("<Ort>");
        first = panel("pnErste", firstOrt);
        second = panel("pnZweite", secondOrt);
        list->set_Panel(first);
        list->ConnectFL(chain->FieldList(), false);
        form->Show();
        QWidget* window = form->Handle()->window();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    }
    TQelPanel* panel(const std::string& name, TQelEdit*& ort)
    {
        auto* p = add<TQelPanel>(form.get(), name);
        ort = add<TQelEdit>(p, name + "Ort");
        ort->set_FieldPath("Ort");
        return p;
    }
    void click(int item)
    {
        auto* view = qobject_cast<QListWidget*>(list->Handle());
        ASSERT_NE(view, nullptr);
        QTest::mouseClick(
            view->viewport(), Qt::LeftButton, {}, view->visualItemRect(view->item(item)).center());
        QApplication::processEvents();
    }
    TQelObject* chain = nullptr;
    TQelVectorList* list = nullptr;
    TQelPanel* first = nullptr;
    TQelPanel* second = nullptr;
    TQelEdit* firstOrt = nullptr;
    TQelEdit* secondOrt = nullptr;
    TScopedScriptedDialogs dialogs;
};

} // namespace

TEST_F(VectorListPanelTest, AReplacedPanelIsLeftAloneAndAFreedOneForgotten)
{
    click(1);
    EXPECT_EQ(firstOrt->Text(), "Köln");

    list->set_Panel(second);
    click(2);
    EXPECT_EQ(secondOrt->Text(), "Görlitz");
    EXPECT_EQ(firstOrt->Text(), "Köln") << "the panel the list no longer holds keeps its element";

    delete second;
    EXPECT_EQ(list->get_Panel(), nullptr);
    click(0);
    EXPECT_EQ(list->get_VectorIndex(), 1);
    EXPECT_EQ(firstOrt->Text(), "Köln");

    // Taken again, the first panel follows the choice.
    list->set_Panel(first);
    click(2);
    EXPECT_EQ(firstOrt->Text(), "Görlitz");
}

TEST_F(VectorListPanelTest, TheDeleteKeyAsksWithTheElementsNameAndRemovesItOnYes)
{
    click(1);
    auto* view = list->Handle();
    dialogs->AnswerBox(IDNO);
    QTest::keyClick(view, Qt::Key_Delete);
    ASSERT_EQ(dialogs->Questions().size(), 1u);
    EXPECT_EQ(dialogs->Questions()[0].caption, "Element löschen");
    EXPECT_EQ(dialogs->Questions()[0].text, "Soll die gewählte Filiale (Köln) wirklich gelöscht werden?");
    TQelVector* v = chain->FieldList()->VectorByName("Filialen");
    EXPECT_EQ(v->GetAll("Ort", ','), "Bonn,Köln,Görlitz") << "declined";

    dialogs->AnswerBox(IDYES);
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(dialogs->Questions().size(), 2u);
    EXPECT_EQ(v->GetAll("Ort", ','), "Bonn,Görlitz");
    EXPECT_EQ(list->get_VectorIndex(), 2);
    EXPECT_EQ(firstOrt->Text(), "Görlitz") << "the panel shows the element now chosen";

    const TQelObjectKey key = chain->Key();
    ASSERT_TRUE(chain->Commit()) << chain->ErrorMessage();
    list->Disconnect();
    db->FreeObject(chain);
    chain = db->GetObjectA(key);
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->FieldList()->VectorByName("Filialen")->GetAll("Ort", ','), "Bonn,Görlitz");
}
