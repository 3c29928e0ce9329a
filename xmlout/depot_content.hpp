// One depot account as the document writes it, held while it is written:
// the funds that its transactions name, the holdings that give the funds'
// names and units, and its transactions in stored order, as many as a fixed
// bound allows. The rest of an account that is larger than that is read
// again from the database, fund by fund (DepotReader).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "staging/db_client.hpp"
#include "xmlout/staging_order.hpp"
#include "xmlout/transaction_element.hpp"

namespace korvun {

// A fund of a depot that has transactions there, with a matching holding:
// a row of the account's fund statement.
struct DepotFund {
  NullableText wkn;
  std::string isin;  // empty when missing
  NullableText name;
  NullableDouble units;
};

// coalesce(nullif(ISIN, ''), WKN) without trailing blanks: the key by which
// the statements match a fund.
NullableText FundKey(const NullableText& wkn, const NullableText& isin);

// A transaction with the fund it names, as read from its row.
struct FundTransaction {
  NullableText wkn, isin;
  TransactionFields fields;
};
// Where a result has the columns of a transaction with its fund.
struct FundTransactionColumns {
  explicit FundTransactionColumns(const DbRow& result);
  FundTransaction Read(const DbRow& row) const;
  int wkn, isin;
  TransactionColumns values;
};

class DepotContent {
 public:
  explicit DepotContent(size_t transactionBound) : bound_(transactionBound) {}

  // Begins an account: its keys as its row has them.
  void Begin(const DepotRow& keys);
  const DepotRow& Keys() const { return keys_; }

  // A holding of the account, in stored order.
  void AddHolding(const NullableText& wkn, const NullableText& isin, NullableText name, NullableDouble units);
  // A transaction of the account, in stored order: kept while the bound
  // allows; beyond it only its fund is noted.
  void AddTransaction(FundTransaction& t);
  // Every transaction of the account is kept.
  bool Complete() const { return complete_; }

  // The account's funds, distinct and ordered as its fund statement gives
  // them: the transactions' funds, each with every holding of its key, or
  // with none.
  const std::vector<DepotFund>& Funds();
  // The kept transactions of a fund key, in stored order.
  void ForEachTransaction(std::string_view fundKey,
                          const std::function<void(const TransactionValues&)>& use) const;

  // Holdings and transactions held now.
  size_t RowsHeld() const { return holdings_.size() + transactions_.size(); }

 private:
  struct FundNames {
    NullableText wkn, isin;
    NullableText key;
  };
  struct Holding {
    std::string key;
    NullableText name;
    NullableDouble units;
  };
  struct Kept {
    uint32_t fund;  // in transactionFunds_
    TransactionValues values;
  };

  const size_t bound_;
  DepotRow keys_;
  std::vector<FundNames> transactionFunds_;  // in the order of their first row
  uint32_t lastFund_ = 0;
  std::vector<Holding> holdings_;
  std::vector<Kept> transactions_;
  bool complete_ = true;
  std::vector<DepotFund> funds_;
  bool fundsOrdered_ = false;
};

}  // namespace korvun
