// The published properties of the pickers: every class round-trips, defaults, enumerations by name.
#include "QelObjCntrl.h"
#include "pickers/QelCombo.h"
#include "pickers/QelDataMultiEdit.h"
#include "pickers/qelmultiedit.h"
#include "pickers/qeltreecombo.h"
#include "support/published_check.h"
#include "toolkit/form.h"
#include "toolkit/registry.h"

#include <gtest/gtest.h>

namespace {

TEST(PublishedPickers, EveryClassRoundTrips)
{
    QelObjCntrl::Register();
    TForm form(nullptr);
    ExpectClassesRoundTrip({ "TQelCombo", "TQelMultiEdit", "TQelDataMultiEdit", "TQelTreeCombo" },
        [&](const char* cls) { return CreateComponent(cls, &form); });
}

TEST(PublishedPickers, DefaultsAndEnumerations)
{
    TForm form(nullptr);
    TQelCombo combo(&form);
    EXPECT_EQ(combo.GetPropValue("NullString").AsString(), "<keine Auswahl>");
    EXPECT_EQ(combo.GetPropValue("KeyStrokeTimeout").AsInteger(), 500);
    EXPECT_EQ(combo.GetPropValue("FavoriteLevel").AsInteger(), slPartition);
    EXPECT_TRUE(combo.SetPropValue("FavoriteLevel", "slUser"));
    EXPECT_EQ(combo.get_FavoriteLevel(), slUser);
    EXPECT_FALSE(combo.SetPropValue("FavoriteLevel", 7));
    EXPECT_EQ(combo.get_FavoriteLevel(), slUser);

    TQelMultiEdit multi(&form);
    EXPECT_EQ(multi.GetPropValue("AssignedColor").AsInteger(), 16711680);
    EXPECT_EQ(multi.GetPropValue("BorderStyle").AsInteger(), mbsSingle);
    TQelDataMultiEdit dataMulti(&form);
    for (TQelMultiEdit* m : { &multi, static_cast<TQelMultiEdit*>(&dataMulti) }) {
        EXPECT_EQ(m->GetPropValue("LabelPosition").AsInteger(), lpLeftCenter);
        EXPECT_EQ(m->GetPropValue("LabelMargin").AsInteger(), 3);
    }

    TQelTreeCombo tree(&form);
    EXPECT_EQ(tree.GetPropValue("TreeComboOptions").AsString(), "[tcoObjCreate,tcoObjEdit,tcoObjDrop]");
    EXPECT_TRUE(tree.GetPropValue("ExpandOnDrop").AsBoolean());
    EXPECT_TRUE(tree.SetPropValue("DropHeight", 260));
    EXPECT_EQ(tree.DropHeight(), 260);
}

} // namespace
