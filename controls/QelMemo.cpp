#include "controls/QelMemo.h"

#include "binding/methods.h"
#include "binding/qellogging.h"

#include "toolkit/dialogs.h"
#include "toolkit/menus.h"

namespace {

const char* const kImport = "Import aus Datei...";
const char* const kExport = "Export nach Datei...";
const char* const kReload = "Text neu laden";
const char* const kImportTitle = "Text importieren";
const char* const kExportTitle = "Text exportieren";
const char* const kFilter = "Textdateien (*.txt)|*.TXT";
const char* const kNotStored = "Der Feldinhalt wurde noch nicht gespeichert.";

enum { tagImportLine = 1, tagImport = 2, tagExport = 3, tagReloadLine = 4, tagReload = 5 };

std::string withNumber(const char* pattern, std::size_t n)
{
    std::string s = pattern;
    s.replace(s.find("%d"), 2, std::to_string(n));
    return s;
}

// Whether the field's object or sub-object was never stored.
bool notYetStored(const TQelObjectInterface* oi)
{
    for (const TQelObjectInterface* o = oi; o; o = o->Owner()) {
        if (auto* obj = dynamic_cast<const TQelObject*>(o); obj && obj->IsNew())
            return true;
        if (auto* sub = dynamic_cast<const TQelSubObject*>(o); sub && sub->IsNew())
            return true;
    }
    return false;
}

} // namespace

TQelMemo::TQelMemo(TComponent* owner)
    : TQelDataControl(owner)
{
    link_.hooks.accepts = [](TQelObjectInterface* oi) {
        auto* f = QelSafeCast<TQelField>(oi);
        return f && (f->IsA(qelft::Text) || f->IsA(qelft::LongText));
    };
    // A memo the user is in shows the text at once (the form moved on to another object).
    link_.hooks.read = [this] { text_.Connected(instantLoad_ || Focused()); };
    link_.hooks.write = [this] { text_.Write(); };
    link_.hooks.touched = [this](TQelObjectInterface*, bool own) {
        if (own)
            text_.Refresh();
    };
    link_.hooks.readOnlyChanged = [this](bool v) {
        SetReadOnly(v);
        updateCountLabel();
    };
    link_.hooks.paintMark = [this](TColor c) { SetColor(c); };

    SetShowHint(true);
    SetEnabled(false);
    SetScrollBars(ssVertical);
    PublishBinding(qelPublishFieldPath | qelPublishReadOnly);
    Publish<&TQelMemo::get_InstantLoad, &TQelMemo::set_InstantLoad>("InstantLoad");
    Publish<&TQelMemo::get_AllowImport, &TQelMemo::set_AllowImport>("AllowImport");
    Publish<&TQelMemo::get_SpecialMaxLength, &TQelMemo::set_SpecialMaxLength>("SpecialMaxLength");
    PublishComponent<&TQelMemo::get_CountLabel, &TQelMemo::set_CountLabel>("CountLabel");
    PublishSet<&TQelMemo::get_MemoOptions, &TQelMemo::set_MemoOptions, kQelMemoOptionNames>("MemoOptions");
}

TQelMemo::~TQelMemo()
{
    set_CountLabel(nullptr);
}

void TQelMemo::set_CountLabel(TCustomLabel* label)
{
    if (label == countLabel_)
        return;
    if (countLabel_)
        countLabel_->RemoveFreeNotification(this);
    countLabel_ = label;
    if (countLabel_)
        countLabel_->FreeNotification(this);
    updateCountLabel();
}

void TQelMemo::Notification(TComponent* component, TOperation operation)
{
    TQelDataControl::Notification(component, operation);
    if (operation == opRemove && component == countLabel_)
        countLabel_ = nullptr;
}

std::string TQelMemo::count_msg() const
{
    if (!BlobLoaded())
        return {};
    int budget = specialMaxLength_ >= 1 ? specialMaxLength_ : 0;
    if (budget == 0 && Field())
        budget = std::max(0, Field()->MaxLength());
    if (budget <= 0)
        return {};
    const std::size_t n = Utf8Length(Text());
    const std::size_t m = static_cast<std::size_t>(budget);
    if (n < m)
        return withNumber("%d Zeichen frei", m - n);
    if (n == m)
        return "Kein Zeichen mehr frei";
    return withNumber("%d Zeichen zuviel", n - m);
}

void TQelMemo::updateCountLabel()
{
    if (!countLabel_)
        return;
    const bool visible = Focused() && BlobLoaded() && !get_ReadOnly();
    if (visible)
        countLabel_->SetCaption(count_msg());
    countLabel_->SetVisible(visible);
}

void TQelMemo::Change()
{
    text_.Changed();
    if (countLabel_ && !get_ReadOnly() && BlobLoaded())
        countLabel_->SetCaption(count_msg());
    TCustomMemo::Change();
}

void TQelMemo::Repaint()
{
    text_.Refresh();
    TCustomMemo::Repaint();
}

void TQelMemo::DoEnter()
{
    TCustomMemo::DoEnter();
    // Entering the memo asks for its text: a blob is loaded now.
    if (BlobField() && !BlobLoaded())
        Reload();
    updateCountLabel();
    link_.TellFormEnter();
    if (!PopupMenu())
        buildContextMenu();
}

void TQelMemo::DoExit()
{
    TCustomMemo::DoExit();
    if (countLabel_)
        countLabel_->SetVisible(false);
    if (link_.Marked())
        link_.Unmark();
    link_.TellFormExit();
}

void TQelMemo::Loaded()
{
    TCustomMemo::Loaded();
    updateCountLabel();
}

void TQelMemo::buildContextMenu()
{
    auto* menu = new TPopupMenu(this);
    const auto add = [menu](const char* caption, const char* shortcut, TNotifyEvent ev, int tag = 0) {
        menu->Items()->Add(TQelCommonMethods::MakeMenuItem(menu, caption, shortcut, std::move(ev), tag));
    };
    TQelCommonMethods::AddClipboardItems(menu, this, [this] { return options_.Contains(moEscapeUnicode); });
    add("-", "", nullptr, tagImportLine);
    add(kImport, "Ctrl+I", TNotifyEvent([this](TObject*) { import_text(); }), tagImport);
    add(kExport, "Ctrl+E", TNotifyEvent([this](TObject*) { export_text(); }), tagExport);
    add("-", "", nullptr, tagReloadLine);
    add(kReload, "Ctrl+R", TNotifyEvent([this](TObject*) { reload_text(); }), tagReload);
    menu->OnPopup = TNotifyEvent([this](TObject*) { updatePopup(); });
    SetPopupMenu(menu);
    updatePopup();
}

void TQelMemo::updatePopup()
{
    TPopupMenu* menu = PopupMenu();
    if (!menu)
        return;
    const bool debugBlob = QelDebugMode() && BlobField();
    for (int tag : { tagImportLine, tagImport, tagExport })
        if (TMenuItem* item = TQelCommonMethods::FindMenuItemByTag(menu, tag))
            item->SetVisible(allowImport_);
    for (int tag : { tagReloadLine, tagReload })
        if (TMenuItem* item = TQelCommonMethods::FindMenuItemByTag(menu, tag))
            item->SetVisible(debugBlob);
}

void TQelMemo::import_text()
{
    if (!Field() || get_ReadOnly())
        return;
    TFileDialogRequest r;
    r.title = kImportTitle;
    r.defaultExt = "txt";
    r.filter = kFilter;
    if (Dialogs().OpenFile(r) && !r.fileName.empty())
        text_.ImportFile(r.fileName);
}

void TQelMemo::export_text()
{
    TFileDialogRequest r;
    r.title = kExportTitle;
    r.defaultExt = "txt";
    r.filter = kFilter;
    r.fileMustExist = false;
    if (Dialogs().SaveFile(r) && !r.fileName.empty())
        text_.ExportFile(r.fileName);
}

void TQelMemo::reload_text()
{
    TQelBlobField* b = BlobField();
    if (!b)
        return;
    if (notYetStored(b)) {
        MessageDlg(kNotStored, mtInformation, { mbOK });
        return;
    }
    b->ReloadBlob();
    if (b->Valid() && b->Loaded()) {
        Reload();
        SelectAll();
    } else {
        MessageDlg(b->ErrorMessage(), mtError, { mbOK });
    }
}
