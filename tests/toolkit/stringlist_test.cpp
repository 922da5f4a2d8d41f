// String lists: sorting with umlauts, duplicates, name=value lines, comma text.
#include "toolkit/classes.h"

#include <gtest/gtest.h>

namespace {

TEST(StringList, SortedListFoldsUmlautsAndRejectsDuplicatesOnRequest)
{
    TStringList list;
    list.SetSorted(true);
    list.Add("Zebra");
    list.Add("Äpfel");
    list.Add("apfel");
    list.Add("Birne");
    EXPECT_EQ(list.IndexOf("äPFEL"), list.IndexOf("Äpfel"));
    const std::vector<std::string> order { "apfel", "Äpfel", "Birne", "Zebra" };
    EXPECT_EQ(list.ToVector(), order);
    EXPECT_EQ(list.Add("birne"), 2); // dupIgnore: the existing index
    EXPECT_EQ(list.Count(), 4);
    list.SetDuplicates(dupError);
    EXPECT_THROW(list.Add("ZEBRA"), EStringListError);
    EXPECT_THROW(list.Insert(0, "x"), EStringListError);
}

TEST(StringList, ChangeRunsOncePerUpdateBlock)
{
    TStringList list;
    int changes = 0;
    list.OnChange = TNotifyEvent([&](TObject*) { ++changes; });
    list.Add("a");
    EXPECT_EQ(changes, 1);
    list.BeginUpdate();
    list.Add("b");
    list.Add("c");
    list.Delete(0);
    EXPECT_EQ(changes, 1);
    list.EndUpdate();
    EXPECT_EQ(changes, 2);
}

TEST(StringList, NameValueLines)
{
    TStringList list;
    list.SetValue("a", "1");
    list.SetValue("b", "2");
    list.SetValue("A", "3");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Values("a"), "3");
    list.SetValue("b", "");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.IndexOfName("b"), -1);
}

TEST(StringList, CommaTextQuotesWhatNeedsIt)
{
    TStringList list;
    list.SetCommaText("a=1, \"b c\",\"x,y\" ,\"say \"\"hi\"\"\",");
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.Get(0), "a=1");
    EXPECT_EQ(list.Get(1), "b c");
    EXPECT_EQ(list.Get(2), "x,y");
    EXPECT_EQ(list.Get(3), "say \"hi\"");
    EXPECT_EQ(list.Get(4), "");
    EXPECT_EQ(list.CommaText(), "a=1,\"b c\",\"x,y\",\"say \"\"hi\"\"\",\"\"");
    TStringList copy;
    copy.SetCommaText(list.CommaText());
    EXPECT_TRUE(copy.Equals(list));
    list.SetCommaText("eins zwei");
    EXPECT_EQ(list.Count(), 2); // unquoted blanks separate
}

TEST(StringList, TextSplitsAtAnyLineBreak)
{
    TStringList list;
    list.SetText("a\r\nb\rc\nd\n");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Text(), "a\nb\nc\nd\n");
    EXPECT_THROW(list.Get(4), EStringListError);
}

TEST(StringList, OwnedObjectsAreFreed)
{
    struct TCounted : TObject {
        int* alive;
        explicit TCounted(int* a)
            : alive(a)
        {
            ++*alive;
        }
        ~TCounted() override { --*alive; }
    };
    int alive = 0;
    {
        TStringList list(true);
        list.AddObject("a", new TCounted(&alive));
        list.AddObject("b", new TCounted(&alive));
        list.Delete(0);
        EXPECT_EQ(alive, 1);
    }
    EXPECT_EQ(alive, 0);
}

} // namespace
