#include "viewer/TraceLogFile.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include "viewer/Viewer.h"

namespace zeb {

namespace {

constexpr std::size_t kWriteBuffer = std::size_t{1} << 20;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Writes what `fill` appends to a buffer, a buffer at a time, to `path`.
void WriteFile(const std::string& path,
               const std::function<void(std::string& buffer,
                                        const std::function<void()>& flushIfFull)>& fill) {
  const auto fail = [&] {
    throw ViewerError("cannot write " + path + ": " + std::strerror(errno != 0 ? errno : EIO));
  };
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) fail();
  File owned(file);
  std::string buffer;
  buffer.reserve(kWriteBuffer + 4096);
  const auto flush = [&] {
    if (!buffer.empty() && std::fwrite(buffer.data(), 1, buffer.size(), file) != buffer.size()) {
      fail();
    }
    buffer.clear();
  };
  fill(buffer, [&] {
    if (buffer.size() >= kWriteBuffer) flush();
  });
  flush();
  if (std::fclose(owned.release()) != 0) fail();
}

// Calls `each` with every serial to save.
void ForEach(const TraceStore& store, const TraceShownList* only,
             const std::function<void(TraceStore::Serial)>& each) {
  if (only != nullptr) {
    for (std::size_t row = 0; row < only->Size(); ++row)
      if (only->At(row) >= store.First() && only->At(row) < store.End()) each(only->At(row));
  } else {
    for (TraceStore::Serial s = store.First(); s < store.End(); ++s)
      each(s);
  }
}

std::string_view NextField(std::string_view& line) {
  const std::size_t tab = line.find('\t');
  const std::string_view field = line.substr(0, tab);
  line.remove_prefix(tab == std::string_view::npos ? line.size() : tab + 1);
  return field;
}

template <typename T>
bool Number(std::string_view text, T& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

void SaveTraceText(const std::string& path, const TraceStore& store, const TraceShownList* only) {
  WriteFile(path, [&](std::string& buffer, const std::function<void()>& flushIfFull) {
    ForEach(store, only, [&](TraceStore::Serial s) {
      store.AppendLine(buffer, store.At(s));
      buffer += '\n';
      flushIfFull();
    });
  });
}

void SaveTraceLog(const std::string& path, const TraceStore& store,
                  const std::vector<TraceRule>& rules, const TraceShownList* only) {
  WriteFile(path, [&](std::string& buffer, const std::function<void()>& flushIfFull) {
    buffer += kTraceLogHeader;
    buffer += '\n';
    for (const TraceRule& rule : rules)
      buffer += RuleToText(rule) + '\n';
    char number[24];
    const auto append = [&](auto value) {
      buffer.append(number, std::to_chars(number, number + sizeof number, value).ptr);
      buffer += '\t';
    };
    ForEach(store, only, [&](TraceStore::Serial s) {
      const TraceStore::Entry& e = store.At(s);
      const TraceSender& sender = store.SenderOf(e);
      append(e.micros);
      append(sender.pid);
      append(sender.dwData);
      append(e.cbData);
      append(e.flags);
      buffer += sender.name;
      buffer += '\t';
      buffer += store.Text(e);
      buffer += '\n';
      flushIfFull();
    });
  });
}

std::vector<TraceRule> OpenTraceLog(const std::string& path, TraceStore& into) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw ViewerError(path + ": " + std::strerror(errno));
  File owned(file);
  std::string bytes;
  char block[1 << 16];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
    bytes.append(block, n);
  if (std::ferror(file)) throw ViewerError(path + ": " + std::strerror(errno));

  struct Message {
    std::int64_t micros = 0;
    std::int64_t pid = 0;
    std::uint64_t dwData = 0;
    std::uint32_t cbData = 0;
    std::uint32_t flags = 0;
    std::string_view name, text;
  };
  std::vector<TraceRule> rules;
  std::vector<Message> messages;
  std::size_t lineNumber = 0;
  const auto bad = [&](const std::string& why) {
    return ViewerError(path + ": line " + std::to_string(lineNumber) + ": " + why);
  };
  std::string_view rest(bytes);
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    if (end == std::string_view::npos) {
      ++lineNumber;
      throw bad("the file ends in the middle of a line");
    }
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    if (++lineNumber == 1) {
      if (line != kTraceLogHeader) {
        throw ViewerError(path + ": not a zeb-trace log (it does not start with \"" +
                          kTraceLogHeader + "\")");
      }
      continue;
    }
    if (line.starts_with("rule\t")) {
      if (!messages.empty()) throw bad("a rule after the messages");
      auto rule = RuleFromText(line);
      if (!rule) throw bad("not a rule");
      rules.push_back(std::move(*rule));
      continue;
    }
    Message m;
    if (!Number(NextField(line), m.micros) || !Number(NextField(line), m.pid) ||
        !Number(NextField(line), m.dwData) || !Number(NextField(line), m.cbData) ||
        !Number(NextField(line), m.flags)) {
      throw bad("not a message");
    }
    m.name = NextField(line);
    m.text = line;
    if (m.text.find('\t') != std::string_view::npos) throw bad("not a message");
    messages.push_back(m);
  }
  if (lineNumber == 0) throw ViewerError(path + ": empty, not a zeb-trace log");

  const Message* last = nullptr;
  std::uint32_t sender = 0;
  for (const Message& m : messages) {
    if (last == nullptr || last->pid != m.pid || last->dwData != m.dwData || last->name != m.name) {
      sender = into.Sender(m.pid, m.dwData, m.name);
      last = &m;
    }
    into.AddVisible(m.micros, sender, m.cbData, m.flags & TraceStore::kBookmark, m.text);
  }
  return rules;
}

}  // namespace zeb
