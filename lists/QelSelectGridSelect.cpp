// TQelSelectGrid: selection with the delayed selection notice, keyboard and mouse, row colours.
#include "lists/QelSelectGrid.h"

#include "toolkit/clipbrd.h"

#include <cstdlib>
#include <unordered_set>

// ---- selection --------------------------------------------------------------------------------

void TQelSelectGrid::set_SelectedKey(TQelObjectKey key)
{
    if (frozen_) {
        frozenKey_ = key;
        frozenRow_ = -1;
        return;
    }
    const int row = get_row(key);
    if (row < 0) {
        defer_select(key);
        return;
    }
    FocusCell(std::max(Col(), 1), row);
    show_listed_row(row);
}

TQelObjectKey TQelSelectGrid::successor_key(const std::vector<TQelObjectKey>& leaving) const
{
    std::unordered_set<int> gone;
    for (TQelObjectKey k : leaving)
        gone.insert(k.Id());
    const auto leaves = [&](int r) { return gone.count(get_Key(r).Id()) > 0; };
    const int current = Row();
    const int first = FirstDataRow();
    const int last = std::min(RowCount(), first + entryCount_) - 1;
    if (current < first || current > last || !leaves(current))
        return {};
    for (int r = current + 1; r <= last; ++r)
        if (!leaves(r))
            return get_Key(r);
    for (int r = current - 1; r >= first; --r)
        if (!leaves(r))
            return get_Key(r);
    return {};
}

int TQelSelectGrid::SelectCount() const
{
    if (options_.Contains(soMultiSelect))
        return GetRowSelectCount();
    return get_SelectedKey().Valid() ? 1 : 0;
}

bool TQelSelectGrid::ForEachSelected(const TQelForEachSelected& callback, void* data)
{
    bool go = true;
    if (!DisjunctRowSelect()) {
        callback(this, Row(), get_SelectedKey(), data, go);
        return go;
    }
    for (int r = FirstDataRow(); r < RowCount() && go; ++r)
        if (GetRowSelect(r))
            callback(this, r, get_Key(r), data, go);
    return go;
}

void TQelSelectGrid::GetSelectList(TQelKeyList* keys)
{
    if (!keys)
        return;
    ForEachSelected(
        [keys](TQelSelectGrid*, int, TQelObjectKey key, void*, bool&) {
            if (key.Valid())
                keys->Add(key);
        },
        nullptr);
}

void TQelSelectGrid::SelectRow(int row, int delay)
{
    if (row < FixedRows() || row >= RowCount())
        return;
    if (frozen_) {
        frozenRow_ = row;
        frozenKey_ = TQelObjectKey();
        return;
    }
    nextSelectDelay_ = delay;
    if (DisjunctRowSelect()) {
        ClearRowSelect();
        SetRowSelect(row, true);
    }
    if (row == Row())
        SelectCell(Col(), row);
    else
        FocusCell(std::max(Col(), 1), row);
    show_listed_row(row);
    nextSelectDelay_ = -1;
}

bool TQelSelectGrid::KeySelectPending() const
{
    return keySelectPending_ || (selectTimer_ && selectTimer_->Enabled());
}

bool TQelSelectGrid::SelectCell(int col, int row)
{
    if (frozen_)
        return false;
    if (!TQelGrid::SelectCell(col, row))
        return false;
    const int first = FirstDataRow();
    if (row < first || row >= RowCount())
        return true;
    const int delay = nextSelectDelay_ >= 0 ? nextSelectDelay_ : selectDelay_;
    if (delay <= 0) {
        if (selectTimer_)
            selectTimer_->SetEnabled(false);
        selectRow_ = row;
        key_select_now();
        return true;
    }
    if (!selectTimer_) {
        selectTimer_ = std::make_unique<TTimer>(nullptr);
        selectTimer_->OnTimer = [this](TObject* sender) { select_timer_tick(sender); };
    }
    selectRow_ = row;
    selectTimer_->SetEnabled(false);
    selectTimer_->SetInterval(static_cast<unsigned>(delay));
    selectTimer_->SetEnabled(true);
    return true;
}

void TQelSelectGrid::select_timer_tick(TObject*)
{
    // Still scrolling through the list: wait for the next tick.
    for (int vk : { VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT })
        if (GetKeyState(vk) < 0)
            return;
    selectTimer_->SetEnabled(false);
    selectRow_ = Row();
    key_select_now();
}

void TQelSelectGrid::popup_timer_tick(TObject*)
{
    // The application still reacts to the selection: the menu waits for the next tick.
    if (KeySelectPending())
        return;
    popupTimer_->SetEnabled(false);
    TPopupMenu* menu = PopupMenu();
    if (!menu)
        return;
    // The command entries follow the selection; then the custom items.
    update_command_items();
    update_menu_items();
    menu->SetPopupComponent(this);
    menu->Popup(popupAt_.X, popupAt_.Y);
}

void TQelSelectGrid::key_select_now()
{
    if (!OnKeySelect)
        return;
    const int row = selectRow_;
    keySelectPending_ = true;
    try {
        OnKeySelect(this, get_Key(row), get_Object(row));
    } catch (...) {
        keySelectPending_ = false;
        throw;
    }
    keySelectPending_ = false;
}

bool TQelSelectGrid::SetSelection(const std::string& column, const std::string& value)
{
    const int c = ColumnByName(column);
    if (c < 0)
        return false;
    for (int r = 1; r < RowCount(); ++r)
        if (Cells(c, r) == value) {
            if (r < FirstDataRow())
                return false;
            SelectRow(r, -1);
            return true;
        }
    return false;
}

std::string TQelSelectGrid::GetSelected(const std::string& column) const
{
    const int c = ColumnByName(column);
    return c >= 0 && Row() >= FirstDataRow() && Row() < RowCount() ? Cells(c, Row()) : std::string();
}

// ---- keyboard ---------------------------------------------------------------------------------

namespace {

bool isLetter(WORD key, char upper)
{
    return key == static_cast<WORD>(upper) || key == static_cast<WORD>(upper + 0x20);
}

} // namespace

void TQelSelectGrid::KeyDown(WORD& key, TShiftState shift)
{
    const bool ctrl = shift.Contains(ssCtrl);
    TQelDatabase* db = QelDatabase();
    const int row = Row();
    const bool dataRow = row >= FirstDataRow() && row < RowCount();
    // The command shortcuts (Ctrl+N, B, L, P, C) run their menu entries when these are offered.
    if (ctrl && run_shortcut(key, shift)) {
        key = 0;
        return;
    }
    if (ctrl && isLetter(key, 'A')) {
        CompleteLoad(); // all rows, not only those read so far
        TQelGrid::KeyDown(key, shift);
        SelectCell(Col(), Row());
        return;
    }
    if (key == VK_RETURN) {
        if (dataRow && !showDeleted_ && OnKeyOpen && (get_Key(row).Valid() || AttachedObject(row)))
            OnKeyOpen(this, get_Key(row), get_Object(row));
    } else if (key == VK_F5) {
        reload(nullptr, TQelObjectKey());
    } else if (ctrl && (isLetter(key, 'E') || isLetter(key, 'I'))) {
        if (db && db->Debug() && OnKeyExplore && dataRow)
            OnKeyExplore(this, get_Key(row), get_Object(row));
    } else if (ctrl && isLetter(key, 'F')) {
        ext_search();
    } else if (ctrl && isLetter(key, 'G')) {
        const TQelObjectKey k(std::atoi(Trim(Clipboard()->AsText()).c_str()));
        if (k.Valid())
            set_SelectedKey(k);
    } else if (ctrl && isLetter(key, 'K')) {
        TQelKeyList keys;
        if (options_.Contains(soMultiSelect) && GetRowSelectCount() > 1)
            GetSelectList(&keys);
        else if (get_SelectedKey().Valid())
            keys.Add(get_SelectedKey());
        if (keys.Count() > 0)
            Clipboard()->SetAsText(keys.KeysToCommaText());
    } else if (ctrl && isLetter(key, 'R')) {
        ReloadSelected();
    }
    TQelGrid::KeyDown(key, shift);
    // Up from the first data row lands in the filter row: on a cell that takes text.
    if (options_.Contains(soFilter) && RealRowIndex(Row()) == 1 && (Col() < 1 || IsHiddenColumn(Col())))
        FocusCell(first_shown_col(), Row());
}

// ---- mouse ------------------------------------------------------------------------------------

void TQelSelectGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    if (button == mbRight && row >= FirstDataRow() && row < RowCount() && row != Row()
        && !(DisjunctRowSelect() && GetRowSelect(row)))
        SelectRow(row, -1);
    TQelGrid::MouseDown(button, shift, x, y);
    if (button != mbLeft || !shift.Contains(ssDouble))
        return;
    // A double click on a row opens its object (one on the header only sorts).
    const TQelObjectKey k = get_Key(row);
    if (k.Valid() && !showDeleted_ && OnKeyOpen)
        OnKeyOpen(this, k, get_Object(row));
}

void TQelSelectGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TQelGrid::MouseUp(button, shift, x, y);
    if (!Options().Contains(goRangeSelect))
        return;
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    if (row >= FirstDataRow() && row < RowCount() && (button == mbLeft || shift.Contains(ssShift)))
        SelectCell(Col(), Row());
}

void TQelSelectGrid::DoEnter()
{
    SetSelectionColor(SelectionColorActive);
    TQelGrid::DoEnter();
}

void TQelSelectGrid::DoExit()
{
    SetSelectionColor(SelectionColorInactive);
    TQelGrid::DoExit();
}

// ---- colours ----------------------------------------------------------------------------------

void TQelSelectGrid::GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font)
{
    TQelGrid::GetCellColor(col, row, state, brush, font);
    const int real = RealRowIndex(row);
    if (real < FixedRows() || !font)
        return;
    if (options_.Contains(soFilter) && real == 1) {
        // The whole row is no selection: only the cell that typing goes to is marked.
        const bool current = row == Row() && col == Col();
        font->SetColor(current ? SelectionTextColor() : FontColorFilter);
        if (brush)
            brush->SetColor(current ? SelectionColor() : Color());
        return;
    }
    if (real >= FirstDataRow() + entryCount_) {
        font->SetColor(FontColorNascent);
        return;
    }
    if (const TQelObject* obj = AttachedObject(real))
        font->SetColor(obj->Touched() ? FontColorTouched : FontColorCached);
}
