// The page "Dokumente": the person's folders beside the documents of the chosen folder.
#include "person_form.h"

#include "documents/QelListView.h"
#include "documents/qeldoktr.h"

void TPersonForm::buildDocuments(TWinControl* page)
{
    auto* list = new TQelListView(this);
    list->SetName("lvDokumente");
    list->SetParent(page);
    list->SetBounds(236, 12, 700, 420);
    list->SetAnchors({ akLeft, akTop, akRight, akBottom });
    // The clerk's imports are stored at once: a dropped file is kept even when the person is not saved.
    list->ListViewOptions << lvoCommitOnImport;
    list->DefaultArt = "Anlage";

    auto* tree = new TQelDokTree(this);
    tree->SetName("tvOrdner");
    tree->SetParent(page);
    tree->SetBounds(12, 12, 216, 420);
    tree->SetAnchors({ akLeft, akTop, akBottom });
    tree->set_ListView(list);
}
