#include "binding_fixture.h"

#include "binding/commonlink.h"
#include "toolkit/advstringgrid.h"
#include "toolkit/scripteddialogs.h"

namespace {

// A link whose editor is the test edit.
class TTestEditLink : public TQelCommonLink {
public:
    using TQelCommonLink::TQelCommonLink;
    static inline int created = 0;
    static inline int destroyed = 0;
    void CreateEditor(TWinControl* parent) override
    {
        ++created;
        AttachEditControl(new TTestEdit(OwnerGrid()), parent);
    }
    void DestroyEditor() override
    {
        ++destroyed;
        TQelCommonLink::DestroyEditor();
    }
    std::string GetEditorValue() override { return editControl_ ? editControl_->Text() : std::string(); }
    void SetEditorValue(const std::string& v) override
    {
        if (editControl_)
            editControl_->SetText(v);
    }

protected:
    void BindEditor(TWinControl* editor, TQelFieldList* fl) override
    {
        if (auto* edit = dynamic_cast<TTestEdit*>(editor))
            BindDataLink(edit->link, fl, true);
    }
};

// A grid whose cells (1, r) edit the fields named in column 0 through field-type links.
class TFieldGrid : public TAdvStringGrid {
public:
    TFieldGrid(TComponent* owner, TQelFieldList* fl)
        : TAdvStringGrid(owner)
        , fl_(fl)
    {
    }
    TQelLinkRegistry registry;
    std::vector<std::string> written;

protected:
    void GetEditorType(int col, int row, TEditorType& editor) override
    {
        TQelField* f = fl_->FieldByName(GetCellsEx(0, RealRowIndex(row)));
        editor = col == 1 && f ? TEditorType(TQelCommonMethods::SelectFieldEditor(&registry, this, f, 0))
                               : edNone;
    }
    void SetEditText(int col, int row, const std::string& value) override
    {
        written.push_back(value);
        TAdvStringGrid::SetEditText(col, row, value);
    }

private:
    TQelFieldList* fl_;
};

class EditorTest : public BindingTest {
protected:
    void SetUp() override
    {
        BindingTest::SetUp();
        QelRegisterLinkFactory(TQelLinkKind::Edit, QelLinkFactory<TTestEditLink>());
        auto scripted = std::make_unique<TScriptedDialogs>();
        dialogs = scripted.get();
        previous = SetDialogService(std::move(scripted));
        grid = new TFieldGrid(form.get(), fl());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 400, 200);
    }
    void TearDown() override
    {
        SetDialogService(std::move(previous));
        QelRegisterLinkFactory(TQelLinkKind::Edit, nullptr);
        BindingTest::TearDown();
    }
    void setSetting(const std::string& key, int value)
    {
        db->Computer()->NameWert().WriteInteger(key, value);
    }

    TScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<TDialogService> previous;
    TFieldGrid* grid = nullptr;
};

} // namespace

TEST_F(EditorTest, EditTypeKeys)
{
    TQelVector* addresses = fl()->VectorByName("Adressen");
    TQelSubObject* a = addresses->Add();
    EXPECT_EQ(TQelCommonMethods::EditTypeKey(fl()->FieldByName("Name"), "ignored"), "SETP_30020_Name");
    EXPECT_EQ(TQelCommonMethods::EditTypeKey(a->FieldList()->FieldByName("Ort"), ""), "SETP_30001_Ort");
    EXPECT_EQ(TQelCommonMethods::EditTypeKey(addresses, "Strasse"), "SETP_30001_Strasse");
    EXPECT_EQ(TQelCommonMethods::EditTypeKey(addresses, ""), "SETP_30001");
    EXPECT_EQ(TQelCommonMethods::EditTypeKey(nullptr, "x"), "");
    // long keys are cut to 30 characters, so names alike in their first characters share a setting
    const std::string longKey = TQelCommonMethods::EditTypeKey(addresses, "Hausnummernzusatzfeld_A");
    EXPECT_EQ(longKey, "SETP_30001_Hausnummernzusatzfe");
    EXPECT_EQ(TQelCommonMethods::EditTypeKey(addresses, "Hausnummernzusatzfeld_B"), longKey);
    setSetting(longKey, 4);
    EXPECT_EQ(
        TQelCommonMethods::SelectCellEditor(&grid->registry, grid, addresses, "Hausnummernzusatzfeld_B"),
        edEditBtn);
}

TEST_F(EditorTest, FieldTypeDecidesTheLinkAndLinksAreReused)
{
    TQelField* name = fl()->FieldByName("Name");
    EXPECT_EQ(TQelCommonMethods::SelectFieldEditor(&grid->registry, grid, name, 0), edCustom);
    ASSERT_EQ(grid->registry.Count(), 1);
    TEditLink* link = grid->EditLink();
    EXPECT_NE(dynamic_cast<TTestEditLink*>(link), nullptr);
    EXPECT_EQ(TQelCommonMethods::SelectFieldEditor(&grid->registry, grid, name, 0), edCustom);
    EXPECT_EQ(grid->registry.Count(), 1);
    EXPECT_EQ(grid->EditLink(), link);

    EXPECT_EQ(TQelCommonMethods::SelectFieldEditor(&grid->registry, grid, fl()->FieldByName("Gehalt"), 0),
        edCustom);
    EXPECT_EQ(grid->registry.Count(), 2);
    // a boolean is edited with the combo link
    EXPECT_EQ(
        TQelCommonMethods::SelectFieldEditor(&grid->registry, grid, fl()->FieldByName("Aktiv"), 0), edCustom);
    EXPECT_EQ(grid->registry.Count(), 3);
    EXPECT_EQ(TQelCommonMethods::SelectFieldEditor(nullptr, nullptr, name, 0), edNormal);
}

TEST_F(EditorTest, WorkstationSettingOverridesTheEditor)
{
    TQelField* aktiv = fl()->FieldByName("Aktiv");
    setSetting("SETP_30020_Aktiv", 3);
    EXPECT_EQ(TQelCommonMethods::SelectFieldEditor(&grid->registry, grid, aktiv, 0), edComboList);
    EXPECT_EQ(grid->ComboItems(), aktiv->GetDomain());
    EXPECT_EQ(grid->registry.Count(), 0);
    setSetting("SETP_30020_Aktiv", 1);
    EXPECT_EQ(TQelCommonMethods::SelectFieldEditor(&grid->registry, grid, aktiv, 0), edNormal);
    setSetting("SETP_30020_Aktiv", 4);
    EXPECT_EQ(TQelCommonMethods::SelectFieldEditor(&grid->registry, grid, aktiv, 0), edEditBtn);
    EXPECT_EQ(grid->EditButtonCaption(), "...");
    setSetting("SETP_30020_Aktiv", 9);
    EXPECT_EQ(TQelCommonMethods::SelectFieldEditor(&grid->registry, grid, aktiv, 0), edNone);
}

TEST_F(EditorTest, ChangeEditTypeAsksStoresAndRemoves)
{
    TQelField* name = fl()->FieldByName("Name");
    dialogs->AnswerInput("2");
    TQelCommonMethods::ChangeEditType(grid, name, "");
    const auto& q = dialogs->LastQuestion();
    EXPECT_EQ(q.caption, "Edit-Type ändern");
    EXPECT_EQ(q.text,
        "Custom.....0\nEditbox....1\nComboEdit..2\nComboList..3\nPopup........4\n\n"
        "Aktueller Edit-Type: 0\nNeuer Edit-Type:");
    EXPECT_EQ(q.value, "0");
    EXPECT_EQ(TQelCommonMethods::EditTypeSetting("SETP_30020_Name"), 2);
    EXPECT_FALSE(db->Computer()->Touched()); // stored at once

    dialogs->AnswerInput("x"); // not a number: reads as 0 and removes the setting
    TQelCommonMethods::ChangeEditType(grid, name, "");
    EXPECT_NE(dialogs->LastQuestion().text.find("Aktueller Edit-Type: 2\n"), std::string::npos);
    EXPECT_FALSE(db->Computer()->NameWert().Has("SETP_30020_Name"));

    dialogs->AnswerInput("-1");
    TQelCommonMethods::ChangeEditType(grid, name, "");
    EXPECT_EQ(TQelCommonMethods::EditTypeSetting("SETP_30020_Name"), 0);
    dialogs->CancelInput();
    TQelCommonMethods::ChangeEditType(grid, name, "");
    EXPECT_EQ(dialogs->PendingAnswers(), 0u);
}

TEST_F(EditorTest, LinkEditorIsBoundByNameAndLivesWhileTheCellIsEdited)
{
    grid->SetColCount(2);
    grid->SetRowCount(3);
    grid->SetFixedRows(1);
    grid->SetOptions(grid->Options() + TGridOptions { goEditing });
    grid->SetCellsEx(0, 1, "Name");
    grid->SetCellsEx(0, 2, "Kinder");
    fl()->FieldByName("Name")->set_AsString("Lehmann");
    ASSERT_TRUE(ShowActive(*form));

    TTestEditLink::created = TTestEditLink::destroyed = 0;
    grid->FocusCell(1, 1);
    grid->SetEditorMode(true);
    ASSERT_EQ(TTestEditLink::created, 1);
    auto* link = dynamic_cast<TTestEditLink*>(grid->EditLink());
    ASSERT_NE(link, nullptr);
    auto* editor = dynamic_cast<TTestEdit*>(link->GetEditControl());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->get_FieldPath(), "Name");
    EXPECT_EQ(editor->link.Field(), fl()->FieldByName("Name"));
    EXPECT_EQ(editor->Parent(), grid);

    editor->SetText("Krause");
    grid->SetEditorMode(false);
    EXPECT_EQ(TTestEditLink::destroyed, 1);
    EXPECT_EQ(link->GetEditControl(), nullptr);
    ASSERT_FALSE(grid->written.empty());
    EXPECT_EQ(grid->written.back(), "Krause");

    grid->SetEditorMode(true); // the same link again, with a new editor
    EXPECT_EQ(TTestEditLink::created, 2);
    EXPECT_EQ(grid->registry.Count(), 1);
}

TEST_F(EditorTest, VectorCellEditorGetsVectorNameAndSpec)
{
    TQelVector* addresses = fl()->VectorByName("Adressen");
    EXPECT_EQ(TQelCommonMethods::SelectCellEditor(&grid->registry, grid, addresses, "Ort"), edCustom);
    auto* link = dynamic_cast<TTestEditLink*>(grid->EditLink());
    ASSERT_NE(link, nullptr);
    auto* editor = new TTestEdit(form.get());
    link->BindEditControl(editor);
    EXPECT_EQ(editor->get_FieldPath(), "Adressen");
    EXPECT_EQ(editor->get_FieldProp(), "Ort");
    EXPECT_EQ(editor->link.Vector(), addresses);

    // the path-keyed variant keys by the hash of the path: the same path finds the same link
    EXPECT_EQ(TQelCommonMethods::SelectPathEditor(&grid->registry, grid, addresses, "Strasse"), edCustom);
    TEditLink* byPath = grid->EditLink();
    EXPECT_EQ(TQelCommonMethods::SelectPathEditor(&grid->registry, grid, addresses, "Strasse"), edCustom);
    EXPECT_EQ(grid->EditLink(), byPath);
    EXPECT_EQ(grid->registry.Count(), 2);
}

TEST_F(EditorTest, LinkOfAVanishedCellIsNotReused)
{
    TQelSubObject* a = fl()->VectorByName("Adressen")->Add();
    TQelField* ort = a->FieldList()->FieldByName("Ort");
    ASSERT_EQ(TQelCommonMethods::SelectFieldEditor(&grid->registry, grid, ort, 0), edCustom);
    fl()->VectorByName("Adressen")->Delete(1);
    // a key equal to the vanished interface's address must not hand out its link
    EXPECT_EQ(grid->registry.Count(), 1);
    TQelSubObject* b = fl()->VectorByName("Adressen")->Add();
    TQelField* ort2 = b->FieldList()->FieldByName("Ort");
    EXPECT_EQ(TQelCommonMethods::SelectFieldEditor(&grid->registry, grid, ort2, 0), edCustom);
    auto* link = dynamic_cast<TQelCommonLink*>(grid->EditLink());
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->OI(), ort2);
}

TEST(PathHash, KnownValuesAndCaseAndNonAscii)
{
    EXPECT_EQ(TQelCommonMethods::PathHash(""), 0);
    EXPECT_EQ(TQelCommonMethods::PathHash("ab"), 168);
    EXPECT_EQ(TQelCommonMethods::PathHash("AB"), 168);
    EXPECT_EQ(TQelCommonMethods::PathHash("aé"), 4242); // negative k
    EXPECT_EQ(TQelCommonMethods::PathHash("Person#1.Adressen.Straße"),
        TQelCommonMethods::PathHash("PERSON#1.ADRESSEN.STRAßE"));
    for (const char* s : { "€", "ÿ…ß", "\xF0\x9F\x98\x80 emoji", "ÄÖÜ.äöü" })
        (void)TQelCommonMethods::PathHash(s); // any input lands in the prime table
}

TEST(GridSelection, ProgressWrapsWithinTheNonFixedArea)
{
    TForm form(nullptr);
    auto* g = new TAdvStringGrid(&form);
    g->SetParent(&form);
    g->SetColCount(4);
    g->SetRowCount(4);
    g->SetFixedCols(1);
    g->SetFixedRows(1);
    g->FocusCell(3, 1);
    EXPECT_TRUE(TQelCommonMethods::ProgressGridSelection(g, 1, 0, true));
    EXPECT_EQ(g->Col(), 1);
    EXPECT_EQ(g->Row(), 2);
    g->SetEditorMode(false);
    TQelCommonMethods::ProgressGridSelection(g, -1, 0, true);
    EXPECT_EQ(g->Col(), 3);
    EXPECT_EQ(g->Row(), 1);
    g->SetEditorMode(false);
    g->FocusCell(1, 1);
    TQelCommonMethods::ProgressGridSelection(g, -1, 0, true); // backwards from the first cell: the last
    EXPECT_EQ(g->Col(), 3);
    EXPECT_EQ(g->Row(), 3);
    g->SetEditorMode(false);
    TQelCommonMethods::ProgressGridSelection(g, -3, 0, true);
    EXPECT_EQ(g->Col(), 3);
    EXPECT_EQ(g->Row(), 2);
    g->SetEditorMode(false);
    TQelCommonMethods::ProgressGridSelection(g, 0, 1, false);
    EXPECT_EQ(g->Row(), 3);
    g->SetEditorMode(false);
    EXPECT_FALSE(TQelCommonMethods::ProgressGridSelection(nullptr, 1, 1, true));
}
