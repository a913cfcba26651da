// The main window: one tab "选择夹1" whose eight pages hold every working
// screen of the shop, and the menus (a menu-bar menu and three pop-up menus).
#include "app/handlers.h"
#include "app/layout/windows.h"

namespace desk::layout {

using namespace forms::layout;

namespace {

// Boxes whose text is stored in a ledger or customer-book text field take no
// more bytes than the field holds (see ldgtool's field lists): order numbers,
// names, contacts and identity-card numbers 40, goods names, addresses and
// customer remarks 200, web addresses and after-sales descriptions 400. A
// search box takes what the field it is compared with can hold.
constexpr int kShortTextField = 40;
constexpr int kGoodsNameField = 200;
constexpr int kLongTextField = 400;
// The status word holds "售后提货，提货人是" (18 bytes) and the collector's
// name in 64 bytes.
constexpr int kAfterSalesCollector = 64 - 18;

// List columns are as wide as what they show, in the list font (14 px, a
// digit up to 8 px, a Chinese character 14 px) with room for the check box:
// 19-digit marketplace numbers, the longest date-time
// ("2026年12月31日23时59分59秒"), and after a cancellation "悔单时间：" before
// it, "售后提货，提货人是" with a four-character name, 13-digit telephone
// numbers and
// 18-character identity-card numbers. At a maximised 1366-pixel-wide window
// the status column 商品流通 still shows beside the check boxes.

Page OrderPage() {
  return {"代购下单",
          {
              Label("标签1", "代购订单号：", {24, 32, 80, 24}),
              Label("标签2", "客户姓名：", {281, 32, 63, 24}),
              Button("选择客户", "选择客户", {433, 32, 62, 24}).OnClicked(&GoChooseCustomer),
              Label("标签3", "联系方法：", {513, 32, 63, 24}),
              EditBox("代购单号_编辑框", {105, 33, 152, 24})
                  .MaxLength(kShortTextField)
                  .Background(kLightYellow)
                  .OnContentChanged(&OrderNumberChanged),
              EditBox("客户姓名", {344, 34, 80, 20})
                  .MaxLength(kShortTextField)
                  .OnContentChanged(&CustomerNameChanged),
              EditBox("联系方法", {576, 34, 152, 20})
                  .MaxLength(kShortTextField)
                  .OnContentChanged(&ContactChanged),
              GroupBox("分组框12", "备注", {608, 80, 120, 112},
                       {
                           EditBox("备注编辑框", {8, 16, 104, 88})
                               .MultiLine()
                               .OnContentChanged(&RemarkChanged),
                       }),
              Label("标签4", "商品淘宝单号：", {17, 81, 80, 24}),
              Label("标签6", "代购手续费：", {351, 81, 72, 24}),
              EditBox("淘宝单号", {104, 83, 152, 20}).MaxLength(kShortTextField),
              Button("获得订单信息", "获得订单信息", {272, 83, 48, 32}).OnClicked(&ImportOrderText),
              EditBox("手续费", {432, 83, 64, 20})
                  .InputMode(input::kDouble)
                  .OnContentChanged(&FeeChanged),
              Label("商品名称标签", "商品名称：", {41, 106, 56, 24}),
              Label("标签9", "应收款：", {375, 106, 48, 24}),
              Label("应收款", "应收款", {432, 106, 160, 24}),
              EditBox("商品名称", {104, 108, 151, 20}).MaxLength(kGoodsNameField),
              Label("标签5", "商品单价：", {40, 132, 56, 24}),
              Label("标签18", "质保：", {185, 132, 39, 24}),
              EditBox("商品单价", {104, 134, 64, 20})
                  .InputMode(input::kDouble)
                  .OnContentChanged(&UnitPriceChanged),
              ComboBox("质保", {224, 134, 64, 20},
                       {"无", "7天", "15天", "1个月", "3个月", "6个月", "1年", "2年", "3年"}, "无"),
              Label("大写", "人民币大写：", {376, 136, 208, 24}),
              Label("标签13", "商品数量：", {41, 157, 56, 24}),
              Label("标签8", "有无发票：", {185, 157, 56, 24}),
              EditBox("商品数量", {104, 159, 64, 20})
                  .InputMode(input::kInt)
                  .OnContentChanged(&QuantityChanged),
              ComboBox("发票", {249, 159, 40, 20}, {"无", "有"}, "无"),
              Label("标签10", "订金：", {384, 161, 39, 24}),
              EditBox("实收款", {432, 163, 80, 20})
                  .InputMode(input::kDouble)
                  .OnContentChanged(&PaidChanged),
              Label("标签24", "运费：", {65, 184, 32, 24}),
              Label("标签7", "商品总价：", {186, 184, 56, 24}),
              Label("商品总价标签", "商品总价", {249, 184, 96, 24}),
              EditBox("运费", {104, 185, 48, 20})
                  .InputMode(input::kDouble)
                  .OnContentChanged(&FreightChanged),
              DataSource("下单数据源", {568, 192, 132, 22}, "下单通用提供者").Hidden(),
              Button("新订单", "新订单", {424, 208, 80, 32}).OnClicked(&NewOrder),
              Button("添加", "添加到清单↓", {528, 208, 80, 32}).OnClicked(&AddItem),
              Button("重新填写", "重新填写", {632, 208, 64, 32}).OnClicked(&ClearItemBoxes),
              Label("标签34", "商品链接：", {40, 211, 56, 24}),
              Button("链接测试按钮", "链接\r\n测试", {181, 212, 48, 36}).OnClicked(&TestLink),
              EditBox("商品链接", {104, 213, 72, 20}).MaxLength(kLongTextField),
              Label("大写1", "人民币大写：", {240, 214, 162, 24}),
              Provider("下单通用提供者", {624, 224, 26, 26}).Hidden(),
              Grid("表格1", {14, 256, 720, 224}, "下单数据源"),
              Button("保存报表", "保存报表", {392, 496, 80, 32}).OnClicked(&SaveReceipt),
              Button("打印预览", "打印预览", {496, 496, 80, 32}).OnClicked(&PreviewReceipt),
              Button("打印", "打印清单", {600, 496, 80, 32}).OnClicked(&PrintReceipt),
          }};
}

Page QueryPage() {
  return {
      "订单查询",
      {
          GroupBox(
              "按订单号查询", "按订单号查询", {16, 40, 304, 64},
              {
                  Button("订单编号查询", "查询", {240, 20, 56, 31}).OnClicked(&QueryByOrderNumber),
                  Label("标签14", "代购订单号：", {8, 24, 80, 24}),
                  EditBox("查询购订单号", {80, 24, 152, 20}).MaxLength(kShortTextField),
              }),
          GroupBox("分组框2", "按下单日期查询", {376, 40, 328, 104},
                   {
                       Label("标签15", "开始日期", {24, 24, 80, 24}),
                       DatePicker("开始日期框", {104, 24, 112, 24}),
                       Button("按日期查询", "查询", {240, 38, 64, 32}).OnClicked(&QueryByDate),
                       Label("标签16", "结束日期", {24, 64, 80, 24}),
                       DatePicker("结束日期框", {104, 64, 112, 24}),
                   }),
          GroupBox("按姓名查询", "按订姓名查询", {16, 112, 304, 64},
                   {
                       Button("按客户姓名查询", "查询", {240, 20, 56, 31}).OnClicked(&QueryByName),
                       Label("标签17", "客户姓名：", {8, 24, 80, 24}),
                       EditBox("查询订购客户姓名", {80, 24, 152, 20}).MaxLength(kShortTextField),
                   }),
          ListView("查询超级列表框1", {10, 200, 728, 312},
                   {{"商品淘宝单号", 170},
                    {"代购订单号", 130},
                    {"商品名称", 120},
                    {"数量", 50},
                    {"商品总价", 90},
                    {"下单时间", 215},
                    {"客户姓名", 80},
                    {"联系电话", 120},
                    {"商品流通", 210},
                    {"到货时间", 285},
                    {"提货时间", 215},
                    {"提货人", 80},
                    {"售后寄出", 215},
                    {"售后情况", 150},
                    {"售后到货", 215},
                    {"商品链接", 200}})
              .OnRightClicked(&QueryListRightClicked),
          Label("标签21",
                "说明：右键某个订单可复制订单号或淘宝号,也可以查看商品链接，还可以删除（慎重选择）",
                {21, 518, 539, 24}),
      }};
}

Page ArrivalPage() {
  return {"到货管理",
          {
              Label("标签11", "商品淘宝单号：", {8, 48, 80, 24}),
              Button("到货查找", "查找并加入列表", {256, 48, 112, 32}).OnClicked(&FindArrivals),
              EditBox("到货淘宝单号", {95, 52, 152, 20}).MaxLength(kShortTextField),
              ListView("到货超级列表框", {10, 96, 728, 400},
                       {{"商品淘宝单号", 170},
                        {"代购订单号", 130},
                        {"商品名称", 120},
                        {"数量", 50},
                        {"商品总价", 90},
                        {"下单时间", 215},
                        {"客户姓名", 80},
                        {"联系电话", 120},
                        {"商品流通", 210}})
                  .CheckBoxes()
                  .OnRightClicked(&ArrivalListRightClicked),
              Button("全选", "全选", {16, 508, 40, 32}).Disabled().OnClicked(&TickAllArrivals),
              Button("反选", "反选", {64, 508, 40, 32}).Disabled().OnClicked(&InvertArrivalTicks),
              Button("批量确认到货", "批量确认到货", {632, 508, 96, 32})
                  .Disabled()
                  .OnClicked(&ConfirmArrivals),
          }};
}

Page PickupPage() {
  return {
      "提货管理",
      {
          Label("标签12", "代购订单号：", {8, 48, 80, 24}),
          Button("提货查找", "查找", {256, 48, 64, 32}).OnClicked(&FindPickups),
          EditBox("提货订购单号", {95, 52, 152, 20}).MaxLength(kShortTextField),
          ListView("提货超级列表框", {10, 96, 728, 328},
                   {{"商品淘宝单号", 170},
                    {"代购订单号", 130},
                    {"商品名称", 120},
                    {"数量", 50},
                    {"商品总价", 90},
                    {"到货时间", 215},
                    {"客户姓名", 80},
                    {"联系电话", 120},
                    {"商品流通", 210}})
              .CheckBoxes()
              .OnRightClicked(&PickupListRightClicked),
          Label("标签28", "勾选上方列表的内容后，下面的操作才有效。", {16, 432, 248, 24}),
          GroupBox(
              "分组框1", "", {16, 464, 720, 56},
              {
                  Button("提货", "提货", {234, 16, 47, 27}).Disabled().OnClicked(&ConfirmPickup),
                  Label("提货信息", "提货人", {16, 17, 80, 24}),
                  EditBox("提货人姓名", {64, 17, 160, 24}).MaxLength(kShortTextField).Disabled(),
              }),
      }};
}

Page AfterSalesPage() {
  return {"售后情况",
          {
              GroupBox(
                  "按订单号查询2", "按订单号查询", {16, 40, 304, 64},
                  {
                      Button("售后编号查询", "查询", {240, 20, 56, 31}).OnClicked(&QueryAfterSales),
                      Label("标签23", "代购订单号：", {8, 24, 80, 24}),
                      EditBox("售后购订单号", {80, 24, 152, 20}).MaxLength(kShortTextField),
                  }),
              ListView("售后超级列表框", {10, 96, 728, 264},
                       {{"商品淘宝单号", 170},
                        {"代购订单号", 130},
                        {"商品名称", 120},
                        {"数量", 50},
                        {"商品总价", 90},
                        {"到货时间", 215},
                        {"客户姓名", 80},
                        {"联系电话", 120},
                        {"商品流通", 210},
                        {"售后寄出", 215},
                        {"售后情况", 150},
                        {"售后到货", 215}})
                  .CheckBoxes()
                  .OnRightClicked(&AfterSalesListRightClicked),
              Label("标签26", "勾选上方列表的内容后，下面的操作才有效。", {23, 367, 248, 24}),
              GroupBox("分组框3", "售后情况说明", {17, 404, 218, 128},
                       {
                           EditBox("售后情况", {16, 24, 122, 96})
                               .MultiLine()
                               .VerticalScrollBar()
                               .MaxLength(kLongTextField)
                               .Disabled(),
                           Button("提交说明", "提交说明", {144, 88, 64, 32})
                               .Disabled()
                               .OnClicked(&SubmitAfterSalesNote),
                       }),
              GroupBox("分组框6", "售后到货", {259, 404, 218, 128},
                       {
                           EditBox("售后到货说明", {16, 24, 120, 96})
                               .MultiLine()
                               .VerticalScrollBar()
                               .Hidden()
                               .Disabled(),
                           Button("售后到货按钮", "确认到货", {144, 88, 64, 32})
                               .Disabled()
                               .OnClicked(&ConfirmAfterSalesArrival),
                       }),
              GroupBox("分组框7", "售后提货", {499, 404, 218, 128},
                       {
                           Label("标签25", "提货人：", {13, 20, 80, 24}),
                           EditBox("售后提货人", {45, 52, 136, 20})
                               .MaxLength(kAfterSalesCollector)
                               .Disabled(),
                           Button("售后提货", "提货", {141, 84, 64, 32})
                               .Disabled()
                               .OnClicked(&AfterSalesPickup),
                       }),
          }};
}

Page ReportPage() {
  return {
      "报表管理",
      {
          DataSource("报表数据源", {562, 32, 132, 22}, "报表通用提供者").Hidden(),
          GroupBox("按订单号查询3", "按订单号查询", {16, 40, 304, 64},
                   {
                       Button("订单编号查询3", "查询", {240, 20, 56, 31}).OnClicked(&QueryReport),
                       Label("标签27", "代购订单号：", {8, 24, 80, 24}),
                       EditBox("报表订单号", {80, 24, 152, 20})
                           .OnContentChanged(&ReportOrderNumberChanged),
                   }),
          Label("打印次数", "", {360, 64, 136, 24}),
          Provider("报表通用提供者", {618, 64, 26, 26}).Hidden(),
          Grid("表格2", {14, 112, 720, 344}, "报表数据源"),
          Button("打印预览1", "打印预览", {490, 467, 80, 32}).Disabled().OnClicked(&PreviewReport),
          Button("打印1", "打印清单", {594, 467, 80, 32}).Disabled().OnClicked(&PrintReport),
      }};
}

Page CustomerPage() {
  return {
      "客户管理",
      {
          GroupBox("分组框4", "添加客户信息", {432, 32, 288, 232},
                   {
                       Label("标签19", "客户姓名：", {25, 22, 56, 24}),
                       EditBox("客户管理姓名编辑框", {96, 23, 72, 20}).MaxLength(kShortTextField),
                       Label("标签20", "联系方法：", {25, 54, 56, 24}),
                       EditBox("客户管理联系编辑框", {96, 55, 144, 20}).MaxLength(kShortTextField),
                       Label("标签31", "身份证号码：", {9, 86, 72, 24}),
                       EditBox("身份证号码", {96, 87, 168, 20}).MaxLength(kShortTextField),
                       Label("标签32", "地址：", {49, 119, 32, 24}),
                       EditBox("地址", {96, 120, 168, 20}).MaxLength(kGoodsNameField),
                       Label("标签33", "备注：", {16, 145, 32, 24}),
                       EditBox("备注", {16, 169, 184, 56})
                           .MultiLine()
                           .VerticalScrollBar()
                           .MaxLength(kGoodsNameField),
                       Button("添加客户", "添加客户", {208, 188, 64, 32}).OnClicked(&AddCustomer),
                   }),
          ListView(
              "客户超级列表框", {24, 40, 392, 496},
              {{"客户姓名", 80}, {"联系方法", 120}, {"身份证", 160}, {"地址", 150}, {"备注", 100}})
              .OnRightClicked(&CustomerListRightClicked)
              .On(forms::event::kDoubleClicked, &CustomerListDoubleClicked),
          GroupBox("分组框8", "查找客户信息", {432, 288, 288, 128},
                   {
                       Label("标签30", "客户姓名：", {16, 32, 64, 24}),
                       EditBox("查找客户姓名编辑框", {96, 34, 112, 20}).MaxLength(kShortTextField),
                       Label("标签29", "联系方法：", {16, 56, 64, 24}),
                       EditBox("查找联系编辑框", {96, 58, 152, 20}).MaxLength(kShortTextField),
                       Button("查找客户", "查找客户", {209, 84, 64, 32}).OnClicked(&FindCustomer),
                   }),
          GroupBox("分组框5", "操作说明", {424, 432, 304, 104},
                   {
                       Label("标签22",
                             "在左边列表选项上按右键，可以为订单选择客户信息。\r\n\r\n"
                             "同时也可以删除已经保存的客户信息。",
                             {11, 35, 288, 40}),
                   }),
      }};
}

Page FundPage() {
  return {"资金管理",
          {
              GroupBox("分组框9", "按日期查询", {8, 32, 552, 56},
                       {
                           Button("资金查询", "查询", {464, 17, 64, 32}).OnClicked(&QueryFunds),
                           Label("标签36", "开始日期", {24, 21, 80, 24}),
                           DatePicker("资金开始日期框", {104, 21, 112, 24}),
                           Label("标签35", "结束日期", {248, 21, 80, 24}),
                           DatePicker("资金结束日期框", {328, 21, 112, 24}),
                       }),
              GroupBox("分组框10", "订金统计", {8, 104, 728, 216},
                       {
                           ListView("订金查询超级列表框", {16, 16, 704, 168},
                                    {{"商品淘宝单号", 170},
                                     {"代购订单号", 130},
                                     {"商品名称", 120},
                                     {"数量", 50},
                                     {"商品总价", 90},
                                     {"下单时间", 215},
                                     {"订金", 70},
                                     {"客户姓名", 80},
                                     {"联系电话", 120},
                                     {"商品流通", 210},
                                     {"到货时间", 215},
                                     {"提货时间", 215},
                                     {"提货人", 80}})
                               .OnRightClicked(&DepositListRightClicked),
                           EditBox("订金统计", {16, 188, 368, 24})
                               .TextColour(kGreen)
                               .InputMode(input::kReadOnly),
                           EditBox("退款统计", {404, 188, 312, 24})
                               .TextColour(kRed)
                               .InputMode(input::kReadOnly),
                       }),
              GroupBox("分组框11", "提货收余款统计", {8, 328, 728, 216},
                       {
                           ListView("提货余款查询超级列表框", {16, 17, 704, 168},
                                    {{"商品淘宝单号", 170},
                                     {"代购订单号", 130},
                                     {"商品名称", 120},
                                     {"数量", 50},
                                     {"商品总价", 90},
                                     {"订金", 70},
                                     {"提货付余款", 90},
                                     {"下单时间", 215},
                                     {"客户姓名", 80},
                                     {"联系电话", 120},
                                     {"商品流通", 210},
                                     {"到货时间", 215},
                                     {"提货时间", 215},
                                     {"提货人", 80}})
                               .OnRightClicked(&PickupBalanceListRightClicked),
                           EditBox("余款统计", {16, 189, 368, 24})
                               .TextColour(kGreen)
                               .InputMode(input::kReadOnly),
                           EditBox("现金统计", {406, 189, 312, 24})
                               .TextColour(kBlue)
                               .InputMode(input::kReadOnly),
                       }),
          }};
}

}  // namespace

Window MainWindow() {
  Window window;
  window.serial = 0x0000;
  window.caption = "";  // the order desk writes the shop name at start-up
  window.rect = {50, 50, 749, 603};
  window.on_created = &StartUp;
  window.units = {
      Tab("选择夹1", {0, 0, 749, 552},
          {OrderPage(), QueryPage(), ArrivalPage(), PickupPage(), AfterSalesPage(), ReportPage(),
           CustomerPage(), FundPage()})
          .OnClicked(&TabClicked),
  };
  window.menus = {
      MenuBarMenu("系统设置", {{"设置店名及查询订单号码", &OpenSettingsWindow},
                               {"备份数据", &BackUpNow},
                               {"恢复数据", &OpenRestoreWindow}}),
      PopupMenu("右击弹出的菜单", {{"复制订单号", &CopyOrderNumber},
                                   {"复制淘宝号", &CopyMarketplaceNumber},
                                   {"查看商品链接", &ViewGoodsLink},
                                   {"删除订单", &OpenCancellationWindow},
                                   {"导出到Excel", &ExportShownList}}),
      PopupMenu("客户弹出菜单", {{"选择", &ChooseCustomer},
                                 {"删除", &DeleteCustomer},
                                 {"导出到Excel", &ExportShownList}}),
      PopupMenu("列表弹出菜单", {{"导出到Excel", &ExportShownList}}),
  };
  // Tab follows how a person fills each page; a page's units are visited
  // only while it is shown.
  window.tab_order = {
      // 代购下单: the receipt's order number and customer, then one item box
      // after the other as the item is read off, then its add.
      "代购单号_编辑框", "客户姓名", "联系方法", "淘宝单号", "商品名称", "商品单价", "商品数量",
      "运费", "商品链接", "手续费", "实收款", "添加", "重新填写", "备注编辑框", "表格1", "保存报表",
      "打印预览", "打印", "新订单", "选择客户", "获得订单信息", "链接测试按钮", "质保", "发票",
      // 订单查询
      "查询购订单号", "订单编号查询", "查询订购客户姓名", "按客户姓名查询", "开始日期框",
      "结束日期框", "按日期查询", "查询超级列表框1",
      // 到货管理
      "到货淘宝单号", "到货查找", "到货超级列表框", "全选", "反选", "批量确认到货",
      // 提货管理
      "提货订购单号", "提货查找", "提货超级列表框", "提货人姓名", "提货",
      // 售后情况
      "售后购订单号", "售后编号查询", "售后超级列表框", "售后情况", "提交说明", "售后到货说明",
      "售后到货按钮", "售后提货人", "售后提货",
      // 报表管理
      "报表订单号", "订单编号查询3", "表格2", "打印预览1", "打印1",
      // 客户管理
      "客户管理姓名编辑框", "客户管理联系编辑框", "身份证号码", "地址", "备注", "添加客户",
      "查找客户姓名编辑框", "查找联系编辑框", "查找客户", "客户超级列表框",
      // 资金管理
      "资金开始日期框", "资金结束日期框", "资金查询", "订金查询超级列表框", "订金统计", "退款统计",
      "提货余款查询超级列表框", "余款统计", "现金统计"};
  // Enter in a page's last box presses the page's action.
  window.enter_presses = {
      {"实收款", "添加"},
      {"查询购订单号", "订单编号查询"},
      {"查询订购客户姓名", "按客户姓名查询"},
      {"到货淘宝单号", "到货查找"},
      {"提货订购单号", "提货查找"},
      {"提货人姓名", "提货"},
      {"售后购订单号", "售后编号查询"},
      {"售后提货人", "售后提货"},
      {"报表订单号", "订单编号查询3"},
      {"查找客户姓名编辑框", "查找客户"},
      {"查找联系编辑框", "查找客户"},
  };
  return window;
}

}  // namespace desk::layout
