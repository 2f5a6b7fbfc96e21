#include "survey/TableStateSlots.h"

void TTableStateSlots::FreeAll()
{
    m_slots.fill(TSlot());
}

int TTableStateSlots::FreeCount() const
{
    int free = 0;
    for (const TSlot& slot : m_slots)
        free += slot.used ? 0 : 1;
    return free;
}

int TTableStateSlots::Remember(const TDbTable& table)
{
    for (int i = 0; i < SlotCount; ++i) {
        TSlot& slot = m_slots[static_cast<std::size_t>(i)];
        if (slot.used)
            continue;
        slot.used = true;
        slot.active = table.Active();
        slot.databaseName = table.DatabaseName();
        slot.tableName = table.TableName();
        slot.indexFieldNames = table.IndexFieldNames();
        slot.filter = table.Filter();
        slot.filtered = table.Filtered();
        slot.bookmark = slot.active ? table.Bookmark() : 0;
        slot.state = table.State();
        return i;
    }
    return -1;
}

void TTableStateSlots::Restore(TDbTable& table, int index)
{
    if (index < 0 || index >= SlotCount || !m_slots[static_cast<std::size_t>(index)].used)
        return;
    TSlot slot = m_slots[static_cast<std::size_t>(index)];
    m_slots[static_cast<std::size_t>(index)] = TSlot();
    if (table.Active() && table.TableName() != slot.tableName)
        table.Close();
    if (!table.Active())
        table.SetTableName(slot.tableName);
    table.SetIndexFieldNames(slot.indexFieldNames);
    table.SetFilter(slot.filter);
    table.SetFiltered(slot.filtered);
    if (!slot.active) {
        table.Close();
        return;
    }
    table.Open();
    if (table.BookmarkValid(slot.bookmark))
        table.GotoBookmark(slot.bookmark);
    if (slot.state == TDataSetState::dsEdit || slot.state == TDataSetState::dsInsert)
        table.Edit();
}

TTableStateSlots& SurveySlots()
{
    static TTableStateSlots surveySlots;
    return surveySlots;
}
