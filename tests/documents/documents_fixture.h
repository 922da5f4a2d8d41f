#pragma once
// A document list on a form over a committed file (Akte), scripted dialogs, a scratch folder
// and real drops of files and rows.
#include "documents/QelListView.h"
#include "support/documents_data.h"
#include "support/private_dir.h"
#include "support/qel_db_fixture.h"
#include "toolkit/dragdata.h"
#include "toolkit/scripteddialogs.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>

#include <filesystem>
#include <unistd.h>

class DocsTest : public QelDbTest {
protected:
    DocsTest()
        : QelDbTest(kDocsSchema)
    {
    }
    void SetUp() override
    {
        QelDbTest::SetUp();
        scratch = std::make_unique<PrivateDir>("qeldocs_test");
        dir = scratch->path();
        std::filesystem::create_directories(dir / "in");
        std::filesystem::create_directories(dir / "out");
        akte = create("Akte");
        akte->FieldByName("Name")->set_AsString("Meier");
        ASSERT_TRUE(akte->Commit());
        lv = new TQelListView(form.get());
        lv->SetParent(form.get());
        lv->SetBounds(10, 10, 400, 250);
        lv->Connect(akte, false);
        ASSERT_TRUE(lv->Connected());
    }
    void TearDown() override
    {
        scratch.reset();
        QelDbTest::TearDown();
    }
    std::string file(const std::string& name, const std::string& data)
    {
        const std::string p = (dir / "in" / name).string();
        QelWriteFile(p, data);
        return p;
    }
    static std::string read(const std::string& path) { return QelReadFile(path); }
    static std::string randomBytes(std::size_t n) { return QelRandomBytes(n); }
    // Saves the file, as a form does, with nothing of its own changed: its documents follow.
    void commitOwner()
    {
        ASSERT_FALSE(akte->Touched());
        ASSERT_TRUE(akte->Commit()) << akte->ErrorMessage();
    }
    TListItem* import(const std::string& path)
    {
        TListItem* item = nullptr;
        EXPECT_TRUE(lv->import_document(path, &item)) << path;
        return item;
    }
    // Messages shown (ShowMessage and information boxes), in order.
    std::vector<std::string> messages()
    {
        std::vector<std::string> out;
        for (const auto& q : dialogs->Questions())
            if (q.kind == TScriptedDialogs::TKind::ShowMessage)
                out.push_back(q.text);
        return out;
    }
    std::vector<std::string> outFiles() const
    {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir / "out"))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    // Drops `data` on `widget`'s viewport at `pos`, as the window system delivers a drop.
    static bool drop(QWidget* widget, QMimeData* data, QPoint pos)
    {
        auto* view = static_cast<QAbstractScrollArea*>(widget);
        QDragEnterEvent enter(pos, Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        QDragMoveEvent move(pos, Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
        if (!move.isAccepted()) {
            delete data;
            return false;
        }
        QDropEvent dropEvent(
            QPointF(pos), Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &dropEvent);
        delete data;
        return dropEvent.isAccepted();
    }
    static QMimeData* fileData(const std::vector<std::string>& files)
    {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const auto& f : files)
            urls << QUrl::fromLocalFile(QString::fromStdString(f));
        data->setUrls(urls);
        return data;
    }

    TScopedScriptedDialogs dialogs;
    std::unique_ptr<PrivateDir> scratch;
    std::filesystem::path dir;
    TQelObject* akte = nullptr;
    TQelListView* lv = nullptr;
};
