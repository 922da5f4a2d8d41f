#pragma once
// TAdvTreeComboBox: an edit with a drop-down button whose list is a tree (Tree()). The tree
// floats over the form below the control while it is dropped; it never takes the focus, so the
// keys stay in the edit: Alt+Down or F4 drop it, Up and Down move through the open nodes,
// Right and Left open and close the selected node, Return picks, Escape closes. Picking a node (a click, or a
// double click with smDblClick) makes it the selection, puts its text into the edit, closes the tree and runs
// Change once. Typing clears the selection first. Setting the selection or the text from code runs no Change.
#include "toolkit/advctrls.h"
#include "toolkit/treeview.h"

enum TTreeComboSelectMode { smSingleClick, smDblClick };
inline constexpr const char* kTreeComboSelectModeNames[] = { "smSingleClick", "smDblClick" };
static_assert(std::size(kTreeComboSelectModeNames) == smDblClick + 1);

class TAdvTreeComboBox : public TAdvEdit {
public:
    explicit TAdvTreeComboBox(TComponent* owner);
    ~TAdvTreeComboBox() override;

    TTreeView& Tree() const { return *tree_; }
    TTreeNode* Selection() const { return tree_ ? tree_->Selected() : nullptr; }
    // Selects `node` (none for nullptr) and shows its text, without Change.
    void SetSelection(TTreeNode* node);
    // Shows `text` without Change (the selection stays).
    void SetTextQuietly(const std::string& text);

    bool DroppedDown() const;
    void SetDroppedDown(bool v);
    // Width of the dropped tree in pixels (0: the control's width); its height in pixels.
    int DropWidth() const { return dropWidth_; }
    void SetDropWidth(int w) { dropWidth_ = w; }
    int DropHeight() const { return dropHeight_; }
    void SetDropHeight(int h) { dropHeight_ = h; }
    // Dropping opens the branch of the selected node.
    bool ExpandOnDrop() const { return expandOnDrop_; }
    void SetExpandOnDrop(bool v) { expandOnDrop_ = v; }
    // Whether text may be typed (otherwise nodes are only picked).
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool v);
    TTreeComboSelectMode SelectMode() const { return selectMode_; }
    void SetSelectMode(TTreeComboSelectMode m) { selectMode_ = m; }

    void SetParent(TWinControl* parent) override;

    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

protected:
    // Before the tree shows, and after it closed.
    virtual void DropDown();
    virtual void CloseUp();
    // The text changed by the user or by a pick; not while the control sets its own text.
    void Change() override;
    // The control is setting its own text (a subclass's Change does nothing then).
    bool SettingText() const { return settingText_; }
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    bool WantsKey(WORD key) const override;
    void DoExit() override;
    void ApplyReadOnly() override;
    // The tree lives on the form: the form may destroy it before the control.
    void Notification(TComponent* component, TOperation operation) override;

private:
    void pick(TTreeNode* node);
    void moveSelection(bool down);

    TTreeView* tree_ = nullptr;
    int dropWidth_ = 0;
    int dropHeight_ = 200;
    bool expandOnDrop_ = true;
    bool editorEnabled_ = true;
    TTreeComboSelectMode selectMode_ = smSingleClick;
    bool settingText_ = false;
    void* button_ = nullptr; // the edit's drop-down action
};
