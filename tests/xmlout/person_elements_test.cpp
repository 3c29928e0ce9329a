// Person, contact and depot details of single customers.
#include <gtest/gtest.h>

#include "staging_fixture.hpp"

namespace korvun::xmltest {
namespace {

class PersonElementsTest : public StagingFixture {
 protected:
  void Person(int32_t customer, const Row& person, int32_t depot = 1,
              const std::string& kind = "", const std::string& sub = "") {
    Row row{{"VERBERNR", 1},
            {"VERVOE1", std::string("12345")},
            {"INHKDNR1", customer},
            {"DEPSTNR", depot},
            {"DEPKTOART", kind},
            {"DEPUNTERKTO", sub},
            {"FONISIN", std::string("DE0001234567")}};
    row.insert(row.end(), person.begin(), person.end());
    Holding(row);
  }
  std::string Document() {
    db_->CommitRetaining();
    EXPECT_EQ(Run(Args("12345", 0, Day(2024, 6, 15))), ExportErrorCode::kSuccess);
    return Output();
  }
  // The Kundendaten element of one customer.
  static std::string CustomerPart(const std::string& doc, int customer) {
    const size_t at = doc.find("<K_ExtRef>" + std::to_string(customer) + "</K_ExtRef>");
    if (at == std::string::npos) return "";
    const size_t begin = doc.rfind("<Kundendaten>", at);
    const size_t end = doc.find("</Kundendaten>", at);
    return doc.substr(begin, end - begin);
  }
};

TEST_F(PersonElementsTest, BirthDates) {
  Person(1, {{"INHGEBTAG1", 19650312}});
  Person(2, {{"INHGEBTAG1", 0}});
  Person(3, {{"INHGEBTAG1", Null{}}});
  Person(4, {{"INHGEBTAG1", 650312}});
  Person(5, {{"INHGEBTAG1", 19651332}});
  const std::string doc = Document();
  EXPECT_NE(CustomerPart(doc, 1).find("<P_GeburtsDatum>1965-03-12</P_GeburtsDatum>"),
            std::string::npos);
  for (int c = 2; c <= 5; ++c)
    EXPECT_NE(CustomerPart(doc, c).find("\r\n      <P_GeburtsDatum />\r\n"), std::string::npos) << c;
}

TEST_F(PersonElementsTest, SexOnlyForExactMOrW) {
  Person(1, {{"INHGESCH1", std::string("w")}});
  Person(2, {{"INHGESCH1", std::string("W ")}});
  Person(3, {{"INHGESCH1", std::string("W")}});
  Person(4, {{"INHGESCH1", std::string("M")}});
  Person(5, {{"INHGESCH1", std::string("X")}});
  const std::string doc = Document();
  EXPECT_EQ(CustomerPart(doc, 1).find("P_Geschlecht"), std::string::npos);
  EXPECT_EQ(CustomerPart(doc, 2).find("P_Geschlecht"), std::string::npos);
  EXPECT_NE(CustomerPart(doc, 3).find("<P_Geschlecht>W</P_Geschlecht>"), std::string::npos);
  EXPECT_NE(CustomerPart(doc, 4).find("<P_Geschlecht>M</P_Geschlecht>"), std::string::npos);
  EXPECT_EQ(CustomerPart(doc, 5).find("P_Geschlecht"), std::string::npos);
}

TEST_F(PersonElementsTest, EmptyTextsLeaveTheirElementsOut) {
  Person(1, {{"INHNACHNAME1", std::string("Nur")}});
  const std::string part = CustomerPart(Document(), 1);
  EXPECT_NE(part.find("<P_Nachname>Nur</P_Nachname>"), std::string::npos);
  for (const char* name : {"P_Vorname", "P_Titel", "P_Anrede", "TeleKontakt", "AN_Strasse",
                           "AN_PLZ", "AN_Ort"})
    EXPECT_EQ(part.find(name), std::string::npos) << name;
  EXPECT_NE(part.find("<AN_Standard>JA</AN_Standard>"), std::string::npos);
}

TEST_F(PersonElementsTest, AllThreeContactsInOrderWithPrivatOnlyForTheTelephone) {
  Person(1, {{"INHTEL1", std::string("1")},
             {"INHFAX1", std::string("2")},
             {"INHEMAIL1", std::string("a@b.de")}});
  const std::string part = CustomerPart(Document(), 1);
  const size_t tel = part.find("<TK_Art>TEL</TK_Art>");
  const size_t fax = part.find("<TK_Art>FAX</TK_Art>");
  const size_t mail = part.find("<TK_Art>EMAIL</TK_Art>");
  ASSERT_NE(tel, std::string::npos);
  EXPECT_LT(tel, fax);
  EXPECT_LT(fax, mail);
  EXPECT_EQ(part.find("Privat", fax), std::string::npos);
  EXPECT_NE(part.find("<Privat>JA</Privat>"), std::string::npos);
}

TEST_F(PersonElementsTest, DepotsWithoutTransactionsAreLeftOut) {
  Person(1, {}, 10, "", "");
  Person(1, {}, 11, "", "");
  Transaction({{"TRAID", std::string("1")},
               {"DEPSTNR", 11},
               {"DEPKTOART", std::string("")},
               {"DEPUNTERKTO", std::string("")},
               {"AUFTRAGTYP", 10},
               {"TEILAUFTRAGTYP", 1},
               {"TRASTK", 1.0},
               {"FONISIN", std::string("DE0001234567")}});
  const std::string part = CustomerPart(Document(), 1);
  EXPECT_EQ(part.find("<DP_Name>10</DP_Name>"), std::string::npos);
  EXPECT_NE(part.find("<DP_Name>11</DP_Name>"), std::string::npos);
  EXPECT_NE(part.find("<DP_ExtRef>11</DP_ExtRef>"), std::string::npos);
}

TEST_F(PersonElementsTest, DepotNameWithEmptyKindKeepsTheSubAccount) {
  Person(1, {}, 4711, "", "002");
  Transaction({{"TRAID", std::string("1")},
               {"DEPSTNR", 4711},
               {"DEPKTOART", std::string("")},
               {"DEPUNTERKTO", std::string("002")},
               {"AUFTRAGTYP", 10},
               {"TEILAUFTRAGTYP", 1},
               {"TRASTK", 1.0},
               {"FONISIN", std::string("DE0001234567")}});
  EXPECT_NE(Document().find("<DP_Name>4711_002</DP_Name>"), std::string::npos);
}

TEST_F(PersonElementsTest, ProgressOverFourCustomers) {
  for (int c = 1; c <= 4; ++c) Person(c, {});
  Document();
  std::vector<int> positions;
  for (const Report& r : Reports())
    if (r.kind == 2) positions.push_back(r.value);
  EXPECT_EQ(positions, (std::vector<int>{76, 82, 89, 95}));
}

// A holding without a customer number is counted as the last customer and
// written as none, so the numbered customers report the first steps.
TEST_F(PersonElementsTest, CustomerWithoutNumberComesLast) {
  Person(2, {});
  Holding({{"VERBERNR", 1}, {"VERVOE1", std::string("12345")}, {"INHKDNR1", Null{}},
           {"DEPSTNR", 9}, {"FONISIN", std::string("DE0001234567")}});
  Person(1, {});
  Document();
  std::vector<int> positions;
  for (const Report& r : Reports())
    if (r.kind == 2) positions.push_back(r.value);
  EXPECT_EQ(positions, (std::vector<int>{78, 87}));
}

}  // namespace
}  // namespace korvun::xmltest
