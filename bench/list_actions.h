// The program's list actions as its dialog runs them, without the file
// dialogs, message boxes, progress bar and the reader's waits.
#pragma once

#include <string>
#include <vector>

#include "compare_table.h"
#include "kestlink.h"
#include "record_list_model.h"

namespace kestbench {

// "Read all" once the records are in: each becomes a row numbered on from the
// list and is appended to the model.
void appendRecords(kestrix::RecordListModel &list, const std::vector<TagRecord> &records);

// "Remove duplicates": the list replaced by its rows without repeated cards.
void removeDuplicates(kestrix::RecordListModel &list);

// "Save file": the list appended to the file and synced to the disk.
bool exportList(const kestrix::RecordListModel &list, const std::string &path);

// "Open comparison file": the table filled from the file.
bool loadComparison(const std::string &path, kestrix::CompareTable &table);

} // namespace kestbench
