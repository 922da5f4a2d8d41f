#pragma once
// The demo's firm form: one firm with its employees (the persons whose Arbeitgeber is the firm)
// in a reverse vector grid, its master data in a detail grid with sections, and its addresses as
// a list that drives a panel of address fields. "Speichern" commits the firm, and with it the
// employees edited in the grid.
#include "binding/objdb.h"
#include "binding/toolkit.h"

#include <functional>
#include <string>
#include <vector>

class TQelDetailGrid;
class TQelRevVectorGrid;
class TQelVectorList;
class TQelPanel;
class TPanel;

class TFirmForm : public TForm {
public:
    TFirmForm(TComponent* owner, TQelDatabase* db);

    // Shows the firm with this key (the firm with the most employees when 0); false when none.
    bool ShowFirm(TQelObjectKey key = TQelObjectKey());
    TQelObject* Firm() const { return firm_; }
    TQelRevVectorGrid* Employees() const { return employees_; }
    TQelVectorList* Addresses() const { return addresses_; }
    TQelDetailGrid* Details() const { return details_; }
    void Save();
    void Discard();

    // Opens a person of the employees list (the application's person form).
    std::function<void(TQelObject*)> OnOpenPerson;
    // Shows an object in the debug window.
    std::function<void(TQelObject*)> OnInspect;

private:
    void build();
    void setStatus(const std::string& text);

    TQelDatabase* db_;
    TQelObject* firm_ = nullptr;
    TQelRevVectorGrid* employees_ = nullptr;
    TQelVectorList* addresses_ = nullptr;
    TQelDetailGrid* details_ = nullptr;
    // The firm's rating: an application row of the detail grid, kept by the form.
    std::string rating_ = "B";
    TQelPanel* address_ = nullptr;
    TPanel* status_ = nullptr;
};
