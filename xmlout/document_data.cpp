#include "xmlout/document_data.hpp"

#include <algorithm>
#include <charconv>
#include <unordered_set>

#include "xmlout/import_queries.hpp"
#include "xmlout/result_guard.hpp"

namespace korvun {
namespace {

constexpr long long kRowsPerPump = 8192;

void AppendPart(std::string& key, std::string_view part) {
  part = WithoutTrailingBlanks(part);
  key += std::to_string(part.size());
  key += ':';
  key += part;
}

// A depot account as a statement parameter matches it: the number by value,
// the texts without trailing blanks. Null matches no parameter, so only
// accounts with all three keys have one.
std::string DepotKey(int64_t number, std::string_view kind, std::string_view sub) {
  std::string key = std::to_string(number);
  key += '|';
  AppendPart(key, kind);
  AppendPart(key, sub);
  return key;
}

std::string FundKey(const std::string& depotKey, std::string_view fund) {
  std::string key = depotKey;
  AppendPart(key, fund);
  return key;
}

// coalesce(nullif(ISIN, ''), WKN), as the statements match a fund.
NullableText FundOf(const NullableText& wkn, const NullableText& isin) {
  if (isin && !WithoutTrailingBlanks(*isin).empty()) return std::string(WithoutTrailingBlanks(*isin));
  if (wkn) return std::string(WithoutTrailingBlanks(*wkn));
  return std::nullopt;
}

int Order(const DepotRow& a, const DepotRow& b) {
  if (int c = Compare(a.number, b.number)) return c;
  if (int c = Compare(a.kind, b.kind)) return c;
  return Compare(a.sub, b.sub);
}

// In the person statement's column order.
int Order(const PersonRow& a, const PersonRow& b) {
  using Text = NullableText PersonRow::*;
  static const Text kBeforeBirth[] = {&PersonRow::given, &PersonRow::surname, &PersonRow::sex};
  static const Text kAfterBirth[] = {&PersonRow::title, &PersonRow::street, &PersonRow::postcode,
                                     &PersonRow::town,  &PersonRow::country, &PersonRow::phone,
                                     &PersonRow::fax,   &PersonRow::email,   &PersonRow::salutation};
  for (Text m : kBeforeBirth)
    if (int c = Compare(a.*m, b.*m)) return c;
  if (int c = Compare(a.birthDate, b.birthDate)) return c;
  for (Text m : kAfterBirth)
    if (int c = Compare(a.*m, b.*m)) return c;
  return 0;
}

int Order(const DepotFund& a, const DepotFund& b) {
  if (int c = Compare(a.wkn, b.wkn)) return c;
  if (int c = CompareText(a.isin, b.isin)) return c;
  if (int c = Compare(a.name, b.name)) return c;
  return Compare(a.units, b.units);
}

// Sorted, each row once: as a distinct result.
template <typename T>
void MakeDistinct(std::vector<T>& rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const T& a, const T& b) { return Order(a, b) < 0; });
  rows.erase(std::unique(rows.begin(), rows.end(),
                         [](const T& a, const T& b) { return Order(a, b) == 0; }),
             rows.end());
}

// Where a result has a depot account's keys.
struct DepotColumns {
  explicit DepotColumns(const DbStatement& q)
      : number(q.ColumnIndex("DEPSTNR")), kind(q.ColumnIndex("DEPKTOART")), sub(q.ColumnIndex("DEPUNTERKTO")) {}
  int number, kind, sub;
};

DepotRow ReadDepotRow(const DbStatement& row, const DepotColumns& c) {
  return {IntColumn(row, c.number), TextColumn(row, c.kind), TextColumn(row, c.sub)};
}

bool SameRow(const DepotRow& a, const DepotRow& b) {
  return a.number == b.number && a.kind == b.kind && a.sub == b.sub;
}

// The key of an account with all three keys; none otherwise.
std::optional<std::string> KeyOf(const DepotRow& d) {
  if (!d.number || !d.kind || !d.sub) return std::nullopt;
  return DepotKey(*d.number, *d.kind, *d.sub);
}

// The same account as its texts, distinct null included.
std::string RowIdentity(const DepotRow& d) {
  std::string id;
  id += d.number ? 'n' : '-';
  if (d.number) id += std::to_string(*d.number);
  for (const NullableText* t : {&d.kind, &d.sub}) {
    id += *t ? '|' : '-';
    if (*t) AppendPart(id, **t);
  }
  return id;
}

}  // namespace

void DocumentData::Load(DbConnection& db, const std::vector<std::string>& customers, bool unassigned,
                        const std::function<void()>& pump) {
  ReadHoldings(db, customers, pump);
  ReadTransactions(db, unassigned, pump);
  for (auto& [key, depot] : depots_) OrderFunds(depot, key);
}

void DocumentData::ReadHoldings(DbConnection& db, const std::vector<std::string>& customers,
                                const std::function<void()>& pump) {
  const std::unordered_set<std::string> wanted(customers.begin(), customers.end());
  auto q = db.Prepare(sql::kHoldings);
  const auto at = [&](const char* column) { return q->ColumnIndex(column); };
  const int customerAt = at("INHKDNR1"), wknAt = at("FONWKNEXT"), isinAt = at("FONISIN"),
            nameAt = at("FONNAMELANG"), unitsAt = at("BESTSTK");
  const int personAt[] = {at("INHVORNAME1"), at("INHNACHNAME1"), at("INHGESCH1"),   at("INHGEBTAG1"),
                          at("INHTITELTXT1"), at("INHSTRASSE1"), at("INHPLZ1"),     at("INHORT1"),
                          at("INHLANDTXT1"), at("INHTEL1"),     at("INHFAX1"),     at("INHEMAIL1"),
                          at("INHANREDE1")};
  const DepotColumns depotAt(*q);
  ResultGuard guard(*q);
  q->Execute();
  for (long long n = 1; q->Fetch(); ++n) {
    if (n % kRowsPerPump == 0) pump();
    const NullableText customer = TextColumn(*q, customerAt);
    const DepotRow depot = ReadDepotRow(*q, depotAt);
    if (customer && wanted.count(*customer)) {
      const auto text = [&](int i) { return TextColumn(*q, personAt[i]); };
      PersonRow p{text(0), text(1), text(2), IntColumn(*q, personAt[3]), text(4), text(5), text(6),
                  text(7), text(8), text(9), text(10), text(11), text(12)};
      // The person statement's rows are distinct and sorted; its first is
      // the least.
      auto [found, added] = persons_.try_emplace(*customer, std::move(p));
      if (!added && Order(p, found->second) < 0) found->second = std::move(p);
      customerDepots_[*customer].push_back(depot);
    }
    const std::optional<std::string> key = KeyOf(depot);
    if (!key) continue;
    bool& withoutCustomer = holdingWithoutCustomer_[*key];
    withoutCustomer = withoutCustomer || !customer;
    const NullableText fund = FundOf(TextColumn(*q, wknAt), TextColumn(*q, isinAt));
    if (fund) holdings_[FundKey(*key, *fund)].push_back({TextColumn(*q, nameAt), DoubleColumn(*q, unitsAt)});
  }
  for (auto& [customer, depots] : customerDepots_) MakeDistinct(depots);
}

void DocumentData::ReadTransactions(DbConnection& db, bool unassigned,
                                    const std::function<void()>& pump) {
  // The accounts the document visits: the customers' ones (their texts as
  // parameters, so a missing kind is the empty text), or every one.
  std::unordered_set<std::string> wanted;
  for (const auto& [customer, depots] : customerDepots_)
    for (const DepotRow& d : depots)
      if (d.number) wanted.insert(DepotKey(*d.number, d.kind.value_or(""), d.sub.value_or("")));

  std::unordered_set<std::string> seenAccounts;
  std::vector<DepotRow> accounts;
  auto q = db.Prepare(sql::kTransactions);
  const DepotColumns depotAt(*q);
  const int wknAt = q->ColumnIndex("FONWKNEXT"), isinAt = q->ColumnIndex("FONISIN");
  const TransactionColumns transactionAt(*q);
  ResultGuard guard(*q);
  q->Execute();
  // A depot account's rows mostly follow each other: its key and fund are
  // looked up once per run of rows.
  DepotRow lastAccount;
  Depot* depot = nullptr;
  uint32_t lastFund = 0;
  for (long long n = 1; q->Fetch(); ++n) {
    if (n % kRowsPerPump == 0) pump();
    DepotRow account = ReadDepotRow(*q, depotAt);
    if (n == 1 || !SameRow(account, lastAccount)) {
      if (unassigned && seenAccounts.insert(RowIdentity(account)).second) accounts.push_back(account);
      const std::optional<std::string> key = KeyOf(account);
      depot = key && (unassigned || wanted.count(*key)) ? &depots_[*key] : nullptr;
      lastFund = 0;
      lastAccount = std::move(account);
    }
    if (!depot) continue;
    Depot::FundNames names{TextColumn(*q, wknAt), TextColumn(*q, isinAt), std::nullopt};
    const auto same = [&](const Depot::FundNames& f) { return f.wkn == names.wkn && f.isin == names.isin; };
    auto& funds = depot->transactionFunds;
    if (lastFund >= funds.size() || !same(funds[lastFund])) {
      const auto found = std::find_if(funds.begin(), funds.end(), same);
      lastFund = static_cast<uint32_t>(found - funds.begin());
      if (found == funds.end()) {
        names.key = FundOf(names.wkn, names.isin);
        funds.push_back(std::move(names));
      }
    }
    const uint32_t at = transactions_.size();
    transactions_.push_back(StoredTransaction(ReadTransaction(*q, transactionAt), lastFund, longTexts_));
    if (!depot->runs.empty() && depot->runs.back().first + depot->runs.back().count == at) {
      ++depot->runs.back().count;
    } else {
      depot->runs.push_back({at, 1});
    }
  }

  MakeDistinct(accounts);
  for (const DepotRow& a : accounts) {
    const std::optional<std::string> key = KeyOf(a);
    const auto holdings = key ? holdingWithoutCustomer_.find(*key) : holdingWithoutCustomer_.end();
    if (holdings == holdingWithoutCustomer_.end() || holdings->second) unassigned_.push_back(a);
  }
}

void DocumentData::OrderFunds(Depot& depot, const std::string& depotKey) const {
  for (const Depot::FundNames& f : depot.transactionFunds) {
    const std::string isin = f.isin.value_or("");
    const auto held = f.key ? holdings_.find(FundKey(depotKey, *f.key)) : holdings_.end();
    if (held == holdings_.end()) {
      depot.funds.push_back({f.wkn, isin, std::nullopt, std::nullopt});
      continue;
    }
    for (const Holding& h : held->second) depot.funds.push_back({f.wkn, isin, h.name, h.units});
  }
  MakeDistinct(depot.funds);
}

void DocumentData::ForEachTransaction(const Depot& depot, std::string_view fundKey,
                                      const std::function<void(const TransactionValues&)>& use) const {
  for (const Depot::Run& run : depot.runs) {
    for (uint32_t i = run.first; i < run.first + run.count; ++i) {
      const StoredTransaction& t = transactions_[i];
      const NullableText& key = depot.transactionFunds[t.fund()].key;
      if (key && *key == fundKey) use(t.Values(longTexts_));
    }
  }
}

const PersonRow* DocumentData::Person(const std::string& customer) const {
  const auto it = persons_.find(customer);
  return it == persons_.end() ? nullptr : &it->second;
}

const std::vector<DepotRow>& DocumentData::CustomerDepots(const std::string& customer) const {
  static const std::vector<DepotRow> kNone;
  const auto it = customerDepots_.find(customer);
  return it == customerDepots_.end() ? kNone : it->second;
}

const Depot* DocumentData::FindDepot(const std::string& number, const std::string& kind,
                                     const std::string& sub) const {
  int64_t value = 0;
  const char* end = number.data() + number.size();
  const auto [ptr, ec] = std::from_chars(number.data(), end, value);
  if (ec != std::errc() || ptr != end) return nullptr;
  const auto it = depots_.find(DepotKey(value, kind, sub));
  return it == depots_.end() ? nullptr : &it->second;
}

}  // namespace korvun
