// IndentBlock and LowerCaseBlock: which view's block, by how much, and every way they stop.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "addin/hotkeys/BlockCommands.h"
#include "runtime/Exceptions.h"
#include "tests/addin/FakeIde.h"

namespace zeb {

namespace {

using Calls = std::vector<std::string>;

// The rows run one after another in one process, so that the answer kept for one name meets the
// next (names of the same length among them).
TEST(IndentMagnitude, FollowsTheLowerCasedExtensionOfTheFirstFile) {
  const struct {
    const char* fileName;
    int direction;
    int magnitude;
  } rows[] = {
      {"Unit1.pas", +1, 2},
      {"UNIT1.PAS", -1, -2},
      {"Unit1.cpp", +1, 4},
      {"Main.cpp", +1, 4},
      {"Main.h", -1, -4},
      {"Project1.dpr", +1, 4},
      {"notes.pas.bak", +1, 4},
      {"Makefile", +1, 4},
      {"C:\\src.old\\Makefile", +1, 4},
      {"/home/kim/src.pas/Makefile", -1, -4},
      {"/home/kim/v1.2/Unit1.Pas", +1, 2},
      {"C:\\src\\a.pas", -1, -2},
      {"D:unit.pas", +1, 2},
      {"Unit1.pass", +1, 4},
      {".pas", +1, 2},
      {"", +1, 4},
  };
  for (const auto& row : rows) {
    fake::FakeIde ide;
    ide.SetUpSourceModule(row.fileName);
    ide.block->valid = true;
    EXPECT_TRUE(IndentBlock(row.direction)) << row.fileName;
    EXPECT_EQ(ide.CallsMatching(".Indent("),
              Calls{"Block0.Indent(" + std::to_string(row.magnitude) + ")"})
        << row.fileName;
  }
}

TEST(IndentBlock, CallsTheIdeInOrderAndIndentsTheTopView) {
  fake::FakeIde ide;
  ide.SetUpSourceModule("Unit1.pas");
  ide.block->valid = true;
  EXPECT_TRUE(IndentBlock(+1));
  EXPECT_EQ(ide.log, (Calls{
                         "Services.QueryInterface(IOTAModuleServices)",
                         "Services.CurrentModule",
                         "Module.GetModuleFileEditor(0)",
                         "SourceEditor.QueryInterface(IOTASourceEditor)",
                         "SourceEditor.GetFileName",
                         "SourceEditor.GetEditView(0)",
                         "Services.QueryInterface(IOTAEditorServices)",
                         "Services.GetTopView",
                         "View0.GetBlock",
                         "Block0.GetIsValid",
                         "View0.GetBlock",
                         "Block0.Indent(2)",
                         "View0.Paint",
                     }));
}

// Two views: the source editor's first view and a different top view (a companion file, or a
// second view of the same file).
struct TwoViews {
  explicit TwoViews(const std::string& fileName) {
    ide.SetUpSourceModule(fileName);
    top = ide.Make<fake::FakeEditView>("Top");
    topBlock = ide.Make<fake::FakeEditBlock>("TopBlock");
    top->block = topBlock;
    ide.services->topView = top;
    ide.log.clear();
  }
  fake::FakeIde ide;
  fake::FakeEditView* top;
  fake::FakeEditBlock* topBlock;
};

TEST(IndentBlock, ActsOnTheTopViewWithTheFirstFilesMagnitude) {
  TwoViews s("Unit1.pas");
  s.ide.block->valid = false;  // the first view's block does not matter
  s.topBlock->valid = true;
  EXPECT_TRUE(IndentBlock(-1));
  EXPECT_EQ(s.ide.CallsMatching("Indent"), Calls{"TopBlock.Indent(-2)"});
  EXPECT_EQ(s.ide.CallsMatching("Paint"), Calls{"Top.Paint"});
}

TEST(IndentBlock, InvalidTopBlockReturnsFalseAndChangesNothing) {
  TwoViews s("Main.cpp");
  s.ide.block->valid = true;
  s.topBlock->valid = false;
  EXPECT_FALSE(IndentBlock(+1));
  EXPECT_TRUE(s.ide.CallsMatching("Indent").empty());
  EXPECT_TRUE(s.ide.CallsMatching("Paint").empty());
}

TEST(LowerCaseBlock, ActsOnTheFirstViewWithoutTestingValidity) {
  TwoViews s("Unit1.pas");
  s.ide.block->valid = false;
  LowerCaseBlock();
  EXPECT_EQ(s.ide.log, (Calls{
                           "Services.QueryInterface(IOTAModuleServices)",
                           "Services.CurrentModule",
                           "Module.GetModuleFileEditor(0)",
                           "SourceEditor.QueryInterface(IOTASourceEditor)",
                           "SourceEditor.GetEditView(0)",
                           "View0.GetBlock",
                           "Block0.LowerCase",
                           "View0.Paint",
                       }));
}

// Every way the chain can come up empty: both commands stop quietly, change nothing, and leave
// no reference behind.
struct QuietStop {
  const char* name;
  void (*breakIt)(fake::FakeIde&);
};

void PrintTo(const QuietStop& row, std::ostream* os) {
  *os << row.name;
}

class BlockCommandsQuietStop : public testing::TestWithParam<QuietStop> {};

TEST_P(BlockCommandsQuietStop, NoEffectAndNoReferenceLeft) {
  for (const bool indent : {true, false}) {
    fake::FakeIde ide;
    ide.SetUpSourceModule("Unit1.pas");
    ide.block->valid = true;
    GetParam().breakIt(ide);
    const std::int64_t before = fake::LiveReferences();
    if (indent)
      EXPECT_FALSE(IndentBlock(+1));
    else
      LowerCaseBlock();
    EXPECT_TRUE(ide.CallsMatching("Indent").empty());
    EXPECT_TRUE(ide.CallsMatching("LowerCase").empty());
    EXPECT_TRUE(ide.CallsMatching("Paint").empty());
    EXPECT_EQ(fake::LiveReferences(), before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Chain, BlockCommandsQuietStop,
    testing::Values(QuietStop{"NoModuleServices",
                              [](fake::FakeIde& ide) {
                                ide.refusedQueries.insert("Services:IOTAModuleServices");
                              }},
                    QuietStop{"NoCurrentModule",
                              [](fake::FakeIde& ide) { ide.services->currentModule = nullptr; }},
                    QuietStop{"NoFileEditor",
                              [](fake::FakeIde& ide) { ide.module->fileEditors.clear(); }},
                    QuietStop{"NotASourceEditor",
                              [](fake::FakeIde& ide) {
                                auto* editor = ide.Make<fake::FakeEditor>("PlainEditor");
                                editor->fileName = "Unit1.dfm";
                                ide.module->fileEditors = {editor};
                              }},
                    QuietStop{"NoView",
                              [](fake::FakeIde& ide) {
                                ide.sourceEditor->views.clear();
                                ide.services->topView = nullptr;
                              }},
                    QuietStop{"NoBlock", [](fake::FakeIde& ide) { ide.view->block = nullptr; }}),
    [](const testing::TestParamInfo<QuietStop>& row) { return std::string(row.param.name); });

TEST(IndentBlock, NoTopViewFromTheEditorServicesStopsQuietly) {
  fake::FakeIde ide;
  ide.SetUpSourceModule("Unit1.pas");
  ide.block->valid = true;
  ide.services->topView = nullptr;
  EXPECT_FALSE(IndentBlock(+1));
  EXPECT_TRUE(ide.CallsMatching("Indent").empty());
}

TEST(BlockCommands, ReferencesAreReleasedWhenAnyCallRaises) {
  // Each call made to raise, and whether each command reaches it: a reached call must raise out
  // of the command, one the command never makes must not change how it ends.
  const struct {
    const char* call;
    bool indentReaches;
    bool lowerReaches;
  } rows[] = {
      {"Services.CurrentModule", true, true},    {"Module.GetModuleFileEditor(0)", true, true},
      {"SourceEditor.GetFileName", true, false}, {"SourceEditor.GetEditView(0)", true, true},
      {"Services.GetTopView", true, false},      {"View0.GetBlock", true, true},
      {"Block0.GetIsValid", true, false},        {"Block0.Indent(2)", true, false},
      {"Block0.LowerCase", false, true},         {"View0.Paint", true, true},
  };
  for (const auto& row : rows) {
    for (const bool indent : {true, false}) {
      SCOPED_TRACE(std::string(row.call) + (indent ? " (indent)" : " (lower)"));
      fake::FakeIde ide;
      ide.SetUpSourceModule("Unit1.pas");
      ide.block->valid = true;
      ide.raiseOn.insert(row.call);
      const std::int64_t before = fake::LiveReferences();
      bool raised = false;
      try {
        if (indent)
          EXPECT_TRUE(IndentBlock(+1));
        else
          LowerCaseBlock();
      } catch (const fake::InjectedFault&) {
        raised = true;
      }
      EXPECT_EQ(raised, indent ? row.indentReaches : row.lowerReaches);
      EXPECT_EQ(ide.CountCalls(row.call), raised ? 1u : 0u);
      EXPECT_EQ(fake::LiveReferences(), before);
    }
  }
}

TEST(IndentBlock, MissingEditorServicesRaisesAfterTheFirstViewWasTaken) {
  fake::FakeIde ide;
  ide.SetUpSourceModule("Unit1.pas");
  ide.block->valid = true;
  ide.refusedQueries.insert("Services:IOTAEditorServices");
  const std::int64_t before = fake::LiveReferences();
  EXPECT_THROW(IndentBlock(+1), EIntfCastError);
  EXPECT_EQ(ide.CallsMatching("GetEditView"), Calls{"SourceEditor.GetEditView(0)"});
  EXPECT_TRUE(ide.CallsMatching("GetBlock").empty());
  EXPECT_EQ(fake::LiveReferences(), before);
}

}  // namespace

}  // namespace zeb
