#include "array/table_row.h"

#include <string>

void OrvTableRow::split(const OrvString& line, int count, int quoted,
                        std::vector<OrvString>& cells) {
  cells.clear();
  if (count <= 0) return;
  const char* p = line.getValue();
  std::string current;
  bool inQuotes = false;
  for (; *p != '\0' && static_cast<int>(cells.size()) < count; ++p) {
    if (quoted && *p == '"') {
      inQuotes = !inQuotes;
    } else if (*p == ',' && !inQuotes) {
      OrvString c(current.c_str());
      c.trim();
      cells.push_back(c);
      current.clear();
    } else {
      current += *p;
    }
  }
  if (static_cast<int>(cells.size()) < count) {
    OrvString c(current.c_str());
    c.trim();
    cells.push_back(c);
  }
  while (static_cast<int>(cells.size()) < count) cells.push_back(OrvString());
}

int OrvTableRow::tagIndex(const OrvList<OrvString>& tags, const char* name) {
  for (int i = 0; i < tags.numObjects(); ++i)
    if (tags[i]->data() == name) return i;
  return -1;
}

OrvString OrvTableRow::cell(const OrvList<OrvString>& tags,
                            const std::vector<OrvString>& cells,
                            const char* name) {
  int i = tagIndex(tags, name);
  if (i < 0 || i >= static_cast<int>(cells.size())) return OrvString();
  return cells[i];
}

int OrvTableRow::hasItem(const OrvString& list, const char* word) {
  std::vector<OrvString> items;
  // One item per comma plus one bounds the split.
  int n = 1;
  for (const char* p = list.getValue(); *p != '\0'; ++p)
    if (*p == ',') ++n;
  split(list, n, 0, items);
  for (const OrvString& item : items)
    if (item == word) return 1;
  return 0;
}
