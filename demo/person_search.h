#pragma once
// The demo's search window: a field panel in search mode over the persons. The clerk fills in
// what is known (name, first name, e-mail, salutation, active); "Suchen" lists the persons that
// match in a select grid; Enter or a double click on one opens it.
#include "binding/objdb.h"
#include "binding/toolkit.h"

#include <functional>
#include <string>
#include <vector>

class TQelPanel;
class TQelSelectGrid;
class TLabel;

class TPersonSearchForm : public TForm {
public:
    TPersonSearchForm(TComponent* owner, TQelDatabase* db);

    TQelPanel* SearchPanel() const { return panel_; }
    // Runs the search; the number of persons found.
    int Search();
    void Clear();
    TQelSelectGrid* Results() const { return results_; }
    // The keys of the listed persons, in list order.
    const std::vector<TQelObjectKey>& Found() const { return found_; }
    std::string ResultText() const;

    // Raised with the person the clerk chose from the list.
    std::function<void(TQelObjectKey)> OnOpenPerson;

private:
    TQelDatabase* db_;
    TQelObject* search_ = nullptr; // the search object; its reference takes a unique match
    TQelPanel* panel_ = nullptr;
    TQelSelectGrid* results_ = nullptr;
    TLabel* count_ = nullptr;
    std::vector<TQelObjectKey> found_;
};
