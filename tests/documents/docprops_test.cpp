// The properties dialog: what it shows of a document and its assignment, what OK writes, that
// cancelling touches nothing, and the list after the assignment left the shown folder.
#include "documents/QelDocPropsForm.h"
#include "documents_fixture.h"
#include "support/modal_scope.h"

#include <QTest>

namespace {

class DocPropsTest : public DocsTest {
protected:
    void SetUp() override
    {
        DocsTest::SetUp();
        lv->set_Category("Post");
        lv->OnEditProps = [this](TObject*, TQelDokument* d) { TQelDocPropsForm::EditDocument(lv, d); };
        import(file("brief.txt", "Hallo"));
        commitOwner();
        doc = lv->get_doc(lv->Item(0));
        lv->SetItemIndex(0);
    }
    static TQelDocPropsForm& dialog(TCustomForm* f) { return *dynamic_cast<TQelDocPropsForm*>(f); }
    static void type(TCustomEdit* edit, const char* text)
    {
        edit->SetFocus();
        QTest::keyClick(edit->Handle(), Qt::Key_A, Qt::ControlModifier);
        for (QChar ch : QString::fromUtf8(text)) {
            if (ch.unicode() < 0x80)
                QTest::keyClick(edit->Handle(), ch.toLatin1());
            else // QTest maps only ASCII to keys
                QTest::sendKeyEvent(
                    QTest::Click, edit->Handle(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
    TQelDokument* doc = nullptr;
};

TEST_F(DocPropsTest, ShowsTheDocumentAndWritesWhatOkConfirms)
{
    ModalScope scope([](TCustomForm* f) {
        TQelDocPropsForm& d = dialog(f);
        EXPECT_EQ(d.Caption(), "Dokument-Eigenschaften");
        EXPECT_EQ(d.edtName->Text(), "brief");
        EXPECT_EQ(d.lblType->Caption(), "Textdatei (.txt)");
        EXPECT_EQ(d.lblSize->Caption(), "5 Bytes");
        EXPECT_FALSE(d.lblStamp->Caption().empty());
        EXPECT_FALSE(d.lblFileDate->Caption().empty());
        EXPECT_EQ(d.memRemark->Text().rfind("Importiert am ", 0), 0u);
        EXPECT_EQ(d.cbAction->ItemIndex(), 1);
        EXPECT_EQ(d.edtArt->Text(), "Dokument");
        EXPECT_EQ(d.edtCategory->Text(), "Post");
        type(d.edtName, "Brief an Müller");
        type(d.memRemark, "beantwortet");
        d.cbAction->SetItemIndex(2);
        type(d.edtArt, "Anlage");
        type(d.edtCategory, "Post/Erledigt");
        d.btnOk->Click();
    });
    lv->cmd_props();
    EXPECT_EQ(doc->DocName(), "Brief an Müller");
    EXPECT_EQ(doc->Bemerkung(), "beantwortet");
    EXPECT_EQ(doc->DefaultOpenAction(), 2);
    const TQelZuordnung z = doc->FindZuordnung(akte->Key());
    EXPECT_EQ(z.Art(), "Anlage");
    EXPECT_EQ(z.Kategorie(), "Post/Erledigt");
    EXPECT_EQ(lv->Count(), 0); // it left the folder the list shows
    lv->set_Category("post/erledigt");
    ASSERT_EQ(lv->Count(), 1);
    EXPECT_EQ(lv->Item(0)->Caption(), "Brief an Müller");
    EXPECT_EQ(lv->Item(0)->SubItems()[0], ""); // a reference only: no size

    // The owner's commit stores the document, though the owner itself has nothing to store.
    ASSERT_TRUE(akte->Commit());
    EXPECT_FALSE(doc->Touched());
}

TEST_F(DocPropsTest, CancelAndUnchangedOkTouchNothing)
{
    ModalScope cancel([](TCustomForm* f) {
        TQelDocPropsForm& d = dialog(f);
        type(d.edtName, "verworfen");
        d.btnCancel->Click();
    });
    lv->cmd_props();
    EXPECT_EQ(doc->DocName(), "brief");
    EXPECT_FALSE(doc->Touched());

    ModalScope ok([](TCustomForm* f) { dialog(f).btnOk->Click(); });
    lv->cmd_props();
    EXPECT_FALSE(doc->Touched());
    EXPECT_EQ(lv->Count(), 1);

    // Without a handler there is no dialog.
    lv->OnEditProps = nullptr;
    ModalScope never([](TCustomForm*) { ADD_FAILURE() << "no dialog expected"; });
    lv->cmd_props();
}

} // namespace
