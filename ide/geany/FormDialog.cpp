#include "ide/geany/FormDialog.h"

#include <gtk/gtk.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <memory>
#include <set>
#include <span>
#include <utility>
#include <vector>

#include "runtime/Controls.h"

namespace zeb {

namespace {

struct Substitution {
  std::string_view name;
  std::span<const std::string_view> families;
};
// Noto first: at the dialog's 12 pixels NanumGothic draws "." like ",".
constexpr std::string_view kKorean[] = {"Noto Sans CJK KR", "Noto Sans KR", "NanumGothic",
                                        "NanumBarunGothic"};
constexpr std::string_view kTahoma[] = {"DejaVu Sans"};
constexpr Substitution kSubstitutions[] = {
    {"굴림", kKorean}, {"Gulim", kKorean}, {"굴림체", kKorean}, {"GulimChe", kKorean},
    {"돋움", kKorean}, {"Dotum", kKorean}, {"Tahoma", kTahoma},
};

bool FamilyInstalled(std::string_view family) {
  static const std::set<std::string, std::less<>> installed = [] {
    std::set<std::string, std::less<>> names;
    PangoFontFamily** families = nullptr;
    int count = 0;
    pango_font_map_list_families(pango_cairo_font_map_get_default(), &families, &count);
    for (int i = 0; i < count; ++i)
      names.emplace(pango_font_family_get_name(families[i]));
    g_free(families);
    return names;
  }();
  return installed.find(family) != installed.end();
}

// The form's font as a style sheet for the memos: the family quoted, the size in pixels (a
// negative height is the character height, a positive one the cell height).
std::string FontStyle(const TFont& font) {
  std::string family = SubstituteFontFamily(font.Name, FamilyInstalled);
  std::string quoted;
  for (const char c : family) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  const int pixels = std::max(1, font.Height < 0 ? -font.Height : font.Height);
  const auto style = static_cast<int>(font.Style);
  std::string css =
      "textview { font-family: \"" + quoted + "\"; font-size: " + std::to_string(pixels) + "px;";
  if ((style & static_cast<int>(TFontStyle::Bold)) != 0) css += " font-weight: bold;";
  if ((style & static_cast<int>(TFontStyle::Italic)) != 0) css += " font-style: italic;";
  return css + " }";
}

// The memo's lines as one text; each line is shown as it is, a line break inside it included.
std::string JoinLines(const TStrings& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.Lines().size(); ++i) {
    if (i != 0) text += '\n';
    text += lines.Lines()[i];
  }
  return text;
}

GtkPolicyType Policy(bool shown) {
  // A memo without a scroll bar still scrolls with the keys, as the form library's memo does.
  return shown ? GTK_POLICY_ALWAYS : GTK_POLICY_EXTERNAL;
}

struct Shown {
  GMainLoop* loop = nullptr;
  std::vector<std::pair<TMemo*, GtkTextView*>> memos;
};

// What the user typed goes back into the form's memos, line by line.
void StoreIntoForm(Shown& shown) noexcept {
  try {
    for (const auto& [memo, view] : shown.memos) {
      GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
      GtkTextIter start;
      GtkTextIter end;
      gtk_text_buffer_get_bounds(buffer, &start, &end);
      const std::unique_ptr<gchar, decltype(&g_free)> text(
          gtk_text_buffer_get_text(buffer, &start, &end, FALSE), &g_free);
      memo->Lines.Clear();
      std::string_view rest = text.get();
      if (rest.empty()) continue;
      while (true) {
        const std::size_t lf = rest.find('\n');
        memo->Lines.Add(std::string(rest.substr(0, lf)));
        if (lf == std::string_view::npos) break;
        rest.remove_prefix(lf + 1);
      }
    }
  } catch (...) {
    // Out of memory: the memo keeps what it had.
  }
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  StoreIntoForm(*static_cast<Shown*>(data));
  return FALSE;  // the window goes
}

void OnDestroy(GtkWidget*, gpointer data) {
  g_main_loop_quit(static_cast<Shown*>(data)->loop);
}

gboolean OnKeyPress(GtkWidget* window, GdkEventKey* event, gpointer) {
  const guint modifiers = event->state & static_cast<guint>(gtk_accelerator_get_default_mod_mask());
  if (event->keyval != GDK_KEY_Escape || modifiers != 0) return FALSE;
  gtk_window_close(GTK_WINDOW(window));
  return TRUE;
}

GtkWidget* AddMemo(TMemo& memo, GtkFixed* area, GtkCssProvider* font, Shown& shown) {
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_widget_set_name(scroller, memo.Name.c_str());
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
  // Scroll bars that are always drawn, as the form asks, not ones that appear on hovering.
  gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(scroller), FALSE);
  const bool horizontal =
      memo.ScrollBars == TScrollStyle::ssHorizontal || memo.ScrollBars == TScrollStyle::ssBoth;
  const bool vertical =
      memo.ScrollBars == TScrollStyle::ssVertical || memo.ScrollBars == TScrollStyle::ssBoth;
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), Policy(horizontal),
                                 Policy(vertical));
  gtk_widget_set_size_request(scroller, memo.Width, memo.Height);

  GtkWidget* view = gtk_text_view_new();
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view),
                              memo.WordWrap ? GTK_WRAP_WORD_CHAR : GTK_WRAP_NONE);
  gtk_text_view_set_editable(GTK_TEXT_VIEW(view), memo.ReadOnly ? FALSE : TRUE);
  gtk_style_context_add_provider(gtk_widget_get_style_context(view), GTK_STYLE_PROVIDER(font),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  const std::string text = JoinLines(memo.Lines);
  gtk_text_buffer_set_text(buffer, text.data(), static_cast<gint>(text.size()));
  GtkTextIter start;
  gtk_text_buffer_get_start_iter(buffer, &start);
  gtk_text_buffer_place_cursor(buffer, &start);

  gtk_container_add(GTK_CONTAINER(scroller), view);
  gtk_fixed_put(area, scroller, memo.Left, memo.Top);
  shown.memos.emplace_back(&memo, GTK_TEXT_VIEW(view));
  return view;
}

}  // namespace

std::string SubstituteFontFamily(std::string_view name,
                                 const std::function<bool(std::string_view)>& installed) {
  for (const Substitution& substitution : kSubstitutions) {
    if (substitution.name != name) continue;
    for (const std::string_view family : substitution.families)
      if (installed(family)) return std::string(family);
  }
  return std::string(name);
}

TModalResult ShowFormDialog(TForm& form, GtkWindow* parent) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_widget_set_name(window, form.Name.c_str());
  gtk_window_set_title(GTK_WINDOW(window), form.Caption.c_str());
  gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_modal(GTK_WINDOW(window), TRUE);
  if (parent != nullptr) {
    gtk_window_set_transient_for(GTK_WINDOW(window), parent);
    gtk_window_set_destroy_with_parent(GTK_WINDOW(window), TRUE);
  }
  const bool fixedFrame = form.BorderStyle == TFormBorderStyle::bsDialog ||
                          form.BorderStyle == TFormBorderStyle::bsSingle;
  // A fixed frame keeps the client area at its stored size; the window manager then offers no
  // control to change it.
  gtk_window_set_resizable(GTK_WINDOW(window), fixedFrame ? FALSE : TRUE);

  GtkWidget* area = gtk_fixed_new();
  gtk_widget_set_size_request(area, form.ClientWidth, form.ClientHeight);
  gtk_container_add(GTK_CONTAINER(window), area);

  GtkCssProvider* font = gtk_css_provider_new();
  const std::string style = FontStyle(form.Font);
  gtk_css_provider_load_from_data(font, style.c_str(), -1, nullptr);

  Shown shown;
  std::vector<TControl*> controls = form.Controls();
  std::stable_sort(controls.begin(), controls.end(),
                   [](const TControl* a, const TControl* b) { return a->TabOrder < b->TabOrder; });
  GtkWidget* first = nullptr;
  for (TControl* control : controls) {
    auto* memo = dynamic_cast<TMemo*>(control);
    if (memo == nullptr) continue;  // the only control the form library has to draw
    GtkWidget* view = AddMemo(*memo, GTK_FIXED(area), font, shown);
    if (first == nullptr) first = view;
  }
  g_object_unref(font);

  if (form.Position == TPosition::poScreenCenter || form.Position == TPosition::poMainFormCenter) {
    // Centred over Geany's window, which is where the user looks; on the screen without one.
    const bool over = parent != nullptr && gtk_widget_get_visible(GTK_WIDGET(parent));
    gtk_window_set_position(GTK_WINDOW(window),
                            over ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  } else {
    gtk_window_move(GTK_WINDOW(window), form.Left, form.Top);
  }

  shown.loop = g_main_loop_new(nullptr, FALSE);
  g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), &shown);
  g_signal_connect(window, "destroy", G_CALLBACK(OnDestroy), &shown);
  g_signal_connect(window, "key-press-event", G_CALLBACK(OnKeyPress), nullptr);
  gtk_widget_show_all(window);
  if (first != nullptr) gtk_widget_grab_focus(first);
  // Until the window is gone: closed by the user, or destroyed with Geany's window.
  g_main_loop_run(shown.loop);
  g_main_loop_unref(shown.loop);
  // Closed with Escape or the window's close control: the form library's "cancel".
  return mrCancel;
}

}  // namespace zeb
