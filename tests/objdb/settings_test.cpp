#include "objdb/qelsettings.h"
#include "objdb_test_support.h"

#include <gtest/gtest.h>

TEST(Settings, NameValuesPerLevelPersist)
{
    TempFile file;
    {
        auto db = openFile(file.path(), kTestSchema);
        TQelComputer* pc = db->Computer();
        ASSERT_TRUE(pc);
        EXPECT_EQ(pc->NameWert().ReadInteger("DPI", 96), 96);
        EXPECT_TRUE(pc->NameWert().WriteInteger("DPI", 120));
        EXPECT_TRUE(pc->NameWert().WriteInteger("SETP_40020_Name", 3));
        EXPECT_TRUE(pc->Touched());
        pc->ForceCommit();
        TQelUser* user = db->User();
        user->NameWert().WriteString("KundenColSettings", "35/100;180/100");
        user->ForceCommit();
        std::string longText(5000, 'x');
        EXPECT_TRUE(
            db->Partition()->NameWert().SetLongString("SGFieldSettings", "40020=Name,Ort\n" + longText));
        EXPECT_FALSE(
            db->Partition()->NameWert().SetLongString("SGFieldSettings", "40020=Name,Ort\n" + longText));
        db->Partition()->ForceCommit();
        db->SetSetting(slPartition, "fv$Kunde", "Müller,\"Meier, Hans\"");
        db->SetSetting(slDatabase, "Version", "1");
        db->SetSetting(slUser, "SearchPrefix", "$");
    }
    auto db = openFile(file.path());
    SetQelDatabase(db.get());
    EXPECT_EQ(db->Computer()->NameWert().ReadInteger("DPI", 96), 0 + 120);
    EXPECT_EQ(db->Computer()->NameWert().ReadInteger("SETP_40020_Name", 0), 3);
    EXPECT_TRUE(db->Computer()->NameWert().Remove("SETP_40020_Name"));
    db->Computer()->ForceCommit();
    EXPECT_EQ(db->User()->NameWert().ReadString("KundenColSettings"), "35/100;180/100");
    EXPECT_EQ(db->Partition()->NameWert().ReadLongString("SGFieldSettings").size(), 5015u);
    EXPECT_EQ(db->GetSettings(slPartition, "fv$Kunde"), "Müller,\"Meier, Hans\"");
    EXPECT_EQ(db->GetSettings(slDatabase, "Version"), "1");
    EXPECT_EQ(db->GetSettings(slUser, "SearchPrefix"), "$");
    EXPECT_EQ(db->GetSettings(slUser, "fv$Kunde"), "") << "levels are separate";
    EXPECT_EQ(db->GetSettings(slComputer, "Fehlt"), "");
    EXPECT_EQ(db->Computer()->NameWert().ReadInteger("DPI", 96), 120);
    EXPECT_FALSE(db->User()->IsAdmin());
    db->Computer()->NameWert().WriteString("DPI", "viel");
    EXPECT_EQ(db->Computer()->NameWert().ReadInteger("DPI", 96), 96) << "non-numeric reads as the default";
    SetQelDatabase(nullptr);
}

TEST(Settings, ComputersAndUsersAreKeptApart)
{
    TempFile file;
    {
        openFile(file.path(), kTestSchema);
    }
    auto open = [&](const char* computer, const char* user) {
        auto db = std::make_unique<TQelDatabase>();
        TQelOpenOptions o;
        o.computerName = computer;
        o.userName = user;
        db->Open(file.path(), o);
        return db;
    };
    {
        auto a = open("pc1", "anna");
        a->SetSetting(slComputer, "DPI", "144");
        a->SetSetting(slUser, "Farbe", "rot");
    }
    auto b = open("pc2", "bert");
    EXPECT_EQ(b->GetSettings(slComputer, "DPI"), "");
    EXPECT_EQ(b->GetSettings(slUser, "Farbe"), "");
    auto a = open("pc1", "anna");
    EXPECT_EQ(a->GetSettings(slComputer, "DPI"), "144");
    EXPECT_EQ(a->GetSettings(slUser, "Farbe"), "rot");
}

TEST(Settings, ANameOverTheLimitIsRefusedAndTheLevelStaysWritable)
{
    TempFile file;
    const std::string max(64, 'k');
    const std::string over = std::string(63, 'k') + "üx"; // 65 characters, 66 bytes
    std::string maxUmlauts;
    for (int i = 0; i < 64; ++i)
        maxUmlauts += "ä"; // 64 characters, 128 bytes
    {
        auto db = openFile(file.path(), kTestSchema);
        TQelNameWertVector& nw = db->User()->NameWert();
        EXPECT_NE(nw.NameError(over).find("länger als 64 Zeichen"), std::string::npos) << nw.NameError(over);
        EXPECT_FALSE(nw.NameError("").empty());
        EXPECT_EQ(nw.NameError(maxUmlauts), "");
        EXPECT_FALSE(nw.WriteString(over, "zu lang"));
        EXPECT_FALSE(nw.WriteString("", "leer"));
        EXPECT_FALSE(nw.Has(over));
        EXPECT_THROW(db->SetSetting(slUser, over, "zu lang"), TQelError);
        EXPECT_THROW(db->SetSetting(slUser, "", "leer"), TQelError);
        // Later writes of the level still reach the store.
        db->SetSetting(slUser, max, "genau");
        db->SetSetting(slUser, maxUmlauts, "Umlaute");
        EXPECT_TRUE(nw.WriteString("Danach", "geht"));
        db->User()->ForceCommit();
        EXPECT_FALSE(db->User()->Touched()) << db->User()->ErrorMessage();
    }
    auto db = openFile(file.path());
    EXPECT_EQ(db->GetSettings(slUser, max), "genau");
    EXPECT_EQ(db->GetSettings(slUser, maxUmlauts), "Umlaute");
    EXPECT_EQ(db->GetSettings(slUser, "Danach"), "geht");
    EXPECT_EQ(db->GetSettings(slUser, over), "");
}
