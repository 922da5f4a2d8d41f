#include "navigation_window.h"

#include "controls/QelEdit.h"
#include "controls/QelPanel.h"
#include "documents/QelObjectTreeView.h"
#include "lists/QelSelectGrid.h"

#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

TNavigationWindow::TNavigationWindow(TComponent* owner, TQelDatabase* db)
    : TForm(owner)
    , db_(db)
{
    SetName("NavigationWindow");
    SetCaption("Navigation");
    SetClientWidth(1000);
    SetClientHeight(560);

    auto* left = new TPanel(this);
    left->SetParent(this);
    left->SetAlign(alLeft);
    left->SetWidth(240);
    left->SetBevelOuter(bvNone);
    classes_ = new TQelObjectTreeView(this);
    classes_->SetName("tvKlassen");
    classes_->SetParent(left);
    classes_->SetBounds(4, 4, 232, 300);
    classes_->set_Mode(otmDataClasses);
    firms_ = new TQelObjectTreeView(this);
    firms_->SetName("tvFirmen");
    firms_->SetParent(left);
    firms_->SetBounds(4, 310, 232, 246);
    firms_->set_Mode(otmObjects);
    if (const TQelKlasse* firm = db_->FindClass("Firma"))
        firms_->set_ClassType(firm->Key());

    panel_ = new TQelPanel(this);
    panel_->SetName("pnlFirma");
    panel_->SetParent(this);
    panel_->SetAlign(alBottom);
    panel_->SetHeight(70);
    auto edit = [&](const char* path, const char* caption, int x, int w) {
        auto* e = new TQelEdit(this);
        e->SetName(std::string("ed") + path);
        e->SetParent(panel_);
        e->SetBounds(x, 26, w, 24);
        e->set_FieldPath(path);
        e->SetLabelCaption(caption);
    };
    edit("Name", "Firma", 12, 300);
    edit("Branche", "Branche", 324, 180);
    edit("Gruendung", "Gegründet", 516, 120);

    grid_ = new TQelSelectGrid(this);
    grid_->SetName("NavigationGrid");
    grid_->SetParent(this);
    grid_->SetAlign(alClient);
    // Headers under the fields' captions ("Gegründet", "Muttergesellschaft").
    grid_->set_FieldCaptions(true);

    classes_->set_SelectGrid(grid_);
    firms_->set_Panel(panel_);
    classes_->Reload();
    firms_->Reload();
    ChooseClass("Person");
    if (firms_->RootCount() > 0) {
        firms_->Root(0)->Expand(false);
        firms_->SetSelected(firms_->Root(0));
    }
}

void TNavigationWindow::ChooseClass(const std::string& name)
{
    if (const TQelKlasse* cls = db_->FindClass(name))
        classes_->set_SelectedKey(TQelObjectKey(cls->id));
}
