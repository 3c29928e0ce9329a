#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/data_generator/provider_data.hpp"

namespace korvun::tools {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2)
    lines.push_back(text.substr(start, pos - start));
  EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> f;
  std::stringstream s(line);
  std::string part;
  while (std::getline(s, part, ';')) f.push_back(part);
  if (!line.empty() && line.back() == ';') f.push_back("");
  return f;
}

TEST(ProviderDataTest, IsinCheckDigitsOfRealIsins) {
  EXPECT_EQ(IsinCheckDigit("DE000321668"), '5');
  EXPECT_EQ(IsinCheckDigit("LU042798358"), '9');
  EXPECT_EQ(IsinCheckDigit("US037833100"), '5');  // a well-known share
}

TEST(ProviderDataTest, SameSeedSameFilesOtherSeedOtherFiles) {
  GeneratorOptions o;
  o.customers = 30;
  std::ostringstream h1, t1, h2, t2, h3, t3;
  GenerateProviderFiles(o, h1, t1);
  GenerateProviderFiles(o, h2, t2);
  o.seed = 2;
  GenerateProviderFiles(o, h3, t3);
  EXPECT_EQ(h1.str(), h2.str());
  EXPECT_EQ(t1.str(), t2.str());
  EXPECT_NE(t1.str(), t3.str());
}

TEST(ProviderDataTest, LinesHaveTheProvidersFieldCountsAndRealisticContent) {
  GeneratorOptions o;
  o.customers = 400;
  std::ostringstream h, t;
  const GeneratorCounts c = GenerateProviderFiles(o, h, t);
  const auto holdings = Lines(h.str());
  const auto transactions = Lines(t.str());
  ASSERT_EQ(holdings.size(), static_cast<size_t>(c.holdingLines) + 1);
  ASSERT_EQ(transactions.size(), static_cast<size_t>(c.transactionLines) + 1);
  for (const auto& l : holdings) ASSERT_EQ(Fields(l).size(), 51u) << l;
  for (const auto& l : transactions) ASSERT_EQ(Fields(l).size(), 24u) << l;

  std::set<std::string> isins, currencies, codes;
  bool umlaut = false, nullField = false, unitsNull = false;
  std::set<std::string> holdingDepots, transactionDepots;
  for (size_t i = 1; i < holdings.size(); ++i) {
    const auto f = Fields(holdings[i]);
    holdingDepots.insert(f[4]);
    if (f[39].size() == 12) {
      EXPECT_EQ(IsinCheckDigit(f[39].substr(0, 11)), f[39][11]) << f[39];
      isins.insert(f[39]);
    }
    umlaut = umlaut || std::any_of(f[12].begin(), f[12].end(),
                                   [](char ch) { return static_cast<unsigned char>(ch) >= 0xC0; });
    nullField = nullField || f[7] == "Null";
  }
  for (size_t i = 1; i < transactions.size(); ++i) {
    const auto f = Fields(transactions[i]);
    transactionDepots.insert(f[5]);
    currencies.insert(f[15]);
    codes.insert(f[8] + "/" + f[9]);
    unitsNull = unitsNull || f[20] == "Null";
    EXPECT_EQ(f[0].size(), 12u);
  }
  EXPECT_TRUE(umlaut);
  EXPECT_TRUE(nullField);
  EXPECT_TRUE(unitsNull) << "savings plans in amount mode";
  EXPECT_GT(isins.size(), 50u);
  EXPECT_TRUE(currencies.count("USD") && currencies.count("EUR"));
  EXPECT_TRUE(codes.count("78/5") && codes.count("40/1") && codes.count("20/2"));
  EXPECT_TRUE(codes.count("88/1")) << "a code the import drops";
  EXPECT_GT(c.depotsWithoutHoldings, 0);
  EXPECT_GT(transactionDepots.size(), holdingDepots.size());
}

}  // namespace
}  // namespace korvun::tools
