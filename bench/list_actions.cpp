#include "list_actions.h"

#include "csv_export.h"
#include "duplicates.h"
#include "row_texts.h"

namespace kestbench {

void appendRecords(kestrix::RecordListModel &list, const std::vector<TagRecord> &records)
{
    for (const TagRecord &record : records)
        list.append(kestrix::rowFromRecord(record, list.rowCount() + 1));
}

void removeDuplicates(kestrix::RecordListModel &list)
{
    list.replaceAll(kestrix::withoutDuplicateCards(list.rows()));
}

bool exportList(const kestrix::RecordListModel &list, const std::string &path)
{
    return kestrix::appendRowsToCsv(path, list.rows()).saved;
}

bool loadComparison(const std::string &path, kestrix::CompareTable &table)
{
    return kestrix::loadCompareFile(path, table).loaded;
}

} // namespace kestbench
