// Loading the vector grid: headers, the add row, the mark-up of each cell kind, validity painting,
// line numbers, order maps, reporting unknown columns and following changes made elsewhere.
#include "vgrid_fixture.h"

#include "toolkit/minihtml.h"

TEST_F(VGridTest, HeadersAddRowAndEmptyDefinition)
{
    connect();
    // An empty definition shows every template field, inherited validity fields first.
    ASSERT_GE(grid->DataColumnCount(), 5);
    std::vector<std::string> heads;
    for (int c = 0; c < grid->ColCount(); ++c)
        heads.push_back(grid->Cells(c, 0));
    EXPECT_NE(std::find(heads.begin(), heads.end(), "Ort"), heads.end());
    EXPECT_NE(std::find(heads.begin(), heads.end(), "Standard"), heads.end());
    // Empty vector, editable: header and add row only.
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Cells(0, 1), "<A href=\"\">Weitere Adresse hinzufügen</A>");
    EXPECT_TRUE(grid->IsMergedCell(0, 1));

    addAddress("Bonn");
    addAddress("Köln");
    settle();
    EXPECT_EQ(grid->RowCount(), 4) << "a reported addition reloads";
    EXPECT_EQ(grid->Cells(0, 3), "<A href=\"\">Weitere Adresse hinzufügen</A>");

    grid->set_ReadOnly(true);
    EXPECT_EQ(grid->RowCount(), 3) << "no add row while read-only";
}

TEST_F(VGridTest, ReadOnlyBeforeConnectingHasNoEffect)
{
    grid->set_ReadOnly(true);
    EXPECT_FALSE(grid->get_ReadOnly());
    connect();
    EXPECT_FALSE(grid->get_ReadOnly());
}

TEST_F(VGridTest, MarkupOfEachCellKind)
{
    TQelSubObject* a = addAddress("Bonn");
    TQelSubObject* b = addAddress("<b>Köln</b>");
    TQelObject* firma = create("Firma");
    firma->FieldList()->FieldByName("Name")->set_AsString("ACME & Co");
    TQelObject* verein = create("Verein");
    verein->FieldList()->FieldByName("Name")->set_AsString("TSV");
    auto* refA = dynamic_cast<TQelRefField*>(a->FieldList()->FieldByName("Firma"));
    auto* refB = dynamic_cast<TQelRefField*>(b->FieldList()->FieldByName("Firma"));
    refA->set_AsKey(firma->Key());
    a->FieldList()->FindField("Telefone[0].Nummer", true)->set_AsString("111");
    a->FieldList()->FindField("Telefone[1].Nummer", true)->set_AsString("222");
    b->FieldList()->FieldByName("Notiz")->set_AsString("langer Text");
    columns(
        { "Ort", "Firma AS Arbeitgeber", "Notiz", "Notiz AS Klartext/STRING", "Telefone@Nummer AS Nummern" });
    connect();
    EXPECT_EQ(grid->Cells(1, 0), "Arbeitgeber");
    EXPECT_EQ(grid->Cells(0, 1), "Bonn");
    EXPECT_FALSE(qel::minihtml::Parse(grid->Cells(0, 2)).runs.empty());
    for (const auto& run : qel::minihtml::Parse(grid->Cells(0, 2)).runs)
        EXPECT_EQ(run.style, 0) << "values are never read as mark-up";
    EXPECT_EQ(qel::minihtml::Strip(grid->Cells(0, 2)), "<b>Köln</b>");
    EXPECT_EQ(grid->Cells(1, 1), "<A href=\"\">ACME &amp; Co</A>");
    EXPECT_EQ(grid->Cells(1, 2), "<A href=\"\">nicht gesetzt</A>");
    EXPECT_EQ(grid->Cells(2, 2), "<A href=\"\">Langtext</A>");
    EXPECT_EQ(grid->Cells(3, 2), "langer Text");
    EXPECT_EQ(grid->Cells(4, 1), "111,222");

    refB->set_AsKey(verein->Key());
    settle();
    EXPECT_EQ(grid->Cells(1, 2), "<E>Falscher Objekttyp</E>") << "a touched field re-reads its cell";
    refB->set_AsKey(TQelObjectKey(987654));
    settle();
    EXPECT_EQ(grid->Cells(1, 2), "<E>ungültiger Schlüssel</E>");

    refB->set_Null(true);
    grid->set_ReadOnly(true);
    grid->Reload();
    EXPECT_EQ(grid->Cells(1, 2), "<FONT color=\"clGray\">nicht gesetzt</FONT>");
    EXPECT_EQ(grid->Cells(1, 1), "ACME & Co");
}

TEST_F(VGridTest, StandardBoldAndInactiveStruckOut)
{
    TQelSubObject* a = addAddress("Bonn");
    TQelSubObject* b = addAddress("Köln");
    auto* ga = dynamic_cast<TQelGueltigkeit*>(a);
    auto* gb = dynamic_cast<TQelGueltigkeit*>(b);
    ASSERT_TRUE(ga && gb);
    ga->set_Standard(true);
    columns({ "Ort" });
    connect();
    EXPECT_TRUE(grid->paintFont(0, 1).Style().Contains(fsBold));
    EXPECT_FALSE(grid->paintFont(0, 2).Style().Contains(fsBold));
    EXPECT_FALSE(grid->paintFont(0, 2).Style().Contains(fsStrikeOut));

    gb->Deactivate(-2147483647.0, "");
    settle();
    EXPECT_TRUE(grid->paintFont(0, 2).Style().Contains(fsStrikeOut));
    EXPECT_EQ(grid->paintFont(0, 2).Color(), TColor(0x808080));

    TQelVectorGridOptions o = grid->get_VectorGridOptions();
    o >> voMarkStandard >> voMarkInvalid;
    grid->set_VectorGridOptions(o);
    EXPECT_FALSE(grid->paintFont(0, 1).Style().Contains(fsBold));
    EXPECT_FALSE(grid->paintFont(0, 2).Style().Contains(fsStrikeOut));
}

TEST_F(VGridTest, LineNumbersShiftTheDataColumns)
{
    addAddress("Bonn");
    addAddress("Köln");
    columns({ "Strasse", "Ort" });
    TQelVectorGridOptions o = grid->get_VectorGridOptions();
    o << voLineNumbers;
    grid->set_VectorGridOptions(o);
    connect();
    EXPECT_EQ(grid->FixedCols(), 1);
    EXPECT_EQ(grid->Cells(0, 2), "2");
    EXPECT_EQ(grid->Cells(2, 0), "Ort");
    EXPECT_EQ(grid->Cells(2, 2), "Köln");
    EXPECT_EQ(grid->get_Field(2, 2), addresses()->Item(2)->FieldList()->FieldByName("Ort"))
        << "the last data column resolves its field";
}

TEST_F(VGridTest, OrderMapsRowsAndKeepsElementIndexes)
{
    addAddress("Köln");
    addAddress("Aachen");
    addAddress("Bonn");
    columns({ "Ort" });
    grid->set_Order("Ort");
    connect();
    EXPECT_EQ(grid->Cells(0, 1), "Aachen");
    EXPECT_EQ(grid->Cells(0, 3), "Köln");
    grid->set_VectorIndex(1);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->get_VectorIndex(), 1);
    EXPECT_EQ(grid->RowCount(), 5) << "the add row stays last";
    // Commands that depend on positions do nothing under an order.
    grid->moveup_event();
    grid->insert_item_event();
    EXPECT_EQ(orte(), "Köln,Aachen,Bonn");
}

TEST_F(VGridTest, UnknownColumnsAreReportedAndTheOthersShown)
{
    db->LogManager()->set_Active(true);
    addAddress("Bonn");
    columns({ "Ort", "Ortt AS Tippfehler", "/READONLY", "Strasse" });
    connect();
    EXPECT_EQ(grid->DataColumnCount(), 3);
    EXPECT_EQ(grid->Cells(0, 1), "Bonn");
    EXPECT_EQ(grid->Cells(1, 0), "Tippfehler");
    EXPECT_EQ(grid->Cells(1, 1), "");
    ASSERT_EQ(grid->SpecIssues().size(), 2u);
    EXPECT_EQ(grid->SpecIssues()[0].Line, 3);
    EXPECT_EQ(grid->SpecIssues()[1].Line, 2);
    std::string log;
    for (const auto& entry : db->LogManager()->Entries())
        log += entry.Text + "\n";
    EXPECT_NE(log.find("Zeile 2"), std::string::npos) << log;
    EXPECT_NE(log.find("Zeile 3"), std::string::npos) << log;
}

TEST_F(VGridTest, FollowsChangesFromOtherControls)
{
    addAddress("Bonn");
    addAddress("Köln");
    columns({ "Ort" });
    connect();
    addresses()->Item(2)->FieldList()->FieldByName("Ort")->set_AsString("Kiel");
    settle();
    EXPECT_EQ(grid->Cells(0, 2), "Kiel");
    grid->set_VectorIndex(2);
    addresses()->Delete(1);
    settle();
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Cells(0, grid->Row()), "Kiel") << "the cursor stays on its element";
    addresses()->Exchange(1, 1);
    addresses()->Insert(1)->FieldList()->FieldByName("Ort")->set_AsString("Ulm");
    settle();
    EXPECT_EQ(grid->Cells(0, 1), "Ulm");
    EXPECT_EQ(grid->Cells(0, 2), "Kiel");
}
