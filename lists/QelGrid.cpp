#include "lists/QelGrid.h"

#include "binding/qeltimerglue.h"

#include "toolkit/flagscope.h"
#include "toolkit/gridsort.h"
#include "toolkit/minihtml.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr int kColWidthsTask = 1;
constexpr const char* kColSettingsKey = "ColSettings";

// The text a cell sorts by: mark-up stripped (into `buffer` when there is any).
std::string_view sortText(std::string_view cell, std::string& buffer)
{
    if (!qel::minihtml::IsMarkup(cell))
        return cell;
    buffer = qel::minihtml::Strip(cell);
    return buffer;
}

} // namespace

TQelGrid::TQelGrid(TComponent* owner)
    : TAdvStringGrid(owner)
{
    sortStyles_.fill(ssByContents);
    Publish<&TQelGrid::get_AllColSettings, &TQelGrid::set_AllColSettings>("AllColSettings");
    Publish<&TQelGrid::get_EditMode, &TQelGrid::set_EditMode>("EditMode");
    Publish<&TQelGrid::get_AnsiSortByIndex, &TQelGrid::set_AnsiSortByIndex>("AnsiSortByIndex");
}

TQelGrid::~TQelGrid()
{
    timers_.StopAll();
    ClearCustomMenuItems();
}

// ---- column settings --------------------------------------------------------------------------

const TQelGridColInfo* TQelGrid::ColInfo(int col) const
{
    return col >= 0 && col < MaxColInfos ? &colInfos_[static_cast<std::size_t>(col)] : nullptr;
}

std::string TQelGrid::get_ColSettings(int col) const
{
    const TQelGridColInfo* info = ColInfo(col);
    return info ? QelColSettingsText(*info) : std::string();
}

void TQelGrid::apply_settings(int col, const std::string& settings)
{
    if (col < 0 || col >= MaxColInfos)
        return;
    QelApplyColSettings(colInfos_[static_cast<std::size_t>(col)], settings,
        [this](const std::string& t) { return TextWidth(t); });
}

void TQelGrid::set_ColSettings(int col, const std::string& settings)
{
    apply_settings(col, settings);
}

std::string TQelGrid::get_AllColSettings() const
{
    std::string all;
    for (int c = 0; c < ColCount(); ++c) {
        if (c > 0)
            all += ';';
        all += get_ColSettings(c);
    }
    return all;
}

void TQelGrid::set_AllColSettings(const std::string& settings)
{
    const auto parts = QelSplitColSettings(settings);
    if (parts.empty())
        return;
    SetColCount(static_cast<int>(parts.size()));
    for (int c = static_cast<int>(parts.size()) - 1; c >= 0; --c)
        apply_settings(c, parts[static_cast<std::size_t>(c)]);
}

void TQelGrid::SetColumns(const std::string& columns)
{
    const auto parts = QelSplitColSettings(columns);
    if (parts.empty())
        return;
    SetColCount(static_cast<int>(parts.size()));
    TStringList titles;
    for (const std::string& part : parts) {
        const auto colon = part.find(':');
        titles.Add(colon == std::string::npos ? part : part.substr(0, colon));
    }
    for (int c = static_cast<int>(parts.size()) - 1; c >= 0; --c) {
        const std::string& part = parts[static_cast<std::size_t>(c)];
        const auto colon = part.find(':');
        if (colon != std::string::npos)
            apply_settings(c, part.substr(colon + 1, 999999));
    }
    SetColumnHeaders(titles);
}

void TQelGrid::UpdateColSettingsFromGrid()
{
    if (ColCount() == 0)
        return;
    std::string all;
    for (int c = 0; c < ColCount(); ++c) {
        if (c > 0)
            all += ';';
        all += std::to_string(std::max(1, ColWidths(c)));
    }
    set_AllColSettings(all);
}

// ---- width layout -----------------------------------------------------------------------------

void TQelGrid::refresh_colwidths(bool fromSettings, int firstCol)
{
    if (refreshing_)
        return;
    const int start = std::max(firstCol, FixedCols());
    const int last = std::min(ColCount(), MaxColInfos) - 1;
    // Nothing to lay out, or the grid has no width yet (a layout then would squash every column).
    if (start > last || ClientWidth() < 1)
        return;
    {
        TFlagScope guard(refreshing_);
        TGridUpdateScope batch(*this);
        // Hidden columns take no screen width: they are left out of the sums and keep their width.
        double shares = 0, fixed = 0;
        for (int c = last; c >= start; --c) {
            if (IsHiddenColumn(c))
                continue;
            const TQelGridColInfo& info = colInfos_[static_cast<std::size_t>(c)];
            if (fromSettings) {
                if (info.Width < 1)
                    shares += -info.Width;
                else
                    fixed += info.Width;
            } else {
                shares += info.Stretch;
                fixed += ColWidths(c);
            }
        }
        double available = ClientWidth();
        for (int c = 0; c < start; ++c)
            if (!IsHiddenColumn(c))
                available -= ColWidths(c);
        const double factor = shares > 0 ? (available - fixed) / shares : 0.0;
        // Too little room: what would shrink stops where its text can still be read.
        const double readable = factor < 0 ? TextWidth(std::string(MinReadableChars, 'X')) : 0.0;
        // The stretched pixels are handed out whole, each column getting what the running sum of
        // the exact shares reaches: the columns fill the width to the pixel, and a grid made wider
        // and narrower again (a scroll bar that comes and goes) is back at its widths.
        double exactSum = 0;
        long long given = 0;
        for (int c = last; c >= start; --c) {
            if (IsHiddenColumn(c))
                continue;
            const TQelGridColInfo& info = colInfos_[static_cast<std::size_t>(c)];
            double w = 0;
            if (fromSettings && info.Width >= 1) {
                w = info.Width;
            } else if (fromSettings) {
                w = std::max(-info.Width * factor, readable);
            } else {
                exactSum += info.Stretch * factor;
                const long long reached = std::llround(exactSum);
                // Shrinking stops at a readable width, or at the column's own (smaller) width.
                const double own = info.Width >= 1 ? std::min(readable, double(info.Width)) : readable;
                w = std::max(double(ColWidths(c) + (reached - given)), std::min(own, double(ColWidths(c))));
                given = reached;
            }
            SetColWidths(c, static_cast<int>(std::clamp(w, 0.0, static_cast<double>(QelGridMaxPixels))));
        }
    }
    // Rounding remainders and the surplus of fixed columns go by the stretch weights.
    if (fromSettings)
        refresh_colwidths(false, firstCol);
}

void TQelGrid::Resize()
{
    TAdvStringGrid::Resize();
    refresh_colwidths(false, 0);
}

void TQelGrid::UpdateColSize(int col, int& newWidth)
{
    TAdvStringGrid::UpdateColSize(col, newWidth);
    // Only the columns right of the dragged border give or take width.
    refresh_colwidths(false, col + 1);
}

void TQelGrid::EndColumnSize(int col)
{
    // The widths the user made become the settings, so that a layout from settings (a derived
    // grid's next load) shows them again. The dragged column keeps its width when the grid is
    // resized; the others stretch as before.
    for (int c = 0; c < std::min(ColCount(), MaxColInfos); ++c)
        if (!IsHiddenColumn(c))
            apply_settings(c,
                std::to_string(std::max(1, ColWidths(c))) + "/"
                    + std::to_string(c == col ? 0 : colInfos_[static_cast<std::size_t>(c)].Stretch));
    TAdvStringGrid::EndColumnSize(col);
}

void TQelGrid::ColWidthsChanged()
{
    TQelTimerTasks* tasks = QelTimerTasksOf(nullptr);
    if (!tasks)
        return; // nothing to hold the notice back with: dropped
    timers_.set_Tasks(tasks);
    // A pending task is reset: a run of changes gives one notice.
    timers_.Start(kColWidthsTask, ColWidthsDelayMs,
        [this](TQelTaskId task, std::intptr_t) { col_widths_elapsed(task); });
}

void TQelGrid::col_widths_elapsed(TQelTaskId task)
{
    if (TQelTimerTasks* tasks = timers_.get_Tasks())
        tasks->Stop(task);
    TAdvStringGrid::ColWidthsChanged();
    OnColWidthsChanged(this);
}

// ---- per-user storage -------------------------------------------------------------------------

void TQelGrid::LoadColWidths(const std::string& name)
{
    TQelDatabase* db = QelDatabase();
    if (name.empty() || !db || !db->Initialized())
        return;
    TQelUser* user = db->User();
    if (!user)
        return;
    const std::string stored = user->NameWert().ReadString(name + kColSettingsKey);
    // Stored widths describe the columns, they do not make them: the column count stays, parts
    // beyond the records are ignored and missing parts keep the columns' settings.
    const auto parts = QelSplitColSettings(stored);
    for (int c = std::min(static_cast<int>(parts.size()), MaxColInfos) - 1; c >= 0; --c)
        apply_settings(c, parts[static_cast<std::size_t>(c)]);
    refresh_colwidths(true, 0);
}

void TQelGrid::SaveColWidths(const std::string& name)
{
    TQelDatabase* db = QelDatabase();
    if (name.empty() || !db || !db->Initialized())
        return;
    UpdateColSettingsFromGrid();
    TQelUser* user = db->User();
    const std::string settings = get_AllColSettings();
    if (user && !settings.empty())
        user->NameWert().WriteString(name + kColSettingsKey, settings);
}

// ---- editing ----------------------------------------------------------------------------------

void TQelGrid::GetCellReadOnly(int col, int row, bool& answer)
{
    TAdvStringGrid::GetCellReadOnly(col, row, answer);
    if (OnGetCellReadOnly)
        OnGetCellReadOnly(this, col, row, answer);
}

void TQelGrid::DoExit()
{
    TAdvStringGrid::DoExit();
}

// ---- custom menu items ------------------------------------------------------------------------

std::unique_ptr<TQelCustomMenuItem> TQelGrid::create_cmi()
{
    return std::make_unique<TQelCustomMenuItem>();
}

TQelCustomMenuItem* TQelGrid::AddCustomMenuItem(int id, TMenuItem* item)
{
    if (!item)
        return nullptr;
    std::unique_ptr<TQelCustomMenuItem> record = create_cmi();
    if (!record) {
        delete item;
        return nullptr;
    }
    record->Id = id;
    record->Item = item;
    TQelCustomMenuItem* added = record.get();
    customItems_.Add(std::move(record));
    if (TPopupMenu* menu = addingTo_ ? addingTo_ : PopupMenu())
        menu->Items()->Add(item);
    // The menu may free the item (rebuilt, destroyed): its record goes with it.
    FreeNotification(item);
    return added;
}

void TQelGrid::ClearCustomMenuItems()
{
    for (int i = 0; i < customItems_.Count(); ++i)
        if (TMenuItem* item = customItems_.Items(i)->Item)
            RemoveFreeNotification(item);
    customItems_.Clear();
}

int TQelGrid::GetCustomMenuItemId(const TMenuItem* item) const
{
    if (!item)
        return 0;
    for (int i = 0; i < customItems_.Count(); ++i)
        if (customItems_.Items(i)->Item == item)
            return customItems_.Items(i)->Id;
    return 0;
}

int TQelGrid::add_custom_menu_items(TPopupMenu* menu, int flags)
{
    TPopupMenu* target = menu ? menu : PopupMenu();
    if (!(flags & cmiKeepItems))
        ClearCustomMenuItems();
    if (OnAddCustomMenuItems) {
        TPopupMenu* const outer = addingTo_;
        addingTo_ = target;
        struct TRestore {
            TPopupMenu*& slot;
            TPopupMenu* value;
            ~TRestore() { slot = value; }
        } restore { addingTo_, outer };
        OnAddCustomMenuItems(this, flags);
    }
    if ((flags & cmiSeparator) && customItems_.Count() > 0 && target) {
        auto* line = new TMenuItem(target);
        line->SetCaption("-");
        target->Items()->Add(line);
    }
    return customItems_.Count();
}

void TQelGrid::update_menu_item(TQelCustomMenuItem& item)
{
    if (OnUpdateMenuItem && item.Item && item.Item->Visible())
        OnUpdateMenuItem(this, item.Id, item.Item);
}

void TQelGrid::update_menu_items()
{
    for (int i = customItems_.Count() - 1; i >= 0; --i)
        if (i < customItems_.Count()) // a handler may have freed items
            update_menu_item(*customItems_.Items(i));
}

void TQelGrid::drop_custom_item(const TComponent* item)
{
    for (int i = customItems_.Count() - 1; i >= 0; --i)
        if (static_cast<const TComponent*>(customItems_.Items(i)->Item) == item)
            customItems_.Delete(i);
}

void TQelGrid::Notification(TComponent* component, TOperation operation)
{
    TAdvStringGrid::Notification(component, operation);
    if (operation == opRemove)
        drop_custom_item(component);
}

void TQelGrid::WndProc(TMessage& message)
{
    // The custom items show their current state when the menu opens.
    if (message.Msg == WM_CONTEXTMENU && PopupMenu())
        update_menu_items();
    TAdvStringGrid::WndProc(message);
}

// ---- sorting ----------------------------------------------------------------------------------

TSortStyle TQelGrid::get_ColSortStyle(int col) const
{
    return col >= 0 && col < MaxColInfos ? sortStyles_[static_cast<std::size_t>(col)] : ssByContents;
}

void TQelGrid::set_ColSortStyle(int col, TSortStyle style)
{
    if (col >= 0 && col < MaxColInfos)
        sortStyles_[static_cast<std::size_t>(col)] = style;
}

void TQelGrid::GetColFormat(int col, TSortStyle& style)
{
    TSortStyle s = get_ColSortStyle(col);
    if (s == ssByContents) {
        // Numbers or dates when every non-empty cell is one, else text.
        bool numbers = true, dates = true, any = false;
        for (int r = FixedRows(); r < RowCount() && (numbers || dates); ++r) {
            const std::string_view text = store_.text(col, r);
            if (Trim(text).empty())
                continue;
            any = true;
            dates = dates && qel::grid::ParseDate(text).has_value();
            numbers = numbers && qel::grid::ParseNumber(text).has_value();
        }
        s = any && dates ? ssDate : any && numbers ? ssNumeric : ssAnsiAlphaNoCase;
    }
    keyedSortCol_ = -1;
    if (s == ssAnsiAlphaNoCase && ansiSortByIndex_) {
        s = ssRaw;
        keyedSortCol_ = col;
    }
    style = s;
}

bool TQelGrid::UsesSortKeys(int col)
{
    return col == keyedSortCol_;
}

std::int64_t TQelGrid::SortKey(int col, int row)
{
    // The key of ten characters orders rows as the key of five followed by their text does
    // (neither contradicts AnsiCompareText), with far fewer ties; texts whose five-character key
    // is empty stay equal.
    // The upper 30 bits of the ten-character key are the five-character key.
    std::string buffer;
    const std::int64_t key = str2key64(sortText(store_.text(col, row), buffer));
    return (key >> 30) == 0 ? 0 : key;
}

void TQelGrid::SortTieKey(int col, int row, std::string& out)
{
    // Rows with equal keys go by the text without regard to case; two empty keys are equal.
    std::string buffer;
    const std::string_view text = sortText(store_.text(col, row), buffer);
    if (str2key(text) != 0)
        QelAppendCollationKey(text, out);
}

void TQelGrid::RawCompare(int col, int row1, int row2, int& res)
{
    if (col != keyedSortCol_) {
        TAdvStringGrid::RawCompare(col, row1, row2, res);
        return;
    }
    // The order SortKey gives: by collation key, equal keys by AnsiCompareText, two empty keys
    // equal.
    std::string bufferA, bufferB;
    const std::string_view a = sortText(store_.text(col, row1), bufferA);
    const std::string_view b = sortText(store_.text(col, row2), bufferB);
    const std::int32_t ka = str2key(a), kb = str2key(b);
    if (ka != kb)
        res = ka < kb ? -1 : 1;
    else
        res = ka == 0 ? 0 : AnsiCompareText(a, b);
}
