// Basic types: handlers that compare, property values, sets, colours, fonts that follow parents,
// component lifetimes.
#include "tk_test_util.h"
#include "toolkit/extctrls.h"
#include "toolkit/screen.h"
#include "toolkit/stdctrls.h"

#include <QApplication>
#include <QCursor>
#include <gtest/gtest.h>

namespace {

struct Receiver : TObject {
    int hits = 0;
    void Handle(TObject*) { ++hits; }
    void Other(TObject*) { }
};

TEST(Events, MethodHandlersCompareByObjectAndMethod)
{
    Receiver r1, r2;
    TNotifyEvent a(&r1, &Receiver::Handle);
    EXPECT_TRUE(a == TNotifyEvent(&r1, &Receiver::Handle));
    EXPECT_FALSE(a == TNotifyEvent(&r2, &Receiver::Handle));
    EXPECT_FALSE(a == TNotifyEvent(&r1, &Receiver::Other));
    TNotifyEvent lambda([](TObject*) {});
    TNotifyEvent copy = lambda;
    EXPECT_TRUE(copy == lambda);
    EXPECT_FALSE(lambda == TNotifyEvent([](TObject*) {}));
    EXPECT_TRUE(TNotifyEvent() == nullptr);
    a(nullptr);
    TNotifyEvent()(nullptr); // an empty handler does nothing
    EXPECT_EQ(r1.hits, 1);
}

TEST(PropValues, ConvertBetweenKinds)
{
    EXPECT_EQ(TPropValue(true).AsString(), "True");
    EXPECT_EQ(TPropValue("True").AsInteger(), 1);
    EXPECT_EQ(TPropValue(" 42").AsInteger(), 42);
    EXPECT_EQ(TPropValue("x42").AsInteger(), 0);
    EXPECT_TRUE(TPropValue("1").AsBoolean());
    EXPECT_FALSE(TPropValue("false").AsBoolean());
    EXPECT_EQ(TPropValue(2.5).AsInteger(), 2);
    EXPECT_EQ(TPropValue("2.5").AsFloat(), 2.5);
    EXPECT_TRUE(TPropValue().IsEmpty());
    EXPECT_EQ(TPropValue::From(alClient).AsInteger(), static_cast<long long>(alClient));
    EXPECT_EQ(TPropValue(5).To<TAlign>(), alClient);
}

TEST(Sets, ContainAddRemoveAndCombine)
{
    TShiftState s { ssShift };
    s << ssCtrl;
    EXPECT_TRUE(s.Contains(ssCtrl));
    s >> ssShift;
    EXPECT_FALSE(s.Contains(ssShift));
    EXPECT_EQ(
        (TShiftState { ssShift } + TShiftState { ssAlt }) * TShiftState { ssAlt }, TShiftState { ssAlt });
    EXPECT_TRUE((TShiftState { ssShift } - TShiftState { ssShift }).Empty());
    EXPECT_EQ(KeyDataToShiftState(ShiftStateToKeyData({ ssShift, ssAlt })), (TShiftState { ssShift, ssAlt }));
}

TEST(Colors, NamesNumbersAndSystemColours)
{
    EXPECT_EQ(StringToColor("clGray"), clGray);
    EXPECT_EQ(StringToColor("CLRED"), clRed);
    EXPECT_EQ(StringToColor("$007F7FFF"), TColor(0x7F7FFF));
    EXPECT_EQ(StringToColor("#FF0000"), clRed);
    EXPECT_EQ(StringToColor("unbekannt", clNone), clNone);
    EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
    EXPECT_EQ(ColorToString(TColor(0x123456)), "$00123456");
    const QColor window = QApplication::palette().color(QPalette::Base);
    EXPECT_EQ(ColorToRGB(clWindow), RGB(window.red(), window.green(), window.blue()));
    EXPECT_EQ(ColorToRGB(clRed), clRed);
}

TEST(Fonts, ChildrenFollowTheParentFontUntilTheyHaveTheirOwn)
{
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* label = new TLabel(&form);
    label->SetParent(panel);
    label->SetCaption("Text");
    const int before = label->Width();
    form.Font().SetSize(20);
    EXPECT_EQ(panel->Font().Size(), 20);
    EXPECT_EQ(label->Font().Size(), 20);
    EXPECT_TRUE(label->ParentFont());
    EXPECT_GT(label->Width(), before); // auto-size follows the font
    label->Font().SetStyle({ fsBold });
    EXPECT_FALSE(label->ParentFont());
    form.Font().SetSize(8);
    EXPECT_EQ(label->Font().Size(), 20);
    EXPECT_EQ(panel->Font().Size(), 8);
}

TEST(Lifetime, ParentsFreeChildrenAndOwnersFreeOwnedOnce)
{
    auto* form = new TForm(nullptr);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    auto* inner = new TEdit(nullptr); // no owner: freed by its parent
    inner->SetParent(panel);
    auto* ownedElsewhere = new TEdit(form);
    ownedElsewhere->SetParent(panel);
    delete panel;
    EXPECT_EQ(form->GetControlCount(), 0);
    EXPECT_EQ(form->GetComponentCount(), 0); // the owned edit left its owner when its parent freed it
    delete form;
}

TEST(Lifetime, DestroyingIsVisibleToOwnedComponents)
{
    struct TWatch : TComponent {
        bool* ownerDestroying;
        TWatch(TComponent* o, bool* flag)
            : TComponent(o)
            , ownerDestroying(flag)
        {
        }
        ~TWatch() override { *ownerDestroying = ComponentState().Contains(csDestroying); }
    };
    bool flag = false;
    auto* root = new TComponent(nullptr);
    new TWatch(root, &flag);
    delete root;
    EXPECT_TRUE(flag);
}

TEST(Screen, CursorOverridesTheApplication)
{
    Screen()->SetCursor(crHourGlass);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen()->SetCursor(crDefault);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_GT(Screen()->PixelsPerInch(), 0);
    EXPECT_GT(GetSystemMetrics(SM_CXVSCROLL), 0);
}

TEST(Forms, CloseQueryCanVetoAndCaFreeReleasesLater)
{
    auto* form = new TForm(nullptr);
    bool allow = false;
    form->OnCloseQuery = TCloseQueryEvent([&](TObject*, bool& can) { can = allow; });
    ASSERT_TRUE(ShowActive(*form));
    form->Close();
    EXPECT_TRUE(form->Visible());
    allow = true;
    form->OnClose = TCloseEvent([](TObject*, int& action) { action = caFree; });
    QPointer<QWidget> widget(form->Handle());
    form->Close();
    QTRY_VERIFY(widget.isNull());
}

} // namespace
