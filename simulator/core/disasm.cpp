#include "simulator/core/disasm.h"

#include <string_view>

#include "platform/text.h"
#include "simulator/core/disasm_tables.h"

namespace kavrin {
namespace {

constexpr std::uint8_t kPrefixCb = 0xCB;
constexpr std::uint8_t kPrefixDd = 0xDD;
constexpr std::uint8_t kPrefixEd = 0xED;
constexpr std::uint8_t kPrefixFd = 0xFD;

class InstructionBytes {
public:
  InstructionBytes(const ByteReader& read, std::uint32_t address, std::uint32_t spaceSize)
      : read_(read), address_(address), spaceSize_(spaceSize) {}

  std::uint8_t Next() {
    const std::uint8_t value = read_((address_ + static_cast<std::uint32_t>(count_)) % spaceSize_);
    ++count_;
    field_ += platform::Hex(value, 2);
    return value;
  }
  int Count() const { return count_; }
  std::uint32_t NextAddress() const { return address_ + static_cast<std::uint32_t>(count_); }
  const std::string& Field() const { return field_; }

private:
  const ByteReader& read_;
  std::uint32_t address_;
  std::uint32_t spaceSize_;
  int count_ = 0;
  std::string field_;
};

std::string AddressText(std::uint16_t value, const AddressNames* names) {
  if (names)
    if (const std::string* name = names->FindAddress(value)) return *name;
  return platform::Hex(value, 4) + "H";
}

std::string Displacement(std::uint8_t d) {
  return d < 0x80 ? "+" + platform::Hex(d, 2) + "H" : "-" + platform::Hex(0x100u - d, 2) + "H";
}

void ReplaceAll(std::string& text, std::string_view placeholder, const std::string& value) {
  for (std::size_t at = 0; (at = text.find(placeholder, at)) != std::string::npos;
       at += value.size())
    text.replace(at, placeholder.size(), value);
}

bool ReplaceFirst(std::string& text, std::string_view placeholder, const std::string& value) {
  const std::size_t at = text.find(placeholder);
  if (at == std::string::npos) return false;
  text.replace(at, placeholder.size(), value);
  return true;
}

} // namespace

Disassembly Disassemble(const ByteReader& read, std::uint32_t address, std::size_t maxLength,
                        AddressSpace space, const AddressNames* names) {
  const MnemonicTables& tables = Mnemonics();
  const std::uint32_t spaceSize =
      space == AddressSpace::Logical ? kLogicalSpaceSize : kPhysicalSpaceSize;
  address %= spaceSize;
  InstructionBytes bytes(read, address, spaceSize);

  std::string mnemonic;
  char indexLetter = 0;
  bool haveDisplacement = false;
  std::uint8_t displacement = 0;
  std::uint8_t op = bytes.Next();
  // A run of index prefixes is one instruction; the last prefix wins. The
  // bound keeps memory full of prefixes from looping for ever.
  while ((op == kPrefixDd || op == kPrefixFd) &&
         bytes.Count() < static_cast<int>(kLogicalSpaceSize)) {
    indexLetter = op == kPrefixDd ? 'X' : 'Y';
    op = bytes.Next();
  }
  if (op == kPrefixCb && indexLetter) {
    displacement = bytes.Next();
    haveDisplacement = true;
    mnemonic = tables.indexCb[bytes.Next()];
  } else if (op == kPrefixCb) {
    mnemonic = tables.cb[bytes.Next()];
  } else if (op == kPrefixEd) {
    // ED runs unchanged under an index prefix.
    mnemonic = tables.ed[bytes.Next()];
  } else if (indexLetter) {
    mnemonic = tables.index[op];
  } else {
    mnemonic = tables.main[op];
  }

  if (mnemonic.find("^h") != std::string::npos) {
    if (!haveDisplacement) displacement = bytes.Next();
    ReplaceFirst(mnemonic, "^h", Displacement(displacement));
  }
  if (indexLetter) ReplaceAll(mnemonic, "%", std::string(1, indexLetter));
  if (mnemonic.find("*h") != std::string::npos)
    ReplaceFirst(mnemonic, "*h", platform::Hex(bytes.Next(), 2) + "H");
  if (mnemonic.find("@h") != std::string::npos) {
    const auto offset = static_cast<std::int8_t>(bytes.Next());
    const auto target =
        static_cast<std::uint16_t>(bytes.NextAddress() + static_cast<std::uint32_t>(offset));
    ReplaceFirst(mnemonic, "@h", AddressText(target, names));
  }
  if (mnemonic.find("#h") != std::string::npos) {
    const std::uint8_t low = bytes.Next();
    const std::uint8_t high = bytes.Next();
    ReplaceFirst(mnemonic, "#h", AddressText(static_cast<std::uint16_t>(high << 8 | low), names));
  }

  std::string field = bytes.Field().substr(0, kBytesFieldMaximum);
  if (field.size() < kBytesFieldWidth) field.resize(kBytesFieldWidth, ' ');
  const std::string* label = names && address < kLogicalSpaceSize
                                 ? names->FindAddress(static_cast<std::uint16_t>(address))
                                 : nullptr;
  std::string labelField = label ? *label + ": " : " ";

  Disassembly out;
  out.length = bytes.Count();
  out.mnemonicOffset = field.size() + labelField.size();
  out.text = field + labelField + mnemonic;
  if (out.text.size() > maxLength) out.text.resize(maxLength);
  return out;
}

} // namespace kavrin
