// Where windows appear, how the main window ends the application, and Qt's own texts in German.
#include "tk_test_util.h"
#include "toolkit/dialogs.h"
#include "toolkit/form.h"
#include "toolkit/translations.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

QRect Area()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

TEST(WindowPlacement, DesignedPositionKeepsTheTitleBarOnTheScreen)
{
    TForm form(nullptr);
    form.SetBounds(-50, -30, 300, 200);
    form.Show();
    const QRect frame = form.Handle()->frameGeometry();
    EXPECT_GE(frame.left(), Area().left());
    EXPECT_GE(frame.top(), Area().top());
    EXPECT_EQ(form.Handle()->size(), QSize(300, 200));

    TForm placed(nullptr);
    placed.SetBounds(120, 90, 300, 200);
    placed.Show();
    EXPECT_EQ(placed.Handle()->frameGeometry().topLeft(), QPoint(120, 90));
}

TEST(WindowPlacement, CentredOnScreenOrOverTheMainForm)
{
    TForm main(nullptr);
    main.SetBounds(40, 60, 500, 400);
    main.Show();
    Application()->SetMainForm(&main);
    TForm over(nullptr);
    over.SetPosition(poMainFormCenter);
    over.SetBounds(0, 0, 200, 100);
    over.Show();
    EXPECT_LE(
        (over.Handle()->frameGeometry().center() - main.Handle()->frameGeometry().center()).manhattanLength(),
        2);
    TForm owned(&main);
    owned.SetPosition(poOwnerFormCenter);
    owned.SetBounds(0, 0, 100, 80);
    owned.Show();
    EXPECT_LE((owned.Handle()->frameGeometry().center() - main.Handle()->frameGeometry().center())
                  .manhattanLength(),
        2);
    Application()->SetMainForm(nullptr);

    TForm centred(nullptr);
    centred.SetPosition(poScreenCenter);
    centred.SetBounds(0, 0, 300, 200);
    centred.Show();
    EXPECT_LE((centred.Handle()->frameGeometry().center() - Area().center()).manhattanLength(), 2);

    // Left to the window manager: the window gives no position of its own.
    TForm free(nullptr);
    free.SetPosition(poDefault);
    free.Show();
    EXPECT_FALSE(free.Handle()->testAttribute(Qt::WA_Moved));
}

// Runs the event loop until `closeIt` has closed the main form; the exit code, or -1 when the loop
// did not end within two seconds.
int RunUntilClosed(const std::function<void()>& closeIt)
{
    QTimer::singleShot(0, qApp, closeIt);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(-1); });
    watchdog.start(2000);
    return QApplication::exec();
}

TEST(MainForm, ClosingItClosesTheOtherWindowsAndEndsTheEventLoop)
{
    auto main = std::make_unique<TForm>(nullptr);
    TForm other(nullptr);
    main->Show();
    other.Show();
    Application()->SetMainForm(main.get());
    // The window's close button, as a user presses it.
    EXPECT_EQ(RunUntilClosed([&] { main->Handle()->close(); }), 0);
    EXPECT_FALSE(main->Showing());
    EXPECT_FALSE(other.Showing());
    main.reset();
    EXPECT_EQ(Application()->MainForm(), nullptr); // a freed main form is forgotten
}

TEST(MainForm, AWindowThatRefusesToCloseKeepsTheApplicationRunning)
{
    TForm main(nullptr);
    TForm editing(nullptr);
    editing.OnCloseQuery = [](TObject*, bool& canClose) { canClose = false; };
    main.Show();
    editing.Show();
    Application()->SetMainForm(&main);
    EXPECT_EQ(RunUntilClosed([&] { main.Handle()->close(); }), -1);
    EXPECT_TRUE(main.Showing());
    EXPECT_TRUE(editing.Showing());
    Application()->SetMainForm(nullptr);
}

TEST(FileDialogFilters, EachFilterShowsItsPatternsOnce)
{
    EXPECT_EQ(FileDialogFilters("Alle Dateien (*.*)|*.*|Textdateien (*.txt)|*.TXT"),
        (std::vector<std::string> { "Alle Dateien (*.*)", "Textdateien (*.txt *.TXT)" }));
    EXPECT_EQ(
        FileDialogFilters("Bilder|*.png;*.JPG"), std::vector<std::string> { "Bilder (*.png *.jpg *.JPG)" });
    // Parentheses that hold no patterns are part of the description.
    EXPECT_EQ(FileDialogFilters("Maße (cm)|*.csv"), std::vector<std::string> { "Maße (cm) (*.csv)" });
}

TEST(QtTranslations, QtsOwnDialogsAndMenusSpeakGerman)
{
    ASSERT_TRUE(InstallQtTranslations());
    EXPECT_TRUE(InstallQtTranslations()); // once is enough; a second call changes nothing
    EXPECT_EQ(QLocale().name().toStdString(), "de_DE");
    QFileDialog dialog(nullptr, "Importieren");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    ASSERT_NE(lookIn, nullptr);
    EXPECT_EQ(lookIn->text().toStdString(), "Suchen in:");
    auto* fileName = dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
    ASSERT_NE(fileName, nullptr);
    EXPECT_EQ(fileName->text().toStdString(), "Datei&name:");
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << a->text().section(QLatin1Char('\t'), 0, 0); // without the shortcut
    EXPECT_TRUE(texts.contains(QStringLiteral("&Rückgängig"))) << texts.join(", ").toStdString();
}

} // namespace
