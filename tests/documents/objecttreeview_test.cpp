// The object tree view with real clicks: the class tree points a select grid at the chosen class
// and stored view, the object tree points a field panel at the chosen object.
#include "controls/QelEdit.h"
#include "controls/QelPanel.h"
#include "documents/QelObjectTreeView.h"
#include "documents/qelfltreeview.h"
#include "lists/QelSelectGrid.h"
#include "support/qel_db_fixture.h"
#include "toolkit/tk_test_util.h"

#include "toolkit/scripteddialogs.h"

#include <QApplication>
#include <QTest>
#include <QTreeWidget>

namespace {

constexpr const char* kSchema = R"(
class 51010 Firma : Objekt table=Firma format="<Name>" category=Stammdaten noun=Firma gender=f plural=Firmen
  field Name Text length=80
  field Mutter Referenz ref=Firma
end
class 51020 Person : Objekt table=Person format="<Name>" category=Stammdaten noun=Person gender=f plural=Personen
  field Name Text length=60
end
class 51021 Mitarbeiter : Person noun=Mitarbeiter gender=m plural=Mitarbeiter
  field Nummer Ganzzahl
end
class 51030 Suchmaske : Objekt table=Suchmaske category=Stammdaten meta
  field Name Text
end
class 51040 Protokoll : Objekt table=Protokoll
  field Name Text
end
)";

class ObjectTreeViewTest : public QelDbTest {
protected:
    ObjectTreeViewTest()
        : QelDbTest(kSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        db->TimerTasks()->set_Clock(&clock);
        db->TimerTasks()->set_Dispatcher(&clock);
        SetDialogService(std::make_unique<TScriptedDialogs>());
        tree = new TQelObjectTreeView(form.get());
        tree->SetName("tree");
        tree->SetParent(form.get());
        tree->SetBounds(0, 0, 200, 380);
    }
    void TearDown() override
    {
        form.reset();
        QApplication::processEvents();
        SetDialogService(nullptr);
        QelDbTest::TearDown();
    }
    TQelObject* object(const char* cls, const std::string& name, TQelObject* parent = nullptr)
    {
        TQelObject* o = create(cls);
        o->FieldByName("Name")->set_AsString(name);
        if (parent)
            static_cast<TQelRefField*>(o->FieldByName("Mutter"))->set_AsKey(parent->Key());
        EXPECT_TRUE(o->Commit());
        return o;
    }
    std::vector<std::string> texts()
    {
        std::vector<std::string> out;
        for (TTreeNode* n : tree->AllNodes())
            out.push_back(std::string(static_cast<std::size_t>(n->Level()) * 2, ' ') + n->Text());
        return out;
    }
    void click(TTreeNode* node)
    {
        ASSERT_TRUE(tree->IsVisible(node));
        auto* view = static_cast<QTreeWidget*>(tree->Handle());
        const TPoint p = tree->NodePoint(node);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(p.X, p.Y));
    }
    TTreeNode* node(const std::string& text)
    {
        for (TTreeNode* n : tree->AllNodes())
            if (n->Text() == text)
                return n;
        return nullptr;
    }

    TQelManualClock clock;
    TQelObjectTreeView* tree = nullptr;
};

} // namespace

TEST_F(ObjectTreeViewTest, ClassModesFilterByCategoryAndMeta)
{
    tree->Reload();
    EXPECT_EQ(texts(), (std::vector<std::string> { "Firmen", "Personen", "  Mitarbeiter", "Suchmaske" }));
    tree->set_Mode(otmDataClasses);
    tree->Reload();
    EXPECT_EQ(texts(), (std::vector<std::string> { "Firmen", "Personen", "  Mitarbeiter" }));
    tree->set_Mode(otmMetaClasses);
    tree->Reload();
    EXPECT_EQ(texts(), (std::vector<std::string> { "Suchmaske" }));
    tree->set_Mode(otmAllClasses);
    tree->set_Kategorie(0);
    tree->set_ObjectTreeViewOptions(TQelObjectTreeViewOptions() << otoShowRoot);
    tree->Reload();
    EXPECT_NE(node("Protokoll"), nullptr);
    EXPECT_EQ(tree->Root(0)->Level(), 0);
    EXPECT_EQ(tree->RootCount(), 1); // the root class holds every other
}

TEST_F(ObjectTreeViewTest, ClickingAClassPointsTheGridAtItAndItsView)
{
    object("Person", "Muster");
    object("Firma", "Acme");
    auto* grid = new TQelSelectGrid(form.get());
    grid->SetName("grid");
    grid->SetParent(form.get());
    grid->SetBounds(210, 0, 380, 380);
    tree->set_SelectGrid(grid);
    tree->set_Mode(otmDataClasses);
    tree->Reload();
    std::string error;
    TQelAnsicht* v = QelAnsichten()->CreateView(db->FindClass("Person")->Key(), "Nur Muster",
        "Person.Name = 'Muster'", TQelAnsichtKey(), {}, false, &error);
    ASSERT_NE(v, nullptr) << error;
    TTreeNode* manual = tree->AddManually(nullptr, db->FindClass("Person")->Key(), v->Key(), "Muster-Filter");
    ASSERT_TRUE(ShowActive(*form));

    click(node("Firmen"));
    EXPECT_EQ(grid->get_ClassType(), db->FindClass("Firma")->Key());
    EXPECT_TRUE(grid->Visible());
    click(manual);
    EXPECT_EQ(grid->get_ClassType(), db->FindClass("Person")->Key());
    EXPECT_EQ(grid->get_BaseFilter(), v->Key());
    click(node("Mitarbeiter"));
    EXPECT_EQ(grid->get_ClassType(), db->FindClass("Mitarbeiter")->Key());
    EXPECT_FALSE(grid->get_BaseFilter().Valid());

    TTreeNode* none = tree->AddManually(nullptr, TQelClassKey(), TQelAnsichtKey(), "Nichts");
    click(none);
    EXPECT_FALSE(grid->Visible());
    delete grid; // the tree forgets it
    click(node("Firmen"));
    EXPECT_EQ(tree->get_SelectGrid(), nullptr);
}

TEST_F(ObjectTreeViewTest, ObjectTreePointsThePanelAtTheChosenObject)
{
    TQelObject* konzern = object("Firma", "Konzern");
    TQelObject* tochter = object("Firma", "Tochter", konzern);
    auto* panel = new TQelPanel(form.get());
    panel->SetName("panel");
    panel->SetParent(form.get());
    panel->SetBounds(210, 0, 380, 100);
    auto* name = new TQelEdit(form.get());
    name->SetName("edName");
    name->SetParent(panel);
    name->SetBounds(10, 10, 200, 24);
    name->set_FieldPath("Name");
    tree->set_Panel(panel);
    tree->set_Mode(otmObjects);
    tree->set_ClassType(db->FindClass("Firma")->Key());
    tree->Reload();
    ASSERT_EQ(tree->RootCount(), 1);
    EXPECT_EQ(tree->Root(0)->Count(), 0); // read when it opens
    ASSERT_TRUE(ShowActive(*form));

    click(tree->Root(0));
    EXPECT_EQ(name->Text(), "Konzern");
    tree->Root(0)->Expand(false);
    ASSERT_EQ(tree->Root(0)->Count(), 1);
    click(tree->Root(0)->Item(0));
    EXPECT_EQ(name->Text(), "Tochter");
    EXPECT_EQ(tree->get_SelectedKey(), tochter->Key());

    // The selection survives a reload.
    tree->Reload();
    EXPECT_EQ(tree->get_SelectedKey(), tochter->Key());
}

TEST_F(ObjectTreeViewTest, FieldTreeCarriesItsPathAndDrawsMarkup)
{
    auto* fl = new TQelFLTreeview(form.get());
    fl->SetParent(form.get());
    fl->set_FieldPath("Adressen");
    EXPECT_EQ(fl->get_FieldPath(), "Adressen");
    TTreeNode* n = fl->AddChild(nullptr, "<B>fett</B> und normal");
    ASSERT_TRUE(ShowActive(*form));
    fl->Handle()->repaint(); // the mark-up is drawn without failing
    EXPECT_EQ(n->Text(), "<B>fett</B> und normal");
}
