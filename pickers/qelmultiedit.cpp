#include "pickers/qelmultiedit.h"

#include "binding/objdb.h"
#include "toolkit/screen.h"

#include <algorithm>

namespace {

// Number of characters in `s`.
int char_count(const std::string& s)
{
    return static_cast<int>(Utf8Length(s));
}

// How many characters at the start of `text` spell `prefix` without regard to case ("GROSS" spans
// the four characters of "Groß"); -1 when `text` does not start with it. Counted on `text` itself:
// case mapping changes lengths, so a length taken from a case-changed copy does not fit it.
int prefix_chars(const std::string& text, const std::string& prefix)
{
    if (!TextStartsWithCI(text, prefix))
        return -1;
    // Folding turns one character into at most two (ß into ss) and never less than one.
    const std::size_t n = Utf8Length(text), p = Utf8Length(prefix);
    for (std::size_t k = p / 2; k <= n && k <= 2 * p; ++k)
        if (AnsiSameText(Utf8Substr(text, 0, k), prefix))
            return static_cast<int>(k);
    return -1;
}

// Sorts the results by text, keeping each text's object.
void sort_results(TStrings& results)
{
    std::vector<std::pair<std::string, TObject*>> items;
    for (int i = 0; i < results.Count(); ++i)
        items.emplace_back(results[i], results.Objects(i));
    std::stable_sort(items.begin(), items.end(),
        [](const auto& a, const auto& b) { return AnsiCompareText(a.first, b.first) < 0; });
    results.Clear();
    for (auto& [text, obj] : items)
        results.AddObject(text, obj);
}

} // namespace

// ---------------------------------------------------------------------------------------------

TQelSpecialAdvEdit::TQelSpecialAdvEdit(TComponent* owner)
    : TAdvEdit(owner)
{
}

void TQelSpecialAdvEdit::WndProc(TMessage& message)
{
    TAdvEdit::WndProc(message);
    if (message.Msg == CM_EXIT && Parent())
        Parent()->Perform(QEL_ME_EDITOR_EXIT, reinterpret_cast<WPARAM>(this));
}

bool TQelSpecialAdvEdit::WantsKey(WORD key) const
{
    return key == VK_TAB || key == VK_RETURN || TAdvEdit::WantsKey(key);
}

// ---------------------------------------------------------------------------------------------

TQelMultiEdit::TQelMultiEdit(TComponent* owner)
    : TLabelled<TCustomControl>(owner)
    , values_(std::make_unique<TStringList>())
    , results_(std::make_unique<TStringList>())
{
    SetTabStop(true);
    SetColor(clWindow);
    SetShowHint(true);
    if (!ComponentState().Contains(csDesigning)) {
        timer_ = new TTimer(this);
        timer_->SetEnabled(false);
        timer_->SetInterval(lookupPause_);
        timer_->OnTimer = TNotifyEvent(this, &TQelMultiEdit::lookup_timer);
        postTimer_ = new TTimer(this);
        postTimer_->SetEnabled(false);
        postTimer_->SetInterval(1);
        postTimer_->OnTimer = [this](TObject*) { run_posted(); };

        list_ = new TListBox(this);
        list_->SetName("ListBox");
        list_->SetVisible(false);
        list_->SetNeverFocused();
        list_->OnChange = TNotifyEvent(this, &TQelMultiEdit::list_change);

        button_ = new TBitBtn(this);
        button_->SetName("Button");
        button_->SetCaption("\xE2\x96\xBE"); // a small downward arrow
        button_->SetParent(this);
        button_->SetNeverFocused();
        button_->SetWidth(GetSystemMetrics(SM_CXVSCROLL));
        button_->OnClick = TNotifyEvent(this, &TQelMultiEdit::button_click);
    }
    SetBounds(Left(), Top(), 185, 21);
    // The caption sits left of the control, vertically centred.
    SetLabelPosition(lpLeftCenter);
    SetLabelMargin(3);
    UpdateEditors();

    Publish<&TQelMultiEdit::get_DropDownCount, &TQelMultiEdit::set_DropDownCount>("DropDownCount");
    Publish<&TQelMultiEdit::get_MaxValues, &TQelMultiEdit::set_MaxValues>("MaxValues");
    Publish<&TQelMultiEdit::get_LookupPause, &TQelMultiEdit::setLookupPause>("LookupPause");
    Publish<&TQelMultiEdit::get_LookupMinLength, &TQelMultiEdit::set_LookupMinLength>("LookupMinLength");
    Publish<&TQelMultiEdit::get_LookupMaxItems, &TQelMultiEdit::set_LookupMaxItems>("LookupMaxItems");
    Publish<&TQelMultiEdit::get_SuchEintrag, &TQelMultiEdit::set_SuchEintrag>("SuchEintrag");
    Publish<&TQelMultiEdit::get_NeuEintrag, &TQelMultiEdit::set_NeuEintrag>("NeuEintrag");
    Publish<&TQelMultiEdit::get_LabelCaption, &TQelMultiEdit::set_LabelCaption>("LabelCaption");
    Publish<&TQelMultiEdit::getCustomEnabled, &TQelMultiEdit::setCustomEnabled>("Enabled");
    PublishEnum<&TQelMultiEdit::LabelPosition, &TQelMultiEdit::SetLabelPosition, kLabelPositionNames>(
        "LabelPosition");
    Publish<&TQelMultiEdit::LabelMargin, &TQelMultiEdit::SetLabelMargin>("LabelMargin");
    Publish<&TQelMultiEdit::LabelAlwaysEnabled, &TQelMultiEdit::SetLabelAlwaysEnabled>("LabelAlwaysEnabled");
    Publish<&TQelMultiEdit::get_AssignedColor, &TQelMultiEdit::set_AssignedColor>("AssignedColor");
    PublishEnum<&TQelMultiEdit::get_BorderStyle, &TQelMultiEdit::set_BorderStyle, kQelBorderStyleNames>(
        "BorderStyle");
    PublishSet<&TQelMultiEdit::get_MultiEditOptions, &TQelMultiEdit::set_MultiEditOptions,
        kQelMultiEditOptionNames>("MultiEditOptions");
}

TQelMultiEdit::~TQelMultiEdit()
{
    Destroying();
    if (timer_)
        timer_->SetEnabled(false);
    // The list lives on the form: take it back before the children go.
    if (list_)
        list_->SetParent(nullptr);
}

void TQelMultiEdit::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component == list_)
        list_ = nullptr;
    TLabelled<TCustomControl>::Notification(component, operation);
}

// --- values ------------------------------------------------------------------------------------

void TQelMultiEdit::setValues(const TStrings* values)
{
    values_->Clear();
    if (values)
        for (int i = 0; i < values->Count(); ++i)
            values_->AddObject(values->Get(i), values->Objects(i));
    for (TQelSpecialAdvEdit* e : editors_)
        e->TagObject = nullptr;
    UpdateEditors();
    Change();
    Repaint();
}

void TQelMultiEdit::Clear()
{
    setValues(nullptr);
}

TQelSpecialAdvEdit* TQelMultiEdit::getEditor(int index) const
{
    return index >= 0 && index < getEditorsCount() ? editors_[static_cast<size_t>(index)] : nullptr;
}

std::string TQelMultiEdit::get_CurrentEditorText() const
{
    TQelSpecialAdvEdit* e = getCurrentEditor();
    return e ? e->Text() : std::string();
}

void TQelMultiEdit::setEditorFocus(int index)
{
    if (editors_.empty())
        return;
    current_ = std::clamp(index, 0, getEditorsCount() - 1);
    if (hasFocus_ && editors_[static_cast<size_t>(current_)]->CanFocus())
        editors_[static_cast<size_t>(current_)]->SetFocus();
    layout();
}

int TQelMultiEdit::index_of(const TObject* editor) const
{
    for (size_t i = 0; i < editors_.size(); ++i)
        if (editors_[i] == editor)
            return static_cast<int>(i);
    return -1;
}

void TQelMultiEdit::set_editor_text(TQelSpecialAdvEdit* editor, const std::string& text)
{
    if (editor->Text() == text)
        return;
    const bool was = std::exchange(settingText_, true);
    editor->SetText(text);
    settingText_ = was;
}

// --- editors -----------------------------------------------------------------------------------

void TQelMultiEdit::UpdateEditors()
{
    if (updatingEditors_)
        return;
    const bool was = std::exchange(updatingEditors_, true);
    TQelSpecialAdvEdit* cur = getCurrentEditor();
    const int caret = cur ? cur->SelStart() : 0;

    for (int i = values_->Count() - 1; i >= 0; --i)
        if (values_->Get(i).empty())
            values_->Delete(i);
    const int n = values_->Count();
    const bool room = maxValues_ == 0 || n < maxValues_;
    if (room && (n == 0 || (values_->Objects(n - 1) && !values_->Get(n - 1).empty())))
        values_->Add("");

    for (int i = 0; i < values_->Count(); ++i) {
        TQelSpecialAdvEdit* e = getEditor(i);
        if (!e) {
            e = new TQelSpecialAdvEdit(this);
            e->SetBorderStyle(bsNone);
            e->SetFocusBorder(false);
            e->SetParent(this);
            e->SetTabStop(false);
            e->OnChange = TNotifyEvent(this, &TQelMultiEdit::editor_change);
            e->OnKeyDown = TKeyEvent(this, &TQelMultiEdit::editor_key_down);
            e->OnKeyPress = TKeyPressEvent(this, &TQelMultiEdit::editor_key_press);
            e->OnEnter = TNotifyEvent(this, &TQelMultiEdit::editor_enter);
            e->OnClick = TNotifyEvent(this, &TQelMultiEdit::editor_click);
            e->OnDblClick = TNotifyEvent(this, &TQelMultiEdit::editor_dbl_click);
            editors_.push_back(e);
        }
        set_editor_text(e, values_->Get(i));
        e->TagObject = values_->Objects(i);
    }
    // Surplus editors go after the current input: one of them may be the sender.
    for (int i = getEditorsCount() - 1; i >= values_->Count(); --i) {
        editors_[static_cast<size_t>(i)]->SetVisible(false);
        post(QEL_ME_REMOVE_EDITOR, static_cast<WPARAM>(i));
    }
    if (current_ >= values_->Count())
        current_ = values_->Count() - 1;
    if (current_ < 0 && !editors_.empty())
        current_ = 0;
    layout();
    if (TQelSpecialAdvEdit* e = getCurrentEditor(); e && e == cur)
        e->SetSelStart(std::min(caret, char_count(e->Text())));
    ChangeEditors();
    UpdateHint();
    updatingEditors_ = was;
}

void TQelMultiEdit::ClearEditors()
{
    for (TQelSpecialAdvEdit* e : editors_)
        delete e;
    editors_.clear();
    current_ = -1;
}

void TQelMultiEdit::ChangeEditors()
{
    for (int i = 0; i < getEditorsCount(); ++i) {
        TQelSpecialAdvEdit* e = editors_[static_cast<size_t>(i)];
        e->SetColor(Color());
        TFont f;
        f.Assign(Font());
        const bool tied = i < values_->Count() && values_->Objects(i);
        TFontStyles style = f.Style();
        if (tied) {
            f.SetColor(assignedColor_);
            style << fsUnderline;
        } else {
            style >> fsUnderline;
        }
        f.SetStyle(style);
        e->SetFont(f);
    }
}

void TQelMultiEdit::UpdateHint()
{
    std::string hint;
    for (int i = 0; i < values_->Count(); ++i) {
        if (values_->Get(i).empty())
            continue;
        if (!hint.empty())
            hint += "; ";
        hint += values_->Get(i);
    }
    SetHint(hint);
}

void TQelMultiEdit::layout()
{
    const int buttonW = button_ ? button_->Width() : 0;
    const int clientW = std::max(0, ClientWidth() - buttonW);
    const int h = ClientHeight();
    std::vector<int> widths;
    int total = 0;
    for (TQelSpecialAdvEdit* e : editors_) {
        widths.push_back(TextWidth(Font(), e->Text()) + 6);
        total += widths.back();
    }
    // Shift the row so that the current editor shows: flush right when it is the last,
    // centred otherwise, never right of the start.
    int shift = 0;
    if (current_ >= 0 && current_ < static_cast<int>(widths.size()) && total > clientW) {
        int start = 0;
        for (int i = 0; i < current_; ++i)
            start += widths[static_cast<size_t>(i)];
        const int w = widths[static_cast<size_t>(current_)];
        shift = current_ == static_cast<int>(widths.size()) - 1 ? start + w - clientW
                                                                : start + w / 2 - clientW / 2;
        shift = std::clamp(shift, 0, total - clientW);
    }
    int x = -shift;
    for (size_t i = 0; i < editors_.size(); ++i) {
        int w = widths[i];
        if (i + 1 == editors_.size() && x + w < clientW)
            w = clientW - x; // the last editor takes the rest of the row
        editors_[i]->SetBounds(x, 0, w, h);
        x += widths[i];
    }
    if (button_) {
        button_->SetBounds(ClientWidth() - buttonW, 0, buttonW, h);
        button_->BringToFront();
    }
}

void TQelMultiEdit::post(unsigned msg, WPARAM wParam)
{
    if (std::find(posted_.begin(), posted_.end(), std::make_pair(msg, wParam)) == posted_.end())
        posted_.emplace_back(msg, wParam);
    if (postTimer_)
        postTimer_->SetEnabled(true);
    else
        run_posted();
}

void TQelMultiEdit::run_posted()
{
    if (postTimer_)
        postTimer_->SetEnabled(false);
    auto queue = std::move(posted_);
    posted_.clear();
    for (auto [msg, w] : queue)
        Perform(msg, w);
}

// --- messages ----------------------------------------------------------------------------------

void TQelMultiEdit::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case QEL_ME_REMOVE_EDITOR: {
        const int i = static_cast<int>(message.WParam);
        // Only an editor that is still surplus goes; the values may have grown meanwhile.
        if (i >= values_->Count() && i < getEditorsCount() && i == getEditorsCount() - 1) {
            delete editors_.back();
            editors_.pop_back();
            ChangeEditors();
            layout();
        } else if (i < values_->Count() && i < getEditorsCount() && RemoveItem(i)) {
            delete editors_[static_cast<size_t>(i)];
            editors_.erase(editors_.begin() + i);
            values_->Delete(i);
            ChangeEditors();
            setEditorFocus(current_);
        }
        return;
    }
    case QEL_ME_LAYOUT:
        layout();
        return;
    case QEL_ME_DROPDOWN:
        if (message.WParam)
            ShowListbox();
        else
            hide_listbox();
        return;
    case QEL_ME_EDITOR_EXIT:
        if (auto* e = reinterpret_cast<TQelSpecialAdvEdit*>(message.WParam); index_of(e) >= 0)
            DoExitEditor(e);
        return;
    case QEL_ME_IDENTIFY:
        message.Result = 1;
        return;
    }
    TLabelled<TCustomControl>::WndProc(message);
}

void TQelMultiEdit::SetBounds(int left, int top, int width, int height)
{
    const bool changed = left != Left() || top != Top() || width != Width() || height != Height();
    TLabelled<TCustomControl>::SetBounds(left, top, width, height);
    if (changed)
        layout();
}

void TQelMultiEdit::SetParent(TWinControl* parent)
{
    TLabelled<TCustomControl>::SetParent(parent);
    // The drop-down floats over the form, above the control's siblings.
    if (list_)
        list_->SetParent(parent ? GetParentForm(this) : nullptr);
}

void TQelMultiEdit::SetEnabled(bool enabled)
{
    TLabelled<TCustomControl>::SetEnabled(enabled);
    for (TQelSpecialAdvEdit* e : editors_)
        e->SetEnabled(enabled);
    if (button_)
        button_->SetEnabled(enabled);
}

void TQelMultiEdit::set_AssignedColor(TColor c)
{
    assignedColor_ = c;
    ChangeEditors();
}

void TQelMultiEdit::set_BorderStyle(TQelBorderStyle s)
{
    if (s == borderStyle_)
        return;
    borderStyle_ = s;
    layout();
}

void TQelMultiEdit::setLookupPause(unsigned ms)
{
    lookupPause_ = ms;
    if (timer_)
        timer_->SetInterval(ms);
}

void TQelMultiEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

// --- lookup ------------------------------------------------------------------------------------

bool TQelMultiEdit::DoLookup(const std::string& text, TStrings* results, int& index)
{
    if (!OnLookup)
        return false;
    OnLookup(this, text, results, index);
    return true;
}

bool TQelMultiEdit::Lookup(const std::string& text)
{
    results_->Clear();
    completeIndex_ = -1;
    if (!ignore_lookup_minlength() && char_count(text) < lookupMinLength_)
        return false;
    const bool ran = DoLookup(text, results_.get(), completeIndex_);
    const bool found = ran && results_->Count() > 0;
    if (found) {
        completeIndex_ = std::min(completeIndex_, results_->Count() - 1);
        TObject* follow = completeIndex_ >= 1 ? results_->Objects(completeIndex_) : nullptr;
        sort_results(*results_);
        if (follow)
            completeIndex_ = results_->IndexOfObject(follow);
        completeIndex_ = std::max(completeIndex_, 0);
    }
    UpdateListbox();
    return found;
}

void TQelMultiEdit::lookup_timer(TObject*)
{
    timer_->SetEnabled(false);
    TQelSpecialAdvEdit* e = getCurrentEditor();
    if (!e || current_ >= values_->Count())
        return;
    const std::string typed = e->Text();
    values_->Put(current_, typed);
    if (Lookup(typed)) {
        const std::string entry = completeIndex_ < results_->Count() ? results_->Get(completeIndex_) : "";
        const int spelled = prefix_chars(entry, typed);
        if (spelled >= 0 && spelled < char_count(entry)) {
            const std::string tail = Utf8Substr(entry, static_cast<std::size_t>(spelled));
            set_editor_text(e, typed + tail);
            e->TagObject = results_->Objects(completeIndex_);
            e->SetSelStart(char_count(typed));
            e->SetSelLength(char_count(tail));
            values_->Put(current_, e->Text());
        }
    }
    UpdateHint();
}

void TQelMultiEdit::RefreshList()
{
    UpdateListbox();
}

// --- the drop-down -----------------------------------------------------------------------------

void TQelMultiEdit::UpdateListbox()
{
    if (!list_)
        return;
    TStrings& items = list_->Items();
    items.BeginUpdate();
    items.Clear();
    suchIndex_ = neuIndex_ = -1;
    noEntries_ = false;
    if (suchEintrag_)
        suchIndex_ = items.Add(SuchenText);
    if (neuEintrag_)
        neuIndex_ = items.Add(NeuText);
    if (OnAddItem) {
        for (int i = results_->Count() - 1; i >= 0; --i) {
            std::string text = results_->Get(i);
            bool accept = true;
            OnAddItem(this, results_->Objects(i), text, accept);
            if (!accept)
                results_->Delete(i);
            else if (text != results_->Get(i))
                results_->Put(i, text);
        }
    }
    if (OnSortAfterAddItems)
        OnSortAfterAddItems(this, results_.get());
    for (int i = 0; i < results_->Count(); ++i)
        items.AddObject(results_->Get(i), results_->Objects(i));
    if (items.Count() == 0) {
        items.Add(KeineEintraegeText);
        noEntries_ = true;
    }
    items.EndUpdate();
    list_->SetItemIndex(-1);
    if (hasFocus_)
        ShowListbox();
}

void TQelMultiEdit::ShowListbox()
{
    TCustomForm* form = GetParentForm(this);
    if (!list_ || !form)
        return;
    const TPoint p = form->ScreenToClient(ClientToScreen(TPoint { 0, Height() }));
    const int rows = std::max(1, std::min(list_->Count(), dropDownCount_));
    list_->SetBounds(p.X, p.Y, ClientWidth(), rows * list_->ItemHeight() + 4);
    list_->SetColor(Color());
    list_->SetFont(Font());
    list_->SetVisible(true);
    list_->BringToFront();
}

void TQelMultiEdit::hide_listbox()
{
    if (list_)
        list_->SetVisible(false);
}

bool TQelMultiEdit::get_DroppedDown() const
{
    return list_ && list_->Visible();
}

void TQelMultiEdit::DoneLookup()
{
    hide_listbox();
    if (TCustomForm* form = GetParentForm(this))
        form->SetFocus();
}

void TQelMultiEdit::move_list_selection(int delta)
{
    if (!list_ || list_->Count() == 0)
        return;
    const int i = std::clamp(list_->ItemIndex() + delta, 0, list_->Count() - 1);
    list_->SetItemIndex(i);
    TQelSpecialAdvEdit* e = getCurrentEditor();
    if (!e || i == suchIndex_ || i == neuIndex_ || noEntries_)
        return;
    set_editor_text(e, list_->Items()[i]);
    e->TagObject = list_->Items().Objects(i);
    e->SelectAll();
    layout();
}

void TQelMultiEdit::list_change(TObject*)
{
    // A row chosen with the mouse: as Enter on that row.
    if (!list_ || list_->ItemIndex() < 0)
        return;
    hide_listbox();
    listNavigation_ = true;
    commit(false, true);
}

// --- hooks -------------------------------------------------------------------------------------

bool TQelMultiEdit::DoSearch(std::string& text, TObject*& obj)
{
    hide_listbox();
    obj = nullptr;
    if (OnSearch)
        OnSearch(this, text, obj);
    return obj != nullptr;
}

bool TQelMultiEdit::DoNew(std::string& text, TObject*& obj)
{
    hide_listbox();
    obj = nullptr;
    if (OnNew)
        OnNew(this, text, obj);
    return obj != nullptr;
}

bool TQelMultiEdit::RemoveItem(int)
{
    return true;
}

void TQelMultiEdit::DoOpenObject(TObject* obj)
{
    hide_listbox();
    if (OnOpenObject)
        OnOpenObject(this, obj);
}

void TQelMultiEdit::DoEnterEditor(TQelSpecialAdvEdit*)
{
    editorLeft_ = false;
}

void TQelMultiEdit::DoExitEditor(TQelSpecialAdvEdit* editor)
{
    editorLeft_ = true;
    if (editor->Text().empty())
        editor->TagObject = nullptr;
    if (OnEditorExit && editor->TagObject) {
        std::string text = editor->Text();
        OnEditorExit(this, text);
        set_editor_text(editor, text);
        if (const int i = index_of(editor); i >= 0 && i < values_->Count())
            values_->Put(i, text);
    }
}

// --- input -------------------------------------------------------------------------------------

void TQelMultiEdit::editor_change(TObject* sender)
{
    auto* e = dynamic_cast<TQelSpecialAdvEdit*>(sender);
    if (settingText_ || updatingEditors_ || listNavigation_ || !e || !e->Focused())
        return;
    const int i = index_of(e);
    if (i < 0 || i >= values_->Count())
        return;
    if (timer_) {
        timer_->SetEnabled(false);
        timer_->SetEnabled(true);
    }
    values_->Put(i, e->Text());
    values_->PutObject(i, nullptr);
    e->TagObject = nullptr;
    results_->Clear();
    ChangeEditors();
    UpdateListbox();
    Change();
    layout();
}

void TQelMultiEdit::editor_enter(TObject* sender)
{
    auto* e = dynamic_cast<TQelSpecialAdvEdit*>(sender);
    const int i = index_of(e);
    if (i < 0)
        return;
    // The hits of another value are no offer for this one.
    if (i != current_)
        results_->Clear();
    current_ = i;
    UpdateEditors();
    UpdateListbox();
    layout();
    if (OnEditorEnter)
        OnEditorEnter(this);
    if (lookupMinLength_ == 0 && timer_)
        lookup_timer(nullptr);
    DoEnterEditor(e);
}

void TQelMultiEdit::editor_click(TObject*)
{
    ShowListbox();
}

void TQelMultiEdit::button_click(TObject*)
{
    if (TQelSpecialAdvEdit* e = getCurrentEditor(); e && e->CanFocus())
        e->SetFocus();
    ShowListbox();
}

void TQelMultiEdit::editor_dbl_click(TObject* sender)
{
    const int i = index_of(sender);
    if (i >= 0 && i < values_->Count() && values_->Objects(i))
        DoOpenObject(values_->Objects(i));
}

void TQelMultiEdit::editor_key_down(TObject* sender, WORD& key, TShiftState shift)
{
    auto* e = dynamic_cast<TQelSpecialAdvEdit*>(sender);
    const int i = index_of(e);
    if (i < 0)
        return;
    current_ = i;
    // Every key in an editor shows the offers first; only keys that leave them behind hide them.
    if (!get_DroppedDown())
        ShowListbox();
    switch (key) {
    case VK_BACK:
        if (i > 0 && e->Text().empty()) {
            key = 0;
            setEditorFocus(i - 1);
            if (TQelSpecialAdvEdit* p = getCurrentEditor())
                p->SetSelStart(char_count(p->Text()));
        }
        return;
    case VK_LEFT:
        if (i > 0 && e->SelStart() == 0 && e->SelLength() == 0) {
            key = 0;
            setEditorFocus(i - 1);
            if (TQelSpecialAdvEdit* p = getCurrentEditor())
                p->SetSelStart(char_count(p->Text()));
        }
        return;
    case VK_RIGHT:
        if (i + 1 < getEditorsCount() && e->SelStart() >= char_count(e->Text())) {
            key = 0;
            setEditorFocus(i + 1);
            if (TQelSpecialAdvEdit* n = getCurrentEditor())
                n->SetSelStart(0);
        }
        return;
    case VK_UP:
    case VK_DOWN:
        listNavigation_ = true;
        move_list_selection(key == VK_UP ? -1 : 1);
        key = 0;
        return;
    case VK_RETURN:
    case VK_TAB:
        key = 0;
        commit(shift.Contains(ssShift), true);
        return;
    default:
        listNavigation_ = false;
        hide_listbox();
        return;
    }
}

void TQelMultiEdit::editor_key_press(TObject*, char32_t& key)
{
    if (key == U';') {
        key = 0;
        commit(false, true);
    } else if (key == U'\r' || key == U'\t') {
        key = 0; // handled on key down
    }
}

bool TQelMultiEdit::resolve_current()
{
    TQelSpecialAdvEdit* e = getCurrentEditor();
    if (!e || current_ >= values_->Count())
        return false;
    if (!editorLeft_ || !e->TagObject) {
        const std::string text = e->Text();
        if (Lookup(text)) {
            if (!editorLeft_)
                set_editor_text(e, results_->Get(0));
            e->TagObject = results_->Objects(0);
            values_->Put(current_, results_->Get(0));
            values_->PutObject(current_, results_->Objects(0));
            return true;
        }
        std::string newText = text;
        TObject* obj = nullptr;
        if (!text.empty() && options_.Contains(meoAutoCreate) && DoNew(newText, obj)) {
            set_editor_text(e, newText);
            values_->Put(current_, newText);
            values_->PutObject(current_, obj);
            return true;
        }
        return false;
    }
    values_->Put(current_, e->Text());
    values_->PutObject(current_, e->TagObject);
    return true;
}

void TQelMultiEdit::commit(bool backward, bool moveFocus, bool leaving)
{
    TQelSpecialAdvEdit* e = getCurrentEditor();
    if (!e)
        return;
    if (!listNavigation_) {
        int untied = -1;
        for (int i = 0; i < values_->Count() && untied < 0; ++i) {
            const bool last = i == values_->Count() - 1;
            if (!values_->Objects(i) && (!last || !getEditor(i) || !getEditor(i)->Text().empty()))
                untied = i;
        }
        if (untied < 0) {
            const bool atEnd = backward ? current_ == 0 : current_ == getEditorsCount() - 1;
            if (moveFocus && atEnd && hasFocus_) {
                hide_listbox();
                if (TWinControl* p = Parent()) {
                    TWinControl* next = p->FindNextControl(this, !backward, true, false);
                    if (next && next != this)
                        next->SetFocus();
                }
                return;
            }
        } else {
            if (timer_)
                timer_->SetEnabled(false);
            if (resolve_current()) {
                UpdateEditors();
                Change();
            }
        }
    } else {
        const int row = list_ ? list_->ItemIndex() : -1;
        if (row >= 0 && !noEntries_ && current_ < values_->Count()) {
            TObject* obj = nullptr;
            std::string text = e->Text();
            if (row == suchIndex_ || row == neuIndex_) {
                // Leaving the control never searches or creates: those rows run only on Enter,
                // Tab or a click.
                if (!leaving && (row == suchIndex_ ? DoSearch(text, obj) : DoNew(text, obj))) {
                    e = getCurrentEditor();
                    set_editor_text(e, text);
                    e->TagObject = nullptr;
                    values_->Put(current_, text);
                    values_->PutObject(current_, obj);
                    Change();
                }
            } else {
                const std::string chosen = list_->Items()[row];
                if (!editorLeft_)
                    set_editor_text(e, chosen);
                values_->Put(current_, chosen);
                values_->PutObject(current_, list_->Items().Objects(row));
                Change();
            }
        }
        listNavigation_ = false;
        hide_listbox();
        UpdateEditors();
    }
    if (moveFocus) {
        results_->Clear(); // the hits belonged to the value just ended
        setEditorFocus(current_ + (backward ? -1 : 1));
    }
}

// --- focus -------------------------------------------------------------------------------------

void TQelMultiEdit::DoEnter()
{
    hasFocus_ = true;
    UpdateListbox();
    // Reached by Tab (the control itself has the focus): go on to the current editor.
    if (Focused())
        setEditorFocus(current_ < 0 ? 0 : current_);
    TLabelled<TCustomControl>::DoEnter();
}

void TQelMultiEdit::DoExit()
{
    hasFocus_ = false;
    commit(false, false, true);
    hide_listbox();
    TLabelled<TCustomControl>::DoExit();
}
