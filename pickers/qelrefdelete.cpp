#include "pickers/qelrefdelete.h"

#include "binding/methods.h"

#include "toolkit/dialogs.h"

namespace {

const char* const kRefDeleteTitle = "%s löschen";
const char* const kCannotDelete = "%s '%s' kann nicht gelöscht werden:\n\n%s";
const char* const kRefReallyDelete = "Soll %s '%s' wirklich gelöscht werden?";

} // namespace

bool QelDeleteReferencedObject(TQelRefField* ref, const std::string& name)
{
    TQelObject* obj = ref && ref->AsKey().Valid() ? ref->get_AsObject() : nullptr;
    TQelDatabase* db = QelDatabase();
    if (!obj || !db)
        return false;
    const TQelClassKey cls = obj->ClassKey();
    const std::string title = FormatStr(kRefDeleteTitle, MakeNP(cls, "", 4, true, 'm'));
    const std::string subject = MakeNP(cls, "", 1, true, 'm');
    if (!obj->CanDelete()) {
        Application()->MessageBox(FormatStr(kCannotDelete, subject, name, obj->ErrorMessage()), title, MB_OK);
        return false;
    }
    if (Application()->MessageBox(FormatStr(kRefReallyDelete, MakeNP(cls, "d", 1, true, 'm'), name), title,
            MB_YESNO | MB_ICONQUESTION)
        != IDYES)
        return false;
    const std::weak_ptr<bool> refAlive = ref->LifeToken();
    const std::weak_ptr<bool> objAlive = obj->LifeToken();
    if (!obj->Delete()) {
        Application()->MessageBox(FormatStr(kCannotDelete, subject, name, obj->ErrorMessage()), title, MB_OK);
        return false;
    }
    // Gone: nothing refers to it any more.
    if (!refAlive.expired())
        ref->set_AsObject(nullptr);
    if (!objAlive.expired())
        db->FreeObject(obj);
    return true;
}
