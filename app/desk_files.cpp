#include "app/desk_files.h"

#include <algorithm>

#include "platform/file.h"
#include "platform/gbk.h"
#include "store/format.h"

namespace desk {
namespace {

using store::FieldType;

store::NewField Text(const char* name, std::int32_t width) {
  return {platform::Utf8ToGbk(name), FieldType::kText, width};
}
store::NewField Of(const char* name, FieldType type) {
  return {platform::Utf8ToGbk(name), type, 0};
}

}  // namespace

std::vector<DeskFile> DeskFiles() {
  // Each text field holds at least what its edit box takes: order numbers,
  // names and contacts 40 bytes, goods names 200, web addresses and
  // descriptions 400. The status word holds "售后提货，提货人是" (18 bytes)
  // followed by a collector's name.
  return {
      {"流水账.ldg",
       {Text("代购订单号", 40),
        Text("商品淘宝单号", 40),
        Text("商品名称", 200),
        Of("数量", FieldType::kDouble),
        Of("商品总价", FieldType::kDouble),
        Of("代购手续费", FieldType::kDouble),
        Of("订金", FieldType::kDouble),
        Text("客户姓名", 40),
        Text("联系电话", 40),
        Text("备用", 40),
        Of("下单时间", FieldType::kDateTime),
        Of("到货时间", FieldType::kDateTime),
        Of("提货时间", FieldType::kDateTime),
        Text("提货人", 40),
        Of("售后寄出", FieldType::kDateTime),
        Text("售后情况", 400),
        Of("售后到货", FieldType::kDateTime),
        Text("商品流通", 64),
        Of("保留", FieldType::kInt),
        Text("商品链接", 400),
        Of("提货付余款", FieldType::kDouble),
        Of("退款", FieldType::kDouble)}},
      {"客户库.ldg",
       {Text("客户姓名", 40), Text("联系方法", 40), Text("身份证", 40), Text("地址", 200),
        Text("备注", 200)}},
      {"报表库.ldg",
       {Text("代购订单号", 40), Of("小票内容", FieldType::kByteSet),
        Of("打印次数", FieldType::kDouble)}},
  };
}

namespace {

// `name` in the folder `dir`.
std::string InFolder(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  const char last = dir.back();
  return last == '/' || last == '\\' ? dir + name : dir + "/" + name;
}

// The GBK paths of everything `desk` makes: the data file, then its
// long-value file when a field needs one.
std::vector<std::string> FilesOf(const std::string& dir, const DeskFile& desk) {
  std::vector<std::string> names = {platform::Utf8ToGbk(InFolder(dir, desk.file_name))};
  const bool long_values =
      std::any_of(desk.fields.begin(), desk.fields.end(),
                  [](const store::NewField& f) { return store::IsLongValueType(f.type); });
  if (long_values) names.push_back(store::NewLongValueFileName(names.front()));
  return names;
}

}  // namespace

std::optional<std::string> ExistingDeskFile(const std::string& dir) {
  for (const DeskFile& desk : DeskFiles())
    for (const std::string& name : FilesOf(dir, desk))
      if (auto existing = platform::FindIgnoringCase(name)) return platform::GbkToUtf8(*existing);
  return std::nullopt;
}

MadeDeskFiles MakeDeskFiles(const std::string& dir) {
  MadeDeskFiles made;
  // Nothing is created unless every file can be.
  if (auto existing = ExistingDeskFile(dir)) {
    made.existing = *existing;
    return made;
  }
  for (const DeskFile& desk : DeskFiles()) {
    const std::string path = InFolder(dir, desk.file_name);
    made.error = store::CreateDataFile(platform::Utf8ToGbk(path), desk.fields, kDeskPassword);
    if (made.error != store::error::kOk) {
      made.failed = path;
      return made;
    }
    made.created.push_back(path);
  }
  return made;
}

}  // namespace desk
