#include "simulator/cli/options.h"

#include <charconv>

namespace kavrin::cli {

std::optional<std::string> ParsedOptions::Value(const std::string& name) const {
  const auto it = values.find(name);
  if (it == values.end() || it->second.empty()) return std::nullopt;
  return it->second.back();
}

ParsedOptions ParseOptions(const std::vector<std::string>& args, const OptionTable& known) {
  ParsedOptions out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      if (!out.positional.empty()) {
        out.error = "unexpected argument " + a;
        return out;
      }
      out.positional = a;
    } else if (known.switches.count(a)) {
      out.switches.insert(a);
    } else if (known.withValue.count(a)) {
      if (i + 1 >= args.size()) {
        out.error = a + " needs a value";
        return out;
      }
      auto& list = out.values[a];
      if (!list.empty() && !known.repeatable.count(a)) {
        out.error = a + " given twice";
        return out;
      }
      list.push_back(args[++i]);
    } else {
      out.error = "unknown option " + a;
      return out;
    }
  }
  if (out.positional.empty()) out.error = "no image file given";
  return out;
}

std::optional<unsigned long long> ParseCount(const std::string& text) {
  unsigned long long value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || ptr != text.data() + text.size() || text.empty() || value == 0)
    return std::nullopt;
  return value;
}

} // namespace kavrin::cli
