// The page "Dokumente": the person's folders beside the documents of the chosen folder, and below
// them the person's attachments (the vector "Anlagen") with the description of the chosen one.
#include "person_form.h"

#include "controls/QelPanel.h"
#include "documents/QelDocPropsForm.h"
#include "documents/QelListView.h"
#include "documents/qeldocvecview.h"
#include "documents/qeldoktr.h"

#include "toolkit/stdctrls.h"

namespace {

TLabel* caption(TComponent* owner, TWinControl* parent, const char* text, int x, int y, int w)
{
    auto* l = new TLabel(owner);
    l->SetParent(parent);
    l->SetBounds(x, y, w, 18);
    l->SetCaption(text);
    l->Font().SetStyle({ fsBold });
    return l;
}

} // namespace

void TPersonForm::buildDocuments(TWinControl* page)
{
    caption(this, page, "Ordner", 12, 8, 216);
    caption(this, page, "Dokumente des Ordners", 236, 8, 400);
    auto* list = new TQelListView(this);
    list->SetName("lvDokumente");
    list->SetParent(page);
    list->SetBounds(236, 28, 700, 270);
    list->SetAnchors({ akLeft, akTop, akRight });
    // The clerk's imports are stored at once: a dropped file is kept even when the person is not saved.
    list->ListViewOptions << lvoCommitOnImport;
    list->DefaultArt = "Anlage";
    list->OnEditProps = [list](TObject*, TQelDokument* doc) { TQelDocPropsForm::EditDocument(list, doc); };

    auto* tree = new TQelDokTree(this);
    tree->SetName("tvOrdner");
    tree->SetParent(page);
    tree->SetBounds(12, 28, 216, 512);
    tree->SetAnchors({ akLeft, akTop, akBottom });
    tree->set_ListView(list);

    // The attachments are elements of the person: they are stored with "Speichern".
    caption(this, page, "Anlagen der Person", 236, 312, 400);
    auto* attachments = new TQelDocVecView(this);
    attachments->SetName("dvAnlagen");
    attachments->SetParent(page);
    attachments->SetBounds(236, 332, 460, 208);
    attachments->SetAnchors({ akLeft, akTop, akRight, akBottom });
    attachments->set_FieldPath("Anlagen");
    attachments->set_DocVecViewOptions({ dvoShowIndexes });
    attachments->ShowColumns = { colType };
    attachments->DefaultArt = "Anlage";
    attachments->DefaultKategorie = "Anlagen";
    attachments->OnEditProps
        = [attachments](TObject*, TQelDokument* doc) { TQelDocPropsForm::EditDocument(attachments, doc); };

    auto* element = new TQelPanel(this);
    element->SetName("pnlAnlage");
    element->SetParent(page);
    element->SetBounds(708, 332, 228, 208);
    element->SetAnchors({ akTop, akRight, akBottom });
    addEdit(element, "Beschreibung", "Beschreibung der Anlage", 0, 20, 228);
    attachments->set_Panel(element);
}
