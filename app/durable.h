// What the desk wrote is made durable before the assistant is told of it.
#pragma once

namespace desk {

// One sync for each data file written since its last. A sync that fails is
// told to the assistant at once, with the system's reason: the change the
// desk goes on to confirm may be lost to a power cut.
void MakeDurable();

}  // namespace desk
