#pragma once
// TCustomListView: rows (TListItem) with a caption, sub-items shown in columns, an image and a
// data pointer; four view styles, multiple selection, captions edited in place, sorting, files
// dropped from the desktop and rows dragged to other controls (TDragTarget, dragdrop.h).
#include "toolkit/dragdrop.h"
#include "toolkit/graphics.h"
#include "toolkit/wincontrol.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TCustomListView;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TListItem {
public:
    TCustomListView* Owner() const { return owner_; }
    int Index() const;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // The texts of the columns after the first.
    const std::vector<std::string>& SubItems() const { return subItems_; }
    void SetSubItems(std::vector<std::string> items);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    void* Data() const { return data_; }
    void SetData(void* data) { data_ = data; }
    bool Selected() const;
    void SetSelected(bool v);
    // Shown in grey italics (a row that stands for something missing).
    bool Greyed() const { return greyed_; }
    void SetGreyed(bool v);
    // Starts editing the caption in place (when the view allows it).
    void EditCaption();

private:
    friend class TCustomListView;
    explicit TListItem(TCustomListView* owner)
        : owner_(owner)
    {
    }
    TCustomListView* owner_;
    std::string caption_;
    std::vector<std::string> subItems_;
    int imageIndex_ = -1;
    void* data_ = nullptr;
    bool greyed_ = false;
    void* row_ = nullptr; // the Qt row
};

class TCustomListView : public TWinControl, public TDragTarget {
public:
    explicit TCustomListView(TComponent* owner);
    ~TCustomListView() override;

    // Rows.
    int Count() const { return static_cast<int>(items_.size()); }
    TListItem* Item(int index) const;
    TListItem* AddItem();
    void DeleteItem(TListItem* item);
    void ClearItems();
    int IndexOf(const TListItem* item) const;
    // Moves the rows into the order `less` gives.
    void CustomSort(const std::function<bool(const TListItem*, const TListItem*)>& less);

    // Columns.
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    void AddColumn(const std::string& caption, int width, TAlignment alignment = taLeftJustify);
    void ClearColumns();
    std::string ColumnCaption(int index) const;
    int ColumnWidth(int index) const;

    // Images: index 0 upward; small images are drawn at 16 pixels, large at 32.
    int AddImage(const TBitmap& image);
    void ClearImages();
    int ImageCount() const;

    TViewStyle ViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle style);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool v);
    // Captions cannot be edited in place.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool v) { hideSelection_ = v; }

    // Selection: the first selected row, the focused row, all selected rows in row order.
    TListItem* Selected() const;
    TListItem* ItemFocused() const;
    std::vector<TListItem*> SelectedItems() const;
    int SelCount() const;
    int ItemIndex() const;
    virtual void SetItemIndex(int index);
    void SelectAll();
    void ClearSelection();
    // A caption is being edited in place.
    bool IsEditing() const;
    // Lays out the icons again.
    void Arrange();

    // Files dropped from the desktop reach FilesDropped while this is on.
    bool AcceptFiles() const { return acceptFiles_; }
    void SetAcceptFiles(bool v);
    // Rows can be dragged to other controls (TDragTarget).
    bool DragEnabled() const { return dragEnabled_; }
    void SetDragEnabled(bool v);

    TNotifyEvent OnChange;

    // Qt side (toolkit and tests).
    void* RowOf(const TListItem* item) const { return item ? item->row_ : nullptr; }

protected:
    // The selection or focused row changed.
    virtual void Change();
    // Whether the caption of `item` may be edited (default: not ReadOnly).
    virtual bool CanEdit(TListItem* item);
    // The user finished editing; `text` may be changed, an empty text keeps the old caption.
    virtual void Edit(TListItem* item, std::string& text);
    virtual void ColClick(int column);
    virtual void FilesDropped(const std::vector<std::string>& files);
    void ApplyColor() override;

private:
    friend class TListItem;
    friend class TListViewWidget;
    void updateRow(TListItem* item);
    void rebuildOrder();
    void applyStyle();
    void editFinished(TListItem* item, const std::string& text);

    std::vector<std::unique_ptr<TListItem>> items_;
    struct Column {
        std::string caption;
        int width;
        TAlignment alignment;
    };
    std::vector<Column> columns_;
    std::vector<std::unique_ptr<TBitmap>> images_;
    TViewStyle viewStyle_ = vsIcon;
    bool multiSelect_ = true;
    bool readOnly_ = false;
    bool hideSelection_ = true;
    bool acceptFiles_ = false;
    bool dragEnabled_ = false;
    bool settingSelection_ = false;
    bool updatingRow_ = false;
};

class TListView : public TCustomListView {
public:
    using TCustomListView::TCustomListView;
};
