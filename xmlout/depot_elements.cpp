// Depots, their funds and the funds' transactions inside the import document.
#include <string>
#include <string_view>
#include <vector>

#include "xmlout/import_document.hpp"
#include "xmlout/import_queries.hpp"
#include "xmlout/result_guard.hpp"
#include "xmlout/transaction_element.hpp"

namespace korvun {

void ImportDocument::WriteDepotAdmin() {
  writer_->WriteTag("DepotVerw", tkStart);
  writer_->WriteElement("DV_Waehrung", "EUR");
  writer_->WriteTag("DepotVerw", tkEnd);
}

void ImportDocument::WriteCustomerDepots() {
  DbStatement& q = Query(qKdDepots_, sql::kKdDepots);
  q.SetText(0, currentCustomer_);
  // The depot keys are read completely first: writing a depot runs further
  // queries, and the customer's depots are few.
  struct Keys {
    std::string no, kind, sub;
  };
  std::vector<Keys> depots;
  {
    ResultGuard guard(q);
    q.Execute();
    while (q.Fetch())
      depots.push_back({q.AsText("DEPSTNR"), q.AsText("DEPKTOART"), q.AsText("DEPUNTERKTO")});
  }
  for (const Keys& k : depots) {
    currentDepotNo_ = k.no;
    currentAccountKind_ = k.kind;
    currentSubAccount_ = k.sub;
    WriteDepot();
  }
}

void ImportDocument::WriteUnassignedDepots() {
  writer_->WriteTag("Depotdaten_Ohne_Zuordnung", tkStart);
  DbStatement& q = Query(qKdDepotsOKZ_, sql::kKdDepotsOKZ);
  {
    ResultGuard guard(q);
    q.Execute();
    while (q.Fetch()) {
      currentDepotNo_ = q.AsText("DEPSTNR");
      currentAccountKind_ = q.AsText("DEPKTOART");
      currentSubAccount_ = q.AsText("DEPUNTERKTO");
      WriteDepot();
      ctx_.ui.ProcessPendingMessages();
    }
  }
  writer_->WriteTag("Depotdaten_Ohne_Zuordnung", tkEnd);
}

namespace {

// Text as the database compares it: trailing blanks do not count.
std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

void ImportDocument::WriteDepot() {
  // A depot account without number can be matched by no statement (null is
  // never equal); the empty text would not even convert to a number.
  if (currentDepotNo_.empty()) return;
  DbStatement& funds = Query(qDpWerte_, sql::kDpWerte);
  funds.SetText(0, currentDepotNo_);
  funds.SetText(1, currentAccountKind_);
  funds.SetText(2, currentSubAccount_);
  ResultGuard guard(funds);
  funds.Execute();
  if (!funds.Fetch()) return;
  ReadDepotTransactions();

  std::string name = currentDepotNo_;
  if (!currentAccountKind_.empty()) name += "_" + currentAccountKind_;
  if (!currentSubAccount_.empty()) name += "_" + currentSubAccount_;

  TXMLWriter& w = *writer_;
  w.WriteTag("Depot", tkStart);
  w.WriteElement("DP_Name", name);
  w.WriteElement("DP_ExtRef", name);
  w.WriteElement("DP_Type", "U");
  w.WriteElement("DP_Waehrung", "EUR");
  do {
    currentSecurity_ = funds.AsText("FONISIN");
    if (currentSecurity_.empty()) currentSecurity_ = funds.AsText("FONWKNEXT");
    if (!currentSecurity_.empty()) WriteDepotValue(funds);
  } while (funds.Fetch());
  w.WriteTag("Depot", tkEnd);
}

void ImportDocument::ReadDepotTransactions() {
  depotTransactions_.clear();
  DbStatement& q = Query(qDwTrans_, sql::kDwTrans);
  q.SetText(0, currentDepotNo_);
  q.SetText(1, currentAccountKind_);
  q.SetText(2, currentSubAccount_);
  ResultGuard guard(q);
  q.Execute();
  while (q.Fetch()) {
    FundTransaction& t = depotTransactions_.emplace_back();
    t.keyed = !q.IsNull("FONDKEY");
    if (t.keyed) t.key = WithoutTrailingBlanks(q.AsText("FONDKEY"));
    t.values = ReadTransaction(q);
  }
}

void ImportDocument::WriteDepotValue(const DbStatement& fund) {
  const std::string_view key = WithoutTrailingBlanks(currentSecurity_);
  TXMLWriter& w = *writer_;
  bool first = true;
  for (const FundTransaction& t : depotTransactions_) {
    if (!t.keyed || t.key != key) continue;
    if (first) {
      w.WriteTag("DepotWert", tkStart);
      w.WriteElement("DW_WertTyp", "FONDS");
      w.WriteElement("DW_WertName", fund.AsText("FONNAMELANG"));
      w.WriteElement("DW_WKN", currentSecurity_);
      first = false;
    }
    WriteTransaction(w, t.values);
  }
  if (first) return;  // the fund has no transactions here
  if (!fund.IsNull("BESTSTK")) w.WriteDoubleElement("DW_BESTAND_ANTEILE", 4, fund.AsDouble("BESTSTK"));
  w.WriteTag("DepotWert", tkEnd);
}

}  // namespace korvun
