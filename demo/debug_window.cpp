#include "debug_window.h"

#include "vectors/QelEditGrid.h"

TDebugWindow::TDebugWindow(TComponent* owner)
    : TForm(owner)
{
    SetName("DebugWindow");
    SetCaption("Objekt untersuchen");
    SetClientWidth(520);
    SetClientHeight(560);
    grid_ = new TQelEditGrid(this);
    grid_->SetName("egObjekt");
    grid_->SetParent(this);
    grid_->SetAlign(alClient);
    grid_->set_ExpandLevel(1);
}

void TDebugWindow::ShowObject(TQelObject* obj)
{
    grid_->ConnectFL(obj ? obj->FieldList() : nullptr, false);
    SetCaption(obj ? "Objekt untersuchen: " + obj->Path() : std::string("Objekt untersuchen"));
}
