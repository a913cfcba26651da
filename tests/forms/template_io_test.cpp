#include "forms/template_io.h"

#include <gtest/gtest.h>

#include <random>

#include "app/handlers.h"
#include "app/layout/windows.h"
#include "app/template_segment.h"
#include "forms/ids.h"
#include "forms/settings.h"
#include "platform/gbk.h"

namespace forms {
namespace {

using platform::operator""_gbk;

Template Built() { return layout::BuildTemplate(desk::layout::AllWindows(), desk::HandlerTable()); }

Bytes Segment() {
  auto embedded = desk::WindowTemplateSegment();
  return Bytes(embedded.begin(), embedded.end());
}

TEST(TemplateSegment, RoundTripIsByteIdentical) {
  Bytes segment = WriteTemplate(Built());
  EXPECT_EQ(segment, Segment()) << "the embedded segment is not the layout source's";
  auto read = ReadTemplate(segment);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(*read, Built());
  EXPECT_EQ(WriteTemplate(*read), segment);
}

TEST(TemplateSegment, EveryTruncationIsRefused) {
  Bytes segment = Segment();
  // Every cut inside the first window's header and table start, then a
  // sample of the rest (each read has to fail without reading past the end).
  for (std::size_t length = 0; length < segment.size(); length += length < 2000 ? 1 : 97) {
    Bytes cut(segment.begin(), segment.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_FALSE(ReadTemplate(cut).has_value()) << "cut at " << length;
  }
  Bytes longer = segment;
  longer.push_back(0);
  EXPECT_FALSE(ReadTemplate(longer).has_value()) << "a trailing byte";
}

// A template of one small window, for faults in particular fields.
Template Small() {
  layout::Window window;
  window.serial = 0x10;
  window.caption = "小窗";
  window.rect = {0, 0, 100, 100};
  window.units = {
      layout::Tab("页", {0, 0, 90, 90},
                  {{"一", {layout::Button("按钮", "按", {1, 2, 3, 4})}},
                   {"二",
                    {layout::GroupBox("框", "框", {5, 5, 50, 50},
                                      {layout::EditBox("编辑", {1, 1, 10, 10})})}}}),
  };
  window.menus = {layout::PopupMenu("弹出", {{"项"}})};
  return layout::BuildTemplate({window}, {});
}

UnitRecord& UnitNamed(Template& tmpl, const char* utf8) {
  for (TableEntry& entry : tmpl.windows[0].entries)
    if (auto* unit = std::get_if<UnitRecord>(&entry))
      if (unit->name == platform::Utf8ToGbk(utf8)) return *unit;
  throw std::logic_error("no such unit");
}

TEST(TemplateSegment, InconsistentTemplatesAreRefused) {
  ASSERT_TRUE(ReadTemplate(WriteTemplate(Small())).has_value());
  struct Fault {
    const char* what;
    std::function<void(Template&)> apply;
  };
  const Fault faults[] = {
      {"unknown unit type", [](Template& t) { UnitNamed(t, "按钮").type = 0x10077; }},
      {"repeated unit id", [](Template& t) { UnitNamed(t, "编辑").id = UnitNamed(t, "按钮").id; }},
      {"invalid id", [](Template& t) { UnitNamed(t, "按钮").id = 0x16000000; }},
      {"repeated name", [](Template& t) { UnitNamed(t, "编辑").name = UnitNamed(t, "按钮").name; }},
      {"missing container", [](Template& t) { UnitNamed(t, "编辑").container = 0x16019999; }},
      {"container that is a button",
       [](Template& t) { UnitNamed(t, "编辑").container = UnitNamed(t, "按钮").id; }},
      {"child that does not name its container",
       [](Template& t) { UnitNamed(t, "框").children.push_back(UnitNamed(t, "按钮").id); }},
      {"tab pages not matching the captions",
       [](Template& t) { UnitNamed(t, "页").children.push_back(0); }},
      {"settings too short", [](Template& t) { UnitNamed(t, "按钮").settings.pop_back(); }},
      {"settings on a date picker",
       [](Template& t) { UnitNamed(t, "按钮").type = unit_type::kDatePicker; }},
      {"input mode out of range",
       [](Template& t) {
         EditBoxSettings s;
         s.input_mode = 12;
         UnitNamed(t, "编辑").settings = EncodeEditBox(s);
       }},
      {"handler offset below -1",
       [](Template& t) {
         UnitNamed(t, "按钮").events.push_back({0, -2});
       }},
      {"menu item before any menu",
       [](Template& t) {
         auto& entries = t.windows[0].entries;
         std::swap(entries[entries.size() - 1], entries[entries.size() - 2]);
       }},
      {"tab order naming no unit of the window",
       [](Template& t) {
         WindowSettings s = *DecodeWindow(t.windows[0].own_unit().settings);
         s.tab_order = {0x16019999};
         std::get<UnitRecord>(t.windows[0].entries[0]).settings = EncodeWindow(s);
       }},
      {"window's own unit not first",
       [](Template& t) { std::swap(t.windows[0].entries[0], t.windows[0].entries[1]); }},
      {"containers in a cycle",
       [](Template& t) {
         auto& tab = UnitNamed(t, "页");
         auto& box = UnitNamed(t, "框");
         // The tab inside the group box inside the tab.
         tab.container = box.id;
         box.children.push_back(tab.id);
       }},
  };
  for (const Fault& fault : faults) {
    Template tmpl = Small();
    fault.apply(tmpl);
    EXPECT_FALSE(ReadTemplate(WriteTemplate(tmpl)).has_value()) << fault.what;
  }
}

TEST(TemplateSegment, RandomDamageNeverCrashesTheReader) {
  Bytes segment = Segment();
  std::mt19937 random(20080501);
  std::uniform_int_distribution<std::size_t> position(0, segment.size() - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 3000; ++round) {
    Bytes damaged = segment;
    for (int i = 0; i < 1 + round % 4; ++i)
      damaged[position(random)] = static_cast<std::uint8_t>(byte(random));
    auto read = ReadTemplate(damaged);
    // Whatever reads must write back to a segment that reads the same.
    if (read) {
      EXPECT_EQ(ReadTemplate(WriteTemplate(*read)), read);
    }
  }
}

// --- the windows of the order desk ---------------------------------------

const UnitRecord* Find(const WindowBlock& window, const char* utf8) {
  for (const TableEntry& entry : window.entries)
    if (const auto* unit = std::get_if<UnitRecord>(&entry))
      if (unit->name == platform::Utf8ToGbk(utf8)) return unit;
  return nullptr;
}

std::int32_t OffsetOf(layout::Handler handler) {
  auto table = desk::HandlerTable();
  return static_cast<std::int32_t>(std::find(table.begin(), table.end(), handler) - table.begin());
}

TEST(OrderDeskWindows, IdsPositionsAndCaptionsAsLaidOut) {
  auto tmpl = ReadTemplate(Segment());
  ASSERT_TRUE(tmpl.has_value());
  ASSERT_EQ(tmpl->windows.size(), 4u);
  struct Expected {
    std::uint32_t window, own_unit;
    Rect rect;
    const char* caption;
  };
  const Expected expected[] = {{0x52010001, 0x06010000, {50, 50, 749, 603}, ""},
                               {0x5201024d, 0x0601024c, {50, 50, 380, 273}, "系统设定"},
                               {0x5201033b, 0x0601033a, {50, 50, 445, 245}, "悔单操作"},
                               {0x52010451, 0x06010450, {50, 50, 600, 340}, "恢复数据"}};
  for (std::size_t i = 0; i < 4; ++i) {
    const WindowBlock& window = tmpl->windows[i];
    EXPECT_EQ(window.id, expected[i].window);
    EXPECT_EQ(window.own_unit().id, expected[i].own_unit);
    EXPECT_EQ(window.own_unit().rect, expected[i].rect);
    EXPECT_EQ(DecodeWindow(window.own_unit().settings)->caption,
              platform::Utf8ToGbk(expected[i].caption));
    EXPECT_EQ(IdKind(window.module_id), id_kind::kModule);
    for (const TableEntry& entry : window.entries) {
      std::uint32_t id = EntryId(entry);
      EXPECT_TRUE(IsValidId(id));
      EXPECT_EQ(id >> 16 & 0xFF, 0x01u);
    }
  }
  const WindowBlock& main = tmpl->windows[0];
  const UnitRecord* add = Find(main, "添加");
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add->type, unit_type::kButton);
  EXPECT_EQ(add->rect, (Rect{528, 208, 80, 32}));
  EXPECT_EQ(DecodeButton(add->settings)->caption, "添加到清单↓"_gbk);
  EXPECT_EQ(add->events, (std::vector<EventBinding>{{0, OffsetOf(&desk::AddItem)}}));
  EXPECT_EQ(add->flags, unit_flag::kVisible | unit_flag::kTabStop);
  EXPECT_EQ(main.own_unit().events, (std::vector<EventBinding>{{0, OffsetOf(&desk::StartUp)}}));
  // Labels take no focus; a remark box in a group box names it.
  EXPECT_EQ(Find(main, "标签1")->flags, unit_flag::kVisible);
  EXPECT_EQ(Find(main, "备注编辑框")->container, Find(main, "分组框12")->id);
  auto remark = DecodeEditBox(Find(main, "备注编辑框")->settings);
  EXPECT_EQ(remark->multi_line, 1);
  EXPECT_EQ(DecodeEditBox(Find(main, "手续费")->settings)->input_mode, 10);
  EXPECT_EQ(DecodeEditBox(Find(main, "商品数量")->settings)->input_mode, 7);
  EXPECT_EQ(DecodeEditBox(Find(tmpl->windows[2], "编辑框2")->settings)->input_mode, 4);
  EXPECT_EQ(DecodeEditBox(Find(main, "现金统计")->settings)->input_mode, 1);
}

TEST(OrderDeskWindows, FlagsOfHiddenAndDisabledUnits) {
  auto tmpl = ReadTemplate(Segment());
  const WindowBlock& main = tmpl->windows[0];
  for (const char* name : {"提货人姓名", "提货", "售后提货人", "售后提货", "售后情况", "提交说明",
                           "售后到货按钮", "全选", "反选", "批量确认到货", "打印预览1", "打印1"})
    EXPECT_TRUE(Find(main, name)->flags & unit_flag::kDisabled) << name;
  const UnitRecord* note = Find(main, "售后到货说明");
  EXPECT_EQ(note->flags & (unit_flag::kVisible | unit_flag::kDisabled), unit_flag::kDisabled);
  for (const char* name : {"下单数据源", "下单通用提供者", "报表数据源", "报表通用提供者"})
    EXPECT_FALSE(Find(main, name)->flags & unit_flag::kVisible) << name;
  EXPECT_EQ(DecodeLink(Find(main, "表格1")->settings)->linked_unit, "下单数据源"_gbk);
  EXPECT_EQ(DecodeLink(Find(main, "报表数据源")->settings)->linked_unit, "报表通用提供者"_gbk);
}

TEST(OrderDeskWindows, TabPagesListsAndMenus) {
  auto tmpl = ReadTemplate(Segment());
  const WindowBlock& main = tmpl->windows[0];
  const UnitRecord* tab = Find(main, "选择夹1");
  auto pages = DecodeTab(tab->settings)->pages;
  ASSERT_EQ(pages.size(), 8u);
  EXPECT_EQ(pages[6], "客户管理"_gbk);
  // The customer list is a direct unit of page 7.
  std::size_t page = 0;
  std::size_t customer_page = 99;
  for (std::uint32_t child : tab->children) {
    if (child == 0) ++page;
    if (child == Find(main, "客户超级列表框")->id) customer_page = page;
  }
  EXPECT_EQ(customer_page, 6u);

  struct ListFacts {
    const char* name;
    std::size_t columns;
    bool check_boxes;
  };
  for (ListFacts facts : {ListFacts{"查询超级列表框1", 16, false},
                          {"到货超级列表框", 9, true},
                          {"提货超级列表框", 9, true},
                          {"售后超级列表框", 12, true},
                          {"客户超级列表框", 5, false},
                          {"订金查询超级列表框", 13, false},
                          {"提货余款查询超级列表框", 14, false}}) {
    auto list = DecodeListView(Find(main, facts.name)->settings);
    EXPECT_EQ(list->columns.size(), facts.columns) << facts.name;
    EXPECT_EQ(list->check_boxes(), facts.check_boxes) << facts.name;
    EXPECT_EQ(list->font_face, "宋体"_gbk);
    EXPECT_EQ(list->font_height, 14);
  }
  auto sales = DecodeListView(Find(main, "售后超级列表框")->settings);
  EXPECT_EQ(sales->columns[10].title, "售后情况"_gbk);
  EXPECT_EQ(sales->columns[10].width, 150);

  std::vector<std::pair<std::string, std::uint32_t>> menu;
  for (const TableEntry& entry : main.entries)
    if (const auto* item = std::get_if<MenuItemRecord>(&entry))
      menu.emplace_back(platform::GbkToUtf8(item->caption), item->level == 0 ? item->flags : 99);
  ASSERT_EQ(menu.size(), 16u);
  EXPECT_EQ(menu[0], (std::pair<std::string, std::uint32_t>{"系统设置", 0}));
  EXPECT_EQ(menu[4], (std::pair<std::string, std::uint32_t>{"右击弹出的菜单", menu_flag::kHidden}));
  EXPECT_EQ(menu[9].first, "导出到Excel");
  EXPECT_EQ(menu[10], (std::pair<std::string, std::uint32_t>{"客户弹出菜单", menu_flag::kHidden}));
  EXPECT_EQ(menu[14], (std::pair<std::string, std::uint32_t>{"列表弹出菜单", menu_flag::kHidden}));
  EXPECT_EQ(menu[15].first, "导出到Excel");
  auto combo = DecodeComboBox(Find(main, "质保")->settings);
  EXPECT_EQ(combo->items.size(), 9u);
  EXPECT_EQ(combo->text, "无"_gbk);
}

TEST(LayoutBuilder, RefusesAHandlerMissingFromTheTable) {
  layout::Window window;
  window.serial = 1;
  window.on_created = &desk::StartUp;
  EXPECT_THROW(layout::BuildTemplate({window}, {}), std::invalid_argument);
  layout::Window twin = window;
  twin.on_created = nullptr;
  EXPECT_THROW(layout::BuildTemplate({twin, twin}, {}), std::invalid_argument) << "serials overlap";
}

}  // namespace
}  // namespace forms
