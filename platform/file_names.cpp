#include "platform/file_names.h"

#include "platform/gbk.h"

namespace platform {

std::string NativePath(std::string_view gbk_name) {
  std::string name(gbk_name);
  for (std::size_t i = 0; i < name.size(); i += CharLength(name, i)) {
    if (name[i] == '\\') name[i] = '/';
  }
  return GbkToUtf8(name, false);
}

}  // namespace platform
