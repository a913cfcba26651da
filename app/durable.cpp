#include "app/durable.h"

#include "app/desk_units.h"
#include "platform/gbk.h"
#include "runtime/system_commands.h"
#include "store/errors.h"
#include "store/record_store.h"

namespace desk {

using platform::operator""_gbk;

void MakeDurable() {
  store::ErrorNumber failed = store::error::kOk;
  if (store::MakeDurable(&failed)) return;
  // Shown directly, not through the desk's boxes, which sync first.
  runtime::Text text("最后的修改可能没有写到磁盘上，断电后可能丢失。\r\n系统提示："_gbk);
  text += store::ErrorText(failed);
  runtime::MessageBox(runtime::Value::OfText(text), box::kStop, "写盘失败"_gbk);
}

}  // namespace desk
