#pragma once
// TQelVectorGrid: one vector field of the bound object as a grid. One data row per element, one
// data column per line of the column definition FieldNames (vectors/qelvgcoldefs.h), a header
// row, an optional line-number column and, while editable, an add row below the last element.
// References and text fields are shown as links, nested vectors as comma-joined lists, inactive
// elements of validity classes grey and struck out, the standard element bold.
//
// Edits go into the elements' fields in memory; the grid never commits. Element indexes are
// 1-based; with an Order the rows follow the database's map and VectorIndex stays an element index.
#include "binding/commonlink.h"
#include "binding/methods.h"
#include "binding/qeldatacontrol.h"
#include "lists/QelGrid.h"
#include "vectors/qelelementpanel.h"
#include "vectors/qelvectorkit.h"
#include "vectors/qelvgcoldefs.h"

#include <memory>
#include <string>
#include <vector>

class TChooseObjectBtn;
class TMenuItem;
class TQelPanel;
class TQelVectorGrid;
class TToolBar;

enum TQelVectorGridOption {
    voAutoChooseObject,
    voDeactivate,
    voDeleteAllowed,
    voDeleteQuery,
    voDetails,
    voInsertAllowed,
    voLineNumbers,
    voMarkInvalid,
    voMarkStandard,
    voSetStandard,
    voImportAllowed,
    voExportAllowed,
    voCopyAllowed,
    voDummy
};
using TQelVectorGridOptions = TSet<TQelVectorGridOption>;
inline constexpr const char* kQelVectorGridOptionNames[] = { "voAutoChooseObject", "voDeactivate",
    "voDeleteAllowed", "voDeleteQuery", "voDetails", "voInsertAllowed", "voLineNumbers", "voMarkInvalid",
    "voMarkStandard", "voSetStandard", "voImportAllowed", "voExportAllowed", "voCopyAllowed", "voDummy" };
static_assert(std::size(kQelVectorGridOptionNames) == voDummy + 1);

using TQelShowDetailsEvent = TEvent<TObject*, TQelVector*, int>;
using TQelVGChooseObjectEvent = TEvent<TObject*, TQelClassKey, TQelObjectKey&>;
using TQelVGOpenObjectEvent = TEvent<TObject*, TQelObject*, bool>;
using TQelOpenTextEvent = TEvent<TObject*, TQelTextField*, bool>;
using TQelVGAddItemEvent = TEvent<TObject*, TQelSubObject*>;
using TQelBeforeRemoveItemEvent = TEvent<TObject*, TQelSubObject*, bool&>;
using TQelGetValueEvent = TEvent<TObject*, TQelVector*, int, std::string, std::string&>;
using TQelValueChangedEvent = TEvent<TObject*, TQelVector*, int, std::string, std::string>;
using TQelInitInplaceEditorEvent = TEvent<TObject*, TWinControl*, TQelField*>;
using TQelInvalidRefStringEvent = TEvent<TObject*, std::string, TQelRefField*>;
using TQelBeforeExchangeItemsEvent = TEvent<TObject*, int, int, bool&>;
using TQelAfterExchangeItemsEvent = TEvent<TObject*, int, int>;
using TQelGetNameFormatEvent = TEvent<TObject*, TQelRefField*, TQelERVKeyField*, std::string&, std::string&>;

class TQelVectorGrid : public TQelDataControl<TQelGrid> {
public:
    explicit TQelVectorGrid(TComponent* owner);
    ~TQelVectorGrid() override;

    static TQelVectorGridOptions DefaultOptions();

    // --- Binding -----------------------------------------------------------------------------
    bool Connect(const TQelObject* obj, bool onlyIfUnconnected);
    // 0 when not connected afterwards, else 1.
    int ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected);
    int Disconnect() { return ConnectFL(nullptr, false); }
    // Connects again to the field list it was last given, when there is one.
    int Reconnect();
    bool Connected() const { return link_.Vector() != nullptr; }
    TQelVector* Vector() const { return link_.Vector(); }

    // --- Properties --------------------------------------------------------------------------
    TQelVectorGridOptions get_VectorGridOptions() const { return options_; }
    void set_VectorGridOptions(TQelVectorGridOptions options);
    bool get_ReadOnly() const { return readOnly_; }
    // No effect while the grid is not connected.
    void set_ReadOnly(bool v);
    int get_ShowDownTo() const { return showDownTo_; }
    void set_ShowDownTo(int classKey);
    // The column definition, one column per line; setting it reconnects.
    const TStringList& get_FieldNames() const { return fieldNames_; }
    void set_FieldNames(const TStrings& lines);
    const std::string& get_Order() const { return order_; }
    void set_Order(const std::string& order);
    const std::string& get_NameInfo() const { return nameInfo_; }
    void set_NameInfo(const std::string& info) { nameInfo_ = info; }
    bool get_Frozen() const { return frozen_; }
    // Clearing it reloads.
    void set_Frozen(bool v);
    TQelPanel* get_Panel() const { return panel_.Panel(); }
    // A field panel that shows the current row's element; a freed panel is forgotten.
    void set_Panel(TQelPanel* panel);
    TToolBar* get_ToolBar() const { return toolBar_; }
    // Its first four buttons mirror insert, delete, move up and move down of the element menu; a
    // double click on it recomputes the column widths. A freed tool bar is forgotten.
    void set_ToolBar(TToolBar* bar);

    // --- Rows and columns --------------------------------------------------------------------
    int ElementCount() const;
    int row2vix(int row) const;
    int vix2row(int vix) const;
    int get_VectorIndex() const { return row2vix(Row()); }
    void set_VectorIndex(int vix);
    int DataColumnCount() const { return static_cast<int>(columns_.size()); }
    // The column of data column `col` (grid column), none outside.
    const TQelVGColumn* ColumnAt(int col) const;
    // What the last load reported about the column definition and its fields.
    const std::vector<TQelVGSpecIssue>& SpecIssues() const { return issues_; }
    TQelFieldList* get_fl(int row) const;
    TQelField* get_Field(int col, int row) const;
    TQelVector* get_SubVec(int col, int row) const;
    TQelSubObject* get_SubObject(int row) const;
    TQelField* get_CurrentField() const { return get_Field(Col(), Row()); }
    void set_CurrentField(const TQelObjectInterface* oi);
    TQelVector* get_CurrentSubVec() const { return get_SubVec(Col(), Row()); }
    TQelSubObject* get_CurrentSubObject() const { return get_SubObject(Row()); }
    // Whether the element class has validity (derives from "Gültigkeit").
    bool has_guelt() const;

    // --- Loading -----------------------------------------------------------------------------
    void Reload();
    // Reads cell (col, row) again from its field, sub-vector or property (negative: current).
    void read(int col, int row);
    // The text a cell shows for `field` / `subvec` in column record `info` (may be null).
    std::string CellText(
        TQelField* field, TQelVector* subvec, TQelFieldList* fl, const TQelVGInfo* info) const;
    bool RefreshCustomFields(const std::string& names, int ix);

    // --- Editing commands --------------------------------------------------------------------
    void add_item();
    void insert_item_event();
    void copy_item_event();
    void delete_item_event();
    void moveup_event();
    void movedown_event();
    bool exchange_items(int a, int b, bool follow);
    void show_details_event();
    void set_standard_event();
    void deactivate_item_event();
    void choose_obj_event();
    void edit_obj_event();
    void del_ref_event();
    void import_event() { }
    void export_event() { }
    TQelRefField* current_orf() const;
    TQelObjectKey current_key() const;
    void activate_field(TQelField* field, int col);
    void click_orf(TQelRefField* ref);
    // Writes `text` into the target of cell (col, row) (row < 0: the current row).
    bool write(const std::string& text, int col, int row);
    // The column definition in its editor form; OK takes the edited lines and reconnects.
    void edit_coldefs();
    // Mirrors `item` on tool-bar button `slot`; enables the button that mirrors `item`.
    void add_to_tb(TMenuItem* item, int slot);
    void enable_tb(TMenuItem* item, bool enabled);

    TPopupMenu* ElementMenu() const { return elementMenu_; }
    TPopupMenu* ReferenceMenu() const { return referenceMenu_; }

    TQelShowDetailsEvent OnShowDetails;
    TQelVGChooseObjectEvent OnChooseObject;
    TQelVGOpenObjectEvent OnOpenObject;
    TQelOpenTextEvent OnOpenText;
    TQelVGAddItemEvent OnAddItem;
    TQelBeforeRemoveItemEvent BeforeRemoveItem;
    TNotifyEvent AfterRemoveItem;
    TQelGetValueEvent OnGetValue;
    TQelValueChangedEvent OnValueChanged;
    TQelInitInplaceEditorEvent OnInitInplaceEditor;
    TQelInvalidRefStringEvent OnInvalidRefString;
    TQelBeforeExchangeItemsEvent BeforeExchangeItems;
    TQelAfterExchangeItemsEvent AfterExchangeItems;
    TQelGetNameFormatEvent OnGetNameFormat;
    TNotifyEvent BeforeSubConnect;
    TNotifyEvent AfterSubConnect;

protected:
    void WndProc(TMessage& m) override;
    bool SelectCell(int col, int row) override;
    void GetEditorType(int col, int row, TEditorType& editor) override;
    void GetCellReadOnly(int col, int row, bool& answer) override;
    void SetEditText(int col, int row, const std::string& value) override;
    std::string GetEditText(int col, int row) override;
    void GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font) override;
    void GetCellAlign(int col, int row, TAlignment& hAlign, TVerticalAlignment& vAlign) override;
    void GetCellHint(int col, int row, std::string& hint) override;
    void EllipsClick(int col, int row, std::string& value) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void DoEnter() override;
    void DoExit() override;
    int SortEndRow() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    bool editable() const { return !readOnly_; }
    bool hasOrderMap() const { return !orderMap_.empty(); }
    bool isAddRow(int row) const;
    int dataCol(int col) const { return col - FixedCols(); }
    void parse_columns();
    // Cell (c, r) of a data row from its field, sub-vector, the application or a property.
    void load_cell(int c, int r, TQelFieldList* fl, int& cp);
    // Brings the rows into the vector's order after a move or an exchange (else reloads).
    void sync_rows();
    void write_add_row();
    void reload_field(TQelObjectInterface* field);
    void reload_subvec(TQelVector* subvec);
    void element_removed(int vix);
    std::string get_name(TQelRefField* ref, TQelERVKeyField* erv = nullptr) const;
    // Connects the Panel to the element of `row` (-1: the current row); a row without one
    // disconnects it.
    int sub_connect(int row = -1);
    // The tool-bar buttons are enabled as their commands would act on `row` (-1: the current).
    void update_toolbar(int row = -1);
    std::string name_info_phrase(const std::string& adjective, int casus) const;
    // Commands that change the vector close an open editor first, so that its text goes into the
    // element it was opened for while the rows still show the old order.
    void close_editor();
    // The plain editor's text goes into the field it was typed for, if that is still the
    // current cell's field.
    void write_plain_text();
    void make_popupmenus();
    void update_reference_menu();
    void popup_at(TPopupMenu* menu, int x, int y);
    void set_mark(unsigned wParam, TColor color);
    void remove_mark();
    TQelGueltigkeit* validity_element(int row) const;
    bool canChangeVector() const;
    // Insert and copy: a new element at `index` when `option` allows it and the current row has
    // an element; none (and a message at MaxCount) otherwise.
    TQelSubObject* insert_at(TQelVectorGridOption option, int index);
    // At MaxCount: says so and gives true.
    bool refused_at_max() const;

    TQelVectorGridOptions options_;
    bool readOnly_ = false;
    int showDownTo_ = 0;
    TStringList fieldNames_;
    std::string order_;
    std::string nameInfo_;
    bool frozen_ = false;
    bool reloading_ = false;
    std::vector<TQelVGColumn> columns_;
    // The element of each data row as loaded (compared only, never dereferenced).
    std::vector<const TQelSubObject*> shown_;
    std::vector<TQelVGSpecIssue> issues_;
    std::vector<int> orderMap_;
    TQelLinkRegistry editorLinks_;
    TPopupMenu* elementMenu_ = nullptr;
    TPopupMenu* referenceMenu_ = nullptr;
    TQelElementPanel panel_ { this };
    TToolBar* toolBar_ = nullptr;
    // The element menu's items on tool-bar slots 0 to 3 (insert, delete, up, down).
    TMenuItem* toolItems_[4] = {};
    // The field the plain editor was opened on (the cell's text is written into it on leaving).
    TQelPlainEdit plain_;
    bool marked_ = false;
};

// Lets `button` choose the objects of the grid's reference cells: the grid's OnChooseObject gives
// the button the reference's class and key, clicks it (its OnChoose shows the chooser) and takes
// its key back. Once the button is freed the handler leaves the key as it is.
void QelChooseObjectsWith(TQelVectorGrid* grid, TChooseObjectBtn* button);
