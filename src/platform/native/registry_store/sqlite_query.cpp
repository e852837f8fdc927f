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

bool Query::isNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::string Query::bytes(int column) const {
  const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
  const int size = sqlite3_column_bytes(statement_, column);
  return data ? std::string(data, static_cast<size_t>(size)) : std::string();
}

TransactionStatements::TransactionStatements(sqlite3* database)
    : begin(database, "BEGIN IMMEDIATE"),
      commit(database, "COMMIT"),
      rollback(database, "ROLLBACK"),
      savepoint(database, "SAVEPOINT change"),
      release(database, "RELEASE change"),
      rollbackToSavepoint(database, "ROLLBACK TO change") {}

Transaction::Transaction(TransactionStatements& statements, bool nested)
    : statements_(&statements), nested_(nested) {
  Query(nested_ ? statements_->savepoint : statements_->begin).step();
}

Transaction::Transaction(Transaction&& other) noexcept
    : statements_(other.statements_), nested_(other.nested_), open_(other.open_) {
  other.open_ = false;
}

Transaction::~Transaction() {
  if (!open_) return;
  // Errors are ignored: there is nothing left to undo them with.
  const auto run = [](const CachedStatement& statement) {
    sqlite3_step(statement.get());
    sqlite3_reset(statement.get());
  };
  if (nested_) {
    run(statements_->rollbackToSavepoint);
    run(statements_->release);
  } else {
    run(statements_->rollback);
  }
}

void Transaction::commit() {
  Query(nested_ ? statements_->release : statements_->commit).step();
  open_ = false;
}

}  // namespace zarn
