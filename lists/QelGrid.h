#pragma once
// TQelGrid: the base of the package's object grids. It adds to the toolkit's string grid
//  - width rules for columns 0 to 31 (pixels, characters, a sample text or a share of the client
//    width) with stretch weights, written as one settings string (lists/qelgridcols.h); the widths
//    follow the client width when the grid is resized and the columns right of a border the user
//    drags; what the user dragged becomes the columns' settings;
//  - storing that string per user under <name> + "ColSettings";
//  - custom popup-menu items that the application adds in OnAddCustomMenuItems and that
//    OnUpdateMenuItem refreshes each time before the grid's menu opens;
//  - the edit mode and the per-cell editing question (OnGetCellReadOnly);
//  - sorting: text columns by collation keys (AnsiSortByIndex), numbers and dates by value.
#include "binding/objdb.h"
#include "binding/toolkit.h"
#include "lists/qelgridcols.h"

#include "toolkit/advstringgrid.h"

#include <array>
#include <memory>
#include <string>

// A custom popup-menu item: the application's id and the menu item (owned by its menu).
struct TQelCustomMenuItem {
    virtual ~TQelCustomMenuItem() = default;
    int Id = 0;
    TMenuItem* Item = nullptr;
};

// (Sender, col, row, answer): answer true means the cell may be edited.
using TQelGetCellReadOnlyEvent = TEvent<TObject*, int, int, bool&>;
// (Sender, flags of add_custom_menu_items).
using TQelAddCustomMenuItemsEvent = TEvent<TObject*, int>;
// (Sender, id, menu item).
using TQelUpdateMenuItemEvent = TEvent<TObject*, int, TMenuItem*>;

class TQelGrid : public TAdvStringGrid {
public:
    static constexpr int MaxColInfos = 32;
    // When the columns do not fit, a column is made no narrower than this many characters (nor
    // than its own width, when that is less); the grid then scrolls sideways.
    static constexpr int MinReadableChars = 15;
    // Width changes are passed on this long after the last one.
    static constexpr int ColWidthsDelayMs = 100;
    // Flags of add_custom_menu_items.
    enum : int {
        cmiKeepItems = 0x2, // keep the custom items already listed
        cmiSeparator = 0x4, // append a separator after the items, when there are any
    };
    // Column sort style that lets the column's first non-empty cell decide (see GetColFormat).
    static constexpr TSortStyle ssByContents = ssAutomatic;

    explicit TQelGrid(TComponent* owner);
    ~TQelGrid() override;

    // One column's settings "<width>[/<stretch>]"; "" for a column 32 or beyond (setting one
    // there does nothing).
    std::string get_ColSettings(int col) const;
    void set_ColSettings(int col, const std::string& settings);
    // All columns' settings joined by ";". Writing sets the column count to the number of parts
    // (an empty text changes nothing).
    std::string get_AllColSettings() const;
    void set_AllColSettings(const std::string& settings);
    // Like set_AllColSettings, each part "<title>:<settings>"; a part without ":" is a title only
    // and keeps the column's settings. The titles become the header texts.
    void SetColumns(const std::string& columns);
    // The on-screen widths become fixed pixel settings with stretch 100.
    void UpdateColSettingsFromGrid();
    void RefreshColumnWidths(bool fromSettings, int firstCol) { refresh_colwidths(fromSettings, firstCol); }
    const TQelGridColInfo* ColInfo(int col) const;

    // Per-user storage under name + "ColSettings"; nothing happens with an empty name or without a
    // database and user. Loading applies the stored parts to the column records (the column count
    // stays as it is) and recomputes the widths from the settings.
    void LoadColWidths(const std::string& name);
    void SaveColWidths(const std::string& name);

    bool get_EditMode() const { return EditMode(); }
    void set_EditMode(bool on) { SetEditMode(on); }

    // Text columns sort by collation keys (str2key) and ties by AnsiCompareText; otherwise by
    // the toolkit's collator.
    bool get_AnsiSortByIndex() const { return ansiSortByIndex_; }
    void set_AnsiSortByIndex(bool on) { ansiSortByIndex_ = on; }
    // Sort style of a column (ssByContents by default; the select grid sets them from the fields).
    TSortStyle get_ColSortStyle(int col) const;
    void set_ColSortStyle(int col, TSortStyle style);

    // Custom popup-menu items.
    TQelCustomMenuItem* AddCustomMenuItem(int id, TMenuItem* item);
    void ClearCustomMenuItems();
    int GetCustomMenuItemCount() const { return customItems_.Count(); }
    TQelCustomMenuItem* GetCustomMenuItem(int index) const { return customItems_.Items(index); }
    // 0 when the menu item is none of the custom items.
    int GetCustomMenuItemId(const TMenuItem* item) const;
    // Asks OnAddCustomMenuItems for the items of `menu` (the grid's popup menu when null); returns
    // how many custom items there are.
    int add_custom_menu_items(TPopupMenu* menu, int flags);
    // Refreshes every custom item, last to first (also done before the grid's menu opens).
    void update_menu_items();

    TQelGetCellReadOnlyEvent OnGetCellReadOnly;
    TQelAddCustomMenuItemsEvent OnAddCustomMenuItems;
    TQelUpdateMenuItemEvent OnUpdateMenuItem;
    // Runs ColWidthsDelayMs after the last of a run of width changes (an application saves the
    // widths here).
    TNotifyEvent OnColWidthsChanged;

protected:
    virtual std::unique_ptr<TQelCustomMenuItem> create_cmi();
    virtual void update_menu_item(TQelCustomMenuItem& item);
    void refresh_colwidths(bool fromSettings, int firstCol);

    void UpdateColSize(int col, int& newWidth) override;
    void EndColumnSize(int col) override;
    void GetCellReadOnly(int col, int row, bool& answer) override;
    void ColWidthsChanged() override;
    void Resize() override;
    void DoExit() override;
    void WndProc(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;

    // Sorting.
    void GetColFormat(int col, TSortStyle& style) override;
    void RawCompare(int col, int row1, int row2, int& res) override;
    bool UsesSortKeys(int col) override;
    std::int64_t SortKey(int col, int row) override;
    void SortTieKey(int col, int row, std::string& out) override;

private:
    void apply_settings(int col, const std::string& settings);
    void col_widths_elapsed(TQelTaskId task);
    void drop_custom_item(const TComponent* item);

    std::array<TQelGridColInfo, MaxColInfos> colInfos_ {};
    std::array<TSortStyle, MaxColInfos> sortStyles_ {};
    bool refreshing_ = false; // widths are being recomputed
    int keyedSortCol_ = -1; // the column being sorted by collation keys
    bool ansiSortByIndex_ = true;
    TQelPtrList<TQelCustomMenuItem> customItems_ { true };
    TPopupMenu* addingTo_ = nullptr; // set while OnAddCustomMenuItems runs
    TQelTimerScope timers_ { this };
};
