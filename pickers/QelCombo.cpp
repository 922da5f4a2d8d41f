#include "pickers/QelCombo.h"

#include "binding/methods.h"
#include "binding/qellogging.h"

#include "toolkit/advstringgrid.h"
#include "toolkit/dialogs.h"

namespace {

// Sent to the parent on every double-click.
constexpr unsigned WM_OC_DBLCLICKNOTICE = 0x1C49;
// Combo and multi-edit notices this combo does not act on.
constexpr unsigned WM_OC_COMBONOTICE1 = 0x1C35;
constexpr unsigned WM_OC_COMBONOTICE2 = 0x1C3F;

bool acceptsField(TQelObjectInterface* oi)
{
    auto* f = QelSafeCast<TQelField>(oi);
    if (!f)
        return false;
    for (int type : { qelft::Choice, qelft::Boolean, qelft::Reference, qelft::ERVKey, qelft::Text })
        if (f->IsA(type))
            return true;
    return false;
}

// No text, or the text a reference combo shows for no object: the reference is cleared, unless
// the field must refer to an object (then the text names nothing and the value stays).
bool namesNoObject(const TQelRefField* ref, const std::string& text, const std::string& nullString)
{
    return ref && !ref->Mandatory() && (Trim(text).empty() || text == nullString);
}

} // namespace

TQelComboItem::TQelComboItem(TQelSubObject* s)
    : sub_(s)
    , alive_(s ? s->LifeToken() : std::weak_ptr<bool> {})
{
}

TQelCombo::TQelCombo(TComponent* owner)
    : TQelDataControl(owner)
{
    options_ << coChoiceAdmin << coRefObjAdmin;

    link_.hooks.accepts = acceptsField;
    link_.hooks.read = [this] {
        if (!connecting_)
            Repaint();
    };
    link_.hooks.write = [this] {
        TQelField* f = Field();
        if (TQelRefField* ref = get_RefField()) {
            // Only an entry that stands for an object is a value, and no text (or the text
            // shown for no object) is none; any other text the drop-down merely shows is not.
            const int index = get_SelectedIndex();
            if (index >= 0 && Items().Objects(index))
                ref->set_AsKey(get_Key(index));
            else if (index < 0 && namesNoObject(ref, get_SelectedText(), nullString_))
                ref->set_AsKey(TQelObjectKey());
        } else if (get_ERVKeyField()) {
            const int index = ItemIndex();
            auto* item = index >= 0 ? dynamic_cast<TQelComboItem*>(Items().Objects(index)) : nullptr;
            TQelSubObject* sub = item ? item->SubObject() : nullptr;
            f->set_AsString(sub ? sub->Path() : std::string());
        } else if (TQelChoiceField* choice = get_ChoiceField()) {
            // A typed abbreviation stands for its entry; other texts outside the domain wait for
            // the question whether they extend it (when the combo is left).
            const std::string text = get_SelectedText();
            typedOutsideDomain_ = false;
            if (!ValidText(&text)) {
                for (const std::string& entry : choice->GetDomain())
                    if (!entry.empty() && AnsiSameText(choice->Abbr(entry), text)) {
                        choice->set_AsString(entry);
                        return;
                    }
                typedOutsideDomain_ = true;
                return;
            }
            choice->set_AsString(text);
        } else {
            f->set_AsString(get_SelectedText());
        }
    };
    link_.hooks.touched = [this](TQelObjectInterface*, bool own) {
        if (own)
            Repaint(); // someone else wrote our field
        else if (get_ERVKeyField())
            reload_ervkey_domain(0, false);
    };
    link_.hooks.connectedChanged = [this](bool connected) {
        if (!loading())
            SetEnabledLook(connected || get_SearchMode());
    };
    link_.hooks.readOnlyChanged = [this](bool ro) {
        SetFlat(true);
        SetFlatLineColor(clBtnFace);
        apply_style();
        SetColor(ro ? clBtnFace : clWindow);
        init_popupmenu();
    };
    link_.hooks.paintMark = [this](TColor c) { SetColor(c); };
    link_.hooks.pathChanged = [this](const std::string& old) {
        if (LabelCaption() == old && !inGrid())
            SetLabelCaption(get_FieldPath());
    };
    link_.hooks.reconnect = [this] { Reconnect(); };

    SetStyle(csDropDown);
    SetLabelPosition(lpTopLeft);
    SetParentFont(true);
    SetEnabledLook(false);
    SetFlatLineColor(clBtnFace);
    SetDropDownCount(20);
    SetFocusBorder(false);
    SetColor(clWindow);
    SetShowHint(true);

    PublishBinding(qelPublishFieldPath | qelPublishReadOnly | qelPublishAllowCreate);
    PublishSet<&TQelCombo::get_ComboOptions, &TQelCombo::set_ComboOptions, kQelComboOptionNames>(
        "ComboOptions");
    Publish<&TQelCombo::get_NullString, &TQelCombo::set_NullString>("NullString");
    Publish<&TQelCombo::get_MinSelTextLength, &TQelCombo::set_MinSelTextLength>("MinSelTextLength");
    Publish<&TQelCombo::get_KeyStrokeTimeout, &TQelCombo::set_KeyStrokeTimeout>("KeyStrokeTimeout");
    Publish<&TQelCombo::get_ShowCompleteList, &TQelCombo::set_ShowCompleteList>("ShowCompleteList");
    Publish<&TQelCombo::get_ShowColumn, &TQelCombo::set_ShowColumn>("ShowColumn");
    Publish<&TQelCombo::get_SQLSelect, &TQelCombo::set_SQLSelect>("SQLSelect");
    Publish<&TQelCombo::get_SQLRestriction, &TQelCombo::set_SQLRestriction>("SQLRestriction");
    Publish<&TQelCombo::get_RestrictedClassType, &TQelCombo::set_RestrictedClassType>("RestrictedClassType");
    Publish<&TQelCombo::get_FavoriteCount, &TQelCombo::set_FavoriteCount>("FavoriteCount");
    Publish<&TQelCombo::get_FavoriteName, &TQelCombo::set_FavoriteName>("FavoriteName");
    PublishEnum<&TQelCombo::get_FavoriteLevel, &TQelCombo::set_FavoriteLevel, kQelSettingsLevelNames>(
        "FavoriteLevel");
    Publish<&TQelCombo::get_Sorted, &TQelCombo::set_Sorted>("Sorted");
    Publish<&TQelCombo::get_PriorityLevel, &TQelCombo::set_PriorityLevel>("PriorityLevel");
}

TQelCombo::~TQelCombo()
{
    timers_.StopAll();
    Destroying();
    drop_ervkey_veclist();
    favorites_.reset(); // without saving: they are stored when a value is stored
    if (get_Connected())
        link_.Disconnect();
}

void TQelCombo::clear_items()
{
    Items().Clear();
    itemPool_.clear();
}

bool TQelCombo::inGrid() const
{
    return dynamic_cast<TCustomGrid*>(Parent()) != nullptr || dynamic_cast<TCustomGrid*>(Owner()) != nullptr;
}

bool TQelCombo::loading() const
{
    return ComponentState().Contains(csLoading);
}

TQelStringField* TQelCombo::get_StringField() const
{
    TQelField* f = Field();
    return f && !get_ERVKeyField() && f->IsA(qelft::Text) ? QelSafeCast<TQelStringField>(f) : nullptr;
}

int TQelCombo::ConnectFL(const TQelFieldList* fl, bool onlyIfNotConnected)
{
    if (connecting_ || (onlyIfNotConnected && get_Connected()))
        return 0;
    TFlagScope connecting(connecting_);
    if (get_Connected()) {
        drop_ervkey_veclist();
        favorites_.reset();
    }
    link_.Connect(fl, false);
    if (TQelField* f = Field()) {
        if (favoriteCount_ > 0) {
            TQelDatabase* db = f->Database();
            TQelPartition* partition = db ? db->Partition() : nullptr;
            favoriteCount_ = partition ? partition->Settings().ReadInteger("NFav", 10) : 10;
        }
        if (get_ChoiceField() || get_BoolField())
            load_choice_domain();
        else if (get_RefField())
            load_list(true, "");
        else if (get_ERVKeyField())
            reload_ervkey_domain(0, true);
        else
            apply_style();
        // The stored value, exactly as it is (a text absent from the list is shown as typed).
        set_SelectedText(f->AsString());
        Repaint();
    }
    if (!loading()) {
        SetEnabledLook(get_Connected() || get_SearchMode());
        init_popupmenu();
    }
    return get_Connected() ? 1 : 0;
}

int TQelCombo::Reconnect()
{
    TQelFieldList* fl = FieldList();
    return fl ? ConnectFL(fl, false) : 0;
}

TComboBoxStyle TQelCombo::choose_style() const
{
    if (link_.ReadOnly())
        return csSimple;
    // A choice list drops down only; a stored value outside the domain needs the edit field to be
    // shown as it is.
    if (TQelChoiceField* c = get_ChoiceField()) {
        if (options_.Contains(coChoiceAdmin))
            return csDropDown; // new values may be typed
        return c->Null() || c->InDomain(c->AsString()) ? csDropDownList : csDropDown;
    }
    if (get_BoolField())
        return csDropDownList;
    return csDropDown;
}

void TQelCombo::apply_style()
{
    const TComboBoxStyle s = choose_style();
    if (s != Style())
        SetStyle(s);
}

void TQelCombo::set_drop_width(int width)
{
    if (width < 1)
        for (int i = 0; i < Items().Count(); ++i)
            width = std::max(width, TextWidth(Items()[i]));
    if (width > Width())
        SetDropWidth(width + GetSystemMetrics(SM_CXVSCROLL));
}

int TQelCombo::get_SelectedIndex() const
{
    if (!Editable())
        return ItemIndex();
    const std::string text = GetText();
    if (ItemIndex() >= 0 && Items()[ItemIndex()] == text)
        return ItemIndex();
    for (int i = 0; i < Items().Count(); ++i)
        if (Items()[i] == text)
            return i;
    return -1;
}

void TQelCombo::set_SelectedIndex(int index)
{
    SetItemIndex(index);
}

TQelObjectKey TQelCombo::get_Key(int index) const
{
    if (index < 0 || index >= Items().Count())
        return {};
    auto* item = dynamic_cast<TQelComboItem*>(Items().Objects(index));
    return item ? item->key : TQelObjectKey();
}

int TQelCombo::IndexOfKey(TQelObjectKey key) const
{
    for (int i = Items().Count() - 1; i >= 0; --i)
        if (auto* item = dynamic_cast<TQelComboItem*>(Items().Objects(i)); item && item->key == key)
            return i;
    return -1;
}

void TQelCombo::set_SelectedKey(TQelObjectKey key)
{
    const int index = IndexOfKey(key);
    if (index >= 0)
        SetItemIndex(index);
}

std::string TQelCombo::get_SelectedText() const
{
    if (Editable())
        return GetText();
    const int i = ItemIndex();
    return i >= 0 ? Items()[i] : std::string();
}

bool TQelCombo::ValidText(const std::string* text) const
{
    const std::string t = text ? *text : get_SelectedText();
    if (t.empty())
        return true;
    if (TQelChoiceField* c = get_ChoiceField())
        return t == c->NullValue() || c->InDomain(t);
    if (TQelRefField* r = get_RefField())
        return !(t != nullString_ && t != r->NullValue() && r->Null());
    if (TQelBoolField* b = get_BoolField())
        return !(t != b->NullValue() && b->Null());
    if (TQelStringField* s = get_StringField())
        return s->Valid();
    return true;
}

void TQelCombo::SetCursor(int start, bool)
{
    const int len = static_cast<int>(Utf8Length(GetText()));
    SetSelStart(start);
    SetSelLength(std::max(0, len - start));
}

void TQelCombo::Repaint()
{
    TQelField* f = Field();
    if (f && !repainting_) {
        TFlagScope repainting(repainting_); // a reload on the way repaints no further
        if (get_ChoiceField())
            apply_style();
        const std::string value = f->AsString();
        // No object and no element show the empty choice.
        const bool none
            = (get_RefField() && !get_RefField()->AsKey().Valid()) || (get_ERVKeyField() && value.empty());
        const std::string shown = get_SelectedText();
        const bool differs = none ? shown != (Editable() ? nullString_ : std::string()) : value != shown;
        if (differs) {
            if (TQelRefField* ref = get_RefField()) {
                TQelObject* obj = ref->AsKey().Valid() ? ref->get_AsObject() : nullptr;
                if (!ref->AsKey().Valid()) {
                    set_SelectedText("0");
                } else if (!obj) {
                    // A reference to an object that is gone: shown as stored, never cleared.
                    SetItemIndex(-1);
                    SetTextBuf(value);
                } else {
                    if (Editable())
                        SetTextBuf(ref_name(obj));
                    set_SelectedKey(ref->AsKey());
                    if (IndexOfKey(ref->AsKey()) < 0)
                        SetTextBuf(ref_name(obj));
                }
            } else if (get_ERVKeyField()) {
                int found = -1;
                for (int i = 0; i < Items().Count() && found < 0; ++i)
                    if (auto* item = dynamic_cast<TQelComboItem*>(Items().Objects(i)))
                        if (TQelSubObject* sub = item->SubObject(); sub && sub->Path() == value)
                            found = i;
                if (found >= 0)
                    SetItemIndex(found);
                else if (value.empty())
                    SetItemIndex(Items().Count() > 0 && !Items().Objects(0) ? 0 : -1);
                else {
                    SetItemIndex(-1);
                    SetTextBuf(value);
                }
            } else {
                set_SelectedText(value);
            }
        }
    }
    TAdvCustomCombo::Repaint();
}

void TQelCombo::Clear()
{
    const std::string text = GetText();
    const int start = SelStart(), length = SelLength();
    TAdvCustomCombo::Clear();
    SetTextBuf(text);
    SetSelStart(start);
    SetSelLength(length);
}

void TQelCombo::Change()
{
    const bool search = get_SearchMode();
    if (TQelRefField* ref = get_RefField(); ref || search) {
        if (!(inSelect_ && search)) {
            if (printable_)
                set_SelectedText(GetText() + "*");
            if (ref && (!search || !searchPanel_)) {
                // A picked entry is the user's choice; typed text is only a search until the
                // user accepts it (never a fragment in the field).
                typed_ = !inSelect_;
                if (inSelect_)
                    link_.Write();
            }
            if (!keyTimer_) {
                keyTimer_ = new TTimer(this);
                keyTimer_->SetEnabled(false);
                keyTimer_->OnTimer = TNotifyEvent([this](TObject*) { keystroke_timer(); });
            }
            keyTimer_->SetEnabled(false);
            if (static_cast<int>(Utf8Length(GetText())) >= minSelTextLength_) {
                keyTimer_->SetInterval(static_cast<unsigned>(std::max(1, nextInterval_)));
                keyTimer_->SetEnabled(true);
            }
        }
    } else if (get_Connected()
        && (ItemIndex() >= 0
            || (Editable() && (get_ChoiceField() || get_BoolField() || get_StringField())))) {
        link_.Write();
    }
    if (link_.Marked())
        link_.Unmark();
    TAdvCustomCombo::Change();
}

void TQelCombo::keystroke_timer()
{
    keyTimer_->SetEnabled(false);
    load_list(true, "");
}

void TQelCombo::accept_typed()
{
    if (!typed_)
        return;
    typed_ = false;
    TQelRefField* ref = get_RefField();
    if (!ref || (get_SearchMode() && searchPanel_))
        return;
    std::string text = get_SelectedText();
    if (keyTimer_ && keyTimer_->Enabled()) {
        // The search for the text is still due: it runs now, and the text is completed as the
        // search would have completed it.
        keyTimer_->SetEnabled(false);
        load_list(false, "");
        if (const int first = text.empty() ? -1 : find_prefix(text); first >= 0)
            text = Items()[first];
    }
    // The entry of an object with exactly this text; without one, no text clears the reference.
    int index = -1;
    for (int i = 0; i < Items().Count() && index < 0; ++i)
        if (Items()[i] == text && Items().Objects(i) && get_Key(i).Valid())
            index = i;
    if (index < 0 && !namesNoObject(ref, text, nullString_)) {
        Repaint(); // names nothing: the field's value again
        return;
    }
    SetItemIndex(index);
    link_.Write();
    link_.Edited();
    Repaint();
}

void TQelCombo::DropDown()
{
    TAdvCustomCombo::DropDown();
    const std::string text = GetText();
    if (Editable() && !text.empty() && Items().IndexOf(text) < 0)
        Items().Add(text);
}

void TQelCombo::CloseUp()
{
    nextInterval_ = 1;
    TAdvCustomCombo::CloseUp();
}

void TQelCombo::Select()
{
    printable_ = false; // a picked item is taken as it is, not completed
    entered_ = selectOnRelease_ = false;
    {
        TFlagScope selecting(inSelect_);
        TAdvCustomCombo::Select();
        if (get_SearchMode() && searchPanel_)
            searchPanel_->Perform(
                WM_OC_SEARCHCHANGED, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(this)));
    }
    init_popupmenu();
}

void TQelCombo::KeyDown(WORD& key, TShiftState shift)
{
    entered_ = selectOnRelease_ = false;
    if (key == VK_RETURN) {
        key = 0; // the combo keeps Enter
        accept_typed();
        return;
    }
    if (key == VK_TAB && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) {
        if (DroppedDown())
            SetDroppedDown(false);
        if (!inGrid()) {
            // On through the form's tab order, which passes over controls that cannot take the
            // focus now (those of hidden pages) and wraps round at its end.
            if (TCustomForm* form = GetParentForm(this)) {
                key = 0;
                form->SelectNext(this, !shift.Contains(ssShift), true);
                return;
            }
        }
        TAdvCustomCombo::KeyDown(key, shift);
        return;
    }
    printable_ = false;
    const bool ctrl = shift.Contains(ssCtrl);
    if (key == VK_F6 && ctrl) {
        if (QelDebugMode())
            ShowMessage(TQelCommonMethods::ConnectionInfo(this, OI(), FieldList(), get_FieldPath()));
    } else if (key == VK_F7 && ctrl) {
        Reconnect();
    }
    TAdvCustomCombo::KeyDown(key, shift);
}

void TQelCombo::KeyPress(char32_t& key)
{
    if (link_.ReadOnly() && key != 3) {
        key = 0;
        return;
    }
    printable_ = key >= 32 && key != 127;
    nextInterval_ = keyStrokeTimeout_;
    // Unlike a Windows combo, a dropped Qt list takes the keyboard: the list is not dropped while
    // typing, so that the next key still reaches the edit field.
    TAdvCustomCombo::KeyPress(key);
}

void TQelCombo::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    // The press that gave the focus to a reference combo's edit field.
    selectOnRelease_ = button == mbLeft && entered_ && Editable() && get_RefField();
    entered_ = false;
    if (button == mbRight) {
        init_popupmenu(); // current object and name in the captions
        if (!PopupMenu())
            SetPopupMenu(new TPopupMenu(this));
    }
    TAdvCustomCombo::MouseDown(button, shift, x, y);
}

void TQelCombo::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TAdvCustomCombo::MouseUp(button, shift, x, y);
    if (button == mbLeft && selectOnRelease_ && SelLength() == 0)
        SelectAll(); // a drag that selected a part keeps it
    selectOnRelease_ = false;
}

void TQelCombo::DblClick()
{
    TAdvCustomCombo::DblClick();
    if (Parent())
        Parent()->Perform(WM_OC_DBLCLICKNOTICE, 0, 0);
}

void TQelCombo::DoEnter()
{
    if (Enabled() && !get_Connected() && !get_SearchMode() && !loading())
        Reconnect();
    TAdvCustomCombo::DoEnter();
    entered_ = true;
    link_.TellFormEnter();
}

void TQelCombo::DoExit()
{
    if (DroppedDown())
        SetDroppedDown(false);
    entered_ = selectOnRelease_ = false;
    validate_typed();
    if (link_.Marked())
        link_.Unmark();
    TAdvCustomCombo::DoExit();
    link_.TellFormExit();
}

void TQelCombo::validate_typed()
{
    accept_typed();
    if (TQelChoiceField* choice = get_ChoiceField(); choice && Editable() && !link_.ReadOnly()) {
        // A typed text outside the domain: extend it when the user agrees, else the stored
        // value is shown again.
        const std::string text = get_SelectedText();
        if (typedOutsideDomain_ && !ValidText(&text)
            && !(options_.Contains(coChoiceAdmin) && ExtendDomain(text)))
            Repaint();
        typedOutsideDomain_ = false;
    }
}

void TQelCombo::set_ComboOptions(TQelComboOptions o)
{
    options_ = o;
    if (get_Connected())
        apply_style();
    init_popupmenu();
}

void TQelCombo::set_mark(bool on, int flags, TColor color)
{
    link_.SetMark(on ? 1 : 0, color, static_cast<unsigned>(flags));
}

bool TQelCombo::get_SearchMode() const
{
    return searchPanel_ != nullptr && searchDef_ != nullptr;
}

void TQelCombo::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
        if (link_.ReadOnly()) {
            const bool copy = (m.Msg == WM_KEYDOWN || m.Msg == WM_KEYUP) && m.WParam == 'C'
                && (GetKeyState(VK_CONTROL) & 0x8000);
            if (!copy && !(m.Msg == WM_CHAR && m.WParam == 3)) {
                m.Result = 0;
                return;
            }
        } else if (m.Msg == WM_KEYDOWN && Parent()) {
            Parent()->Perform(WM_OC_EDITORKEYDOWN, m.WParam, m.LParam);
        }
        break;
    case WM_OC_COMBONOTICE1:
    case WM_OC_COMBONOTICE2:
        m.Result = 0;
        return;
    case WM_OC_CONTROLEXIT:
        // The host takes the value now (before storing the object): typed text counts as left.
        validate_typed();
        m.Result = 0;
        return;
    case WM_OC_ENTERSEARCHMODE: {
        searchPanel_ = nullptr;
        searchDef_ = nullptr;
        TQelDatabase* db = QelDatabase();
        const TQelKlasse* cls = db ? db->Klasse(TQelClassKey(static_cast<int>(m.WParam))) : nullptr;
        auto* panel = reinterpret_cast<TWinControl*>(m.LParam);
        if (cls && panel)
            if (const TQelFelddefinition* def = cls->FindFelddefinition(get_FieldPath())) {
                searchDef_ = def;
                searchPanel_ = panel;
            }
        SetEnabledLook(get_Connected() || get_SearchMode());
        if (showCompleteList_ && get_SearchMode())
            load_list(false, "");
        m.Result = get_SearchMode() ? 1 : 0;
        return;
    }
    case WM_ODB_OISTORED:
        if (favoriteCount_ > 0)
            add_fav();
        break;
    case WM_ODB_OIDESTROYED: {
        auto* oi = QelOIFromParam(m.LParam);
        if (ervVectors_)
            std::erase(*ervVectors_, static_cast<TQelVector*>(QelSafeCast<TQelVector>(oi)));
        const bool own = oi && oi == OI();
        TQelDataControl::WndProc(m);
        if (own)
            Repaint();
        return;
    }
    case WM_ODB_VECTORCHANGED:
    case WM_ODB_ELEMENTADDED:
    case WM_ODB_ELEMENTREMOVED:
        if (get_ERVKeyField())
            reload_ervkey_domain(0, false);
        m.Result = 0;
        return;
    default:
        break;
    }
    TQelDataControl::WndProc(m);
}

// The grid link.

TQelComboLink::TQelComboLink(TAdvStringGrid* grid, const std::string& spec, TQelObjectInterface* oi)
    : TQelCommonLink(grid, spec, oi)
{
}

TQelCombo* TQelComboLink::combo() const
{
    return dynamic_cast<TQelCombo*>(editControl_);
}

void TQelComboLink::CreateEditor(TWinControl* parent)
{
    auto* c = new TQelCombo(OwnerGrid());
    AttachEditControl(c, parent);
}

void TQelComboLink::BindEditor(TWinControl* editor, TQelFieldList* fl)
{
    auto* c = dynamic_cast<TQelCombo*>(editor);
    auto* field = QelSafeCast<TQelField>(OI());
    if (!c || !field)
        return;
    c->set_FieldPath(field->Name());
    c->ConnectFL(fl, false);
}

void TQelComboLink::SetProperties()
{
    TQelCommonLink::SetProperties();
    if (TQelCombo* c = combo()) {
        c->OnKeyDown = TKeyEvent(static_cast<TEditLink*>(this), &TEditLink::EditKeyDown);
        c->OnExit = TNotifyEvent(static_cast<TEditLink*>(this), &TEditLink::EditExit);
        c->SetLabelCaption("");
        SetWantKeyUpDown(true);
        SetWantKeyPriorNext(true);
        SetWantKeyReturn(true);
        SetWantKeyEscape(true);
    }
}

void TQelComboLink::SetFocus(bool focus)
{
    TQelCommonLink::SetFocus(focus);
    if (TQelCombo* c = combo(); c && focus && !c->get_ReadOnly())
        c->SetDroppedDown(true);
}

std::string TQelComboLink::GetEditorValue()
{
    TQelCombo* c = combo();
    if (!c)
        return {};
    c->accept_typed(); // the grid takes the cell's value: typed text counts as left
    return c->get_SelectedText();
}

void TQelComboLink::SetEditorValue(const std::string& value)
{
    TQelCombo* c = combo();
    if (!c) {
        QelLogError("TQelComboLink::SetEditorValue(): cm == 0");
        return;
    }
    c->set_SelectedText(value);
}

void TQelCombo::UnitInitialize()
{
    QelRegisterLinkFactory(TQelLinkKind::Combo, QelLinkFactory<TQelComboLink>());
}

void TQelCombo::UnitFinalize()
{
    QelRegisterLinkFactory(TQelLinkKind::Combo, nullptr);
}
