// Published properties by kind: references to other components by name (at once, or when loading
// ends), enumerations by name and number, lines; every standard palette class round-trips.
#include "support/published_check.h"
#include "toolkit/comctrls.h"
#include "toolkit/extctrls.h"
#include "toolkit/form.h"
#include "toolkit/registry.h"
#include "toolkit/stdctrls.h"

#include <QtGlobal>
#include <gtest/gtest.h>

namespace {

class TTarget : public TComponent {
public:
    using TComponent::TComponent;
};

class TOther : public TComponent {
public:
    using TComponent::TComponent;
};

class THolder : public TComponent {
public:
    explicit THolder(TComponent* owner)
        : TComponent(owner)
    {
        PublishComponent<&THolder::get_Target, &THolder::set_Target>("Target");
    }
    TTarget* get_Target() const { return target; }
    void set_Target(TTarget* t)
    {
        target = t;
        ++writes;
    }
    TTarget* target = nullptr;
    int writes = 0;
};

// Qt warnings while alive.
class TWarningLog {
public:
    TWarningLog()
    {
        current = this;
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg)
                current->lines.push_back(text.toStdString());
        });
    }
    ~TWarningLog()
    {
        qInstallMessageHandler(previous);
        current = nullptr;
    }
    std::vector<std::string> lines;

private:
    static inline TWarningLog* current = nullptr;
    QtMessageHandler previous = nullptr;
};

TComponent* Named(TComponent* c, const char* name)
{
    c->SetName(name);
    return c;
}

TEST(ComponentReferences, ResolvedAtOnceOutsideLoading)
{
    TComponent owner(nullptr);
    auto* holder = new THolder(&owner);
    auto* target = static_cast<TTarget*>(Named(new TTarget(&owner), "zielA"));
    Named(new TOther(&owner), "fremd");

    EXPECT_EQ(holder->PublishedPropType("Target").kind, TPropKind::Component);
    EXPECT_EQ(holder->GetPropValue("Target").AsString(), "");
    EXPECT_TRUE(holder->SetPropValue("Target", "ZIELA")); // names ignore case
    EXPECT_EQ(holder->target, target);
    EXPECT_EQ(holder->GetPropValue("Target").AsString(), "zielA");

    // Unknown names and components of another class clear the reference and fail.
    EXPECT_FALSE(holder->SetPropValue("Target", "nirgends"));
    EXPECT_EQ(holder->target, nullptr);
    holder->target = target;
    EXPECT_FALSE(holder->SetPropValue("Target", "fremd"));
    EXPECT_EQ(holder->target, nullptr);
    holder->target = target;
    EXPECT_TRUE(holder->SetPropValue("Target", ""));
    EXPECT_EQ(holder->target, nullptr);

    // Without an owner there is nothing to find.
    THolder alone(nullptr);
    EXPECT_FALSE(alone.SetPropValue("Target", "zielA"));
}

TEST(ComponentReferences, KeptWhileLoadingAndResolvedWhenLoadingEnds)
{
    TComponent owner(nullptr);
    owner.BeginLoading();
    auto* holder = new THolder(&owner);
    holder->SetName("halter");
    auto* missing = new THolder(&owner);
    missing->SetName("zweiter");
    EXPECT_TRUE(holder->SetPropValue("Target", "spaeter"));
    EXPECT_TRUE(missing->SetPropValue("Target", "gibtEsNicht"));
    // Read back as written, before the component exists.
    EXPECT_EQ(holder->GetPropValue("Target").AsString(), "spaeter");
    EXPECT_EQ(holder->writes, 0);
    auto* target = static_cast<TTarget*>(Named(new TTarget(&owner), "spaeter"));

    TWarningLog log;
    owner.EndLoading();
    EXPECT_EQ(holder->target, target);
    EXPECT_EQ(holder->GetPropValue("Target").AsString(), "spaeter");
    EXPECT_EQ(missing->target, nullptr);
    EXPECT_EQ(missing->GetPropValue("Target").AsString(), "");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("gibtEsNicht"), std::string::npos);
    EXPECT_NE(log.lines[0].find("zweiter.Target"), std::string::npos);
}

TEST(ComponentReferences, LaterWriteWhileLoadingReplacesTheEarlier)
{
    TComponent owner(nullptr);
    owner.BeginLoading();
    auto* holder = new THolder(&owner);
    auto* b = static_cast<TTarget*>(Named(new TTarget(&owner), "b"));
    Named(new TTarget(&owner), "a");
    EXPECT_TRUE(holder->SetPropValue("Target", "a"));
    EXPECT_TRUE(holder->SetPropValue("Target", "b"));
    owner.EndLoading();
    EXPECT_EQ(holder->target, b);
    EXPECT_EQ(holder->writes, 1);
}

TEST(Enumerations, WrittenByNameOrNumberAndRefusedOutOfRange)
{
    TPanel panel(nullptr);
    EXPECT_EQ(panel.PublishedPropType("Align").kind, TPropKind::Enum);
    EXPECT_EQ(panel.PublishedPropType("Align").count, std::size_t(alCustom + 1));
    EXPECT_TRUE(panel.SetPropValue("Align", "alClient"));
    EXPECT_EQ(panel.Align(), alClient);
    EXPECT_TRUE(panel.SetPropValue("Align", "TAlign::alTop"));
    EXPECT_EQ(panel.Align(), alTop);
    EXPECT_TRUE(panel.SetPropValue("BevelOuter", 0));
    EXPECT_EQ(panel.BevelOuter(), bvNone);
    EXPECT_TRUE(panel.SetPropValue("BevelInner", "bvRaised"));
    EXPECT_EQ(panel.BevelInner(), bvRaised);
    for (const TPropValue& bad : { TPropValue(7), TPropValue(-1), TPropValue("alMitte"), TPropValue("") })
        EXPECT_FALSE(panel.SetPropValue("Align", bad)) << bad.AsString();
    EXPECT_EQ(panel.Align(), alTop);

    EXPECT_EQ(panel.PublishedPropType("Anchors").kind, TPropKind::Set);
    EXPECT_EQ(panel.GetPropValue("Anchors").AsString(), "[akLeft,akTop]");
    EXPECT_TRUE(panel.SetPropValue("Anchors", "[akRight,akBottom]"));
    EXPECT_EQ(panel.Anchors(), (TAnchors { akRight, akBottom }));
}

TEST(Lines, MemoLinesReadAndWrittenAsOneText)
{
    TMemo memo(nullptr);
    EXPECT_EQ(memo.PublishedPropType("Lines").kind, TPropKind::Lines);
    EXPECT_TRUE(memo.SetPropValue("Lines", "eins\r\nzwei\n"));
    ASSERT_EQ(memo.Lines().Count(), 2);
    EXPECT_EQ(memo.Lines()[1], "zwei");
    EXPECT_EQ(memo.GetPropValue("Lines").AsString(), "eins\nzwei\n");
}

TEST(PublishedProperties, EveryStandardClassRoundTrips)
{
    // The classes RegisterStandardComponents puts on the palette; not registered here, as other
    // tests of this suite fill the registry themselves.
    TForm form(nullptr);
    for (const TComponentClass& cls : { ComponentClass<TLabel>(), ComponentClass<TEdit>(),
             ComponentClass<TButton>(), ComponentClass<TCheckBox>(), ComponentClass<TPanel>(),
             ComponentClass<TPageControl>(), ComponentClass<TTabSheet>(), ComponentClass<TMemo>() }) {
        SCOPED_TRACE(cls.name);
        TComponent* c = cls.create(&form);
        ExpectPublishedPropsRoundTrip(*c);
        delete c;
    }
}

} // namespace
