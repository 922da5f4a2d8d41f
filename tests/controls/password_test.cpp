// The password edit (typed into for real) and the password dialog behind PasswordBox.
#include "binding/methods.h"
#include "binding/qelmessages.h"
#include "controls/QelPasswordDialogForm.h"
#include "controls/QelPasswordEdit.h"
#include "support/settings_db.h"
#include "support/test_output.h"
#include "toolkit/tk_test_util.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

const std::string kStars(12, '*');

class PasswordEdit : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.SetBounds(100, 100, 300, 120);
        edit = new TQelPasswordEdit(&form);
        edit->SetParent(&form);
        edit->SetBounds(10, 10, 200, 24);
        other = new TEdit(&form);
        other->SetParent(&form);
        other->SetBounds(10, 50, 200, 24);
        ASSERT_TRUE(ShowActive(form));
        edit->SetFocus();
    }
    TForm form { nullptr };
    TQelPasswordEdit* edit = nullptr;
    TEdit* other = nullptr;
};

// Runs `drive` inside the next modal dialog and restores the previous driver afterwards.
class TModalScope {
public:
    explicit TModalScope(std::function<void(TfrmPasswordDialog&)> drive)
    {
        previous_ = TCustomForm::SetModalDriver([drive = std::move(drive)](TCustomForm* f) {
            auto* dlg = dynamic_cast<TfrmPasswordDialog*>(f);
            ASSERT_NE(dlg, nullptr);
            drive(*dlg);
        });
    }
    ~TModalScope() { TCustomForm::SetModalDriver(previous_); }

private:
    TCustomForm::TModalDriver previous_;
};

bool inside(const TControl* c, const TCustomForm& f)
{
    return c->Left() >= 0 && c->Top() >= 0 && c->Left() + c->Width() <= f.ClientWidth()
        && c->Top() + c->Height() <= f.ClientHeight();
}

bool overlap(const TControl* a, const TControl* b)
{
    const TRect r = a->BoundsRect(), s = b->BoundsRect();
    return r.Left < s.Right && s.Left < r.Right && r.Top < s.Bottom && s.Top < r.Bottom;
}

} // namespace

TEST_F(PasswordEdit, NeverShowsTheStoredPassword)
{
    edit->setPassword("abc");
    EXPECT_EQ(edit->Text(), kStars);
    edit->setPassword("ein-sehr-langes-passwort-mit-30");
    EXPECT_EQ(edit->Text(), kStars);
    EXPECT_EQ(edit->getPassword(), "ein-sehr-langes-passwort-mit-30");
    EXPECT_EQ(edit->GetPropValue("Password").AsString(), "ein-sehr-langes-passwort-mit-30");
    edit->setPassword("");
    EXPECT_EQ(edit->Text(), "");
    EXPECT_EQ(edit->getPassword(), "");
}

TEST_F(PasswordEdit, TypingReplacesThePassword)
{
    edit->setPassword("alt");
    QTest::keyClick(edit->Handle(), Qt::Key_X);
    EXPECT_EQ(edit->getPassword(), "x");
    QTest::keyClicks(edit->Handle(), "yz");
    QTest::sendKeyEvent(
        QTest::Click, edit->Handle(), Qt::Key_Adiaeresis, QStringLiteral("ä"), Qt::NoModifier);
    EXPECT_EQ(edit->getPassword(), "xyzä");

    // Deleting the placeholder leaves an empty password, not the old one.
    edit->setPassword("alt");
    QTest::keyClick(edit->Handle(), Qt::Key_Backspace);
    EXPECT_EQ(edit->getPassword(), "");
}

TEST_F(PasswordEdit, KeysThatEditNothingKeepThePassword)
{
    edit->setPassword("geheim");
    QTest::keyClick(edit->Handle(), Qt::Key_Shift);
    QTest::keyClick(edit->Handle(), Qt::Key_Left);
    QTest::keyClick(edit->Handle(), Qt::Key_End);
    EXPECT_EQ(edit->getPassword(), "geheim");
    QTest::keyClick(edit->Handle(), Qt::Key_Tab);
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(edit->getPassword(), "geheim");
}

TEST_F(PasswordEdit, OwnKeyDownHandlerRunsAfterTheReset)
{
    edit->setPassword("geheim");
    std::vector<std::string> seen;
    edit->OnKeyDown = [&](TObject*, WORD&, TShiftState) { seen.push_back(edit->Text()); };
    QTest::keyClick(edit->Handle(), Qt::Key_Q);
    QTest::keyClick(edit->Handle(), Qt::Key_A);
    EXPECT_EQ(seen, (std::vector<std::string> { "", "q" }));
    EXPECT_EQ(edit->getPassword(), "qa");
}

TEST_F(PasswordEdit, AnswersTheHostsMessages)
{
    EXPECT_EQ(edit->Perform(WM_OC_ISDATACONTROL), 1);
    edit->Perform(WM_OC_SETREADONLY, 1);
    EXPECT_TRUE(edit->ReadOnly());
    edit->setPassword("geheim");
    QTest::keyClick(edit->Handle(), Qt::Key_B);
    EXPECT_EQ(edit->getPassword(), "geheim"); // a read-only edit keeps it
    edit->Perform(WM_OC_SETREADONLY, 0);
    EXPECT_FALSE(edit->ReadOnly());
    EXPECT_EQ(edit->Perform(WM_OC_GETFIELD), 0);
}

TEST(PasswordBox, EnteredPasswordComesBackOnOk)
{
    TModalScope scope([](TfrmPasswordDialog& dlg) {
        EXPECT_EQ(dlg.Caption(), "Passwort-Eingabe");
        EXPECT_EQ(dlg.lblInfo->Caption(), "Bitte geben Sie das Passwort ein.");
        EXPECT_EQ(dlg.edtPassword->Text(), kStars);
        EXPECT_EQ(dlg.FindComponent("edtPassword"), dlg.edtPassword);
        EXPECT_EQ(dlg.FindComponent("btnCancel"), dlg.btnCancel);
        QTest::keyClicks(dlg.edtPassword->Handle(), "neu&Sicher");
        dlg.btnOk->Click();
    });
    std::string password = "alt";
    EXPECT_TRUE(TQelCommonMethods::PasswordBox(password));
    EXPECT_EQ(password, "neu&Sicher");
}

TEST(PasswordBox, CancelKeepsThePassword)
{
    TModalScope scope([](TfrmPasswordDialog& dlg) {
        QTest::keyClicks(dlg.edtPassword->Handle(), "verworfen");
        QTest::keyClick(dlg.edtPassword->Handle(), Qt::Key_Escape);
    });
    std::string password = "alt";
    EXPECT_FALSE(TQelCommonMethods::PasswordBox(password));
    EXPECT_EQ(password, "alt");
}

TEST(PasswordBox, ReturnAcceptsTheStoredPasswordUnchanged)
{
    TModalScope scope(
        [](TfrmPasswordDialog& dlg) { QTest::keyClick(dlg.edtPassword->Handle(), Qt::Key_Return); });
    std::string password = "unverändert";
    EXPECT_TRUE(TQelCommonMethods::PasswordBox(password));
    EXPECT_EQ(password, "unverändert");
}

TEST(PasswordBox, CaptionPromptGlyphsCharacterAndSize)
{
    TBitmap okGlyph, cancelGlyph;
    okGlyph.SetSize(32, 16, clGreen);
    cancelGlyph.SetSize(16, 16, clRed);
    const std::string prompt = "Das Archiv ist geschützt. Bitte geben Sie das Passwort des Archivs ein, "
                               "um die Dokumente zu öffnen. Groß- und Kleinschreibung wird beachtet.";
    TModalScope scope([&](TfrmPasswordDialog& dlg) {
        EXPECT_EQ(dlg.Caption(), "Archiv öffnen");
        EXPECT_EQ(dlg.lblInfo->Caption(), prompt);
        EXPECT_EQ(dlg.edtPassword->PasswordChar(), U'#');
        EXPECT_EQ(dlg.btnOk->NumGlyphs(), 2);
        EXPECT_EQ(dlg.btnOk->Glyph().Width(), 32);
        EXPECT_EQ(dlg.btnCancel->NumGlyphs(), 1);
        EXPECT_EQ(dlg.btnCancel->Glyph().Width(), 16);
        EXPECT_EQ(dlg.Width(), 500);
        EXPECT_EQ(dlg.Height(), 220);
        // The longer prompt pushed the edit down; the buttons stay in the lower right corner.
        EXPECT_FALSE(overlap(dlg.lblInfo, dlg.edtPassword));
        EXPECT_TRUE(inside(dlg.btnCancel, dlg));
        EXPECT_EQ(dlg.btnCancel->Left() + dlg.btnCancel->Width(), dlg.ClientWidth() - 12);
        EXPECT_LT(dlg.edtPassword->Top() + dlg.edtPassword->Height(), dlg.btnOk->Top());
        dlg.btnCancel->Click();
    });
    std::string password;
    EXPECT_FALSE(TQelCommonMethods::PasswordBox(
        password, "Archiv öffnen", prompt, &okGlyph, &cancelGlyph, 2, 0, '#', 500, 220));
    EXPECT_EQ(password, "");
}

TEST(PasswordDialog, ScalesItselfToTheWorkstation)
{
    TfrmPasswordDialog plain(nullptr);
    const int width = plain.ClientWidth();
    const int buttonWidth = plain.btnOk->Width();
    TTestSettingsDb db(120);
    TfrmPasswordDialog scaled(nullptr);
    EXPECT_EQ(scaled.ClientWidth(), TQelCommonMethods::scale(width, 120));
    EXPECT_EQ(scaled.btnOk->Width(), TQelCommonMethods::scale(buttonWidth, 120));
    EXPECT_TRUE(inside(scaled.btnCancel, scaled));
    EXPECT_FALSE(overlap(scaled.lblPassword, scaled.edtPassword));
    scaled.Show();
    QApplication::processEvents();
    EXPECT_TRUE(scaled.Handle()->grab().save(QDir(TestOutputDir()).filePath("password_dialog_120dpi.png")));
}

TEST(PasswordDialog, RendersALegibleLayout)
{
    TfrmPasswordDialog dlg(nullptr);
    dlg.edtPassword->setPassword("geheim");
    dlg.Show();
    QApplication::processEvents();
    for (TControl* c : { static_cast<TControl*>(dlg.lblInfo), static_cast<TControl*>(dlg.lblPassword),
             static_cast<TControl*>(dlg.edtPassword), static_cast<TControl*>(dlg.btnOk),
             static_cast<TControl*>(dlg.btnCancel) })
        EXPECT_TRUE(inside(c, dlg)) << c->Name();
    EXPECT_FALSE(overlap(dlg.btnOk, dlg.btnCancel));
    EXPECT_FALSE(overlap(dlg.lblPassword, dlg.edtPassword));
    EXPECT_FALSE(overlap(dlg.lblInfo, dlg.edtPassword));
    EXPECT_EQ(dlg.btnOk->Caption(), "OK");
    EXPECT_EQ(dlg.btnCancel->Caption(), "Abbrechen");
    EXPECT_TRUE(dlg.btnOk->Default());
    EXPECT_TRUE(dlg.btnCancel->Cancel());

    // The prompt's text is drawn: its area holds dark pixels.
    const auto darkPixelsOfPrompt = [&dlg](const char* fileName) {
        const QImage image = dlg.Handle()->grab().toImage();
        EXPECT_TRUE(image.save(QDir(TestOutputDir()).filePath(fileName)));
        int dark = 0;
        const TRect r = dlg.lblInfo->BoundsRect();
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                dark += qGray(image.pixel(x, y)) < 100;
        return dark;
    };
    const int oneLine = darkPixelsOfPrompt("password_dialog.png");
    EXPECT_GT(oneLine, 50);

    const int height = dlg.ClientHeight();
    dlg.SetPrompt(
        "Die Sitzung ist abgelaufen. Bitte melden Sie sich erneut an und geben Sie dazu das Passwort "
        "Ihres Benutzerkontos ein.");
    QApplication::processEvents();
    EXPECT_GT(dlg.ClientHeight(), height); // the form grew by the prompt's extra lines
    EXPECT_FALSE(overlap(dlg.lblInfo, dlg.edtPassword));
    EXPECT_TRUE(inside(dlg.btnOk, dlg));
    EXPECT_GT(darkPixelsOfPrompt("password_dialog_long_prompt.png"), 2 * oneLine);
}
