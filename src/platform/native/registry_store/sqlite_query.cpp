#include "platform/native/registry_store/sqlite_query.h"

namespace zarn {

SqliteError::SqliteError(int code, const std::string& message)
    : std::runtime_error(message), code_(code) {}

void checkSqlite(sqlite3* database, int result) {
  if (result != SQLITE_OK) throw SqliteError(result, sqlite3_errmsg(database));
}

void executeSql(sqlite3* database, const char* sql) {
  checkSqlite(database, sqlite3_exec(database, sql, nullptr, nullptr, nullptr));
}

CachedStatement::CachedStatement(sqlite3* database, const char* sql) {
  checkSqlite(database, sqlite3_prepare_v3(database, sql, -1, SQLITE_PREPARE_PERSISTENT,
                                           &statement_, nullptr));
}

CachedStatement::~CachedStatement() { sqlite3_finalize(statement_); }

Query::Query(const CachedStatement& statement) : statement_(statement.get()) {}

Query::~Query() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

Query& Query::bind(int64_t value) {
  checkSqlite(sqlite3_db_handle(statement_),
              sqlite3_bind_int64(statement_, nextParameter_++, value));
  return *this;
}

Query& Query::bindText(std::string_view text) {
  // A null pointer would bind NULL; an empty text must stay an empty text.
  checkSqlite(sqlite3_db_handle(statement_),
              sqlite3_bind_text(statement_, nextParameter_++, text.empty() ? "" : text.data(),
                                static_cast<int>(text.size()), SQLITE_TRANSIENT));
  return *this;
}

Query& Query::bindBlob(std::string_view bytes) {
  const int parameter = nextParameter_++;
  const int result = bytes.empty()
                         ? sqlite3_bind_zeroblob(statement_, parameter, 0)
                         : sqlite3_bind_blob(statement_, parameter, bytes.data(),
                                             static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  checkSqlite(sqlite3_db_handle(statement_), result);
  return *this;
}

bool Query::step() {
  const int result = sqlite3_step(statement_);
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  sqlite3* database = sqlite3_db_handle(statement_);
  throw SqliteError(result, sqlite3_errmsg(database));
}

int64_t Query::integer(int column) const { return sqlite3_column_int64(statement_, column); }

std::string Query::bytes(int column) const {
  const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
  const int size = sqlite3_column_bytes(statement_, column);
  return data ? std::string(data, static_cast<size_t>(size)) : std::string();
}

Transaction::Transaction(sqlite3* database, bool nested) : database_(database), nested_(nested) {
  executeSql(database_, nested_ ? "SAVEPOINT change" : "BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
  if (!open_) return;
  const char* undo = nested_ ? "ROLLBACK TO change; RELEASE change" : "ROLLBACK";
  sqlite3_exec(database_, undo, nullptr, nullptr, nullptr);
}

void Transaction::commit() {
  executeSql(database_, nested_ ? "RELEASE change" : "COMMIT");
  open_ = false;
}

}  // namespace zarn
