#include "xmlout/depot_content.hpp"

#include <algorithm>

#include "base/strings.hpp"

namespace korvun {
namespace {

int Order(const DepotFund& a, const DepotFund& b) {
  if (int c = Compare(a.wkn, b.wkn)) return c;
  if (int c = CompareText(a.isin, b.isin)) return c;
  if (int c = Compare(a.name, b.name)) return c;
  return Compare(a.units, b.units);
}

}  // namespace

NullableText FundKey(const NullableText& wkn, const NullableText& isin) {
  if (isin && !WithoutTrailingBlanks(*isin).empty()) return std::string(WithoutTrailingBlanks(*isin));
  if (wkn) return std::string(WithoutTrailingBlanks(*wkn));
  return std::nullopt;
}

FundTransactionColumns::FundTransactionColumns(const DbRow& result)
    : wkn(result.ColumnIndex("FONWKNEXT")), isin(result.ColumnIndex("FONISIN")), values(result) {}

FundTransaction FundTransactionColumns::Read(const DbRow& row) const {
  return {TextColumn(row, wkn), TextColumn(row, isin), ReadTransactionFields(row, values)};
}

void DepotContent::Begin(const DepotRow& keys) {
  keys_ = keys;
  transactionFunds_.clear();
  lastFund_ = 0;
  holdings_.clear();
  transactions_.clear();
  complete_ = true;
  funds_.clear();
  fundsOrdered_ = false;
}

void DepotContent::AddHolding(const NullableText& wkn, const NullableText& isin, NullableText name,
                              NullableDouble units) {
  NullableText key = FundKey(wkn, isin);
  if (key) holdings_.push_back({std::move(*key), std::move(name), units});
}

void DepotContent::AddTransaction(FundTransaction& t) {
  const auto same = [&](const FundNames& f) { return f.wkn == t.wkn && f.isin == t.isin; };
  // An account's rows mostly name the fund of the row before.
  if (lastFund_ >= transactionFunds_.size() || !same(transactionFunds_[lastFund_])) {
    const auto found = std::find_if(transactionFunds_.begin(), transactionFunds_.end(), same);
    lastFund_ = static_cast<uint32_t>(found - transactionFunds_.begin());
    if (found == transactionFunds_.end()) transactionFunds_.push_back({t.wkn, t.isin, FundKey(t.wkn, t.isin)});
  }
  if (transactions_.size() == bound_) complete_ = false;
  if (complete_) transactions_.push_back({lastFund_, TransactionValuesOf(std::move(t.fields))});
}

const std::vector<DepotFund>& DepotContent::Funds() {
  if (fundsOrdered_) return funds_;
  fundsOrdered_ = true;
  for (const FundNames& f : transactionFunds_) {
    const std::string isin = f.isin.value_or("");
    bool held = false;
    if (f.key) {
      for (const Holding& h : holdings_) {
        if (h.key != *f.key) continue;
        funds_.push_back({f.wkn, isin, h.name, h.units});
        held = true;
      }
    }
    if (!held) funds_.push_back({f.wkn, isin, std::nullopt, std::nullopt});
  }
  // As a distinct result: sorted, each row once.
  std::stable_sort(funds_.begin(), funds_.end(),
                   [](const DepotFund& a, const DepotFund& b) { return Order(a, b) < 0; });
  funds_.erase(std::unique(funds_.begin(), funds_.end(),
                           [](const DepotFund& a, const DepotFund& b) { return Order(a, b) == 0; }),
               funds_.end());
  return funds_;
}

void DepotContent::ForEachTransaction(std::string_view fundKey,
                                      const std::function<void(const TransactionValues&)>& use) const {
  for (const Kept& t : transactions_) {
    const NullableText& key = transactionFunds_[t.fund].key;
    if (key && *key == fundKey) use(t.values);
  }
}

}  // namespace korvun
