// The runtime error report: the one road by which an error the program cannot
// continue from ends it. It shows one box that explains the error, drops the
// order desk's exit handler and ends the process with exit code -1 (255).
#pragma once

#include <cstddef>
#include <new>
#include <string>
#include <string_view>

namespace runtime {

// Messages of the numbered runtime errors 1-11 (GBK); empty for other numbers.
std::string_view RuntimeErrorMessage(int number);

// The text of the error box for `message` (GBK) and `number` (0 = none).
std::string RuntimeErrorBoxText(std::string_view message, int number);

// Shows the error box and ends the program. From the moment it is called no
// event reaches a handler (see RuntimeErrorReported).
[[noreturn]] void ReportRuntimeError(std::string_view message, int number = 0);

// ReportRuntimeError with the message of numbered error 1-11.
[[noreturn]] void RaiseRuntimeError(int number);

// The memory report, "分配 %d 字节内存失败!"; `requested` is 0 when unknown.
[[noreturn]] void ReportOutOfMemory(std::size_t requested);

// True once a report has started: events are then dropped.
bool RuntimeErrorReported();

// The order desk's exit routine, run once at the program's normal end and
// never after a runtime error report.
using ExitHandler = void (*)();
void SetExitHandler(ExitHandler handler);
void RunExitHandler();

// How a report ends the process. The default flushes standard output and
// exits at once with 255; tests may install their own (it must not return).
using ProcessEnd = void (*)(int exit_code);
void SetProcessEnd(ProcessEnd end);

// The size of the allocation that failed last on this thread, or 0.
std::size_t LastFailedAllocationSize();
// Called by the allocator when a request of `size` bytes fails.
void NoteFailedAllocation(std::size_t size);

// Runs `body`; a std::bad_alloc escaping it ends in the memory report.
template <typename Body>
auto GuardAllocation(Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    ReportOutOfMemory(LastFailedAllocationSize());
  }
}

}  // namespace runtime
