// Remembered table states: a table's position and view, kept while a step
// walks the whole table and put back afterwards. The slots are a fixed table;
// when every slot is taken nothing is remembered and nothing is restored.
#pragma once

#include "survey/DbTable.h"

#include <array>

class TTableStateSlots {
public:
    static constexpr int SlotCount = 199;

    // Marks every slot free.
    void FreeAll();
    // The slot holding the table's state, or -1 when none was free.
    int Remember(const TDbTable& table);
    // Puts the remembered state back and frees the slot; -1 does nothing.
    void Restore(TDbTable& table, int slot);
    int FreeCount() const;

private:
    struct TSlot {
        bool used = false;
        bool active = false;
        QString databaseName;
        QString tableName;
        QString indexFieldNames;
        QString filter;
        bool filtered = false;
        qint64 bookmark = 0;
        TDataSetState state = TDataSetState::dsInactive;
    };
    std::array<TSlot, SlotCount> m_slots;
};

// The slots of the survey window, freed at the main window's first activation.
TTableStateSlots& SurveySlots();
