// The detail grid: its row lines (headers, field rows, application rows, field-list
// switches), what it binds to, in-place editing into the object with real input, rows that name
// no field, the row functions and the binding walk.
#include "QelObjCntrl.h"
#include "binding/methods.h"
#include "support/qel_db_fixture.h"
#include "support/typing.h"
#include "vectors/qeldetailgrid.h"

#include "toolkit/gridview.h"
#include "toolkit/registry.h"
#include "toolkit/scripteddialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr const char* kSchema = R"(
class 63001 Konto table=DG_Konto
  field IBAN Text length=34
end
class 63002 Anschrift : Gültigkeit table=DG_Anschrift format="<Ort>" noun=Anschrift gender=f plural=Anschriften
  field Ort Text length=40
end
class 63003 Chef : Objekt table=DG_Chef format="<Name>" noun=Chef gender=m plural=Chefs
  field Name Text length=60
end
class 63004 Firma : Objekt table=DG_Firma format="<Name>" noun=Firma gender=f plural=Firmen
  field Name Text length=60 description="Firmenname"
  field Umsatz Betrag
  field Notiz Langtext
  field Leiter Referenz ref=Chef
  subobject Konto Konto
  vector Anschriften Anschrift
end
)";

class DetailGridTest : public QelDbTest {
protected:
    DetailGridTest()
        : QelDbTest(kSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        firm = create("Firma");
        field("Name")->set_AsString("Acme");
        field("Umsatz")->set_AsString("1000");
        grid = add<TQelDetailGrid>(form.get(), "dgFirma");
        grid->SetBounds(10, 10, 400, 300);
    }
    void TearDown() override
    {
        QApplication::processEvents();
        QelDbTest::TearDown();
    }
    TQelField* field(const std::string& path) const { return firm->FieldList()->FindField(path, true); }
    void lines(std::initializer_list<const char*> ls)
    {
        TStringList sl;
        for (const char* l : ls)
            sl.Add(l);
        grid->set_FieldNames(sl);
    }
    std::string cell(int col, int row) const { return grid->GetCellsEx(col, row); }
    std::string log() const
    {
        std::string s;
        for (const auto& entry : db->LogManager()->Entries())
            s += entry.Text + "\n";
        return s;
    }
    static std::size_t count(const std::string& text, const std::string& what)
    {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }

    // Real input on a shown form.
    void show()
    {
        form->Show();
        QWidget* window = form->Handle()->window();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        settle();
    }
    qel::grid::GridView* view() const { return static_cast<qel::grid::GridView*>(grid->Handle()); }
    void click(int col, int row)
    {
        const TRect r = grid->CellRect(col, row);
        const QPoint p = view()->viewport()->mapFrom(
            grid->Handle(), QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, p);
        settle();
    }
    void key(Qt::Key k)
    {
        QTest::keyClick(QApplication::focusWidget(), k);
        settle();
    }
    QLineEdit* editorLine() const
    {
        QWidget* w = grid->InplaceEditorWidget();
        if (!w)
            return nullptr;
        if (auto* line = qobject_cast<QLineEdit*>(w))
            return line;
        return w->findChild<QLineEdit*>();
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    TQelObject* firm = nullptr;
    TQelDetailGrid* grid = nullptr;
    TScopedScriptedDialogs dialogs;
};

} // namespace

TEST_F(DetailGridTest, HeadersFieldRowsApplicationRowsAndSwitches)
{
    field("Konto.IBAN")->set_AsString("DE02120300000000202051");
    std::vector<std::string> asked;
    grid->OnGetValue = TQelDGGetValueEvent([&](TObject*, std::string name, std::string& value) {
        asked.push_back(name);
        value = "offen";
    });
    std::vector<std::string> connected;
    grid->OnConnectField
        = TQelDGConnectFieldEvent([&](TObject*, TQelField* f, std::string caption, std::string group) {
              connected.push_back(f->Name() + "|" + caption + "|" + group);
          });
    lines({ "* Allgemein AS 'Allgemeine Angaben'", "Name", "Umsatz AS Jahresumsatz readonly", "; Kommentar",
        "Status/COMBOLIST(offen,geprüft,erledigt) AS Status", "FIELDPATH Konto", "* Bank", "IBAN",
        "FIELDPATH", "Notiz" });
    EXPECT_EQ(grid->ConnectFL(firm->FieldList(), false), 8) << "1 + seven rows";
    EXPECT_TRUE(grid->Enabled());
    ASSERT_EQ(grid->RowCount(), 7);
    EXPECT_EQ(cell(0, 0), "Allgemeine Angaben");
    EXPECT_TRUE(grid->IsMergedCell(0, 0));
    EXPECT_TRUE(grid->RowInfo(0)->Header);
    EXPECT_EQ(cell(0, 1), "Name");
    EXPECT_EQ(cell(1, 1), "Acme");
    EXPECT_EQ(cell(0, 2), "Jahresumsatz");
    EXPECT_EQ(cell(1, 2), field("Umsatz")->AsString());
    EXPECT_TRUE(grid->RowInfo(2)->ReadOnly);
    // The application row: its key, its editor kind and choices.
    EXPECT_EQ(cell(0, 3), "Status");
    EXPECT_EQ(cell(1, 3), "offen");
    EXPECT_EQ(asked, std::vector<std::string> { "STATUS" });
    EXPECT_EQ(grid->RowInfo(3)->Field(), nullptr);
    EXPECT_EQ(grid->RowInfo(3)->Type, edComboList);
    EXPECT_EQ(grid->RowInfo(3)->Params, "offen,geprüft,erledigt");
    // Rows below the switch read from the sub-object; an empty switch returns to the base list.
    EXPECT_EQ(cell(0, 4), "Bank");
    EXPECT_EQ(cell(1, 5), "DE02120300000000202051");
    EXPECT_EQ(grid->RowInfo(5)->FieldList(), firm->FieldList()->FindFieldList("Konto"));
    EXPECT_EQ(grid->RowInfo(5)->Group, "Bank");
    EXPECT_EQ(grid->RowInfo(6)->Field(), field("Notiz"));
    EXPECT_EQ(grid->RowInfo(6)->FieldList(), nullptr);
    EXPECT_EQ(connected,
        (std::vector<std::string> {
            "Name|Name|Allgemein", "Umsatz|Jahresumsatz|Allgemein", "IBAN|IBAN|Bank", "Notiz|Notiz|Bank" }));
    // Changes from elsewhere reach the cells.
    field("Name")->set_AsString("Acme AG");
    EXPECT_EQ(cell(1, 1), "Acme AG");
    field("Konto.IBAN")->set_AsString("DE1");
    EXPECT_EQ(cell(1, 5), "DE1");
    EXPECT_EQ(grid->FindFieldRow(field("Konto.IBAN")), 5);
    // Disconnecting empties and disables the grid and lets the fields go.
    EXPECT_EQ(grid->Disconnect(), 0);
    EXPECT_FALSE(grid->Enabled());
    EXPECT_EQ(grid->InfoCount(), 0);
    EXPECT_EQ(field("Name")->ControlCount(), 0u);
}

TEST_F(DetailGridTest, ALineNamingNoFieldIsLoggedOnceAndShownEmpty)
{
    db->LogManager()->set_Active(true);
    lines({ "Name", "Nmae AS Tippfehler", "FIELDPATH Kontoo", "Name AS Kontoname" });
    grid->ConnectFL(firm->FieldList(), false);
    EXPECT_EQ(cell(0, 1), "Tippfehler");
    EXPECT_EQ(cell(1, 1), "");
    EXPECT_EQ(grid->RowInfo(1)->Field(), nullptr);
    // A row below a switch that names nothing shows no field of the base list.
    EXPECT_TRUE(grid->RowInfo(2)->ListMissing);
    EXPECT_EQ(cell(1, 0), "Acme");
    EXPECT_EQ(cell(1, 2), "");
    EXPECT_EQ(grid->RowInfo(2)->Field(), nullptr);
    grid->Reconnect();
    grid->ConnectFL(firm->FieldList(), false);
    const std::string text = log();
    EXPECT_EQ(count(text, "Nmae"), 1u) << text;
    EXPECT_EQ(count(text, "Kontoo"), 1u) << text;
}

TEST_F(DetailGridTest, BindsToSubObjectElementAndReferencedObject)
{
    field("Konto.IBAN")->set_AsString("DE9");
    TQelVector* anschriften = firm->FieldList()->VectorByName("Anschriften");
    anschriften->Add()->FieldList()->FieldByName("Ort")->set_AsString("Bonn");
    anschriften->Add()->FieldList()->FieldByName("Ort")->set_AsString("Köln");
    lines({ "IBAN", "Ort", "Name" });

    grid->set_FieldPath("Konto");
    EXPECT_EQ(grid->ConnectFL(firm->FieldList(), false), 4);
    EXPECT_EQ(cell(1, 0), "DE9");
    EXPECT_EQ(cell(1, 1), "");

    grid->set_FieldPath("Anschriften");
    EXPECT_FALSE(grid->Connected()) << "VectorIndex 0 names no element";
    grid->set_VectorIndex(2);
    EXPECT_EQ(cell(1, 1), "Köln");
    // The element moves: the grid shows what is now at its index.
    anschriften->Delete(1);
    EXPECT_FALSE(grid->Connected());
    grid->set_VectorIndex(1);
    EXPECT_EQ(cell(1, 1), "Köln");

    // A reference: the referenced object's fields, none while unset, and it follows a new target.
    grid->set_FieldPath("Leiter");
    EXPECT_FALSE(grid->Connected());
    EXPECT_FALSE(grid->Enabled());
    TQelObject* chef = create("Chef");
    chef->FieldList()->FieldByName("Name")->set_AsString("Dagobert");
    dynamic_cast<TQelRefField*>(field("Leiter"))->set_AsKey(chef->Key());
    EXPECT_TRUE(grid->Connected()) << "the reference was set after connecting";
    EXPECT_EQ(cell(1, 2), "Dagobert");
    EXPECT_EQ(grid->BaseFieldList(), chef->FieldList());
    TQelObject* other = create("Chef");
    other->FieldList()->FieldByName("Name")->set_AsString("Gustav");
    dynamic_cast<TQelRefField*>(field("Leiter"))->set_AsKey(other->Key());
    EXPECT_EQ(cell(1, 2), "Gustav");
}

TEST_F(DetailGridTest, EditingWritesIntoTheObject)
{
    std::vector<std::string> changed;
    grid->OnValueChanged = TQelDGValueChangedEvent(
        [&](TObject*, std::string name, std::string value) { changed.push_back(name + "=" + value); });
    lines({ "Name", "Umsatz READONLY", "Status/COMBOLIST(offen,geprüft,erledigt)", "Leiter", "Notiz" });
    grid->ConnectFL(firm->FieldList(), false);
    show();

    click(1, 0);
    key(Qt::Key_F2);
    QLineEdit* line = editorLine();
    ASSERT_NE(line, nullptr);
    QTest::keyClick(line, Qt::Key_End);
    QTest::keyClicks(line, " GmbH");
    settle();
    EXPECT_EQ(field("Name")->AsString(), "Acme GmbH") << "the editor writes as it goes";
    key(Qt::Key_Return);
    EXPECT_EQ(cell(1, 0), "Acme GmbH");

    // Typing over the cell replaces its text; the first key opens the editor. Passing through
    // the application row reports its value on leaving, changed or not.
    click(1, 2);
    click(1, 0);
    EXPECT_EQ(changed, std::vector<std::string> { "STATUS=" });
    changed.clear();
    ASSERT_FALSE(grid->EditorMode());
    TypeWhereTheFocusIs("Ölwerk AG");
    key(Qt::Key_Return);
    EXPECT_EQ(field("Name")->AsString(), "Ölwerk AG");
    EXPECT_EQ(cell(1, 0), "Ölwerk AG");

    // Read-only, reference and long-text rows open no editor.
    for (int row : { 1, 3, 4 }) {
        click(1, row);
        key(Qt::Key_F2);
        EXPECT_FALSE(grid->EditorMode()) << row;
    }
    EXPECT_TRUE(changed.empty()) << "rows with a field report nothing";

    // The application row edits through a combo limited to its choices; leaving reports it.
    click(1, 2);
    key(Qt::Key_F2);
    ASSERT_TRUE(grid->EditorMode());
    QWidget* editor = grid->InplaceEditorWidget();
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (!combo && editor)
        combo = editor->findChild<QComboBox*>();
    ASSERT_NE(combo, nullptr);
    EXPECT_FALSE(combo->isEditable());
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(1), QStringLiteral("geprüft"));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_TRUE(changed.empty()) << "reported when the row is left";
    click(1, 0);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0], "STATUS=" + cell(1, 2));
    EXPECT_NE(cell(1, 2), "");
    // Leaving again without a change reports the value again.
    click(1, 2);
    click(1, 0);
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[1], changed[0]);

    // Read-only: nothing opens.
    grid->Perform(WM_OC_SETREADONLY, 1, 0);
    click(1, 0);
    key(Qt::Key_F2);
    EXPECT_FALSE(grid->EditorMode());
}

TEST_F(DetailGridTest, GeneratedLinesVisibilityAndCustomRows)
{
    grid->set_GenerateFieldNames(true);
    grid->set_DescAsFieldName(true);
    grid->ConnectFL(firm->FieldList(), false);
    ASSERT_GE(grid->get_FieldNames().Count(), 4);
    EXPECT_EQ(grid->get_FieldNames()[0], "Name AS Firmenname");
    EXPECT_EQ(grid->get_FieldNames()[1], "Umsatz");
    EXPECT_EQ(cell(0, 0), "Firmenname");

    // Hidden rows, unless forced; OnGetVisible may also make a row read-only.
    grid->set_GenerateFieldNames(false);
    grid->OnGetVisible = TQelDGGetVisibleEvent([](TObject*, std::string name, bool& visible, bool& readOnly) {
        visible = name != "UMSATZ" && name != "NOTIZ";
        readOnly = readOnly || name == "NAME";
    });
    TQelObject* chef = create("Chef");
    chef->FieldList()->FieldByName("Name")->set_AsString("Dagobert");
    grid->OnChooseFieldList
        = TQelDGChooseFieldListEvent([&](TObject*, TQelFieldList*, std::string path, TQelFieldList*& fl) {
              fl = path == "Boss" ? chef->FieldList() : nullptr;
          });
    grid->OnChooseField
        = TQelDGChooseFieldEvent([&](TObject*, TQelFieldList* fl, std::string name, TQelField*& f) {
              f = name == "WER" ? fl->FieldByName("Name") : nullptr;
          });
    lines({ "Name", "Umsatz", "Notiz FORCE", "FIELDPATH Boss CUSTOM", "Wer AS Chef custom" });
    EXPECT_TRUE(grid->IsHiddenRow(1));
    EXPECT_FALSE(grid->IsHiddenRow(2));
    EXPECT_TRUE(grid->RowInfo(0)->ReadOnly);
    EXPECT_EQ(cell(0, 3), "Chef");
    EXPECT_EQ(cell(1, 3), "Dagobert");
    chef->FieldList()->FieldByName("Name")->set_AsString("Donald");
    EXPECT_EQ(cell(1, 3), "Donald") << "fields of another object are followed too";

    db->set_Debug(true);
    EXPECT_EQ(grid->RowHint(1).substr(0, 22), "dgi:\n  name ='Umsatz'\n");
    EXPECT_NE(grid->RowHint(1).find("HIDDEN"), std::string::npos);
    EXPECT_NE(grid->RowHint(3).find("Field = '" + chef->FieldList()->FieldByName("Name")->Path() + "'"),
        std::string::npos);
    EXPECT_EQ(grid->RowHint(3).substr(grid->RowHint(3).size() - 10), "NOT HIDDEN");
    EXPECT_EQ(grid->RowHint(42), "Keine Info!");
}

TEST_F(DetailGridTest, RowFunctions)
{
    grid->OnGetValue = TQelDGGetValueEvent([](TObject*, std::string, std::string& value) { value = "x"; });
    lines({ "* Kopf", "Name", "Extra/NUMERIC AS Zusatz", "* Ende", "Umsatz AS Name" });
    grid->ConnectFL(firm->FieldList(), false);
    EXPECT_EQ(grid->IndexOf("name"), 4) << "the last record whose name or caption matches";
    EXPECT_EQ(grid->IndexOf("zusatz"), 2);
    EXPECT_EQ(grid->IndexOf("Extra"), 2);
    EXPECT_EQ(grid->IndexOf("Fehlt"), -1);
    EXPECT_EQ(grid->get_Value("Name"), "Acme");
    EXPECT_EQ(grid->get_Value("Extra"), "x");
    EXPECT_EQ(grid->get_Value("Fehlt"), "");
    grid->set_Value("Extra", "42");
    EXPECT_EQ(cell(1, 2), "42");
    grid->set_Value("Name", "Beta");
    EXPECT_EQ(field("Name")->AsString(), "Beta") << "a field row's value goes into its field";

    // Lines join their section, before the next header; a missing section is added on request.
    EXPECT_EQ(grid->AddFieldInfo("Notiz", "kopf", false), 3);
    EXPECT_EQ(grid->get_FieldNames()[3], "Notiz");
    EXPECT_EQ(cell(0, 3), "Notiz") << "the rows follow their lines";
    EXPECT_EQ(grid->AddFieldInfo("Leiter", "Neu", false), -1);
    const int count = grid->get_FieldNames().Count();
    EXPECT_EQ(grid->AddFieldInfo("Leiter", "Neu", true), count + 1);
    EXPECT_EQ(grid->get_FieldNames()[count], "* Neu");
    EXPECT_EQ(grid->AddSection("Schluss"), count + 2);
    EXPECT_TRUE(grid->Has("Schluss"));
    EXPECT_EQ(grid->AddFieldInfo("Umsatz", "Schluss", false), count + 3);
    // Removing takes the row and its line.
    EXPECT_TRUE(grid->Remove("Zusatz"));
    EXPECT_FALSE(grid->Has("Extra"));
    EXPECT_EQ(grid->get_FieldNames().IndexOf("Extra/NUMERIC AS Zusatz"), -1);
    EXPECT_FALSE(grid->Remove("Zusatz"));
}

TEST_F(DetailGridTest, TheBindingWalkConnectsIt)
{
    lines({ "Name", "Umsatz" });
    EXPECT_EQ(TQelCommonMethods::ConnectSubControls(form.get(), firm->FieldList(), false), 3);
    EXPECT_EQ(cell(1, 0), "Acme");
    EXPECT_EQ(TQelCommonMethods::FieldPath(grid, true), "");
    EXPECT_EQ(grid->Perform(WM_OC_ISDATACONTROL, 0, 0), 1);
    EXPECT_EQ(grid->Perform(WM_OC_LOCATE, 1, QelOIToParam(field("Umsatz"))), 2);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Perform(WM_OC_GETFIELD, 0, 0), QelOIToParam(firm->FieldList()));
    // A rollback brings the stored values back into the cells.
    ASSERT_TRUE(firm->Commit());
    field("Name")->set_AsString("Zeta");
    EXPECT_EQ(cell(1, 0), "Zeta");
    firm->Rollback("");
    EXPECT_EQ(cell(1, 0), "Acme");
    EXPECT_EQ(TQelCommonMethods::DisconnectSubControls(form.get(), false), 0);
    EXPECT_FALSE(grid->Connected());
    QelObjCntrl::Register();
    EXPECT_EQ(PageOfClass("TQelDetailGrid"), "TelvoODB");
}
