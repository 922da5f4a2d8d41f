#pragma once
// The demo's person form: a clerk's view of one person, built from the package's controls. The
// form connects its controls to the person's field list; "Speichern" and "Verwerfen" commit or
// roll back the person (the application decides, not the controls).
#include "binding/objdb.h"
#include "binding/toolkit.h"

#include <stdexcept>
#include <string>
#include <vector>

// The form as designed in Qt Designer (person_form.ui, compiled in): every control, its place,
// properties and tab order. The code connects them and handles their events.
extern const char* const kPersonFormUi;

class TQelPageControl;
class TQelTabControl;
class TLabel;
class TPanel;
class TButton;

class TPersonForm : public TForm {
public:
    TPersonForm(TComponent* owner, TQelDatabase* db);

    // Shows the person with this key (the first person when the key is 0); false when none exists.
    bool ShowPerson(TQelObjectKey key = TQelObjectKey());
    // Shows a person in memory (a new one, not stored yet, included); false for none.
    bool ShowObject(TQelObject* person);
    TQelObject* Person() const { return person_; }
    void Save();
    void Discard();
    void Step(int delta);
    std::string StatusText() const;
    // The pages "Allgemein", "Adressen", "Bank", "Notizen", "Dokumente" and "Beziehungen".
    TQelPageControl* Pages() const { return pages_; }
    // Drops the employer's tree on the page "Beziehungen" (for the screenshots).
    void ShowEmployerTree();
    // Adds an address and shows its tab; removes the shown one after asking.
    void AddAddress();
    void RemoveAddress();

private:
    void build();
    // What the code adds to the designed sections, each in its own file.
    void buildChoices(TPanel* gridArea); // person_form_choices.cpp
    void buildAddresses(); // person_form_addresses.cpp
    void buildTexts(); // person_form_texts.cpp
    void buildDocuments(); // person_form_documents.cpp
    // A control the .ui file must have made.
    template <class T> T* designed(const char* name);
    void setStatus(const std::string& text);
    void updateTitle();

    TQelDatabase* db_;
    TQelObject* person_ = nullptr;
    std::vector<TQelObjectKey> keys_;
    TQelPageControl* pages_ = nullptr;
    TQelTabControl* addresses_ = nullptr;
    TPanel* status_ = nullptr;
};

template <class T> T* TPersonForm::designed(const char* name)
{
    auto* c = dynamic_cast<T*>(FindComponent(name));
    if (!c)
        throw std::runtime_error(std::string("person_form.ui: ") + name + " fehlt");
    return c;
}
