// The data multi-edit with real keys: values read from a reference field or a vector, chosen
// keys written back, outside changes read again, and lookups over the referenced class that
// search typed text literally and offer nothing when too many objects match.
#include "pickers/QelDataMultiEdit.h"
#include "support/qel_db_fixture.h"
#include "toolkit/tk_test_util.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace {

constexpr const char* kSchema = R"(
class 50120 Sprache : Objekt table=Sprache format="<Name>" noun=Sprache gender=f plural=Sprachen
  field Name Text length=60
  field Aktiv Boolesch
end
class 50121 Kenntnis table=Kenntnis format="<Stufe>"
  field Stufe Text length=10
  field Sprache Referenz ref=Sprache
end
class 50130 Person : Objekt table=Person format="<Name>"
  field Name Text length=60
  field Muttersprache Referenz ref=Sprache
  vector Kenntnisse Kenntnis max=3
end
)";

class DataMultiEditTest : public QelDbTest {
protected:
    DataMultiEditTest()
        : QelDbTest(kSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        for (const char* n : { "Deutsch", "Dänisch", "Englisch", "O'Brien%_", "Ob_en" })
            keys.push_back(language(n));
        person = create("Person");
        person->FieldByName("Name")->set_AsString("Muster");
        me = add<TQelDataMultiEdit>(form.get(), "dme");
        me->SetBounds(10, 40, 400, 24);
        me->setLookupPause(30);
        after = add<TEdit>(form.get(), "after");
    }
    TQelObjectKey language(const std::string& n, bool aktiv = true)
    {
        TQelObject* o = create("Sprache");
        o->FieldByName("Name")->set_AsString(n);
        o->FieldByName("Aktiv")->set_AsBool(aktiv);
        EXPECT_TRUE(o->Commit());
        return o->Key();
    }
    void connect(const std::string& path)
    {
        me->set_FieldPath(path);
        ASSERT_EQ(me->ConnectFL(person->FieldList(), false), 1);
    }
    TQelVector* kenntnisse() const { return person->FieldList()->VectorByName("Kenntnisse"); }
    TQelObjectKey element(int i) const
    {
        return static_cast<TQelRefField*>(kenntnisse()->FieldList(i)->FieldByName("Sprache"))->AsKey();
    }
    TQelRefField* mutter() const { return static_cast<TQelRefField*>(person->FieldByName("Muttersprache")); }
    QLineEdit* line(int i) { return qobject_cast<QLineEdit*>(me->getEditor(i)->Handle()); }
    void focus(int i)
    {
        ASSERT_TRUE(ShowActive(*form));
        line(i)->setFocus();
        QApplication::processEvents();
    }
    void type(int editor, const char* text) { QTest::keyClicks(line(editor), QString::fromUtf8(text)); }
    void key(int editor, Qt::Key k) { QTest::keyClick(line(editor), k); }
    void waitPause() { QTest::qWait(90); }
    std::vector<std::string> rows() { return me->get_ListBox()->Items().ToVector(); }
    std::vector<std::string> values()
    {
        std::vector<std::string> out;
        for (int i = 0; i < me->getValues()->Count(); ++i)
            if (!me->getValues()->Get(i).empty())
                out.push_back(me->getValues()->Get(i));
        return out;
    }

    std::vector<TQelObjectKey> keys;
    TQelObject* person = nullptr;
    TQelDataMultiEdit* me = nullptr;
    TEdit* after = nullptr;
};

} // namespace

TEST_F(DataMultiEditTest, SingleFieldTakesOneValueAndRemovingItClearsTheKey)
{
    mutter()->set_AsKey(keys[1]);
    connect("Muttersprache");
    EXPECT_EQ(me->get_MaxValues(), 1);
    EXPECT_EQ(values(), std::vector<std::string>({ "Dänisch" }));
    EXPECT_EQ(me->get_SelectedKeys(0), keys[1]);
    EXPECT_EQ(me->getEditorsCount(), 1); // no second editor for a single field

    // Typing unties the value: the field no longer refers to the old object.
    focus(0);
    line(0)->end(false);
    QTest::keyClick(line(0), Qt::Key_Backspace);
    EXPECT_FALSE(mutter()->AsKey().Valid());
    // Clearing the text and picking another by lookup writes its key.
    line(0)->selectAll();
    type(0, "en");
    waitPause();
    key(0, Qt::Key_Return);
    EXPECT_EQ(mutter()->AsKey(), keys[2]);
    EXPECT_EQ(values(), std::vector<std::string>({ "Englisch" }));
}

TEST_F(DataMultiEditTest, VectorElementsTakeTheKeysInOrderAndSurplusElementsGo)
{
    connect("Kenntnisse/Sprache");
    EXPECT_EQ(me->get_MaxValues(), 0);
    focus(0);
    type(0, "eng");
    waitPause();
    key(0, Qt::Key_Return);
    type(1, "deu;");
    ASSERT_EQ(kenntnisse()->Count(), 2);
    EXPECT_EQ(element(1), keys[2]);
    EXPECT_EQ(element(2), keys[0]);

    // Free text beside tied values is not written while null references are not allowed.
    type(2, "Klingonisch");
    EXPECT_EQ(kenntnisse()->Count(), 2);
    me->set_NullRefsAllowed(true);
    type(2, "x");
    ASSERT_EQ(kenntnisse()->Count(), 3);
    EXPECT_FALSE(element(3).Valid());

    // Removing the first value moves the others up and drops the surplus element.
    TStringList v;
    v.AddObject("Deutsch", me->KeyItem(keys[0]));
    me->setValues(&v);
    ASSERT_EQ(kenntnisse()->Count(), 1);
    EXPECT_EQ(element(1), keys[0]);
}

TEST_F(DataMultiEditTest, AsksForItsBindingAnswerTheVectorOrTheField)
{
    connect("Kenntnisse/Sprache");
    EXPECT_EQ(me->Perform(WM_OC_GETFIELD, 0, 0), QelOIToParam(kenntnisse()));
    me->Disconnect();
    connect("Muttersprache");
    EXPECT_EQ(me->Perform(WM_OC_GETFIELD, 0, 0), QelOIToParam(mutter()));
}

TEST_F(DataMultiEditTest, OutsideChangesAreReadAgain)
{
    connect("Kenntnisse");
    EXPECT_TRUE(values().empty());
    auto* e = kenntnisse()->Add();
    static_cast<TQelRefField*>(e->FieldList()->FieldByName("Sprache"))->set_AsKey(keys[3]);
    EXPECT_EQ(values(), std::vector<std::string>({ "O'Brien%_" }));
    kenntnisse()->Delete(1);
    EXPECT_TRUE(values().empty());

    me->AddKey(keys[1]);
    me->AddKey(keys[1]); // once only
    ASSERT_EQ(kenntnisse()->Count(), 1);
    EXPECT_EQ(element(1), keys[1]);
    person->Rollback();
    EXPECT_TRUE(values().empty());
}

TEST_F(DataMultiEditTest, LookupSearchesTypedTextLiterally)
{
    connect("Kenntnisse");
    // '%' and '_' are no wildcards, quotes do not end the literal.
    EXPECT_TRUE(me->Lookup("O'Brien%"));
    EXPECT_EQ(me->get_Results()->ToVector(), std::vector<std::string>({ "O'Brien%_" }));
    EXPECT_TRUE(me->Lookup("ob_"));
    EXPECT_EQ(me->get_Results()->ToVector(), std::vector<std::string>({ "Ob_en" }));
    EXPECT_FALSE(me->Lookup("o%"));
    for (const char* hostile : { "'; DROP TABLE Sprache; --", "\\", "' OR '1'='1", "%_%", "\xC3\x84\x00x" }) {
        EXPECT_FALSE(me->Lookup(hostile)) << hostile;
        EXPECT_TRUE(db->LogManager()->EntriesOf(QEL_LOG_ERROR).empty()) << hostile;
    }
    EXPECT_TRUE(me->Lookup("d")); // the table is still there
    EXPECT_EQ(me->get_Results()->Count(), 2);
}

TEST_F(DataMultiEditTest, TooManyMatchesOfferNoEntries)
{
    connect("Kenntnisse");
    me->set_LookupMaxItems(1);
    me->set_SuchEintrag(false);
    me->set_NeuEintrag(false);
    EXPECT_FALSE(me->Lookup("d"));
    EXPECT_EQ(rows(), std::vector<std::string>({ TQelMultiEdit::KeineEintraegeText }));
    EXPECT_TRUE(me->Lookup("de"));
    EXPECT_EQ(rows(), std::vector<std::string>({ "Deutsch" }));
}

TEST_F(DataMultiEditTest, RestrictionListsOnEnterWithoutTyping)
{
    language("Latein", false);
    me->set_SQLRestriction("Sprache.Aktiv = 0");
    connect("Kenntnisse");
    focus(0);
    waitPause();
    me->set_LookupMinLength(1);
    EXPECT_TRUE(me->Lookup(""));
    EXPECT_EQ(me->get_Results()->ToVector(), std::vector<std::string>({ "Latein" }));

    // An application statement: its second column names the objects.
    me->set_SQLRestriction("");
    me->set_SQLSelect("SELECT K, Sprache.Name FROM Sprache WHERE Sprache.Aktiv = 1");
    EXPECT_TRUE(me->Lookup("eng"));
    EXPECT_EQ(me->get_Results()->ToVector(), std::vector<std::string>({ "Englisch" }));
}

TEST_F(DataMultiEditTest, ReadOnlyHidesTheButtonAndTheList)
{
    connect("Kenntnisse");
    me->set_ReadOnly(true);
    EXPECT_TRUE(me->getEditor(0)->ReadOnly());
    focus(0);
    me->Lookup("d");
    EXPECT_FALSE(me->get_DroppedDown());
    me->set_ReadOnly(false);
    EXPECT_FALSE(me->getEditor(0)->ReadOnly());
}
