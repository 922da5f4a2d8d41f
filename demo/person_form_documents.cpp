// The page "Dokumente": the person's folders beside the documents of the chosen folder, and below
// them the person's attachments (the vector "Anlagen") with the description of the chosen one.
#include "person_form.h"

#include "controls/QelPanel.h"
#include "documents/QelDocPropsForm.h"
#include "documents/QelListView.h"
#include "documents/qeldocvecview.h"
#include "documents/qeldoktr.h"

void TPersonForm::buildDocuments()
{
    auto* list = designed<TQelListView>("lvDokumente");
    // The clerk's imports are stored at once: a dropped file is kept even when the person is not saved.
    list->ListViewOptions << lvoCommitOnImport;
    list->DefaultArt = "Anlage";
    list->OnEditProps = [list](TObject*, TQelDokument* doc) { TQelDocPropsForm::EditDocument(list, doc); };

    // The attachments are elements of the person: they are stored with "Speichern".
    auto* attachments = designed<TQelDocVecView>("dvAnlagen");
    attachments->ShowColumns = { colType };
    attachments->DefaultArt = "Anlage";
    attachments->DefaultKategorie = "Anlagen";
    attachments->OnEditProps
        = [attachments](TObject*, TQelDokument* doc) { TQelDocPropsForm::EditDocument(attachments, doc); };

    // Not published yet: the anchors, the tree's list view, the view's options and element panel.
    auto* tree = designed<TQelDokTree>("tvOrdner");
    auto* element = designed<TQelPanel>("pnlAnlage");
    list->SetAnchors({ akLeft, akTop, akRight });
    tree->SetAnchors({ akLeft, akTop, akBottom });
    attachments->SetAnchors({ akLeft, akTop, akRight, akBottom });
    element->SetAnchors({ akTop, akRight, akBottom });
    tree->set_ListView(list);
    attachments->set_DocVecViewOptions({ dvoShowIndexes });
    attachments->set_Panel(element);
}
