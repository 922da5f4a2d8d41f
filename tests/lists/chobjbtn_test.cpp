// The choose-object button (class by name or key, the click hands the key to the application)
// and the column-definition form (OK takes the edited lines, cancel keeps them).
#include "lists/chobjbtn.h"
#include "lists/frmEditColDefs.h"
#include "support/modal_scope.h"
#include "support/qel_db_fixture.h"

#include <QPushButton>
#include <QTest>

namespace {

constexpr const char* kSchema = R"(
class 50020 Person : Objekt table=Person format="<Name>" noun=Person gender=f plural=Personen
  field Name Text length=60
end
class 50030 Firma : Objekt table=Firma format="<Name>" noun=Firma gender=f plural=Firmen
  field Name Text length=60
end
)";

class ChooseObjectBtnTest : public QelDbTest {
protected:
    ChooseObjectBtnTest()
        : QelDbTest(kSchema)
    {
    }
    TQelClassKey key(const char* name) { return db->FindClass(name)->Key(); }
};

} // namespace

TEST_F(ChooseObjectBtnTest, NameSetBeforeTheDatabaseResolvesWhenTheKeyIsRead)
{
    SetQelDatabase(nullptr);
    TChooseObjectBtn b(nullptr);
    b.set_ClassName("Firma");
    EXPECT_EQ(b.get_ClassName(), "Firma");
    SetQelDatabase(db.get());
    EXPECT_EQ(b.get_ClassType(), key("Firma"));
    EXPECT_EQ(b.get_ClassName(), "Firma"); // now from the class itself

    b.set_ClassName("Person"); // with the database: looked up at once
    EXPECT_EQ(b.get_ClassType(), key("Person"));
    b.set_ClassName("Gibtsnicht");
    EXPECT_FALSE(b.get_ClassType().Valid());
    EXPECT_EQ(b.get_ClassName(), "Gibtsnicht"); // kept, not lost
}

TEST_F(ChooseObjectBtnTest, SameKeyKeepsAStoredNameAnotherClearsIt)
{
    SetQelDatabase(nullptr);
    TChooseObjectBtn b(nullptr);
    b.set_ClassName("Firma");
    b.set_ClassType(TQelClassKey()); // the same key (none yet): the name stays
    SetQelDatabase(db.get());
    EXPECT_EQ(b.get_ClassType(), key("Firma"));

    SetQelDatabase(nullptr);
    b.set_ClassName("Firma");
    b.set_ClassType(key("Person"));
    SetQelDatabase(db.get());
    EXPECT_EQ(b.get_ClassType(), key("Person"));
    EXPECT_EQ(b.get_ClassName(), "Person");
}

TEST_F(ChooseObjectBtnTest, ClickHandsConditionClassAndKeyToTheHandler)
{
    auto* b = add<TChooseObjectBtn>(form.get(), "btn");
    b->set_ClassName("Person");
    b->set_SearchCondition("Person.Name LIKE 'M%'");
    b->SetBounds(10, 10, 80, 25);
    auto* btn = qobject_cast<QPushButton*>(b->Handle());
    ASSERT_NE(btn, nullptr);
    form->Show();
    QTest::mouseClick(btn, Qt::LeftButton); // no handler: nothing happens
    EXPECT_FALSE(b->get_ObjectKey().Valid());

    std::string cond;
    TQelClassKey cls;
    b->OnChoose = [&](TObject* sender, const std::string& c, TQelClassKey k, TQelObjectKey& obj) {
        EXPECT_EQ(sender, b);
        cond = c;
        cls = k;
        obj = TQelObjectKey(42 + obj.Id());
    };
    QTest::mouseClick(btn, Qt::LeftButton);
    EXPECT_EQ(cond, "Person.Name LIKE 'M%'");
    EXPECT_EQ(cls, key("Person"));
    EXPECT_EQ(b->get_ObjectKey(), TQelObjectKey(42));
    QTest::mouseClick(btn, Qt::LeftButton); // the last key goes in again
    EXPECT_EQ(b->get_ObjectKey(), TQelObjectKey(84));
    EXPECT_EQ(b->GetPropValue("SearchCondition").AsString(), "Person.Name LIKE 'M%'");
}

TEST(EditColDefsFormTest, LayoutAndOkTakesTheTypedLines)
{
    TQelEditColDefsForm f(nullptr);
    EXPECT_EQ(f.Caption(), "Spaltendefinitionen bearbeiten");
    EXPECT_EQ(f.ClientWidth(), 643);
    EXPECT_EQ(f.ClientHeight(), 315);
    EXPECT_EQ(f.pnBottom->Height(), 41);
    EXPECT_EQ(f.Button1->Caption(), "OK");
    EXPECT_EQ(f.Button2->Caption(), "Abbrechen");
    EXPECT_EQ(f.Button2->Left(), 560);

    std::string lines = "Name\nOrt\n";
    {
        ModalScope drive([](TCustomForm* form) {
            auto* m = static_cast<TQelEditColDefsForm*>(form);
            QTest::keyClicks(m->mmLines->Handle(), "Plz");
            QTest::mouseClick(qobject_cast<QPushButton*>(m->Button1->Handle()), Qt::LeftButton);
        });
        EXPECT_TRUE(TQelEditColDefsForm::Execute(lines));
    }
    EXPECT_NE(lines.find("Plz"), std::string::npos);
    EXPECT_NE(lines.find("Name"), std::string::npos);

    const std::string kept = lines;
    {
        ModalScope drive([](TCustomForm* form) {
            auto* m = static_cast<TQelEditColDefsForm*>(form);
            m->mmLines->SetText("alles weg");
            QTest::mouseClick(qobject_cast<QPushButton*>(m->Button2->Handle()), Qt::LeftButton);
        });
        EXPECT_FALSE(TQelEditColDefsForm::Execute(lines));
    }
    EXPECT_EQ(lines, kept);
}
