#include "controls/QelFTMemo.h"

#include "controls/qelmemotext.h"

#include "toolkit/accessible.h"
#include "toolkit/dialogs.h"
#include "toolkit/registry.h"
#include "toolkit/richeditframe.h"

#include <cstdio>

namespace {

const char* const kFTExportFailed = "Beim Export trat ein Fehler auf:\n";
const char* const kCannotRead = "Die Datei \"%s\" kann nicht gelesen werden:\n%s";
// Sent by the frame's host when the user asks for special characters.
constexpr unsigned WM_OC_SPECIALCHARS = 0x0432;

// The extension in upper case, without its dot, cut to three letters.
std::string kindOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return AnsiUpperCase(path.substr(dot + 1, 3));
}

std::string withLineBreaks(const std::string& text)
{
    return text.empty() || text.back() == '\n' ? text : text + "\n";
}

} // namespace

TQelFTMemo::TQelFTMemo(TComponent* owner)
    : TQelDataControl(owner)
{
    link_.SetAllowCreate(false);
    link_.unmarkedColor = clBtnFace;
    link_.hooks.accepts = [](TQelObjectInterface* oi) {
        auto* f = QelSafeCast<TQelField>(oi);
        return f && f->HardType() == qelft::FormattedText && dynamic_cast<TQelERVTextField*>(f);
    };
    link_.hooks.read = [this] { Reload(); };
    link_.hooks.write = [this] {
        TQelERVTextField* f = TextField();
        if (!f || !frame_)
            return;
        TErvTypFormatierbarerText text { frame_->GetPropValue("XMLComp").AsString() };
        if (text.html == shownXml_)
            return; // unchanged since it was shown: the editor's own form of it is no edit
        if (!f->import_xmldata(text))
            OnExportError(this, f, f->ErrorMessage());
    };
    link_.hooks.touched = [](TQelObjectInterface*, bool) {}; // the frame keeps its text
    link_.hooks.readOnlyChanged = [this](bool v) {
        if (frame_)
            frame_->SetPropValue("ReadOnly", v);
    };
    link_.hooks.paintMark = [this](TColor c) { SetColor(c); };
    // The editor inside the frame takes the focus: a screen reader names it by the field.
    link_.hooks.setHint = [this](const std::string& hint) {
        SetHint(hint);
        if (frame_)
            SetAccessibleDataName(frame_, hint);
    };

    SetBevelOuter(bvNone);
    SetShowCaption(false);
    SetShowHint(true);
    SetEnabled(false);
    if (!ComponentState().Contains(csDesigning)) {
        RegisterRichEditFrame(); // unless the application registered another editor
        if (TComponent* c = CreateComponent(RichEditFrameClassName, this)) {
            frame_ = dynamic_cast<TWinControl*>(c);
            if (!frame_) {
                delete c;
            } else {
                frame_->SetParent(this);
                frame_->SetAlign(alClient);
                frame_->SetVisible(true);
            }
        }
    }
    PublishBinding(qelPublishFieldPath | qelPublishReadOnly);
    Publish<&TQelFTMemo::get_SpecialChars, &TQelFTMemo::set_SpecialChars>("SpecialChars");
    PublishComponent<&TQelFTMemo::get_Toolbar, &TQelFTMemo::set_Toolbar>("Toolbar");
}

TQelFTMemo::~TQelFTMemo()
{
    Destroying();
    link_.Disconnect();
    set_Toolbar(nullptr);
    delete frame_;
    frame_ = nullptr;
}

void TQelFTMemo::Notification(TComponent* component, TOperation operation)
{
    TQelDataControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == toolbar_)
        toolbar_ = nullptr;
    if (component == frame_)
        frame_ = nullptr;
}

void TQelFTMemo::set_Toolbar(TWinControl* toolbar)
{
    if (toolbar == toolbar_)
        return;
    if (toolbar_)
        toolbar_->RemoveFreeNotification(this);
    toolbar_ = toolbar;
    if (toolbar_) {
        toolbar_->FreeNotification(this);
        if (Connected())
            wireToolbar();
    }
}

void TQelFTMemo::wireToolbar()
{
    if (!toolbar_ || ComponentState().Contains(csDesigning))
        return;
    int n = 0;
    for (int i = 0; i < toolbar_->GetControlCount() && n < 2; ++i) {
        auto* button = dynamic_cast<TButton*>(toolbar_->GetControl(i));
        if (!button)
            continue;
        if (n++ == 0)
            button->OnClick = TNotifyEvent([this](TObject*) { import_file(); });
        else
            button->OnClick = TNotifyEvent([this](TObject*) { export_file(); });
    }
}

bool TQelFTMemo::get_SpecialChars() const
{
    return frame_ && frame_->GetPropValue("SpecialCharacters").AsBoolean();
}

void TQelFTMemo::set_SpecialChars(bool v)
{
    if (frame_)
        frame_->SetPropValue("SpecialCharacters", v);
}

bool TQelFTMemo::Reload()
{
    if (!frame_)
        return false;
    TErvTypFormatierbarerText text;
    TQelERVTextField* f = TextField();
    if (f && !f->export_xmldata(text))
        return false;
    auto showing = link_.ShowScope();
    frame_->SetPropValue("XMLComp", text.html);
    frame_->InvokePublishedMethod("RVEChange", this);
    shownXml_ = frame_->GetPropValue("XMLComp").AsString();
    if (f)
        wireToolbar();
    return true;
}

void TQelFTMemo::doexport()
{
    link_.Write();
}

void TQelFTMemo::Repaint()
{
    TCustomPanel::Repaint();
}

void TQelFTMemo::import_file()
{
    TQelERVTextField* f = TextField();
    if (!f || !frame_ || link_.ReadOnly())
        return;
    std::string path;
    bool append = false;
    OnImport(this, path, frame_->GetPropValue("IsEmpty").AsBoolean(), append);
    if (path.empty())
        return;
    std::string text, error;
    if (!QelReadTextFile(path, text, error)) {
        std::string msg = kCannotRead;
        msg.replace(msg.find("%s"), 2, path);
        msg.replace(msg.find("%s"), 2, error);
        MessageDlg(msg, mtError, { mbOK });
        return;
    }
    doexport();
    text = withLineBreaks(text);
    const std::string kind = kindOf(path);
    if (kind == "HTM")
        append ? f->AddHTML(text) : f->set_AsHTML(text);
    else if (kind == "RTF")
        append ? f->AddRTF(text) : f->set_AsRTF(text);
    else
        append ? f->AddTXT(text) : f->set_AsTXT(text);
    Reload();
}

void TQelFTMemo::export_file()
{
    TQelERVTextField* f = TextField();
    if (!f || !frame_)
        return;
    std::string fileName;
    OnExport(this, fileName);
    if (fileName.empty())
        return;
    doexport();
    std::remove(fileName.c_str());
    const std::string kind = kindOf(fileName);
    const std::string text = kind == "HTM" ? f->AsHTML() : kind == "RTF" ? f->AsRTF() : f->AsTXT();
    std::string error;
    if (!QelWriteTextFile(fileName, text + "\n", error))
        MessageDlg(kFTExportFailed + error, mtError, { mbOK });
}

void TQelFTMemo::DoEnter()
{
    TCustomPanel::DoEnter();
    link_.TellFormEnter();
}

void TQelFTMemo::DoExit()
{
    doexport();
    TCustomPanel::DoExit();
    if (link_.Marked())
        link_.Unmark();
    link_.TellFormExit();
}

void TQelFTMemo::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_OC_SPECIALCHARS:
        OnSpecialChars(this);
        m.Result = 0;
        return;
    case WM_ODB_OIROLLEDBACK:
    case WM_ODB_OIRELOADED:
        // The stored text is back: the editor must not write what was discarded when it is left.
        if (TextField())
            Reload();
        break;
    default:
        break;
    }
    TQelDataControl::WndProc(m);
}
