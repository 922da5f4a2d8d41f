#pragma once
// A dialog service for tests: answers come from a queue, every question is recorded. A question
// without a fitting answer is reported through OnUnanswered (which throws unless replaced), so a
// test never waits for a dialog. Information-only boxes (a single OK button, ShowMessage) and
// opening files need no answer.
#include "toolkit/dialogs.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TScriptedDialogs : public TDialogService {
public:
    enum class TKind {
        MessageDlg,
        ShowMessage,
        InputQuery,
        MessageBox,
        OpenFile,
        SaveFile,
        BrowseForFolder,
        OpenWithProgram
    };

    // One question as the code asked it.
    struct TQuestion {
        TKind kind;
        std::string caption; // InputQuery, MessageBox, file dialogs (title), folder dialog
        std::string text; // message, prompt, or the file to open
        TMsgDlgType type = mtCustom;
        TMsgDlgButtons buttons;
        unsigned flags = 0;
        std::string value; // initial text of an input box; parameters of OpenWithProgram
        TFileDialogRequest request;
    };

    // Queue answers, in the order the questions will come.
    void AnswerDlg(int modalResult); // MessageDlg: mrYes, mrNo, ...
    void AnswerBox(int id); // MessageBox: IDYES, IDOK, ...
    void AnswerInput(const std::string& value); // InputQuery / InputBox confirmed
    void CancelInput();
    void AnswerFiles(const std::vector<std::string>& files); // file dialogs
    void CancelFile();
    void AnswerFolder(const std::string& folder);
    void CancelFolder();
    // Result of OpenWithProgram (default true).
    void SetOpenResult(bool started) { openResult_ = started; }

    const std::vector<TQuestion>& Questions() const { return questions_; }
    const TQuestion& LastQuestion() const;
    size_t PendingAnswers() const { return answers_.size(); }
    // Descriptions of questions that found no answer.
    const std::vector<std::string>& Failures() const { return failures_; }

    // Called with a description of an unanswered question; the default throws
    // std::logic_error. Afterwards the question is answered as cancelled.
    std::function<void(const std::string&)> OnUnanswered;

    int MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons) override;
    void ShowMessage(const std::string& message) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    bool OpenFile(TFileDialogRequest& request) override;
    bool SaveFile(TFileDialogRequest& request) override;
    bool BrowseForFolder(const std::string& title, std::string& folder) override;
    bool OpenWithProgram(const std::string& file, const std::string& parameters) override;

private:
    enum class TAnswerKind { Dlg, Box, Input, File, Folder };
    struct TAnswer {
        TAnswerKind kind;
        int result = 0;
        bool ok = false;
        std::string text;
        std::vector<std::string> files;
    };
    // The next answer when it is of `kind`; otherwise reports the question and returns nothing.
    std::optional<TAnswer> Take(TAnswerKind kind, const TQuestion& q);
    bool FileAnswer(TKind kind, TFileDialogRequest& request);

    std::deque<TAnswer> answers_;
    std::vector<TQuestion> questions_;
    std::vector<std::string> failures_;
    bool openResult_ = true;
};

// Installs a scripted service for a scope and puts the previous one back.
class TScopedScriptedDialogs {
public:
    TScopedScriptedDialogs();
    ~TScopedScriptedDialogs();
    TScriptedDialogs& operator*() { return *dialogs_; }
    TScriptedDialogs* operator->() { return dialogs_; }

private:
    TScriptedDialogs* dialogs_;
    std::unique_ptr<TDialogService> previous_;
};
