// The built package as a host sees it: its identity and what it exports.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "api/PackageInfo.h"
#include "testkit/PackageImage.h"

namespace {

std::vector<std::string> Strings(const char* const* items, std::uint32_t count) {
  return {items, items + count};
}

TEST(Package, DeclaresItsIdentity) {
  const zeb::test::PackageImage package(ZEB_PACKAGE_PATH);
  ASSERT_EQ(package.Error(), "");
  auto getInfo = reinterpret_cast<ZebPackageInfoProc>(package.Symbol(kPackageInfoSymbol));
  ASSERT_NE(getInfo, nullptr);
  const ZebPackageInfo* info = getInfo();
  EXPECT_EQ(info->structSize, sizeof(ZebPackageInfo));
  EXPECT_STREQ(info->name, "ZEB_IDE_Addin_2007");
  EXPECT_STREQ(info->description, "Pellix IDE-Addin V0.3 for RAD2007");
  EXPECT_TRUE(info->designOnly);
  EXPECT_EQ(Strings(info->requiredPackages, info->requiredPackageCount),
            (std::vector<std::string>{"vclx100.bpl", "vclactnband100.bpl", "xmlrtl100.bpl",
                                      "designide100.bpl", "vcl100.bpl", "rtl100.bpl"}));
  EXPECT_EQ(Strings(info->containedUnits, info->containedUnitCount),
            (std::vector<std::string>{"ZEB_IDE_Addin_2007", "Form_Info", "SysInit", "uTrace",
                                      "HotKeyMain2007"}));
  const ZebVersionRecord& v = info->version;
  EXPECT_EQ(std::vector<int>(v.fileVersion, v.fileVersion + 4), (std::vector<int>{1, 0, 0, 0}));
  EXPECT_EQ(std::vector<int>(v.productVersion, v.productVersion + 4),
            (std::vector<int>{1, 0, 0, 0}));
  EXPECT_EQ(v.languageId, 0x0412);
  EXPECT_EQ(v.codePage, 949);
  ASSERT_GT(v.stringCount, 0u);
  for (std::uint32_t i = 0; i < v.stringCount; ++i)
    EXPECT_STREQ(v.stringValues[i], "") << v.stringNames[i];
}

bool HasSymbolStartingWith(const std::set<std::string>& symbols, const std::string& prefix) {
  for (const auto& s : symbols)
    if (s.rfind(prefix, 0) == 0) return true;
  return false;
}

TEST(Package, ExportsItsEntryPointsAndTheDialogClassButNotItsInternals) {
  const zeb::test::PackageImage package(ZEB_PACKAGE_PATH);
  ASSERT_EQ(package.Error(), "");
  const std::set<std::string> symbols = package.Exports();
  ASSERT_FALSE(symbols.empty()) << "no exports listed";
  for (const char* name : {"Register", "Initialize", "Finalize", "ZebGetPackageInfo",
                           "TFormInfo::DispInfo()", "TFormInfo::FormCreate(zeb::TComponent*)"})
    EXPECT_EQ(symbols.count(name), 1u) << name;
  int addOverloads = 0;
  for (const auto& s : symbols)
    if (s.rfind("TFormInfo::add(", 0) == 0) ++addOverloads;
  EXPECT_EQ(addOverloads, 4);
  for (const char* internal : {"IndentBlock", "LowerCaseBlock", "ShowFormInfo", "TMyHotkey::",
                               "LoadFormInfoLayout", "IndentMagnitude", "FinalizeHotKeyMain2007"})
    EXPECT_FALSE(HasSymbolStartingWith(symbols, internal)) << internal << " is exported";
}

}  // namespace
