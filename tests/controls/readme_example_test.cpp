// The README's example of putting a TQelEdit on a form, compiled and run. The test also checks
// that the README still shows exactly this code.
#include "edit_fixture.h"

#include <fstream>
#include <sstream>

namespace {

std::string between(const std::string& text, const std::string& begin, const std::string& end)
{
    const auto b = text.find(begin);
    const auto e = text.find(end, b);
    if (b == std::string::npos || e == std::string::npos)
        return {};
    const auto start = text.find('\n', b) + 1;
    return text.substr(start, text.rfind('\n', e) + 1 - start);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// README-EXAMPLE-BEGIN
#include "binding/methods.h"
#include "controls/QelEdit.h"

// A form with one edit for the name of a person.
class TPersonNameForm : public TForm {
public:
    explicit TPersonNameForm(TComponent* owner)
        : TForm(owner)
    {
        name = new TQelEdit(this); // the form owns and frees it
        name->SetParent(this);
        name->SetBounds(16, 32, 240, 24);
        name->SetLabelCaption("Name");
        name->set_FieldPath("Name"); // the field, relative to the field list the form is given
    }
    // Binds every data control of the form to the object; typing writes into the object at once.
    void ShowObject(TQelObject* obj) { TQelCommonMethods::ConnectSubControls(this, obj->FieldList(), false); }

    TQelEdit* name;
};

// Usage, with an open database (the controls find it as the current one):
//     QelObjCntrl::Initialize(); // once at start: registers the controls with the binding walk
//     SetQelDatabase(&db);
//     TPersonNameForm form(nullptr);
//     form.ShowObject(db.GetObjectA(key));
//     form.Show();
//     ... the user types ...
//     obj->Commit(); // the application decides when the object is stored
// README-EXAMPLE-END

} // namespace

TEST_F(EditTest, ReadmeExampleWorksAndIsWhatTheReadmeShows)
{
    field("Name")->set_AsString("Lange");
    TPersonNameForm f(nullptr);
    f.ShowObject(person);
    EXPECT_EQ(f.name->Text(), "Lange");
    EXPECT_TRUE(f.name->Enabled());

    const std::string example
        = between(readFile(std::string(QEL_SOURCE_DIR) + "/tests/controls/readme_example_test.cpp"),
            "// README-EXAMPLE-BEGIN", "// README-EXAMPLE-END");
    ASSERT_FALSE(example.empty());
    const std::string readme = readFile(std::string(QEL_SOURCE_DIR) + "/README.md");
    EXPECT_NE(readme.find(example), std::string::npos) << "README.md must show the example as it is here";
}
