// The population register's person service, as this installation runs it: a
// shared object that answers from a UTF-8 tab-separated file. The first line
// names the columns (EGN and the value keys, in any order); each further line
// is one person. The file is named by ZV_PERSONINFO_DATA, else it is
// personinfo.tsv in the program's configuration folder.
//
// The file is read once per process and kept; a service object created later
// reads it again only when the file has changed (another inode, size or
// modification time). Service objects share the loaded file.
//
// A file whose data lines do not have the header's number of fields (a tab
// too many or too few shifts every later column) is refused as a whole: it
// would answer with the wrong values. PersonInfoLoadProblem tells why.
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "PersInfoLib_TLB.h"

#define PERSONINFO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// ------------------------------------------------------------------ text

void appendUtf8(std::string &out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string utf8Of(const PIWideChar *s) {
  std::string out;
  if (!s) return out;
  for (; *s; ++s) {
    char32_t c = *s;
    if (c >= 0xD800 && c <= 0xDBFF && s[1] >= 0xDC00 && s[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[1] - 0xDC00);
      ++s;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    appendUtf8(out, c);
  }
  return out;
}

// A malloc'ed zero-terminated UTF-16 copy of UTF-8 text; a byte that starts
// no valid sequence reads as U+FFFD.
PIWideChar *newWide(std::string_view s) {
  auto *out = static_cast<PIWideChar *>(std::malloc((s.size() + 1) * sizeof(PIWideChar)));
  if (!out) return nullptr;
  size_t n = 0;
  const auto *p = reinterpret_cast<const unsigned char *>(s.data());
  const auto *end = p + s.size();
  const auto cont = [&](const unsigned char *q) { return q < end && (*q & 0xC0) == 0x80; };
  while (p < end) {
    char32_t c = 0xFFFD;
    int len = 1;
    if (*p < 0x80) {
      c = *p;
    } else if ((*p & 0xE0) == 0xC0 && cont(p + 1)) {
      c = ((*p & 0x1Fu) << 6) | (p[1] & 0x3Fu);
      len = 2;
      if (c < 0x80) c = 0xFFFD;
    } else if ((*p & 0xF0) == 0xE0 && cont(p + 1) && cont(p + 2)) {
      c = ((*p & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
      len = 3;
      if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    } else if ((*p & 0xF8) == 0xF0 && cont(p + 1) && cont(p + 2) && cont(p + 3)) {
      c = ((*p & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
      len = 4;
      if (c < 0x10000 || c > 0x10FFFF) c = 0xFFFD;
    }
    p += len;
    if (c >= 0x10000) {
      // Four bytes of UTF-8 never take more than two UTF-16 units.
      c -= 0x10000;
      out[n++] = static_cast<PIWideChar>(0xD800 + (c >> 10));
      out[n++] = static_cast<PIWideChar>(0xDC00 + (c & 0x3FF));
    } else {
      out[n++] = static_cast<PIWideChar>(c);
    }
  }
  out[n] = 0;
  return out;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Splits one line at its tabs; a carriage return before the line end goes.
void splitLine(std::string_view line, std::vector<std::string_view> &fields) {
  fields.clear();
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return;
    }
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

// ------------------------------------------------------------------ the data file

struct FileId {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  long long mtimeSec = 0;
  long long mtimeNsec = 0;
  bool operator==(const FileId &) const = default;
};

struct Register {
  std::string path;
  FileId id;
  std::string text;  // the whole file; the views below point into it
  std::unordered_map<std::string, size_t> columns;
  struct Line {
    size_t begin, length;
  };
  std::vector<Line> people;
  std::unordered_map<std::string_view, size_t> byEgn;  // EGN -> index in people
};

std::string dataPath() {
  if (const char *env = std::getenv("ZV_PERSONINFO_DATA"); env && *env) return env;
  std::string base;
  if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    base = xdg;
  } else if (const char *home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.config";
  } else {
    return std::string();
  }
  return base + "/QuorinZV/personinfo.tsv";
}

bool identify(const std::string &path, FileId &id) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  id.dev = st.st_dev;
  id.ino = st.st_ino;
  id.size = st.st_size;
  id.mtimeSec = st.st_mtim.tv_sec;
  id.mtimeNsec = st.st_mtim.tv_nsec;
  return true;
}

std::mutex gMutex;
std::string gProblem;  // why the last file could not be used; empty when it could

// Null when the file cannot be read, has no EGN column or a line of another
// number of fields than the header (*problem then says which).
std::shared_ptr<const Register> load(const std::string &path, const FileId &id, std::string *problem) {
  auto reg = std::make_shared<Register>();
  reg->path = path;
  reg->id = id;
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) return nullptr;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return nullptr;
    in.seekg(0, std::ios::beg);
    reg->text.resize(static_cast<size_t>(size));
    if (size > 0 && !in.read(reg->text.data(), size)) return nullptr;
  }
  const std::string_view all(reg->text);
  size_t pos = 0;
  if (all.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;  // a byte-order mark some editors write

  const auto nextLine = [&](std::string_view &line) {
    if (pos >= all.size()) return false;
    size_t end = all.find('\n', pos);
    if (end == std::string_view::npos) end = all.size();
    line = all.substr(pos, end - pos);
    pos = end + 1;
    return true;
  };

  std::string_view line;
  std::vector<std::string_view> fields;
  if (!nextLine(line)) return nullptr;
  splitLine(line, fields);
  for (size_t i = 0; i < fields.size(); ++i) reg->columns.emplace(std::string(trimmed(fields[i])), i);
  const auto egnColumn = reg->columns.find("EGN");
  if (egnColumn == reg->columns.end()) {
    *problem = path + ": the first line names no EGN column";
    return nullptr;
  }
  const size_t egnAt = egnColumn->second;
  const size_t width = fields.size();

  size_t lineNo = 1;
  while (nextLine(line)) {
    ++lineNo;
    const size_t begin = static_cast<size_t>(line.data() - all.data());
    if (line.empty() || line == "\r") continue;
    splitLine(line, fields);
    if (fields.size() != width) {
      *problem = path + ": line " + std::to_string(lineNo) + " has " + std::to_string(fields.size()) +
                 " fields, the first line names " + std::to_string(width);
      return nullptr;
    }
    if (egnAt >= fields.size()) continue;
    const std::string_view egn = trimmed(fields[egnAt]);
    if (egn.empty()) continue;
    // The first line of a number wins.
    if (reg->byEgn.emplace(egn, reg->people.size()).second) reg->people.push_back({begin, line.size()});
  }
  return reg;
}

std::shared_ptr<const Register> gLoaded;

// The data file as it stands now: the kept copy while the file is unchanged.
std::shared_ptr<const Register> currentRegister() {
  const std::string path = dataPath();
  FileId id;
  std::lock_guard<std::mutex> lock(gMutex);
  if (!identify(path, id)) {
    gProblem = path.empty() ? "no data file" : path + ": no such file";
    return nullptr;
  }
  if (gLoaded && gLoaded->path == path && gLoaded->id == id) return gLoaded;
  std::string problem;
  std::shared_ptr<const Register> fresh = load(path, id, &problem);
  if (fresh) gLoaded = fresh;
  gProblem = fresh ? std::string() : problem.empty() ? path + ": cannot be read" : problem;
  return fresh;
}

// ------------------------------------------------------------------ the service object

struct Service : IPersonInfo {
  std::atomic<std::uint32_t> refs{1};
  std::shared_ptr<const Register> reg;
  bool hasCurrent = false;
  std::vector<std::string_view> current;  // the fields of the current person
};

Service *self(IPersonInfo *p) { return static_cast<Service *>(p); }

PIResult queryInterface(IPersonInfo *p, const PIGuid *iid, void **object) {
  if (!object) return PI_E_POINTER;
  *object = nullptr;
  if (!p || !iid) return PI_E_POINTER;
  if (*iid == IID_IUnknown || *iid == IID_IPersonInfo) {
    self(p)->refs.fetch_add(1);
    *object = p;
    return PI_S_OK;
  }
  return PI_E_NOINTERFACE;
}

std::uint32_t addRef(IPersonInfo *p) { return self(p)->refs.fetch_add(1) + 1; }

std::uint32_t release(IPersonInfo *p) {
  const std::uint32_t left = self(p)->refs.fetch_sub(1) - 1;
  if (left == 0) delete self(p);
  return left;
}

PIResult findByEgn(IPersonInfo *p, const PIWideChar *egn) {
  Service *s = self(p);
  s->hasCurrent = false;
  s->current.clear();
  const std::string key = utf8Of(egn);
  const auto hit = s->reg->byEgn.find(trimmed(key));
  if (hit == s->reg->byEgn.end()) return PI_S_FALSE;
  const Register::Line &line = s->reg->people[hit->second];
  splitLine(std::string_view(s->reg->text).substr(line.begin, line.length), s->current);
  s->hasCurrent = true;
  return PI_S_OK;
}

PIResult getField(IPersonInfo *p, const PIWideChar *key, PIWideChar **value) {
  if (!value) return PI_E_POINTER;
  *value = nullptr;
  Service *s = self(p);
  if (!s->hasCurrent) return PI_E_FAIL;
  const auto column = s->reg->columns.find(utf8Of(key));
  if (column == s->reg->columns.end()) return PI_S_FALSE;  // a key the file does not hold reads as empty
  if (column->second >= s->current.size()) return PI_S_OK;
  *value = newWide(s->current[column->second]);
  return *value ? PI_S_OK : PI_E_FAIL;
}

const IPersonInfoVtbl kVtbl = {queryInterface, addRef, release, findByEgn, getField};

}  // namespace

PERSONINFO_EXPORT PIResult PersonInfoCreateInstance(const PIGuid *clsid, void *outer, std::uint32_t clsContext,
                                                    const PIGuid *iid, void **object) {
  if (!object) return PI_E_POINTER;
  *object = nullptr;
  if (!clsid || !iid) return PI_E_POINTER;
  if (!(*clsid == CLSID_CoPersonInfo)) return PI_REGDB_E_CLASSNOTREG;
  if (outer) return PI_CLASS_E_NOAGGREGATION;
  if ((clsContext & (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER)) == 0) return PI_REGDB_E_CLASSNOTREG;
  if (!(*iid == IID_IUnknown || *iid == IID_IPersonInfo)) return PI_E_NOINTERFACE;
  std::shared_ptr<const Register> reg;
  try {
    reg = currentRegister();
  } catch (const std::bad_alloc &) {
    return PI_CO_E_SERVER_EXEC_FAILURE;
  }
  if (!reg) return PI_CO_E_SERVER_EXEC_FAILURE;
  auto *s = new (std::nothrow) Service;
  if (!s) return PI_CO_E_SERVER_EXEC_FAILURE;
  s->lpVtbl = &kVtbl;
  s->reg = std::move(reg);
  *object = static_cast<IPersonInfo *>(s);
  return PI_S_OK;
}

// Why the service could not be created from its data file the last time it
// was asked, in UTF-8; empty when it could. The text stays valid until the
// next creation.
PERSONINFO_EXPORT const char *PersonInfoLoadProblem() {
  static thread_local std::string copy;
  std::lock_guard<std::mutex> lock(gMutex);
  copy = gProblem;
  return copy.c_str();
}
