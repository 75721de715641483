// Names, labels, equates and the expression text of the records.
#include "common/constant_evaluator.h"
#include "linker/link_messages.h"
#include "linker/link_run.h"

namespace velkor {

namespace T = link_text;

std::int32_t LinkRun::labelValue(std::uint16_t index) const {
  if (index >= module_->labels.size()) return 0;
  const std::int32_t value = module_->labels[index].value;
  return value == kUnknownValue ? 0 : value;
}

void LinkRun::defineLabel(std::uint16_t index, std::int32_t value) {
  auto& labels = module_->labels;
  if (index >= labels.size()) labels.resize(static_cast<std::size_t>(index) + 1);
  if (labels[index].value != value) {
    labels[index].value = value;
    changed();
  }
  labelJustDefined_ = value;
}

void LinkRun::markReferenced(std::string_view name) {
  const auto it = referencedNames_.find(name);
  if (it != referencedNames_.end() && !it->second) {
    it->second = true;
    changed();
  }
}

bool LinkRun::findGlobal(std::string_view name, std::int32_t& value) const {
  const auto it = globals_.find(name);
  if (it == globals_.end() || it->second.value == kUnknownValue) return false;
  value = it->second.value;
  return true;
}

bool LinkRun::findGlobalEquate(std::string_view name, std::int32_t& value) const {
  const auto marker = globalEquateModules_.find(name);
  if (marker == globalEquateModules_.end()) return false;
  const int m = marker->second;
  if (m < 1 || static_cast<std::size_t>(m) > modules_.size()) return false;
  const auto& equates = modules_[static_cast<std::size_t>(m) - 1].equates;
  const auto it = equates.find(name);
  if (it == equates.end()) return false;
  value = it->second;
  return true;
}

bool LinkRun::findModuleEquate(std::string_view name, std::int32_t& value) const {
  const auto it = module_->equates.find(name);
  if (it == module_->equates.end()) return false;
  value = it->second;
  return true;
}

// Record 0x05 and value references of kind 2.
bool LinkRun::externalValue(std::string_view name, std::int32_t& value) {
  if (findGlobal(name, value)) {
    markReferenced(name);
    return true;
  }
  if (collecting()) {
    value = 0;
    return true;
  }
  if (findGlobalEquate(name, value)) return true;
  return fail(std::string(T::kExternalLabel) + std::string(name) + std::string(T::kNotFoundSuffix));
}

// Replaces every operand of expression text by its decimal value and hands
// the result to the shared evaluator.
bool LinkRun::evaluateExpression(std::string_view text, std::uint16_t& value, bool& usedDollar,
                                 std::string_view failurePrefix, bool quiet) {
  auto fail = [&](std::string_view message) { return quiet ? false : this->fail(message); };
  usedDollar = false;
  std::string decimal;
  decimal.reserve(text.size() + 16);
  std::size_t i = 0;
  auto name = [&](std::string_view& out) {
    if (i + 1 >= text.size()) return false;
    const std::size_t len = static_cast<unsigned char>(text[i + 1]);
    if (text.size() - (i + 2) < len) return false;
    out = text.substr(i + 2, len);
    i += 2 + len;
    return true;
  };
  while (i < text.size()) {
    const char c = text[i];
    if (c == rro::ExprExternal) {
      std::string_view n;
      if (!name(n)) return fail(kObjectContentsError);
      std::int32_t v = 0;
      if (findGlobal(n, v)) {
        markReferenced(n);
      } else if (!findGlobalEquate(n, v)) {
        if (!collecting()) {
          return fail(std::string(T::kExternalLabel) + std::string(n) +
                      std::string(T::kNotFoundSuffix));
        }
        v = 0;
      }
      decimal += std::to_string(v & 0xFFFF);
    } else if (c == rro::ExprLocalLabel) {
      if (i + 1 >= text.size()) return fail(kObjectContentsError);
      const bool labelInData = static_cast<unsigned char>(text[i + 1]) == rro::SegmentData;
      i += 2;
      std::uint32_t index = 0;
      std::size_t digits = 0;
      while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 6) {
        index = index * 10 + static_cast<std::uint32_t>(text[i] - '0');
        ++i;
        ++digits;
      }
      if (digits == 0 || index > 0xFFFF) return fail(kObjectContentsError);
      std::int32_t v;
      if (index == kDollarLabelIndex) {
        usedDollar = true;
        v = currentLocation(labelInData);
      } else {
        v = labelValue(static_cast<std::uint16_t>(index));
      }
      decimal += std::to_string(v & 0xFFFF);
    } else if (c == rro::ExprEquate) {
      std::string_view n;
      if (!name(n)) return fail(kObjectContentsError);
      std::int32_t v = 0;
      if (!findModuleEquate(n, v)) {
        if (!collecting()) {
          return fail(std::string(T::kExternalEquateInExpression) + std::string(n) +
                      std::string(T::kNotFoundSuffix));
        }
        v = 0;
      }
      decimal += std::to_string(v & 0xFFFF);
    } else {
      decimal += c;
      ++i;
    }
  }
  const Evaluation<std::uint16_t> result = EvaluateConstant16(decimal);
  if (!result.ok) return fail(std::string(failurePrefix) + decimal);
  value = result.value;
  return true;
}

bool LinkRun::resolveValue(const ValueRef& ref, std::uint16_t& value) {
  std::int32_t v = 0;
  bool dollar = false;
  switch (ref.kind) {
  case rro::ValueEquateName:
    if (!findGlobalEquate(ref.text, v) && !findModuleEquate(ref.text, v)) {
      if (collecting()) {
        v = 0;
      } else {
        return fail(std::string(T::kCannotFindEquate) + std::string(ref.text));
      }
    }
    value = static_cast<std::uint16_t>(v);
    return true;
  case rro::ValueExpression:
    return evaluateExpression(ref.text, value, dollar, T::kCannotEvaluateColon);
  case rro::ValueExternal:
    if (!externalValue(ref.text, v)) return false;
    value = static_cast<std::uint16_t>(v);
    return true;
  case rro::ValueAbsolute:
    value = ref.value;
    return true;
  case rro::ValueLocalLabel:
    value = static_cast<std::uint16_t>(labelValue(ref.value));
    return true;
  }
  return fail(kObjectContentsError);
}
} // namespace velkor
