#include "runtime/error_report.h"

#include <gtest/gtest.h>

#include "platform/gbk.h"
#include "platform/headless/headless.h"
#include "tests/support/expect_report.h"

namespace runtime {
namespace {

using platform::operator""_gbk;

TEST(RuntimeErrorBox, TextHasCodeAndMessageLinesOnlyWhenGiven) {
  EXPECT_EQ(RuntimeErrorBoxText(RuntimeErrorMessage(5), 5),
            "运行时出错!\r\n\r\n错误代码：5\r\n\r\n错误信息：数据或数组类型不匹配\r\n"_gbk);
  EXPECT_EQ(RuntimeErrorBoxText("载入启动窗口失败"_gbk, 0),
            "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"_gbk);
  EXPECT_EQ(RuntimeErrorBoxText("", 3), "运行时出错!\r\n\r\n错误代码：3\r\n\r\n"_gbk);
  EXPECT_TRUE(RuntimeErrorMessage(0).empty());
  EXPECT_TRUE(RuntimeErrorMessage(12).empty());
  EXPECT_EQ(RuntimeErrorMessage(11), "所提供参数的数据类型不符合要求"_gbk);
}

bool exit_handler_ran = false;
void MarkExitHandlerRan() { exit_handler_ran = true; }

TEST(RuntimeErrorReportDeathTest, ShowsTheBoxAndExitsWith255WithoutTheExitHandler) {
  // The pattern is anchored at the end: nothing, not even the exit handler,
  // writes after the box.
  testing_support::ExpectRuntimeErrorReport(
      [] {
        SetExitHandler([] { std::fprintf(stderr, "exit handler ran"); });
        RaiseRuntimeError(5);
      },
      "运行时出错!\r\n\r\n错误代码：5\r\n\r\n错误信息：数据或数组类型不匹配\r\n$");
}

TEST(RuntimeErrorReportDeathTest, MemoryReportNamesTheSize) {
  testing_support::ExpectRuntimeErrorReport(
      [] { GuardAllocation([]() -> int { throw std::bad_alloc(); }); },
      "错误信息：分配 0 字节内存失败!");
  testing_support::ExpectRuntimeErrorReport([] { ReportOutOfMemory(1024); },
                                            "分配 1024 字节内存失败!");
}

TEST(ExitHandler, RunsOnceAtTheNormalEnd) {
  exit_handler_ran = false;
  SetExitHandler(&MarkExitHandlerRan);
  RunExitHandler();
  EXPECT_TRUE(exit_handler_ran);
  exit_handler_ran = false;
  RunExitHandler();
  EXPECT_FALSE(exit_handler_ran);
}

}  // namespace
}  // namespace runtime
