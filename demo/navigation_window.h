#pragma once
// The demo's navigation window: the classes of the database as a tree beside a select grid that
// lists the chosen class, and the firms' hierarchy beside a panel that shows the chosen firm.
#include "binding/objdb.h"
#include "binding/toolkit.h"

class TQelObjectTreeView;
class TQelSelectGrid;
class TQelPanel;

class TNavigationWindow : public TForm {
public:
    TNavigationWindow(TComponent* owner, TQelDatabase* db);

    TQelObjectTreeView* Classes() const { return classes_; }
    TQelObjectTreeView* Firms() const { return firms_; }
    TQelSelectGrid* Grid() const { return grid_; }
    // Chooses the class of that name in the tree (the grid follows).
    void ChooseClass(const std::string& name);

private:
    TQelDatabase* db_;
    TQelObjectTreeView* classes_ = nullptr;
    TQelObjectTreeView* firms_ = nullptr;
    TQelSelectGrid* grid_ = nullptr;
    TQelPanel* panel_ = nullptr;
};
