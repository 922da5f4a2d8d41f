// Importing and exporting a 100 MB file as a document (streamed through SQLite's incremental blob
// I/O) beside copying the same file with std::filesystem::copy_file, plain and made durable
// (fdatasync of the copy, as the import's commit makes its data durable); and the peak memory of a
// process that imports it, above the same process before the import (VmHWM of a child). The disk
// makes single runs noisy: each is repeated and the medians compared.
#include "objdb/qeldatabase.h"
#include "objdb/qeldocuments.h"
#include "support/bench_tempdir.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr std::size_t kSize = 100u * 1024 * 1024;

namespace fs = std::filesystem;

struct Files {
    fs::path dir = qel::bench::PrivateDir() / "docs";
    fs::path source = dir / "gross.bin";
    Files()
    {
        fs::create_directories(dir);
        std::ofstream out(source, std::ios::binary);
        std::string chunk(1 << 20, '\0');
        for (std::size_t i = 0; i < chunk.size(); ++i)
            chunk[i] = static_cast<char>((i * 131) & 0xFF);
        for (std::size_t done = 0; done < kSize; done += chunk.size())
            out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
    ~Files()
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

Files& files()
{
    static Files f;
    return f;
}

std::unique_ptr<TQelDatabase> openDb(const fs::path& path)
{
    auto db = std::make_unique<TQelDatabase>();
    TQelOpenOptions o;
    o.create = true;
    o.schemaText = "class 41010 Akte : Objekt table=Akte\n  field Name Text\nend\n";
    db->Open(path.string(), o);
    return db;
}

bool importOnce(TQelDatabase& db)
{
    TQelDokument* d = QelAsDokument(db.CreateObject(TQelClassKey(qelcls::Dokument)));
    return d && d->Import(files().source.string()) && d->Commit();
}

void BM_CopyFile(benchmark::State& state)
{
    const fs::path target = files().dir / "kopie.bin";
    for (auto _ : state) {
        fs::remove(target);
        fs::copy_file(files().source, target);
    }
    fs::remove(target);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}
BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

void BM_CopyFileDurable(benchmark::State& state)
{
    const fs::path target = files().dir / "kopie.bin";
    for (auto _ : state) {
        fs::remove(target);
        fs::copy_file(files().source, target);
        const int fd = ::open(target.c_str(), O_RDONLY);
        if (fd < 0 || ::fdatasync(fd) != 0)
            state.SkipWithError("fdatasync");
        if (fd >= 0)
            ::close(fd);
    }
    fs::remove(target);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}
BENCHMARK(BM_CopyFileDurable)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_ImportDocument(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(files().dir / "import.qeldb");
        auto db = openDb(files().dir / "import.qeldb");
        state.ResumeTiming();
        if (!importOnce(*db))
            state.SkipWithError("import failed");
    }
    fs::remove(files().dir / "import.qeldb");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}
BENCHMARK(BM_ImportDocument)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_ExportDocument(benchmark::State& state)
{
    fs::remove(files().dir / "export.qeldb");
    auto db = openDb(files().dir / "export.qeldb");
    importOnce(*db);
    TQelDokument* d = nullptr;
    for (TQelObject* o : db->CachedObjects())
        if ((d = QelAsDokument(o)))
            break;
    const fs::path target = files().dir / "export.bin";
    for (auto _ : state) {
        fs::remove(target);
        if (!d->Blob()->Export(target.string()))
            state.SkipWithError("export failed");
    }
    fs::remove(target);
    db.reset();
    fs::remove(files().dir / "export.qeldb");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}
BENCHMARK(BM_ExportDocument)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

long statusKb(const char* key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(std::string(key).size()));
    return -1;
}

// The peak resident memory a fresh child adds by one import (MB), measured once.
void BM_ImportPeakMemory(benchmark::State& state)
{
    double addedMb = 0;
    for (auto _ : state) {
        int pipefd[2];
        if (::pipe(pipefd) != 0) {
            state.SkipWithError("pipe");
            return;
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(pipefd[0]);
            fs::remove(files().dir / "peak.qeldb");
            auto db = openDb(files().dir / "peak.qeldb");
            const long before = statusKb("VmHWM:");
            const bool ok = importOnce(*db);
            const long after = statusKb("VmHWM:");
            const long added = ok ? after - before : -1;
            [[maybe_unused]] auto n = ::write(pipefd[1], &added, sizeof added);
            ::_exit(0);
        }
        ::close(pipefd[1]);
        long added = -1;
        [[maybe_unused]] auto n = ::read(pipefd[0], &added, sizeof added);
        ::close(pipefd[0]);
        ::waitpid(pid, nullptr, 0);
        fs::remove(files().dir / "peak.qeldb");
        addedMb = added / 1024.0;
    }
    state.counters["added_MB"] = addedMb;
}
BENCHMARK(BM_ImportPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
