#include "controls/QelPasswordDialogForm.h"

#include "binding/methods.h"
#include "controls/QelPasswordEdit.h"

namespace {

const char* const kCaption = "Passwort-Eingabe";
const char* const kPrompt = "Bitte geben Sie das Passwort ein.";
const char* const kPasswordLabel = "&Passwort:";

// The layout at the design resolution.
constexpr int kMargin = 12;
constexpr int kClientWidth = 340;
constexpr int kEditLeft = 84;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 27;
constexpr int kGap = 8;

template <class T> T* make(TfrmPasswordDialog* form, const char* name)
{
    auto* c = new T(form);
    c->SetName(name);
    c->SetParent(form);
    return c;
}

} // namespace

TfrmPasswordDialog::TfrmPasswordDialog(TComponent* owner)
    : TForm(owner)
{
    SetName("frmPasswordDialog");
    SetCaption(kCaption);
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);

    lblInfo = make<TLabel>(this, "lblInfo");
    lblInfo->SetWordWrap(true);
    lblInfo->SetBounds(kMargin, kMargin, kClientWidth - 2 * kMargin, 16);
    lblInfo->SetCaption(kPrompt);

    const int rowTop = lblInfo->Top() + lblInfo->Height() + 14;
    edtPassword = make<TQelPasswordEdit>(this, "edtPassword");
    edtPassword->SetPasswordChar(U'*');
    edtPassword->SetBounds(kEditLeft, rowTop, kClientWidth - kEditLeft - kMargin, edtPassword->Height());

    lblPassword = make<TLabel>(this, "lblPassword");
    lblPassword->SetCaption(kPasswordLabel);
    lblPassword->SetFocusControl(edtPassword);
    lblPassword->SetLeft(kMargin);
    lblPassword->SetTop(rowTop + (edtPassword->Height() - lblPassword->Height()) / 2);

    const int buttonTop = rowTop + edtPassword->Height() + 18;
    btnOk = make<TBitBtn>(this, "btnOk");
    btnOk->SetKind(bkOK);
    btnOk->SetBounds(
        kClientWidth - kMargin - 2 * kButtonWidth - kGap, buttonTop, kButtonWidth, kButtonHeight);
    btnCancel = make<TBitBtn>(this, "btnCancel");
    btnCancel->SetKind(bkCancel);
    btnCancel->SetBounds(kClientWidth - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);

    SetClientWidth(kClientWidth);
    SetClientHeight(buttonTop + kButtonHeight + kMargin);
    // Anchored once the layout stands, so that a caller's size stretches the prompt and the edit
    // and keeps the buttons in the lower right corner.
    lblInfo->SetAnchors({ akLeft, akTop, akRight });
    edtPassword->SetAnchors({ akLeft, akTop, akRight });
    btnOk->SetAnchors({ akRight, akBottom });
    btnCancel->SetAnchors({ akRight, akBottom });
    SetActiveControl(edtPassword);

    TQelCommonMethods::ScaleForm(this, 0);
}

void TfrmPasswordDialog::SetPrompt(const std::string& prompt)
{
    const int before = lblInfo->Height();
    lblInfo->SetCaption(prompt);
    const int delta = lblInfo->Height() - before;
    if (delta == 0)
        return;
    // The edit row follows the prompt; the buttons follow the form's bottom edge.
    edtPassword->SetTop(edtPassword->Top() + delta);
    lblPassword->SetTop(lblPassword->Top() + delta);
    SetClientHeight(ClientHeight() + delta);
}

// TQelCommonMethods::PasswordBox shows this dialog; it lives here so that the binding layer
// below needs no control.
bool TQelCommonMethods::PasswordBox(std::string& password, const std::string& caption,
    const std::string& prompt, TBitmap* okGlyph, TBitmap* cancelGlyph, int okGlyphCount, int cancelGlyphCount,
    char passwordChar, int width, int height)
{
    TfrmPasswordDialog dlg(nullptr);
    dlg.SetCaption(caption);
    dlg.SetPrompt(prompt);
    dlg.edtPassword->SetPasswordChar(Cp1252ToChar(static_cast<unsigned char>(passwordChar)));
    dlg.edtPassword->setPassword(password);
    if (okGlyph)
        dlg.btnOk->SetGlyph(*okGlyph);
    if (cancelGlyph)
        dlg.btnCancel->SetGlyph(*cancelGlyph);
    if (okGlyphCount > 0)
        dlg.btnOk->SetNumGlyphs(okGlyphCount);
    if (cancelGlyphCount > 0)
        dlg.btnCancel->SetNumGlyphs(cancelGlyphCount);
    if (width > 0 && height > 0)
        dlg.SetBounds(dlg.Left(), dlg.Top(), width, height);
    if (dlg.ShowModal() != mrOk)
        return false;
    password = dlg.edtPassword->getPassword();
    return true;
}
