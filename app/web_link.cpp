#include "app/web_link.h"

#include <string>

#include "app/status_line.h"
#include "platform/gbk.h"
#include "platform/services.h"

namespace desk {

using platform::operator""_gbk;

void OpenGoodsLink(std::string_view link) {
  if (platform::Current().dialogs->OpenWebPage(link))
    ShowStatus("已在浏览器中打开链接："_gbk + std::string(link));
  else
    ShowStatus("无法启动浏览器打开链接："_gbk + std::string(link));
}

}  // namespace desk
