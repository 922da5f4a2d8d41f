#include "toolkit/dialogs.h"

#include "toolkit/qtbridge.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <stdexcept>

namespace {

const char* TypeCaption(TMsgDlgType type)
{
    switch (type) {
    case mtWarning:
        return "Warnung";
    case mtError:
        return "Fehler";
    case mtInformation:
        return "Information";
    case mtConfirmation:
        return "Bestätigen";
    case mtCustom:
        break;
    }
    return "";
}

struct ButtonInfo {
    TMsgDlgBtn button;
    const char* text;
    int result;
    QMessageBox::ButtonRole role;
};

constexpr ButtonInfo kButtons[] = {
    { mbYes, "&Ja", mrYes, QMessageBox::YesRole },
    { mbNo, "&Nein", mrNo, QMessageBox::NoRole },
    { mbOK, "OK", mrOk, QMessageBox::AcceptRole },
    { mbCancel, "Abbrechen", mrCancel, QMessageBox::RejectRole },
    { mbAbort, "&Abbrechen", mrAbort, QMessageBox::RejectRole },
    { mbRetry, "&Wiederholen", mrRetry, QMessageBox::AcceptRole },
    { mbIgnore, "&Ignorieren", mrIgnore, QMessageBox::AcceptRole },
    { mbAll, "&Alle", mrAll, QMessageBox::YesRole },
    { mbNoToAll, "N&ein für alle", mrNoToAll, QMessageBox::NoRole },
    { mbYesToAll, "Ja für a&lle", mrYesToAll, QMessageBox::YesRole },
    { mbHelp, "&Hilfe", mrNone, QMessageBox::HelpRole },
    { mbClose, "&Schließen", mrClose, QMessageBox::RejectRole },
};

bool Headless()
{
    const QString p = QGuiApplication::platformName();
    return p == QLatin1String("offscreen") || p == QLatin1String("minimal");
}

// Without a screen nobody can answer: fail instead of waiting forever.
void RequireScreen(const std::string& what)
{
    if (Headless())
        throw std::logic_error("Dialog ohne Bildschirm (Testdienst nicht installiert): " + what);
}

QString QtFilter(const std::string& filter)
{
    QStringList parts;
    for (const std::string& f : FileDialogFilters(filter))
        parts << ToQString(f);
    return parts.join(QStringLiteral(";;"));
}

int RunMessageBox(QMessageBox::Icon icon, const std::string& caption, const std::string& text,
    const std::vector<const ButtonInfo*>& buttons, int defaultIndex)
{
    QMessageBox box(icon, ToQString(caption), ToQString(text));
    std::vector<std::pair<QAbstractButton*, int>> results;
    for (size_t i = 0; i < buttons.size(); ++i) {
        QPushButton* b = box.addButton(ToQString(buttons[i]->text), buttons[i]->role);
        results.emplace_back(b, buttons[i]->result);
        if (static_cast<int>(i) == defaultIndex)
            box.setDefaultButton(b);
    }
    box.exec();
    for (auto& [b, r] : results)
        if (box.clickedButton() == b)
            return r;
    return mrCancel;
}

class TQtDialogService : public TDialogService {
public:
    int MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons) override
    {
        RequireScreen(message);
        std::vector<const ButtonInfo*> list;
        for (const ButtonInfo& b : kButtons)
            if (buttons.Contains(b.button))
                list.push_back(&b);
        const QMessageBox::Icon icon = type == mtWarning ? QMessageBox::Warning
            : type == mtError                            ? QMessageBox::Critical
            : type == mtInformation                      ? QMessageBox::Information
            : type == mtConfirmation                     ? QMessageBox::Question
                                                         : QMessageBox::NoIcon;
        std::string caption = TypeCaption(type);
        if (caption.empty())
            caption = Application()->Title();
        return RunMessageBox(icon, caption, message, list, 0);
    }

    void ShowMessage(const std::string& message) override
    {
        RequireScreen(message);
        RunMessageBox(QMessageBox::NoIcon, Application()->Title(), message, { &kButtons[2] }, 0);
    }

    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override
    {
        RequireScreen(prompt);
        QInputDialog dlg;
        dlg.setWindowTitle(ToQString(caption));
        dlg.setLabelText(ToQString(prompt));
        dlg.setTextValue(ToQString(value));
        dlg.setOkButtonText(QStringLiteral("OK"));
        dlg.setCancelButtonText(QStringLiteral("Abbrechen"));
        if (dlg.exec() != QDialog::Accepted)
            return false;
        value = FromQString(dlg.textValue());
        return true;
    }

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override
    {
        RequireScreen(text);
        static const std::vector<std::vector<int>> sets { { IDOK }, { IDOK, IDCANCEL },
            { IDABORT, IDRETRY, IDIGNORE }, { IDYES, IDNO, IDCANCEL }, { IDYES, IDNO },
            { IDRETRY, IDCANCEL } };
        const std::vector<int>& ids = sets[std::min<size_t>(flags & 0xF, sets.size() - 1)];
        std::vector<const ButtonInfo*> list;
        for (int id : ids)
            for (const ButtonInfo& b : kButtons)
                if (b.result == id) // IDs and modal results share their numbers
                    list.push_back(&b);
        const unsigned iconBits = flags & 0xF0;
        const QMessageBox::Icon icon = iconBits == MB_ICONERROR ? QMessageBox::Critical
            : iconBits == MB_ICONQUESTION                       ? QMessageBox::Question
            : iconBits == MB_ICONWARNING                        ? QMessageBox::Warning
            : iconBits == MB_ICONINFORMATION                    ? QMessageBox::Information
                                                                : QMessageBox::NoIcon;
        const int def = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
        return RunMessageBox(icon, caption, text, list, def);
    }

    bool OpenFile(TFileDialogRequest& r) override { return RunFileDialog(r, QFileDialog::AcceptOpen); }
    bool SaveFile(TFileDialogRequest& r) override { return RunFileDialog(r, QFileDialog::AcceptSave); }

    bool BrowseForFolder(const std::string& title, std::string& folder) override
    {
        RequireScreen(title);
        // The text a caller gives is an instruction, often a whole sentence: it stands above the
        // folders, and the window keeps a short title.
        QDialog box;
        box.setWindowTitle(QStringLiteral("Ordner wählen"));
        auto* rows = new QVBoxLayout(&box);
        auto* text = new QLabel(ToQString(title), &box);
        text->setWordWrap(true);
        text->setVisible(!title.empty());
        rows->addWidget(text);
        auto* folders = new QFileDialog(&box);
        folders->setWindowFlags(Qt::Widget); // inside the box, not a window of its own
        folders->setOption(QFileDialog::DontUseNativeDialog);
        folders->setFileMode(QFileDialog::Directory);
        folders->setOption(QFileDialog::ShowDirsOnly);
        folders->setDirectory(ToQString(folder));
        rows->addWidget(folders, 1);
        folders->setVisible(true); // a dialog is hidden until shown, also inside another one
        QObject::connect(folders, &QDialog::finished, &box, &QDialog::done);
        box.resize(640, 480);
        if (box.exec() != QDialog::Accepted || folders->selectedFiles().isEmpty())
            return false;
        folder = FromQString(folders->selectedFiles().front());
        return true;
    }

    bool OpenWithProgram(const std::string& file, const std::string& parameters) override
    {
        const QFileInfo info(ToQString(file));
        if (info.isExecutable() && !info.isDir())
            return QProcess::startDetached(
                info.absoluteFilePath(), QProcess::splitCommand(ToQString(parameters)));
        return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
    }

private:
    bool RunFileDialog(TFileDialogRequest& r, QFileDialog::AcceptMode mode)
    {
        RequireScreen(r.title);
        QFileDialog dlg(nullptr, ToQString(r.title), ToQString(r.initialDir));
        dlg.setAcceptMode(mode);
        dlg.setNameFilter(QtFilter(r.filter));
        const QStringList filters = dlg.nameFilters();
        if (r.filterIndex >= 1 && r.filterIndex <= filters.size())
            dlg.selectNameFilter(filters.at(r.filterIndex - 1));
        dlg.setDefaultSuffix(ToQString(r.defaultExt));
        if (!r.fileName.empty())
            dlg.selectFile(ToQString(r.fileName));
        if (mode == QFileDialog::AcceptOpen)
            dlg.setFileMode(r.multiSelect ? QFileDialog::ExistingFiles
                    : r.fileMustExist     ? QFileDialog::ExistingFile
                                          : QFileDialog::AnyFile);
        if (!r.overwritePrompt)
            dlg.setOption(QFileDialog::DontConfirmOverwrite);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return false;
        r.files.clear();
        for (const QString& f : dlg.selectedFiles())
            r.files.push_back(FromQString(f));
        r.fileName = r.files.front();
        r.filterIndex = static_cast<int>(filters.indexOf(dlg.selectedNameFilter())) + 1;
        return true;
    }
};

std::unique_ptr<TDialogService>& Current()
{
    static std::unique_ptr<TDialogService> service;
    return service;
}

} // namespace

std::vector<TFileFilter> ParseFileFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= filter.size(); ++i)
        if (i == filter.size() || filter[i] == '|') {
            parts.push_back(filter.substr(start, i - start));
            start = i + 1;
        }
    std::vector<TFileFilter> result;
    for (size_t i = 0; i + 1 < parts.size() || (i < parts.size() && !parts[i].empty()); i += 2) {
        TFileFilter f;
        f.description = parts[i];
        const std::string patterns = i + 1 < parts.size() ? parts[i + 1] : std::string("*");
        size_t p = 0;
        for (size_t j = 0; j <= patterns.size(); ++j)
            if (j == patterns.size() || patterns[j] == ';') {
                std::string one = patterns.substr(p, j - p);
                while (!one.empty() && one.front() == ' ')
                    one.erase(0, 1);
                while (!one.empty() && one.back() == ' ')
                    one.pop_back();
                if (!one.empty())
                    f.patterns.push_back(one);
                p = j + 1;
            }
        if (f.patterns.empty())
            f.patterns.push_back("*");
        result.push_back(f);
    }
    return result;
}

std::vector<std::string> FileDialogFilters(const std::string& filter)
{
    std::vector<std::string> result;
    for (const TFileFilter& f : ParseFileFilter(filter)) {
        QStringList patterns;
        for (const std::string& p : f.patterns) {
            const QString pattern = ToQString(p);
            const QString lower = pattern.toLower();
            if (!patterns.contains(lower))
                patterns << lower; // file names on Linux differ by case; *.TXT also means *.txt
            if (!patterns.contains(pattern))
                patterns << pattern;
        }
        // The dialog filters by the patterns in the last parentheses; a description that already
        // shows its patterns ("Alle Dateien (*.*)") gets no second pair.
        QString description = ToQString(f.description).trimmed();
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            const QString inner
                = open < 0 ? QString() : description.mid(open + 1, description.size() - open - 2);
            if (inner.contains(QLatin1Char('*')) || inner.contains(QLatin1Char('?')))
                description = description.left(open).trimmed();
        }
        const QString shown = description.isEmpty()
            ? patterns.join(QLatin1Char(' '))
            : description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        result.push_back(FromQString(shown));
    }
    return result;
}

std::string TDialogService::InputBox(
    const std::string& caption, const std::string& prompt, const std::string& defaultValue)
{
    std::string value = defaultValue;
    return InputQuery(caption, prompt, value) ? value : defaultValue;
}

TDialogService& Dialogs()
{
    if (!Current())
        Current() = std::make_unique<TQtDialogService>();
    return *Current();
}

std::unique_ptr<TDialogService> SetDialogService(std::unique_ptr<TDialogService> service)
{
    std::unique_ptr<TDialogService> previous = std::move(Current());
    Current() = std::move(service);
    return previous;
}

int MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, int)
{
    return Dialogs().MessageDlg(message, type, buttons);
}

void ShowMessage(const std::string& message)
{
    Dialogs().ShowMessage(message);
}

std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue)
{
    return Dialogs().InputBox(caption, prompt, defaultValue);
}

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    return Dialogs().InputQuery(caption, prompt, value);
}

TOpenDialog::TOpenDialog(TComponent* owner)
    : TComponent(owner)
{
}

TFileDialogRequest TOpenDialog::Request() const
{
    TFileDialogRequest r;
    r.title = Title;
    r.defaultExt = DefaultExt;
    r.filter = Filter;
    r.filterIndex = FilterIndex;
    r.initialDir = InitialDir;
    r.fileName = FileName;
    r.multiSelect = Options.Contains(ofAllowMultiSelect);
    r.fileMustExist = Options.Contains(ofFileMustExist);
    r.overwritePrompt = Options.Contains(ofOverwritePrompt);
    return r;
}

void TOpenDialog::Take(const TFileDialogRequest& r)
{
    files_ = r.files;
    FileName = r.fileName;
    FilterIndex = r.filterIndex;
}

bool TOpenDialog::Execute()
{
    TFileDialogRequest r = Request();
    if (!Dialogs().OpenFile(r))
        return false;
    Take(r);
    return true;
}

TSaveDialog::TSaveDialog(TComponent* owner)
    : TOpenDialog(owner)
{
    Options = { ofHideReadOnly, ofOverwritePrompt };
}

bool TSaveDialog::Execute()
{
    TFileDialogRequest r = Request();
    if (!Dialogs().SaveFile(r))
        return false;
    Take(r);
    return true;
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags)
{
    return Dialogs().MessageBox(text, caption.empty() ? title_ : caption, flags);
}

void TApplication::ProcessMessages()
{
    QCoreApplication::processEvents();
}

TApplication* Application()
{
    static TApplication application;
    return &application;
}
