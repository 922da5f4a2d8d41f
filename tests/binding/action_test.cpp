// The parameterised action, the toolkit's actions beneath it, and the palette registration.
#include "QelObjCntrl.h"
#include "binding/qelaction.h"

#include "toolkit/registry.h"

#include <gtest/gtest.h>

TEST(QelAction, ParametersFromCommaText)
{
    TQelAction empty(nullptr, "");
    EXPECT_EQ(empty.Params(), nullptr);
    EXPECT_EQ(empty.get_Param("a"), "");
    empty.set_Param("a", "1");
    ASSERT_NE(empty.Params(), nullptr);
    EXPECT_EQ(empty.get_Param("a"), "1");

    TQelAction action(nullptr, "a=1,b=2");
    EXPECT_EQ(action.get_Param("a"), "1");
    EXPECT_EQ(action.get_Param("b"), "2");
    EXPECT_EQ(action.get_Param("c"), "");
    action.init("");
    EXPECT_EQ(action.Params(), nullptr);
    EXPECT_EQ(action.get_Param("a"), "");

    // Quoted items keep commas and blanks; init replaces what was there.
    action.init("c=3");
    action.init(R"("titel=Neue Rechnung, Entwurf",art=2)");
    EXPECT_EQ(action.get_Param("titel"), "Neue Rechnung, Entwurf");
    EXPECT_EQ(action.get_Param("art"), "2");
    EXPECT_EQ(action.get_Param("c"), "");
}

TEST(QelAction, SettingParameters)
{
    TStringList list;
    list.Add("ordner=/tmp/Ablage März");
    list.Add("modus=lesen");
    TQelAction action(nullptr, list);
    EXPECT_EQ(action.get_Param("ordner"), "/tmp/Ablage März");
    action.set_Param("modus", "schreiben");
    EXPECT_EQ(action.get_Param("modus"), "schreiben");
    EXPECT_EQ(action.Params()->Count(), 2); // replaced, not added
    action.set_Param("", "x");
    EXPECT_EQ(action.Params()->Count(), 2);
    action.set_Param("modus", "");
    EXPECT_EQ(action.Params()->Count(), 1);
}

TEST(QelAction, ExecutesLikeAnyAction)
{
    TActionList actions(nullptr);
    TQelAction action(nullptr, "ziel=Drucker");
    action.SetActionList(&actions);
    action.SetCaption("&Drucken");
    action.SetShortCut(TextToShortCut("Strg+P"));
    std::string seen;
    action.OnExecute
        = [&seen](TObject* sender) { seen = static_cast<TQelAction*>(sender)->get_Param("ziel"); };

    EXPECT_TRUE(actions.IsShortCut(TextToShortCut("Strg+P")));
    EXPECT_EQ(seen, "Drucker");
    seen.clear();
    action.SetEnabled(false);
    EXPECT_FALSE(action.Execute());
    EXPECT_FALSE(actions.IsShortCut(TextToShortCut("Strg+P")));
    EXPECT_EQ(seen, "");
    EXPECT_EQ(action.GetPropValue("Caption").AsString(), "&Drucken");
    EXPECT_EQ(actions.ActionCount(), 1);
}

TEST(QelAction, ListAndActionsMayDieInAnyOrder)
{
    auto list = std::make_unique<TActionList>(nullptr);
    auto first = std::make_unique<TQelAction>(nullptr);
    TQelAction second(nullptr);
    first->SetActionList(list.get());
    second.SetActionList(list.get());
    first.reset();
    EXPECT_EQ(list->ActionCount(), 1);
    EXPECT_EQ(list->Actions(0), &second);
    list.reset();
    EXPECT_EQ(second.ActionList(), nullptr);
}

TEST(Registration, UnitsPutTheirComponentsOnThePalette)
{
    QelObjCntrl::Register();
    QelObjCntrl::Register(); // again: nothing changes
    const auto classes = PaletteClasses(QelObjCntrl::PalettePage);
    std::vector<std::string> names;
    for (const auto& c : classes)
        names.push_back(c.name);
    EXPECT_NE(std::find(names.begin(), names.end(), "TQelAction"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "TQelPasswordEdit"), names.end());
    EXPECT_EQ(PageOfClass("TQelAction"), "TelvoODB");

    std::unique_ptr<TComponent> made(CreateComponent("TQelAction", nullptr));
    ASSERT_NE(dynamic_cast<TQelAction*>(made.get()), nullptr);
    EXPECT_EQ(static_cast<TQelAction*>(made.get())->Params(), nullptr);
}
