#pragma once
// TQelDocPropsForm: the properties of one document ("Dokument-Eigenschaften"): its name, remark
// and open action, and the kind and category of its assignment to the object the list shows,
// beside what it only tells (type, size, time stamp, file date). OK writes what was changed
// into the document in memory; the application commits.
#include "binding/toolkit.h"
#include "objdb/qeldocuments.h"

#include "toolkit/buttons.h"
#include "toolkit/combobox.h"
#include "toolkit/stdctrls.h"

class TQelLVBase;

class TQelDocPropsForm : public TForm {
public:
    explicit TQelDocPropsForm(TComponent* owner);

    // Shows `doc` (and `z` when it is set); whether OK wrote it.
    bool Execute(TQelDokument* doc, TQelZuordnung z);
    // The dialog for the selected row of `view`, with the assignment to the view's object: a
    // ready handler for OnEditProps.
    static bool EditDocument(TQelLVBase* view, TQelDokument* doc);

    TEdit* edtName = nullptr;
    TLabel* lblType = nullptr;
    TLabel* lblSize = nullptr;
    TLabel* lblStamp = nullptr;
    TLabel* lblFileDate = nullptr;
    TMemo* memRemark = nullptr;
    TComboBox* cbAction = nullptr;
    TEdit* edtArt = nullptr;
    TEdit* edtCategory = nullptr;
    TBitBtn* btnOk = nullptr;
    TBitBtn* btnCancel = nullptr;

private:
    void show(TQelDokument* doc, const TQelZuordnung& z);
    void store(TQelDokument* doc, TQelZuordnung& z) const;
};
