// The page "Dokumente": the person's folders beside the documents of the chosen folder, and below
// them the person's attachments (the vector "Anlagen") with the description of the chosen one.
// The clerk's imports into the folders are stored at once (a dropped file is kept even when the
// person is not saved); the attachments are elements of the person, stored with "Speichern".
#include "person_form.h"

#include "documents/QelDocPropsForm.h"
#include "documents/QelListView.h"
#include "documents/qeldocvecview.h"

void TPersonForm::buildDocuments()
{
    auto* list = designed<TQelListView>("lvDokumente");
    list->OnEditProps = [list](TObject*, TQelDokument* doc) { TQelDocPropsForm::EditDocument(list, doc); };
    auto* attachments = designed<TQelDocVecView>("dvAnlagen");
    attachments->OnEditProps
        = [attachments](TObject*, TQelDokument* doc) { TQelDocPropsForm::EditDocument(attachments, doc); };
}
