#include "app/field_room.h"

#include <string>

#include "app/desk_units.h"
#include "platform/gbk.h"
#include "store/database.h"
#include "store/record_store.h"

namespace desk {

using platform::operator""_gbk;

bool FitsField(int field, const runtime::Value& value) {
  const store::Database* db = store::Databases().current();
  if (db == nullptr || !value.IsText() || field < 1 ||
      static_cast<std::size_t>(field) > db->fields().size())
    return true;  // the write itself reports what is wrong
  const store::FieldDescriptor& descriptor = db->fields()[static_cast<std::size_t>(field - 1)];
  if (descriptor.type != store::FieldType::kText) return true;
  const std::size_t room = static_cast<std::size_t>(descriptor.width);
  const std::size_t size = value.AsText().size();
  if (size <= room) return true;
  Ask("“"_gbk + descriptor.name + "”太长，没有保存：最多能存 "_gbk + std::to_string(room) +
          " 个字节（一个汉字占两个），现在有 "_gbk + std::to_string(size) +
          " 个字节。\r\n请改短后再试。"_gbk,
      box::kStop, "内容太长"_gbk);
  return false;
}

bool FitFields(std::span<const runtime::Value> values) {
  for (std::size_t i = 0; i < values.size(); ++i)
    if (!FitsField(static_cast<int>(i + 1), values[i])) return false;
  return true;
}

}  // namespace desk
