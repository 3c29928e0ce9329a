#include "staging/staging_tables.hpp"

namespace korvun {

const StagingTable& HoldingsTable() {
  static const StagingTable table{"BESTAENDE", {
        {"VERBERNR", ColumnKind::kInteger},
        {"VERVOE1", ColumnKind::kText},
        {"VERVOE2", ColumnKind::kText},
        {"VERVOE3", ColumnKind::kText},
        {"DEPSTNR", ColumnKind::kInteger},
        {"DEPEINR", ColumnKind::kInteger},
        {"INHKDNR1", ColumnKind::kInteger},
        {"INHANREDE1", ColumnKind::kText},
        {"INHTITELTXT1", ColumnKind::kText},
        {"INHGESCH1", ColumnKind::kText},
        {"INHNACHNAME1", ColumnKind::kText},
        {"INHVORNAME1", ColumnKind::kText},
        {"INHPOSTERG1", ColumnKind::kText},
        {"INHSTRASSE1", ColumnKind::kText},
        {"INHPLZ1", ColumnKind::kText},
        {"INHORT1", ColumnKind::kText},
        {"INHLANDTXT1", ColumnKind::kText},
        {"INHTEL1", ColumnKind::kText},
        {"INHFAX1", ColumnKind::kText},
        {"INHEMAIL1", ColumnKind::kText},
        {"INHGEBTAG1", ColumnKind::kInteger},
        {"INHKDNR2", ColumnKind::kInteger},
        {"INHANREDE2", ColumnKind::kText},
        {"INHTITELTXT2", ColumnKind::kText},
        {"INHGESCH2", ColumnKind::kText},
        {"INHNACHNAME2", ColumnKind::kText},
        {"INHVORNAME2", ColumnKind::kText},
        {"INHPOSTERG2", ColumnKind::kText},
        {"INHSTRASSE2", ColumnKind::kText},
        {"INHPLZ2", ColumnKind::kText},
        {"INHORT2", ColumnKind::kText},
        {"INHLANDTXT2", ColumnKind::kText},
        {"INHTEL2", ColumnKind::kText},
        {"INHFAX2", ColumnKind::kText},
        {"INHEMAIL2", ColumnKind::kText},
        {"INHGEBTAG2", ColumnKind::kInteger},
        {"FONWKNEXT", ColumnKind::kText},
        {"FONISIN", ColumnKind::kText},
        {"FONNAMELANG", ColumnKind::kText},
        {"FONRUECKPREIS", ColumnKind::kFloat},
        {"FONPREISDAT", ColumnKind::kInteger},
        {"FONWAEHR", ColumnKind::kText},
        {"DEVKURS", ColumnKind::kFloat},
        {"DEVDAT", ColumnKind::kInteger},
        {"BESTSTK", ColumnKind::kFloat},
        {"BESTWERT_EUR", ColumnKind::kFloat},
        {"DEPRABATT", ColumnKind::kFloat},
        {"DEPGEBPROZ", ColumnKind::kFloat},
        {"DEPKTOART", ColumnKind::kText},
        {"DEPUNTERKTO", ColumnKind::kText},  }};
  return table;
}

// AUFTRAGTYPTXT and TEILAUFTRAGTYPTXT exist in the table but are never filled.
const StagingTable& TransactionsTable() {
  static const StagingTable table{"TRANSAKTIONEN", {
        {"TRAID", ColumnKind::kText},
        {"VERBERNR", ColumnKind::kInteger},
        {"VERVOE1", ColumnKind::kText},
        {"VERVOE2", ColumnKind::kText},
        {"VERVOE3", ColumnKind::kText},
        {"DEPSTNR", ColumnKind::kInteger},
        {"AUFTRAGTYP", ColumnKind::kInteger},
        {"TEILAUFTRAGTYP", ColumnKind::kInteger},
        {"TRADAT", ColumnKind::kInteger},
        {"FONPREISDAT", ColumnKind::kInteger},
        {"TRABETRAG", ColumnKind::kFloat},
        {"TRABETRAGEUR", ColumnKind::kFloat},
        {"TRAWAEHR", ColumnKind::kText},
        {"FONPREIS", ColumnKind::kFloat},
        {"FONRPREIS", ColumnKind::kFloat},
        {"TRABONPZ", ColumnKind::kFloat},
        {"FONAUSGABE", ColumnKind::kFloat},
        {"TRASTK", ColumnKind::kFloat},
        {"FONWKNEXT", ColumnKind::kText},
        {"FONISIN", ColumnKind::kText},
        {"TRAZWISCHGEW1", ColumnKind::kFloat},
        {"DEPKTOART", ColumnKind::kText},
        {"DEPUNTERKTO", ColumnKind::kText},  },
      "TRAID", "PK_TRANSAKTIONEN"};
  return table;
}

std::string ColumnList(const StagingTable& table) {
  std::string names;
  for (const auto& column : table.columns) names += (names.empty() ? "" : ", ") + std::string(column.name);
  return names;
}

std::string InsertSql(const StagingTable& table) {
  std::string params;
  for (const auto& column : table.columns) params += (params.empty() ? ":" : ", :") + std::string(column.name);
  return std::string("insert into ") + table.name + " (" + ColumnList(table) + ") values (" + params + ")";
}

}  // namespace korvun
