// TQelVectorGrid: what it steers besides its cells: the field panel of the current element, the
// tool bar that mirrors the element menu, the column-definition editor and a choose-object button.
#include "vectors/QelVectorGrid.h"

#include "binding/qellogging.h"
#include "controls/QelPanel.h"
#include "lists/chobjbtn.h"
#include "lists/frmEditColDefs.h"

#include "toolkit/menus.h"
#include "toolkit/toolbar.h"

void TQelVectorGrid::set_Panel(TQelPanel* panel)
{
    if (!panel_.Set(panel) || !Connected())
        return;
    panel_.GivePath(link_.FieldPath());
    sub_connect();
}

void TQelVectorGrid::set_ToolBar(TToolBar* bar)
{
    if (bar == toolBar_)
        return;
    if (toolBar_) {
        toolBar_->OnDblClick = nullptr;
        toolBar_->RemoveFreeNotification(this);
    }
    toolBar_ = bar;
    if (!bar)
        return;
    bar->FreeNotification(this);
    if (Connected())
        make_popupmenus(); // mirrors the items on the new bar
}

void TQelVectorGrid::Notification(TComponent* component, TOperation operation)
{
    TQelDataControl<TQelGrid>::Notification(component, operation);
    if (operation != opRemove)
        return;
    panel_.Removed(component);
    if (component == toolBar_)
        toolBar_ = nullptr;
    for (TMenuItem*& item : toolItems_)
        if (component == item)
            item = nullptr;
}

int TQelVectorGrid::sub_connect(int row)
{
    if (!Connected() || !panel_.Panel())
        return 0;
    return panel_.Follow(link_.FieldPath(), link_.FieldList(), get_SubObject(row < 0 ? Row() : row), this,
        BeforeSubConnect, AfterSubConnect);
}

void TQelVectorGrid::add_to_tb(TMenuItem* item, int slot)
{
    if (!toolBar_ || !item)
        return;
    if (TToolButton* b = toolBar_->Buttons(slot))
        b->SetMenuItem(item);
}

void TQelVectorGrid::enable_tb(TMenuItem* item, bool enabled)
{
    if (!toolBar_ || !item)
        return;
    for (int i = 0; i < toolBar_->ButtonCount(); ++i)
        if (TToolButton* b = toolBar_->Buttons(i); b->MenuItem() == item)
            b->SetEnabled(enabled);
}

void TQelVectorGrid::update_toolbar(int row)
{
    if (!toolBar_)
        return;
    if (row < 0)
        row = Row();
    const int n = ElementCount();
    const int vix = row2vix(row);
    const bool element = canChangeVector() && row >= 1 && row <= n;
    const bool ordered = element && !hasOrderMap();
    enable_tb(toolItems_[0], ordered);
    enable_tb(toolItems_[1], element);
    enable_tb(toolItems_[2], ordered && vix >= 2);
    enable_tb(toolItems_[3], ordered && vix < n);
}

void TQelVectorGrid::edit_coldefs()
{
    std::string text = fieldNames_.Text();
    if (!TQelEditColDefsForm::Execute(text))
        return;
    TStringList lines;
    lines.SetText(text);
    set_FieldNames(lines);
}

namespace {

// Forgets its button when the button is freed; owned by the grid.
class TChooseThrough : public TComponent {
public:
    using TComponent::TComponent;
    void set_Button(TChooseObjectBtn* button)
    {
        if (button_)
            button_->RemoveFreeNotification(this);
        button_ = button;
        if (button)
            button->FreeNotification(this);
    }
    void choose(TQelClassKey cls, TQelObjectKey& key)
    {
        if (!button_)
            return;
        button_->set_ClassType(cls);
        button_->set_ObjectKey(key);
        button_->Click();
        if (button_)
            key = button_->get_ObjectKey();
    }

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == button_)
            button_ = nullptr;
    }

private:
    TChooseObjectBtn* button_ = nullptr;
};

} // namespace

void QelChooseObjectsWith(TQelVectorGrid* grid, TChooseObjectBtn* button)
{
    if (!grid)
        return;
    if (!button) {
        grid->OnChooseObject = nullptr;
        return;
    }
    TChooseThrough* through = nullptr;
    for (int i = 0; i < grid->GetComponentCount() && !through; ++i)
        through = dynamic_cast<TChooseThrough*>(grid->GetComponent(i));
    if (!through)
        through = new TChooseThrough(grid);
    through->set_Button(button);
    grid->OnChooseObject
        = [through](TObject*, TQelClassKey cls, TQelObjectKey& key) { through->choose(cls, key); };
}
