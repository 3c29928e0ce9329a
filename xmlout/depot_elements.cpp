// Depots, their funds and the funds' transactions inside the import document.
#include <string>
#include <string_view>
#include <vector>

#include "xmlout/import_document.hpp"
#include "xmlout/transaction_element.hpp"

namespace korvun {

void ImportDocument::WriteDepotAdmin() {
  writer_->WriteTag("DepotVerw", tkStart);
  writer_->WriteElement("DV_Waehrung", "EUR");
  writer_->WriteTag("DepotVerw", tkEnd);
}

namespace {

std::string RowText(const NullableInt& value) { return value ? std::to_string(*value) : std::string(); }

}  // namespace

void ImportDocument::WriteCustomerDepots() {
  while (DepotContent* depot = data_->NextDepot()) WriteDepot(*depot);
}

void ImportDocument::WriteUnassignedDepots() {
  writer_->WriteTag("Depotdaten_Ohne_Zuordnung", tkStart);
  while (DepotContent* depot = data_->NextDepot()) {
    WriteDepot(*depot);
    ctx_.ui.ProcessPendingMessages();
  }
  writer_->WriteTag("Depotdaten_Ohne_Zuordnung", tkEnd);
}

void ImportDocument::WriteDepot(DepotContent& depot) {
  // The accounts come with transactions only, so each has a fund; one
  // without number is matched by no statement and never comes.
  const DepotRow& keys = depot.Keys();
  currentDepotNo_ = RowText(keys.number);
  currentAccountKind_ = keys.kind.value_or("");
  currentSubAccount_ = keys.sub.value_or("");
  const std::vector<DepotFund>& funds = depot.Funds();
  if (currentDepotNo_.empty() || funds.empty()) return;

  std::string name = currentDepotNo_;
  if (!currentAccountKind_.empty()) name += "_" + currentAccountKind_;
  if (!currentSubAccount_.empty()) name += "_" + currentSubAccount_;

  TXMLWriter& w = *writer_;
  w.WriteTag("Depot", tkStart);
  w.WriteElement("DP_Name", name);
  w.WriteElement("DP_ExtRef", name);
  w.WriteElement("DP_Type", "U");
  w.WriteElement("DP_Waehrung", "EUR");
  for (const DepotFund& fund : funds) {
    currentSecurity_ = fund.isin;
    if (currentSecurity_.empty()) currentSecurity_ = fund.wkn.value_or("");
    if (!currentSecurity_.empty()) WriteDepotValue(fund);
  }
  w.WriteTag("Depot", tkEnd);
}

void ImportDocument::WriteDepotValue(const DepotFund& fund) {
  // The fund's transactions are those whose ISIN, or WKN without ISIN,
  // equals the fund's key as text compares.
  const std::string_view key = WithoutTrailingBlanks(currentSecurity_);
  TXMLWriter& w = *writer_;
  bool first = true;
  data_->ForEachTransaction(key, [&](const TransactionValues& t) {
    if (first) {
      w.WriteTag("DepotWert", tkStart);
      w.WriteElement("DW_WertTyp", "FONDS");
      w.WriteElement("DW_WertName", fund.name.value_or(""));
      w.WriteElement("DW_WKN", currentSecurity_);
      first = false;
    }
    WriteTransaction(w, t);
  });
  if (first) return;  // the fund has no transactions here
  if (fund.units) w.WriteDoubleElement("DW_BESTAND_ANTEILE", 4, *fund.units);
  w.WriteTag("DepotWert", tkEnd);
}

}  // namespace korvun
