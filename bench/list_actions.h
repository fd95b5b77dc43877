// SPDX-License-Identifier: MIT
// The program's list actions as its dialog runs them, without the file
// dialogs, message boxes, progress bar and the reader's waits.
#pragma once

#include <string>
#include <vector>

#include "compare_table.h"
#include "kestlink.h"
#include "record_list.h"
#include "record_list_model.h"

namespace kestbench {

// The list as the dialog holds it: the steps' rows and the table's model
// following them.
struct ShownList {
    kestrix::RecordList rows;
    kestrix::RecordListModel model{rows};
};

// "Read all" once the records are in: each becomes a row numbered on from the
// list and is appended to the model.
void appendRecords(ShownList &list, const std::vector<TagRecord> &records);

// "Remove duplicates": the list replaced by its rows without repeated cards.
void removeDuplicates(ShownList &list);

// "Save file": the list appended to the file and synced to the disk.
bool exportList(const ShownList &list, const std::string &path);

// "Open comparison file": the table filled from the file.
bool loadComparison(const std::string &path, kestrix::CompareTable &table);

} // namespace kestbench
