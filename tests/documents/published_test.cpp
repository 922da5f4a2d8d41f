// The published properties of the document views and trees: every class round-trips, defaults,
// the list view and panel named in a loading form.
#include "QelObjCntrl.h"
#include "controls/QelPanel.h"
#include "documents/QelListView.h"
#include "documents/QelObjectTreeView.h"
#include "documents/qeldocvecview.h"
#include "documents/qeldoktr.h"
#include "support/published_check.h"
#include "toolkit/form.h"
#include "toolkit/registry.h"

#include <gtest/gtest.h>

namespace {

TEST(PublishedDocuments, EveryClassRoundTrips)
{
    QelObjCntrl::Register();
    TForm form(nullptr);
    ExpectClassesRoundTrip(
        { "TQelListView", "TQelDocVecView", "TQelDokTree", "TQelObjectTreeView", "TQelFLTreeview" },
        [&](const char* cls) { return CreateComponent(cls, &form); });
}

TEST(PublishedDocuments, Defaults)
{
    TForm form(nullptr);
    TQelListView list(&form);
    EXPECT_EQ(list.GetPropValue("ShowColumns").AsString(), "[colSize,colType,colDate]");
    EXPECT_EQ(list.GetPropValue("ListViewOptions").AsString(), "[lvoAutoConnect]");
    EXPECT_TRUE(list.GetPropValue("AutoRefresh").AsBoolean());
    EXPECT_EQ(list.GetPropValue("ImportTypes").AsString().rfind("Alle Dateien (*.*)|*.*|", 0), 0u);
    EXPECT_TRUE(list.SetPropValue("DefaultArt", "Anlage"));
    EXPECT_EQ(list.DefaultArt, "Anlage");
    TQelObjectTreeView tree(&form);
    EXPECT_EQ(tree.GetPropValue("Kategorie").AsInteger(), 2);
    EXPECT_EQ(tree.GetPropValue("ObjectTreeViewOptions").AsString(), "[]");
}

TEST(PublishedDocuments, ReferencesNamedBeforeTheyExist)
{
    TForm form(nullptr);
    form.BeginLoading();
    auto* tree = new TQelDokTree(&form);
    EXPECT_TRUE(tree->SetPropValue("ListView", "lvDokumente"));
    auto* vec = new TQelDocVecView(&form);
    EXPECT_TRUE(vec->SetPropValue("Panel", "pnlAnlage"));
    EXPECT_TRUE(vec->SetPropValue("DocVecViewOptions", "[dvoShowIndexes]"));
    auto* list = new TQelListView(&form);
    list->SetName("lvDokumente");
    auto* panel = new TQelPanel(&form);
    panel->SetName("pnlAnlage");
    form.EndLoading();
    EXPECT_EQ(tree->get_ListView(), list);
    EXPECT_EQ(vec->get_Panel(), panel);
    EXPECT_TRUE(vec->get_DocVecViewOptions().Contains(dvoShowIndexes));
    // The panel is no list view.
    EXPECT_FALSE(tree->SetPropValue("ListView", "pnlAnlage"));
    EXPECT_EQ(tree->get_ListView(), nullptr);
}

} // namespace
