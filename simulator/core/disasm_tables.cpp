#include "simulator/core/disasm_tables.h"

#include <string_view>

#include "platform/text.h"

namespace kavrin {
namespace {

constexpr std::array<std::string_view, 8> kRegisters = {"B", "C", "D", "E", "H", "L", "(HL)", "A"};
constexpr std::array<std::string_view, 8> kAlu = {"ADD", "ADC", "SUB", "SBC",
                                                  "AND", "XOR", "OR",  "CP"};
constexpr std::array<std::string_view, 8> kShifts = {"RLC", "RRC", "RL",  "RR",
                                                     "SLA", "SRA", "SLL", "SRL"};

constexpr std::array<std::string_view, 64> kMain00 = {
    "NOP",       "LD BC,#h",  "LD (BC),A",  "INC BC", "INC B",    "DEC B",    "LD B,*h",    "RLCA",
    "EX AF,AF'", "ADD HL,BC", "LD A,(BC)",  "DEC BC", "INC C",    "DEC C",    "LD C,*h",    "RRCA",
    "DJNZ @h",   "LD DE,#h",  "LD (DE),A",  "INC DE", "INC D",    "DEC D",    "LD D,*h",    "RLA",
    "JR @h",     "ADD HL,DE", "LD A,(DE)",  "DEC DE", "INC E",    "DEC E",    "LD E,*h",    "RRA",
    "JR NZ,@h",  "LD HL,#h",  "LD (#h),HL", "INC HL", "INC H",    "DEC H",    "LD H,*h",    "DAA",
    "JR Z,@h",   "ADD HL,HL", "LD HL,(#h)", "DEC HL", "INC L",    "DEC L",    "LD L,*h",    "CPL",
    "JR NC,@h",  "LD SP,#h",  "LD (#h),A",  "INC SP", "INC (HL)", "DEC (HL)", "LD (HL),*h", "SCF",
    "JR C,@h",   "ADD HL,SP", "LD A,(#h)",  "DEC SP", "INC A",    "DEC A",    "LD A,*h",    "CCF",
};

constexpr std::array<std::string_view, 64> kMainC0 = {
    "RET NZ", "POP BC",   "JP NZ,#h", "JP #h",      "CALL NZ,#h", "PUSH BC", "ADD *h", "RST 00h",
    "RET Z",  "RET",      "JP Z,#h",  "PFX_CB",     "CALL Z,#h",  "CALL #h", "ADC *h", "RST 08h",
    "RET NC", "POP DE",   "JP NC,#h", "OUTA (*h)",  "CALL NC,#h", "PUSH DE", "SUB *h", "RST 10h",
    "RET C",  "EXX",      "JP C,#h",  "INA (*h)",   "CALL C,#h",  "PFX_DD",  "SBC *h", "RST 18h",
    "RET PO", "POP HL",   "JP PO,#h", "EX HL,(SP)", "CALL PO,#h", "PUSH HL", "AND *h", "RST 20h",
    "RET PE", "JP (HL)",  "JP PE,#h", "EX DE,HL",   "CALL PE,#h", "PFX_ED",  "XOR *h", "RST 28h",
    "RET P",  "POP AF",   "JP P,#h",  "DI",         "CALL P,#h",  "PUSH AF", "OR *h",  "RST 30h",
    "RET M",  "LD SP,HL", "JP M,#h",  "EI",         "CALL M,#h",  "PFX_FD",  "CP *h",  "RST 38h",
};

struct EdEntry {
  int opcode;
  std::string_view text;
};

// The Z180 extended set; every other ED opcode is undefined.
constexpr EdEntry kEdDefined[] = {
    {0x00, "IN0 B,(*h)"},  {0x08, "IN0 C,(*h)"},  {0x10, "IN0 D,(*h)"},  {0x18, "IN0 E,(*h)"},
    {0x20, "IN0 H,(*h)"},  {0x28, "IN0 L,(*h)"},  {0x38, "IN0 A,(*h)"},  {0x01, "OUT0 (*h),B"},
    {0x09, "OUT0 (*h),C"}, {0x11, "OUT0 (*h),D"}, {0x19, "OUT0 (*h),E"}, {0x21, "OUT0 (*h),H"},
    {0x29, "OUT0 (*h),L"}, {0x39, "OUT0 (*h),A"}, {0x04, "TST B"},       {0x0C, "TST C"},
    {0x14, "TST D"},       {0x1C, "TST E"},       {0x24, "TST H"},       {0x2C, "TST L"},
    {0x34, "TST (HL)"},    {0x3C, "TST A"},       {0x40, "IN B,(C)"},    {0x48, "IN C,(C)"},
    {0x50, "IN D,(C)"},    {0x58, "IN E,(C)"},    {0x60, "IN H,(C)"},    {0x68, "IN L,(C)"},
    {0x70, "IN F,(C)"},    {0x78, "IN A,(C)"},    {0x41, "OUT (C),B"},   {0x49, "OUT (C),C"},
    {0x51, "OUT (C),D"},   {0x59, "OUT (C),E"},   {0x61, "OUT (C),H"},   {0x69, "OUT (C),L"},
    {0x79, "OUT (C),A"},   {0x42, "SBC HL,BC"},   {0x52, "SBC HL,DE"},   {0x62, "SBC HL,HL"},
    {0x72, "SBC HL,SP"},   {0x4A, "ADC HL,BC"},   {0x5A, "ADC HL,DE"},   {0x6A, "ADC HL,HL"},
    {0x7A, "ADC HL,SP"},   {0x43, "LD (#h),BC"},  {0x53, "LD (#h),DE"},  {0x63, "LD (#h),HL"},
    {0x73, "LD (#h),SP"},  {0x4B, "LD BC,(#h)"},  {0x5B, "LD DE,(#h)"},  {0x6B, "LD HL,(#h)"},
    {0x7B, "LD SP,(#h)"},  {0x4C, "MLT BC"},      {0x5C, "MLT DE"},      {0x6C, "MLT HL"},
    {0x7C, "MLT SP"},      {0x44, "NEG"},         {0x45, "RETN"},        {0x46, "IM 0"},
    {0x47, "LD I,A"},      {0x4D, "RETI"},        {0x4F, "LD R,A"},      {0x56, "IM 1"},
    {0x57, "LD A,I"},      {0x5E, "IM 2"},        {0x5F, "LD A,R"},      {0x64, "TST *h"},
    {0x67, "RRD"},         {0x6F, "RLD"},         {0x74, "TSTIO *h"},    {0x76, "SLP"},
    {0x83, "OTIM"},        {0x8B, "OTDM"},        {0x93, "OTIMR"},       {0x9B, "OTDMR"},
    {0xA0, "LDI"},         {0xA1, "CPI"},         {0xA2, "INI"},         {0xA3, "OUTI"},
    {0xA8, "LDD"},         {0xA9, "CPD"},         {0xAA, "IND"},         {0xAB, "OUTD"},
    {0xB0, "LDIR"},        {0xB1, "CPIR"},        {0xB2, "INIR"},        {0xB3, "OTIR"},
    {0xB8, "LDDR"},        {0xB9, "CPDR"},        {0xBA, "INDR"},        {0xBB, "OTDR"},
};

MnemonicPage BuildMain() {
  MnemonicPage page;
  for (int i = 0; i < 64; ++i) {
    page[static_cast<std::size_t>(i)] = kMain00[static_cast<std::size_t>(i)];
    page[static_cast<std::size_t>(0xC0 + i)] = kMainC0[static_cast<std::size_t>(i)];
  }
  for (int op = 0x40; op < 0x80; ++op)
    page[static_cast<std::size_t>(op)] =
        "LD " + std::string(kRegisters[(op >> 3) & 7]) + "," + std::string(kRegisters[op & 7]);
  page[0x76] = "HALT";
  for (int op = 0x80; op < 0xC0; ++op)
    page[static_cast<std::size_t>(op)] =
        std::string(kAlu[(op >> 3) & 7]) + " " + std::string(kRegisters[op & 7]);
  return page;
}

MnemonicPage BuildCb(std::string_view memoryOperand, std::string_view high, std::string_view low) {
  MnemonicPage page;
  for (int op = 0; op < 256; ++op) {
    const int reg = op & 7;
    std::string operand(reg == 6   ? memoryOperand
                        : reg == 4 ? high
                        : reg == 5 ? low
                                   : kRegisters[reg]);
    const int group = op >> 6;
    const int bit = (op >> 3) & 7;
    std::string text;
    if (group == 0)
      text = std::string(kShifts[bit]) + " " + operand;
    else
      text = std::string(group == 1   ? "BIT "
                         : group == 2 ? "RES "
                                      : "SET ") +
             std::to_string(bit) + "," + operand;
    page[static_cast<std::size_t>(op)] = std::move(text);
  }
  return page;
}

MnemonicPage BuildEd() {
  MnemonicPage page;
  for (int op = 0; op < 256; ++op)
    page[static_cast<std::size_t>(op)] =
        "DB EDh," + platform::Hex(static_cast<std::uint32_t>(op), 2) + "h";
  for (const EdEntry& entry : kEdDefined)
    page[static_cast<std::size_t>(entry.opcode)] = entry.text;
  return page;
}

// Replaces the register operand token `reg` (delimited by blank, comma or
// the end) with `replacement`.
std::string ReplaceRegisterToken(const std::string& text, char reg, std::string_view replacement) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool startsToken = i > 0 && (text[i - 1] == ' ' || text[i - 1] == ',');
    const bool endsToken = i + 1 == text.size() || text[i + 1] == ',';
    if (text[i] == reg && startsToken && endsToken)
      out += replacement;
    else
      out += text[i];
  }
  return out;
}

std::string IndexForm(const std::string& text) {
  // Opcodes that do not involve HL run unprefixed: EX DE,HL stays itself.
  if (text == "EX DE,HL") return text;
  if (text == "JP (HL)") return "JP (I%)";
  if (const std::size_t at = text.find("(HL)"); at != std::string::npos)
    return text.substr(0, at) + "(I%^h)" + text.substr(at + 4); // H and L stay the real registers
  std::string out = text;
  for (std::size_t at; (at = out.find("HL")) != std::string::npos;)
    out.replace(at, 2, "I%");
  out = ReplaceRegisterToken(out, 'H', "I%h");
  return ReplaceRegisterToken(out, 'L', "I%l");
}

MnemonicPage BuildIndex(const MnemonicPage& main) {
  MnemonicPage page;
  for (std::size_t op = 0; op < page.size(); ++op)
    page[op] = IndexForm(main[op]);
  return page;
}

MnemonicTables BuildTables() {
  MnemonicTables tables;
  tables.main = BuildMain();
  tables.cb = BuildCb("(HL)", "H", "L");
  tables.ed = BuildEd();
  tables.index = BuildIndex(tables.main);
  // The core runs the register columns on the index register's halves.
  tables.indexCb = BuildCb("(I%^h)", "I%h", "I%l");
  return tables;
}

} // namespace

const MnemonicTables& Mnemonics() {
  static const MnemonicTables tables = BuildTables();
  return tables;
}

} // namespace kavrin
