// GeanyBridge: the IDE that add-in packages see, inside Geany: the bridge's composition, as Ide is
// zeb-host's and zeb-ide's.
//
// It owns an add-in host (AddinHost: packages, keyboard bindings and key map, the add-in
// boundary, the environment), the key binding objects (KeyObjects), Geany's documents as the
// editor (GeanyEditor) and the services object over them (ServicesObject), which it sets as the
// global BorlandIDEServices; the same objects zeb-host hands out, so every package written
// against the interfaces runs here unchanged. It lives while the plugin is enabled: made when
// Geany enables the plugin, destroyed when it is disabled or Geany quits, which unloads the
// packages (their Finalize runs) and releases every object handed out.
//
// Keys: Geany's "key-press" signal comes before Geany's own key bindings and the editor. A key
// pressed while the focus is in the current document's editor is turned into its key code
// (GdkKeys) and routed through the key bindings; a key a procedure took (or that raised, or that
// began a key sequence) is consumed, any other goes on to Geany, which does what it always does.
//
// What the user is told (faults, packages that did not load, an add-in's messages) goes to
// Geany's message window and status bar (MessageWindow); an add-in's dialog is a GTK dialog over
// Geany's window (FormDialog); Tools -> "Add-in Packages..." lists the loaded packages
// (PackagesDialog).
#pragma once

#include <optional>
#include <string>

#include "api/ComPtr.h"
#include "ide/core/AddinHost.h"
#include "ide/core/IdeObserver.h"
#include "ide/geany/GeanyEditor.h"
#include "ide/geany/MessageWindow.h"
#include "ide/ota/KeyObjects.h"

struct GeanyPlugin;
struct GeanyDocument;
typedef struct _GdkEventKey GdkEventKey;
typedef struct _GtkWidget GtkWidget;

namespace zeb {

class ServicesObject;

class GeanyBridge final : public IdeObserver {
 public:
  // Follows Geany's documents, loads the packages of the packages folders, adds the Tools menu's
  // item and connects to Geany's signals (through `plugin`, so Geany disconnects them when it
  // unloads the plugin).
  explicit GeanyBridge(GeanyPlugin& plugin);
  ~GeanyBridge() override;
  GeanyBridge(const GeanyBridge&) = delete;
  GeanyBridge& operator=(const GeanyBridge&) = delete;

  // A key press in Geany's window; true when it is consumed.
  bool KeyPress(const GdkEventKey& event);
  // Geany's documents: shown, opened or reloaded, saved, closed.
  void DocumentShown(GeanyDocument& document);
  void DocumentChanged(GeanyDocument& document);
  void DocumentSaved(GeanyDocument& document);
  void DocumentClosed(GeanyDocument& document);
  // Tools -> "Add-in Packages...".
  void ShowPackages();

  // IdeObserver
  void OnFault(const Fault& fault) override;
  TModalResult OnDialog(TForm& form) override;
  void OnMessage(const std::string& text) override;
  void OnAddinMessage(const std::string& text) override;

  AddinHost& Host() noexcept { return *host_; }
  GeanyEditor& Editor() noexcept { return editor_; }

 private:
  void LoadPackages();
  void ConnectSignals();
  // Unloads the packages and lets go of everything handed out, as the destructor does.
  void Shutdown() noexcept;
  // Runs a call from Geany's side; what it raises is reported, not passed back into Geany.
  template <class Call>
  auto Guarded(const char* what, Call call) noexcept -> decltype(call());

  GeanyPlugin* plugin_;
  MessageWindow messages_;
  KeyObjects keyObjects_;
  GeanyEditor editor_;
  std::optional<AddinHost> host_;
  ComPtr<ServicesObject> services_;
  GtkWidget* menuItem_ = nullptr;
};

}  // namespace zeb
