// The statements that read the staging tables for the import file.
#pragma once

namespace korvun::sql {

// Customers of the adviser reference, by one, two or three intermediary levels.
// Holdings without a customer number come last, where the staging engine the
// document was first written with sorts them.
inline constexpr const char* kKundenVOE1 =
    "select distinct VERBERNR, INHKDNR1 from BESTAENDE where VERVOE1 = :parVERVOE1 "
    "order by INHKDNR1 nulls last";
inline constexpr const char* kKundenVOE2 =
    "select distinct VERBERNR, INHKDNR1 from BESTAENDE where VERVOE1 = :parVERVOE1 "
    "and VERVOE2 = :parVERVOE2 order by INHKDNR1 nulls last";
inline constexpr const char* kKundenVOE3 =
    "select distinct VERBERNR, INHKDNR1 from BESTAENDE where VERVOE1 = :parVERVOE1 "
    "and VERVOE2 = :parVERVOE2 and VERVOE3 = :parVERVOE3 order by INHKDNR1 nulls last";

// Every holding with the first holder's person data, the depot account and
// the fund, read once: the document groups them by customer (person and
// depot accounts), by depot account and fund (the funds' names and units)
// and by depot account (whether a customer holds it).
inline constexpr const char* kHoldings =
    "select INHKDNR1, INHVORNAME1, INHNACHNAME1, INHGESCH1, INHGEBTAG1, INHTITELTXT1, "
    "INHSTRASSE1, INHPLZ1, INHORT1, INHLANDTXT1, INHTEL1, INHFAX1, INHEMAIL1, INHANREDE1, "
    "DEPSTNR, DEPKTOART, DEPUNTERKTO, FONWKNEXT, FONISIN, FONNAMELANG, BESTSTK from BESTAENDE";

// Every transaction in the order the rows are stored, with its depot account
// and fund; the document groups them by depot account and fund.
inline constexpr const char* kTransactions =
    "select DEPSTNR, DEPKTOART, DEPUNTERKTO, FONWKNEXT, FONISIN, TRAID, AUFTRAGTYP, "
    "TEILAUFTRAGTYP, TRAWAEHR, FONPREISDAT, FONPREIS, FONRPREIS, TRASTK, TRABETRAG, "
    "TRABETRAGEUR, FONAUSGABE, TRABONPZ from TRANSAKTIONEN";

}  // namespace korvun::sql
