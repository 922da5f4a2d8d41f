#include "controls/qelchecklist.h"

#include <algorithm>

TQelCheckList::TQelCheckList(TComponent* owner)
    : TQelDataControl(owner)
{
    link_.unmarkedColor = clBtnFace;
    link_.hooks.accepts = [](TQelObjectInterface* oi) {
        auto* f = QelSafeCast<TQelField>(oi);
        return f && (f->HardType() == qelft::MultiChoice || f->HardType() == qelft::Flags);
    };
    link_.hooks.bound = [this] { loadItems(); };
    link_.hooks.read = [this] { read(); };
    link_.hooks.write = [this] { write(); };
    link_.hooks.paintMark = [this](TColor c) { SetColor(c); };

    SetShowHint(true);
    SetEnabled(false);
    PublishBinding(qelPublishFieldPath);
}

bool TQelCheckList::isFlags() const
{
    TQelField* f = Field();
    return f && f->HardType() == qelft::Flags;
}

int TQelCheckList::s2p(int display) const
{
    return display >= 0 && display < static_cast<int>(positions_.size())
        ? positions_[static_cast<std::size_t>(display)]
        : -1;
}

int TQelCheckList::p2s(int position) const
{
    const auto it = std::find(positions_.begin(), positions_.end(), position);
    return it == positions_.end() ? -1 : static_cast<int>(it - positions_.begin());
}

void TQelCheckList::loadItems()
{
    const std::vector<std::string> domain = Field() ? Field()->GetDomain() : std::vector<std::string> {};
    const bool sorted = Sorted();
    SetSorted(false);
    TStringList list;
    for (const std::string& t : domain)
        list.Add(t);
    SetItems(list);
    SetSorted(sorted);
    // Each item's domain position, found again after the list sorted itself.
    positions_.assign(static_cast<std::size_t>(Count()), -1);
    std::vector<bool> taken(domain.size(), false);
    for (int i = 0; i < Count(); ++i)
        for (std::size_t p = 0; p < domain.size(); ++p)
            if (!taken[p] && domain[p] == Items().Get(i)) {
                taken[p] = true;
                positions_[static_cast<std::size_t>(i)] = static_cast<int>(p);
                break;
            }
}

void TQelCheckList::read()
{
    TQelField* f = Field();
    const std::string flags
        = f && isFlags() ? static_cast<TQelFlagsField*>(f)->ValueAsFlags() : std::string();
    const std::int64_t mask = f && !isFlags() && !f->Null() ? f->AsInteger() : 0;
    for (int i = 0; i < Count(); ++i) {
        const int p = s2p(i);
        bool on = false;
        if (p >= 0)
            on = isFlags() ? p < static_cast<int>(flags.size()) && flags[static_cast<std::size_t>(p)] == 'X'
                           : p < 63 && (mask & (std::int64_t(1) << p));
        SetChecked(i, on);
    }
}

void TQelCheckList::write()
{
    TQelField* f = Field();
    if (!f)
        return;
    if (isFlags()) {
        std::string flags(static_cast<std::size_t>(Count()), '.');
        for (int i = 0; i < Count(); ++i)
            if (const int p = s2p(i); Checked(i) && p >= 0 && p < Count())
                flags[static_cast<std::size_t>(p)] = 'X';
        static_cast<TQelFlagsField*>(f)->set_ValueAsFlags(flags);
        return;
    }
    std::int64_t items = 0, mask = 0;
    for (int i = 0; i < Count(); ++i)
        if (const int p = s2p(i); p >= 0 && p < 63) {
            items |= std::int64_t(1) << p;
            if (Checked(i))
                mask |= std::int64_t(1) << p;
        }
    // Bits outside the domain stay as they are stored.
    const std::int64_t stored = f->Null() ? 0 : f->AsInteger();
    const std::int64_t value = (stored & ~items) | mask;
    if (value != stored)
        f->set_AsInteger(value);
}

void TQelCheckList::ClickCheck()
{
    link_.Edited();
    if (!link_.ReadOnly())
        link_.Write();
    link_.Show();
    TCheckListBox::ClickCheck();
}

void TQelCheckList::set_mark(bool mark, int index, TColor color, unsigned flags)
{
    link_.SetMark(mark ? index : 0, color, flags);
}

void TQelCheckList::DoEnter()
{
    TCheckListBox::DoEnter();
    link_.TellFormEnter();
}

void TQelCheckList::DoExit()
{
    TCheckListBox::DoExit();
    if (link_.Marked())
        link_.Unmark();
    link_.TellFormExit();
}
