// The window-template segment of the program, generated at build time from
// the layout source (app/layout/) by tools/template_gen.
#pragma once

#include <cstdint>
#include <span>

namespace desk {

std::span<const std::uint8_t> WindowTemplateSegment();

}  // namespace desk
