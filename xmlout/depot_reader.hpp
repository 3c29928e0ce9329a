// The depot accounts of the document, one at a time, from the transactions
// and the holdings that come in the document's order (import_queries.hpp):
// each customer row's accounts, then the accounts without customer. The
// results are read front to back side by side, the transactions a few
// batches ahead on a thread; an account is held while it is written
// (DepotContent), and nothing else.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "staging/db_client.hpp"
#include "staging/row_stream.hpp"
#include "xmlout/depot_content.hpp"

namespace korvun {

// The customer row an account is written for; both null for the accounts
// without customer.
struct AccountOwner {
  NullableInt customer, intermediary;
  bool operator==(const AccountOwner& o) const {
    return customer == o.customer && intermediary == o.intermediary;
  }
};

// Where an account's row belongs in the document.
struct AccountKey {
  AccountOwner owner;
  DepotRow depot;
};

class DepotReader {
 public:
  // Transactions read ahead at a time.
  static constexpr size_t kRowsPerBatch = 1024;
  // Transactions kept per account at most; the rest is read again.
  static constexpr size_t kTransactionBound = 8192;

  // `selection`: the customer statement's parameter texts. `unassigned`:
  // the accounts without customer follow. `pump` runs every few thousand
  // rows.
  // `turns`: the lock of the connection's streams (RowStream). `env`
  // starts the thread that reads the transactions ahead.
  DepotReader(Env& env, DbConnection& db, const std::vector<std::string>& selection, bool unassigned,
              std::function<void()> pump, std::mutex& turns, size_t rowsPerBatch = kRowsPerBatch,
              size_t transactionBound = kTransactionBound);

  // The owner's next account, read completely; null when the owner has no
  // more. Owners are asked for in the document's order.
  DepotContent* Next(const AccountOwner& owner);
  // The current account's transactions of a fund key, in stored order.
  void ForEachTransaction(std::string_view fundKey,
                          const std::function<void(const TransactionValues&)>& use);

  // The most rows held at one moment: the account being written and the
  // transactions read ahead.
  size_t MostRowsHeld() const;

 private:
  struct TransactionRow {
    AccountKey key;
    FundTransaction transaction;
  };
  struct HoldingRow {
    AccountKey key;
    NullableText wkn, isin, name;
    NullableDouble units;
  };
  std::unique_ptr<RowStream<TransactionRow>> Transactions(const std::string& sql,
                                                          const std::vector<std::string>& selection);
  std::unique_ptr<RowStream<HoldingRow>> Holdings(const std::string& sql,
                                                  const std::vector<std::string>& selection);
  void ReadHoldings(const AccountKey& key);
  void ReadAccountHoldings();
  DbStatement& Account(std::unique_ptr<DbStatement>& q, const std::string& sql);
  void Pump();

  DbConnection& db_;
  Env& env_;
  std::function<void()> pump_;
  long long rows_ = 0;
  std::mutex& turns_;
  const size_t rowsPerBatch_;
  bool unassignedToCome_;  // their rows are read after the customers'
  // The transactions' own attachment, where there is one: its thread then
  // reads while this one's results are read and written.
  std::unique_ptr<DbConnection> reading_;
  std::optional<AccountKey> last_;  // the account read last
  std::unique_ptr<RowStream<TransactionRow>> transactions_;
  std::unique_ptr<RowStream<HoldingRow>> holdings_;
  bool onTransaction_, onHolding_;  // the current rows are not taken yet
  DepotContent content_;
  size_t mostHeld_ = 0, mostAhead_ = 0, mostHoldings_ = 0;
  // One account read again by its keys.
  std::unique_ptr<DbStatement> accountTransactions_, accountHoldings_;
};

}  // namespace korvun
