#include "controls/qeladvmemo.h"

#include <algorithm>

TQelAdvMemo::TQelAdvMemo(TComponent* owner)
    : TQelDataControl(owner)
{
    link_.hooks.accepts = [](TQelObjectInterface* oi) {
        auto* f = QelSafeCast<TQelField>(oi);
        return f && (f->IsA(qelft::MemoText) || f->IsA(qelft::Text));
    };
    link_.hooks.read = [this] { text_.Connected(instantLoad_); };
    link_.hooks.write = [this] { text_.Write(); };
    link_.hooks.touched = [this](TQelObjectInterface*, bool own) {
        if (own)
            text_.Refresh();
    };
    link_.hooks.readOnlyChanged = [this](bool v) { SetReadOnly(v); };
    link_.hooks.paintMark = [this](TColor c) { SetColor(c); };

    SetShowHint(true);
    SetEnabled(false);
    PublishBinding(qelPublishFieldPath);
    Publish<&TQelAdvMemo::get_InstantLoad, &TQelAdvMemo::set_InstantLoad>("InstantLoad");
}

void TQelAdvMemo::Change()
{
    text_.Changed();
    TAdvCustomMemo::Change();
}

void TQelAdvMemo::Repaint()
{
    text_.Refresh();
    TAdvCustomMemo::Repaint();
}

void TQelAdvMemo::CaretMoved()
{
    TAdvCustomMemo::CaretMoved();
    const TPoint p = CaretPos();
    if (p.X == 0 || p.Y < 0 || p.Y >= Lines().Count())
        return;
    const std::string line = Lines().Get(p.Y);
    if (std::all_of(line.begin(), line.end(), [](char c) { return c == ' '; }))
        SetCaretPos({ 0, p.Y });
}

void TQelAdvMemo::DoEnter()
{
    TAdvCustomMemo::DoEnter();
    link_.TellFormEnter();
}

void TQelAdvMemo::DoExit()
{
    TAdvCustomMemo::DoExit();
    if (link_.Marked())
        link_.Unmark();
    link_.TellFormExit();
}
