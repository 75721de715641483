#include "simulator/session/cpm_files.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "platform/paths.h"
#include "platform/text.h"

namespace kavrin {
namespace fs = std::filesystem;

namespace {

// FCB fields.
constexpr int kName = 1;
constexpr int kNameLength = 8;
constexpr int kTypeLength = 3;
constexpr int kExtent = 12;
constexpr int kS2 = 14;
constexpr int kRecordCount = 15;
constexpr int kNewName = 16; // rename: the new name's drive byte
constexpr int kCurrentRecord = 32;
constexpr int kRandomRecord = 33;
constexpr int kDirectoryEntrySize = 32;
constexpr std::uint8_t kDriveA = 1; // 0 is the current drive, A: as well

constexpr int kRecordsPerExtent = 128;
constexpr int kExtentsPerS2 = 32;
constexpr std::uint32_t kMaxRandomRecord = 0xFFFF; // CP/M 2.2: R2 must be 0

constexpr std::uint8_t kOk = 0x00;
constexpr std::uint8_t kEndOfFile = 0x01;
constexpr std::uint8_t kNotFound = 0xFF;
constexpr std::uint8_t kDiskFull = 0x02;
constexpr std::uint8_t kSeekPastEnd = 0x06;

constexpr std::string_view kForbidden = "<>.,;:=?*[]_/\\|";

// The name and type of an FCB (or of rename's second half), attribute bits
// dropped, as "NAME.TYP"; `wildcards` lets ? stand. Empty when CP/M would
// refuse it, with the reason.
std::string FcbName(const Machine& m, std::uint16_t at, bool wildcards, std::string& reason) {
  std::string parts[2];
  const int lengths[2] = {kNameLength, kTypeLength};
  std::uint16_t byte = static_cast<std::uint16_t>(at + kName);
  for (int p = 0; p < 2; ++p) {
    bool blankSeen = false;
    for (int i = 0; i < lengths[p]; ++i) {
      const char c = static_cast<char>(m.ReadByte(byte++) & 0x7F);
      if (c == ' ') {
        blankSeen = true;
        continue;
      }
      const bool allowed =
          c > ' ' && c < 0x7F &&
          (kForbidden.find(c) == std::string_view::npos || (wildcards && c == '?'));
      if (!allowed || blankSeen) {
        reason = !allowed && c > ' ' && c < 0x7F
                     ? std::string("a name with a character CP/M forbids: ") + c
                     : std::string("a name with a blank or a control character in it");
        return {};
      }
      parts[p] += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
  }
  if (parts[0].empty()) {
    reason = "no file name";
    return {};
  }
  return parts[1].empty() ? parts[0] : parts[0] + "." + parts[1];
}

// A host file name as CP/M sees it, or empty when it is no 8.3 CP/M name.
std::string CpmNameOf(const std::string& hostName) {
  const std::string upper = platform::UpperCase(hostName);
  const std::size_t dot = upper.find('.');
  const std::string name = upper.substr(0, dot);
  const std::string type = dot == std::string::npos ? "" : upper.substr(dot + 1);
  if (name.empty() || name.size() > kNameLength || type.size() > kTypeLength) return {};
  for (char c : name + type) {
    if (c <= ' ' || c >= 0x7F || kForbidden.find(c) != std::string_view::npos) return {};
  }
  return upper;
}

// "NAME.TYP" as the 11 blank-padded bytes of an FCB.
std::string PaddedName(const std::string& text) {
  const std::size_t dot = text.find('.');
  std::string name = text.substr(0, dot);
  std::string type = dot == std::string::npos ? "" : text.substr(dot + 1);
  name.resize(kNameLength, ' ');
  type.resize(kTypeLength, ' ');
  return name + type;
}

// ? matches any one character of the padded name.
bool NameMatches(const std::string& pattern, const std::string& name) {
  const std::string p = PaddedName(pattern), n = PaddedName(name);
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (p[i] != '?' && p[i] != n[i]) return false;
  }
  return true;
}

std::uint32_t RecordsOf(std::uintmax_t bytes) {
  return static_cast<std::uint32_t>((bytes + kCpmRecordSize - 1) / kCpmRecordSize);
}

// The sequential position the FCB holds: extent, S2 and current record.
std::uint32_t SequentialRecord(const Machine& m, std::uint16_t fcb) {
  const std::uint32_t extent =
      (m.ReadByte(static_cast<std::uint16_t>(fcb + kS2)) & 0x3F) * kExtentsPerS2 +
      (m.ReadByte(static_cast<std::uint16_t>(fcb + kExtent)) & 0x1F);
  return extent * kRecordsPerExtent +
         (m.ReadByte(static_cast<std::uint16_t>(fcb + kCurrentRecord)) & 0x7F);
}

void SetSequentialRecord(Machine& m, std::uint16_t fcb, std::uint32_t record) {
  const std::uint32_t extent = record / kRecordsPerExtent;
  m.WriteByte(static_cast<std::uint16_t>(fcb + kCurrentRecord), record % kRecordsPerExtent);
  m.WriteByte(static_cast<std::uint16_t>(fcb + kExtent), extent % kExtentsPerS2);
  m.WriteByte(static_cast<std::uint16_t>(fcb + kS2),
              static_cast<std::uint8_t>(extent / kExtentsPerS2));
}

std::uint32_t RandomRecord(const Machine& m, std::uint16_t fcb) {
  const std::uint16_t at = static_cast<std::uint16_t>(fcb + kRandomRecord);
  return m.ReadWord(at) | static_cast<std::uint32_t>(m.ReadByte(static_cast<std::uint16_t>(at + 2)))
                              << 16;
}

void SetRandomRecord(Machine& m, std::uint16_t fcb, std::uint32_t record) {
  const std::uint16_t at = static_cast<std::uint16_t>(fcb + kRandomRecord);
  m.WriteWord(at, static_cast<std::uint16_t>(record));
  m.WriteByte(static_cast<std::uint16_t>(at + 2), static_cast<std::uint8_t>(record >> 16));
}

} // namespace

// One call: the machine, the FCB and its checked name.
struct CpmFiles::Request {
  CpmFiles& files;
  Machine& m;
  std::uint16_t fcb;
  std::string name;

  std::optional<fs::path> Path() const { return files.HostPath(name); }
  std::optional<fs::path> PathOf(const std::string& other) const { return files.HostPath(other); }
  std::vector<std::string> Matching() const { return files.Matches(name); }

  std::uint8_t ReadRecord(std::uint32_t record) const {
    const auto path = Path();
    if (!path) return kNotFound;
    std::ifstream in(*path, std::ios::binary);
    if (!in) return kNotFound;
    in.seekg(static_cast<std::streamoff>(record) * kCpmRecordSize);
    char data[kCpmRecordSize];
    in.read(data, kCpmRecordSize);
    const auto got = in.gcount();
    if (got <= 0) return kEndOfFile;
    for (int i = 0; i < kCpmRecordSize; ++i) {
      const auto value = i < got ? static_cast<std::uint8_t>(data[i]) : kCpmEndOfText;
      m.WriteByte(static_cast<std::uint16_t>(files.dma_ + i), value);
    }
    return kOk;
  }

  std::uint8_t WriteRecord(std::uint32_t record) const {
    const auto path = Path();
    if (!path || !fs::exists(*path)) return kNotFound;
    std::fstream out(*path, std::ios::binary | std::ios::in | std::ios::out);
    if (!out) return kDiskFull;
    out.seekp(static_cast<std::streamoff>(record) * kCpmRecordSize);
    char data[kCpmRecordSize];
    for (int i = 0; i < kCpmRecordSize; ++i)
      data[i] = static_cast<char>(m.ReadByte(static_cast<std::uint16_t>(files.dma_ + i)));
    out.write(data, kCpmRecordSize);
    return out ? kOk : kDiskFull;
  }

  std::uintmax_t Size() const {
    std::error_code ec;
    const auto path = Path();
    const std::uintmax_t size = path ? fs::file_size(*path, ec) : 0;
    return ec ? 0 : size;
  }

  std::uint8_t FirstFound() const {
    files.found_ = Matching();
    files.nextFound_ = 0;
    return NextFound();
  }

  // Search: the next match as a directory entry in the DMA buffer's first slot.
  std::uint8_t NextFound() const {
    if (files.nextFound_ >= files.found_.size()) return kNotFound;
    const std::string& found = files.found_[files.nextFound_++];
    const std::uint16_t entry = files.dma_;
    for (int i = 0; i < kDirectoryEntrySize; ++i)
      m.WriteByte(static_cast<std::uint16_t>(entry + i), 0);
    const std::string padded = PaddedName(found);
    for (std::size_t i = 0; i < padded.size(); ++i)
      m.WriteByte(static_cast<std::uint16_t>(entry + kName + i),
                  static_cast<std::uint8_t>(padded[i]));
    const Request named{files, m, fcb, found};
    const std::uint32_t records = RecordsOf(named.Size());
    const std::uint32_t lastExtent = records == 0 ? 0 : (records - 1) / kRecordsPerExtent;
    m.WriteByte(static_cast<std::uint16_t>(entry + kExtent), lastExtent % kExtentsPerS2);
    m.WriteByte(static_cast<std::uint16_t>(entry + kRecordCount),
                static_cast<std::uint8_t>(records - lastExtent * kRecordsPerExtent));
    return kOk; // the entry's number within the DMA record
  }
};

namespace {

using Request = CpmFiles::Request;

struct FileFunction {
  int number;
  bool wildcards;
  std::uint8_t (*run)(Request&);
};

const FileFunction kFileFunctions[] = {
    {15, false, // open
     [](Request& r) -> std::uint8_t {
       const auto path = r.Path();
       if (!path || !fs::is_regular_file(*path)) return kNotFound;
       const std::uint32_t records = RecordsOf(r.Size());
       const std::uint32_t extent = SequentialRecord(r.m, r.fcb) / kRecordsPerExtent;
       const std::uint32_t inExtent =
           records > extent * kRecordsPerExtent
               ? std::min<std::uint32_t>(records - extent * kRecordsPerExtent, kRecordsPerExtent)
               : 0;
       r.m.WriteByte(static_cast<std::uint16_t>(r.fcb + kRecordCount),
                     static_cast<std::uint8_t>(inExtent));
       return kOk;
     }},
    {16, false, // close
     [](Request& r) -> std::uint8_t {
       const auto path = r.Path();
       return path && fs::is_regular_file(*path) ? kOk : kNotFound;
     }},
    {17, true, // search for first
     [](Request& r) { return r.FirstFound(); }},
    {18, true, // search for next: the FCB is not looked at
     [](Request& r) { return r.NextFound(); }},
    {19, true, // delete file
     [](Request& r) -> std::uint8_t {
       const auto matches = r.Matching();
       for (const std::string& name : matches) {
         std::error_code ec;
         if (const auto path = r.PathOf(name)) fs::remove(*path, ec);
       }
       return matches.empty() ? kNotFound : kOk;
     }},
    {20, false, // read sequential
     [](Request& r) {
       const std::uint32_t record = SequentialRecord(r.m, r.fcb);
       const std::uint8_t result = r.ReadRecord(record);
       if (result == kOk) SetSequentialRecord(r.m, r.fcb, record + 1);
       return result;
     }},
    {21, false, // write sequential
     [](Request& r) {
       const std::uint32_t record = SequentialRecord(r.m, r.fcb);
       const std::uint8_t result = r.WriteRecord(record);
       if (result == kOk) SetSequentialRecord(r.m, r.fcb, record + 1);
       return result;
     }},
    {22, false, // make file
     [](Request& r) -> std::uint8_t {
       const auto path = r.Path();
       if (!path) return kNotFound;
       std::ofstream made(*path, std::ios::binary | std::ios::trunc);
       if (!made) return kNotFound;
       for (int field : {kExtent, kS2, kRecordCount, kCurrentRecord})
         r.m.WriteByte(static_cast<std::uint16_t>(r.fcb + field), 0);
       return kOk;
     }},
    {23, false, // rename file: the new name at FCB+16
     [](Request& r) -> std::uint8_t {
       std::string reason;
       const std::string newName =
           FcbName(r.m, static_cast<std::uint16_t>(r.fcb + kNewName), false, reason);
       const auto from = r.Path();
       const auto to = newName.empty() ? std::nullopt : r.PathOf(newName);
       if (!from || !to || !fs::is_regular_file(*from) || fs::exists(*to)) return kNotFound;
       std::error_code ec;
       fs::rename(*from, *to, ec);
       return ec ? kNotFound : kOk;
     }},
    {33, false, // read random
     [](Request& r) -> std::uint8_t {
       const std::uint32_t record = RandomRecord(r.m, r.fcb);
       if (record > kMaxRandomRecord) return kSeekPastEnd;
       SetSequentialRecord(r.m, r.fcb, record);
       return r.ReadRecord(record);
     }},
    {34, false, // write random
     [](Request& r) -> std::uint8_t {
       const std::uint32_t record = RandomRecord(r.m, r.fcb);
       if (record > kMaxRandomRecord) return kSeekPastEnd;
       SetSequentialRecord(r.m, r.fcb, record);
       return r.WriteRecord(record);
     }},
    {35, false, // compute file size
     [](Request& r) -> std::uint8_t {
       const auto path = r.Path();
       if (!path || !fs::is_regular_file(*path)) return kNotFound;
       SetRandomRecord(r.m, r.fcb, RecordsOf(r.Size()));
       return kOk;
     }},
    {36, false, // set random record
     [](Request& r) -> std::uint8_t {
       SetRandomRecord(r.m, r.fcb, SequentialRecord(r.m, r.fcb));
       return kOk;
     }},
    {40, false, // write random with zero fill: the host fills gaps with zeros
     [](Request& r) -> std::uint8_t {
       const std::uint32_t record = RandomRecord(r.m, r.fcb);
       if (record > kMaxRandomRecord) return kSeekPastEnd;
       SetSequentialRecord(r.m, r.fcb, record);
       return r.WriteRecord(record);
     }},
};

const FileFunction* Find(int function) {
  for (const FileFunction& f : kFileFunctions) {
    if (f.number == function) return &f;
  }
  return nullptr;
}

} // namespace

std::optional<std::uint8_t> CpmFiles::Call(int function, Machine& machine, std::uint16_t fcb,
                                           std::string& error) {
  const FileFunction* f = Find(function);
  if (!f) return std::nullopt;
  if (function == kCpmSearchNext) {
    Request r{*this, machine, fcb, {}};
    return f->run(r);
  }
  const std::uint8_t drive = machine.ReadByte(fcb);
  if (drive > kDriveA && !(f->wildcards && drive == '?')) {
    error = "the FCB at " + platform::Hex(fcb, 4) + "H names drive " + platform::Hex(drive, 2) +
            "H, and only A: exists";
    return std::nullopt;
  }
  std::string reason;
  Request r{*this, machine, fcb, FcbName(machine, fcb, f->wildcards, reason)};
  if (r.name.empty()) {
    error = "the FCB at " + platform::Hex(fcb, 4) + "H holds " + reason;
    return std::nullopt;
  }
  return f->run(r);
}

std::optional<fs::path> CpmFiles::HostPath(const std::string& name) const {
  std::error_code ec;
  const fs::path directory = fs::weakly_canonical(directory_, ec);
  if (ec) return std::nullopt;
  fs::path path = directory / name;
  for (const auto& entry : fs::directory_iterator(directory, ec)) {
    if (platform::EqualsIgnoringCase(entry.path().filename().string(), name)) {
      path = entry.path();
      break;
    }
  }
  // A link may lead elsewhere: only a file whose real place is the directory.
  const fs::path real = fs::weakly_canonical(path, ec);
  if (ec || real.parent_path() != directory) return std::nullopt;
  return path;
}

std::vector<std::string> CpmFiles::Matches(const std::string& pattern) const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(directory_, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    const std::string name = CpmNameOf(entry.path().filename().string());
    if (!name.empty() && NameMatches(pattern, name) && HostPath(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

} // namespace kavrin
