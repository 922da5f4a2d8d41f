#pragma once
// TQelMultiEdit: a line of small edits, one per value, where each value may be tied to an
// object. Typing looks the text up after a pause (OnLookup) and offers the hits in a drop-down
// together with "Suchen ..." (OnSearch) and "Neu ..." (OnNew); a tied value is drawn in
// AssignedColor and underlined. The control knows no database: the objects are the
// application's, given by its hooks, and stay its own.
//
// TQelSpecialAdvEdit: the edit of one value; it tells the multi-edit when it loses the focus.
#include "binding/toolkit.h"

#include "toolkit/advctrls.h"
#include "toolkit/buttons.h"
#include "toolkit/listbox.h"
#include "toolkit/timers.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// Private messages of the multi-edit.
enum : unsigned {
    QEL_ME_REMOVE_EDITOR = 0x401, // wParam: index
    QEL_ME_LAYOUT = 0x402,
    QEL_ME_DROPDOWN = 0x403, // wParam 1 show, 0 hide
    QEL_ME_EDITOR_EXIT = 0x1C48, // wParam: the editor
    QEL_ME_IDENTIFY = 0x1C43,
};

class TQelSpecialAdvEdit : public TAdvEdit {
public:
    explicit TQelSpecialAdvEdit(TComponent* owner);
    // The object of the value while the user edits it (the classic tag).
    TObject* TagObject = nullptr;
    void WndProc(TMessage& message) override;

protected:
    // Enter and Tab are the multi-edit's keys, not the form's.
    bool WantsKey(WORD key) const override;
};

enum TQelBorderStyle { mbsNone, mbsSingle, mbsStatic };
inline constexpr const char* kQelBorderStyleNames[] = { "mbsNone", "mbsSingle", "mbsStatic" };
static_assert(std::size(kQelBorderStyleNames) == mbsStatic + 1);
enum TQelMultiEditOption { meoAutoCreate, meoDummy };
using TQelMultiEditOptions = TSet<TQelMultiEditOption>;
inline constexpr const char* kQelMultiEditOptionNames[] = { "meoAutoCreate", "meoDummy" };
static_assert(std::size(kQelMultiEditOptionNames) == meoDummy + 1);

using TQelLookupEvent = TEvent<TObject*, const std::string&, TStrings*, int&>;
using TQelObjectQueryEvent = TEvent<TObject*, std::string&, TObject*&>;
using TQelOpenObjectEvent = TEvent<TObject*, TObject*>;
using TQelMultiAddItemEvent = TEvent<TObject*, TObject*, std::string&, bool&>;
using TQelSortItemsEvent = TEvent<TObject*, TStrings*>;
using TQelEditorExitEvent = TEvent<TObject*, std::string&>;

class TQelMultiEdit : public TLabelled<TCustomControl> {
public:
    explicit TQelMultiEdit(TComponent* owner);
    ~TQelMultiEdit() override;

    static inline const char* const SuchenText = "Suchen ...";
    static inline const char* const NeuText = "Neu ...";
    static inline const char* const KeineEintraegeText = "< Keine Einträge vorhanden >";

    // Values: texts with the objects they are tied to (null: free text).
    const TStrings* getValues() const { return values_.get(); }
    void setValues(const TStrings* values);
    virtual void Clear();

    TQelSpecialAdvEdit* getCurrentEditor() const { return getEditor(current_); }
    TQelSpecialAdvEdit* getEditor(int index) const;
    int getEditorsCount() const { return static_cast<int>(editors_.size()); }
    int get_CurrentIndex() const { return current_; }
    // Clamped to the editors; focuses only while the control has the focus.
    void setEditorFocus(int index);
    std::string get_CurrentEditorText() const;

    // Looks `text` up through DoLookup; true when it found entries.
    bool Lookup(const std::string& text);
    const TStrings* get_Results() const { return results_.get(); }
    // The drop-down list (its rows: "Suchen ...", "Neu ...", then the results).
    TListBox* get_ListBox() const { return list_; }
    bool get_DroppedDown() const;
    virtual void RefreshList();
    // Closes the drop-down and gives the focus back to the control's form.
    void DoneLookup();

    // Properties.
    int get_DropDownCount() const { return dropDownCount_; }
    void set_DropDownCount(int n) { dropDownCount_ = n; }
    int get_MaxValues() const { return maxValues_; }
    void set_MaxValues(int n) { maxValues_ = n; }
    unsigned get_LookupPause() const { return lookupPause_; }
    void setLookupPause(unsigned ms);
    int get_LookupMinLength() const { return lookupMinLength_; }
    void set_LookupMinLength(int n) { lookupMinLength_ = n; }
    int get_LookupMaxItems() const { return lookupMaxItems_; }
    void set_LookupMaxItems(int n) { lookupMaxItems_ = n; }
    bool get_SuchEintrag() const { return suchEintrag_; }
    void set_SuchEintrag(bool v) { suchEintrag_ = v; }
    bool get_NeuEintrag() const { return neuEintrag_; }
    void set_NeuEintrag(bool v) { neuEintrag_ = v; }
    TColor get_AssignedColor() const { return assignedColor_; }
    void set_AssignedColor(TColor c);
    TQelBorderStyle get_BorderStyle() const { return borderStyle_; }
    void set_BorderStyle(TQelBorderStyle s);
    TQelMultiEditOptions get_MultiEditOptions() const { return options_; }
    void set_MultiEditOptions(TQelMultiEditOptions o) { options_ = o; }
    bool getCustomEnabled() const { return Enabled(); }
    void setCustomEnabled(bool v) { SetEnabled(v); }
    std::string get_LabelCaption() const { return LabelCaption(); }
    void set_LabelCaption(const std::string& caption) { SetLabelCaption(caption); }

    TQelLookupEvent OnLookup;
    TQelObjectQueryEvent OnSearch;
    TQelObjectQueryEvent OnNew;
    TNotifyEvent OnChange;
    TNotifyEvent OnEditorEnter;
    TQelOpenObjectEvent OnOpenObject;
    TQelMultiAddItemEvent OnAddItem;
    TQelSortItemsEvent OnSortAfterAddItems;
    TQelEditorExitEvent OnEditorExit;

    void WndProc(TMessage& message) override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetParent(TWinControl* parent) override;
    void SetEnabled(bool enabled) override;

protected:
    // The drop-down lives on the form: the form may destroy it before the control.
    void Notification(TComponent* component, TOperation operation) override;
    virtual void UpdateEditors();
    virtual void UpdateListbox();
    virtual void ShowListbox();
    virtual void ClearEditors();
    virtual void ChangeEditors();
    // Fills `results`; true when an OnLookup handler ran.
    virtual bool DoLookup(const std::string& text, TStrings* results, int& index);
    // Close the drop-down and ask the application; true when an object came back.
    virtual bool DoSearch(std::string& text, TObject*& obj);
    virtual bool DoNew(std::string& text, TObject*& obj);
    // Whether value `index` may be removed (the data-bound subclass may refuse).
    virtual bool RemoveItem(int index);
    virtual void UpdateHint();
    virtual void DoOpenObject(TObject* obj);
    virtual bool ignore_lookup_minlength() { return lookupMinLength_ == 0; }
    virtual void DoEnterEditor(TQelSpecialAdvEdit* editor);
    virtual void DoExitEditor(TQelSpecialAdvEdit* editor);

    void DoEnter() override;
    void DoExit() override;
    virtual void Change();
    TBitBtn* DropButton() const { return button_; }

private:
    void layout();
    void hide_listbox();
    // Queues `msg` for after the current input (the classic posted message).
    void post(unsigned msg, WPARAM wParam);
    void run_posted();
    void lookup_timer(TObject*);
    void editor_change(TObject* sender);
    void editor_key_down(TObject* sender, WORD& key, TShiftState shift);
    void editor_key_press(TObject* sender, char32_t& key);
    void editor_enter(TObject* sender);
    void editor_click(TObject* sender);
    void editor_dbl_click(TObject* sender);
    void button_click(TObject*);
    void list_change(TObject*);
    // Enter (or Tab) in the current editor; `backward` with Shift.
    // `leaving`: the focus left the control; a selected "Suchen ..." or "Neu ..." row is not run.
    void commit(bool backward, bool moveFocus, bool leaving = false);
    bool resolve_current();
    int index_of(const TObject* editor) const;
    // Puts `text` into `editor` without running the change handling.
    void set_editor_text(TQelSpecialAdvEdit* editor, const std::string& text);
    void move_list_selection(int delta);

    std::unique_ptr<TStringList> values_;
    std::unique_ptr<TStringList> results_;
    std::vector<TQelSpecialAdvEdit*> editors_;
    bool editorLeft_ = false;
    int current_ = -1;
    int completeIndex_ = -1;
    int dropDownCount_ = 8;
    int maxValues_ = 0;
    int suchIndex_ = -1;
    int neuIndex_ = -1;
    bool noEntries_ = false;
    unsigned lookupPause_ = 1000;
    int lookupMinLength_ = 1;
    int lookupMaxItems_ = 10;
    bool listNavigation_ = false;
    bool hasFocus_ = false;
    bool updatingEditors_ = false;
    bool settingText_ = false;
    bool suchEintrag_ = true;
    bool neuEintrag_ = true;
    TColor assignedColor_ = TColor(16711680);
    TQelBorderStyle borderStyle_ = mbsSingle;
    TQelMultiEditOptions options_;
    TListBox* list_ = nullptr;
    TTimer* timer_ = nullptr;
    TTimer* postTimer_ = nullptr;
    std::vector<std::pair<unsigned, WPARAM>> posted_;
    TBitBtn* button_ = nullptr;
};
