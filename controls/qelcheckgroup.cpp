#include "controls/qelcheckgroup.h"

#include <algorithm>

namespace {

constexpr int kMaxItems = 32;

std::int64_t bit(int i)
{
    return std::int64_t(1) << i;
}

} // namespace

TQelCheckGroup::TQelCheckGroup(TComponent* owner)
    : TQelDataControl(owner)
{
    link_.unmarkedColor = clBtnFace;
    link_.hooks.kindMask = [this] {
        return link_.FieldProp().empty() ? TQelObjectInterface::oiField : TQelObjectInterface::oiVector;
    };
    link_.hooks.accepts = [this](TQelObjectInterface* oi) {
        if (auto* f = QelSafeCast<TQelField>(oi))
            return link_.FieldProp().empty() && f->HardType() == qelft::MultiChoice;
        return QelSafeCast<TQelVector>(oi) != nullptr;
    };
    link_.hooks.bound = [this] { loadItems(); };
    link_.hooks.read = [this] { showMask(); };
    link_.hooks.write = [this] { write(checkedMask()); };
    link_.hooks.touched = [this](TQelObjectInterface*, bool) {
        if (!link_.Writing())
            link_.Show();
    };
    link_.hooks.readOnlyChanged = [this](bool v) {
        for (int i = 0; i < Items().Count(); ++i)
            SetItemReadOnly(i, v);
        SetButtonType(v ? btReadOnlyLook : btClassic);
    };
    link_.hooks.paintMark = [this](TColor c) { SetColor(c); };

    SetShowHint(true);
    SetEnabled(false);
    PublishBinding(qelPublishAll);
}

TQelChoiceField* TQelCheckGroup::choiceOf(TQelFieldList* element) const
{
    return element ? dynamic_cast<TQelChoiceField*>(element->FieldByName(link_.FieldProp())) : nullptr;
}

bool TQelCheckGroup::choiceMandatory() const
{
    TQelVector* v = Vector();
    if (!v)
        return false;
    TQelSubObject* first = v->Count() > 0 ? v->Item(1) : v->get_Template();
    TQelChoiceField* c = first ? choiceOf(first->FieldList()) : nullptr;
    return c && c->Mandatory();
}

void TQelCheckGroup::loadItems()
{
    std::vector<std::string> items;
    if (TQelField* f = Field()) {
        items = f->GetDomain();
    } else if (TQelVector* v = Vector()) {
        TQelSubObject* first = v->Count() > 0 ? v->Item(1) : v->get_Template();
        if (TQelChoiceField* c = first ? choiceOf(first->FieldList()) : nullptr) {
            items = c->GetDomain();
            if (!c->Mandatory() && !items.empty())
                items.erase(items.begin()); // the null choice
        }
    }
    if (static_cast<int>(items.size()) > kMaxItems)
        items.resize(kMaxItems);
    TStringList list;
    for (const std::string& t : items)
        list.Add(t);
    SetItems(list);
    for (int i = 0; i < Items().Count(); ++i)
        SetItemReadOnly(i, link_.ReadOnly());
}

std::int64_t TQelCheckGroup::read() const
{
    if (TQelField* f = Field())
        return f->Null() ? 0 : f->AsInteger();
    std::int64_t mask = 0;
    if (TQelVector* v = Vector()) {
        const bool mandatory = choiceMandatory();
        for (int i = 1; i <= v->Count(); ++i) {
            TQelChoiceField* c = choiceOf(v->FieldList(i));
            if (!c || c->Null())
                continue;
            const int b = mandatory ? c->AsIndex() : c->AsIndex() - 1;
            if (b >= 0 && b < kMaxItems)
                mask |= bit(b);
        }
    }
    return mask;
}

void TQelCheckGroup::showMask()
{
    const std::int64_t mask = Connected() ? read() : 0;
    for (int i = 0; i < Items().Count(); ++i)
        SetChecked(i, (mask & bit(i)) != 0);
}

std::int64_t TQelCheckGroup::checkedMask() const
{
    std::int64_t mask = 0;
    for (int i = 0; i < Items().Count(); ++i)
        if (Checked(i))
            mask |= bit(i);
    return mask;
}

void TQelCheckGroup::write(std::int64_t mask)
{
    std::int64_t items = 0;
    for (int i = 0; i < Items().Count(); ++i)
        items |= bit(i);
    if (TQelField* f = Field()) {
        // Bits outside the items stay as they are stored.
        const std::int64_t stored = f->Null() ? 0 : f->AsInteger();
        const std::int64_t value = (stored & ~items) | (mask & items);
        if (value != stored)
            f->set_AsInteger(value);
        return;
    }
    TQelVector* v = Vector();
    if (!v)
        return;
    auto writing = link_.WriteScope(); // element touches do not refresh the group meanwhile
    const bool mandatory = choiceMandatory();
    for (int b = 0; b < Items().Count(); ++b) {
        const int k = mandatory ? b : b + 1;
        if (mask & bit(b)) {
            bool found = false;
            for (int i = 1; i <= v->Count() && !found; ++i)
                if (TQelChoiceField* c = choiceOf(v->FieldList(i)); c && !c->Null() && c->AsIndex() == k)
                    found = true;
            if (!found)
                if (TQelSubObject* e = v->NewItem())
                    if (TQelChoiceField* c = choiceOf(e->FieldList()))
                        c->set_AsIndex(k);
        } else {
            for (int i = v->Count(); i >= 1; --i)
                if (TQelChoiceField* c = choiceOf(v->FieldList(i)); c && !c->Null() && c->AsIndex() == k)
                    v->Delete(i);
        }
    }
}

void TQelCheckGroup::Click()
{
    link_.Edited();
    if (!link_.ReadOnly())
        link_.Write();
    link_.Show();
    THTMLCheckGroup::Click();
}

void TQelCheckGroup::set_mark(bool mark, int index, TColor color, unsigned flags)
{
    link_.SetMark(mark ? index : 0, color, flags);
}

void TQelCheckGroup::DoEnter()
{
    THTMLCheckGroup::DoEnter();
    link_.TellFormEnter();
}

void TQelCheckGroup::DoExit()
{
    THTMLCheckGroup::DoExit();
    if (link_.Marked())
        link_.Unmark();
    link_.TellFormExit();
}
