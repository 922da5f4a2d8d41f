#pragma once
// The dialog service: every message box, input box, file and folder dialog, and opening a file
// with its program goes through one replaceable service. The real one shows Qt dialogs; tests
// install TScriptedDialogs (scripteddialogs.h), which answers from a queue.
#include "toolkit/component.h"
#include "toolkit/tkdefs.h"

#include <memory>
#include <string>
#include <vector>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp,
    mbClose
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
inline const TMsgDlgButtons mbYesNo { mbYes, mbNo };
inline const TMsgDlgButtons mbYesNoCancel { mbYes, mbNo, mbCancel };
inline const TMsgDlgButtons mbOKCancel { mbOK, mbCancel };

// Flags and results of the application's MessageBox.
enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// One entry of a filter text "Text (*.txt)|*.TXT|Alle Dateien|*.*".
struct TFileFilter {
    std::string description;
    std::vector<std::string> patterns;
};
std::vector<TFileFilter> ParseFileFilter(const std::string& filter);
// The filters a file dialog offers for a filter text, one per entry, each with its patterns in
// parentheses once: "Alle Dateien (*.*)|*.*" offers "Alle Dateien (*.*)", and
// "Textdateien (*.txt)|*.TXT" offers "Textdateien (*.txt *.TXT)".
std::vector<std::string> FileDialogFilters(const std::string& filter);

// What a file dialog asks and, after it, what the user chose.
struct TFileDialogRequest {
    std::string title;
    std::string defaultExt; // without dot; added to a typed name without extension
    std::string filter; // "Text (*.txt)|*.TXT"
    int filterIndex = 1; // 1-based
    std::string initialDir;
    std::string fileName;
    bool multiSelect = false;
    bool fileMustExist = true; // open dialogs
    bool overwritePrompt = true; // save dialogs
    std::vector<std::string> files; // the chosen files (one unless multi-select)
};

class TDialogService {
public:
    virtual ~TDialogService() = default;

    // Returns mrYes, mrNo, mrOk, mrCancel, ... for the button chosen.
    virtual int MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons) = 0;
    virtual void ShowMessage(const std::string& message) = 0;
    // True when confirmed; `value` holds the initial text and receives the answer.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    // The application's message box: MB_* flags, result IDOK, IDYES, ...
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
    // True when the user chose; the choice is in request.files and request.fileName.
    virtual bool OpenFile(TFileDialogRequest& request) = 0;
    virtual bool SaveFile(TFileDialogRequest& request) = 0;
    // True when a folder was chosen; `folder` holds the start folder and receives the choice.
    virtual bool BrowseForFolder(const std::string& title, std::string& folder) = 0;
    // Opens a file with the program associated with it (documents) or runs it with the
    // parameters (programs). True when it started.
    virtual bool OpenWithProgram(const std::string& file, const std::string& parameters) = 0;

    // The default text of InputBox when the user cancels.
    std::string InputBox(
        const std::string& caption, const std::string& prompt, const std::string& defaultValue);
};

// The service in use (the Qt one unless another was installed).
TDialogService& Dialogs();
// Installs a service (nullptr: the Qt one again) and returns the previous one.
std::unique_ptr<TDialogService> SetDialogService(std::unique_ptr<TDialogService> service);

// The classic calls, through the service in use.
int MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);
void ShowMessage(const std::string& message);
std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue);
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);

enum TOpenOption { ofAllowMultiSelect, ofFileMustExist, ofOverwritePrompt, ofPathMustExist, ofHideReadOnly };
using TOpenOptions = TSet<TOpenOption>;

// File-open dialog component: set its properties, call Execute.
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner);

    std::string Title;
    std::string DefaultExt;
    std::string Filter;
    int FilterIndex = 1;
    std::string InitialDir;
    std::string FileName;
    TOpenOptions Options { ofHideReadOnly, ofFileMustExist };
    // All chosen files after Execute (multi-select).
    const std::vector<std::string>& Files() const { return files_; }

    // Shows the dialog; true when the user chose a file.
    virtual bool Execute();

protected:
    TFileDialogRequest Request() const;
    void Take(const TFileDialogRequest& request);

private:
    std::vector<std::string> files_;
};

class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* owner);
    bool Execute() override;
};

class TCustomForm;

// The application object: its message box, event processing and main form.
class TApplication {
public:
    // The window whose closing ends the application (see TCustomForm::Close); nullptr: none.
    TCustomForm* MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm* form) { mainForm_ = form; }
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags = MB_OK);
    // Handles pending window-system events.
    void ProcessMessages();
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

private:
    std::string title_;
    TCustomForm* mainForm_ = nullptr;
};
TApplication* Application();
