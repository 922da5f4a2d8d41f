#pragma once
// Checks that hold for every published property of a component: a writable property takes the
// value it reads and reads it again; sets and enumerations name distinct elements, and an
// enumeration is written by name as well as by number.
#include "toolkit/component.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <set>
#include <string>

inline void ExpectPublishedPropsRoundTrip(TComponent& c)
{
    const std::string cls = c.ClassName();
    for (const std::string& name : c.PublishedPropNames()) {
        SCOPED_TRACE(cls + "." + name);
        const TPropType type = c.PublishedPropType(name);
        const TPropValue value = c.GetPropValue(name);
        if (type.kind == TPropKind::Set || type.kind == TPropKind::Enum) {
            ASSERT_NE(type.names, nullptr);
            ASSERT_GT(type.count, 0u);
            std::set<std::string> distinct;
            for (std::size_t i = 0; i < type.count; ++i) {
                ASSERT_NE(type.names[i], nullptr);
                EXPECT_TRUE(distinct.insert(type.names[i]).second) << type.names[i];
            }
        }
        if (c.IsReadOnlyProp(name))
            continue;
        EXPECT_TRUE(c.SetPropValue(name, value)) << value.AsString();
        EXPECT_EQ(c.GetPropValue(name), value);
        if (type.kind == TPropKind::Enum) {
            const long long n = value.AsInteger();
            ASSERT_GE(n, 0);
            ASSERT_LT(n, static_cast<long long>(type.count));
            EXPECT_TRUE(c.SetPropValue(name, type.names[n]));
            EXPECT_EQ(c.GetPropValue(name), value);
            EXPECT_FALSE(c.SetPropValue(name, static_cast<long long>(type.count)));
            EXPECT_FALSE(c.SetPropValue(name, "kein Element"));
            EXPECT_EQ(c.GetPropValue(name), value);
        }
    }
}

// Every named class is registered and each new instance (owned by `owner`) passes the checks above.
template <class CreateFn>
void ExpectClassesRoundTrip(std::initializer_list<const char*> classNames, CreateFn create)
{
    for (const char* cls : classNames) {
        SCOPED_TRACE(cls);
        TComponent* c = create(cls);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->ClassName(), cls);
        ExpectPublishedPropsRoundTrip(*c);
        delete c;
    }
}
