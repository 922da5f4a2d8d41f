#pragma once
// TQelCombo: the drop-down combo that edits one field: a choice out of a value domain, a boolean
// ("Ja"/"Nein"), a reference (the key of another object, shown by its name), an ERV key (a
// sub-object out of vectors) or a plain string. Every change of the selection is written to the
// field at once; a stored value that is not in the list is shown as it is and only a user's
// choice changes it. The item list of a reference field comes from a query the combo builds
// (QelComboSearch.cpp); typing searches after KeyStrokeTimeout ms.
//
// TQelComboLink: the grid in-place editor link whose editor is a TQelCombo bound to the cell's
// field (field types 3004, 3008, 3010, 13423).
#include "binding/commonlink.h"
#include "binding/qeldatacontrol.h"

#include "toolkit/advctrls.h"
#include "toolkit/timers.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

enum TQelComboOption { coChoiceAdmin, coRefObjAdmin };
using TQelComboOptions = TSet<TQelComboOption>;
inline constexpr const char* kQelSettingsLevelNames[]
    = { "slDatabase", "slPartition", "slUser", "slClient", "slProduct", "slOS", "slComputer" };
static_assert(std::size(kQelSettingsLevelNames) == slComputer + 1);
inline constexpr const char* kQelComboOptionNames[] = { "coChoiceAdmin", "coRefObjAdmin" };
static_assert(std::size(kQelComboOptionNames) == coRefObjAdmin + 1);

// What an item of the combo's list stands for: an object key (reference field) or a sub-object
// (ERV key field). Kept by the combo until its list is loaded anew.
class TQelComboItem : public TObject {
public:
    explicit TQelComboItem(TQelObjectKey k)
        : key(k)
    {
    }
    explicit TQelComboItem(TQelSubObject* s);
    TQelObjectKey key;
    // The sub-object while it exists.
    TQelSubObject* SubObject() const { return alive_.expired() ? nullptr : sub_; }

private:
    TQelSubObject* sub_ = nullptr;
    std::weak_ptr<bool> alive_;
};

using TQelEditRefObjEvent = TEvent<TObject*, TQelObject*>;
using TQelAddItemEvent = TEvent<TObject*, TQelObjectKey, std::string&, bool&>;
using TQelAddVecItemEvent = TEvent<TObject*, TQelSubObject*, std::string&, bool&>;
using TQelAddChoiceItemEvent = TEvent<TObject*, const std::string&, const std::string&, bool&>;
using TQelReloadEvent = TEvent<TObject*, const std::string&>;
using TQelAssociatedObjectsEvent = TEvent<TObject*, std::vector<TQelObjectKey>&>;

class TQelCombo : public TQelDataControl<TAdvCustomCombo> {
public:
    explicit TQelCombo(TComponent* owner);
    ~TQelCombo() override;

    // Binding (the link's procedure plus the combo's list and favourites).
    int ConnectFL(const TQelFieldList* fl, bool onlyIfNotConnected);
    int Disconnect() { return ConnectFL(nullptr, false); }
    int Reconnect();
    bool get_Connected() const { return link_.Field() != nullptr; }

    TQelChoiceField* get_ChoiceField() const { return QelSafeCast<TQelChoiceField>(Field()); }
    TQelBoolField* get_BoolField() const { return QelSafeCast<TQelBoolField>(Field()); }
    TQelRefField* get_RefField() const { return QelSafeCast<TQelRefField>(Field()); }
    TQelERVKeyField* get_ERVKeyField() const { return QelSafeCast<TQelERVKeyField>(Field()); }
    // A string field that is no ERV key field.
    TQelStringField* get_StringField() const;

    // Items and selection.
    int get_SelectedIndex() const;
    void set_SelectedIndex(int index);
    TQelObjectKey get_Key(int index) const;
    int IndexOfKey(TQelObjectKey key) const;
    TQelObjectKey get_SelectedKey() const { return get_Key(get_SelectedIndex()); }
    void set_SelectedKey(TQelObjectKey key);
    std::string get_SelectedText() const;
    void set_SelectedText(const std::string& text);
    bool get_Editable() const { return Editable(); }
    // Whether `text` (the selected text when null) may stand in the field.
    bool ValidText(const std::string* text = nullptr) const;
    void SetCursor(int start, bool);

    // Loading.
    void ReloadChoiceDomain() { load_choice_domain(); }
    void ReloadVectorDomain(bool connect, int delayMs) { reload_ervkey_domain(delayMs, connect); }
    void Reload(int index, const std::string& condition);
    void SetItems(const TStrings& list) override;
    void Clear() override;

    // Search.
    bool get_SearchMode() const;
    std::string get_SearchCondition() { return make_search_condition("", get_SearchMode()); }
    std::string get_ColumnName() const;
    TQelClassKey ref_ct() const;
    std::string make_search_condition(const std::string& text, bool byKeys);
    static std::string sql_add_condition(const std::string& statement, const std::string& condition);
    void load_list(bool notify, const std::string& condition, bool = false);
    // Asks whether `value` extends the domain of `field` (or of the field type); 6 yes, 7 no,
    // 2 cancel. The database may call it when a value outside a choice domain is stored.
    static void extend_domain_event(
        TQelChoiceField* field, TQelFieldKey fieldType, const std::string& value, int& result);
    // Asks whether the typed text extends the bound choice field's domain and stores it when so.
    bool ExtendDomain(const std::string& value);

    // Published properties.
    TQelComboOptions get_ComboOptions() const { return options_; }
    void set_ComboOptions(TQelComboOptions o);
    std::string get_NullString() const { return nullString_; }
    void set_NullString(const std::string& s) { nullString_ = s; }
    int get_MinSelTextLength() const { return minSelTextLength_; }
    void set_MinSelTextLength(int n) { minSelTextLength_ = n; }
    int get_KeyStrokeTimeout() const { return keyStrokeTimeout_; }
    void set_KeyStrokeTimeout(int ms) { keyStrokeTimeout_ = ms; }
    bool get_ShowCompleteList() const { return showCompleteList_; }
    void set_ShowCompleteList(bool v) { showCompleteList_ = v; }
    std::string get_ShowColumn() const { return showColumn_; }
    void set_ShowColumn(const std::string& s) { showColumn_ = s; }
    std::string get_SQLSelect() const { return sqlSelect_; }
    void set_SQLSelect(const std::string& s) { sqlSelect_ = s; }
    std::string get_SQLRestriction() const { return sqlRestriction_; }
    void set_SQLRestriction(const std::string& s) { sqlRestriction_ = s; }
    std::string get_RestrictedClassType() const { return restrictedClassType_; }
    void set_RestrictedClassType(const std::string& s) { restrictedClassType_ = s; }
    int get_FavoriteCount() const { return favoriteCount_; }
    void set_FavoriteCount(int n) { favoriteCount_ = n; }
    std::string get_FavoriteName() const { return favoriteName_; }
    void set_FavoriteName(const std::string& s) { favoriteName_ = s; }
    TQelSettingsLevel get_FavoriteLevel() const { return favoriteLevel_; }
    void set_FavoriteLevel(TQelSettingsLevel l) { favoriteLevel_ = l; }
    bool get_Sorted() const { return sorted_; }
    void set_Sorted(bool v) { sorted_ = v; }
    int get_PriorityLevel() const { return priorityLevel_; }
    void set_PriorityLevel(int v) { priorityLevel_ = v; }
    TQelObjectKey get_ObjectKey() const { return objectKey_; }
    void set_ObjectKey(TQelObjectKey k) { objectKey_ = k; }

    // The setting name of the favourites and the favourites as loaded (most recent first).
    std::string fav_name() const;
    const std::vector<std::string>& fav();
    void set_mark(bool on, int flags, TColor color);

    TQelEditRefObjEvent OnEditRefObj;
    TQelAddItemEvent OnAddItem;
    TQelAddVecItemEvent OnAddVecItem;
    TQelAddChoiceItemEvent OnAddChoiceItem;
    TNotifyEvent OnChooseObject;
    TQelReloadEvent BeforeReload;
    TQelReloadEvent AfterReload;
    TQelAssociatedObjectsEvent OnGetAssociatedObjects;

    void Repaint() override;

    // The unit registers the combo's grid link.
    static void UnitInitialize();
    static void UnitFinalize();

    // Popup menu handlers (public for the application's own menus).
    void create_refobj_event(TObject*);
    void edit_refobj_event(TObject*);
    void drop_refobj_event(TObject*);
    void init_popupmenu();

    // The separator above which the favourites stand.
    static constexpr const char* FavoriteSeparator = "----------";

protected:
    void WndProc(TMessage& m) override;
    void Change() override;
    void DropDown() override;
    void CloseUp() override;
    void Select() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DblClick() override;
    void DoEnter() override;
    void DoExit() override;

private:
    bool inGrid() const;
    bool loading() const;
    TComboBoxStyle choose_style() const;
    void apply_style();
    void set_drop_width(int width);
    void load_choice_domain();
    void reload_ervkey_domain(int delayMs, bool connect);
    void drop_ervkey_veclist();
    void keystroke_timer();
    // A reference's typed text becomes its value when it names an entry of the list (the empty
    // text names "no object" where that is a choice); else the field keeps its value, shown again.
    // Called when the user leaves the combo, presses Enter or a grid takes the cell's value.
    void accept_typed();
    // What leaving the combo checks: typed text of a reference is accepted, a choice typed outside
    // the domain extends it when the user agrees. Also run when the host sends 0x1C37.
    void validate_typed();
    // The search condition over `column`.
    std::string search_condition(const std::string& text, bool byKeys, const std::string& column);
    // The column the combo's own list is searched by (the listed class's display column).
    std::string list_column() const;
    std::string expand_restriction(TQelClassKey cls) const;
    int find_prefix(const std::string& text) const;
    // The items' attached objects come from a pool that is emptied with the list (a list of many
    // thousand items costs no allocation per item).
    template <class T> TQelComboItem* pool_item(T what) { return &itemPool_.emplace_back(what); }
    void clear_items();
    void insert_fav();
    void remove_fav();
    void add_fav();
    void clear_fav(bool save);
    bool field_refers_to_class() const;
    std::string ref_name(TQelObject* obj) const;

    TQelComboOptions options_;
    std::string nullString_ = "<keine Auswahl>";
    int minSelTextLength_ = 0;
    TWinControl* searchPanel_ = nullptr;
    const TQelFelddefinition* searchDef_ = nullptr;
    int keyStrokeTimeout_ = 500;
    int nextInterval_ = 1;
    TTimer* keyTimer_ = nullptr;
    bool printable_ = false;
    bool showCompleteList_ = true;
    bool inSelect_ = false;
    std::string showColumn_, sqlSelect_, sqlRestriction_;
    int favoriteCount_ = 0;
    std::string favoriteName_;
    TQelSettingsLevel favoriteLevel_ = slPartition;
    std::unique_ptr<std::vector<std::string>> favorites_;
    bool sorted_ = false;
    std::unique_ptr<std::vector<TQelVector*>> ervVectors_;
    std::string restrictedClassType_;
    int priorityLevel_ = 0;
    TQelObjectKey objectKey_;
    bool connecting_ = false;
    bool repainting_ = false;
    // The user typed a text outside the choice domain (asked about when the combo is left).
    bool typedOutsideDomain_ = false;
    // The user typed into a reference combo: the text completes and searches, and is taken only
    // when accepted (accept_typed).
    bool typed_ = false;
    // Entered by this mouse press: the release selects the whole text, so that typing replaces
    // the shown value instead of landing where the click happened to put the caret.
    bool entered_ = false;
    bool selectOnRelease_ = false;
    std::deque<TQelComboItem> itemPool_;
    TQelTimerScope timers_ { this };

    friend class TQelComboLink;
};

class TQelComboLink : public TQelCommonLink {
public:
    TQelComboLink(TAdvStringGrid* grid, const std::string& spec, TQelObjectInterface* oi);

    void CreateEditor(TWinControl* parent) override;
    std::string GetEditorValue() override;
    void SetEditorValue(const std::string& value) override;
    void SetProperties() override;
    // A cell's combo opens with its list dropped: the user asked to edit the cell.
    void SetFocus(bool focus) override;

protected:
    void BindEditor(TWinControl* editor, TQelFieldList* fl) override;

private:
    TQelCombo* combo() const;
};
