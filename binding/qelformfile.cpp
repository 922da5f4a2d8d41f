#include "binding/qelformfile.h"

#include "binding/qellogging.h"

namespace {

TFormLoadResult logged(TFormLoadResult result, const std::string& source)
{
    if (!result.ok)
        QelLogError("Formular %s nicht geladen: %s", source, result.error);
    for (const std::string& w : result.warnings)
        QelLogWarning("Formular %s: %s", source, w);
    return result;
}

} // namespace

TFormLoadResult QelLoadFormFile(TWinControl* target, const std::string& fileName, TComponent* owner)
{
    return logged(LoadFormFromUiFile(target, fileName, owner), fileName);
}

TFormLoadResult QelLoadFormText(TWinControl* target, const std::string& uiText, TComponent* owner)
{
    return logged(LoadFormFromUiText(target, uiText, owner), target->Name());
}
