// libFuzzer target for the window-template reader: any bytes either read as
// a template that writes back to bytes reading the same, or are refused.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "forms/template_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto tmpl = forms::ReadTemplate(std::span<const std::uint8_t>(data, size));
  if (tmpl && forms::ReadTemplate(forms::WriteTemplate(*tmpl)) != tmpl) std::abort();
  return 0;
}
