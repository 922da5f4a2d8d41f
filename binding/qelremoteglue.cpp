#include "binding/qelremoteglue.h"

#include "toolkit/socketwatch.h"

#include <map>
#include <memory>

namespace {

struct TWatch {
    std::weak_ptr<const bool> life; // the database's timer tasks: gone with the database
    std::unique_ptr<TSocketWatch> socket;
};

// Never freed: databases closed during static destruction still find it.
std::map<const TQelDatabase*, TWatch>& watches()
{
    static auto* m = new std::map<const TQelDatabase*, TWatch>;
    return *m;
}

void rewatch(TQelDatabase* db, TWatch& w)
{
    w.socket.reset();
    const int fd = db->NotifySocket();
    if (fd >= 0)
        w.socket = std::make_unique<TSocketWatch>(fd, [db] { db->ReceiveChanges(); });
}

} // namespace

void QelWatchRemoteChanges(TQelDatabase* db)
{
    if (!db)
        return;
    auto& all = watches();
    // An entry of a destroyed database may carry the address of a new one.
    std::erase_if(all, [](const auto& entry) { return entry.second.life.expired(); });
    auto [it, added] = all.try_emplace(db);
    if (added) {
        it->second.life = db->TimerTasks()->get_LifeToken();
        db->StartNotification([](int event, TQelDatabase* d) {
            auto found = watches().find(d);
            if (found == watches().end())
                return;
            if (event == deClosing)
                found->second.socket.reset();
            else if (event == deSchemaChanged)
                rewatch(d, found->second);
        });
    }
    rewatch(db, it->second);
}

bool QelWatchingRemoteChanges(const TQelDatabase* db)
{
    auto found = watches().find(db);
    return found != watches().end() && !found->second.life.expired() && found->second.socket;
}
