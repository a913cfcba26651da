#include "report/printing.h"

#include <gtest/gtest.h>

#include "platform/gbk.h"
#include "report/layout.h"
#include "report/operations.h"

namespace report {
namespace {

using platform::operator""_gbk;

// Records what a print job did, and fails where told to.
class FakeDevice : public PrintDevice {
 public:
  PageSize paper() const override { return paper_; }
  bool BeginJob(const Text& name) override {
    log.push_back("job " + name);
    return !fail_job;
  }
  bool BeginPage() override {
    if (fail_page_at == pages_begun++) return false;
    log.push_back("page");
    return true;
  }
  Painter& painter() override { return painter_; }
  void EndPage() override { log.push_back("end page"); }
  void EndJob() override { log.push_back("end job"); }
  void AbortJob() override { log.push_back("abort"); }

  std::vector<std::string> log;
  bool fail_job = false;
  int fail_page_at = -1;
  const RecordingPainter& drawn() const { return painter_; }

 private:
  PageSize paper_ = kA4;
  int pages_begun = 0;
  RecordingPainter painter_;
};

class FakeProgress : public PrintProgress {
 public:
  void Show(const Text& message, int percent) override {
    messages.push_back(message);
    percents.push_back(percent);
    if (abort_after > 0 && static_cast<int>(messages.size()) == abort_after) abort = true;
  }
  bool AbortRequested() override { return abort; }

  std::vector<Text> messages;
  std::vector<int> percents;
  int abort_after = 0;
  bool abort = false;
};

Table ThreePages() {
  Table t(6, 1);
  t.print.rows_per_page = 2;
  for (int r = 1; r <= 6; ++r) SetCellText(t, r, 1, "r" + std::to_string(r));
  return t;
}

TEST(PrintTable, PrintsEveryPageOfEveryCopyInOrder) {
  Table t = ThreePages();
  t.print.copies = 2;
  FakeDevice device;
  FakeProgress progress;
  const Text destination = print_text::FileDestination("out.pdf");
  EXPECT_EQ(PrintTable(t, device, "代购订单"_gbk, destination, &progress), "");
  std::vector<std::string> expected{"job " + "代购订单"_gbk};
  for (int i = 0; i < 6; ++i) expected.insert(expected.end(), {"page", "end page"});
  expected.push_back("end job");
  EXPECT_EQ(device.log, expected);
  ASSERT_EQ(progress.messages.size(), 6u);
  EXPECT_EQ(progress.messages[0], "正在打印第 1/2 份 1/3 页到 文件: out.pdf "_gbk);
  EXPECT_EQ(progress.messages[4], "正在打印第 2/2 份 2/3 页到 文件: out.pdf "_gbk);
  EXPECT_EQ(progress.percents, (std::vector<int>{0, 16, 33, 50, 66, 83}));
}

TEST(PrintTable, DrawsEachPageWithItsRows) {
  Table t = ThreePages();
  FakeDevice device;
  ASSERT_EQ(PrintTable(t, device, "j", "", nullptr), "");
  std::vector<Text> texts;
  for (const DrawOp& op : device.drawn().ops())
    if (op.kind == DrawOp::Kind::kText) texts.push_back(op.text);
  EXPECT_EQ(texts, (std::vector<Text>{"r1", "r2", "r3", "r4", "r5", "r6"}));
}

TEST(PrintTable, TheAbortButtonStopsBeforeTheNextPage) {
  Table t = ThreePages();
  FakeDevice device;
  FakeProgress progress;
  progress.abort_after = 2;  // pressed while the second page prints
  EXPECT_EQ(PrintTable(t, device, "j", "", &progress), print_text::Aborted());
  EXPECT_EQ(device.log,
            (std::vector<std::string>{"job j", "page", "end page", "page", "end page", "abort"}));
}

TEST(PrintTable, FailuresEndTheJobWithTheirText) {
  Table t = ThreePages();
  FakeDevice no_job;
  no_job.fail_job = true;
  EXPECT_EQ(PrintTable(t, no_job, "j", "", nullptr), "创建打印作业失败"_gbk);
  EXPECT_EQ(no_job.log, std::vector<std::string>{"job j"});

  FakeDevice no_page;
  no_page.fail_page_at = 1;
  EXPECT_EQ(PrintTable(t, no_page, "j", "", nullptr), "打印页失败"_gbk);
  EXPECT_EQ(no_page.log, (std::vector<std::string>{"job j", "page", "end page", "abort"}));
}

TEST(PrintTable, ATableWithoutPagesStartsAndEndsAnEmptyJob) {
  Table t(0, 2);
  t.print.copies = 9999;
  FakeDevice device;
  FakeProgress progress;
  EXPECT_EQ(PrintTable(t, device, "j", "", &progress), "");
  EXPECT_EQ(device.log, (std::vector<std::string>{"job j", "end job"}));
  EXPECT_TRUE(progress.messages.empty());
}

TEST(PrintSettingsCheck, PrintingToAFileNeedsItsName) {
  PrintSettings s;
  EXPECT_EQ(CheckPrintSettings(s), "");
  s.print_to_file = 1;
  EXPECT_EQ(CheckPrintSettings(s), "未指定欲打印到的文件名称"_gbk);
  s.output_file = "out.prn";
  EXPECT_EQ(CheckPrintSettings(s), "");
}

TEST(PrintTexts, AsTheUserSeesThem) {
  EXPECT_EQ(print_text::DefaultJobName(), "报表"_gbk);
  EXPECT_EQ(print_text::PrinterDestination("HP LaserJet", "LPT1:"), "LPT1: 上的 HP LaserJet"_gbk);
  EXPECT_EQ(print_text::FileDestination("a.prn"), "文件: a.prn"_gbk);
  EXPECT_EQ(print_text::CannotCreatePrinter(), "无法创建打印机设备"_gbk);
  EXPECT_EQ(print_text::CannotOpenPrinter(), "不能打开打印机设备."_gbk);
  EXPECT_EQ(PageNumberText(12), "第 12 页"_gbk);
}

TEST(Copies, CountFromOneToNineThousandNineHundredNinetyNine) {
  for (auto [given, counted] : {std::pair{0, 1}, {-5, 1}, {1, 1}, {3, 3}, {100000, 9999}}) {
    PrintSettings s;
    s.copies = given;
    EXPECT_EQ(CopiesOf(s), counted);
  }
}

}  // namespace
}  // namespace report
