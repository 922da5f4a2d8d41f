// Control tree: ownership, parents, children by index, published properties, messages.
#include "toolkit/form.h"
#include "toolkit/wincontrol.h"

#include <gtest/gtest.h>

namespace {

class TRecordingControl : public TCustomControl {
public:
    explicit TRecordingControl(TComponent* owner)
        : TCustomControl(owner)
    {
        Publish<&TRecordingControl::Level, &TRecordingControl::SetLevel>("Level");
    }
    int Level() const { return level_; }
    void SetLevel(int v) { level_ = v; }
    std::vector<unsigned> messages;

    void WndProc(TMessage& m) override
    {
        messages.push_back(m.Msg);
        if (m.Msg == WM_USER + 1) {
            m.Result = static_cast<LRESULT>(m.WParam + m.LParam);
            return;
        }
        TCustomControl::WndProc(m);
    }

private:
    int level_ = 0;
};

TEST(ControlTree, OwnerFreesOwnedAndParentKeepsIndexOrder)
{
    auto* form = new TForm(nullptr);
    auto* a = new TRecordingControl(form);
    a->SetName("A");
    auto* b = new TRecordingControl(form);
    b->SetName("B");
    auto* inner = new TRecordingControl(form);
    a->SetParent(form);
    b->SetParent(form);
    inner->SetParent(a);
    EXPECT_EQ(form->GetComponentCount(), 3);
    EXPECT_EQ(form->GetControlCount(), 2);
    EXPECT_EQ(form->GetControl(0), a);
    EXPECT_EQ(form->GetControl(1), b);
    EXPECT_EQ(a->GetControl(0), inner);
    EXPECT_EQ(form->FindComponent("b"), b);
    EXPECT_TRUE(form->ContainsControl(inner));
    EXPECT_EQ(GetParentForm(inner), form);
    EXPECT_TRUE(inner->InheritsFrom<TWinControl>());
    EXPECT_FALSE(inner->InheritsFrom<TForm>());
    EXPECT_EQ(inner->ClassName(), "TRecordingControl");
    delete form;
}

TEST(ControlTree, PerformReachesWndProcSynchronously)
{
    TForm form(nullptr);
    auto* c = new TRecordingControl(&form);
    c->SetParent(&form);
    EXPECT_EQ(c->Perform(WM_USER + 1, 40, 2), 42);
    EXPECT_EQ(c->messages.back(), WM_USER + 1u);
}

TEST(ControlTree, PublishedPropertiesByName)
{
    TForm form(nullptr);
    auto* c = new TRecordingControl(&form);
    EXPECT_TRUE(IsPublishedProp(c, "level"));
    EXPECT_TRUE(SetPropValue(c, "Level", 7));
    EXPECT_EQ(c->Level(), 7);
    EXPECT_EQ(GetPropValue(c, "LEVEL").AsInteger(), 7);
    EXPECT_TRUE(SetPropValue(c, "Name", "Edit1"));
    EXPECT_EQ(GetPropValue(c, "Name").AsString(), "Edit1");
    EXPECT_FALSE(IsPublishedProp(c, "NoSuchProp"));
    EXPECT_FALSE(SetPropValue(c, "NoSuchProp", 1));
}

} // namespace

TEST(ControlTree, FreedWindowedChildLeavesTheTabOrder)
{
    TForm form(nullptr);
    auto* a = new TRecordingControl(&form);
    auto* b = new TRecordingControl(&form);
    a->SetParent(&form);
    b->SetParent(&form);
    a->SetTabStop(true);
    b->SetTabStop(true);
    delete a;
    std::vector<TWinControl*> order;
    form.GetTabOrderList(order);
    ASSERT_EQ(order.size(), 1u);
    EXPECT_EQ(order[0], b);
}
