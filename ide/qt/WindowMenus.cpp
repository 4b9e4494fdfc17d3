#include "ide/qt/WindowMenus.h"

#include <QAction>
#include <QActionGroup>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include "ide/qt/DocumentScreen.h"
#include "ide/qt/EdgeGuard.h"
#include "ide/qt/EditorWidget.h"
#include "ide/qt/FileCommands.h"
#include "ide/qt/FindBar.h"
#include "ide/qt/MainWindow.h"
#include "ide/qt/QtStrings.h"
#include "ide/qt/TracePanel.h"

namespace zeb {

namespace {

// An action's text as tests name it: without mnemonics and the trailing "...".
QString PlainText(QString text) {
  text.remove(QLatin1Char('&'));
  if (text.endsWith(QStringLiteral("..."))) text.chop(3);
  return text;
}

}  // namespace

WindowMenus::WindowMenus(MainWindow& window) : QObject(&window), window_(window) {
  Build();
}

QAction* WindowMenus::Add(QMenu* menu, const QString& text, const QList<QKeySequence>& keys,
                          const std::function<void()>& run) {
  QAction* action = menu->addAction(text);
  action->setShortcuts(keys);
  const QString what = tr("The command %1").arg(PlainText(text));
  connect(action, &QAction::triggered, this, [what, run] { RunAtEdge(what, run); });
  actions_ << action;
  return action;
}

void WindowMenus::Build() {
  using K = QKeySequence;
  MainWindow& w = window_;
  QMenuBar* bar = w.menuBar();

  QMenu* file = bar->addMenu(tr("&File"));
  Add(file, tr("&Open..."), {K::Open}, [&w] { w.OpenDialog(); });
  recentMenu_ = file->addMenu(tr("Open &Recent"));
  connect(recentMenu_, &QMenu::aboutToShow, this, &WindowMenus::FillRecentMenu);
  Add(file, tr("&Save"), {K::Save}, [&w] { w.Save(); });
  Add(file, tr("Save &As..."), {K(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}, [&w] { w.SaveAs(); });
  Add(file, tr("&Close"), {K(Qt::CTRL | Qt::Key_W)}, [&w] { w.CloseCurrent(); });
  file->addSeparator();
  Add(file, tr("&Quit"), {K(Qt::CTRL | Qt::Key_Q)}, [&w] { w.close(); });

  QMenu* edit = bar->addMenu(tr("&Edit"));
  Add(edit, tr("&Undo"), {K(Qt::CTRL | Qt::Key_Z)}, [&w] { w.Undo(); });
  Add(edit, tr("&Redo"), {K(Qt::CTRL | Qt::Key_Y), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
      [&w] { w.Redo(); });
  edit->addSeparator();
  Add(edit, tr("Cu&t"), {K(Qt::CTRL | Qt::Key_X)}, [&w] {
    w.EditCommand([](EditorWidget& pane) {
      DocumentScreen::UserAction action(pane.Screen(), pane);
      pane.cut();
    });
  });
  Add(edit, tr("&Copy"), {K(Qt::CTRL | Qt::Key_C)},
      [&w] { w.EditCommand([](EditorWidget& pane) { pane.copy(); }); });
  Add(edit, tr("&Paste"), {K(Qt::CTRL | Qt::Key_V)}, [&w] {
    w.EditCommand([](EditorWidget& pane) {
      DocumentScreen::UserAction action(pane.Screen(), pane);
      pane.paste();
    });
  });
  Add(edit, tr("Select &All"), {K(Qt::CTRL | Qt::Key_A)},
      [&w] { w.EditCommand([](EditorWidget& pane) { pane.selectAll(); }); });
  edit->addSeparator();
  FindBar* find = w.Finder();
  Add(edit, tr("&Find..."), {K(Qt::CTRL | Qt::Key_F)}, [&w, find] {
    find->SetEditor(w.CurrentEditor());
    find->Open(false);
  });
  const auto findAgain = [&w, find](bool forward) {
    find->SetEditor(w.CurrentEditor());
    if (find->FindText()->text().isEmpty())
      find->Open(false);
    else if (forward)
      find->FindNext();
    else
      find->FindPrevious();
  };
  Add(edit, tr("Find &Next"), {K(Qt::Key_F3)}, [findAgain] { findAgain(true); });
  Add(edit, tr("Find Pre&vious"), {K(Qt::SHIFT | Qt::Key_F3)}, [findAgain] { findAgain(false); });
  Add(edit, tr("R&eplace..."), {K(Qt::CTRL | Qt::Key_H)}, [&w, find] {
    find->SetEditor(w.CurrentEditor());
    find->Open(true);
  });
  Add(edit, tr("&Go to Line..."), {K(Qt::CTRL | Qt::Key_G)}, [&w] {
    EditorWidget* pane = w.CurrentEditor();
    if (pane == nullptr) return;
    bool ok = false;
    const int lines = static_cast<int>(pane->View()->GetDocument().LineCount());
    const int line = QInputDialog::getInt(&w, tr("Go to Line"), tr("Line (1 to %1):").arg(lines),
                                          pane->View()->Cursor().line, 1, lines, 1, &ok);
    if (ok) w.GoToLine(line);
  });

  QMenu* view = bar->addMenu(tr("&View"));
  Add(view, tr("&Split"), {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Backslash)}, [&w] { w.SplitView(); });
  Add(view, tr("Close &Pane"), {}, [&w] { w.ClosePane(); });
  view->addSeparator();
  moduleMenu_ = view->addMenu(tr("Files of This &Module"));
  connect(moduleMenu_, &QMenu::aboutToShow, this, &WindowMenus::FillModuleMenu);
  Add(view, tr("Toggle Source/&Companion"), {K(Qt::ALT | Qt::Key_O)},
      [&w] { w.ToggleCompanion(); });
  encodingMenu_ = view->addMenu(tr("&Encoding"));
  auto* encodings = new QActionGroup(encodingMenu_);
  for (const ScreenEncoding encoding :
       {ScreenEncoding::Utf8, ScreenEncoding::Cp949, ScreenEncoding::Latin1}) {
    QAction* action =
        Add(encodingMenu_, QString::fromLatin1(EncodingName(encoding)), {}, [&w, encoding] {
          EditorWidget* pane = w.CurrentEditor();
          if (pane == nullptr) return;
          if (!pane->Screen().SetEncoding(encoding))
            w.Report(
                tr("Encoding"),
                tr("%1 is not code page 949 text.").arg(DisplayName(pane->View()->GetDocument())));
          w.UpdateStatus();
        });
    action->setCheckable(true);
    action->setData(static_cast<int>(encoding));
    encodings->addAction(action);
  }
  connect(encodingMenu_, &QMenu::aboutToShow, this, &WindowMenus::FillEncodingMenu);

  QMenu* tools = bar->addMenu(tr("&Tools"));
  Add(tools, tr("&Packages..."), {}, [&w] { w.ShowPackages(); });
  traceAction_ = Add(tools, tr("&Trace Viewer"), {}, [&w] { w.Trace().Toggle(); });
  traceAction_->setCheckable(true);

  QMenu* help = bar->addMenu(tr("&Help"));
  Add(help, tr("&About"), {}, [&w] {
    QMessageBox::about(&w, tr("About ZEB IDE"),
                       tr("ZEB IDE: an IDE host for design-time packages.\n"
                          "Tab and Shift+Tab indent and unindent the selected block; "
                          "Ctrl+Alt+U shows what the IDE says about the current editor."));
  });
}

QAction* WindowMenus::Action(const QString& text) const {
  for (QAction* action : actions_)
    if (PlainText(action->text()) == text) return action;
  return nullptr;
}

void WindowMenus::SetTraceChecked(bool checked) {
  traceAction_->setChecked(checked);
}

bool WindowMenus::RunShortcut(const QKeyEvent& event) {
  const QKeySequence pressed(event.keyCombination());
  for (QAction* action : actions_)
    if (action->isEnabled() && action->shortcuts().contains(pressed)) {
      action->trigger();
      return true;
    }
  // Alt and a menu's underlined letter opens that menu, as it does everywhere else in the window.
  QMenuBar* bar = window_.menuBar();
  if (event.modifiers() == Qt::AltModifier)
    for (QAction* menu : bar->actions())
      if (menu->isEnabled() && QKeySequence::mnemonic(menu->text()) == pressed) {
        bar->setActiveAction(menu);
        return true;
      }
  return false;
}

void WindowMenus::FillRecentMenu() {
  recentMenu_->clear();
  const QStringList files = window_.Files().RecentFiles();
  for (const QString& path : files)
    recentMenu_->addAction(path, this, [this, path] {
      RunAtEdge(tr("Opening %1").arg(path), [this, path] { window_.OpenFile(path); });
    });
  recentMenu_->setEnabled(!files.isEmpty());
}

void WindowMenus::FillModuleMenu() {
  moduleMenu_->clear();
  EditorWidget* pane = window_.CurrentEditor();
  const auto module = pane ? window_.Ide().ModuleOf(pane->View()->GetDocument()) : nullptr;
  if (!module) return;
  for (std::size_t i = 0; i < module->FileCount(); ++i) {
    const Document& document = *module->File(i);
    QAction* action = moduleMenu_->addAction(DisplayName(document));
    action->setCheckable(true);
    action->setChecked(&document == &pane->View()->GetDocument());
    const std::string path = document.Path();
    connect(action, &QAction::triggered, this, [this, path] {
      RunAtEdge(tr("Showing %1").arg(Q(path)), [this, path] { window_.Ide().ShowFile(path); });
    });
  }
}

void WindowMenus::FillEncodingMenu() {
  EditorWidget* pane = window_.CurrentEditor();
  for (QAction* action : encodingMenu_->actions()) {
    action->setEnabled(pane != nullptr);
    action->setChecked(pane != nullptr &&
                       action->data().toInt() == static_cast<int>(pane->Screen().Encoding()));
  }
}

}  // namespace zeb
