#include "runtime/error_report.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "platform/gbk.h"
#include "platform/services.h"

namespace runtime {
namespace {

using platform::operator""_gbk;

// The run-wide state of the report: how deep reports go (they never return,
// so this only grows), the order desk's exit routine and how the process ends.
int error_depth = 0;
ExitHandler exit_handler = nullptr;

[[noreturn]] void EndProcessNow(int exit_code) {
  std::fflush(nullptr);
  std::_Exit(exit_code & 0xFF);
}

ProcessEnd process_end = nullptr;

thread_local std::size_t last_failed_allocation = 0;

}  // namespace

std::string_view RuntimeErrorMessage(int number) {
  static const std::array<const std::string*, 11> kMessages = {
      &"数组成员引用下标超出定义范围"_gbk,
      &"未得到所需要的数值型数据"_gbk,
      &"引用数组成员时维数不为1且不等于该数组目前所具有的维数"_gbk,
      &"数组成员引用下标必须大于等于1"_gbk,
      &"数据或数组类型不匹配"_gbk,
      &"调用DLL命令后发现堆栈错误"_gbk,
      &"子语句参数未返回数据或者返回了非系统基本类型或数组型数据"_gbk,
      &"被比较数据只能使用等于或不等于命令比较"_gbk,
      &"“多项选择”命令的索引值参数小于零或超出了所提供参数表范围"_gbk,
      &"“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零"_gbk,
      &"所提供参数的数据类型不符合要求"_gbk,
  };
  if (number < 1 || number > 11) return {};
  return *kMessages[static_cast<std::size_t>(number - 1)];
}

std::string RuntimeErrorBoxText(std::string_view message, int number) {
  std::string text = "运行时出错!\r\n\r\n"_gbk;
  if (number != 0) text += "错误代码："_gbk + std::to_string(number) + "\r\n\r\n";
  if (!message.empty()) {
    text += "错误信息："_gbk;
    text += message;
    text += "\r\n";
  }
  return text;
}

void ReportRuntimeError(std::string_view message, int number) {
  ++error_depth;
  std::string text;
  try {
    text = RuntimeErrorBoxText(message, number);
  } catch (const std::bad_alloc&) {
    // Without memory for the text the process still ends.
  }
  if (!text.empty()) platform::Current().dialogs->ShowRuntimeError(text);
  exit_handler = nullptr;
  if (process_end != nullptr) process_end(-1);
  EndProcessNow(-1);
}

void RaiseRuntimeError(int number) { ReportRuntimeError(RuntimeErrorMessage(number), number); }

void ReportOutOfMemory(std::size_t requested) {
  char message[64];
  // The box names the size the way the desktop did: a signed 32-bit count.
  std::snprintf(message, sizeof message, "%d", static_cast<int>(requested));
  std::string text = "分配 "_gbk;
  text += message;
  text += " 字节内存失败!"_gbk;
  ReportRuntimeError(text, 0);
}

bool RuntimeErrorReported() { return error_depth > 0; }

void SetExitHandler(ExitHandler handler) { exit_handler = handler; }

void RunExitHandler() {
  ExitHandler handler = exit_handler;
  exit_handler = nullptr;
  if (handler != nullptr) handler();
}

void SetProcessEnd(ProcessEnd end) { process_end = end; }

std::size_t LastFailedAllocationSize() { return last_failed_allocation; }

void NoteFailedAllocation(std::size_t size) { last_failed_allocation = size; }

}  // namespace runtime

// The global allocator records the size of a failed request so that the
// memory report can name it. Sanitizer builds keep their own allocator: it
// pairs every allocation with its own release (gcc says so with
// __SANITIZE_ADDRESS__, clang with __has_feature).
#if defined(__SANITIZE_ADDRESS__)
#define ORDERDESK_SANITIZER_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORDERDESK_SANITIZER_ALLOCATOR 1
#endif
#endif
#if !defined(ORDERDESK_SANITIZER_ALLOCATOR)
void* operator new(std::size_t size) {
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  runtime::NoteFailedAllocation(size);
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
#endif
