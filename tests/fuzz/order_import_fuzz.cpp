// libFuzzer target for the order-text import: whatever text is on the
// clipboard, the import either explains in a message box why it filled
// nothing, leaving the order form as it was, or fills the marketplace
// number and the goods name, the goods name being one word (no space of its
// own; the space after a stray lead byte belongs to that byte).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/desk_units.h"
#include "app/handlers.h"
#include "app/template_segment.h"
#include "forms/form_runtime.h"
#include "forms/headless_desktop.h"
#include "forms/template_io.h"
#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "platform/services.h"

namespace {

constexpr desk::UnitName kMarketplaceNumber = desk::Main("淘宝单号");
constexpr desk::UnitName kGoodsName = desk::Main("商品名称");
constexpr char kUntouched[] = "-";

void NoHandler() {}

// The main window loaded headless, with every handler bound to nothing so
// that only the import itself runs.
class OrderForm {
 public:
  OrderForm() : desktop_([] { return false; }) {
    std::optional<forms::Template> tmpl = forms::ReadTemplate(desk::WindowTemplateSegment());
    if (!tmpl) std::abort();
    handlers_.assign(desk::HandlerTable().size(), &NoHandler);
    runtime_ = forms::FormRuntime::Create(std::move(*tmpl), handlers_, desktop_);
    if (!runtime_) std::abort();
    current_ = std::make_unique<forms::ScopedFormRuntime>(*runtime_);
    desktop_.SetRuntime(runtime_.get());
    if (!runtime_->LoadWindow(desk::layout::kMainWindow, 0, false)) std::abort();
  }

 private:
  forms::HeadlessDesktop desktop_;
  std::vector<forms::layout::Handler> handlers_;
  std::unique_ptr<forms::FormRuntime> runtime_;
  std::unique_ptr<forms::ScopedFormRuntime> current_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static OrderForm form;
  platform::MemoryClipboard clipboard;
  clipboard.Put(std::string(reinterpret_cast<const char*>(data), size));
  platform::ScriptedDialogs dialogs;
  platform::Services services = platform::Current();
  services.clipboard = &clipboard;
  services.dialogs = &dialogs;
  platform::ScopedServices installed(services);

  desk::WriteText(kMarketplaceNumber, kUntouched);
  desk::WriteText(kGoodsName, kUntouched);
  desk::ImportOrderText();

  const std::string number = desk::ReadText(kMarketplaceNumber);
  const std::string goods = desk::ReadText(kGoodsName);
  if (std::getenv("ORDERDESK_FUZZ_VERBOSE") != nullptr) {
    std::fprintf(stderr, "%s\n",
                 platform::GbkToUtf8(dialogs.shown().empty() ? number + " | " + goods
                                                             : dialogs.shown()[0].text)
                     .c_str());
  }
  if (dialogs.shown().size() > 1) std::abort();
  if (!dialogs.shown().empty()) {
    if (number != kUntouched || goods != kUntouched) std::abort();  // a refusal fills nothing
    return 0;
  }
  // A space is cut away wherever the text commands see one: a stray lead
  // byte followed by a space is one double-byte character to them.
  for (std::size_t i = 0; i < goods.size(); i += platform::CharLength(goods, i))
    if (goods[i] == ' ') std::abort();
  return 0;
}
