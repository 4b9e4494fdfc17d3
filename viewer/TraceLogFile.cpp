#include "viewer/TraceLogFile.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

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

TraceLog ReadTraceLog(const std::string& path, TraceStoreLimits limits) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw ViewerError(path + ": " + std::strerror(errno));
  File owned(file);
  // Read whole, in one piece of the file's size (a log of a million messages is some 80 MB).
  std::string bytes;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long size = std::ftell(file);
    if (size > 0) bytes.reserve(static_cast<std::size_t>(size));
    std::rewind(file);
  }
  char block[1 << 16];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
    bytes.append(block, n);
  if (std::ferror(file)) throw ViewerError(path + ": " + std::strerror(errno));

  TraceLog log{std::make_unique<TraceStore>(limits), {}};
  TraceStore& store = *log.store;
  std::size_t lineNumber = 0;
  const auto bad = [&](const std::string& why) {
    return ViewerError(path + ": line " + std::to_string(lineNumber) + ": " + why);
  };
  // The sender of the line before, looked up again only when another's line comes.
  std::int64_t lastPid = 0;
  std::uint64_t lastDwData = 0;
  std::string_view lastName;
  std::optional<std::uint32_t> sender;
  bool messages = false;
  std::string_view rest(bytes);
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    ++lineNumber;
    if (end == std::string_view::npos) throw bad("the file ends in the middle of a line");
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    if (lineNumber == 1) {
      if (line != kTraceLogHeader) {
        throw ViewerError(path + ": not a zeb-trace log (it does not start with \"" +
                          kTraceLogHeader + "\")");
      }
      continue;
    }
    if (line.starts_with("rule\t")) {
      if (messages) throw bad("a rule after the messages");
      auto rule = RuleFromText(line);
      if (!rule) throw bad("not a rule");
      log.rules.push_back(std::move(*rule));
      continue;
    }
    std::int64_t micros = 0, pid = 0;
    std::uint64_t dwData = 0;
    std::uint32_t cbData = 0, flags = 0;
    if (!Number(NextField(line), micros) || !Number(NextField(line), pid) ||
        !Number(NextField(line), dwData) || !Number(NextField(line), cbData) ||
        !Number(NextField(line), flags)) {
      throw bad("not a message");
    }
    const std::string_view name = NextField(line);
    if (line.find('\t') != std::string_view::npos) throw bad("not a message");
    messages = true;
    if (!sender || pid != lastPid || dwData != lastDwData || name != lastName) {
      sender = store.Sender(pid, dwData, name);
      lastPid = pid;
      lastDwData = dwData;
      lastName = name;
    }
    store.AddVisible(micros, *sender, cbData, flags & TraceStore::kBookmark, line);
  }
  if (lineNumber == 0) throw ViewerError(path + ": empty, not a zeb-trace log");
  return log;
}

}  // namespace zeb
