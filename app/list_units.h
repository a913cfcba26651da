// The list views of the main window as the record lists use them: rows of
// cell texts, check boxes and the selected row, reached by layout name; and
// the pop-up menus shown over them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace forms {
class ListView;
class ListRowBatch;
}  // namespace forms

namespace desk {

// One list view of the main window, by its UTF-8 layout name. A list that
// is not there (no main window) reads as empty and ignores writes.
class ListRows {
 public:
  explicit ListRows(std::string_view name);
  // A list view of another window, by its UTF-8 layout name.
  ListRows(std::uint32_t window, std::string_view name);

  int Count() const;
  void Clear();
  // Adds a row at the end, unticked, with one text per column.
  void Append(std::vector<runtime::Text> cells);
  // Adds rows at the end, unticked, in one go: the list view is told once.
  // Row i carries record number `records[i]`. A list the person has sorted
  // puts them in that order.
  void AppendAll(std::vector<std::vector<runtime::Text>> rows,
                 const std::vector<std::int32_t>& records = {});
  // Adds a row at the end that stays below the others when the list is
  // sorted, and shows no record (a totals row).
  void AppendKeptAtEnd(std::vector<runtime::Text> cells);
  // Adds rows made in a batch at the end, unticked; each carries the
  // record number its row was ended with.
  void AppendAll(forms::ListRowBatch rows);
  // The record number carried by the row; 0 when it carries none.
  std::int32_t Record(int row) const;
  // The cell's text; empty for a row or column that does not exist.
  runtime::Text Cell(int row, int column) const;
  bool Ticked(int row) const;
  void SetTicked(int row, bool ticked);
  // The selected row, or -1.
  int Selected() const;
  int ColumnCount() const;
  // The column's header text.
  runtime::Text ColumnTitle(int column) const;
  // Whether the row stays below the others when the list is sorted (a
  // totals row).
  bool KeptAtEnd(int row) const;

 private:
  forms::ListView* list_;
};

// The main window's pop-up menus of the lists, by caption (UTF-8): shows
// the menu `menu` at the mouse pointer, and shows or hides one of its items.
void ShowPopupMenu(std::string_view menu);
// Empties every list view of the main window: after the data files are
// replaced, the rows no longer name the records they show.
void ClearAllLists();
void SetMenuItemVisible(std::string_view item, bool visible);

}  // namespace desk
