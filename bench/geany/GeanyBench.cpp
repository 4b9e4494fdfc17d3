// zeb-geany-bench: a Geany plugin that starts the Geany bridge as zeb-geany does and, once Geany
// is up, times in the same Geany process:
//
//   BM_GeanyBridgeTab/100000       Tab on a 100,000-line block, the whole press through the
//                                  bridge (key code, key bindings, the add-in, the view's indent)
//   BM_GeanyIncreaseIndent/100000  Geany's own Format -> Increase Indent on the same block, the
//                                  same 4 spaces a line
//   BM_GeanyBridgePassedOn         a Tab with no block, which the add-in passes on: the bridge's
//                                  part of the press, before Geany's own handling
//   BM_GeanyOwnTab                 Geany's editor inserting a tab (its own handling, for scale)
//
// and writes them to $ZEB_GEANY_BENCH_OUT in Google Benchmark's JSON format (the median of
// $ZEB_GEANY_BENCH_REPETITIONS runs, thread CPU time and wall time), which scripts/bench.sh
// reads with the other benchmarks. Geany is left running; the script ends it.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

// Geany's header defines gettext's names as macros: after the standard library's headers.
#include <geanyplugin.h>

#include "ide/geany/GeanyBridge.h"

namespace {

std::unique_ptr<zeb::GeanyBridge> bridge;

struct Clock {
  double cpu = 0;   // seconds of this thread's CPU time
  double wall = 0;  // seconds
};

Clock Now() {
  timespec cpu{};
  timespec wall{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
  clock_gettime(CLOCK_MONOTONIC, &wall);
  return {static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) * 1e-9,
          static_cast<double>(wall.tv_sec) + static_cast<double>(wall.tv_nsec) * 1e-9};
}

Clock Since(const Clock& start, double per = 1) {
  const Clock end = Now();
  return {(end.cpu - start.cpu) / per, (end.wall - start.wall) / per};
}

struct Result {
  std::string name;
  std::vector<Clock> runs;
  long bytesChanged = 0;  // by one run, to check that both indents did the same
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

sptr_t Send(ScintillaObject* sci, unsigned int message, uptr_t w = 0, sptr_t l = 0) {
  return scintilla_send_message(sci, message, w, l);
}

bool PressTab() {
  GdkEventKey event{};
  event.type = GDK_KEY_PRESS;
  event.keyval = GDK_KEY_Tab;
  return bridge->KeyPress(event);
}

void Write(const std::vector<Result>& results, const std::string& path) {
  std::string json =
      "{\n  \"context\": {\"executable\": \"zeb-geany-bench\"},\n  \"benchmarks\": [\n";
  for (std::size_t i = 0; i < results.size(); ++i) {
    const Result& r = results[i];
    std::vector<double> cpu;
    std::vector<double> wall;
    for (const Clock& run : r.runs) {
      cpu.push_back(run.cpu * 1e9);
      wall.push_back(run.wall * 1e9);
    }
    json += "    {\"name\": \"" + r.name + "_median\", \"run_name\": \"" + r.name +
            "\", \"run_type\": \"aggregate\", \"aggregate_name\": \"median\", \"repetitions\": " +
            std::to_string(r.runs.size()) + ", \"real_time\": " + std::to_string(Median(wall)) +
            ", \"cpu_time\": " + std::to_string(Median(cpu)) +
            ", \"time_unit\": \"ns\", \"bytes_changed\": " + std::to_string(r.bytesChanged) + "}" +
            (i + 1 < results.size() ? ",\n" : "\n");
  }
  json += "  ]\n}\n";
  const std::string part = path + ".part";
  std::ofstream(part) << json;
  std::filesystem::rename(part, path);
}

gboolean Run(gpointer) {
  const char* out = std::getenv("ZEB_GEANY_BENCH_OUT");
  const char* reps = std::getenv("ZEB_GEANY_BENCH_REPETITIONS");
  const int repetitions = std::max(1, reps != nullptr ? std::atoi(reps) : 3);
  if (out == nullptr || bridge == nullptr) return G_SOURCE_REMOVE;

  // 100,000 lines to indent, the last without a line end, so that Geany's command and the
  // add-in's both indent exactly these lines.
  std::string text;
  for (int i = 0; i < 100000; ++i)
    text += i == 0 ? "    Total := Total + Item[I] * Rate[I];"
                   : "\n    Total := Total + Item[I] * Rate[I];";
  const std::string file = (std::filesystem::temp_directory_path() / "Bench.cpp").string();
  GeanyDocument* document = document_new_file(file.c_str(), nullptr, text.c_str());
  editor_set_indent_type(document->editor, GEANY_INDENT_TYPE_SPACES);
  editor_set_indent_width(document->editor, 4);
  ScintillaObject* sci = document->editor->sci;
  gtk_widget_grab_focus(GTK_WIDGET(sci));

  Result tab{"BM_GeanyBridgeTab/100000", {}, 0};
  Result indent{"BM_GeanyIncreaseIndent/100000", {}, 0};
  Result passedOn{"BM_GeanyBridgePassedOn", {}, 0};
  Result ownTab{"BM_GeanyOwnTab", {}, 0};
  const sptr_t length = Send(sci, SCI_GETLENGTH);
  for (int rep = 0; rep < repetitions; ++rep) {
    Send(sci, SCI_SETSEL, 0, length);
    Clock start = Now();
    if (!PressTab()) std::fprintf(stderr, "zeb-geany-bench: the bridge passed the Tab on\n");
    tab.runs.push_back(Since(start));
    tab.bytesChanged = static_cast<long>(Send(sci, SCI_GETLENGTH) - length);
    Send(sci, SCI_UNDO);

    Send(sci, SCI_SETSEL, 0, length);
    start = Now();
    keybindings_send_command(GEANY_KEY_GROUP_FORMAT, GEANY_KEYS_FORMAT_INCREASEINDENT);
    indent.runs.push_back(Since(start));
    indent.bytesChanged = static_cast<long>(Send(sci, SCI_GETLENGTH) - length);
    Send(sci, SCI_UNDO);

    // No block: the add-in passes Tab on, and the press goes on to Geany.
    constexpr int kPresses = 20000;
    Send(sci, SCI_GOTOPOS, static_cast<uptr_t>(length / 2));
    start = Now();
    bool consumed = false;
    for (int i = 0; i < kPresses; ++i)
      consumed = PressTab() || consumed;
    passedOn.runs.push_back(Since(start, kPresses));
    if (consumed) std::fprintf(stderr, "zeb-geany-bench: a Tab with no block was consumed\n");

    constexpr int kTabs = 1000;
    const sptr_t at = Send(sci, SCI_GETCURRENTPOS);
    start = Now();
    for (int i = 0; i < kTabs; ++i)
      Send(sci, SCI_TAB);
    ownTab.runs.push_back(Since(start, kTabs));
    Send(sci, SCI_DELETERANGE, static_cast<uptr_t>(at), Send(sci, SCI_GETCURRENTPOS) - at);
  }
  Write({tab, indent, passedOn, ownTab}, out);
  return G_SOURCE_REMOVE;
}

gboolean Init(GeanyPlugin* plugin, gpointer) {
  try {
    bridge = std::make_unique<zeb::GeanyBridge>(*plugin);
  } catch (...) {
    return FALSE;
  }
  // Once Geany's window is up and idle.
  plugin_timeout_add(plugin, 1000, Run, nullptr);
  return TRUE;
}

void Cleanup(GeanyPlugin*, gpointer) {
  bridge.reset();
}

}  // namespace

extern "C" G_MODULE_EXPORT void geany_load_module(GeanyPlugin* plugin) {
  plugin->info->name = "ZEB IDE Add-ins benchmark";
  plugin->info->description = "Times the ZEB IDE add-in bridge beside Geany's own commands";
  plugin->info->version = ZEB_VERSION;
  plugin->info->author = "ZEB IDE developers <zeb-ide@example.org>";
  plugin->funcs->init = Init;
  plugin->funcs->cleanup = Cleanup;
  GEANY_PLUGIN_REGISTER(plugin, 237);
}
