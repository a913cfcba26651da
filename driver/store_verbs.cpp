#include <string>

#include "driver/script_text.h"
#include "driver/verbs.h"
#include "platform/gbk.h"
#include "runtime/convert.h"
#include "store/database_list.h"

namespace driver {

void AddStoreVerbs(Driver& driver) {
  // dump-db ALIAS: every record of an open data file, deleted ones included,
  // each field in its text form and a byte set as its size.
  driver.AddVerb("dump-db", [&driver](std::string_view rest) {
    std::string name = ScriptTextToGbk(rest);
    store::Database* db = store::Databases().Find(name);
    if (db == nullptr) throw ScriptError{"no open data file " + std::string(rest)};
    std::int32_t count = 0;
    store::ErrorNumber counted = db->ReadRecordCount(count, 2000);
    if (counted != store::error::kOk)
      throw ScriptError{"cannot count the records of " + std::string(rest) + ": " +
                        platform::GbkToUtf8(store::ErrorText(counted))};
    driver.Print(std::string(rest) + " records=" + std::to_string(count));
    for (std::int32_t index = 0; index < count; ++index) {
      std::string line = "#" + std::to_string(index + 1);
      for (std::size_t field = 0; field < db->fields().size(); ++field) {
        runtime::Value value;
        db->ReadFieldOf(index, field, value);
        if (value.type() == runtime::type::kByteSet)
          line += " <" + std::to_string(value.AsBytes().size()) + " bytes>";
        else
          line += " " + Quoted(runtime::ToText(value));
      }
      driver.Print(line);
    }
  });
  // dump-error: the record store's last error number and its text.
  driver.AddVerb("dump-error", [&driver](std::string_view rest) {
    if (!rest.empty()) throw ScriptError{"dump-error takes nothing after it"};
    store::ErrorNumber last = store::LastError();
    driver.Print("error " + std::to_string(last) + " " + Quoted(store::ErrorText(last)));
  });
  // password TEXT: the user types TEXT into the next password prompt;
  // without TEXT the user cancels it.
  driver.AddVerb("password", [&driver](std::string_view rest) {
    if (rest.empty())
      driver.dialogs().QueuePassword(std::nullopt);
    else
      driver.dialogs().QueuePassword(ScriptTextToGbk(rest));
  });
}

}  // namespace driver
