#pragma once
// TQelRevVectorGrid: the objects of class ClassName that refer to the grid's current object,
// through the reference field FieldName (directly, or inside one of their vectors: "Adressen.Firma",
// "Adressen[Art = 'Büro'].Firma"). One row per referring object, one column per line of FieldNames
// (vectors/qelrvgcoldefs.h). While editable, a last row creates a new referring object already
// linked to the current one; cells of the referring objects are edited in place; they are
// committed or rolled back together with the current object.
//
// Rows are filled from one list statement; a row's object is loaded only when it is edited,
// opened or needs it for a cell (a path into a vector). Objects in memory show their values in
// memory. The grid hears the row objects that are in memory and the class's instance
// notifications: a referring object stored elsewhere reloads the list once after a short delay.
#include "binding/commonlink.h"
#include "binding/methods.h"
#include "binding/qeldatacontrol.h"
#include "lists/QelGrid.h"
#include "vectors/qelrvgcoldefs.h"
#include "vectors/qelvectorkit.h"

#include "objdb/qelvalue.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TToolBar;
class TMenuItem;

enum TQelRevVectorGridOption {
    rvoAutoConnect,
    rvoAutoOpenObject,
    rvoFieldEdit,
    rvoDeleteAllowed,
    rvoDeleteQuery,
    rvoMRD
};
using TQelRevVectorGridOptions = TSet<TQelRevVectorGridOption>;
inline constexpr const char* kQelRevVectorGridOptionNames[] = { "rvoAutoConnect", "rvoAutoOpenObject",
    "rvoFieldEdit", "rvoDeleteAllowed", "rvoDeleteQuery", "rvoMRD" };
static_assert(std::size(kQelRevVectorGridOptionNames) == rvoMRD + 1);

using TQelRVGChooseObjectEvent = TEvent<TObject*, TQelClassKey, TQelObjectKey&>;
using TQelRVGOpenObjectEvent = TEvent<TObject*, TQelObject*, bool>;
using TQelRVGOpenTextEvent = TEvent<TObject*, TQelTextField*, bool>;
using TQelRVGCreateObjectEvent = TEvent<TObject*, TQelClassKey, TQelObject*&>;
using TQelRVGBeforeDeleteEvent = TEvent<TObject*, TQelObjectKey, bool&>;
using TQelRVGInitEditorEvent = TEvent<TObject*, TWinControl*, TQelField*>;
using TQelRVGInvalidRefStringEvent = TEvent<TObject*, std::string, TQelRefField*>;
using TQelRVGRowFontEvent = TEvent<TObject*, int, TQelObject*, TColor&, TFontStyles&>;
using TQelRVGTouchEvent = TEvent<TObject*, int, TQelObject*, TQelObjectInterface*>;

// Where FieldName puts the reference: a field of the class, or a field of the elements of one of
// its vectors with an optional extra condition on them.
struct TQelRVGBase {
    const TQelFelddefinition* Field = nullptr;
    const TQelVektordefinition* Vector = nullptr;
    std::string Condition; // the bracketed condition on the elements; empty: none
    bool Valid() const { return Field != nullptr; }
};

class TQelRevVectorGrid : public TQelDataControl<TQelGrid> {
public:
    static constexpr int ReloadDelayMs = 100;

    explicit TQelRevVectorGrid(TComponent* owner);
    ~TQelRevVectorGrid() override;

    static TQelRevVectorGridOptions DefaultOptions();

    // --- Binding -----------------------------------------------------------------------------
    bool Connect(const TQelObject* obj, bool onlyIfUnconnected);
    // Only with rvoAutoConnect: connects to the object of `fl`; 1 when connected, else 0.
    int ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected);
    int Disconnect() { return Connect(nullptr, false) ? 1 : 0; }
    bool Connected() const { return current_ != nullptr; }
    TQelObject* CurrentObject() const { return current_; }

    // --- Properties --------------------------------------------------------------------------
    TQelRevVectorGridOptions get_RevVectorGridOptions() const { return options_; }
    void set_RevVectorGridOptions(TQelRevVectorGridOptions options);
    const std::string& get_ClassName() const { return className_; }
    void set_ClassName(const std::string& name);
    const std::string& get_FieldName() const { return fieldName_; }
    void set_FieldName(const std::string& name);
    bool get_ReadOnly() const { return readOnly_; }
    void set_ReadOnly(bool v);
    bool get_AddLink() const { return addLink_; }
    void set_AddLink(bool v);
    const TStringList& get_FieldNames() const { return fieldNames_; }
    void set_FieldNames(const TStrings& lines);
    int get_ShowDownTo() const { return showDownTo_; }
    void set_ShowDownTo(int classKey);
    TToolBar* get_ToolBar() const { return toolBar_; }
    void set_ToolBar(TToolBar* bar);

    // --- Rows and columns --------------------------------------------------------------------
    int ObjectCount() const { return static_cast<int>(rows_.size()); }
    TQelObjectKey get_Key(int row) const;
    // The row's object, loaded when it is not in memory (null for rows without one).
    TQelObject* get_Object(int row);
    int get_row(const TQelObject* obj) const;
    bool has_object(const TQelObject* obj) const { return get_row(obj) >= 0; }
    TQelField* get_Field(int col, int row);
    TQelField* get_CurrentField() { return get_Field(Col(), Row()); }
    const TQelRVGInfo* current_rvgi() const;
    TQelRefField* current_orf();
    TQelObjectKey current_key();
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const TQelRVGColumn* ColumnAt(int col) const;
    // What FieldName resolves to in ClassName (for the current object's class when empty).
    TQelRVGBase get_base_fd() const;
    // The selection condition of the last load ("" when nothing could be listed).
    const std::string& Condition() const { return condition_; }
    bool IsAddRow(int row) const;

    // --- Loading and storing -----------------------------------------------------------------
    // delay >= 1: later, through the timer tasks (a pending reload is reset, not duplicated).
    void Reload(int delay = 0);
    // Commits every touched referring object; a new one left empty is dropped.
    void CommitAll();
    // Rolls every referring object back; new ones are dropped.
    void RollbackAll();
    // The text cell (col, row) shows for `field` (none: the row object's "<Name>").
    std::string CellText(int col, int row, TQelField* field);
    void read(int col, int row);

    // --- Commands ----------------------------------------------------------------------------
    void add_item();
    void delete_obj_event();
    void activate_field(TQelField* field, bool explicitly, const TQelRVGInfo* info);
    void click_orf(TQelRefField* ref);
    TPopupMenu* ReferenceMenu() const { return menu_; }

    TQelRVGChooseObjectEvent OnChooseObject;
    TQelRVGOpenObjectEvent OnOpenObject;
    TQelRVGOpenTextEvent OnOpenText;
    TQelRVGCreateObjectEvent OnCreateObject;
    TQelRVGBeforeDeleteEvent BeforeDeleteObject;
    TQelRVGInitEditorEvent OnInitInplaceEditor;
    TQelRVGInvalidRefStringEvent OnInvalidRefString;
    TQelRVGRowFontEvent OnGetRowFontParams;
    TQelRVGTouchEvent OnTouch;

protected:
    void WndProc(TMessage& m) override;
    bool SelectCell(int col, int row) override;
    void GetEditorType(int col, int row, TEditorType& editor) override;
    void GetCellReadOnly(int col, int row, bool& answer) override;
    void SetEditText(int col, int row, const std::string& value) override;
    std::string GetEditText(int col, int row) override;
    void GetCellHint(int col, int row, std::string& hint) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoExit() override;
    void SortSwapRows(int row1, int row2) override;
    int SortEndRow() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    struct TRow {
        TQelObjectKey key;
    };
    bool editable() const { return !readOnly_; }
    void load();
    void parse_columns(const TQelKlasse* cls);
    std::string build_condition(const TQelRVGBase& base, const TQelKlasse* cls) const;
    void fill_from_statement(const TQelKlasse* cls, const TQelRVGBase& base, int& cp);
    void add_nascent(const TQelKlasse* cls, const TQelRVGBase& base);
    bool refers(TQelObject* obj, const TQelRVGBase& base) const;
    void write_rows(int& cp);
    void write_add_row();
    void apply_edit_options();
    void unwatch_rows();
    void instance_event(int event, TQelObjectKey key, TQelObject* obj);
    void remove_row(TQelObjectKey key);
    void field_touched(TQelObjectInterface* field);
    // A referring object the user changed is stored with every commit of the current object,
    // in the same transaction, even when the current object has nothing of its own to store.
    // A new one that holds nothing but the link is not (it is dropped instead).
    void follow(TQelObject* obj);
    void unfollow(TQelObjectKey key);
    void unfollow_all();
    // The plain editor's text goes into the field it was typed for, if that field is still there.
    void write_plain_text();
    // The typed text of a row whose object went away is dropped, and the user told so.
    void drop_edit();
    bool only_link(TQelFieldList* fl) const;
    void make_menu();
    void update_menu();
    std::string instance_field_name() const;
    std::string entry_path(const TQelRVGColumn& c) const;
    void report(const std::string& issue);
    TQelObject* cached(TQelObjectKey key) const;

    TQelObject* current_ = nullptr;
    std::weak_ptr<bool> currentAlive_;
    TQelRevVectorGridOptions options_;
    std::string className_;
    std::string fieldName_;
    bool readOnly_ = false;
    bool addLink_ = true;
    TStringList fieldNames_;
    int showDownTo_ = 0;
    TToolBar* toolBar_ = nullptr;
    std::vector<TRow> rows_;
    std::vector<TQelObjectKey> followers_; // the row objects this grid made followers
    std::unordered_map<int, int> keyRow_; // object key -> index in rows_
    std::vector<TQelRVGColumn> columns_;
    // The stored values the list statement brought, per statement row and column with a
    // statement column (storedCols_: its index in the statement, -1 for none).
    std::vector<TQelValue> stored_;
    std::vector<int> storedCols_;
    std::string stored_text(const TQelFelddefinition* def, const TQelValue& v, const TQelRVGInfo& info,
        std::unordered_map<std::string, std::string>& memo, TQelField* scratch);
    std::string condition_;
    std::vector<std::string> reported_;
    int subscription_ = 0;
    TQelLinkRegistry editorLinks_;
    TQelPlainEdit plain_;
    bool loading_ = false;
    TPopupMenu* menu_ = nullptr;
    TMenuItem* menuItems_[4] = {};
    TQelTimerScope timer_ { this };
};
