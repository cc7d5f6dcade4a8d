#include "tools/rc/Manifest.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

[[noreturn]] void Fail(const std::string& file, int line, const std::string& what) {
  throw ManifestError(file + ":" + std::to_string(line) + ": " + what);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string Upper(std::string s) {
  for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

class LineReader {
 public:
  LineReader(const std::string& text, const std::string& file, int line)
      : s_(text), file_(file), line_(line) {}

  void SkipSpace() {
    while (pos_ < s_.size() && IsSpace(s_[pos_])) ++pos_;
  }
  bool AtEnd() {
    SkipSpace();
    return pos_ >= s_.size() || s_[pos_] == '#';
  }
  std::string Word() {
    SkipSpace();
    const size_t start = pos_;
    while (pos_ < s_.size() && !IsSpace(s_[pos_]) && s_[pos_] != '#') ++pos_;
    return s_.substr(start, pos_ - start);
  }
  bool PeekQuote() {
    SkipSpace();
    return pos_ < s_.size() && s_[pos_] == '"';
  }
  std::string Quoted() {
    SkipSpace();
    if (pos_ >= s_.size() || s_[pos_] != '"') Fail(file_, line_, "expected a quoted string");
    ++pos_;
    std::string out;
    while (true) {
      if (pos_ >= s_.size()) Fail(file_, line_, "unterminated string");
      const char c = s_[pos_++];
      if (c == '"') break;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= s_.size()) Fail(file_, line_, "unterminated string");
      const char e = s_[pos_++];
      switch (e) {
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        case 'r':
          out += '\r';
          break;
        case 'a':
          out += '\a';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'v':
          out += '\v';
          break;
        case '\\':
          out += '\\';
          break;
        case '"':
          out += '"';
          break;
        case '\'':
          out += '\'';
          break;
        case '?':
          out += '?';
          break;
        case 'x': {
          int value = 0, digits = 0;
          while (digits < 2 && pos_ < s_.size() &&
                 std::isxdigit(static_cast<unsigned char>(s_[pos_]))) {
            const char h = char(std::tolower(static_cast<unsigned char>(s_[pos_++])));
            value = value * 16 + (h <= '9' ? h - '0' : h - 'a' + 10);
            ++digits;
          }
          if (digits == 0) Fail(file_, line_, "\\x needs hexadecimal digits");
          out += char(value);
          break;
        }
        default:
          if (e >= '0' && e <= '7') {
            int value = e - '0', digits = 1;
            while (digits < 3 && pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '7') {
              value = value * 8 + (s_[pos_++] - '0');
              ++digits;
            }
            if (value > 255) Fail(file_, line_, "octal escape above \\377");
            out += char(value);
            break;
          }
          Fail(file_, line_, std::string("unknown escape \\") + e);
      }
    }
    return out;
  }

 private:
  const std::string& s_;
  const std::string& file_;
  int line_;
  size_t pos_ = 0;
};

bool ParseNumber(const std::string& s, long long max, long long* out) {
  if (s.empty() || s.size() > 9) return false;
  long long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v > max) return false;
  *out = v;
  return true;
}

bool SafeRelativePath(const std::string& p) {
  if (p.empty() || p[0] == '/' || p.find('\\') != std::string::npos) return false;
  std::stringstream parts(p);
  std::string part;
  while (std::getline(parts, part, '/'))
    if (part == "..") return false;
  return true;
}

bool ReadFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

uint32_t BigEndian32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
         uint32_t(uint8_t(s[at + 2])) << 8 | uint32_t(uint8_t(s[at + 3]));
}

std::string Escaped(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

bool IsIdentifier(const std::string& s) {
  if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
  for (char c : s)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return true;
}

std::vector<ManifestEntry> ParseManifest(const std::string& content, const std::string& file) {
  std::vector<ManifestEntry> entries;
  std::istringstream lines(content);
  std::string text;
  int line = 0;
  while (std::getline(lines, text)) {
    ++line;
    LineReader r(text, file, line);
    if (r.AtEnd()) continue;
    ManifestEntry e;
    e.line = line;
    const std::string type = r.Word();
    if (type == "CURSOR")
      e.type = 1;
    else if (type == "BITMAP")
      e.type = 2;
    else if (type == "STRING")
      e.type = 6;
    else if (type == "RCDATA")
      e.type = 10;
    else
      Fail(file, line, "unknown resource type \"" + type + "\" (CURSOR, BITMAP, STRING or RCDATA)");

    if (r.AtEnd()) Fail(file, line, "missing resource name");
    const std::string name = r.Word();
    long long id = 0;
    if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0]))) {
      if (!ParseNumber(name, 65535, &id) || id == 0)
        Fail(file, line, "resource id \"" + name + "\" is not a number from 1 to 65535");
      e.id = uint16_t(id);
    } else if (IsIdentifier(name)) {
      if (e.type == 6) Fail(file, line, "string resources are numbered, not named");
      e.name = name;
    } else {
      Fail(file, line, "bad resource name \"" + name + "\"");
    }

    if (e.type == 6) {
      if (!r.PeekQuote()) Fail(file, line, "expected a quoted string");
      e.text = r.Quoted();
    } else {
      if (r.AtEnd()) Fail(file, line, "missing file name");
      e.source = r.Word();
      if (!SafeRelativePath(e.source))
        Fail(file, line, "file \"" + e.source + "\" must be a relative path without \"..\"");
      if (e.type == 1) {
        if (r.AtEnd()) Fail(file, line, "a cursor needs hotspot=x,y");
        const std::string opt = r.Word();
        const size_t comma = opt.find(',');
        long long x = 0, y = 0;
        if (opt.rfind("hotspot=", 0) != 0 || comma == std::string::npos ||
            !ParseNumber(opt.substr(8, comma - 8), 32767, &x) ||
            !ParseNumber(opt.substr(comma + 1), 32767, &y))
          Fail(file, line, "bad hot spot \"" + opt + "\" (expected hotspot=x,y)");
        e.hotX = int(x);
        e.hotY = int(y);
      }
    }
    if (!r.AtEnd()) Fail(file, line, "unexpected text \"" + r.Word() + "\" after the resource");

    for (const ManifestEntry& other : entries) {
      if (other.type == e.type && other.id == e.id && Upper(other.name) == Upper(e.name))
        Fail(file, line,
             "duplicate resource " + type + " " + name + " (first on line " +
                 std::to_string(other.line) + ")");
    }
    entries.push_back(std::move(e));
  }
  return entries;
}

std::vector<std::string> ResolveSources(const std::vector<ManifestEntry>& entries,
                                        const std::string& root,
                                        const std::map<std::string, std::string>& maps,
                                        const std::string& file) {
  std::vector<std::string> paths;
  for (const ManifestEntry& e : entries) {
    if (e.type == 6) {
      paths.emplace_back();
      continue;
    }
    const auto mapped = maps.find(e.source);
    const std::string path = mapped != maps.end() ? mapped->second : root + "/" + e.source;
    if (path.find('\n') != std::string::npos) Fail(file, e.line, "file name with a line break");
    std::string data;
    if (!ReadFile(path, &data)) Fail(file, e.line, "cannot read \"" + path + "\"");
    if (e.type == 1 || e.type == 2) {
      static const char kSignature[] = "\x89PNG\r\n\x1a\n";
      if (data.size() < 24 || data.compare(0, 8, kSignature, 8) != 0 ||
          data.compare(12, 4, "IHDR") != 0)
        Fail(file, e.line, "\"" + e.source + "\" is not a PNG file");
      const uint32_t width = BigEndian32(data, 16), height = BigEndian32(data, 20);
      if (e.type == 1 && (uint32_t(e.hotX) >= width || uint32_t(e.hotY) >= height))
        Fail(file, e.line,
             "hot spot outside the " + std::to_string(width) + "x" + std::to_string(height) +
                 " cursor");
    }
    paths.push_back(path);
  }
  return paths;
}

std::string GenerateAssembly(const std::vector<ManifestEntry>& entries,
                             const std::vector<std::string>& paths, const std::string& target) {
  std::ostringstream s;
  s << "/* Generated by tl_rc for " << target << ". */\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].type == 6) continue;
    const std::string sym = "tl_rc_" + target + "_" + std::to_string(i);
    s << "\t.section .rodata\n\t.balign 16\n"
      << "\t.globl " << sym << "\n\t.hidden " << sym << "\n"
      << sym << ":\n\t.incbin \"" << Escaped(paths[i]) << "\"\n"
      << sym << "_end:\n\t.balign 8\n"
      << "\t.globl " << sym << "_size\n\t.hidden " << sym << "_size\n"
      << sym << "_size:\n\t.quad " << sym << "_end - " << sym << "\n";
  }
  s << "\t.section .note.GNU-stack,\"\",@progbits\n";
  return s.str();
}

std::string GenerateRegistration(const std::vector<ManifestEntry>& entries,
                                 const std::string& target) {
  std::ostringstream s;
  s << "// Generated by tl_rc for " << target << ".\n"
    << "#include \"platform/kernel/Resources.h\"\n\n#include <cstdint>\n\n";
  bool anyFile = false;
  for (size_t i = 0; i < entries.size(); ++i) anyFile = anyFile || entries[i].type != 6;
  if (anyFile) {
    s << "extern \"C\" {\n";
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].type == 6) continue;
      const std::string sym = "tl_rc_" + target + "_" + std::to_string(i);
      s << "extern const Byte " << sym << "[];\nextern const uint64_t " << sym << "_size;\n";
    }
    s << "}\n\n";
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].type != 6 || entries[i].text.empty()) continue;
    s << "static const Byte tl_rc_string_" << i << "[] = {";
    for (size_t k = 0; k < entries[i].text.size(); ++k)
      s << (k ? ", " : "") << unsigned(uint8_t(entries[i].text[k]));
    s << "};\n";
  }
  s << "\nvoid TlRegisterResources_" << target << "();\n"
    << "void TlRegisterResources_" << target << "() {\n";
  if (entries.empty()) {
    s << "  static const ResourceTable kTable{\"" << target << "\", nullptr, 0};\n";
  } else {
    s << "  static const ResourceItem kItems[] = {\n";
    for (size_t i = 0; i < entries.size(); ++i) {
      const ManifestEntry& e = entries[i];
      s << "      {" << e.type << ", " << e.id << ", ";
      if (e.name.empty())
        s << "nullptr, ";
      else
        s << "\"" << e.name << "\", ";
      if (e.type == 6) {
        if (e.text.empty())
          s << "nullptr, 0, ";
        else
          s << "tl_rc_string_" << i << ", " << e.text.size() << ", ";
      } else {
        const std::string sym = "tl_rc_" + target + "_" + std::to_string(i);
        s << sym << ", size_t(" << sym << "_size), ";
      }
      s << e.hotX << ", " << e.hotY << "},  // line " << e.line << "\n";
    }
    s << "  };\n  static const ResourceTable kTable{\"" << target << "\", kItems, "
      << entries.size() << "};\n";
  }
  s << "  RegisterResourceTable(kTable);\n}\n";
  return s.str();
}
