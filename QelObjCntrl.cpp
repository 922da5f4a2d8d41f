#include "QelObjCntrl.h"

#include "binding/qelaction.h"
#include "controls/QelAdvPageControl.h"
#include "controls/QelCheckBox.h"
#include "controls/QelEdit.h"
#include "controls/QelFTMemo.h"
#include "controls/QelGradientLabel.h"
#include "controls/QelHTMLStaticText.h"
#include "controls/QelMemo.h"
#include "controls/QelPageControl.h"
#include "controls/QelPanel.h"
#include "controls/QelPasswordEdit.h"
#include "controls/QelTabControl.h"
#include "controls/qeladvmemo.h"
#include "controls/qelcheckgroup.h"
#include "controls/qelchecklist.h"
#include "controls/qelradiogroup.h"
#include "documents/QelListView.h"
#include "documents/QelObjectTreeView.h"
#include "documents/qeldocvecview.h"
#include "documents/qeldoktr.h"
#include "documents/qelfltreeview.h"
#include "lists/Listcache.h"
#include "lists/QelGrid.h"
#include "lists/QelSelectGrid.h"
#include "lists/chobjbtn.h"
#include "lists/qelosgrid.h"
#include "pickers/QelCombo.h"
#include "pickers/QelDataMultiEdit.h"
#include "pickers/qelmultiedit.h"
#include "pickers/qeltreecombo.h"
#include "vectors/QelEditGrid.h"
#include "vectors/QelRevVectorGrid.h"
#include "vectors/QelVectorButton.h"
#include "vectors/QelVectorGrid.h"
#include "vectors/QelVectorList.h"
#include "vectors/qeldetailgrid.h"

#include <iterator>

namespace QelObjCntrl {

namespace {

bool g_initialized = false;

// The units of the package, in initialisation order.
const TQelUnit kUnits[] = {
    QelComponentUnit<TQelAction>(),
    QelDataControlUnit<TQelEdit, TQelDataClass::Edit>(),
    QelDataControlUnit<TQelMemo, TQelDataClass::Memo>(),
    QelDataControlUnit<TQelAdvMemo, TQelDataClass::AdvMemo>(),
    QelDataControlUnit<TQelCheckBox, TQelDataClass::CheckBox>(),
    QelDataControlUnit<TQelCheckGroup, TQelDataClass::CheckGroup>(),
    QelDataControlUnit<TQelCheckList, TQelDataClass::CheckList>(),
    QelDataControlUnit<TQelRadioGroup, TQelDataClass::RadioGroup>(),
    QelDataControlUnit<TQelGradientLabel, TQelDataClass::GradientLabel>(),
    QelDataControlUnit<TQelHTMLStaticText, TQelDataClass::HTMLStaticText>(),
    QelComponentUnit<TQelPasswordEdit>(),
    QelDataControlUnit<TQelFTMemo, TQelDataClass::FTMemo>(),
    QelComponentUnit<TQelGrid>(),
    QelComponentUnit<TQelOpenSelectGrid>(),
    [] {
        // The select grid's unit owns the package-wide list cache.
        TQelUnit u = QelComponentUnit<TQelSelectGrid>();
        u.initialize = &TQelListCache::UnitInitialize;
        u.finalize = &TQelListCache::UnitFinalize;
        return u;
    }(),
    QelDataControlUnit<TQelCombo, TQelDataClass::Combo>(),
    QelComponentUnit<TChooseObjectBtn, TQelMultiEdit>(),
    QelDataControlUnit<TQelPanel, TQelDataClass::Panel>(),
    QelDataControlUnit<TQelTabControl, TQelDataClass::TabControl>(),
    QelDataControlUnit<TQelPageControl, TQelDataClass::PageControl>(),
    QelComponentUnit<TQelAdvPageControl>(),
    QelDataControlUnit<TQelVectorGrid, TQelDataClass::VectorGrid>(),
    QelDataControlUnit<TQelRevVectorGrid, TQelDataClass::RevVectorGrid>(),
    QelDataControlUnit<TQelVectorList, TQelDataClass::VectorList>(),
    QelComponentUnit<TQelVectorButton>(),
    QelDataControlUnit<TQelEditGrid, TQelDataClass::EditGrid>(),
    QelDataControlUnit<TQelDetailGrid, TQelDataClass::DetailGrid>(),
    QelDataControlUnit<TQelListView, TQelDataClass::ListView>(),
    QelDataControlUnit<TQelDocVecView, TQelDataClass::DocVecView>(),
    QelComponentUnit<TQelDokTree>(),
    QelDataControlUnit<TQelDataMultiEdit, TQelDataClass::DataMultiEdit>(),
    QelDataControlUnit<TQelTreeCombo, TQelDataClass::TreeCombo>(),
    QelComponentUnit<TQelObjectTreeView, TQelFLTreeview>(),
};

} // namespace

void Initialize()
{
    if (g_initialized)
        return;
    g_initialized = true;
    for (const TQelUnit& u : kUnits)
        if (u.initialize)
            u.initialize();
}

void Finalize()
{
    if (!g_initialized)
        return;
    for (auto it = std::rbegin(kUnits); it != std::rend(kUnits); ++it)
        if (it->finalize)
            it->finalize();
    g_initialized = false;
}

bool IsInitialized()
{
    return g_initialized;
}

void Register()
{
    for (const TQelUnit& u : kUnits)
        if (u.registerComponents)
            u.registerComponents();
}

TFormLoadResult LoadForm(TWinControl* target, const std::string& uiFile, TComponent* owner)
{
    Register();
    RegisterStandardComponents();
    return QelLoadFormFile(target, uiFile, owner);
}

TFormLoadResult LoadFormText(TWinControl* target, const std::string& uiText, TComponent* owner)
{
    Register();
    RegisterStandardComponents();
    return QelLoadFormText(target, uiText, owner);
}

} // namespace QelObjCntrl
