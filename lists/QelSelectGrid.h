#pragma once
// TQelSelectGrid: lists the objects of one class, one row per object and one column per chosen
// field, the object key in the hidden column 0.
//
// What it lists comes from the class (ClassName), the current stored view ("Filter" to the user)
// with its parameter instance, and the base filter; their conditions are joined into
// SearchCondition. The columns come from per-class field settings kept for the whole partition
// under "SGFieldSettings". Per class the grid also remembers the selected object with the sort
// column ("location settings") and the last view ("filter settings").
//
// The unit is split by concern: QelSelectGrid.cpp (construction, class, options, settings),
// QelSelectGridViews.cpp (views, the view menu and tabs, view commands), QelSelectGridColumns.cpp
// (fields, column layout, cell texts, sorting), QelSelectGridLoad.cpp (loading, rows, selection),
// QelSelectGridMenu.cpp (the command entries of the menu, tool bar, shortcuts),
// QelSelectGridCommands.cpp (commands on objects), QelSelectGridExport.cpp (CSV, printing the
// list, templates).
#include "lists/QelGrid.h"

#include "toolkit/classes.h"
#include "toolkit/progressbar.h"
#include "toolkit/stdctrls.h"
#include "toolkit/tabctrl.h"
#include "toolkit/tabset.h"
#include "toolkit/timers.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

// In declaration order; the order is the bit order of the stored set.
enum TQelSelectGridOption {
    soDeleted, // list deleted objects
    soNotDeleted, // leave deleted objects out, unless the current view shows them
    soNoDerived, // only objects of exactly this class
    soKeyOnly, // the query asks for keys only
    soKeyVisible, // the key column is shown
    soNoMetaFields, // the query leaves out meta fields
    soAutoRefresh, // rows follow changes of objects
    soFilter, // a filter row under the header
    soUncommitted, // new, not yet stored objects are listed too
    soFilterAdmin, // views may be defined, edited, deleted and saved from the menu
    soUseCache, // lists are kept in the list cache
    soHideEmptyCols, // columns without any text are hidden after loading
    soMultiSelect, // several rows may be selected
    soPrintList, // "Liste drucken" is offered
    soCopyItem, // copying an object is offered
    soReloadObject, // for the application; the grid does not test it
    soMergeObjects, // merging objects is offered
};
using TQelSelectGridOptions = TSet<TQelSelectGridOption>;
inline constexpr const char* kQelSelectGridOptionNames[]
    = { "soDeleted", "soNotDeleted", "soNoDerived", "soKeyOnly", "soKeyVisible", "soNoMetaFields",
          "soAutoRefresh", "soFilter", "soUncommitted", "soFilterAdmin", "soUseCache", "soHideEmptyCols",
          "soMultiSelect", "soPrintList", "soCopyItem", "soReloadObject", "soMergeObjects" };
static_assert(std::size(kQelSelectGridOptionNames) == soMergeObjects + 1);

// One result column.
struct TQelSGColInfo {
    std::uint8_t SortStyle = ssAnsiAlphaNoCase; // the toolkit's sort style
    std::uint8_t SortKeysReady = 0; // the collation keys of the column have been computed
    const TQelFelddefinition* Felddefinition = nullptr; // the field the header names, or none
};

// What a view entry of the menu or a tab stands for: a view and its parameter instance (null for
// the full view, or for a view without parameters).
class TQelSGViewInstance : public TObject {
public:
    TQelSGViewInstance(TQelAnsicht* view, TQelFieldList* params)
        : Ansicht(view)
        , Params(params)
    {
    }
    TQelAnsicht* Ansicht;
    TQelFieldList* Params;
};

// (Sender, key, object).
using TQelKeyEvent = TEvent<TObject*, TQelObjectKey, TQelObject*>;
// (Sender, class, view&, instance&, parameter text&, ok&): ask for a view's parameters.
using TQelQueryParamsEvent
    = TEvent<TObject*, TQelClassKey, TQelAnsicht*&, TQelFieldList*&, std::string&, bool&>;
// (Sender, view&): create a view; a view returned becomes current.
using TQelCreateViewEvent = TEvent<TObject*, TQelAnsicht*&>;
// (Sender, view, changed&).
using TQelEditViewEvent = TEvent<TObject*, TQelAnsicht*, bool&>;
// (Sender, view, caption&, accept&, base filter view, class).
using TQelAddFilterEvent = TEvent<TObject*, TQelAnsicht*, std::string&, bool&, TQelAnsicht*, TQelClassKey>;
// (Sender, class, statement&).
using TQelQuerySelectEvent = TEvent<TObject*, TQelClassKey, std::string&>;
// (Sender, continue&).
using TQelCommitFailEvent = TEvent<TObject*, bool&>;
template <> struct TQelKeyTraits<TQelObjectKey> {
    static long long Id(const TQelObjectKey& key) { return key.Id(); }
};
// The keys of selected rows.
using TQelKeyList = TQelKeyListOf<TQelObjectKey>;

// (Sender, class).
using TQelNewClickEvent = TEvent<TObject*, TQelClassKey>;
// (Sender, allow&, class): AllowCreate, AllowDelete, AllowCopy; allow is preset to true.
using TQelAllowEvent = TEvent<TObject*, bool&, TQelClassKey>;
// (Sender, class&, proceed&, key): the copy's class may be changed, or the copy cancelled.
using TQelBeforeCopyEvent = TEvent<TObject*, TQelClassKey&, bool&, TQelObjectKey>;
// (Sender, source, mode&, copy): mode 0 leaves the copy uncommitted, 1 commits and selects it, 2
// also opens it.
using TQelAfterCopyEvent = TEvent<TObject*, TQelObject*, int&, TQelObject*>;
// (Sender, number of objects, class, key (0 for several), proceed&, question&).
using TQelBeforeDeleteQueryEvent = TEvent<TObject*, int, TQelClassKey, TQelObjectKey, bool&, std::string&>;
// (Sender, key, allow&): BeforeDelete, BeforeDump.
using TQelBeforeKeyEvent = TEvent<TObject*, TQelObjectKey, bool&>;
// (Sender, object).
using TQelObjectEvent = TEvent<TObject*, TQelObject*>;
// (Sender, key).
using TQelKeyNotifyEvent = TEvent<TObject*, TQelObjectKey>;
// (Sender, keys).
using TQelMultiKeyEvent = TEvent<TObject*, const TQelKeyList&>;
// (Sender, keys, target&): the target may be changed, or set to 0 to cancel.
using TQelMergingEvent = TEvent<TObject*, const TQelKeyList&, TQelObjectKey&>;
// (Sender, file name&).
using TQelSaveCSVEvent = TEvent<TObject*, std::string&>;
// (Sender, template key, keys, proceed&): before objects are exported with a template.
using TQelExportingEvent = TEvent<TObject*, TQelObjectKey, const TQelKeyList&, bool&>;

// A custom menu item of the select grid: shown only for objects of its class (0: any), or of a
// class derived from it when `Derived` is set.
struct TQelSGCustomMenuItem : TQelCustomMenuItem {
    TQelClassKey Class;
    bool Derived = true;
};

class TToolBar;
class TQelSelectGrid;
struct TQelSGLoad;
// ForEachSelected: (Sender, row, key, data, continue&).
using TQelForEachSelected = std::function<void(TQelSelectGrid*, int, TQelObjectKey, void*, bool&)>;

class TQelSelectGrid : public TQelGrid {
public:
    explicit TQelSelectGrid(TComponent* owner);
    ~TQelSelectGrid() override;

    static constexpr TColor DeletedViewColor = clSilver;
    // The popup menu is rebuilt this long after the base filter changed.
    static constexpr int MenuDelayMs = 100;

    // ---- class and options (QelSelectGrid.cpp)
    // The stored name while it cannot be resolved (design time, no database), else the class's.
    std::string get_ClassName() const;
    void set_ClassName(const std::string& name);
    // The current view's class when it derives from the grid's class, else the grid's class.
    TQelClassKey get_ClassType();
    void set_ClassType(TQelClassKey key) { set_ct(key, true); }
    // The grid's own class, without looking at the view.
    TQelClassKey GridClass() const { return classKey_; }
    TQelSelectGridOptions get_SelectGridOptions() const { return options_; }
    void set_SelectGridOptions(TQelSelectGridOptions options);
    // Loads the field settings (when a database exists).
    void Init();

    int get_AutoSortUpTo() const { return autoSortUpTo_; }
    void set_AutoSortUpTo(int n) { autoSortUpTo_ = n; }
    int get_SelectDelay() const { return selectDelay_; }
    void set_SelectDelay(int ms) { selectDelay_ = ms; }
    int get_FilterDelay() const { return filterDelay_; }
    void set_FilterDelay(int ms) { filterDelay_ = ms; }
    bool get_AutoInitialization() const { return autoInitialization_; }
    void set_AutoInitialization(bool on) { autoInitialization_ = on; }
    TColor FontColorCached = clWindowText;
    TColor FontColorTouched = TColor(0x008000);
    TColor FontColorNascent = TColor(0x008000);
    TColor FontColorFilter = clWindowText;
    TColor BrushColorFilter = clSilver;
    TColor SelectionColorActive = clGradientActiveCaption;
    TColor SelectionColorInactive = clGradientInactiveCaption;
    TColor get_FontColorCached() const { return FontColorCached; }
    void set_FontColorCached(TColor c) { FontColorCached = c; }
    TColor get_FontColorTouched() const { return FontColorTouched; }
    void set_FontColorTouched(TColor c) { FontColorTouched = c; }
    TColor get_FontColorNascent() const { return FontColorNascent; }
    void set_FontColorNascent(TColor c) { FontColorNascent = c; }
    TColor get_FontColorFilter() const { return FontColorFilter; }
    void set_FontColorFilter(TColor c) { FontColorFilter = c; }
    TColor get_BrushColorFilter() const { return BrushColorFilter; }
    void set_BrushColorFilter(TColor c) { BrushColorFilter = c; }
    TColor get_SelectionColorActive() const { return SelectionColorActive; }
    void set_SelectionColorActive(TColor c) { SelectionColorActive = c; }
    TColor get_SelectionColorInactive() const { return SelectionColorInactive; }
    void set_SelectionColorInactive(TColor c) { SelectionColorInactive = c; }

    // ---- views (QelSelectGridViews.cpp)
    std::string get_SearchCondition() const { return searchCondition_; }
    // A changed condition drops the current view; it does not reload.
    void set_SearchCondition(const std::string& condition);
    TQelAnsicht* get_CurrentView() const { return currentView_; }
    void set_CurrentView(TQelAnsicht* view) { SetCurrentView(view, nullptr, "", true); }
    TQelFieldList* get_CurrentParams() const { return currentParams_; }
    // NiceName of the current view and instance; "" for the full view and for the base filter.
    std::string get_CurrentViewName() const;
    void set_CurrentViewName(const std::string& name);
    void SetCurrentView(TQelAnsicht* view, TQelFieldList* params, const std::string& paramText, bool reload);
    TQelAnsichtKey get_BaseFilter() const { return baseFilter_; }
    void set_BaseFilter(TQelAnsichtKey key);
    // The condition of a view with its instance, restricted to the base filter.
    std::string get_search_condition(
        TQelAnsicht* view, TQelFieldList* params, TQelAnsichtKey baseFilter) const;
    std::string get_search_condition() const
    {
        return get_search_condition(currentView_, currentParams_, baseFilter_);
    }
    // The grid lists deleted objects because its view shows them.
    bool ShowsDeleted() const { return showDeleted_; }
    // Whether the view menu and tabs offer the view (valid for the class, deleted-objects views
    // only for administrators, fits the base filter, OnAddFilter agrees); `caption` receives the
    // entry's text.
    bool view_offered(TQelAnsicht* view, std::string& caption);
    // Rebuilds the popup menu (view entries, view commands, custom items) and the view tabs; with
    // a positive delay later, through the database's timer tasks (one pending build).
    void init_popupmenu(bool rebuild, int delay);
    // The view instances behind the menu entries and tabs.
    int ViewInstanceCount() const { return viewInstances_.Count(); }
    TQelSGViewInstance* ViewInstance(int index) const { return viewInstances_.Items(index); }
    // The view commands (also reachable from the menu).
    void DefineView();
    void EditCurrentView();
    void DeleteCurrentView();
    void SaveCurrentView();
    void ChangeDisplay();

    // ---- object commands (QelSelectGridMenu.cpp: menu, tool bar, shortcuts)
    // Sets visibility, enabling and captions of the command entries for the current selection;
    // runs before every popup and before a shortcut is looked up.
    void UpdatePopupMenu() { update_popup_menu(); }
    void update_popup_menu();
    // Adds the item only when `cls` is 0, derives from the grid's class or, with `derived`, the
    // grid's class derives from it; otherwise the item is freed and none is added.
    TQelCustomMenuItem* AddCustomMenuItem(int id, TMenuItem* item, TQelClassKey cls, bool derived = true);
    using TQelGrid::AddCustomMenuItem;
    // Buttons 0, 1 and 2 of the bar run create, edit and delete; each is enabled exactly when its
    // entry is visible.
    TToolBar* get_MenuToolBar() const { return menuToolBar_; }
    void set_MenuToolBar(TToolBar* bar);
    // The command entries of the current menu (null before the first build).
    enum TCommand {
        cmdCreate,
        cmdEdit,
        cmdDelete,
        cmdMerge,
        cmdPrint,
        cmdCopy,
        cmdRepair,
        cmdUnlock,
        cmdPrintList,
        cmdSaveCSV,
        cmdExport,
        cmdPreview,
        cmdAttributes,
        cmdRestore,
        cmdDump,
        cmdCount
    };
    TMenuItem* CommandItem(TCommand command) const { return commandItems_[command]; }

    // ---- the commands (QelSelectGridCommands.cpp, QelSelectGridExport.cpp)
    void NewObject();
    void EditSelected();
    void DeleteSelected();
    void RestoreSelected();
    void DumpSelected();
    void MergeSelected();
    void PrintSelected();
    // Copies the object of `key` (0: the selected one); only with exactly one object selected.
    void CopyObject(TQelObjectKey key = {});
    void RepairSelected();
    void UnlockSelected();
    void PrintList();
    void SaveListAsCSV();
    void ExportSelected(TQelObjectKey templateKey);
    void PreviewSelected(TQelObjectKey templateKey);
    // Toggles flag `index` on the selected objects and reloads.
    void ToggleFlag(int index);
    // Ctrl+R: the selected objects and their rows read again from the database; an object
    // changed in this session is reloaded only when the user agrees (yes, no, cancel).
    void ReloadSelected();

    TTabControl* get_ViewTabCtl() const { return viewTabCtl_; }
    void set_ViewTabCtl(TTabControl* tabs);
    TAdvTabSet* get_ViewTabSet() const { return viewTabSet_; }
    void set_ViewTabSet(TAdvTabSet* tabs);

    // ---- fields, settings and columns (QelSelectGridColumns.cpp)
    // The field list of the class: its parents' entries first, then its own, joined by ",".
    std::string get_Fields() const;
    // Stores the class's own entry.
    void set_Fields(const std::string& fields);
    void LoadFieldSettings();
    void SaveFieldSettings();
    std::string GetFieldSettings(TStrings* into) const;
    void SetFieldSettings(TStrings* from);
    void SetFieldSettings(const std::string& commaText);
    std::string GetLocSettings(TStrings* into);
    void SetLocSettings(TStrings* from);
    std::string GetFilterSettings(TStrings* into);
    void SetFilterSettings(TStrings* from);
    // The column whose header is `name`; with FieldCaptions also the column of the field `name`.
    int ColumnByName(const std::string& name) const;
    // Headers show the fields' descriptions (their captions) instead of their names.
    bool get_FieldCaptions() const { return fieldCaptions_; }
    void set_FieldCaptions(bool on);
    // The field a column lists: its field's name, else its header.
    std::string column_name(int col) const;
    const TQelFelddefinition* get_Felddefinition(int col) const;
    const TQelSGColInfo* SGColInfo(int col) const;
    // The text a cell shows for a stored value: choice values by their display text.
    std::string prepare_string(int col, const std::string& text) const;
    // Hides the data columns whose cells are all empty (when there is at least one data row).
    void hide_empty_cols();
    void QSort() override;

    // ---- loading and rows (QelSelectGridLoad.cpp)
    // Key 0: full reload; another key: that object's row.
    void Reload(TQelObjectKey key = {});
    void reload(TQelAnsicht* view, TQelObjectKey selectKey);
    // Empties the list (header kept) until the next load.
    void ClearList();
    // Rows loaded from the database (rows of new objects follow them).
    int EntryCount() const { return entryCount_; }
    int FirstDataRow() const { return options_.Contains(soFilter) ? 2 : 1; }
    TQelObjectKey get_Key(int row) const;
    TQelObject* get_Object(int row);
    int get_row(TQelObjectKey key) const;
    TQelObjectKey get_SelectedKey() const { return get_Key(Row()); }
    void set_SelectedKey(TQelObjectKey key);
    TQelObject* get_SelectedObject() { return get_Object(Row()); }
    // The list statement of the last full load (for the log and tests).
    const std::string& LastStatement() const { return lastStatement_; }
    // The statement of the last single-row reload.
    const std::string& LastSingleStatement() const { return lastSingleStatement_; }
    // ListEx flags for the current options and view.
    int listopts() const;
    // `cond` joined with the filter row's condition (soFilter).
    std::string extend_searchcond(const std::string& cond) const;
    // The application's statement for `cond` (OnQuerySelect), or "" when it gives none.
    std::string query_select(const std::string& cond);
    // Whether objects of `cls` belong in the list (the class itself or, without soNoDerived, a
    // derived one).
    bool class_type_fits(TQelClassKey cls) const;

    // ---- paged loading (QelSelectGridPaging.cpp)
    // A list longer than FirstPageRows shows those rows at once and reads the rest, PageRows at a
    // time, on the UI thread's idle time (the database's timer tasks); Loading() is true until
    // then. Changes of listed objects that arrive meanwhile are applied once the list is complete;
    // sorting and searching complete it first. Loads longer than ProgressDelayMs show a progress
    // bar at the foot of the grid.
    static constexpr int ProgressDelayMs = 500;
    int get_FirstPageRows() const { return firstPageRows_; }
    void set_FirstPageRows(int rows) { firstPageRows_ = std::max(1, rows); }
    int get_PageRows() const { return pageRows_; }
    void set_PageRows(int rows) { pageRows_ = std::max(1, rows); }
    bool Loading() const { return load_ != nullptr; }
    // Reads the rest of a running load now.
    void CompleteLoad();
    // The progress bar of long loads (null before the first one), shown while it runs.
    TProgressBar* LoadProgress() const { return progress_; }

    // ---- single rows, notifications, uncommitted objects (QelSelectGridRows.cpp)
    // Reloads the row of one object; the list is not read again. False when the object may not be
    // added (search filter on).
    bool reload_single(TQelObjectKey key);
    TQelObject* AttachedObject(int row) const;
    int get_row(TQelObject* obj) const;
    int get_row(TQelField* field, int* col) const;
    bool get_Frozen() const { return frozen_; }
    void set_Frozen(bool frozen);
    // The uncommitted objects listed below the loaded rows.
    const std::vector<TQelObject*>& NascentObjects() const { return nascent_; }
    // The filter row's object (soFilter), or null.
    TQelObject* FilterObject() const { return filterObject_; }
    std::string get_Filter(const std::string& column) const;
    void set_Filter(const std::string& column, const std::string& value);
    bool TouchedAnyObjects() const;
    bool CommitAllObjects();
    void RollbackAllObjects();
    // The instance-notification subscription of the class (0 = none).
    int Subscription() const { return subscription_; }

    // ---- selection and input (QelSelectGridSelect.cpp)
    int SelectCount() const;
    bool ForEachSelected(const TQelForEachSelected& callback, void* data);
    void GetSelectList(TQelKeyList* keys);
    void SelectRow(int row, int delay = -1);
    bool KeySelectPending() const;
    // The popup menu opens this long after the request (right button, menu key), and not while
    // the selection notice is pending.
    static constexpr int PopupDelayMs = 50;
    bool PopupPending() const { return popupTimer_ && popupTimer_->Enabled(); }
    bool SetSelection(const std::string& column, const std::string& value);
    std::string GetSelected(const std::string& column) const;

    // ---- search (QelSelectGridSearch.cpp)
    bool Lookup(const std::string& text, bool backward, bool restart);
    // Extended search (Ctrl+F, the ExtSearch button): a search template of the class, its
    // parameters asked through OnQueryParams, becomes the current view.
    void ext_search();
    TCustomEdit* get_SearchEdit() const { return searchEdit_; }
    void set_SearchEdit(TCustomEdit* edit);
    TButtonControl* get_SearchPrev() const { return searchPrev_; }
    void set_SearchPrev(TButtonControl* button);
    TButtonControl* get_SearchNext() const { return searchNext_; }
    void set_SearchNext(TButtonControl* button);
    // Enabled while OnQueryParams is assigned.
    TButtonControl* get_ExtSearch() const { return extSearch_; }
    void set_ExtSearch(TButtonControl* button);
    // The last search of all select grids: column, row and text.
    static void ResetLastSearch();

    // Events.
    TQelKeyEvent OnKeySelect;
    TQelKeyEvent OnKeyOpen;
    TQelKeyEvent OnKeyExplore;
    TNotifyEvent OnViewParams;
    TNotifyEvent OnViewChange;
    TQelCreateViewEvent OnCreateView;
    TQelEditViewEvent OnEditView;
    TQelQueryParamsEvent OnQueryParams;
    TQelQuerySelectEvent OnQuerySelect;
    TQelAddFilterEvent OnAddFilter;
    TQelCommitFailEvent OnCommitFail;
    TNotifyEvent OnSelectedKeyReloaded;
    TNotifyEvent BeforeReload;
    TNotifyEvent AfterReload;
    TQelNewClickEvent OnNewClick;
    TQelKeyEvent OnKeyPrint;
    TQelMultiKeyEvent OnMultiKeyPrint;
    TNotifyEvent OnPrintList;
    TQelAllowEvent AllowCreate;
    TQelAllowEvent AllowDelete;
    TQelAllowEvent AllowCopy;
    TQelBeforeCopyEvent BeforeCopy;
    TQelAfterCopyEvent AfterCopy;
    TQelBeforeDeleteQueryEvent BeforeDeleteQuery;
    TQelBeforeKeyEvent BeforeDelete;
    TQelObjectEvent AfterDelete;
    TQelBeforeKeyEvent BeforeDump;
    TQelKeyNotifyEvent AfterDump;
    TQelExportingEvent OnExporting;
    TQelMergingEvent OnMerging;
    TQelSaveCSVEvent OnSaveCSV;

protected:
    void set_ct(TQelClassKey key, bool reload);
    void set_currentview(TQelAnsicht* view, TQelFieldList* params, const std::string& paramText, bool reload);
    void GetColFormat(int col, TSortStyle& style) override;
    void GetCellAlign(int col, int row, TAlignment& hAlign, TVerticalAlignment& vAlign) override;
    int SortEndRow() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoEnter() override;
    void DoExit() override;
    void Notification(TComponent* component, TOperation operation) override;
    bool SelectCell(int col, int row) override;
    void GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font) override;
    void GetCellReadOnly(int col, int row, bool& answer) override;
    // Rows are selected whole, and the filter row is edited all the same.
    bool CanEditShow() override;
    void SetEditText(int col, int row, const std::string& value) override;
    std::unique_ptr<TQelCustomMenuItem> create_cmi() override;
    void update_menu_item(TQelCustomMenuItem& item) override;
    void SortSwapRows(int row1, int row2) override;
    void SortRowsMoved(int firstRow, const std::vector<int>& order) override;
    // The filter row is no line of a CSV file.
    bool WritesCsvRow(int row) override;
    void WndProc(TMessage& message) override;

private:
    // The class the rows are of: the current view's when it derives from the grid's class.
    TQelClassKey list_class() const;
    // Settings lines keyed by the class key.
    std::string classLine(const TStrings& list, TQelClassKey cls) const;
    void setClassLine(TStrings& list, TQelClassKey cls, const std::string& value);
    void save_class_settings();
    void load_class_settings(TQelObjectKey& selectKey);
    void layout_columns(TQelSQLQuery& query, const std::vector<std::string>& fields);
    // Column records for the header's names (rows restored from the list cache).
    void rebuild_colinfos();
    bool restore_from_cache();
    void fill_filter_row();
    void reload_nascent_objects();
    void make_filter_object();
    void drop_filter_object();
    void database_event(int event);
    void subscribe();
    void unsubscribe();
    void instance_event(int event, TQelObjectKey key, TQelObject* obj);
    void index_dirty() { indexDirty_ = true; }
    // Focuses `row` of the list just read. When that is the place focused before but another
    // object stands there now, the selection notice runs as for a move.
    void focus_listed_row(int row);
    // Scrolls `row` of the list just read into view; near the top the list shows from its top,
    // the filter row included.
    void show_listed_row(int row);
    // The first column on screen right of the key column (1 when there is none).
    int first_shown_col() const;
    // The object the selection moves to when the rows of `leaving` go: the next row that stays,
    // else the nearest one above; none when the current row stays.
    TQelObjectKey successor_key(const std::vector<TQelObjectKey>& leaving) const;
    void key_select_now();
    void select_timer_tick(TObject* sender);
    void popup_timer_tick(TObject* sender);
    void search_edit_change(TObject* sender);
    void search_edit_key(TObject* sender, WORD& key, TShiftState shift);
    void search_button_click(TObject* sender);
    void update_search_buttons();
    // A new class: the search controls start empty and get the grid's handlers again.
    void reset_search_controls();
    // Points a search button at the grid (null: lets go of the one in `slot`).
    void attach_search_button(TButtonControl*& slot, TButtonControl* button);
    bool find_from(const std::string& text, int flags, int searchCol, int startCol, int startRow,
        bool backward, int& foundCol, int& foundRow);
    // Reads up to `limit` more records of the running load into rows; false once it has ended.
    bool fill_rows(int limit);
    // Steps after the rows are in (sort, selection, uncommitted rows, widths, AfterReload).
    void finish_load();
    // The last steps of every load: rows of uncommitted objects, key column, widths, AfterReload.
    void load_done();
    void start_load_steps(TQelTimerTasks* tasks);
    void load_step();
    void stop_load();
    bool defer_reload(TQelObjectKey key);
    bool defer_select(TQelObjectKey key);
    void show_progress();
    // The loaded row whose key text is the key's (a scan: the key index may be out of date).
    int find_loaded_row(TQelObjectKey key) const;
    std::vector<std::string> field_names() const;
    void tab_change(TObject* sender);
    void select_tabs();
    void fill_tabs(const std::vector<std::pair<std::string, TQelSGViewInstance*>>& entries);
    void view_menu_click(TObject* sender);
    void menu_task_elapsed(bool rebuild);
    void delete_view(TQelAnsicht* view, TQelFieldList* params);
    void update_background();
    // Makes the view and instance current (steps after the same-view test).
    void apply_view(TQelAnsicht* view, TQelFieldList* params, bool reload);
    // Shared by ViewTabSet and ViewTabCtl.
    template <class Tabs> void attach_tabs(Tabs*& slot, Tabs* tabs);
    TQelSGViewInstance* tab_instance(TObject* sender) const;
    // Menu building (QelSelectGridMenu.cpp).
    void add_command_items(TPopupMenu* menu);
    void add_list_items(TPopupMenu* menu);
    void add_deleted_items(TPopupMenu* menu);
    void update_tool_bar();
    // Visibility and captions of the command entries only (the custom items follow separately).
    void update_command_items();
    bool run_shortcut(WORD key, TShiftState shift);
    // The selection as keys (top row first); shows "Kein Eintrag gewählt." titled `title` when
    // there is none.
    bool selection(TQelKeyList& keys, const char* title);
    // Runs `step` on each of `keys` in turn. A step that fails returns false with its reason: the
    // user is told `failed` (filled with the class noun in case 2 with "d", the object's name and
    // the reason) titled `title`, and the next object follows.
    void each_object(const std::vector<TQelObjectKey>& keys, const char* failed, const std::string& title,
        const std::function<bool(TQelObjectKey, TQelObject*, std::string& reason)>& step);
    // Runs `command` on all of `keys` at once (one transaction); when the store refuses it, and
    // so nothing has changed, on each key by itself as each_object does. The keys done.
    std::vector<TQelObjectKey> all_or_each(const std::vector<TQelObjectKey>& keys, const char* failed,
        const std::string& title,
        const std::function<bool(const std::vector<TQelObjectKey>&, std::string& reason)>& command);
    // Class and plural noun phrases of the listed class.
    std::string class_np(const std::string& adjective, int casus, bool singular) const;
    bool allowed(const TQelAllowEvent& event, TQelClassKey cls) const;
    // Whether the database can be written.
    bool writable() const;

    TQelSelectGridOptions options_ { soNotDeleted, soNoMetaFields, soAutoRefresh, soFilterAdmin,
        soHideEmptyCols };
    std::string className_;
    TQelClassKey classKey_;
    std::string searchCondition_;
    TQelAnsicht* currentView_ = nullptr;
    TQelFieldList* currentParams_ = nullptr;
    TQelAnsichtKey baseFilter_;
    bool showDeleted_ = false;
    int autoSortUpTo_ = 10000;
    int selectDelay_ = 350;
    int filterDelay_ = 500;
    bool autoInitialization_ = true;
    bool fieldCaptions_ = false;
    int entryCount_ = 0;
    std::string lastStatement_;
    std::string lastSingleStatement_;
    TAdvTabSet* viewTabSet_ = nullptr;
    TTabControl* viewTabCtl_ = nullptr;
    std::vector<TQelSGViewInstance*> tabCtlInstances_; // the view instance of each ViewTabCtl tab
    bool fillingTabs_ = false;
    TQelPtrList<TQelSGColInfo> colInfos_ { true };
    // The headers of the last column layout: columns that list the same field keep their settings.
    std::vector<std::string> laidOut_;
    TQelPtrList<TQelSGViewInstance> viewInstances_ { true };
    TStringList fieldSettings_;
    TStringList locSettings_;
    TStringList filterSettings_;
    // The running load (a query read in pages), or null.
    std::unique_ptr<TQelSGLoad> load_;
    int firstPageRows_ = 100000;
    int pageRows_ = 25000;
    TProgressBar* progress_ = nullptr;
    TQelTimerScope loadTimer_ { &loadTimer_ };
    // Menu items of the last build: freed at the next one, not while a click on one runs.
    std::vector<TMenuItem*> retiredItems_;
    TQelTimerScope menuTimer_ { &menuTimer_ }; // its own owner: the grid base keeps tasks of its own
    std::array<TMenuItem*, cmdCount> commandItems_ {};
    TToolBar* menuToolBar_ = nullptr;

    // Key -> row of the listed rows, rebuilt after changes that move rows.
    mutable std::unordered_map<int, int> keyRows_;
    mutable bool indexDirty_ = true;
    std::vector<TQelObject*> nascent_;
    TQelObject* filterObject_ = nullptr;
    int subscription_ = 0;
    int dbNotification_ = 0;
    bool frozen_ = false;
    bool reloadPending_ = false;
    TQelObjectKey frozenKey_;
    // The object selected when the last full load began.
    TQelObjectKey shownBeforeReload_;
    int frozenRow_ = -1;
    bool keySelectPending_ = false;
    int nextSelectDelay_ = -1; // a SelectRow delay for the next notice
    int selectRow_ = -1; // the row the pending notice is for
    std::unique_ptr<TTimer> selectTimer_;
    std::unique_ptr<TTimer> popupTimer_;
    TPoint popupAt_; // where the menu is to open, on the screen
    TCustomEdit* searchEdit_ = nullptr;
    TButtonControl* searchPrev_ = nullptr;
    TButtonControl* searchNext_ = nullptr;
    TButtonControl* extSearch_ = nullptr;
};
