// Menus from captions and shortcuts, the scripted dialog service, timers, clipboard, registry.
#include "tk_test_util.h"
#include "toolkit/clipbrd.h"
#include "toolkit/menus.h"
#include "toolkit/registry.h"
#include "toolkit/scripteddialogs.h"
#include "toolkit/stdctrls.h"
#include "toolkit/timers.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

TEST(ShortCuts, GermanAndEnglishKeyNamesParse)
{
    EXPECT_EQ(TextToShortCut("Ctrl+N"), scCtrl | 'N');
    EXPECT_EQ(TextToShortCut("Strg+N"), scCtrl | 'N');
    EXPECT_EQ(TextToShortCut("Umsch+Strg+F5"), scShift | scCtrl | VK_F5);
    EXPECT_EQ(TextToShortCut("Shift+Del"), scShift | VK_DELETE);
    EXPECT_EQ(TextToShortCut("Entf"), VK_DELETE);
    EXPECT_EQ(TextToShortCut("strg+einfg"), scCtrl | VK_INSERT);
    EXPECT_EQ(TextToShortCut("Alt+Bild ab"), scAlt | VK_NEXT);
    EXPECT_EQ(TextToShortCut("Ctrl++"), scCtrl | VK_OEM_PLUS);
    EXPECT_EQ(TextToShortCut("Strg+"), 0);
    EXPECT_EQ(TextToShortCut("Hyper+X"), 0);
    EXPECT_EQ(ShortCutToText(scCtrl | 'X'), "Strg+X");
    EXPECT_EQ(ShortCutToText(scShift | scCtrl | VK_DELETE), "Umsch+Strg+Entf");
    EXPECT_EQ(ShortCutToText(TextToShortCut(ShortCutToText(scAlt | VK_F12))), "Alt+F12");
}

struct MenuForm : ::testing::Test {
    TForm form { nullptr };
    TPopupMenu* menu = new TPopupMenu(&form);
    TEdit* edit = new TEdit(&form);
    std::vector<std::string> clicked;

    TMenuItem* Add(TMenuItem* parent, const std::string& caption, const std::string& shortCut = "")
    {
        auto* item = new TMenuItem(&form);
        item->SetCaption(caption);
        item->SetShortCut(TextToShortCut(shortCut));
        item->OnClick
            = TNotifyEvent([this](TObject* s) { clicked.push_back(static_cast<TMenuItem*>(s)->Caption()); });
        parent->Add(item);
        return item;
    }
    void SetUp() override
    {
        edit->SetParent(&form);
        edit->SetPopupMenu(menu);
    }
};

TEST_F(MenuForm, ShortcutOfThePopupMenuRunsItsItemInsteadOfTyping)
{
    Add(menu->Items(), "Ausschneiden", "Strg+X");
    TMenuItem* off = Add(menu->Items(), "Kopieren", "Strg+K");
    off->SetEnabled(false);
    ASSERT_TRUE(ShowActive(form));
    edit->SetFocus();
    edit->SetText("abc");
    edit->SelectAll();
    QTest::keyClick(edit->Handle(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(clicked, std::vector<std::string> { "Ausschneiden" });
    EXPECT_EQ(edit->Text(), "abc"); // the item ran, not the edit's own cut
    QTest::keyClick(edit->Handle(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(clicked.size(), 1u);
}

TEST_F(MenuForm, PopupShowsItemsSeparatorsSubMenusAndChecks)
{
    Add(menu->Items(), "Neu", "Strg+N");
    Add(menu->Items(), "-");
    TMenuItem* view = Add(menu->Items(), "Ansicht");
    TMenuItem* a = Add(view, "Liste");
    TMenuItem* b = Add(view, "Details");
    for (TMenuItem* r : { a, b }) {
        r->SetRadioItem(true);
        r->SetGroupIndex(1);
    }
    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked()); // one radio item of a group is checked
    TMenuItem* hidden = Add(menu->Items(), "Verborgen");
    hidden->SetVisible(false);
    bool popped = false;
    menu->OnPopup = TNotifyEvent([&](TObject*) { popped = true; });

    ASSERT_TRUE(ShowActive(form));
    QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(5, 5), edit->Handle()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(edit->Handle(), &ev);
    EXPECT_TRUE(popped);
    QMenu* shown = menu->Handle();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(menu->PopupComponent(), edit);
    const QList<QAction*> actions = shown->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "Neu\tStrg+N");
    EXPECT_TRUE(actions[1]->isSeparator());
    ASSERT_NE(actions[2]->menu(), nullptr);
    EXPECT_TRUE(actions[2]->menu()->actions()[1]->isChecked());
    actions[0]->trigger();
    EXPECT_EQ(clicked, std::vector<std::string> { "Neu" });
    menu->CloseMenu();

    EXPECT_EQ(menu->Items()->Find("ansicht"), view);
    EXPECT_EQ(menu->FindItemByShortCut(scCtrl | 'N')->Caption(), "Neu");
    delete view;
    EXPECT_EQ(menu->Items()->Count(), 3);
}

TEST_F(MenuForm, FreedPopupMenuIsForgottenByItsControl)
{
    delete menu;
    EXPECT_EQ(edit->PopupMenu(), nullptr);
}

TEST(ScriptedDialogs, AnswersInOrderAndRecordsQuestions)
{
    TScopedScriptedDialogs dialogs;
    dialogs->AnswerDlg(mrYes);
    dialogs->AnswerInput("42");
    dialogs->CancelInput();
    dialogs->AnswerBox(IDNO);
    dialogs->AnswerFiles({ "/tmp/a.txt", "/tmp/b.txt" });
    dialogs->AnswerFolder("/tmp");

    EXPECT_EQ(MessageDlg("Löschen?", mtConfirmation, mbYesNo), mrYes);
    std::string value = "7";
    EXPECT_TRUE(InputQuery("Edit-Type ändern", "Neuer Edit-Type:", value));
    EXPECT_EQ(value, "42");
    EXPECT_EQ(InputBox("Titel", "Frage", "vorgabe"), "vorgabe");
    EXPECT_EQ(Application()->MessageBox("Wirklich?", "Frage", MB_YESNO | MB_ICONQUESTION), IDNO);
    ShowMessage("Fertig");
    EXPECT_EQ(MessageDlg("Nur zur Kenntnis", mtInformation, { mbOK }), mrOk);

    TOpenDialog open(nullptr);
    open.Title = "Text importieren";
    open.DefaultExt = "txt";
    open.Filter = "Textdateien (*.txt)|*.TXT";
    open.Options << ofAllowMultiSelect;
    EXPECT_TRUE(open.Execute());
    EXPECT_EQ(open.Files().size(), 2u);
    EXPECT_EQ(open.FileName, "/tmp/a.txt");
    std::string folder;
    EXPECT_TRUE(Dialogs().BrowseForFolder("Ordner wählen", folder));
    EXPECT_EQ(folder, "/tmp");
    EXPECT_TRUE(Dialogs().OpenWithProgram("/tmp/a.txt", ""));

    const auto& q = dialogs->Questions();
    ASSERT_EQ(q.size(), 9u);
    EXPECT_EQ(q[0].text, "Löschen?");
    EXPECT_EQ(q[0].type, mtConfirmation);
    EXPECT_EQ(q[1].caption, "Edit-Type ändern");
    EXPECT_EQ(q[1].value, "7");
    EXPECT_EQ(q[3].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(q[4].kind, TScriptedDialogs::TKind::ShowMessage);
    EXPECT_EQ(q[6].request.title, "Text importieren");
    EXPECT_EQ(q[6].request.filter, "Textdateien (*.txt)|*.TXT");
    EXPECT_EQ(q[8].kind, TScriptedDialogs::TKind::OpenWithProgram);
    EXPECT_EQ(dialogs->PendingAnswers(), 0u);
}

TEST(ScriptedDialogs, UnansweredQuestionFailsInsteadOfBlocking)
{
    TScopedScriptedDialogs dialogs;
    EXPECT_THROW(MessageDlg("Speichern?", mtConfirmation, mbYesNoCancel), std::logic_error);
    dialogs->AnswerFolder("/tmp"); // an answer of the wrong kind does not fit either
    std::vector<std::string> reported;
    dialogs->OnUnanswered = [&](const std::string& what) { reported.push_back(what); };
    EXPECT_EQ(MessageDlg("Speichern?", mtConfirmation, mbYesNoCancel), mrCancel);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find("Speichern?"), std::string::npos);
    EXPECT_EQ(dialogs->Failures().size(), 2u);
}

TEST(FileFilter, PairsOfDescriptionAndPatterns)
{
    const auto f = ParseFileFilter("Textdateien (*.txt)|*.TXT|Alle|*.csv; *.tab");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].description, "Textdateien (*.txt)");
    EXPECT_EQ(f[0].patterns, std::vector<std::string> { "*.TXT" });
    EXPECT_EQ(f[1].patterns, (std::vector<std::string> { "*.csv", "*.tab" }));
    EXPECT_TRUE(ParseFileFilter("").empty());
}

TEST(Timers, TimerFiresWhileEnabled)
{
    TTimer timer(nullptr);
    int fired = 0;
    timer.SetInterval(5);
    timer.OnTimer = TNotifyEvent([&](TObject*) {
        if (++fired == 3)
            timer.SetEnabled(false);
    });
    QTRY_COMPARE_WITH_TIMEOUT(fired, 3, 2000);
    EXPECT_FALSE(timer.Active());
    QTest::qWait(30);
    EXPECT_EQ(fired, 3);
    timer.SetEnabled(true);
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Active());
}

TEST(Timers, DriverRunsDueTasksAndRearmsForTheNext)
{
    // A tiny scheduler: due times in ms on a real clock.
    QElapsedTimer clock;
    clock.start();
    std::vector<long long> due { 20, 5 };
    std::vector<long long> ranAt;
    TTimerDriver* self = nullptr;
    TTimerDriver driver(
        [&] {
            const long long now = clock.elapsed();
            for (auto it = due.begin(); it != due.end();)
                if (*it <= now) {
                    ranAt.push_back(*it);
                    it = due.erase(it);
                } else {
                    ++it;
                }
            if (ranAt.size() == 1)
                due.push_back(now + 10); // a task started from a handler
            self->Reschedule();
        },
        [&]() -> std::optional<long long> {
            if (due.empty())
                return std::nullopt;
            return *std::min_element(due.begin(), due.end()) - clock.elapsed();
        });
    self = &driver;
    driver.Reschedule();
    EXPECT_TRUE(driver.Armed());
    QTRY_COMPARE_WITH_TIMEOUT(ranAt.size(), size_t { 3 }, 2000);
    EXPECT_EQ(ranAt[0], 5);
    EXPECT_FALSE(driver.Armed());
    EXPECT_EQ(driver.ArmedDelay(), -1);
}

TEST(Clipboard, UnicodeTextRoundTrips)
{
    Clipboard()->SetAsText("Grüße € 😀");
    EXPECT_EQ(Clipboard()->AsText(), "Grüße € 😀");
    EXPECT_TRUE(Clipboard()->HasFormat(CF_UNICODETEXT));
    EXPECT_EQ(Clipboard()->AsWideText(), u"Grüße € 😀");
    Clipboard()->SetAsWideText(u"Ω");
    EXPECT_EQ(Clipboard()->AsText(), "Ω");
}

TEST(Registry, PagesAndClassesByName)
{
    RegisterComponents("TelvoODB", { ComponentClass<TEdit>(), ComponentClass<TMemo>() });
    RegisterComponents("TelvoODB", { ComponentClass<TEdit>() });
    const auto classes = PaletteClasses("TelvoODB");
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_EQ(classes[0].name, "TEdit");
    EXPECT_EQ(PageOfClass("TMemo"), "TelvoODB");
    TForm form(nullptr);
    TComponent* c = CreateComponent("TMemo", &form);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->InheritsFrom<TCustomMemo>());
    EXPECT_EQ(c->Owner(), &form);
    EXPECT_EQ(CreateComponent("TUnbekannt", &form), nullptr);
    struct TEditFake : TComponent {
        using TComponent::TComponent;
    };
    TComponentClass clash = ComponentClass<TEditFake>();
    clash.name = "TEdit";
    EXPECT_THROW(RegisterClass(clash), std::invalid_argument);
}

} // namespace
