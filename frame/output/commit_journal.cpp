#include "output/commit_journal.hpp"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "output/commit_file_steps.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view k_header = "zervola-commit-journal 1\n";
constexpr std::string_view k_state_key = "state ";
// Every state's word has this many letters, so that set_state rewrites the
// word in place without moving the rest of the journal.
constexpr std::size_t k_state_width = 7;
constexpr std::array<std::string_view, 3> k_state_words = {"prepare", "replace", "restore"};
constexpr std::string_view k_end = "end";

constexpr std::string_view k_journal_prefix = ".zervola-commit.";
constexpr std::string_view k_journal_suffix = ".journal";
constexpr std::string_view k_partial_suffix = ".part";
constexpr std::string_view k_leftover_marker = ".zervola-";
constexpr std::array<std::string_view, 2> k_leftover_kinds = {".tmp", ".old"};

// Tags tried before giving up: only journals left by a process of the same
// number, which recovery settles first, take a tag.
constexpr unsigned k_max_tag_serials = 64;

// The characters a path may hold that the line format uses.
constexpr std::string_view k_escaped = "%\t\r\n";

std::string journal_escape(const std::string& s) {
  std::string out;
  for (const char c : s) {
    if (k_escaped.find(c) == std::string_view::npos) out.push_back(c);
    else out += fmt::format("%{:02X}", static_cast<unsigned char>(c));
  }
  return out;
}

std::optional<std::string> unescape(std::string_view s) {
  constexpr int k_hex = 16;
  std::string out;
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (s[k] != '%') {
      out.push_back(s[k]);
      continue;
    }
    unsigned value = 0;
    if (k + 2 >= s.size()) return std::nullopt;
    const auto [end, ec] = std::from_chars(s.data() + k + 1, s.data() + k + 3, value, k_hex);
    if (ec != std::errc() || end != s.data() + k + 3) return std::nullopt;
    out.push_back(static_cast<char>(value));
    k += 2;
  }
  return out;
}

std::vector<std::string_view> split(std::string_view line, char separator) {
  std::vector<std::string_view> parts;
  std::size_t from = 0;
  for (std::size_t at = line.find(separator); at != std::string_view::npos;
       at = line.find(separator, from)) {
    parts.push_back(line.substr(from, at - from));
    from = at + 1;
  }
  parts.push_back(line.substr(from));
  return parts;
}

// The process number at the start of a tag "<pid>-<serial>"; 0 when text
// does not start with one.
pid_t tag_pid(std::string_view tag) {
  pid_t pid = 0;
  const auto [end, ec] = std::from_chars(tag.data(), tag.data() + tag.size(), pid);
  if (ec != std::errc() || pid <= 0 || end == tag.data() + tag.size() || *end != '-') return 0;
  for (const char* c = end + 1; c != tag.data() + tag.size(); ++c)
    if (*c < '0' || *c > '9') return 0;
  return end + 1 == tag.data() + tag.size() ? 0 : pid;
}

std::string make_tag(unsigned serial) { return fmt::format("{}-{}", ::getpid(), serial); }

}  // namespace

std::string encode_journal(const Journal& journal) {
  std::string text(k_header);
  const std::string_view state = k_state_words[static_cast<std::size_t>(journal.state)];
  text += fmt::format("{}{}\n", k_state_key, state);
  for (const fs::path& d : journal.created_directories)
    text += fmt::format("directory\t{}\n", journal_escape(d.string()));
  for (const JournalEntry& e : journal.entries)
    text += fmt::format("file\t{}\t{}\t{}\t{}\n", e.had_old ? 1 : 0, journal_escape(e.target.string()),
                        journal_escape(e.temporary.string()), journal_escape(e.backup.string()));
  text += fmt::format("{}\n", k_end);
  return text;
}

std::optional<Journal> parse_journal(std::string_view text) {
  if (!text.starts_with(k_header)) return std::nullopt;
  std::vector<std::string_view> lines = split(text.substr(k_header.size()), '\n');
  // The last line ends with a line break: the piece after it is empty.
  if (lines.size() < 3 || !lines.back().empty() || lines[lines.size() - 2] != k_end)
    return std::nullopt;
  lines.resize(lines.size() - 2);
  Journal journal;
  const std::string_view state = lines[0];
  bool known = false;
  for (std::size_t k = 0; k < k_state_words.size(); ++k)
    if (state == fmt::format("{}{}", k_state_key, k_state_words[k])) {
      journal.state = static_cast<CommitState>(k);
      known = true;
    }
  if (!known) return std::nullopt;
  for (std::size_t k = 1; k < lines.size(); ++k) {
    const std::vector<std::string_view> f = split(lines[k], '\t');
    std::vector<std::string> paths;
    for (std::size_t p = f[0] == "directory" ? 1 : 2; p < f.size(); ++p) {
      std::optional<std::string> path = unescape(f[p]);
      if (!path || path->empty()) return std::nullopt;
      paths.push_back(std::move(*path));
    }
    if (f[0] == "directory" && paths.size() == 1) {
      journal.created_directories.emplace_back(paths[0]);
    } else if (f[0] == "file" && paths.size() == 3 && (f[1] == "0" || f[1] == "1")) {
      journal.entries.push_back({paths[0], paths[1], paths[2], f[1] == "1"});
    } else {
      return std::nullopt;
    }
  }
  return journal;
}

fs::path leftover_name(const fs::path& target, const std::string& tag, std::string_view kind) {
  return target.parent_path() /
         fmt::format(".{}{}{}.{}", target.filename().string(), k_leftover_marker, tag, kind);
}

CommitFileName classify_commit_file(std::string_view name) {
  const auto tagged = [](CommitFileKind kind, std::string_view tag) -> CommitFileName {
    const pid_t pid = tag_pid(tag);
    return pid == 0 ? CommitFileName{} : CommitFileName{kind, std::string(tag), pid};
  };
  const auto between = [&](std::string_view prefix, std::string_view suffix) {
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(suffix))
      return std::string_view();
    return name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  };
  if (const auto tag = between(k_journal_prefix, k_journal_suffix); !tag.empty())
    return tagged(CommitFileKind::journal, tag);
  if (const auto tag = between(k_journal_prefix, k_partial_suffix); !tag.empty())
    return tagged(CommitFileKind::partial_journal, tag);
  // .<name>.zervola-<tag>.tmp|old, <name> not empty
  for (const std::string_view kind : k_leftover_kinds) {
    if (!name.starts_with('.') || !name.ends_with(kind)) continue;
    const std::string_view body = name.substr(0, name.size() - kind.size());
    const std::size_t marker = body.rfind(k_leftover_marker);
    if (marker == std::string_view::npos || marker < 2) continue;
    return tagged(CommitFileKind::leftover, body.substr(marker + k_leftover_marker.size()));
  }
  return {};
}

JournalFile::JournalFile(const fs::path& directory,
                         const std::function<Journal(const std::string& tag)>& plan) {
  for (unsigned serial = 0; serial < k_max_tag_serials; ++serial) {
    tag_ = make_tag(serial);
    const fs::path partial =
        directory / fmt::format("{}{}{}", k_journal_prefix, tag_, k_partial_suffix);
    path_ = directory / fmt::format("{}{}{}", k_journal_prefix, tag_, k_journal_suffix);
    if (present(path_)) continue;
    journal_ = plan(tag_);
    try {
      write_new_file(partial, encode_journal(journal_), partial.string());
    } catch (...) {
      remove_file(partial);
      throw;
    }
    fd_ = ::open(partial.c_str(), O_RDWR | O_CLOEXEC);
    // Held before the journal shows under its name: a journal found there
    // and not held is one whose commit was interrupted.
    const bool held = fd_ >= 0 && ::flock(fd_, LOCK_EX) == 0;
    const int err = errno;
    const bool linked = held && ::link(partial.c_str(), path_.c_str()) == 0;
    const int link_err = errno;
    remove_file(partial);
    if (linked) {
      sync_directory(directory);
      return;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (held && link_err == EEXIST) continue;
    throw OutputError(fmt::format("{}: cannot create the commit journal: {}", path_.string(),
                                  std::strerror(held ? link_err : err)));
  }
  throw OutputError(fmt::format("{}: cannot create the commit journal: every name is taken",
                                path_.string()));
}

JournalFile::~JournalFile() {
  if (fd_ >= 0) ::close(fd_);
}

void JournalFile::set_state(CommitState state) {
  const std::string_view word = k_state_words[static_cast<std::size_t>(state)];
  static_assert(std::all_of(k_state_words.begin(), k_state_words.end(),
                            [](std::string_view w) { return w.size() == k_state_width; }));
  const auto offset = static_cast<off_t>(k_header.size() + k_state_key.size());
  if (::pwrite(fd_, word.data(), word.size(), offset) != static_cast<ssize_t>(word.size()) ||
      ::fsync(fd_) != 0)
    throw OutputError(fmt::format("{}: cannot write the commit journal: {}", path_.string(),
                                  std::strerror(errno)));
  journal_.state = state;
}

bool JournalFile::remove() noexcept {
  const bool removed = remove_file(path_);
  sync_directory(path_.parent_path());
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  return removed;
}

}  // namespace zervola::frame
