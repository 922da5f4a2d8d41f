#include "documents/QelDocPropsForm.h"

#include "binding/methods.h"
#include "documents/qellvbase.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"

namespace {

const char* const kPropsCaption = "Dokument-Eigenschaften";
// The open actions in their order (index = action).
const char* const kActions[] = { "Keine", "Mit dem Programm öffnen", "Nur Verweis (ohne Inhalt)" };

constexpr int kPropsMargin = 12;
constexpr int kLabelWidth = 110;
constexpr int kPropsClientWidth = 440;
constexpr int kRow = 28;
constexpr int kPropsButtonWidth = 96;
constexpr int kPropsButtonHeight = 27;

template <class T> T* make(TQelDocPropsForm* form, const char* name)
{
    auto* c = new T(form);
    c->SetName(name);
    c->SetParent(form);
    return c;
}

// "1.234.567 Bytes"
std::string bytes(std::int64_t n)
{
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += '.';
        out += digits[i];
    }
    return out + " Bytes";
}

std::string fieldText(TQelDokument* doc, const char* name)
{
    TQelField* f = doc ? doc->FieldByName(name) : nullptr;
    return f ? f->AsString() : std::string();
}

} // namespace

TQelDocPropsForm::TQelDocPropsForm(TComponent* owner)
    : TForm(owner)
{
    SetName("QelDocPropsForm");
    SetCaption(kPropsCaption);
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);

    int top = kPropsMargin;
    const int valueLeft = kPropsMargin + kLabelWidth,
              valueWidth = kPropsClientWidth - valueLeft - kPropsMargin;
    auto caption = [this, &top](const char* text, TWinControl* focus) {
        auto* l = new TLabel(this);
        l->SetParent(this);
        l->SetCaption(text);
        l->SetBounds(kPropsMargin, top + 4, kLabelWidth - 8, 16);
        if (focus)
            l->SetFocusControl(focus);
    };
    auto value = [&](const char* name) {
        auto* l = make<TLabel>(this, name);
        l->SetBounds(valueLeft, top + 4, valueWidth, 16);
        return l;
    };

    edtName = make<TEdit>(this, "edtName");
    edtName->SetBounds(valueLeft, top, valueWidth, 24);
    caption("&Name:", edtName);
    top += kRow;
    caption("Typ:", nullptr);
    lblType = value("lblType");
    top += kRow - 6;
    caption("Größe:", nullptr);
    lblSize = value("lblSize");
    top += kRow - 6;
    caption("Zeitstempel:", nullptr);
    lblStamp = value("lblStamp");
    top += kRow - 6;
    caption("Dateidatum:", nullptr);
    lblFileDate = value("lblFileDate");
    top += kRow;

    memRemark = make<TMemo>(this, "memRemark");
    memRemark->SetBounds(valueLeft, top, valueWidth, 60);
    caption("&Bemerkung:", memRemark);
    top += 60 + 8;
    cbAction = make<TComboBox>(this, "cbAction");
    cbAction->SetStyle(csDropDownList);
    for (const char* a : kActions)
        cbAction->Items().Add(a);
    cbAction->SetBounds(valueLeft, top, valueWidth, 24);
    caption("&Öffnen:", cbAction);
    top += kRow + 8;

    edtArt = make<TEdit>(this, "edtArt");
    edtArt->SetBounds(valueLeft, top, valueWidth, 24);
    caption("&Art:", edtArt);
    top += kRow;
    edtCategory = make<TEdit>(this, "edtCategory");
    edtCategory->SetBounds(valueLeft, top, valueWidth, 24);
    caption("&Kategorie:", edtCategory);
    top += kRow + 10;

    btnOk = make<TBitBtn>(this, "btnOk");
    btnOk->SetKind(bkOK);
    btnOk->SetBounds(kPropsClientWidth - kPropsMargin - 2 * kPropsButtonWidth - 8, top, kPropsButtonWidth,
        kPropsButtonHeight);
    btnCancel = make<TBitBtn>(this, "btnCancel");
    btnCancel->SetKind(bkCancel);
    btnCancel->SetBounds(
        kPropsClientWidth - kPropsMargin - kPropsButtonWidth, top, kPropsButtonWidth, kPropsButtonHeight);
    SetClientWidth(kPropsClientWidth);
    SetClientHeight(top + kPropsButtonHeight + kPropsMargin);
    SetActiveControl(edtName);
    TQelCommonMethods::ScaleForm(this, 0);
}

void TQelDocPropsForm::show(TQelDokument* doc, const TQelZuordnung& z)
{
    edtName->SetText(doc->DocName());
    const std::string ext = doc->FileExtension();
    lblType->SetCaption(doc->FriendlyDataFormat() + (ext.empty() ? "" : " (" + ext + ")"));
    TQelFileField* blob = doc->Blob();
    lblSize->SetCaption(!blob || !blob->HasContent() ? "kein Inhalt"
            : blob->Missing()                        ? "Inhalt fehlt in der Datenbank"
                                                     : bytes(blob->DataLength()));
    lblStamp->SetCaption(fieldText(doc, "Zeitstempel"));
    lblFileDate->SetCaption(fieldText(doc, "Dateidatum"));
    memRemark->SetText(doc->Bemerkung());
    const int action = doc->DefaultOpenAction();
    cbAction->SetItemIndex(action >= 0 && action < static_cast<int>(std::size(kActions)) ? action : 1);
    edtArt->SetText(z ? z.Art() : std::string());
    edtCategory->SetText(z ? z.Kategorie() : std::string());
    edtArt->SetEnabled(static_cast<bool>(z));
    edtCategory->SetEnabled(static_cast<bool>(z));
}

void TQelDocPropsForm::store(TQelDokument* doc, TQelZuordnung& z) const
{
    // Only what changed is written, so an unchanged dialog touches nothing.
    const std::string name = Trim(edtName->Text());
    if (!name.empty() && name != doc->DocName())
        doc->set_DocName(name);
    if (memRemark->Text() != doc->Bemerkung())
        doc->set_Bemerkung(memRemark->Text());
    if (cbAction->ItemIndex() >= 0 && cbAction->ItemIndex() != doc->DefaultOpenAction())
        doc->set_DefaultOpenAction(cbAction->ItemIndex());
    if (!z)
        return;
    const std::string art = Trim(edtArt->Text());
    if (art != z.Art())
        z.set_Art(art.empty() ? TQelZuordnung::DefaultArt() : art);
    if (Trim(edtCategory->Text()) != z.Kategorie())
        z.set_Kategorie(edtCategory->Text());
}

bool TQelDocPropsForm::Execute(TQelDokument* doc, TQelZuordnung z)
{
    if (!doc)
        return false;
    show(doc, z);
    if (ShowModal() != mrOk)
        return false;
    store(doc, z);
    return true;
}

bool TQelDocPropsForm::EditDocument(TQelLVBase* view, TQelDokument* doc)
{
    if (!view || !doc)
        return false;
    TQelObjectInterface* oi = view->get_oi();
    TQelObject* obj = oi ? oi->Object() : nullptr;
    TQelDocPropsForm dlg(nullptr);
    return dlg.Execute(doc, obj ? doc->FindZuordnung(obj->Key()) : TQelZuordnung());
}
