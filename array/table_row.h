// OrvTableRow: cells of one "-csvtable" row, matched to header tags by
// position.

#ifndef ARRAY_TABLE_ROW_H_
#define ARRAY_TABLE_ROW_H_

#include <vector>

#include "foundation/orv_list.h"
#include "foundation/orv_string.h"

class OrvTableRow {
 public:
  // Splits line at "," into exactly count cells, each trimmed: an empty cell
  // keeps its position, missing cells are "", cells past count are dropped.
  // With quoted != 0 a double-quoted stretch is part of one cell (commas in
  // it do not split) and the quote characters are removed.
  static void split(const OrvString& line, int count, int quoted,
                    std::vector<OrvString>& cells);
  // Position of the tag equal to name (case-sensitive), or -1.
  static int tagIndex(const OrvList<OrvString>& tags, const char* name);
  // The cell under tag name, or "" when the header has no such tag.
  static OrvString cell(const OrvList<OrvString>& tags,
                        const std::vector<OrvString>& cells, const char* name);
  // 1 when word occurs as a whole comma-separated (trimmed) item of list.
  static int hasItem(const OrvString& list, const char* word);
};

#endif  // ARRAY_TABLE_ROW_H_
