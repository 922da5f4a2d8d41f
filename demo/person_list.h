#pragma once
// The demo's persons list: a select grid over class Person with its stored filters as tabs,
// sortable columns and per-user widths. Enter or a double click opens the person form.
#include "binding/objdb.h"
#include "binding/toolkit.h"

#include <memory>
#include <string>

class TQelSelectGrid;

// The persons' columns a clerk starts with; the partition's field settings override them.
extern const char* const kDemoPersonFields;

class TAdvTabSet;
class TButton;
class TEdit;
class TPanel;
class TPersonForm;

class TPersonListForm : public TForm {
public:
    TPersonListForm(TComponent* owner, TQelDatabase* db);
    ~TPersonListForm() override;

    TQelSelectGrid* Grid() const { return grid_; }
    TAdvTabSet* Tabs() const { return tabs_; }
    TEdit* SearchEdit() const { return search_; }
    // The person form showing the person opened last (null until one was opened).
    TPersonForm* PersonForm() const { return personForm_.get(); }
    void Open(TQelObjectKey key);
    std::string StatusText() const;

private:
    void updateStatus();
    void wireCommands();

    TQelDatabase* db_;
    TQelSelectGrid* grid_ = nullptr;
    TAdvTabSet* tabs_ = nullptr;
    TPanel* status_ = nullptr;
    TEdit* search_ = nullptr;
    TButton* prev_ = nullptr;
    TButton* next_ = nullptr;
    std::unique_ptr<TPersonForm> personForm_;
};
