// Controls as ordinary Qt widgets: in Qt's layouts, splitters, stacked widgets and windows built
// in Qt they are shown with their parent, their caption label goes with them, the control tree
// follows where Qt puts them, and they go when Qt frees their widgets.
#include "tk_test_util.h"
#include "toolkit/advctrls.h"
#include "toolkit/comctrls.h"
#include "toolkit/extctrls.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A labelled edit that records its focus messages.
class TEnterExitEdit : public TAdvEdit {
public:
    TEnterExitEdit(TComponent* owner, HookLog& log)
        : TAdvEdit(owner)
        , log_(log)
    {
        SetTabStop(true);
    }

protected:
    void DoEnter() override
    {
        log_.push_back("enter " + Name());
        TAdvEdit::DoEnter();
    }
    void DoExit() override
    {
        log_.push_back("exit " + Name());
        TAdvEdit::DoExit();
    }

private:
    HookLog& log_;
};

TAdvEdit* LabelledEdit(TComponent* owner, const std::string& name, const std::string& caption)
{
    auto* e = new TAdvEdit(owner);
    e->SetName(name);
    e->SetLabelCaption(caption);
    return e;
}

bool ShowWindow(QWidget& w)
{
    w.show();
    w.activateWindow();
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}

TEST(QtLayouts, ControlsInABoxLayoutAreShownWithTheirLabelsAndLeaveRoomForThem)
{
    TComponent owner(nullptr);
    QWidget window;
    auto* box = new QVBoxLayout(&window);
    std::vector<TAdvEdit*> edits;
    for (const char* name : { "Vorname", "Name", "Ort" }) {
        edits.push_back(LabelledEdit(&owner, name, name));
        box->addWidget(edits.back()->Handle());
    }
    auto* panel = new TPanel(&owner);
    panel->SetBounds(0, 0, 200, 90); // a panel has no size hint of Qt's: the asked size is its hint
    box->addWidget(panel->Handle());
    window.resize(300, 400);
    ASSERT_TRUE(ShowWindow(window));
    QApplication::processEvents();

    for (TAdvEdit* e : edits) {
        EXPECT_TRUE(e->Showing()) << e->Name();
        QWidget* label = e->EditLabel().Handle();
        ASSERT_NE(label, nullptr) << e->Name();
        EXPECT_TRUE(label->isVisible()) << e->Name();
        EXPECT_EQ(label->parentWidget(), &window);
        // Above its edit, clear of every other edit and label.
        EXPECT_EQ(label->geometry().bottom() + 1 + e->LabelMargin(), e->Top()) << e->Name();
        for (TAdvEdit* other : edits) {
            if (other == e)
                continue;
            EXPECT_FALSE(label->geometry().intersects(other->Handle()->geometry())) << e->Name();
            EXPECT_FALSE(label->geometry().intersects(other->EditLabel().Handle()->geometry())) << e->Name();
        }
    }
    EXPECT_TRUE(panel->Showing());
    EXPECT_EQ(panel->Handle()->sizeHint(), QSize(200, 90));
    EXPECT_GE(panel->Height(), 90);
    // The layout decides: a wider window widens the edits.
    const int before = edits[0]->Width();
    window.resize(500, 400);
    QApplication::processEvents();
    EXPECT_GT(edits[0]->Width(), before);
    EXPECT_EQ(edits[0]->Width(), edits[0]->Handle()->width());
}

TEST(QtLayouts, AFormLayoutTakesTheLabelIntoItsLabelCell)
{
    TComponent owner(nullptr);
    QWidget window;
    auto* form = new QFormLayout(&window);
    TAdvEdit* name = LabelledEdit(&owner, "edName", "Name");
    form->addRow(nullptr, name->Handle()); // the field cell of a row without a label
    TAdvEdit* wide = LabelledEdit(&owner, "edNotiz", "Notiz");
    form->addRow(wide->Handle()); // across the row: the label stands above it
    TAdvEdit* town = LabelledEdit(&owner, "edOrt", "Ort");
    form->addRow(QStringLiteral("Wohnort"), town->Handle()); // a row with a label of its own
    ASSERT_TRUE(ShowWindow(window));
    QApplication::processEvents();

    QLayoutItem* cell = form->itemAt(0, QFormLayout::LabelRole);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->widget(), name->EditLabel().Handle());
    EXPECT_TRUE(cell->widget()->isVisible());
    EXPECT_LT(cell->widget()->geometry().right(), name->Left());
    ASSERT_NE(wide->EditLabel().Handle(), nullptr);
    EXPECT_TRUE(wide->EditLabel().Handle()->isVisible());
    EXPECT_EQ(wide->EditLabel().Handle()->geometry().bottom() + 1 + wide->LabelMargin(), wide->Top());
    EXPECT_GT(wide->EditLabel().Handle()->y(), name->Handle()->geometry().bottom());
    // The row's own label stays the only one.
    EXPECT_EQ(static_cast<QLabel*>(form->itemAt(2, QFormLayout::LabelRole)->widget())->text(),
        QStringLiteral("Wohnort"));
    ASSERT_NE(town->EditLabel().Handle(), nullptr);
    EXPECT_FALSE(town->EditLabel().Handle()->isVisible());
    // Without a caption the label cell is empty again.
    name->SetLabelCaption("");
    EXPECT_EQ(form->itemAt(0, QFormLayout::LabelRole), nullptr);
}

TEST(QtLayouts, AlignAndAnchorsLeaveAControlInALayoutWhereTheLayoutPutsIt)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    auto* banner = new QLabel(QStringLiteral("Kopf"));
    banner->setFixedHeight(100);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetAlign(alTop);
    panel->SetHeight(40);
    auto* box = new QVBoxLayout(form.ClientWidget());
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(banner);
    box->addWidget(panel->Handle());
    // A control beside the layout keeps its anchors.
    auto* free = new TPanel(&form);
    free->SetParent(&form);
    free->SetBounds(300, 250, 50, 20);
    free->SetAnchors({ akRight, akBottom });
    ASSERT_TRUE(ShowActive(form));
    form.SetBounds(0, 0, 500, 400);
    QApplication::processEvents();
    EXPECT_TRUE(panel->PlacedByQt());
    EXPECT_FALSE(free->PlacedByQt());
    EXPECT_GE(panel->Top(), 100);
    EXPECT_EQ(panel->Top(), panel->Handle()->y());
    EXPECT_EQ(free->Left(), 400);
    EXPECT_EQ(free->Top(), 350);
}

TEST(QtLayouts, TheControlTreeFollowsWhereQtPutsTheWidget)
{
    TForm form(nullptr);
    auto* group = new QGroupBox(QStringLiteral("Person"), form.ClientWidget());
    auto* inner = new QVBoxLayout(group);
    auto* panel = new TPanel(&form);
    auto* edit = LabelledEdit(&form, "edName", "Name");
    inner->addWidget(panel->Handle());
    inner->addWidget(edit->Handle());
    // Through the group box the nearest control above is the form.
    EXPECT_EQ(panel->Parent(), &form);
    EXPECT_EQ(edit->Parent(), &form);
    EXPECT_TRUE(edit->PlacedByQt());
    // A widget moved with its controls takes them along: the panel's own children stay its own.
    auto* child = new TAdvEdit(&form);
    child->SetParent(panel);
    auto* splitter = new QSplitter();
    splitter->addWidget(group);
    auto* stack = new QStackedWidget();
    splitter->addWidget(stack);
    EXPECT_EQ(edit->Parent(), nullptr);
    EXPECT_EQ(child->Parent(), panel);
    auto* other = new TPanel(&form);
    other->SetParent(&form);
    stack->addWidget(edit->Handle());
    other->Handle()->setLayout(new QVBoxLayout());
    other->Handle()->layout()->addWidget(splitter);
    EXPECT_EQ(panel->Parent(), other);
    EXPECT_EQ(edit->Parent(), other);
    EXPECT_TRUE(other->ContainsControl(child));
    ASSERT_TRUE(ShowActive(form));
    EXPECT_TRUE(edit->Showing());
    EXPECT_TRUE(child->Showing());

    // Qt frees the splitter's widgets: their controls go with them, and leave the form.
    const int components = form.GetComponentCount();
    delete splitter;
    EXPECT_EQ(form.GetComponentCount(), components - 3);
    EXPECT_EQ(other->GetControlCount(), 0);
    EXPECT_EQ(form.FindComponent("edName"), nullptr);
}

TEST(QtLayouts, AQtMainWindowEntersAndExitsItsControlsAndTabsThroughThem)
{
    HookLog log;
    TComponent owner(nullptr);
    QMainWindow window;
    auto* central = new QWidget();
    auto* form = new QFormLayout(central);
    auto* first = new TEnterExitEdit(&owner, log);
    first->SetName("first");
    auto* second = new TEnterExitEdit(&owner, log);
    second->SetName("second");
    auto* plain = new QLineEdit();
    form->addRow(QStringLiteral("Eins"), first->Handle());
    form->addRow(QStringLiteral("Zwei"), second->Handle());
    form->addRow(QStringLiteral("Qt"), plain);
    window.setCentralWidget(central);
    ASSERT_TRUE(ShowWindow(window));
    EXPECT_TRUE(first->Showing());
    EXPECT_TRUE(second->Showing());

    QTest::mouseClick(first->Handle(), Qt::LeftButton);
    EXPECT_TRUE(first->Focused());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(second->Focused());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), plain);
    EXPECT_EQ(log, (HookLog { "enter first", "exit first", "enter second", "exit second" }));
}

TEST(QtLayouts, ControlsInAFreedWindowGoWithIt)
{
    TComponent owner(nullptr);
    auto window = std::make_unique<QWidget>();
    auto* box = new QVBoxLayout(window.get());
    auto* pages = new TPageControl(&owner);
    auto* sheet = new TTabSheet(&owner);
    sheet->SetPageControl(pages);
    auto* edit = LabelledEdit(&owner, "edName", "Name");
    edit->SetParent(sheet);
    box->addWidget(pages->Handle());
    EXPECT_EQ(pages->Handle()->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    ASSERT_TRUE(ShowWindow(*window));
    EXPECT_TRUE(edit->Showing());
    window.reset();
    EXPECT_EQ(owner.GetComponentCount(), 0);
}

} // namespace
