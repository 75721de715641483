// Links one object made of arbitrary bytes behind a valid header: every
// record handler must end in a result or a clean error.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/message_list.h"
#include "linker/linker.h"
#include "platform/ui_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  std::map<std::string, std::vector<std::uint8_t>> objects;
  std::vector<std::uint8_t>& object = objects["F.RRO"];
  object = {'R', 'R', 'O', 1};
  object.insert(object.end(), data, data + size);
  LinkRequest request;
  request.projectName = "F";
  request.projectDirectory = "/nonexistent/";
  request.programDirectory = "/nonexistent/";
  request.sources = {"F.RRO", "F.RRO"}; // twice: duplicates and cross-module paths too
  request.writeFiles = false;
  request.writeSym = true;
  request.objectsInMemory = &objects;
  MessageList messages;
  platform::HeadlessUiHost ui;
  (void)Link(request, messages, ui);
  return 0;
}
