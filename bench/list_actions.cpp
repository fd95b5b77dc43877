// SPDX-License-Identifier: MIT
#include "list_actions.h"

#include "csv_export.h"
#include "duplicates.h"
#include "row_texts.h"

namespace kestbench {

void appendRecords(ShownList &list, const std::vector<TagRecord> &records)
{
    for (const TagRecord &record : records) {
        list.rows.append(kestrix::rowFromRecord(record, static_cast<std::int32_t>(list.rows.size()) + 1));
        list.model.rowsAppended(list.rows.size() - 1, 1);
    }
}

void removeDuplicates(ShownList &list)
{
    list.rows.replaceAll(kestrix::withoutDuplicateCards(list.rows.rows()));
    list.model.reset();
}

bool exportList(const ShownList &list, const std::string &path)
{
    return kestrix::appendRowsToCsv(path, list.rows.rows()).saved;
}

bool loadComparison(const std::string &path, kestrix::CompareTable &table)
{
    return kestrix::loadCompareFile(path, table).loaded;
}

} // namespace kestbench
