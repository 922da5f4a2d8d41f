#include "toolkit/scripteddialogs.h"

#include <stdexcept>

namespace {

const char* KindName(TScriptedDialogs::TKind kind)
{
    switch (kind) {
    case TScriptedDialogs::TKind::MessageDlg:
        return "MessageDlg";
    case TScriptedDialogs::TKind::ShowMessage:
        return "ShowMessage";
    case TScriptedDialogs::TKind::InputQuery:
        return "InputQuery";
    case TScriptedDialogs::TKind::MessageBox:
        return "MessageBox";
    case TScriptedDialogs::TKind::OpenFile:
        return "OpenFile";
    case TScriptedDialogs::TKind::SaveFile:
        return "SaveFile";
    case TScriptedDialogs::TKind::BrowseForFolder:
        return "BrowseForFolder";
    case TScriptedDialogs::TKind::OpenWithProgram:
        return "OpenWithProgram";
    }
    return "?";
}

} // namespace

void TScriptedDialogs::AnswerDlg(int modalResult)
{
    answers_.push_back({ TAnswerKind::Dlg, modalResult, true, {}, {} });
}

void TScriptedDialogs::AnswerBox(int id)
{
    answers_.push_back({ TAnswerKind::Box, id, true, {}, {} });
}

void TScriptedDialogs::AnswerInput(const std::string& value)
{
    answers_.push_back({ TAnswerKind::Input, 0, true, value, {} });
}

void TScriptedDialogs::CancelInput()
{
    answers_.push_back({ TAnswerKind::Input, 0, false, {}, {} });
}

void TScriptedDialogs::AnswerFiles(const std::vector<std::string>& files)
{
    answers_.push_back({ TAnswerKind::File, 0, !files.empty(), {}, files });
}

void TScriptedDialogs::CancelFile()
{
    answers_.push_back({ TAnswerKind::File, 0, false, {}, {} });
}

void TScriptedDialogs::AnswerFolder(const std::string& folder)
{
    answers_.push_back({ TAnswerKind::Folder, 0, true, folder, {} });
}

void TScriptedDialogs::CancelFolder()
{
    answers_.push_back({ TAnswerKind::Folder, 0, false, {}, {} });
}

const TScriptedDialogs::TQuestion& TScriptedDialogs::LastQuestion() const
{
    if (questions_.empty())
        throw std::logic_error("Es wurde kein Dialog gezeigt.");
    return questions_.back();
}

std::optional<TScriptedDialogs::TAnswer> TScriptedDialogs::Take(TAnswerKind kind, const TQuestion& q)
{
    questions_.push_back(q);
    if (!answers_.empty() && answers_.front().kind == kind) {
        TAnswer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    std::string what = std::string("Unbeantworteter Dialog ") + KindName(q.kind) + ": \"" + q.text + "\"";
    if (!q.caption.empty())
        what += " (" + q.caption + ")";
    if (!answers_.empty())
        what += ", die nächste Antwort passt nicht dazu";
    failures_.push_back(what);
    if (OnUnanswered)
        OnUnanswered(what);
    else
        throw std::logic_error(what);
    return std::nullopt;
}

int TScriptedDialogs::MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons)
{
    TQuestion q { TKind::MessageDlg, {}, message, type, buttons, 0, {}, {} };
    if (buttons == TMsgDlgButtons { mbOK } || buttons.Empty()) {
        questions_.push_back(q); // nothing to decide
        return mrOk;
    }
    auto a = Take(TAnswerKind::Dlg, q);
    return a ? a->result : mrCancel;
}

void TScriptedDialogs::ShowMessage(const std::string& message)
{
    questions_.push_back({ TKind::ShowMessage, {}, message, mtCustom, { mbOK }, 0, {}, {} });
}

bool TScriptedDialogs::InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    auto a = Take(TAnswerKind::Input, { TKind::InputQuery, caption, prompt, mtCustom, {}, 0, value, {} });
    if (!a || !a->ok)
        return false;
    value = a->text;
    return true;
}

int TScriptedDialogs::MessageBox(const std::string& text, const std::string& caption, unsigned flags)
{
    TQuestion q { TKind::MessageBox, caption, text, mtCustom, {}, flags, {}, {} };
    if ((flags & 0xF) == MB_OK) {
        questions_.push_back(q);
        return IDOK;
    }
    auto a = Take(TAnswerKind::Box, q);
    return a ? a->result : IDCANCEL;
}

bool TScriptedDialogs::FileAnswer(TKind kind, TFileDialogRequest& request)
{
    TQuestion q { kind, request.title, request.fileName, mtCustom, {}, 0, {}, request };
    auto a = Take(TAnswerKind::File, q);
    if (!a || !a->ok)
        return false;
    request.files = request.multiSelect ? a->files : std::vector<std::string> { a->files.front() };
    request.fileName = request.files.front();
    return true;
}

bool TScriptedDialogs::OpenFile(TFileDialogRequest& request)
{
    return FileAnswer(TKind::OpenFile, request);
}

bool TScriptedDialogs::SaveFile(TFileDialogRequest& request)
{
    return FileAnswer(TKind::SaveFile, request);
}

bool TScriptedDialogs::BrowseForFolder(const std::string& title, std::string& folder)
{
    auto a = Take(TAnswerKind::Folder, { TKind::BrowseForFolder, title, folder, mtCustom, {}, 0, {}, {} });
    if (!a || !a->ok)
        return false;
    folder = a->text;
    return true;
}

bool TScriptedDialogs::OpenWithProgram(const std::string& file, const std::string& parameters)
{
    questions_.push_back({ TKind::OpenWithProgram, {}, file, mtCustom, {}, 0, parameters, {} });
    return openResult_;
}

TScopedScriptedDialogs::TScopedScriptedDialogs()
{
    auto owned = std::make_unique<TScriptedDialogs>();
    dialogs_ = owned.get();
    previous_ = SetDialogService(std::move(owned));
}

TScopedScriptedDialogs::~TScopedScriptedDialogs()
{
    SetDialogService(std::move(previous_));
}
