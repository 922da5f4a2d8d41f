// The documents of a vector: which vectors it binds, new documents as new elements assigned to
// the object and stored with it, refused elements, deleting, moving, the panel on the current
// element and changes of the vector made elsewhere.
#include "controls/QelEdit.h"
#include "controls/QelPanel.h"
#include "documents/qeldocvecview.h"
#include "documents_fixture.h"

#include <QLineEdit>
#include <QTest>

namespace {

class DocVecTest : public DocsTest {
protected:
    void SetUp() override
    {
        DocsTest::SetUp();
        vv = new TQelDocVecView(form.get());
        vv->SetParent(form.get());
        vv->SetBounds(10, 270, 400, 200);
        vv->set_FieldPath("Anlagen");
        vv->ConnectFL(akte->FieldList(), false);
        ASSERT_TRUE(vv->Connected());
    }
    TListItem* add(const std::string& name, const std::string& data = "x")
    {
        TListItem* item = nullptr;
        EXPECT_TRUE(vv->import_document(file(name, data), &item)) << name;
        return item;
    }
    TQelVector* anlagen() const { return akte->FieldList()->VectorByName("Anlagen"); }
    TQelDokument* docOf(int index) const
    {
        auto* ref = dynamic_cast<TQelRefField*>(anlagen()->FieldList(index)->FieldByName("Datei"));
        return QelAsDokument(ref->get_AsObject());
    }
    std::vector<std::string> captions() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < vv->Count(); ++i)
            out.push_back(vv->Item(i)->Caption());
        return out;
    }
    void popupAndClick(const char* caption)
    {
        TPopupMenu* menu = vv->Menu();
        menu->OnPopup(menu);
        TMenuItem* item = menu->Items()->Find(caption);
        ASSERT_NE(item, nullptr) << caption;
        if (item->Enabled())
            item->Click();
    }

    TQelDocVecView* vv = nullptr;
};

TEST_F(DocVecTest, BindsOnlyVectorsWhoseElementsReferToDocuments)
{
    EXPECT_EQ(vv->RefDefinition()->Name(), "Datei"); // the first reference to a document class
    struct Case {
        const char* path;
        const char* fieldName;
        bool connects;
        const char* refName;
    } cases[] = {
        { "Anlagen", "Vertrag", true, "Vertrag" }, // a derived document class
        { "Anlagen", "Beschreibung", false, "" }, // a text
        { "Anlagen", "Fehlt", false, "" },
        { "Notizen", "", false, "" }, // refers to files, not documents
        { "Name", "", false, "" }, // no vector
        { "Gibtsnicht", "", false, "" },
    };
    for (const Case& c : cases) {
        vv->set_FieldPath(c.path);
        vv->set_FieldName(c.fieldName);
        vv->ConnectFL(akte->FieldList(), false);
        EXPECT_EQ(vv->Connected(), c.connects) << c.path << " " << c.fieldName;
        EXPECT_EQ(vv->Vector() != nullptr, c.connects) << c.path;
        EXPECT_EQ(vv->Enabled(), c.connects) << c.path;
        if (c.connects) {
            EXPECT_EQ(vv->RefDefinition()->Name(), c.refName);
        }
    }
    vv->set_FieldPath("Anlagen");
    vv->set_FieldName("");
    vv->ConnectFL(akte->FieldList(), false);
    EXPECT_TRUE(vv->Connected());
    EXPECT_EQ(vv->Perform(WM_OC_GETFIELD, 0, 0), QelOIToParam(anlagen()));
}

TEST_F(DocVecTest, NewDocumentsBecomeElementsAndAreStoredWithTheObject)
{
    vv->DefaultArt = "Anlage";
    vv->DefaultKategorie = "Verträge";
    TQelDokument* fromEvent = nullptr;
    vv->OnInitSubObject = [&](TObject*, TQelDokument* d, TQelSubObject* e) {
        fromEvent = d;
        e->FieldList()->FieldByName("Beschreibung")->set_AsString("vom Ereignis");
    };
    const std::string big = randomBytes(2 * 1024 * 1024 + 3);
    add("Vertrag.pdf", big);
    add("Brief.txt", "Hallo");
    ASSERT_EQ(anlagen()->Count(), 2);
    EXPECT_EQ(captions(), (std::vector<std::string> { "Vertrag", "Brief" }));
    TQelDokument* d = docOf(1);
    EXPECT_EQ(d, vv->get_doc(vv->Item(0)));
    EXPECT_EQ(fromEvent, docOf(2));
    EXPECT_EQ(anlagen()->FieldList(1)->FieldByName("Beschreibung")->AsString(), "vom Ereignis");
    const TQelZuordnung z = d->FindZuordnung(akte->Key());
    ASSERT_TRUE(z);
    EXPECT_EQ(z.Art(), "Anlage");
    EXPECT_EQ(z.Kategorie(), "Verträge");
    EXPECT_TRUE(d->IsNew());

    // One commit of the object stores the elements and their documents.
    ASSERT_TRUE(akte->Commit()) << akte->ErrorMessage();
    EXPECT_FALSE(d->IsNew());
    EXPECT_FALSE(docOf(2)->IsNew());
    const TQelObjectKey key = akte->Key(), docKey = d->Key();
    db->FreeObject(akte);
    db->FreeObject(d);
    EXPECT_FALSE(vv->Connected()); // its vector went with the object
    EXPECT_EQ(vv->Count(), 0);
    akte = db->GetObjectA(key);
    vv->ConnectFL(akte->FieldList(), false);
    ASSERT_EQ(vv->Count(), 2);
    EXPECT_EQ(vv->get_doc(vv->Item(0))->Key(), docKey);
    EXPECT_TRUE(vv->get_doc(vv->Item(0))->Blob()->BufferAsString() == big);
    lv->Connect(akte, false);
    lv->set_Category("Verträge");
    EXPECT_EQ(lv->Count(), 2); // assigned as well
}

TEST_F(DocVecTest, AnElementTheDocumentDoesNotFitIsNotKept)
{
    vv->set_FieldName("Vertrag");
    vv->ConnectFL(akte->FieldList(), false);
    TListItem* row = nullptr;
    EXPECT_FALSE(vv->import_document(file("brief.txt", "x"), &row)); // a plain document, no contract
    EXPECT_EQ(row, nullptr);
    EXPECT_EQ(anlagen()->Count(), 0);
    EXPECT_EQ(vv->Count(), 0);
    EXPECT_TRUE(db->NewObjects().empty());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(
        messages()[0].rfind("Fehler in TQelDocVecView::add_doc():\n\nFeld 'Vertrag': Falscher Objekttyp", 0),
        0u)
        << messages()[0];

    vv->DocumentType = "Vertrag";
    ASSERT_NE(add("vertrag.txt"), nullptr);
    EXPECT_EQ(anlagen()->Count(), 1);
    EXPECT_EQ(docOf(1), nullptr); // "Datei" stays empty: the view fills its own field
    EXPECT_EQ(vv->get_doc(vv->Item(0))->Klasse()->Name(), "Vertrag");
}

TEST_F(DocVecTest, DeletingRemovesTheElementAndTheAssignment)
{
    for (const char* n : { "a.txt", "b.txt", "c.txt" })
        add(n);
    ASSERT_TRUE(akte->Commit());
    TQelDokument* b = docOf(2);
    add("neu.txt");
    TQelDokument* fresh = docOf(4);
    const TQelObjectKey freshKey = fresh->Key();

    vv->ClearSelection();
    vv->Item(1)->SetSelected(true);
    vv->Item(3)->SetSelected(true);
    dialogs->AnswerBox(IDYES);
    vv->cmd_delete();
    EXPECT_EQ(captions(), (std::vector<std::string> { "a", "c" }));
    EXPECT_EQ(anlagen()->Count(), 2);
    EXPECT_EQ(db->CachedObject(freshKey), nullptr); // a new document no one keeps goes
    EXPECT_FALSE(b->FindZuordnung(akte->Key()));
    ASSERT_TRUE(akte->Commit());
    EXPECT_FALSE(b->Touched()); // stored with the object
    EXPECT_EQ(TQelDokument::GetZuordnungen(db.get(), akte->Key()).size(), 2u);
    EXPECT_TRUE(db->NewObjects().empty());
}

TEST_F(DocVecTest, MovingStaysInsideTheVectorAndTheSelectionFollows)
{
    for (const char* n : { "a.txt", "b.txt", "c.txt" })
        add(n);
    vv->set_VectorIndex(1);
    popupAndClick("nach oben");
    EXPECT_FALSE(vv->Menu()->Items()->Find("nach oben")->Enabled());
    EXPECT_TRUE(vv->Menu()->Items()->Find("nach unten")->Enabled());
    EXPECT_EQ(captions(), (std::vector<std::string> { "a", "b", "c" }));
    popupAndClick("nach unten");
    EXPECT_EQ(captions(), (std::vector<std::string> { "b", "a", "c" }));
    EXPECT_EQ(vv->get_VectorIndex(), 2);
    EXPECT_EQ(docOf(2)->DocName(), "a");
    popupAndClick("nach unten");
    EXPECT_EQ(vv->get_VectorIndex(), 3);
    popupAndClick("nach unten"); // the last stays last
    EXPECT_FALSE(vv->Menu()->Items()->Find("nach unten")->Enabled());
    vv->move_by(1);
    EXPECT_EQ(captions(), (std::vector<std::string> { "b", "c", "a" }));
    EXPECT_EQ(vv->get_VectorIndex(), 3);

    vv->set_DocVecViewOptions({ dvoShowIndexes });
    EXPECT_EQ(captions(), (std::vector<std::string> { "1. b", "2. c", "3. a" }));
    // Renamed in place: the index is no part of the name.
    form->Show();
    TListItem* row = vv->Item(1);
    vv->SetItemIndex(1);
    row->EditCaption();
    auto* editor = static_cast<QTreeWidget*>(vv->Handle())->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "2. Vertrag");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(vv->get_doc(row)->DocName(), "Vertrag");
    EXPECT_EQ(row->Caption(), "2. Vertrag");
}

TEST_F(DocVecTest, ThePanelShowsTheSelectedElement)
{
    add("a.txt");
    add("b.txt");
    anlagen()->FieldList(2)->FieldByName("Beschreibung")->set_AsString("zweite");
    auto* panel = new TQelPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(420, 270, 170, 40);
    auto* edit = new TQelEdit(panel);
    edit->SetParent(panel);
    edit->SetBounds(4, 8, 160, 24);
    edit->set_FieldPath("Beschreibung");
    int before = 0, after = 0;
    vv->BeforeSubConnect = TNotifyEvent([&](TObject*) { ++before; });
    vv->AfterSubConnect = TNotifyEvent([&](TObject*) {
        ++after;
        EXPECT_EQ(before, after);
    });
    vv->set_Panel(panel);
    EXPECT_EQ(panel->get_FieldPath(), "Anlagen");
    form->Show();
    const QRect r = static_cast<QTreeWidget*>(vv->Handle())
                        ->visualItemRect(static_cast<QTreeWidget*>(vv->Handle())->topLevelItem(1));
    QTest::mouseClick(static_cast<QTreeWidget*>(vv->Handle())->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(vv->get_VectorIndex(), 2);
    EXPECT_EQ(panel->get_VectorIndex(), 2);
    EXPECT_EQ(edit->Text(), "zweite");
    const int connects = after;
    EXPECT_GE(connects, 1);

    QTest::mouseClick(edit->Handle(), Qt::LeftButton);
    QTest::keyClick(edit->Handle(), Qt::Key_End);
    QTest::keyClicks(edit->Handle(), " Fassung");
    EXPECT_EQ(anlagen()->FieldList(2)->FieldByName("Beschreibung")->AsString(), "zweite Fassung");
    EXPECT_EQ(vv->Count(), 2); // an edit of another field does not reload the rows

    delete panel;
    EXPECT_EQ(vv->get_Panel(), nullptr);
    vv->set_VectorIndex(1);
}

TEST_F(DocVecTest, ChangesOfTheVectorElsewhereAreShown)
{
    add("a.txt");
    ASSERT_TRUE(akte->Commit());
    TQelDokument* other = QelAsDokument(create("Dokument"));
    other->set_DocName("von außen");
    // Kept by another file and marked to go with its last assignment.
    TQelObject* second = create("Akte");
    second->FieldByName("Name")->set_AsString("Schulz");
    ASSERT_TRUE(second->Commit());
    TQelZuordnung z = other->AddZuordnung(second->Key());
    z.set_AutoDelete(true);
    ASSERT_TRUE(other->Commit());

    TQelSubObject* e = anlagen()->NewItem();
    EXPECT_EQ(vv->Count(), 1); // an element without a document is no row
    dynamic_cast<TQelRefField*>(e->FieldList()->FieldByName("Datei"))->set_AsKey(other->Key());
    EXPECT_EQ(captions(), (std::vector<std::string> { "a", "von außen" }));
    // Listed here, it keeps an assignment to this file as well (stored at once).
    EXPECT_TRUE(other->FindZuordnung(akte->Key()));
    EXPECT_FALSE(other->Touched());

    akte->Rollback();
    EXPECT_EQ(captions(), (std::vector<std::string> { "a" }));
    anlagen()->Delete(1);
    EXPECT_EQ(vv->Count(), 0);
}

} // namespace
