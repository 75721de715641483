#include "compiler/symbol_table.h"

#include "compiler/compile_error.h"
#include "compiler/scanner.h"

namespace velkor {

namespace {

const IdentifierEntry& Entry(const Compilation& c, int id) {
  return c.Identifiers[static_cast<std::size_t>(id)];
}

// The newest entry of `name` in `block`, optionally skipping level-0 entries.
int FindInBlock(const Compilation& c, std::uint16_t block, std::string_view name,
                bool skipLevelZero) {
  auto it = c.NameIndex.find(name);
  if (it == c.NameIndex.end()) return 0;
  const auto& entries = it->second;
  for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
    const IdentifierEntry& entry = Entry(c, *e);
    if (entry.block == block && !(skipLevelZero && entry.level == 0)) return *e;
  }
  return 0;
}

// Entry 0 is the first predefined identifier, the empty name that stands for
// "not found"; the block and array tables count from 1.
void EnsureTables(Compilation& c) {
  if (c.Blocks.size() < 2) c.Blocks.resize(2);
  if (c.Arrays.empty()) c.Arrays.emplace_back();
}

// Links the entry into its block's chain and the name index.
int AppendIdentifier(Compilation& c, IdentifierEntry e) {
  const std::uint16_t block = e.block;
  const int id = static_cast<int>(c.Identifiers.size());
  c.Identifiers.push_back(std::move(e));
  c.NameIndex[c.Identifiers.back().name].push_back(static_cast<std::uint16_t>(id));
  c.Blocks[block].lastIdentifier = static_cast<std::uint16_t>(id);
  c.IdentifierCount = id;
  return id;
}

} // namespace

int EnterIdentifier(Compilation& c, std::string_view name, IdentifierKind kind, int level) {
  EnsureTables(c);
  if (c.Identifiers.empty()) EnterPredefined(c, "", kKindVariable, kTypeNone, 0, 0);
  if (c.IdentifierCount + 1 >= kMaxIdentifiers) ReportTableOverflow(c, "IDENTIFIER");
  const std::uint16_t block = c.Display[static_cast<std::size_t>(c.CurrentLevel)];
  // Predefined names may be declared again; the new entry hides them.
  if (!name.empty() && FindInBlock(c, block, name, true) != 0)
    ReportCompileError(c, kErrMultipleDefinition);

  IdentifierEntry e;
  e.name = std::string(name.substr(0, kMaxNameLength));
  e.kind = kind;
  e.level = static_cast<std::uint8_t>(level);
  e.block = block;
  e.link = c.Blocks[block].lastIdentifier;
  e.owner = c.CurrentRoutine;
  e.selector = c.SelectorVariable;
  if (c.SelectorVariable != 0 && c.SelectorFirstPending &&
      (kind == kKindVariable || kind == kKindFunction)) {
    e.firstAfterSelector = true;
    c.SelectorFirstPending = false;
  }
  return AppendIdentifier(c, std::move(e));
}

int EnterPredefined(Compilation& c, std::string_view name, IdentifierKind kind, TypeCode type,
                    std::uint16_t reference, std::int32_t value) {
  EnsureTables(c);
  if (c.IdentifierCount + 1 >= kMaxIdentifiers) ReportTableOverflow(c, "IDENTIFIER");
  const std::uint16_t block = c.Display[static_cast<std::size_t>(c.CurrentLevel)] != 0
                                  ? c.Display[static_cast<std::size_t>(c.CurrentLevel)]
                                  : 1;
  IdentifierEntry e;
  e.name = std::string(name);
  e.kind = kind;
  e.type = type;
  e.reference = reference;
  e.level = 0;
  e.value = value;
  e.offset = static_cast<std::uint16_t>(value);
  e.size = static_cast<std::uint16_t>(value);
  e.predefined = true;
  e.block = block;
  e.link = c.Blocks[block].lastIdentifier;
  return AppendIdentifier(c, std::move(e));
}

int LookupIdentifier(const Compilation& c, std::string_view name) {
  if (c.CurrentLevel <= 0) return 0;
  auto it = c.NameIndex.find(name);
  if (it == c.NameIndex.end()) return 0;
  const auto& entries = it->second;
  for (int level = c.CurrentLevel; level >= 0; --level) {
    const std::uint16_t block = c.Display[static_cast<std::size_t>(level)];
    if (block == 0) continue;
    for (auto e = entries.rbegin(); e != entries.rend(); ++e)
      if (Entry(c, *e).block == block && !Entry(c, *e).field) return *e;
  }
  return 0;
}

int LookupField(const Compilation& c, std::uint16_t recordBlock, std::string_view name) {
  return FindInBlock(c, recordBlock, name, false);
}

int NewBlock(Compilation& c) {
  EnsureTables(c);
  if (c.BlockCount + 1 > kMaxBlocks) ReportTableOverflow(c, "PROCEDURES");
  ++c.BlockCount;
  if (c.Blocks.size() <= static_cast<std::size_t>(c.BlockCount))
    c.Blocks.resize(static_cast<std::size_t>(c.BlockCount) + 1);
  c.Blocks[static_cast<std::size_t>(c.BlockCount)] = BlockEntry{};
  return c.BlockCount;
}

void OpenLevel(Compilation& c, std::uint16_t block) {
  if (c.CurrentLevel + 1 > kMaxLevel) ReportTableOverflow(c, "LEVELS");
  ++c.CurrentLevel;
  c.Display[static_cast<std::size_t>(c.CurrentLevel)] = block;
}

void CloseLevel(Compilation& c) {
  if (c.CurrentLevel > 0) {
    c.Display[static_cast<std::size_t>(c.CurrentLevel)] = 0;
    --c.CurrentLevel;
  }
}

int NewArrayDescriptor(Compilation& c, std::uint8_t indexType, std::int64_t low,
                       std::int64_t high) {
  EnsureTables(c);
  if (low < 0 || high > 65535 || low > high) ReportCompileError(c, kErrIllegalBounds);
  if (c.ArrayCount + 1 > kMaxArrayDescriptors) ReportTableOverflow(c, "ARRAYS");
  ArrayDescriptor d;
  d.indexType = indexType;
  d.low = static_cast<std::uint16_t>(low);
  d.high = static_cast<std::uint16_t>(high);
  c.Arrays.push_back(d);
  c.ArrayCount = static_cast<int>(c.Arrays.size()) - 1;
  return c.ArrayCount;
}

void SetArrayElement(Compilation& c, int descriptor, std::uint8_t elementType,
                     std::uint16_t elementReference, std::uint32_t elementSize,
                     bool elementPointer) {
  ArrayDescriptor& d = c.Arrays[static_cast<std::size_t>(descriptor)];
  const std::uint64_t total = (static_cast<std::uint64_t>(d.high) - d.low + 1) * elementSize;
  // Sizes that wrap would overlap other variables.
  if (total > 65535 || elementSize > 65535) ReportCompileError(c, kErrIllegalBounds);
  d.elementType = elementType;
  d.elementReference = elementReference;
  d.elementPointer = elementPointer;
  d.elementSize = static_cast<std::uint16_t>(elementSize);
  d.totalSize = static_cast<std::uint16_t>(total);
}

int SimpleTypeSize(std::uint8_t type) {
  switch (type) {
  case kTypeByte:
  case kTypeBoolean:
  case kTypeChar:
  case kTypeReal:
    return 1;
  case kTypeWord:
  case kTypeInteger:
    return 2;
  case kTypeLongint:
    return 4;
  default:
    return 0;
  }
}

std::uint32_t TypeSize(const Compilation& c, std::uint8_t type, std::uint16_t reference) {
  if (type == kTypeArray && reference < c.Arrays.size()) return c.Arrays[reference].totalSize;
  if (type == kTypeRecord && reference < c.Blocks.size()) return c.Blocks[reference].variableSize;
  return static_cast<std::uint32_t>(SimpleTypeSize(type));
}

bool IsStringType(const Compilation& c, std::uint8_t type, std::uint16_t reference) {
  return type == kTypeArray && reference < c.Arrays.size() &&
         c.Arrays[reference].elementType == kTypeChar && !c.Arrays[reference].elementPointer;
}

int StringCapacity(const Compilation& c, std::uint16_t reference) {
  return reference < c.Arrays.size() ? c.Arrays[reference].high : 0;
}

} // namespace velkor
