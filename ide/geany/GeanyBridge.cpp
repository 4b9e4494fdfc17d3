#include "ide/geany/GeanyBridge.h"

#include <geanyplugin.h>

#include <type_traits>

#include "ide/geany/FormDialog.h"
#include "ide/geany/GdkKeys.h"
#include "ide/geany/GeanyEnvironment.h"
#include "ide/geany/PackagesDialog.h"
#include "ide/ota/LiveObjects.h"
#include "ide/ota/ServicesObject.h"
#include "runtime/Exceptions.h"
#include "runtime/IdeServices.h"

namespace zeb {

namespace {

AddinHost::Options HostOptions(const GeanyPlugin& plugin) {
  AddinHost::Options options;
  options.environment = GeanyEnvironment(PluginFile(), plugin.geany_data->app->configdir);
  return options;
}

GtkWindow* MainWindow(const GeanyPlugin& plugin) {
  return GTK_WINDOW(plugin.geany_data->main_widgets->window);
}

// Geany's signals, handed to the bridge they were connected with.
gboolean KeyPressSignal(GObject*, GdkEventKey* event, gpointer bridge) {
  return static_cast<GeanyBridge*>(bridge)->KeyPress(*event) ? TRUE : FALSE;
}
void DocumentShownSignal(GObject*, GeanyDocument* document, gpointer bridge) {
  static_cast<GeanyBridge*>(bridge)->DocumentShown(*document);
}
void DocumentChangedSignal(GObject*, GeanyDocument* document, gpointer bridge) {
  static_cast<GeanyBridge*>(bridge)->DocumentChanged(*document);
}
void DocumentSavedSignal(GObject*, GeanyDocument* document, gpointer bridge) {
  static_cast<GeanyBridge*>(bridge)->DocumentSaved(*document);
}
void DocumentClosedSignal(GObject*, GeanyDocument* document, gpointer bridge) {
  static_cast<GeanyBridge*>(bridge)->DocumentClosed(*document);
}
void PackagesItemActivated(GtkMenuItem*, gpointer bridge) {
  static_cast<GeanyBridge*>(bridge)->ShowPackages();
}

}  // namespace

template <class Call>
auto GeanyBridge::Guarded(const char* what, Call call) noexcept -> decltype(call()) {
  try {
    return call();
  } catch (...) {
    const ExceptionDescription d = DescribeException(std::current_exception());
    try {
      messages_.Show(MessageWindow::Kind::Problem,
                     std::string(what) + " failed: " + d.className + ": " + d.message);
    } catch (...) {
      // Nothing is left to tell the user with.
    }
  }
  if constexpr (!std::is_void_v<decltype(call())>) return {};
}

GeanyBridge::GeanyBridge(GeanyPlugin& plugin) : plugin_(&plugin), editor_(*this) {
  host_.emplace(*this, keyObjects_, HostOptions(plugin));
  services_ = MakeCounted<ServicesObject>(editor_, *host_);
  BorlandIDEServices = services_;
  try {
    // Geany's documents first: a package's Register may already ask for the current module.
    const GPtrArray* open = plugin.geany_data->documents_array;
    for (guint i = 0; i < open->len; ++i) {
      auto* document = static_cast<GeanyDocument*>(g_ptr_array_index(open, i));
      if (document->is_valid) editor_.Track(*document);
    }
    if (GeanyDocument* current = document_get_current()) editor_.Activate(*current);

    LoadPackages();

    menuItem_ = gtk_menu_item_new_with_mnemonic("_Add-in Packages...");
    gtk_widget_show(menuItem_);
    gtk_container_add(GTK_CONTAINER(plugin.geany_data->main_widgets->tools_menu), menuItem_);
    g_signal_connect(menuItem_, "activate", G_CALLBACK(PackagesItemActivated), this);

    ConnectSignals();
  } catch (...) {
    // The destructor does not run for an object not made: nothing may keep pointing at it.
    Shutdown();
    throw;
  }
}

GeanyBridge::~GeanyBridge() {
  const std::size_t packages = host_->Packages().size();
  Shutdown();
  const std::int64_t live = LiveObjects::Count();
  Guarded("unloading", [&] {
    const std::string unloaded = std::to_string(packages) + " package(s) unloaded";
    if (live == 0)
      messages_.Show(MessageWindow::Kind::Note, unloaded + "; every object released");
    else
      messages_.Show(MessageWindow::Kind::Problem,
                     unloaded + "; " + std::to_string(live) + " object(s) still held by add-ins");
  });
}

void GeanyBridge::Shutdown() noexcept {
  if (menuItem_ != nullptr) gtk_widget_destroy(menuItem_);
  menuItem_ = nullptr;
  // Packages finalize while the services still answer; then nothing may reach the IDE.
  host_->UnloadPackages();
  keyObjects_.Clear();
  editor_.Clear();
  services_->Detach();
  BorlandIDEServices.Reset();
  services_.Reset();
  host_.reset();
}

void GeanyBridge::LoadPackages() {
  const auto folders = host_->PackageFolders();
  std::string searched;
  for (const auto& folder : folders)
    searched += (searched.empty() ? "" : ", ") + folder.path;
  if (host_->LoadPackagesFrom(folders) == 0) {
    messages_.Show(MessageWindow::Kind::Note, "no packages found in " + searched);
    return;
  }
  messages_.Show(MessageWindow::Kind::Note,
                 std::to_string(host_->Packages().size()) + " package(s) loaded from " + searched);
}

void GeanyBridge::ConnectSignals() {
  plugin_signal_connect(plugin_, nullptr, "key-press", FALSE, G_CALLBACK(KeyPressSignal), this);
  plugin_signal_connect(plugin_, nullptr, "document-activate", FALSE,
                        G_CALLBACK(DocumentShownSignal), this);
  for (const char* signal : {"document-new", "document-open", "document-reload"})
    plugin_signal_connect(plugin_, nullptr, signal, FALSE, G_CALLBACK(DocumentChangedSignal), this);
  plugin_signal_connect(plugin_, nullptr, "document-save", FALSE, G_CALLBACK(DocumentSavedSignal),
                        this);
  plugin_signal_connect(plugin_, nullptr, "document-close", FALSE, G_CALLBACK(DocumentClosedSignal),
                        this);
}

bool GeanyBridge::KeyPress(const GdkEventKey& event) {
  return Guarded("a key press", [&] {
    GeanyDocument* document = document_get_current();
    if (document == nullptr) return false;
    // Keys go to the add-ins only while the user types into the document.
    if (gtk_window_get_focus(MainWindow(*plugin_)) != GTK_WIDGET(document->editor->sci))
      return false;
    const TShortCut code = KeyCodeOf(event.keyval, event.state);
    if (code == 0) return false;
    if (!editor_.Tracks(*document)) editor_.Activate(*document);
    switch (host_->RouteKey(code)) {
      case KeyOutcome::Handled:
      case KeyOutcome::Faulted:
      case KeyOutcome::Pending:
        return true;
      case KeyOutcome::PassedOn:
      case KeyOutcome::NotBound:
        break;
    }
    return false;
  });
}

void GeanyBridge::DocumentShown(GeanyDocument& document) {
  Guarded("following a document", [&] { editor_.Activate(document); });
}

void GeanyBridge::DocumentChanged(GeanyDocument& document) {
  Guarded("following a document", [&] { editor_.Track(document); });
}

void GeanyBridge::DocumentSaved(GeanyDocument& document) {
  Guarded("following a document", [&] { editor_.Saved(document); });
}

void GeanyBridge::DocumentClosed(GeanyDocument& document) {
  Guarded("following a document", [&] { editor_.Forget(document); });
  // Idle interface objects must not keep a closed document's view.
  services_->ReleaseIdle();
}

void GeanyBridge::ShowPackages() {
  Guarded("listing the packages", [&] {
    ShowPackagesDialog(PackagesText(host_->Packages(), host_->PackageFolders()),
                       MainWindow(*plugin_));
  });
}

void GeanyBridge::OnFault(const Fault& fault) {
  messages_.Show(MessageWindow::Kind::Problem,
                 fault.where + " raised " + fault.className + ": " + fault.message);
}

TModalResult GeanyBridge::OnDialog(TForm& form) {
  return ShowFormDialog(form, MainWindow(*plugin_));
}

void GeanyBridge::OnMessage(const std::string& text) {
  messages_.Show(MessageWindow::Kind::Problem, text);
}

void GeanyBridge::OnAddinMessage(const std::string& text) {
  messages_.Show(MessageWindow::Kind::Message, text);
}

}  // namespace zeb
