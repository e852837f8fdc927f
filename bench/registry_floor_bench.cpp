// The floors the registry benchmarks are measured against: the least SQLite
// itself needs for each kind of call, on the same store file and schema,
// through one connection with statements prepared once.
//   point lookup   one value found by key and name (an autocommit read)
//   write          one transaction that replaces one value (synced as the store syncs)
//   delete         one transaction that deletes one value
//   walk           one statement stepping through all subkeys or values of a key
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/native/registry_store/registry_database.h"
#include "registry_bench_store.h"

namespace zarn::bench {
namespace {

class Connection {
 public:
  Connection() {
    const std::string file = (benchDirectory() / "user.sqlite3").string();
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      throw std::runtime_error("cannot open " + file);
    }
    sqlite3_busy_timeout(db_, 30000);
    sqlite3_exec(db_, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
  }
  ~Connection() { sqlite3_close(db_); }
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) {
      throw std::runtime_error(sqlite3_errmsg(db));
    }
  }
  ~Statement() { sqlite3_finalize(statement_); }
  sqlite3_stmt* get() const { return statement_; }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

int64_t findKey(sqlite3* db, const std::string& path) {
  Statement find(db, "SELECT id FROM keys WHERE parent = ?1 AND folded_name = ?2");
  int64_t key = 0;
  size_t start = 0;
  const std::string full = "HKEY_CURRENT_USER\\" + path;
  while (start <= full.size()) {
    const size_t end = std::min(full.find('\\', start), full.size());
    const std::string folded = foldName(full.substr(start, end - start));
    sqlite3_bind_int64(find.get(), 1, key);
    sqlite3_bind_blob(find.get(), 2, folded.data(), static_cast<int>(folded.size()),
                      SQLITE_TRANSIENT);
    if (sqlite3_step(find.get()) != SQLITE_ROW) throw std::runtime_error("no key " + path);
    key = sqlite3_column_int64(find.get(), 0);
    sqlite3_reset(find.get());
    start = end + 1;
  }
  return key;
}

void BM_FloorPointLookup(benchmark::State& state) {
  populate(state.range(0));
  const Connection db;
  const int64_t key = findKey(db.get(), benchKey("Values", state.range(0)));
  const std::string folded = foldName("v" + std::to_string(state.range(0) / 2));
  const Statement find(db.get(),
                       "SELECT type, data FROM key_values WHERE key = ?1 AND folded_name = ?2");
  for (auto _ : state) {
    sqlite3_bind_int64(find.get(), 1, key);
    sqlite3_bind_blob(find.get(), 2, folded.data(), static_cast<int>(folded.size()), SQLITE_STATIC);
    if (sqlite3_step(find.get()) != SQLITE_ROW) state.SkipWithError("value missing");
    benchmark::DoNotOptimize(sqlite3_column_int64(find.get(), 0));
    benchmark::DoNotOptimize(sqlite3_column_blob(find.get(), 1));
    sqlite3_reset(find.get());
  }
}

// One write transaction of one statement, the statements prepared once.
class Writer {
 public:
  explicit Writer(sqlite3* db)
      : begin_(db, "BEGIN IMMEDIATE"),
        commit_(db, "COMMIT"),
        upsert_(db,
                "INSERT INTO key_values(key, name, folded_name, type, data) "
                "VALUES(?1, ?2, ?3, 4, ?4) ON CONFLICT(key, folded_name) "
                "DO UPDATE SET type = excluded.type, data = excluded.data"),
        remove_(db, "DELETE FROM key_values WHERE key = ?1 AND folded_name = ?2") {}

  bool replace(int64_t key, const std::string& name, const std::string& folded,
               const int32_t& number) const {
    sqlite3_bind_int64(upsert_.get(), 1, key);
    sqlite3_bind_text(upsert_.get(), 2, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    sqlite3_bind_blob(upsert_.get(), 3, folded.data(), static_cast<int>(folded.size()),
                      SQLITE_STATIC);
    sqlite3_bind_blob(upsert_.get(), 4, &number, sizeof number, SQLITE_STATIC);
    return inTransaction(upsert_);
  }

  bool remove(int64_t key, const std::string& folded) const {
    sqlite3_bind_int64(remove_.get(), 1, key);
    sqlite3_bind_blob(remove_.get(), 2, folded.data(), static_cast<int>(folded.size()),
                      SQLITE_STATIC);
    return inTransaction(remove_);
  }

 private:
  bool inTransaction(const Statement& bound) const {
    sqlite3_step(begin_.get());
    sqlite3_reset(begin_.get());
    const bool done = sqlite3_step(bound.get()) == SQLITE_DONE;
    sqlite3_reset(bound.get());
    const bool committed = sqlite3_step(commit_.get()) == SQLITE_DONE;
    sqlite3_reset(commit_.get());
    return done && committed;
  }

  Statement begin_;
  Statement commit_;
  Statement upsert_;
  Statement remove_;
};

void BM_FloorWrite(benchmark::State& state) {
  populate(state.range(0));
  const Connection db;
  const int64_t key = findKey(db.get(), benchKey("Values", state.range(0)));
  const std::string name = "floor-written";
  const std::string folded = foldName(name);
  const Writer writer(db.get());
  int32_t counter = 0;
  for (auto _ : state) {
    ++counter;
    if (!writer.replace(key, name, folded, counter)) state.SkipWithError("write failed");
  }
}

// Deletes a value that the untimed part of each iteration wrote, as the
// DeleteValue benchmark does.
void BM_FloorDelete(benchmark::State& state) {
  populate(state.range(0));
  const Connection db;
  const int64_t key = findKey(db.get(), benchKey("Values", state.range(0)));
  const std::string name = "floor-deleted";
  const std::string folded = foldName(name);
  const Writer writer(db.get());
  for (auto _ : state) {
    state.PauseTiming();
    writer.replace(key, name, folded, 1);
    state.ResumeTiming();
    if (!writer.remove(key, folded)) state.SkipWithError("delete failed");
  }
}

// Steps through every row the statement gives for the key, reading its
// columns as a listing would.
void walk(benchmark::State& state, const char* kind, const char* sql) {
  populate(state.range(0));
  const Connection db;
  const int64_t key = findKey(db.get(), benchKey(kind, state.range(0)));
  const Statement rows(db.get(), sql);
  for (auto _ : state) {
    sqlite3_bind_int64(rows.get(), 1, key);
    int64_t count = 0;
    while (sqlite3_step(rows.get()) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_text(rows.get(), 0));
      benchmark::DoNotOptimize(sqlite3_column_blob(rows.get(), 1));
      ++count;
    }
    sqlite3_reset(rows.get());
    benchmark::DoNotOptimize(count);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_FloorSubKeyWalk(benchmark::State& state) {
  walk(state, "Keys", "SELECT name, folded_name FROM keys WHERE parent = ?1 ORDER BY folded_name");
}

void BM_FloorValueWalk(benchmark::State& state) {
  walk(state, "Values", "SELECT name, data FROM key_values WHERE key = ?1 ORDER BY id");
}

BENCHMARK(BM_FloorPointLookup)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_FloorWrite)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_FloorDelete)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_FloorSubKeyWalk)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FloorValueWalk)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zarn::bench

BENCHMARK_MAIN();
