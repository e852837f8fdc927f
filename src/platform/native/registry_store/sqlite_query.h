// Thin RAII over SQLite's C interface: statements prepared once and reused,
// one use of a statement at a time, and transactions that roll back unless
// committed. Every failure becomes a SqliteError carrying SQLite's code.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zarn {

class SqliteError : public std::runtime_error {
 public:
  SqliteError(int code, const std::string& message);
  int code() const { return code_; }

 private:
  int code_;
};

// Throws SqliteError unless result is SQLITE_OK.
void checkSqlite(sqlite3* database, int result);

// Runs statements that return no rows.
void executeSql(sqlite3* database, const char* sql);

class CachedStatement {
 public:
  CachedStatement(sqlite3* database, const char* sql);
  ~CachedStatement();
  CachedStatement(const CachedStatement&) = delete;
  CachedStatement& operator=(const CachedStatement&) = delete;

  sqlite3_stmt* get() const { return statement_; }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

// One use of a cached statement: parameters are bound in order, rows are
// stepped through, and the statement is reset when the query goes away.
class Query {
 public:
  explicit Query(const CachedStatement& statement);
  ~Query();
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  Query& bind(int64_t value);
  Query& bindText(std::string_view text);
  Query& bindBlob(std::string_view bytes);

  // True when a row is ready, false when the statement is done.
  bool step();

  int64_t integer(int column) const;
  bool isNull(int column) const;
  std::string bytes(int column) const;

 private:
  sqlite3_stmt* statement_;
  int nextParameter_ = 1;
};

// A query kept open between calls, so that a reader going on from where it
// stopped takes one step instead of a new search. Where it was left is a
// position of the caller's choosing; resuming at any other position, or
// after stop(), gives nothing, and the caller starts afresh.
template <typename Position>
class ResumableQuery {
 public:
  ResumableQuery(sqlite3* database, const char* sql) : statement_(database, sql) {}

  // The open query, when it was left at position.
  Query* resume(const Position& position) {
    return query_ && position_ == position ? &*query_ : nullptr;
  }
  // A fresh use of the statement, to bind and step.
  Query& restart() {
    stop();
    return query_.emplace(statement_);
  }
  void leaveAt(Position position) { position_ = std::move(position); }
  void stop() {
    query_.reset();
    position_.reset();
  }

 private:
  CachedStatement statement_;
  std::optional<Query> query_;
  std::optional<Position> position_;
};

// The statements that begin and end transactions, prepared once per
// connection.
struct TransactionStatements {
  explicit TransactionStatements(sqlite3* database);

  CachedStatement begin;
  CachedStatement commit;
  CachedStatement rollback;
  CachedStatement savepoint;
  CachedStatement release;
  CachedStatement rollbackToSavepoint;
};

// BEGIN IMMEDIATE, so that a writer waits for the write lock at the start
// (under the busy timeout) instead of failing when it upgrades a read.
// Nested in a transaction that is already open it is a savepoint instead:
// commit hands its changes to the outer transaction, and without commit only
// its own changes are undone.
class Transaction {
 public:
  explicit Transaction(TransactionStatements& statements, bool nested = false);
  ~Transaction();
  Transaction(Transaction&& other) noexcept;
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void commit();

 private:
  TransactionStatements* statements_;
  bool nested_;
  bool open_ = true;
};

}  // namespace zarn
