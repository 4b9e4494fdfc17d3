// The window's costs on a file of N lines (41 bytes each: 41 MB for a million): opening it until
// the first paint, the bare editor component painting the same bytes, Tab on a block of every
// line until the screen shows the indented text, a character typed at the end, and Ctrl+End in
// the freshly opened file until the lines on screen are highlighted.
#include <benchmark/benchmark.h>

#include <Qsci/qscilexerpascal.h>
#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

#include "ide/core/EditView.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/MainWindow.h"

namespace {

// A Pascal file of `lines` lines, written once per size.
QString LargeFile(QTemporaryDir& dir, int lines) {
  const QString path = dir.filePath(QStringLiteral("Big%1.pas").arg(lines));
  if (QFile::exists(path)) return path;
  QByteArray bytes;
  bytes.reserve(static_cast<qsizetype>(lines) * 41);
  for (int i = 0; i < lines; ++i)
    bytes += QByteArray("  x := x + 1; { line ") +
             QByteArray::number(i % 100000).rightJustified(6) + QByteArray(" of the file }\n");
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) std::abort();
  return path;
}

QTemporaryDir& Folder() {
  static QTemporaryDir dir;
  return dir;
}

// Paints the widget now, as the first frame on screen would.
void Paint(QWidget& widget) {
  QApplication::processEvents();
  benchmark::DoNotOptimize(widget.grab());
}

// Each window and widget is made and shown before the clock runs, and destroyed after it.
void BM_OpenFirstPaint(benchmark::State& state) {
  const QString path = LargeFile(Folder(), static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<zeb::MainWindow>();
    window->resize(1000, 700);
    window->show();
    Paint(*window);
    state.ResumeTiming();
    if (window->OpenFile(path) == nullptr) state.SkipWithError("cannot open the file");
    Paint(*window);
    state.PauseTiming();
    window.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenFirstPaint)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_BareQsciOpen(benchmark::State& state) {
  const QString path = LargeFile(Folder(), static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    auto editor = std::make_unique<QsciScintilla>();
    editor->resize(1000, 700);
    auto* lexer = new QsciLexerPascal(editor.get());
    lexer->setDefaultFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    editor->setLexer(lexer);
    editor->setMarginType(0, QsciScintilla::NumberMargin);
    editor->setMarginWidth(0, QStringLiteral("09999999"));
    editor->show();
    Paint(*editor);
    state.ResumeTiming();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) state.SkipWithError("cannot read the file");
    const QByteArray bytes = file.readAll();
    editor->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT,
                          static_cast<unsigned long>(bytes.size()), bytes.constData());
    Paint(*editor);
    state.PauseTiming();
    editor.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_BareQsciOpen)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Shows `window` with the large file of state.range(0) lines open and its editor focused; null
// (the benchmark marked skipped) when it cannot be had.
zeb::EditorWidget* ShowLargeFile(zeb::MainWindow& window, benchmark::State& state, bool withAddin) {
  const QString path = LargeFile(Folder(), static_cast<int>(state.range(0)));
  window.resize(1000, 700);
  window.show();
  if (withAddin && !window.LoadPackage(QStringLiteral(ZEB_ADDIN_PATH))) {
    state.SkipWithError("no add-in");
    return nullptr;
  }
  zeb::EditorWidget* editor = window.OpenFile(path);
  if (editor == nullptr) {
    state.SkipWithError("cannot open the file");
    return nullptr;
  }
  editor->setFocus();
  return editor;
}

void BM_TabOnBlockOnScreen(benchmark::State& state) {
  zeb::MainWindow window;
  zeb::EditorWidget* editor = ShowLargeFile(window, state, true);
  if (editor == nullptr) return;
  const auto lines = static_cast<std::int32_t>(editor->View()->GetDocument().LineCount());
  for (auto _ : state) {
    state.PauseTiming();
    editor->View()->Select({1, 1}, {lines, 1});
    editor->SyncSelectionFromView();
    Paint(window);
    state.ResumeTiming();
    QTest::keyClick(editor, Qt::Key_Tab);
    Paint(window);
    state.PauseTiming();
    window.Undo();
    Paint(window);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TabOnBlockOnScreen)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A character typed at the end of the file until the screen shows it: the cost of a key press
// that should not grow with the file.
void BM_TypeAtEndOnScreen(benchmark::State& state) {
  zeb::MainWindow window;
  zeb::EditorWidget* editor = ShowLargeFile(window, state, false);
  if (editor == nullptr) return;
  const auto lines = static_cast<std::int32_t>(editor->View()->GetDocument().LineCount());
  editor->View()->SetCursor({lines, 1});
  editor->SyncSelectionFromView();
  // What the user waits for once: the highlighting of the text above the screen, done while idle.
  QElapsedTimer waited;
  waited.start();
  while (editor->Send(QsciScintillaBase::SCI_GETENDSTYLED) <
         editor->Send(QsciScintillaBase::SCI_GETLENGTH)) {
    if (waited.elapsed() > 60000) {
      state.SkipWithError("the highlighting did not finish");
      return;
    }
    Paint(window);
  }
  for (auto _ : state) {
    QTest::keyClick(editor, Qt::Key_X);
    Paint(window);
  }
}
BENCHMARK(BM_TypeAtEndOnScreen)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Whether every whole line on screen shows its comment highlighted (LargeFile's lines have their
// "{" at index 14).
bool CommentsOnScreenStyled(zeb::EditorWidget& editor) {
  const long first = editor.Send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
  const long lines = editor.Send(QsciScintillaBase::SCI_GETLINECOUNT) - 1;  // the last is empty
  const long last = std::min(first + editor.Send(QsciScintillaBase::SCI_LINESONSCREEN), lines);
  for (long line = first; line < last; ++line) {
    const long brace =
        editor.Send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)) + 14;
    if (editor.Send(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(brace)) !=
        QsciLexerPascal::Comment)
      return false;
  }
  return last > first;
}

// Ctrl+End in a file just opened and painted, until the lines on screen are highlighted: the
// text above them is styled later, while the window is idle.
void BM_JumpToEndStyled(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<zeb::MainWindow>();
    zeb::EditorWidget* editor = ShowLargeFile(*window, state, false);
    if (editor == nullptr) return;
    Paint(*window);
    state.ResumeTiming();
    QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
    QElapsedTimer waited;
    waited.start();
    while (!CommentsOnScreenStyled(*editor)) {
      if (waited.elapsed() > 60000) {
        state.SkipWithError("the lines on screen were not highlighted");
        return;
      }
      Paint(*window);
    }
    state.PauseTiming();
    window.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_JumpToEndStyled)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The windows' recent files and settings stay out of the user's own.
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
