// The information dialog's report: its 28 lines, their order, what each reads and how often.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "addin/hotkeys/ShowFormInfo.h"
#include "addin/info/Form_Info.h"
#include "runtime/Exceptions.h"
#include "tests/addin/FakeIde.h"

namespace zeb {

namespace {

using Lines = std::vector<std::string>;

// An IDE whose every value is distinct, so that each line shows where its value came from.
struct ReportIde {
  ReportIde() {
    ide.SetUpSourceModule("C:\\proj\\Unit1.pas");
    ide.services->texts = {
        "ZEB.IDE", "/home/kim/.local/share/zeb", "/opt/zeb", "/opt/zeb/bin", "/opt/zeb/templates",
        "Text",    "/home/kim/.config/zeb"};
    ide.services->moduleCount = 3;
    ide.module->ownerModuleCount = 0;
    ide.module->fileSystem = "";
    ide.sourceEditor->modified = true;
    ide.sourceEditor->subViews = {"Code", "Design", "History"};
    ide.sourceEditor->subViewIndex = 1;

    // The current editor is the companion form file, whose module is a second module object.
    editor = ide.Make<fake::FakeEditor>("Editor");
    editor->fileName = "C:\\proj\\Unit1.dfm";
    editor->modified = false;
    module2 = ide.Make<fake::FakeModule>("Module2");
    module2->fileEditors = {ide.sourceEditor, editor};
    module2->ownerModuleCount = 1;
    module2->fileSystem = "VFS";
    editor->module = module2;
    ide.module->fileEditors = {ide.sourceEditor, editor};
    ide.module->currentEditor = editor;

    ide.block->size = 42;
    ide.block->valid = true;
    ide.view->cursor = TOTAEditPos{-1, 70000};
    ide.position->column = 5;
    ide.position->row = 6;
    ide.position->lastRow = 120;
    ide.log.clear();
  }

  // Runs DispInfo on a fresh form, as the dialog's creation does.
  Lines Report() {
    ShowFormInfo();
    EXPECT_EQ(ide.presenter.shown.size(), 1u);
    return ide.presenter.shown.empty() ? Lines{} : ide.presenter.shown.back().lines;
  }

  fake::FakeIde ide;
  fake::FakeEditor* editor;
  fake::FakeModule* module2;
};

const Lines kFullReport = {
    "IOTAServices.GetProductIdentifier : ZEB.IDE",
    "IOTAServices.GetLocalApplicationDataDirectory : /home/kim/.local/share/zeb",
    "IOTAServices.GetRootDirectory : /opt/zeb",
    "IOTAServices.GetBinDirectory : /opt/zeb/bin",
    "IOTAServices.GetTemplateDirectory : /opt/zeb/templates",
    "IOTAServices.GetActiveDesignerType : Text",
    "IOTAServices.GetBaseRegistryKey : /home/kim/.config/zeb",
    "ModuleServices.ModuleCount : 3",
    "CurrentModule.ModuleFileCount : 2",
    "CurrentModule.OwnerModuleCount : 0",
    "CurrentModule.FileSystem : ",
    "CurrentModule.Editor.FileName : C:\\proj\\Unit1.dfm",
    "CurrentModule.Editor.Modified : false",
    "Editor.Module.ModuleFileCount : 2",
    "Editor.Module.OwnerModuleCount : 1",
    "Editor.Module.FileSystem : VFS",
    "SourceEditor.Filename : C:\\proj\\Unit1.pas",
    "SourceEditor.EditViewCount : 1",
    "SourceEditor.SubViewCount : 3",
    "SubViewIdentifier : Code",
    "SubViewIdentifier : Design",
    "SubViewIdentifier : History",
    "SourceEditor.GetSubViewIndex : 1",
    "EditView 0.Block.Size : 42",
    "EditView 0.Block.IsValid : true",
    "EditView.CursorPos.Col : -1",
    "EditView.CursorPos.Line : 70000",
    "EditView.Position.Column : 5",
    "EditView.Position.Row : 6",
    "EditView.Position.LastRow : 120",
};

TEST(DispInfo, ReportsEveryLineInOrderWithItsExactText) {
  ReportIde r;
  EXPECT_EQ(r.Report(), kFullReport);
  EXPECT_EQ(r.ide.presenter.shown[0].caption, "Information...");
}

TEST(DispInfo, ObtainsEachObjectAsOftenAsTheReportSays) {
  ReportIde r;
  r.Report();
  const auto& ide = r.ide;
  EXPECT_EQ(ide.CountCalls("Services.QueryInterface(IOTAModuleServices)"), 1u);
  EXPECT_EQ(ide.CountCalls("Services.CurrentModule"), 2u);  // M, then S's chain
  EXPECT_EQ(ide.CountCalls("Module.GetModuleFileEditor(0)"), 1u);
  EXPECT_EQ(ide.CountCalls("Services.QueryInterface(IOTAServices)"), 1u);
  EXPECT_EQ(ide.CountCalls("Module.GetCurrentEditor"), 1u);  // E
  EXPECT_EQ(ide.CountCalls("Editor.GetModule"), 1u);         // M2
  EXPECT_EQ(ide.CountCalls("Services.QueryInterface(IOTAEditorServices)"), 1u);
  EXPECT_EQ(ide.CountCalls("Services.GetTopView"), 1u);  // V
  EXPECT_EQ(ide.CountCalls("View0.GetBlock"), 2u);       // taken twice
  EXPECT_EQ(ide.CountCalls("View0.GetCursorPos"), 1u);   // one call, two lines
  EXPECT_EQ(ide.CountCalls("View0.GetPosition"), 1u);    // P
  EXPECT_EQ(ide.CountCalls("SourceEditor.GetSubViewCount"), 1u);
  EXPECT_EQ(ide.CallsMatching("GetSubViewIdentifier"),
            (Lines{"SourceEditor.GetSubViewIdentifier(0)", "SourceEditor.GetSubViewIdentifier(1)",
                   "SourceEditor.GetSubViewIdentifier(2)"}));
}

TEST(DispInfo, ReadsTheTopViewEvenWhenItIsNotTheFirstView) {
  ReportIde r;
  auto* top = r.ide.Make<fake::FakeEditView>("Top");
  auto* topBlock = r.ide.Make<fake::FakeEditBlock>("TopBlock");
  topBlock->size = 7;
  top->block = topBlock;
  top->position = r.ide.position;
  r.ide.services->topView = top;
  const Lines report = r.Report();
  ASSERT_EQ(report.size(), kFullReport.size());
  EXPECT_EQ(report[23], "EditView 0.Block.Size : 7");
  EXPECT_EQ(report[24], "EditView 0.Block.IsValid : false");
  EXPECT_TRUE(r.ide.CallsMatching("View0.").empty());
}

TEST(DispInfo, NoSubViewsGivesNoIdentifierLines) {
  ReportIde r;
  r.ide.sourceEditor->subViews.clear();
  const Lines report = r.Report();
  ASSERT_EQ(report.size(), 27u);
  EXPECT_EQ(report[18], "SourceEditor.SubViewCount : 0");
  EXPECT_EQ(report[19], "SourceEditor.GetSubViewIndex : 1");
}

TEST(DispInfo, ModifiedEditorReportsTrue) {
  ReportIde r;
  r.editor->modified = true;
  EXPECT_EQ(r.Report()[12], "CurrentModule.Editor.Modified : true");
}

TEST(DispInfo, ClearsTheStoredMemoLineBeforeReporting) {
  fake::FakeIde ide;
  ide.refusedQueries.insert("Services:IOTAModuleServices");
  const std::unique_ptr<TFormInfo> form(CreateForm<TFormInfo>(Application));
  EXPECT_EQ(form->Memo1->Lines.Count(), 0u);
  // Without the creation handler, the stored description's line is still there.
  TFormInfo bare(nullptr);
  EXPECT_EQ(bare.Memo1->Lines.Lines(), Lines{"Memo1"});
}

// Where the report stops when something is missing: the lines so far stay, and no reference is
// left behind.
struct StopRow {
  const char* name;
  void (*breakIt)(ReportIde&);
  std::size_t linesKept;
};

void PrintTo(const StopRow& row, std::ostream* os) {
  *os << row.name;
}

class DispInfoStops : public testing::TestWithParam<StopRow> {};

TEST_P(DispInfoStops, KeepsTheLinesSoFar) {
  ReportIde r;
  GetParam().breakIt(r);
  const std::int64_t before = fake::LiveReferences();
  const Lines report = r.Report();
  EXPECT_EQ(report, Lines(kFullReport.begin(),
                          kFullReport.begin() + static_cast<std::ptrdiff_t>(GetParam().linesKept)));
  EXPECT_EQ(fake::LiveReferences(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Missing, DispInfoStops,
    testing::Values(
        StopRow{"NoModuleServices",
                [](ReportIde& r) { r.ide.refusedQueries.insert("Services:IOTAModuleServices"); },
                0},
        StopRow{"NoCurrentModule", [](ReportIde& r) { r.ide.services->currentModule = nullptr; },
                0},
        StopRow{"FirstFileNotASourceEditor",
                [](ReportIde& r) { r.ide.module->fileEditors = {r.editor}; }, 0},
        StopRow{"NoFirstFileEditor", [](ReportIde& r) { r.ide.module->fileEditors.clear(); }, 0},
        StopRow{"NoCurrentEditor", [](ReportIde& r) { r.ide.module->currentEditor = nullptr; }, 11},
        StopRow{"NoEditorModule", [](ReportIde& r) { r.editor->module = nullptr; }, 13},
        StopRow{"NoTopView", [](ReportIde& r) { r.ide.services->topView = nullptr; }, 23},
        StopRow{"NoBlock", [](ReportIde& r) { r.ide.view->block = nullptr; }, 23},
        StopRow{"NoPosition", [](ReportIde& r) { r.ide.view->position = nullptr; }, 27}),
    [](const testing::TestParamInfo<StopRow>& row) { return std::string(row.param.name); });

TEST(DispInfo, MissingGeneralServicesRaisesBeforeAnyLine) {
  ReportIde r;
  r.ide.refusedQueries.insert("Services:IOTAServices");
  const std::int64_t before = fake::LiveReferences();
  const Lines report = r.Report();
  EXPECT_TRUE(report.empty());
  EXPECT_EQ(r.ide.faults, Lines{"EIntfCastError: Interface not supported: IOTAServices"});
  EXPECT_EQ(fake::LiveReferences(), before);
}

TEST(DispInfo, MissingEditorServicesRaisesAfterLine21AndKeepsThoseLines) {
  ReportIde r;
  r.ide.sourceEditor->subViews = {"Code"};
  r.ide.refusedQueries.insert("Services:IOTAEditorServices");
  const std::int64_t before = fake::LiveReferences();
  const Lines report = r.Report();
  ASSERT_EQ(report.size(), 21u);
  EXPECT_EQ(report.back(), "SourceEditor.GetSubViewIndex : 1");
  EXPECT_EQ(r.ide.faults, Lines{"EIntfCastError: Interface not supported: IOTAEditorServices"});
  EXPECT_EQ(fake::LiveReferences(), before);
}

TEST(DispInfo, EveryReferenceIsReleasedWhenAnyCallRaises) {
  const std::vector<std::string> calls = {
      "Services.CurrentModule",
      "Module.GetModuleFileEditor(0)",
      "Services.GetProductIdentifier",
      "Services.GetModuleCount",
      "Module.GetCurrentEditor",
      "Editor.GetModified",
      "Editor.GetModule",
      "Module2.GetFileSystem",
      "SourceEditor.GetSubViewIdentifier(1)",
      "Services.GetTopView",
      "View0.GetBlock",
      "Block0.GetIsValid",
      "View0.GetCursorPos",
      "View0.GetPosition",
      "Position0.GetLastRow",
  };
  for (const auto& call : calls) {
    ReportIde r;
    r.ide.raiseOn.insert(call);
    const std::int64_t before = fake::LiveReferences();
    r.Report();
    EXPECT_EQ(r.ide.faults.size(), 1u) << call;
    EXPECT_EQ(fake::LiveReferences(), before) << call;
    EXPECT_EQ(Application->ComponentCount(), 0u) << call;
  }
}

TEST(DispInfo, ReferencesTakenDuringTheReportAreGoneBeforeTheDialogShows) {
  ReportIde r;
  const std::int64_t before = fake::LiveReferences();
  r.Report();
  EXPECT_EQ(r.ide.presenter.shown[0].liveReferencesDuringDisplay, before);
}

TEST(ReportLine, OverloadsFormatLabelSeparatorAndValue) {
  TFormInfo form(nullptr);
  form.Memo1->Lines.Clear();
  form.add("plain line");
  form.add("Label", std::string("text"));
  form.add("Label", "literal");
  form.add("Label", std::string());
  form.add("Int", 0);
  form.add("Int", -2147483647 - 1);
  form.add("Int", 2147483647);
  form.add("Bool", true);
  form.add("Bool", false);
  form.add("Multi", std::string("a\nb"));
  EXPECT_EQ(form.Memo1->Lines.Lines(),
            (Lines{"plain line", "Label : text", "Label : literal", "Label : ", "Int : 0",
                   "Int : -2147483648", "Int : 2147483647", "Bool : true", "Bool : false",
                   "Multi : a\nb"}));
}

TEST(FormInfoLayout, MatchesTheStoredDescription) {
  TFormInfo form(nullptr);
  EXPECT_EQ(form.Name, "FormInfo");
  EXPECT_EQ(form.Caption, "Information...");
  EXPECT_EQ(form.BorderStyle, TFormBorderStyle::bsDialog);
  EXPECT_EQ(form.Position, TPosition::poScreenCenter);
  EXPECT_EQ(form.ClientWidth, 782);
  EXPECT_EQ(form.ClientHeight, 462);
  EXPECT_EQ(form.Color, clBtnFace);
  EXPECT_EQ(form.Font.Name, "굴림");
  EXPECT_EQ(form.Font.Height, -12);
  EXPECT_EQ(form.Font.Charset, DEFAULT_CHARSET);
  EXPECT_EQ(form.Font.Color, clWindowText);
  EXPECT_EQ(form.PixelsPerInch, 96);
  EXPECT_EQ(form.TextHeight, 12);
  ASSERT_EQ(form.Controls().size(), 1u);
  EXPECT_EQ(form.Controls()[0], form.Memo1);
  EXPECT_EQ(form.Memo1->Name, "Memo1");
  EXPECT_EQ(form.Memo1->Left, 8);
  EXPECT_EQ(form.Memo1->Top, 24);
  EXPECT_EQ(form.Memo1->Width, 766);
  EXPECT_EQ(form.Memo1->Height, 417);
  EXPECT_EQ(form.Memo1->ScrollBars, TScrollStyle::ssBoth);
  EXPECT_EQ(form.Memo1->TabOrder, 0);
  EXPECT_FALSE(form.Memo1->ReadOnly);
  EXPECT_EQ(form.Memo1->ImeName, "Microsoft IME 2003");
}

}  // namespace

}  // namespace zeb
