#include "toolkit/treecombo.h"

#include "toolkit/form.h"
#include "toolkit/qtbridge.h"

#include <QAction>
#include <QLineEdit>
#include <QPainter>
#include <QTreeWidget>

namespace {

QIcon downArrow()
{
    QPixmap pm(12, 12);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 60));
    const QPointF arrow[] = { { 2, 4 }, { 10, 4 }, { 6, 9 } };
    p.drawPolygon(arrow, 3);
    return QIcon(pm);
}

} // namespace

TAdvTreeComboBox::TAdvTreeComboBox(TComponent* owner)
    : TAdvEdit(owner)
{
    tree_ = new TTreeView(this);
    tree_->SetName("Tree");
    tree_->SetVisible(false);
    tree_->SetNeverFocused();
    tree_->OnNodeClick = [this](TObject*, TTreeNode* node) {
        if (selectMode_ == smSingleClick)
            pick(node);
    };
    auto* treeWidget = static_cast<QTreeWidget*>(tree_->Handle());
    QObject::connect(treeWidget, &QTreeWidget::itemDoubleClicked, treeWidget, [this](QTreeWidgetItem* row) {
        if (selectMode_ == smDblClick && row)
            pick(static_cast<TTreeNode*>(row->data(0, Qt::UserRole + 1).value<void*>()));
    });
    auto* edit = static_cast<QLineEdit*>(Handle());
    QAction* action = edit->addAction(downArrow(), QLineEdit::TrailingPosition);
    action->setObjectName("DropDown");
    QObject::connect(action, &QAction::triggered, edit, [this] {
        if (CanFocus() && !Focused())
            SetFocus();
        SetDroppedDown(!DroppedDown());
    });
    button_ = action;
    Publish<&TAdvTreeComboBox::DropWidth, &TAdvTreeComboBox::SetDropWidth>("DropWidth");
    Publish<&TAdvTreeComboBox::DropHeight, &TAdvTreeComboBox::SetDropHeight>("DropHeight");
    Publish<&TAdvTreeComboBox::ExpandOnDrop, &TAdvTreeComboBox::SetExpandOnDrop>("ExpandOnDrop");
    Publish<&TAdvTreeComboBox::EditorEnabled, &TAdvTreeComboBox::SetEditorEnabled>("EditorEnabled");
    PublishEnum<&TAdvTreeComboBox::SelectMode, &TAdvTreeComboBox::SetSelectMode, kTreeComboSelectModeNames>(
        "SelectMode");
}

TAdvTreeComboBox::~TAdvTreeComboBox()
{
    // The tree lives on the form: take it back before the children go.
    if (tree_)
        tree_->SetParent(nullptr);
}

void TAdvTreeComboBox::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component == tree_)
        tree_ = nullptr;
    TAdvEdit::Notification(component, operation);
}

void TAdvTreeComboBox::SetParent(TWinControl* parent)
{
    TAdvEdit::SetParent(parent);
    if (tree_)
        tree_->SetParent(parent ? GetParentForm(this) : nullptr);
}

void TAdvTreeComboBox::SetSelection(TTreeNode* node)
{
    if (tree_)
        tree_->SetSelected(node);
    SetTextQuietly(node ? node->Text() : std::string());
}

void TAdvTreeComboBox::SetTextQuietly(const std::string& text)
{
    const bool was = std::exchange(settingText_, true);
    SetText(text);
    settingText_ = was;
}

bool TAdvTreeComboBox::DroppedDown() const
{
    return tree_ && tree_->Visible();
}

void TAdvTreeComboBox::SetDroppedDown(bool v)
{
    if (!tree_ || v == DroppedDown())
        return;
    if (!v) {
        tree_->SetVisible(false);
        CloseUp();
        return;
    }
    if (ReadOnly())
        return;
    TCustomForm* form = GetParentForm(this);
    if (!form)
        return;
    DropDown();
    const TPoint p = form->ScreenToClient(ClientToScreen(TPoint { 0, Height() }));
    tree_->SetBounds(p.X, p.Y, dropWidth_ > 0 ? dropWidth_ : Width(), dropHeight_);
    tree_->SetFont(Font());
    tree_->SetVisible(true);
    tree_->BringToFront();
    if (expandOnDrop_)
        tree_->MakeVisible(tree_->Selected());
}

void TAdvTreeComboBox::DropDown()
{
    OnDropDown(this);
}

void TAdvTreeComboBox::CloseUp()
{
    OnCloseUp(this);
}

void TAdvTreeComboBox::Change()
{
    if (settingText_)
        return;
    TAdvEdit::Change();
}

void TAdvTreeComboBox::pick(TTreeNode* node)
{
    if (!node || ReadOnly())
        return;
    SetSelection(node);
    SetDroppedDown(false);
    Change();
}

void TAdvTreeComboBox::moveSelection(bool down)
{
    if (!tree_)
        return;
    auto* tree = static_cast<QTreeWidget*>(tree_->Handle());
    TTreeNode* sel = tree_->Selected();
    auto* current = sel ? static_cast<QTreeWidgetItem*>(sel->row_) : nullptr;
    QTreeWidgetItem* next
        = current ? (down ? tree->itemBelow(current) : tree->itemAbove(current)) : tree->topLevelItem(0);
    if (next) {
        tree->setCurrentItem(next);
        tree->scrollToItem(next);
    }
}

void TAdvTreeComboBox::KeyDown(WORD& key, TShiftState shift)
{
    TAdvEdit::KeyDown(key, shift);
    switch (key) {
    case VK_F4:
        SetDroppedDown(!DroppedDown());
        key = 0;
        return;
    case VK_DOWN:
    case VK_UP:
        if (shift.Contains(ssAlt)) {
            SetDroppedDown(!DroppedDown());
        } else if (DroppedDown()) {
            moveSelection(key == VK_DOWN);
        } else {
            return;
        }
        key = 0;
        return;
    case VK_RIGHT:
    case VK_LEFT:
        // In the open tree: open or close the selected node (as in a tree of its own).
        if (DroppedDown() && tree_->Selected()) { // dropped: the tree exists
            TTreeNode* node = tree_->Selected();
            if (key == VK_RIGHT && !node->Expanded())
                node->Expand(false);
            else if (key == VK_LEFT && node->Expanded())
                node->Collapse();
            else if (key == VK_LEFT && node->Parent())
                tree_->SetSelected(node->Parent());
            else if (key == VK_RIGHT && node->Count() > 0)
                tree_->SetSelected(node->Item(0));
            key = 0;
        }
        return;
    case VK_RETURN:
        if (DroppedDown()) {
            pick(tree_->Selected());
            key = 0;
        }
        return;
    case VK_ESCAPE:
        if (DroppedDown()) {
            SetDroppedDown(false);
            key = 0;
        }
        return;
    case VK_BACK:
    case VK_DELETE:
        if (tree_ && editorEnabled_ && !ReadOnly())
            tree_->SetSelected(nullptr); // the text is the user's now
        return;
    default:
        return;
    }
}

void TAdvTreeComboBox::KeyPress(char32_t& key)
{
    TAdvEdit::KeyPress(key);
    if (tree_ && key >= U' ' && editorEnabled_ && !ReadOnly())
        tree_->SetSelected(nullptr);
}

bool TAdvTreeComboBox::WantsKey(WORD key) const
{
    return ((key == VK_RETURN || key == VK_ESCAPE) && DroppedDown()) || TAdvEdit::WantsKey(key);
}

void TAdvTreeComboBox::DoExit()
{
    SetDroppedDown(false);
    TAdvEdit::DoExit();
}

void TAdvTreeComboBox::SetEditorEnabled(bool v)
{
    editorEnabled_ = v;
    ApplyReadOnly();
}

void TAdvTreeComboBox::ApplyReadOnly()
{
    // Without the editor the text is only picked: the edit takes no typing but keeps its keys.
    static_cast<QLineEdit*>(Handle())->setReadOnly(ReadOnly() || !editorEnabled_);
    if (button_)
        static_cast<QAction*>(button_)->setEnabled(!ReadOnly());
}
