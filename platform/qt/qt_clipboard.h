// The system clipboard through Qt.
#pragma once

#include "platform/services.h"

namespace platform {

class QtClipboard : public Clipboard {
 public:
  std::optional<std::string> GetText() override;
  bool SetText(std::string_view gbk) override;
};

}  // namespace platform
