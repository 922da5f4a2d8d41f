#include "toolkit/actions.h"

#include <algorithm>
#include <stdexcept>

TCustomAction::TCustomAction(TComponent* owner)
    : TComponent(owner)
{
    Publish<&TCustomAction::Caption, &TCustomAction::SetCaption>("Caption");
    Publish<&TCustomAction::Category, &TCustomAction::SetCategory>("Category");
    Publish<&TCustomAction::Hint, &TCustomAction::SetHint>("Hint");
    Publish<&TCustomAction::Enabled, &TCustomAction::SetEnabled>("Enabled");
    Publish<&TCustomAction::Checked, &TCustomAction::SetChecked>("Checked");
    Publish<&TCustomAction::Visible, &TCustomAction::SetVisible>("Visible");
    Publish<&TCustomAction::ShortCut, &TCustomAction::SetShortCut>("ShortCut");
    Publish<&TCustomAction::ImageIndex, &TCustomAction::SetImageIndex>("ImageIndex");
}

TCustomAction::~TCustomAction()
{
    SetActionList(nullptr);
}

void TCustomAction::Changed()
{
    OnChange(this);
}

void TCustomAction::SetCaption(const std::string& v)
{
    Change(caption_, v);
}

void TCustomAction::SetHint(const std::string& v)
{
    Change(hint_, v);
}

void TCustomAction::SetEnabled(bool v)
{
    Change(enabled_, v);
}

void TCustomAction::SetChecked(bool v)
{
    Change(checked_, v);
}

void TCustomAction::SetVisible(bool v)
{
    Change(visible_, v);
}

void TCustomAction::SetShortCut(TShortCut v)
{
    Change(shortCut_, v);
}

void TCustomAction::SetImageIndex(int v)
{
    Change(imageIndex_, v);
}

void TCustomAction::SetActionList(TActionList* list)
{
    if (list_ == list)
        return;
    if (list_)
        list_->Remove(this);
    list_ = list;
    if (list_)
        list_->Add(this);
}

bool TCustomAction::Execute()
{
    if (!enabled_ || !OnExecute)
        return false;
    OnExecute(this);
    return true;
}

bool TCustomAction::Update()
{
    if (!OnUpdate)
        return false;
    OnUpdate(this);
    return true;
}

TAction::TAction(TComponent* owner)
    : TCustomAction(owner)
{
}

TActionList::TActionList(TComponent* owner)
    : TComponent(owner)
{
}

TActionList::~TActionList()
{
    for (TCustomAction* a : std::vector<TCustomAction*>(actions_))
        a->SetActionList(nullptr);
}

TCustomAction* TActionList::Actions(int index) const
{
    if (index < 0 || index >= ActionCount())
        throw std::out_of_range("TActionList: Index außerhalb des gültigen Bereichs");
    return actions_[static_cast<size_t>(index)];
}

bool TActionList::IsShortCut(TShortCut shortCut)
{
    if (shortCut == 0)
        return false;
    for (TCustomAction* a : std::vector<TCustomAction*>(actions_))
        if (a->ShortCut() == shortCut && a->Visible()) {
            a->Update();
            return a->Execute();
        }
    return false;
}

void TActionList::Add(TCustomAction* action)
{
    actions_.push_back(action);
}

void TActionList::Remove(TCustomAction* action)
{
    actions_.erase(std::remove(actions_.begin(), actions_.end(), action), actions_.end());
}
