#include "controls/qelradiogroup.h"

TQelRadioGroup::TQelRadioGroup(TComponent* owner)
    : TQelDataControl(owner)
    , mapping_(std::make_unique<TStringList>())
{
    link_.unmarkedColor = clBtnFace;
    link_.hooks.accepts = [](TQelObjectInterface* oi) {
        auto* f = QelSafeCast<TQelField>(oi);
        return f && (f->HardType() == qelft::Choice || f->HardType() == qelft::Boolean);
    };
    link_.hooks.bound = [this] { loadItems(); };
    link_.hooks.read = [this] { SetItemIndex(read()); };
    link_.hooks.write = [this] { write(ItemIndex()); };
    link_.hooks.readOnlyChanged = [this](bool v) {
        SetEnabled(!v && Connected());
        SetButtonType(v ? btReadOnlyLook : btClassic);
    };
    link_.hooks.connectedChanged = [this](bool connected) { SetEnabled(connected && !link_.ReadOnly()); };
    link_.hooks.paintMark = [this](TColor c) { SetColor(c); };

    SetShowHint(true);
    SetEnabled(false);
    PublishBinding(qelPublishFieldPath | qelPublishReadOnly);
    Publish<&TQelRadioGroup::get_ExcludeNullValue, &TQelRadioGroup::set_ExcludeNullValue>("ExcludeNullValue");
    PublishLines<&TQelRadioGroup::get_ItemMapping, &TQelRadioGroup::set_ItemMapping>("ItemMapping");
}

bool TQelRadioGroup::isBoolean() const
{
    TQelField* f = Field();
    return f && f->HardType() == qelft::Boolean;
}

void TQelRadioGroup::set_ExcludeNullValue(bool v)
{
    if (v == excludeNull_)
        return;
    excludeNull_ = v;
    if (Field()) {
        loadItems();
        link_.Show();
    }
}

void TQelRadioGroup::set_ItemMapping(const TStrings* mapping)
{
    if (mapping)
        mapping_->Assign(*mapping);
    else
        mapping_->Clear();
    if (Field()) {
        loadItems();
        link_.Show();
    }
}

void TQelRadioGroup::loadItems()
{
    TQelField* f = Field();
    std::vector<std::string> items = f ? f->GetDomain() : std::vector<std::string> {};
    offset_ = 0;
    if (f && excludeNull_ && !f->Mandatory() && !items.empty() && items.front() == f->NullValue()) {
        items.erase(items.begin());
        offset_ = 1;
    }
    // Mapped from the last item to the first.
    for (int i = static_cast<int>(items.size()) - 1; i >= 0; --i) {
        std::string& t = items[static_cast<std::size_t>(i)];
        if (const int line = mapping_->IndexOfName(t); line >= 0 && !t.empty())
            t = mapping_->Values(t);
        else if (i < mapping_->Count() && mapping_->Get(i).find('=') == std::string::npos)
            t = mapping_->Get(i);
    }
    TStringList list;
    for (const std::string& t : items)
        list.Add(t);
    SetItems(list);
}

int TQelRadioGroup::read() const
{
    TQelField* f = Field();
    if (!f)
        return -1;
    if (!isBoolean())
        return static_cast<TQelChoiceField*>(f)->AsIndex() - offset_;
    const bool three = Items().Count() == 3;
    if (f->Null())
        return three ? 0 : -1;
    return f->AsBool() ? (three ? 1 : 0) : (three ? 2 : 1);
}

void TQelRadioGroup::write(int index)
{
    TQelField* f = Field();
    if (!f || index < 0)
        return;
    if (!isBoolean()) {
        static_cast<TQelChoiceField*>(f)->set_AsIndex(index + offset_);
        return;
    }
    const bool three = Items().Count() == 3;
    if (three && index == 0)
        f->set_Null(true);
    else
        f->set_AsBool(index == (three ? 1 : 0));
}

void TQelRadioGroup::Click()
{
    link_.Edited();
    if (!link_.ReadOnly())
        link_.Write();
    link_.Show();
    THTMLRadioGroup::Click();
}

void TQelRadioGroup::set_mark(bool mark, int index, TColor color, unsigned flags)
{
    link_.SetMark(mark ? index : 0, color, flags);
}

void TQelRadioGroup::DoEnter()
{
    THTMLRadioGroup::DoEnter();
    link_.TellFormEnter();
}

void TQelRadioGroup::DoExit()
{
    THTMLRadioGroup::DoExit();
    if (link_.Marked())
        link_.Unmark();
    link_.TellFormExit();
}
