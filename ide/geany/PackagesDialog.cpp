#include "ide/geany/PackagesDialog.h"

#include <gtk/gtk.h>

#include "runtime/VisibleText.h"

namespace zeb {

std::string PackagesText(const std::vector<std::unique_ptr<Package>>& packages,
                         const std::vector<AddinHost::PackageFolder>& folders) {
  std::string text;
  // A package's identity is the package's own text: shown as any text from an add-in is.
  for (const auto& package : packages) {
    if (!text.empty()) text += '\n';
    const PackageIdentity& id = package->Identity();
    text += VisibleText(id.name) + ": " + VisibleText(id.description) + '\n';
    for (const IdentityRow& row : package->IdentityRows())
      text += "  " + VisibleText(row.label) + ": " + VisibleText(row.value) + '\n';
  }
  if (!text.empty()) return text;
  text = "No add-in package is loaded. Packages are loaded from:\n";
  for (const AddinHost::PackageFolder& folder : folders)
    text += "  " + VisibleText(folder.path) + " (" + folder.kind + ")\n";
  return text;
}

void ShowPackagesDialog(const std::string& text, GtkWindow* parent) {
  GtkWidget* dialog = gtk_dialog_new_with_buttons(
      "Add-in Packages", parent,
      static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), "_Close",
      GTK_RESPONSE_CLOSE, nullptr);
  gtk_window_set_default_size(GTK_WINDOW(dialog), 720, 440);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
  gtk_widget_set_vexpand(scroller, TRUE);
  GtkWidget* view = gtk_text_view_new();
  gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
  gtk_text_view_set_monospace(GTK_TEXT_VIEW(view), TRUE);
  gtk_text_view_set_left_margin(GTK_TEXT_VIEW(view), 6);
  gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), text.data(),
                           static_cast<gint>(text.size()));
  gtk_container_add(GTK_CONTAINER(scroller), view);
  gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), scroller, TRUE, TRUE,
                     0);
  gtk_widget_show_all(dialog);
  gtk_widget_grab_focus(view);
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
}

}  // namespace zeb
